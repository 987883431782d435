// What the dialogs' tests share: a runner that answers dialogs by script, and a configuration with feeds.
#pragma once

#include "config/clientconfig.h"
#include "dialogs/dialogrunner.h"

#include <QStringList>

#include <deque>
#include <functional>

namespace tavrin::test {

// Runs the program's dialogs without a user: each run takes the next script, which fills and answers it.
class ScriptedRunner : public DialogRunner {
public:
    // Records the title, then runs the next script on the dialog; with none left the dialog is cancelled.
    int run(QDialog &dialog) override
    {
        titles.append(dialog.windowTitle());
        if (scripts.empty())
            return QDialog::Rejected;
        const std::function<int(QDialog &)> script = std::move(scripts.front());
        scripts.pop_front();
        return script(dialog);
    }
    std::deque<std::function<int(QDialog &)>> scripts;
    QStringList titles;
};

// "News" (on): "Local" (on), "World" (off); "Others" (off) carries the user's feeds unless told not to.
inline ClientConfig prefsConfig(const QString &registration = {}, bool carriesFeeds = true)
{
    const QString feeds = carriesFeeds ? QStringLiteral("http://x.test/@SUBSECTION@") : QString();
    Section news { "News", "news", {}, true, {}, {}, {}, {} };
    news.subsections = { { "Local", "local", "news_local", true, false },
                         { "World", "world", "news_world", false, false } };
    ClientConfig config;
    config.sections = { news, { "Others", "mine", {}, false, feeds, feeds, feeds, {} } };
    config.add_user_rss_url = registration;
    config.alerts_ttl = QStringLiteral("8");
    return config;
}

} // namespace tavrin::test
