// The main window's answer to the links of its pages: the command links and the reader's browser.
#include "mainwnd/tavrindlg.h"

#include "base/appmessage.h"
#include "base/clock.h"
#include "compose/commandurl.h"
#include "news/newsdate.h"
#include "news/newsset.h"
#include "ui/browseropener.h"

namespace tavrin {

namespace {

using Parameters = decltype(CommandUrl::parameters);

QString parameter(const Parameters &parameters, const char *key)
{
    const auto found = parameters.find(QString::fromLatin1(key));
    return found == parameters.end() ? QString() : found->second;
}

// The one news item that a show_alert link describes, dated as a news document's item would be.
NewsSet alertFromLink(const Parameters &parameters, std::int64_t now)
{
    NewsRecord record;
    record.id = parameter(parameters, "id");
    record.section_key = parameter(parameters, "section_id");
    record.title = parameter(parameters, "title");
    record.url = parameter(parameters, "url");
    record.date = parameter(parameters, "date");
    record.time = ParseNewsDate(record.date, now);
    NewsSet set;
    set.insert(record);
    return set;
}

} // namespace

QString CTavrinDlg::ExecuteCommandUrl(const QString &url)
{
    const std::optional<CommandUrl> command = ParseCommandUrl(url);
    if (!command) {
        OpenInWebBrowser(m_services.browser, url);
        return QString();
    }
    const Parameters &parameters = command->parameters;
    switch (command->command) {
    case Command::prefs:
        // The dialogs open once the engine's event has returned.
        postMessage(this, ID_PREFERENCES);
        break;
    case Command::about:
        postMessage(this, ID_ABOUT);
        break;
    case Command::select_section:
        // An unknown section keeps the current one; the pages are rebuilt all the same.
        SelectSectionById(parameter(parameters, "id"));
        RefreshAll();
        break;
    case Command::close_window:
        HideMainWindow();
        break;
    case Command::navigate_internal:
        setState(AppState::Refreshing);
        LayoutPanes();
        return parameter(parameters, "url");
    case Command::show_alert:
        postMessage(m_alertsTarget, WM_ALERTS_ADD, 0, 0,
                    makePayload(alertFromLink(parameters, m_services.core.clock.nowSeconds())));
        break;
    case Command::navigate_explorer_news:
        if (exiting())
            break;
        setState(AppState::Refreshing);
        LayoutPanes();
        m_news->Navigate(parameter(parameters, "url"));
        break;
    }
    return QString();
}

} // namespace tavrin
