// The other-media registration dialog: the fields, the wait cursor and the outcome's message.
#include "dialogs/adduserrssdlg.h"

#include "config/liveconfig.h"
#include "config/texts.h"
#include "dialogs/registration.h"
#include "ui/messagebox.h"

#include "ui_adduserrssdlg.h"

#include <QGuiApplication>

#include <optional>

namespace tavrin {

namespace {

// The wait cursor for as long as the server is asked.
struct WaitCursor {
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor &) = delete;
    WaitCursor &operator=(const WaitCursor &) = delete;
};

} // namespace

CAddUserRSSDlg::CAddUserRSSDlg(QWidget *parent, const AppServices &services)
    : QDialog(parent)
    , m_services(services)
    , m_ui(std::make_unique<Ui::CAddUserRSSDlg>())
{
    m_ui->setupUi(this);
    m_ui->introLabel->setText(GetText(*m_services.core.config.snapshot(), TextId::AddUserRssLabel));
    connect(m_ui->okButton, &QPushButton::clicked, this, &CAddUserRSSDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CAddUserRSSDlg::reject);
}

CAddUserRSSDlg::~CAddUserRSSDlg() = default;

void CAddUserRSSDlg::setFields(const QString &name, const QString &address)
{
    m_ui->nameEdit->setText(name);
    m_ui->addressEdit->setText(address);
}

void CAddUserRSSDlg::accept()
{
    const QString name = m_ui->nameEdit->text();
    const QString address = m_ui->addressEdit->text();
    RegistrationOutcome outcome;
    {
        std::optional<WaitCursor> wait; // only while the server is asked
        if (RegistrationFieldsGiven(name, address))
            wait.emplace();
        outcome = RegisterOtherMedium(m_services.core, name, address);
    }
    if (!outcome.message.isEmpty()) {
        MessageBoxRequest request;
        if (outcome.kind == RegistrationOutcome::Kind::Registered)
            request.icon = QMessageBox::Information;
        request.text = outcome.message;
        m_services.boxes.ask(this, request);
    }
    if (outcome.closes())
        QDialog::accept();
}

} // namespace tavrin
