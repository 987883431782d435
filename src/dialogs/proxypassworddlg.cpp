// The proxy password dialog and its prompt across threads.
#include "dialogs/proxypassworddlg.h"

#include "ui_proxypassworddlg.h"

#include <QThread>

namespace tavrin {

CProxyPasswordDlg::CProxyPasswordDlg(QWidget *parent, const QString &proxy, const QString &realm)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::CProxyPasswordDlg>())
{
    m_ui->setupUi(this);
    // The realm is the proxy's own words; shown as plain text beside the address it came from.
    m_ui->proxyLabel->setText(realm.isEmpty() ? proxy
                                              : proxy + QStringLiteral(" (") + realm + QLatin1Char(')'));
    connect(m_ui->okButton, &QPushButton::clicked, this, &CProxyPasswordDlg::accept);
    connect(m_ui->cancelButton, &QPushButton::clicked, this, &CProxyPasswordDlg::reject);
}

CProxyPasswordDlg::~CProxyPasswordDlg() = default;

ProxyCredentials CProxyPasswordDlg::credentials() const
{
    return { m_ui->userEdit->text(), m_ui->passwordEdit->text() };
}

void CProxyPasswordDlg::setCredentials(const ProxyCredentials &credentials)
{
    m_ui->userEdit->setText(credentials.user);
    m_ui->passwordEdit->setText(credentials.password);
}

ProxyPasswordPrompt::ProxyPasswordPrompt(DialogRunner &runner)
    : m_runner(runner)
{
}

std::optional<ProxyCredentials> ProxyPasswordPrompt::askHere(const QString &proxy, const QString &realm)
{
    CProxyPasswordDlg dialog(nullptr, proxy, realm);
    if (m_runner.run(dialog) != QDialog::Accepted)
        return std::nullopt;
    return dialog.credentials();
}

std::optional<ProxyCredentials> ProxyPasswordPrompt::askProxyCredentials(const QString &proxy,
                                                                         const QString &realm)
{
    if (QThread::currentThread() == thread())
        return askHere(proxy, realm);
    // Widgets live on the GUI thread only: the downloading thread waits there for the answer. Should the
    // prompt go away first (the program ends), the call is dropped and the download declines.
    std::optional<ProxyCredentials> answer;
    QMetaObject::invokeMethod(
        this, [&] { answer = askHere(proxy, realm); }, Qt::BlockingQueuedConnection);
    return answer;
}

} // namespace tavrin
