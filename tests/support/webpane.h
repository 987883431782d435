// A shown web pane on the real engine that records what it loads, for the tests of the panes (gui only).
#pragma once

#include "browser/webbrowser2.h"
#include "support/testserver.h"
#include "support/waituntil.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace tavrin::test {

constexpr int kLoadTimeoutMs = 20000;

// An HTML page that closes its connection, so the engine keeps no idle connection that would hold
// the server's shutdown for its keep-alive time.
inline void servePage(TestServer &server, const std::string &path, const std::string &body, int status = 200)
{
    server.route(path, [body, status](const httplib::Request &, httplib::Response &response) {
        response.status = status;
        response.set_header("Connection", "close");
        response.set_content(body, "text/html");
    });
}

struct SeenRequest {
    QUrl url;
    bool programNavigation = false;
};

// A shown pane without scroll bars, as the measured panes are (the width measured is then the pane's
// whole width). Its filter lets the program's own loads and frames through and cancels the rest, as the
// main window's filter does; every request it sees, every completed and every failed load is recorded.
class WebPaneTest : public testing::Test {
protected:
    void SetUp() override
    {
        pane = std::make_unique<CWebBrowser2>(QStringLiteral("urgent"), PaneFlags { false, true });
        pane->resize(400, 300);
        pane->show();
        pane->setNavigationFilter([this](CWebBrowser2 *from, const NavigationRequest &request) {
            EXPECT_EQ(from, pane.get());
            seen.push_back({ request.url, request.programNavigation });
            return request.programNavigation || !request.isMainFrame ? NavigationVerdict::Allow
                                                                     : NavigationVerdict::Cancel;
        });
        QObject::connect(pane.get(), &CWebBrowser2::DocumentComplete, pane.get(),
                         [this](CWebBrowser2 *, const QUrl &url) { completed.push_back(url); });
        QObject::connect(pane.get(), &CWebBrowser2::NavigateError, pane.get(),
                         [this](CWebBrowser2 *from, const QUrl &url, int) {
                             EXPECT_EQ(from, pane.get());
                             failed.push_back(url);
                         });
    }

    // Runs `load` and waits for the next completed load.
    template <typename Load> bool completes(Load load)
    {
        const size_t before = completed.size();
        load();
        return waitUntil([&] { return completed.size() > before; }, kLoadTimeoutMs);
    }
    bool loadAndWait(const QString &url)
    {
        return completes([&] { pane->Navigate(url); });
    }
    // Waits until the last completed load is this address.
    bool waitCompleted(const QUrl &url)
    {
        return waitUntil([&] { return !completed.empty() && completed.back() == url; }, kLoadTimeoutMs);
    }
    // The answer of a script run in the page.
    QVariant evaluate(const QString &script)
    {
        QVariant result;
        bool done = false;
        pane->page()->runJavaScript(script, [&](const QVariant &value) {
            result = value;
            done = true;
        });
        EXPECT_TRUE(waitUntil([&] { return done; }, kLoadTimeoutMs));
        return result;
    }

    TestServer server;
    std::unique_ptr<CWebBrowser2> pane;
    std::vector<SeenRequest> seen;
    std::vector<QUrl> completed;
    std::vector<QUrl> failed;
};

} // namespace tavrin::test
