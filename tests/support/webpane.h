// A shown web pane on the real engine that records what it loads, for the tests of the panes (gui only).
#pragma once

#include "browser/webbrowser2.h"
#include "support/testserver.h"
#include "support/waituntil.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>

namespace tavrin::test {

constexpr int kLoadTimeoutMs = 20000;

// A page that closes its connection, so the engine keeps no idle connection that would hold the
// server's shutdown for its keep-alive time.
inline void servePage(TestServer &server, const std::string &path, const std::string &body, int status = 200,
                      const std::string &type = "text/html")
{
    server.route(path, [=](const httplib::Request &, httplib::Response &response) {
        response.status = status;
        response.set_header("Connection", "close");
        response.set_content(body, type);
    });
}

// A shown pane without scroll bars, as the measured panes are (the width measured is then the pane's
// whole width). Its filter lets the program's own loads and frames through and cancels the rest, as the
// main window's filter does; what it sees, every completed and every failed load is recorded.
class WebPaneTest : public testing::Test {
protected:
    void SetUp() override
    {
        pane->resize(400, 300);
        pane->show();
        pane->setNavigationFilter([this](CWebBrowser2 *from, const NavigationRequest &request) {
            EXPECT_EQ(from, pane.get());
            seen.append((request.programNavigation ? QStringLiteral("program ") : QString())
                        + request.url.toString());
            return request.programNavigation || !request.isMainFrame ? NavigationVerdict::Allow
                                                                     : NavigationVerdict::Cancel;
        });
        QObject::connect(pane.get(), &CWebBrowser2::DocumentComplete, pane.get(),
                         [this](CWebBrowser2 *, const QUrl &url) { completed.append(url.toString()); });
        QObject::connect(pane.get(), &CWebBrowser2::NavigateError, pane.get(),
                         [this](CWebBrowser2 *from, const QUrl &url, int) {
                             EXPECT_EQ(from, pane.get());
                             failed.append(url.toString());
                         });
    }

    template <typename Predicate> static bool wait(Predicate predicate)
    {
        return waitUntil(predicate, kLoadTimeoutMs);
    }
    // Runs `load` and waits for the next completed load.
    template <typename Load> bool completes(Load load)
    {
        const qsizetype before = completed.size();
        load();
        return wait([&] { return completed.size() > before; });
    }
    // Serves the page at `path` and loads it.
    bool show(const std::string &path, const std::string &body)
    {
        servePage(server, path, body);
        return completes([&] { pane->Navigate(server.url(path)); });
    }
    // Waits until the last completed load is this address.
    bool waitCompleted(const QString &url)
    {
        return wait([&] { return !completed.isEmpty() && completed.last() == url; });
    }
    // The answer of a script run in the page.
    QVariant evaluate(const QString &script)
    {
        std::optional<QVariant> result;
        pane->page()->runJavaScript(script, [&](const QVariant &value) { result = value; });
        EXPECT_TRUE(wait([&] { return result.has_value(); }));
        return result.value_or(QVariant());
    }

    TestServer server;
    std::unique_ptr<CWebBrowser2> pane
        = std::make_unique<CWebBrowser2>(QStringLiteral("urgent"), PaneFlags { false, true });
    // The addresses the filter saw ("program " before the program's own), loaded and failed to load.
    QStringList seen, completed, failed;
};

} // namespace tavrin::test
