// The about box.
#include "dialogs/aboutdlg.h"

#include "base/version.h"
#include "mainwnd/appicon.h"

#include "ui_aboutdlg.h"

namespace tavrin {

CAboutDlg::CAboutDlg(QWidget *parent, const ClientConfig &config)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CAboutDlg>())
{
    m_ui->setupUi(this);
    m_ui->versionLabel->setText(VersionText());
    m_ui->iconLabel->setPixmap(LoadAppIcon(config, IconId::App).pixmap(32, 32));
    setWindowTitle(QStringLiteral("Acerca de ") + AppName());
    connect(m_ui->okButton, &QPushButton::clicked, this, &CAboutDlg::accept);
}

CAboutDlg::~CAboutDlg() = default;

QString CAboutDlg::VersionText()
{
    return AppName() + QLatin1Char(' ') + OwnVersion();
}

} // namespace tavrin
