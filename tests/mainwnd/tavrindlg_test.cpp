// The main window end to end against a loopback publisher, with the real engine threads and web panes.
#include "mainwnd/tavrindlg.h"

#include "base/appmessage.h"
#include "base/files.h"
#include "base/paths.h"
#include "config/texts.h"
#include "mainwnd/panepages.h"
#include "news/newsstore.h"
#include "settings/settings.h"
#include "support/appservices.h"
#include "support/testpublisher.h"
#include "support/waituntil.h"

#include <QDialog>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QThread>

#include <gtest/gtest.h>

#include <algorithm>
#include <optional>

namespace tavrin {
namespace {

using namespace test;
using enum MessageId;
using enum AppState;

QString localPage(CWebBrowser2 *pane)
{
    auto *keeper = pane->findChild<LocalPageKeeper *>(QString(), Qt::FindDirectChildrenOnly);
    return keeper ? keeper->currentPage() : QString();
}

void sendMouse(QWidget *target, QEvent::Type type, const QPoint &global)
{
    const QPointF local = target->mapFromGlobal(QPointF(global));
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, local, QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// Starts the window on a publisher. The fixture is also the window's event filter, noting how many panes
// were complete when it was first shown, and its alerts actor, keeping what the window posts there.
class MainWindowTest : public QObject, public testing::Test {
protected:
    void start(int urgentReload = 30, int newsReload = 60)
    {
        publisher = std::make_unique<TestPublisher>(urgentReload, newsReload);
        services.config.replace(publisher->configuration());
        dlg = std::make_unique<CTavrinDlg>(services.app(), CTavrinDlg::Options { 200 });
        dlg->setQuitHandler([this] { ++quits; });
        dlg->setAlertsTarget(this);
        QObject::connect(dlg.get(), &CTavrinDlg::stateChanged,
                         [this](AppState state) { states.append(state); });
        dlg->installEventFilter(this);
        dlg->OnInitDialog();
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show && completeWhenShown < 0)
            completeWhenShown = panesIn(ReadyState::Complete);
        return false;
    }
    bool event(QEvent *event) override
    {
        AppMessage *message = asAppMessage(event);
        if (!message)
            return QObject::event(event);
        alerts.append(message->number());
        if (auto set = message->takePayloadAs<NewsSet>())
            alertSets.append(*set);
        return true;
    }
    int panesIn(ReadyState readyState) const
    {
        return int(std::ranges::count_if(dlg->panes(),
                                         [&](auto *pane) { return pane->GetReadyState() == readyState; }));
    }
    static bool waitForState(AppState state, int timeoutMs = 60000)
    {
        return waitUntil([&] { return appState() == state; }, timeoutMs);
    }
    void goOffline()
    {
        publisher->setOnline(false);
        services.connection.reset();
        postMessage(dlg.get(), WM_CONNECTION_LOST);
        ASSERT_TRUE(waitForState(Offline, 5000));
    }

    TestAppServices services { 1000000 }; // real time: the engine's periods as configured
    std::unique_ptr<TestPublisher> publisher;
    std::unique_ptr<CTavrinDlg> dlg;
    QList<AppState> states;
    QList<MessageId> alerts;
    QList<NewsSet> alertSets;
    int quits = 0;
    int completeWhenShown = -1;
};

TEST_F(MainWindowTest, FirstLoadShowsTheCompleteWindowThatMovesAndResizes)
{
    start();
    EXPECT_EQ(appState(), Starting);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_TRUE(dlg->windowFlags().testFlag(Qt::FramelessWindowHint));
    EXPECT_TRUE(dlg->testAttribute(Qt::WA_ShowWithoutActivating));

    ASSERT_TRUE(waitForState(Running));
    EXPECT_EQ(states.mid(0, 2), (QList<AppState> { FirstLoad, Running }));
    EXPECT_EQ(completeWhenShown, 5);
    EXPECT_EQ(panesIn(ReadyState::Complete), 5);
    EXPECT_TRUE(dlg->isVisible() && dlg->firstLoadDone());
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Tavrin"));
    EXPECT_EQ(dlg->size(), QSize(320, 480)) << "centred at the design size without a saved rectangle";
    EXPECT_EQ(dlg->urgentTimer()->objectName(), QStringLiteral("TIMER_URGENT_RELOAD"));
    EXPECT_TRUE(dlg->urgentTimer()->isActive());
    EXPECT_EQ(dlg->urgentTimer()->interval(), 30 * 1000);
    EXPECT_EQ(dlg->newsTimer()->interval(), 60 * 1000);
    EXPECT_GE(publisher->hits("/news/1/"), 1) << "the first selected section is current";

    // The panes are stacked inside the 3-pixel frame once their pages are measured, pane by pane.
    ASSERT_TRUE(waitUntil([&] {
        return dlg->adsPane()->geometry().bottom() == 480 - 3 - 1
            && dlg->sectionsPane()->geometry().height() == 50
            && dlg->urgentPane()->geometry().top() == 3 + 50;
    }));
    EXPECT_EQ(dlg->sectionsPane()->geometry().topLeft(), QPoint(3, 3));
    EXPECT_EQ(dlg->newsPane()->geometry().top(), 3 + 50 + dlg->urgentPane()->height());
    EXPECT_EQ(dlg->loadingPane()->geometry().size(), QSize(0, 0))
        << "loading stands in only while refreshing";

    // A press over the sections page's drag area moves the window; the frame's bands resize it.
    ASSERT_TRUE(waitUntil([&] { return dlg->sectionsPane()->focusProxy() != nullptr; }));
    QWidget *page = dlg->sectionsPane()->focusProxy();
    const QRect before = dlg->geometry();
    const QRect wide = before.adjusted(0, 0, 100, 0);
    const struct {
        const char *name;
        QRect start;
        QWidget *target; // where the press lands
        QPoint at; // window coordinates of the press
        QPoint drag;
        QRect expected;
    } cases[] = {
        { "drag area moves", before, page, { 50, 10 }, { 30, 20 }, before.translated(30, 20) },
        { "outside the drag area the page has the press", before, page, { 250, 10 }, { 30, 20 }, before },
        { "bottom-right band resizes",
          before,
          dlg.get(),
          { 318, 478 },
          { 40, 25 },
          before.adjusted(0, 0, 40, 25) },
        { "never narrower than the design width", before, dlg.get(), { 1, 200 }, { 60, 0 }, before },
        { "the drag area grows with the width", wide, page, { 250, 10 }, { 5, 5 }, wide.translated(5, 5) },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        dlg->setGeometry(c.start);
        const QPoint from = dlg->mapToGlobal(c.at);
        sendMouse(c.target, QEvent::MouseButtonPress, from);
        sendMouse(dlg.get(), QEvent::MouseMove, from + c.drag);
        sendMouse(dlg.get(), QEvent::MouseButtonRelease, from + c.drag);
        EXPECT_EQ(dlg->geometry(), c.expected);
    }
}

TEST_F(MainWindowTest, PaneErrorGoesOfflineAndRestorationRebuildsThePages)
{
    start(1);
    ASSERT_TRUE(waitForState(Running));
    const QString sectionsBefore = localPage(dlg->sectionsPane());
    ASSERT_FALSE(sectionsBefore.isEmpty());
    const int newsHits = publisher->hits("/news/1/");

    // The urgent reload (every second) meets a 404: the pane goes blank and the program offline.
    publisher->setUrgentBroken(true);
    ASSERT_TRUE(waitForState(Offline, 20000));
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(stateBeforeOffline(), Refreshing);
    EXPECT_TRUE(
        waitUntil([&] { return dlg->urgentPane()->GetLocationURL() == QStringLiteral("about:blank"); }));

    // The connectivity thread finds the monitor answering and brings the program back.
    publisher->setUrgentBroken(false);
    ASSERT_TRUE(waitUntil(
        [&] { return appState() == Running && localPage(dlg->sectionsPane()) != sectionsBefore; }, 30000));
    EXPECT_GT(publisher->hits("/news/1/"), newsHits) << "news page rebuilt";
    EXPECT_TRUE(waitUntil(
        [&] { return dlg->urgentPane()->GetLocationURL().endsWith(QStringLiteral("/urgent.html")); }));
    EXPECT_FALSE(QFile::exists(sectionsBefore)) << "the replaced local page is deleted";
}

TEST_F(MainWindowTest, AlertsGetThePendingNewsOnlyWhileOnlineAndTimersLoadNothingOffline)
{
    start(1, 1);
    ASSERT_TRUE(waitForState(Running));
    services.news.addRecord({ QStringLiteral("fresh"), QStringLiteral("1"), QStringLiteral("Titular"),
                              QStringLiteral("http://127.0.0.1/fresh"), QStringLiteral("2030-01-01 00:00:00"),
                              1893456000 },
                            false);
    postMessage(dlg.get(), WM_NEWS_FOR_ALERTS);
    ASSERT_TRUE(waitUntil([&] { return alerts.contains(WM_ALERTS_ADD); }));
    ASSERT_EQ(alertSets.size(), 1);
    ASSERT_GE(alertSets.at(0).size(), 1);
    EXPECT_EQ(alertSets.at(0).newest().id, QStringLiteral("fresh")) << "a copy of the pending set travels";
    dlg->OnCancel();
    ASSERT_TRUE(waitUntil([&] { return alerts.contains(WM_ALERTS_CLOSE); }));

    goOffline();
    // Let loads started before the loss settle, then count what the timers cause.
    ASSERT_TRUE(waitUntil([&] { return panesIn(ReadyState::Loading) == 0; }));
    const int urgentHits = publisher->hits("/urgent.html");
    const int newsHits = publisher->hits("/news/1/");
    int urgentFired = 0;
    int newsFired = 0;
    QObject::connect(dlg->urgentTimer(), &QTimer::timeout, [&] { ++urgentFired; });
    QObject::connect(dlg->newsTimer(), &QTimer::timeout, [&] { ++newsFired; });
    ASSERT_TRUE(waitUntil([&] { return urgentFired >= 2 && newsFired >= 2; }, 10000));
    EXPECT_EQ(appState(), Offline);
    EXPECT_EQ(publisher->hits("/urgent.html"), urgentHits);
    EXPECT_EQ(publisher->hits("/news/1/"), newsHits);

    // A second loss while offline changes nothing; news for alerts are not passed on.
    const qsizetype added = alerts.count(WM_ALERTS_ADD);
    postMessage(dlg.get(), WM_CONNECTION_LOST);
    postMessage(dlg.get(), WM_NEWS_FOR_ALERTS);
    QCoreApplication::processEvents();
    EXPECT_EQ(stateBeforeOffline(), states.at(states.lastIndexOf(Offline) - 1));
    dlg->OnCommand(ID_EXIT);
    ASSERT_TRUE(waitUntil([&] { return alerts.contains(WM_ALERTS_QUIT); }));
    EXPECT_EQ(alerts.count(WM_ALERTS_ADD), added);
}

TEST_F(MainWindowTest, EscapeHidesAndExitEndsTheThreadsAndLeavesThingsInOrder)
{
    start();
    ASSERT_TRUE(waitForState(Running));
    ASSERT_FALSE(ListFiles(TempFolder()).isEmpty()) << "the composed pages live there while running";
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QWidget *newsInput = dlg->newsPane()->focusProxy();
    QCoreApplication::sendEvent(newsInput ? newsInput : dlg->newsPane(), &escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(appState(), Running) << "hiding does not end anything";
    EXPECT_TRUE(IsFirstTimeClose()) << "without a tray icon the hint is still to come";
    for (bool visible : { true, false, true }) {
        dlg->OnCommand(ID_SHOW_HIDE);
        EXPECT_EQ(dlg->isVisible(), visible);
    }

    dlg->move(dlg->pos() + QPoint(7, 5));
    const QRect shown = dlg->geometry();
    QPointer<QThread> checker = dlg->connectivityThread()->thread();
    dlg->OnCommand(ID_EXIT);
    EXPECT_EQ(appState(), Exiting);
    EXPECT_TRUE(dlg->exited());
    EXPECT_TRUE(dlg->threadsEnded()) << "the engine and the connectivity thread ended within their waits";
    EXPECT_TRUE(!checker || checker->isFinished());
    EXPECT_FALSE(dlg->isVisible() || dlg->urgentTimer()->isActive() || dlg->newsTimer()->isActive());
    EXPECT_TRUE(ListFiles(TempFolder()).isEmpty());
    WindowRect saved;
    ASSERT_TRUE(LoadMainWindowRect(saved));
    EXPECT_EQ(saved, (WindowRect { shown.left(), shown.top(), shown.right() + 1, shown.bottom() + 1 }));
    EXPECT_EQ(quits, 1);

    // Everything after exit is ignored: a second exit, messages, page operations.
    dlg->OnCommand(ID_EXIT);
    postMessage(dlg.get(), WM_CONTENT_READY);
    QCoreApplication::processEvents();
    EXPECT_EQ(quits, 1);
    EXPECT_EQ(appState(), Exiting);
    EXPECT_FALSE(dlg->ShowSectionsPage());
}

TEST_F(MainWindowTest, NewVersionQuestion)
{
    const struct {
        const char *name;
        QMessageBox::StandardButton answer;
        std::optional<int> update; // the update dialog's result; none: no update dialog
        AppState after;
    } cases[] = {
        { "declined", QMessageBox::No, QDialog::Accepted, Running },
        { "accepted, update runs", QMessageBox::Yes, QDialog::Accepted, Updating },
        { "accepted, update cancelled: exit", QMessageBox::Yes, QDialog::Rejected, Exiting },
        { "accepted without an update dialog", QMessageBox::Yes, std::nullopt, Running },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        dlg.reset();
        quits = 0;
        services.boxes.asked.clear();
        start();
        ASSERT_TRUE(waitForState(Running));
        dlg->hide();
        bool visibleWhenAsked = false;
        services.boxes.answer = [&](const MessageBoxRequest &) {
            visibleWhenAsked = dlg->isVisible();
            // A second announcement while the question is open asks nothing more.
            postMessage(dlg.get(), WM_NEW_APP_VERSION);
            QCoreApplication::processEvents();
            return c.answer;
        };
        int runs = 0;
        if (c.update) {
            dlg->setUpdateRunner([&](CTavrinDlg *) {
                ++runs;
                return *c.update;
            });
        }
        postMessage(dlg.get(), WM_NEW_APP_VERSION);
        ASSERT_TRUE(waitUntil([&] { return !services.boxes.asked.empty(); }));
        QCoreApplication::processEvents();
        ASSERT_EQ(services.boxes.asked.size(), 1u);
        const MessageBoxRequest &asked = services.boxes.asked.front();
        EXPECT_EQ(asked.icon, QMessageBox::Information);
        EXPECT_EQ(asked.buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(asked.text, GetText(*services.config.snapshot(), TextId::NewAppVersion));
        EXPECT_TRUE(visibleWhenAsked) << "the window is shown before the question";
        EXPECT_EQ(runs, c.update && c.answer == QMessageBox::Yes ? 1 : 0);
        EXPECT_TRUE(waitForState(c.after, 5000));
        EXPECT_EQ(quits, c.after == Exiting ? 1 : 0);
    }
}

} // namespace
} // namespace tavrin
