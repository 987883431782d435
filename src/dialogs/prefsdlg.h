// The preferences dialog: the sections the reader follows, alerts and their seconds, other media.
#pragma once

#include "dialogs/dialogrunner.h"
#include "dialogs/prefstree.h"

#include <QDialog>

#include <memory>

class QTreeWidgetItem;

namespace Ui {
class CPrefsDlg;
}

namespace tavrin {

class CPrefsDlg : public QDialog {
    Q_OBJECT
public:
    CPrefsDlg(QWidget *parent, const DialogServices &services);
    ~CPrefsDlg() override;

    // OK: stores in order, or stays open with the refusal's message.
    void accept() override;

    // For the tests: the model the tree shows.
    const PrefsTree &tree() const { return m_tree; }

private:
    void FillTree();
    void OnItemChanged(QTreeWidgetItem *item, int column);
    void AskDeleteFeed(QTreeWidgetItem *item);
    void OnAddMedium();
    void SyncChecks();
    PrefsItemPos PosOf(QTreeWidgetItem *item) const;
    void Show(const QString &text);

    DialogServices m_services;
    std::unique_ptr<Ui::CPrefsDlg> m_ui;
    PrefsTree m_tree;
    bool m_syncing = false;
};

} // namespace tavrin
