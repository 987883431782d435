// A shown web pane on the real engine that records what it loads, for the tests of the panes (gui only).
#pragma once

#include "browser/webbrowser2.h"
#include "support/testserver.h"
#include "support/waituntil.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>

namespace tavrin::test {

using namespace Qt::StringLiterals;

// A page that closes its connection: an idle kept-alive one would hold the server's shutdown.
inline void servePage(TestServer &server, const std::string &path, const std::string &body, int status = 200,
                      const std::string &type = "text/html")
{
    server.route(path, [=](const httplib::Request &, httplib::Response &response) {
        response.status = status;
        response.set_header("Connection", "close");
        response.set_content(body, type);
    });
}

// A shown pane without scroll bars, as the measured panes are (its whole width is measured). Its filter
// lets the program's own loads and frames through and cancels the rest, as the main window's does.
class WebPaneTest : public testing::Test {
protected:
    void SetUp() override
    {
        pane->resize(400, 300);
        pane->show();
        pane->setNavigationFilter([this](CWebBrowser2 *from, const NavigationRequest &request) {
            EXPECT_EQ(from, pane.get());
            seen.append(QString(request.programNavigation ? "program " : "") + request.url.toString());
            return request.programNavigation || !request.isMainFrame ? NavigationVerdict::Allow
                                                                     : NavigationVerdict::Cancel;
        });
        QObject::connect(pane.get(), &CWebBrowser2::DocumentComplete, pane.get(),
                         [this](CWebBrowser2 *, const QUrl &url) { completed.append(url.toString()); });
        QObject::connect(pane.get(), &CWebBrowser2::NavigateError, pane.get(),
                         [this](CWebBrowser2 *, const QUrl &url, int) { failed.append(url.toString()); });
    }

    static bool wait(const auto &predicate) { return waitUntil(predicate, 20000); }
    template <typename Load> bool completes(Load load)
    {
        const qsizetype before = completed.size();
        load();
        return wait([&] { return completed.size() > before; });
    }
    bool show(const std::string &path, const std::string &body)
    {
        servePage(server, path, body);
        return completes([&] { pane->Navigate(server.url(path)); });
    }
    QVariant evaluate(const QString &script)
    {
        // Shared with the callback, which may still come after a timed-out wait.
        const auto result = std::make_shared<std::optional<QVariant>>();
        pane->page()->runJavaScript(script, [result](const QVariant &value) { *result = value; });
        EXPECT_TRUE(wait([&] { return result->has_value(); }));
        return result->value_or(QVariant());
    }

    TestServer server;
    std::unique_ptr<CWebBrowser2> pane { new CWebBrowser2(u"urgent"_s, PaneFlags { false, true }) };
    // The addresses the filter saw ("program " before the program's own), loaded and failed to load.
    QStringList seen, completed, failed;
};

} // namespace tavrin::test
