// The page behind every pane: its two look flags, the navigation hook, refused windows, silent scripts.
#pragma once

#include <QDateTime>
#include <QWebEnginePage>

#include <functional>
#include <optional>

namespace tavrin {

// Per-pane look: the main window and the alert pop-up give each pane its own pair.
struct PaneFlags {
    bool noContextMenu = false;
    bool noScrollBars = false;
};

// One navigation as the engine asks for it, before it starts.
struct NavigationRequest {
    QUrl url;
    bool isMainFrame = true;
    // The load was started by CWebBrowser2::Navigate and not yet seen here.
    bool programNavigation = false;
};

enum class NavigationVerdict { Allow, Cancel };

class CWebCtrlInterFace : public QWebEnginePage {
    Q_OBJECT
public:
    using Hook = std::function<NavigationVerdict(const NavigationRequest &)>;

    CWebCtrlInterFace(PaneFlags flags, QObject *parent = nullptr);

    PaneFlags flags() const { return m_flags; }
    // Called for every navigation but the server redirects of a main-frame load already let through and
    // the reloads of the page shown. Without a hook every navigation proceeds, but a frame shows only web
    // pages, inline documents and the program's own composed pages, whatever the hook says.
    void setNavigationHook(Hook hook) { m_hook = std::move(hook); }
    // Marks the next main-frame navigation as the program's own (set by Navigate).
    void setProgramNavigation(bool on) { m_programNavigation = on; }
    bool programNavigation() const { return m_programNavigation; }
    // True between a cancelled main-frame request and the start of the next load, so the
    // engine's report of the aborted navigation is not taken for an error.
    bool lastRequestCancelled() const { return m_lastCancelled; }

protected:
    bool acceptNavigationRequest(const QUrl &url, NavigationType type, bool isMainFrame) override;
    QWebEnginePage *createWindow(WebWindowType type) override;
    void javaScriptConsoleMessage(JavaScriptConsoleMessageLevel level, const QString &message, int line,
                                  const QString &source) override;

private:
    // Which document the main frame shows: it changes when a navigation commits, even when the address
    // stays the same (the engine stamps each commit).
    struct CommitMark {
        QUrl url;
        QDateTime visited;
        friend bool operator==(const CommitMark &, const CommitMark &) = default;
    };
    CommitMark commitMark() const;
    bool passesUnfiltered(const QUrl &url, NavigationType type);

    PaneFlags m_flags;
    Hook m_hook;
    bool m_programNavigation = false;
    bool m_lastCancelled = false;
    // The main-frame load let through last (its address after any server redirect), with the document
    // shown when it was let through; none once it has failed or another navigation was refused.
    struct LetThrough {
        QUrl url;
        CommitMark before;
    };
    std::optional<LetThrough> m_letThrough;
};

} // namespace tavrin
