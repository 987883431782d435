// The about box: the program's icon, its name and version, and the publisher's notice.
#pragma once

#include "config/clientconfig.h"

#include <QDialog>

#include <memory>

namespace Ui {
class CAboutDlg;
}

namespace tavrin {

class CAboutDlg : public QDialog {
    Q_OBJECT
public:
    CAboutDlg(QWidget *parent, const ClientConfig &config);
    ~CAboutDlg() override;

    // "Tavrin " + the running version, as the box shows it.
    static QString VersionText();

private:
    std::unique_ptr<Ui::CAboutDlg> m_ui;
};

} // namespace tavrin
