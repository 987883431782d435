// One preferences dialog and one about box at a time; a second request brings the open one forward.
#include "dialogs/dialogopener.h"

#include "config/liveconfig.h"

namespace tavrin {

namespace {

void bringForward(QWidget *dialog)
{
    dialog->raise();
    dialog->activateWindow();
}

} // namespace

DialogOpener::DialogOpener(const DialogServices &services)
    : m_services(services)
{
}

bool DialogOpener::preferences(QWidget *parent)
{
    if (m_prefs) {
        bringForward(m_prefs);
        return false;
    }
    CPrefsDlg dialog(parent, m_services);
    m_prefs = &dialog;
    const int result = m_services.runner.run(dialog);
    m_prefs = nullptr;
    return result == QDialog::Accepted;
}

void DialogOpener::about(QWidget *parent)
{
    if (m_about) {
        bringForward(m_about);
        return;
    }
    CAboutDlg dialog(parent, *m_services.app.core.config.snapshot());
    m_about = &dialog;
    m_services.runner.run(dialog);
    m_about = nullptr;
}

} // namespace tavrin
