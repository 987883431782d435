// The main window end to end against a loopback publisher, with the real engine threads and web panes.
#include "mainwnd/tavrindlg.h"

#include "base/appmessage.h"
#include "base/files.h"
#include "base/paths.h"
#include "base/messages.h"
#include "settings/settings.h"
#include "ui/messagebox.h"
#include "config/liveconfig.h"
#include "config/texts.h"
#include "mainwnd/panepages.h"
#include "net/connectivity.h"
#include "news/newsstore.h"
#include "support/waituntil.h"
#include "support/testpublisher.h"

#include <QDialog>
#include <QElapsedTimer>
#include <QFile>
#include <QKeyEvent>
#include <QPointer>
#include <QThread>

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using test::TestPublisher;
using test::waitUntil;

constexpr int kLoadTimeoutMs = 60000;

QString localPage(CWebBrowser2 *pane)
{
    auto *keeper = pane->findChild<LocalPageKeeper *>(QString(), Qt::FindDirectChildrenOnly);
    return keeper ? keeper->currentPage() : QString();
}

// Records, at the moment the window is first shown, how many panes had completed their pages.
class ShowWatcher : public QObject {
public:
    explicit ShowWatcher(CTavrinDlg *dlg)
        : m_dlg(dlg)
    {
    }
    int completeWhenShown = -1;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show && completeWhenShown < 0) {
            completeWhenShown = 0;
            for (CWebBrowser2 *pane : m_dlg->panes())
                completeWhenShown += pane->GetReadyState() == CWebBrowser2::kReadyStateComplete ? 1 : 0;
        }
        return false;
    }

private:
    CTavrinDlg *m_dlg;
};

class MainWindowTest : public testing::Test {
protected:
    void start(test::PublisherTimes times = {})
    {
        setNetworkPresence(&m_presence);
        ResetConnectionCache();
        publisher = std::make_unique<TestPublisher>(times);
        liveConfig().replace(publisher->configuration());
        CTavrinDlg::Options options;
        options.watchIntervalMs = 200;
        dlg = std::make_unique<CTavrinDlg>(options);
        dlg->setQuitHandler([this] { ++quits; });
        QObject::connect(dlg.get(), &CTavrinDlg::stateChanged,
                         [this](AppState state) { states.append(state); });
        m_showWatcher = std::make_unique<ShowWatcher>(dlg.get());
        dlg->installEventFilter(m_showWatcher.get());
        dlg->OnInitDialog();
    }

    void TearDown() override
    {
        if (dlg)
            dlg->removeEventFilter(m_showWatcher.get());
        dlg.reset();
        setNetworkPresence(nullptr);
        ResetConnectionCache();
    }

    bool waitForState(AppState state, int timeoutMs = kLoadTimeoutMs)
    {
        return waitUntil([&] { return appState() == state; }, timeoutMs);
    }

    test::AlwaysConnected m_presence;
    std::unique_ptr<TestPublisher> publisher;
    std::unique_ptr<CTavrinDlg> dlg;
    std::unique_ptr<ShowWatcher> m_showWatcher;
    QList<AppState> states;
    int quits = 0;
};

TEST_F(MainWindowTest, FirstLoadShowsTheWindowWhenAllFivePanesAreComplete)
{
    start();
    EXPECT_EQ(appState(), AppState::Starting);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(dlg->windowFlags() & Qt::FramelessWindowHint, Qt::FramelessWindowHint);
    EXPECT_TRUE(dlg->testAttribute(Qt::WA_ShowWithoutActivating));

    ASSERT_TRUE(waitForState(AppState::Running));
    EXPECT_EQ(states.mid(0, 2), (QList<AppState> { AppState::FirstLoad, AppState::Running }));
    EXPECT_EQ(m_showWatcher->completeWhenShown, 5);
    EXPECT_TRUE(dlg->isVisible());
    EXPECT_TRUE(dlg->firstLoadDone());
    for (CWebBrowser2 *pane : dlg->panes()) {
        SCOPED_TRACE(pane->paneName().toStdString());
        EXPECT_EQ(pane->GetReadyState(), CWebBrowser2::kReadyStateComplete);
    }
    EXPECT_EQ(dlg->windowTitle(), QStringLiteral("Tavrin"));
    EXPECT_EQ(dlg->size(), QSize(320, 480)) << "centred at the design size without a saved rectangle";
    EXPECT_EQ(dlg->urgentTimer()->objectName(), QStringLiteral("TIMER_URGENT_RELOAD"));
    EXPECT_EQ(dlg->urgentTimer()->interval(), 30 * 1000);
    EXPECT_EQ(dlg->newsTimer()->interval(), 60 * 1000);
    EXPECT_TRUE(dlg->urgentTimer()->isActive());
    EXPECT_GE(publisher->server().hits(publisher->newsPath("1")), 1)
        << "the first selected section is current";

    // The panes are stacked inside the 3-pixel frame once their pages are measured.
    // Measurements arrive pane by pane; wait for the ones this layout depends on.
    ASSERT_TRUE(waitUntil(
        [&] {
            return dlg->adsPane()->geometry().bottom() == 480 - 3 - 1
                && dlg->sectionsPane()->geometry().height() == 50
                && dlg->urgentPane()->geometry().top() == 3 + 50;
        },
        20000));
    const QRect sections = dlg->sectionsPane()->geometry();
    EXPECT_EQ(sections.topLeft(), QPoint(3, 3));
    EXPECT_EQ(sections.height(), 50);
    EXPECT_EQ(dlg->urgentPane()->geometry().top(), 3 + 50);
    EXPECT_EQ(dlg->newsPane()->geometry().top(), 3 + 50 + dlg->urgentPane()->height());
    EXPECT_EQ(dlg->loadingPane()->geometry().size(), QSize(0, 0))
        << "loading stands in only while refreshing";
}

TEST_F(MainWindowTest, PaneErrorGoesOfflineAndRestorationRebuildsThePages)
{
    start({ 1, 60, 300 });
    ASSERT_TRUE(waitForState(AppState::Running));
    const QString sectionsBefore = localPage(dlg->sectionsPane());
    ASSERT_FALSE(sectionsBefore.isEmpty());
    const int newsHits = publisher->server().hits(publisher->newsPath("1"));

    // The urgent reload (every second) meets a 404: the pane goes blank and the program offline.
    publisher->setUrgentBroken(true);
    ASSERT_TRUE(waitForState(AppState::Offline, 20000));
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(stateBeforeOffline(), AppState::Refreshing);
    EXPECT_TRUE(
        waitUntil([&] { return dlg->urgentPane()->GetLocationURL() == QStringLiteral("about:blank"); }));

    // The connectivity thread finds the monitor answering and brings the program back.
    publisher->setUrgentBroken(false);
    ASSERT_TRUE(waitUntil(
        [&] {
            return states.count(AppState::Offline) >= 1 && appState() == AppState::Running
                && localPage(dlg->sectionsPane()) != sectionsBefore;
        },
        30000));
    EXPECT_GT(publisher->server().hits(publisher->newsPath("1")), newsHits) << "news page rebuilt";
    EXPECT_TRUE(waitUntil(
        [&] { return dlg->urgentPane()->GetLocationURL().endsWith(QStringLiteral("/urgent.html")); }));
    EXPECT_FALSE(QFile::exists(sectionsBefore)) << "the replaced local page is deleted";
}

TEST_F(MainWindowTest, ReloadTimersDoNothingWhileOffline)
{
    start({ 1, 1, 300 });
    ASSERT_TRUE(waitForState(AppState::Running));
    publisher->setOnline(false);
    ResetConnectionCache();
    postMessage(dlg.get(), WM_CONNECTION_LOST);
    ASSERT_TRUE(waitForState(AppState::Offline, 5000));
    // Let loads started before the loss settle, then count what the timers cause.
    ASSERT_TRUE(waitUntil([&] {
        for (CWebBrowser2 *pane : dlg->panes()) {
            if (pane->GetReadyState() == CWebBrowser2::kReadyStateLoading)
                return false;
        }
        return true;
    }));
    const int urgentHits = publisher->server().hits(publisher->urgentPath());
    const int newsHits = publisher->server().hits(publisher->newsPath("1"));
    int urgentFired = 0;
    int newsFired = 0;
    QObject::connect(dlg->urgentTimer(), &QTimer::timeout, [&] { ++urgentFired; });
    QObject::connect(dlg->newsTimer(), &QTimer::timeout, [&] { ++newsFired; });
    ASSERT_TRUE(waitUntil([&] { return urgentFired >= 2 && newsFired >= 2; }, 10000));
    EXPECT_EQ(appState(), AppState::Offline);
    EXPECT_EQ(publisher->server().hits(publisher->urgentPath()), urgentHits);
    EXPECT_EQ(publisher->server().hits(publisher->newsPath("1")), newsHits);

    // A second loss while offline changes nothing.
    postMessage(dlg.get(), WM_CONNECTION_LOST);
    QCoreApplication::processEvents();
    EXPECT_EQ(stateBeforeOffline(), states.at(states.lastIndexOf(AppState::Offline) - 1));
}

TEST_F(MainWindowTest, ExitEndsTheThreadsInTimeAndLeavesThingsInOrder)
{
    start();
    ASSERT_TRUE(waitForState(AppState::Running));
    ASSERT_FALSE(ListFiles(TempFolder()).isEmpty()) << "the composed pages live there while running";
    dlg->move(dlg->pos() + QPoint(7, 5));
    const QRect shown = dlg->geometry();
    QPointer<QThread> checker = dlg->connectivityThread()->thread();

    QElapsedTimer clock;
    clock.start();
    dlg->OnCommand(ID_EXIT);
    EXPECT_LT(clock.elapsed(), 3 * CTavrinDlg::kThreadWaitMs + 500);
    EXPECT_EQ(appState(), AppState::Exiting);
    EXPECT_TRUE(dlg->exited());
    EXPECT_TRUE(dlg->threadsEnded()) << "the engine and the connectivity thread ended within their waits";
    EXPECT_TRUE(!checker || checker->isFinished());
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_FALSE(dlg->urgentTimer()->isActive());
    EXPECT_FALSE(dlg->newsTimer()->isActive());
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
    EXPECT_EQ(appState(), AppState::Exiting);
    EXPECT_FALSE(dlg->ShowSectionsPage());
}

TEST_F(MainWindowTest, EscapeAndShowHideCommand)
{
    start();
    ASSERT_TRUE(waitForState(AppState::Running));
    ASSERT_TRUE(dlg->isVisible());
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(
        dlg->newsPane()->focusProxy() ? dlg->newsPane()->focusProxy() : dlg->newsPane(), &escape);
    EXPECT_FALSE(dlg->isVisible());
    EXPECT_EQ(appState(), AppState::Running) << "hiding does not end anything";
    EXPECT_TRUE(IsFirstTimeClose()) << "without a tray icon the hint is still to come";
    dlg->OnCommand(ID_SHOW_HIDE);
    EXPECT_TRUE(dlg->isVisible());
    dlg->OnCommand(ID_SHOW_HIDE);
    EXPECT_FALSE(dlg->isVisible());
}

// Stands in for the alerts actor: keeps what the window posts to it.
class AlertsRecorder : public QObject {
public:
    QList<int> numbers;
    QList<qsizetype> setSizes;
    QStringList firstIds;

protected:
    bool event(QEvent *event) override
    {
        AppMessage *message = asAppMessage(event);
        if (!message)
            return QObject::event(event);
        numbers.append(message->number());
        if (auto set = message->takePayloadAs<NewsSet>()) {
            setSizes.append(set->size());
            firstIds.append(set->size() ? set->newest().id : QString());
        }
        return true;
    }
};

TEST_F(MainWindowTest, MessagesToTheAlertsActor)
{
    start();
    AlertsRecorder alerts;
    dlg->setAlertsTarget(&alerts);
    ASSERT_TRUE(waitForState(AppState::Running));
    newsStore().addRecord({ QStringLiteral("fresh"), QStringLiteral("1"), QStringLiteral("Titular"),
                            QStringLiteral("http://127.0.0.1/fresh"), QStringLiteral("2030-01-01 00:00:00"),
                            1893456000 },
                          false);

    postMessage(dlg.get(), WM_NEWS_FOR_ALERTS);
    ASSERT_TRUE(waitUntil([&] { return alerts.numbers.contains(WM_ALERTS_ADD); }));
    ASSERT_EQ(alerts.setSizes.size(), 1);
    EXPECT_GE(alerts.setSizes.at(0), 1);
    EXPECT_EQ(alerts.firstIds.at(0), QStringLiteral("fresh")) << "a copy of the pending set travels";

    dlg->OnCancel();
    ASSERT_TRUE(waitUntil([&] { return alerts.numbers.contains(WM_ALERTS_CLOSE); }));

    // Offline: news for alerts are not passed on.
    publisher->setOnline(false);
    postMessage(dlg.get(), WM_CONNECTION_LOST);
    ASSERT_TRUE(waitForState(AppState::Offline, 5000));
    const qsizetype added = alerts.numbers.count(WM_ALERTS_ADD);
    postMessage(dlg.get(), WM_NEWS_FOR_ALERTS);
    dlg->OnCommand(ID_EXIT);
    ASSERT_TRUE(waitUntil([&] { return alerts.numbers.contains(WM_ALERTS_QUIT); }));
    EXPECT_EQ(alerts.numbers.count(WM_ALERTS_ADD), added);
}

TEST_F(MainWindowTest, NewVersionQuestion)
{
    const struct {
        const char *name;
        QMessageBox::StandardButton answer;
        bool runner;
        int runnerResult;
        AppState after;
        bool exits;
    } cases[] = {
        { "declined", QMessageBox::No, true, QDialog::Accepted, AppState::Running, false },
        { "accepted, update runs", QMessageBox::Yes, true, QDialog::Accepted, AppState::Updating, false },
        { "accepted, update cancelled", QMessageBox::Yes, true, QDialog::Rejected, AppState::Exiting, true },
        { "accepted without an update dialog", QMessageBox::Yes, false, 0, AppState::Running, false },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        dlg.reset();
        quits = 0;
        start();
        ASSERT_TRUE(waitForState(AppState::Running));
        dlg->hide();
        QList<MessageBoxRequest> asked;
        bool visibleWhenAsked = false;
        SetMessageBoxHook([&](const MessageBoxRequest &request) {
            asked.append(request);
            visibleWhenAsked = dlg->isVisible();
            // A second announcement while the question is open asks nothing more.
            postMessage(dlg.get(), WM_NEW_APP_VERSION);
            QCoreApplication::processEvents();
            return c.answer;
        });
        int runs = 0;
        if (c.runner) {
            dlg->setUpdateRunner([&](CTavrinDlg *) {
                ++runs;
                return c.runnerResult;
            });
        }
        postMessage(dlg.get(), WM_NEW_APP_VERSION);
        ASSERT_TRUE(waitUntil([&] { return !asked.isEmpty(); }));
        QCoreApplication::processEvents();
        SetMessageBoxHook({});
        ASSERT_EQ(asked.size(), 1);
        EXPECT_EQ(asked.at(0).icon, QMessageBox::Information);
        EXPECT_EQ(asked.at(0).buttons, QMessageBox::Yes | QMessageBox::No);
        EXPECT_EQ(asked.at(0).text, GetText(7));
        EXPECT_TRUE(visibleWhenAsked) << "the window is shown before the question";
        EXPECT_EQ(runs, c.runner && c.answer == QMessageBox::Yes ? 1 : 0);
        if (c.exits) {
            EXPECT_TRUE(waitUntil([&] { return quits == 1; }));
        }
        if (c.after == AppState::Running) {
            EXPECT_TRUE(waitUntil([&] { return appState() == AppState::Running; }));
        } else {
            EXPECT_EQ(appState(), c.after);
        }
    }
}

void sendMouse(QWidget *target, QEvent::Type type, const QPoint &global)
{
    const QPointF local = target->mapFromGlobal(QPointF(global));
    const Qt::MouseButtons buttons = type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, local, local, QPointF(global), Qt::LeftButton, buttons, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

TEST_F(MainWindowTest, DragAreaMovesAndFrameBandsResize)
{
    start();
    ASSERT_TRUE(waitForState(AppState::Running));
    ASSERT_TRUE(waitUntil([&] { return dlg->sectionsPane()->focusProxy() != nullptr; }));
    QWidget *sectionsInput = dlg->sectionsPane()->focusProxy();
    const QRect before = dlg->geometry();

    const struct {
        const char *name;
        QWidget *target; // where the press lands
        QPoint at; // window coordinates of the press
        QPoint drag;
        QRect expected; // relative to the geometry before
    } cases[] = {
        { "press in the drag area over the sections page moves", sectionsInput, QPoint(50, 10),
          QPoint(30, 20), before.translated(30, 20) },
        { "press on the page outside the drag area goes to the page", sectionsInput, QPoint(250, 10),
          QPoint(30, 20), before },
        { "bottom-right band resizes", dlg.get(), QPoint(318, 478), QPoint(40, 25),
          before.adjusted(0, 0, 40, 25) },
        { "left band never makes it narrower than the design width", dlg.get(), QPoint(1, 200), QPoint(60, 0),
          before },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.name);
        dlg->setGeometry(before);
        const QPoint start = dlg->mapToGlobal(c.at);
        sendMouse(c.target, QEvent::MouseButtonPress, start);
        sendMouse(dlg.get(), QEvent::MouseMove, start + c.drag);
        sendMouse(dlg.get(), QEvent::MouseButtonRelease, start + c.drag);
        EXPECT_EQ(dlg->geometry(), c.expected);
    }
    // The drag area's right edge moves with the extra width.
    dlg->setGeometry(before.adjusted(0, 0, 100, 0));
    const QPoint start = dlg->mapToGlobal(QPoint(250, 10));
    sendMouse(sectionsInput, QEvent::MouseButtonPress, start);
    sendMouse(dlg.get(), QEvent::MouseMove, start + QPoint(5, 5));
    sendMouse(dlg.get(), QEvent::MouseButtonRelease, start + QPoint(5, 5));
    EXPECT_EQ(dlg->geometry(), before.adjusted(0, 0, 100, 0).translated(5, 5));
}

} // namespace
} // namespace tavrin
