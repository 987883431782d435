// Opens the preferences and the about box for the main window, one of each at a time.
#pragma once

#include "dialogs/aboutdlg.h"
#include "dialogs/dialogrunner.h"
#include "dialogs/prefsdlg.h"

#include <QPointer>

namespace tavrin {

class DialogOpener {
public:
    explicit DialogOpener(const DialogServices &services);

    // Runs the preferences modally over parent; true when they ended with OK. While they are open, a
    // second request brings them forward and returns false.
    bool preferences(QWidget *parent);
    // Runs the about box modally over parent, or brings the open one forward.
    void about(QWidget *parent);

    // The open dialogs, if any.
    CPrefsDlg *openPreferences() const { return m_prefs; }
    CAboutDlg *openAbout() const { return m_about; }

private:
    DialogServices m_services;
    QPointer<CPrefsDlg> m_prefs;
    QPointer<CAboutDlg> m_about;
};

} // namespace tavrin
