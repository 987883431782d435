// The preferences dialog: a widget over the tree rules of prefstree.h.
#include "dialogs/prefsdlg.h"

#include "config/liveconfig.h"
#include "config/texts.h"
#include "dialogs/adduserrssdlg.h"
#include "ui/messagebox.h"

#include "ui_prefsdlg.h"

#include <QTimer>

#include <utility>

namespace tavrin {

CPrefsDlg::CPrefsDlg(QWidget *parent, const DialogServices &services)
    : QDialog(parent)
    , m_services(services)
    , m_ui(std::make_unique<Ui::CPrefsDlg>())
{
    m_ui->setupUi(this);
    const std::shared_ptr<const ClientConfig> config = m_services.app.core.config.snapshot();
    m_ui->treeLabel->setText(GetText(*config, TextId::PrefsLabelTree));
    m_ui->startBox->setText(GetText(*config, TextId::PrefsLaunchOnStart));
    m_ui->otherMediaBox->setText(GetText(*config, TextId::PrefsShowAlertsForOtherMedia));
    const PrefsOptions options = LoadPrefsOptions(*config);
    m_ui->startBox->setChecked(options.startWithWindows);
    m_ui->alertsBox->setChecked(options.alerts);
    m_ui->otherMediaBox->setChecked(options.otherMediaAlerts);
    m_ui->secondsEdit->setText(options.seconds);
    // Enabled when the dialog opens whatever the alerts box shows; the box's clicks decide from then on.
    connect(m_ui->alertsBox, &QCheckBox::clicked, m_ui->secondsEdit, &QWidget::setEnabled);
    connect(m_ui->addMediumButton, &QPushButton::clicked, this, &CPrefsDlg::OnAddMedium);
    connect(m_ui->okButton, &QPushButton::clicked, this, &CPrefsDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CPrefsDlg::reject);
    connect(m_ui->sectionsTree, &QTreeWidget::itemChanged, this, &CPrefsDlg::OnItemChanged);
    FillTree();
}

CPrefsDlg::~CPrefsDlg() = default;

void CPrefsDlg::FillTree()
{
    m_tree = BuildPrefsTree(*m_services.app.core.config.snapshot());
    m_syncing = true;
    QTreeWidget *view = m_ui->sectionsTree;
    view->clear();
    for (const PrefsTreeItem &root : m_tree) {
        auto *rootItem = new QTreeWidgetItem(view, { root.data.section.name });
        rootItem->setFlags(rootItem->flags() | Qt::ItemIsUserCheckable);
        for (const PrefsTreeItem &child : root.children) {
            auto *childItem = new QTreeWidgetItem(rootItem, { child.data.subsection.name });
            childItem->setFlags(childItem->flags() | Qt::ItemIsUserCheckable);
        }
        rootItem->setExpanded(true);
    }
    m_syncing = false;
    SyncChecks();
    if (view->topLevelItemCount() > 0)
        view->scrollToItem(view->topLevelItem(0), QAbstractItemView::PositionAtTop);
}

void CPrefsDlg::SyncChecks()
{
    const bool wasSyncing = std::exchange(m_syncing, true);
    QTreeWidget *view = m_ui->sectionsTree;
    for (qsizetype r = 0; r < m_tree.size(); ++r) {
        QTreeWidgetItem *rootItem = view->topLevelItem(static_cast<int>(r));
        rootItem->setCheckState(0, m_tree[r].checked ? Qt::Checked : Qt::Unchecked);
        for (qsizetype c = 0; c < m_tree[r].children.size(); ++c)
            rootItem->child(static_cast<int>(c))
                ->setCheckState(0, m_tree[r].children[c].checked ? Qt::Checked : Qt::Unchecked);
    }
    m_syncing = wasSyncing;
}

PrefsItemPos CPrefsDlg::PosOf(QTreeWidgetItem *item) const
{
    if (QTreeWidgetItem *parent = item->parent())
        return { m_ui->sectionsTree->indexOfTopLevelItem(parent), parent->indexOfChild(item) };
    return { m_ui->sectionsTree->indexOfTopLevelItem(item), -1 };
}

void CPrefsDlg::OnItemChanged(QTreeWidgetItem *item, int column)
{
    if (m_syncing || column != 0)
        return;
    const PrefsItemPos pos = PosOf(item);
    const bool wasChecked
        = pos.child >= 0 ? m_tree[pos.root].children[pos.child].checked : m_tree[pos.root].checked;
    // Only a change of the check box is a click on it; a rename or a selection is not.
    if ((item->checkState(0) == Qt::Checked) == wasChecked)
        return;
    const bool askDelete = ToggleCheck(m_tree, pos);
    m_ui->sectionsTree->setCurrentItem(item);
    SyncChecks();
    // Asked once the view has finished with the click, since Yes deletes the clicked item.
    if (askDelete)
        QTimer::singleShot(0, this, [this, item] { AskDeleteFeed(item); });
}

void CPrefsDlg::AskDeleteFeed(QTreeWidgetItem *item)
{
    // The tree may have been filled again (or the feed checked again) before the question's turn came.
    QTreeWidget *view = m_ui->sectionsTree;
    bool present = false;
    for (int r = 0; r < view->topLevelItemCount() && !present; ++r)
        present = view->topLevelItem(r)->indexOfChild(item) >= 0;
    if (!present || item->checkState(0) != Qt::Unchecked)
        return;
    const PrefsItemPos pos = PosOf(item);
    const Subsection feed = m_tree[pos.root].children[pos.child].data.subsection;
    MessageBoxRequest request;
    request.icon = QMessageBox::Information;
    request.text = DeleteFeedQuestion(*m_services.app.core.config.snapshot(), feed);
    request.buttons = QMessageBox::Yes | QMessageBox::No;
    request.defaultButton = QMessageBox::No;
    if (m_services.app.boxes.ask(this, request) != QMessageBox::Yes)
        return;
    DeleteUserFeed(m_tree, pos);
    delete item;
}

void CPrefsDlg::OnAddMedium()
{
    CAddUserRSSDlg dialog(this, m_services.app);
    if (m_services.runner.run(dialog) == QDialog::Accepted)
        FillTree();
}

void CPrefsDlg::Show(const QString &text)
{
    MessageBoxRequest request;
    request.text = text;
    m_services.app.boxes.ask(this, request);
}

void CPrefsDlg::accept()
{
    const PrefsOptions options { m_ui->startBox->isChecked(), m_ui->alertsBox->isChecked(),
                                 m_ui->otherMediaBox->isChecked(), m_ui->secondsEdit->text() };
    const std::shared_ptr<const ClientConfig> config = m_services.app.core.config.snapshot();
    switch (StorePrefs(m_tree, options)) {
    case PrefsOkResult::MustSelectSections:
        Show(GetText(*config, TextId::PrefsMustSelectSections));
        return;
    case PrefsOkResult::AlertsPositiveTtl:
        Show(GetText(*config, TextId::PrefsAlertsPositiveTtl));
        return;
    case PrefsOkResult::Accepted:
        QDialog::accept();
        return;
    }
}

} // namespace tavrin
