// The dialog that registers a feed of other media with the publisher's server.
#pragma once

#include "ui/services.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CAddUserRSSDlg;
}

namespace tavrin {

class CAddUserRSSDlg : public QDialog {
    Q_OBJECT
public:
    CAddUserRSSDlg(QWidget *parent, const AppServices &services);
    ~CAddUserRSSDlg() override;

    // OK: registers, shows the outcome, and closes when the registration ended.
    void accept() override;
    // For the tests, who type into the fields.
    void setFields(const QString &name, const QString &address);

private:
    AppServices m_services;
    std::unique_ptr<Ui::CAddUserRSSDlg> m_ui;
};

} // namespace tavrin
