// The proxy password dialog, and the credentials prompt that shows it on the GUI thread for downloads
// of every thread.
#pragma once

#include "dialogs/dialogrunner.h"
#include "net/httpclient.h"

#include <QDialog>
#include <QObject>

#include <memory>

namespace Ui {
class CProxyPasswordDlg;
}

namespace tavrin {

class CProxyPasswordDlg : public QDialog {
    Q_OBJECT
public:
    CProxyPasswordDlg(QWidget *parent, const QString &proxy, const QString &realm);
    ~CProxyPasswordDlg() override;

    ProxyCredentials credentials() const;
    // For the tests, who type into the fields.
    void setCredentials(const ProxyCredentials &credentials);

private:
    std::unique_ptr<Ui::CProxyPasswordDlg> m_ui;
};

// The session's credentials prompt. Built on the GUI thread; a download on another thread waits while
// the dialog is shown there. The session lets one download ask at a time.
class ProxyPasswordPrompt : public QObject, public ProxyCredentialsProvider {
    Q_OBJECT
public:
    explicit ProxyPasswordPrompt(DialogRunner &runner);
    std::optional<ProxyCredentials> askProxyCredentials(const QString &proxy, const QString &realm) override;

private:
    std::optional<ProxyCredentials> askHere(const QString &proxy, const QString &realm);
    DialogRunner &m_runner;
};

} // namespace tavrin
