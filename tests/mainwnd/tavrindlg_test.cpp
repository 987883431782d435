// The main window end to end against a loopback publisher, with the real engine threads and web panes.
#include "mainwnd/tavrindlg.h"

#include "base/appmessage.h"
#include "base/files.h"
#include "base/paths.h"
#include "config/texts.h"
#include "mainwnd/panepages.h"
#include "settings/settings.h"
#include "support/appservices.h"
#include "support/testpublisher.h"
#include "support/waituntil.h"

#include <QFile>
#include <QKeyEvent>

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using namespace test;
using namespace Qt::StringLiterals;
using enum MessageId;
using enum AppState;

void sendMouse(QWidget *target, QEvent::Type type, QPointF global)
{
    QMouseEvent event(type, target->mapFromGlobal(global), global, Qt::LeftButton,
                      type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
}

// Starts the window on a publisher; watches it being shown and stands in for its alerts window.
class MainWindowTest : public QObject, public testing::Test {
protected:
    QString tooltip(TextId id) const { return GetText(*services.config.snapshot(), id); }
    void SetUp() override
    {
        services.config.replace(publisher.configuration());
        dlg = std::make_unique<CTavrinDlg>(services.app(), CTavrinDlg::Options { 200 });
        dlg->setQuitHandler([this] { ++quits; });
        dlg->setAlertsTarget(this);
        QObject::connect(dlg.get(), &CTavrinDlg::stateChanged, [this](AppState state) { states << state; });
        dlg->installEventFilter(this);
        dlg->setTrayAvailability([] { return true; });
        dlg->OnInitDialog();
    }
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Show && ready < 0)
            ready = std::ranges::count(dlg->panes(), ReadyState::Complete, &CWebBrowser2::GetReadyState);
        return false;
    }
    bool event(QEvent *event) override
    {
        AppMessage *message = asAppMessage(event);
        if (!message)
            return QObject::event(event);
        alerts.append(message->number());
        if (auto set = message->takePayloadAs<NewsSet>())
            alertSet = set;
        return true;
    }
    // Announces a new version; how many questions came, each with the window shown and asked only once.
    int announce(QMessageBox::StandardButton answer)
    {
        const size_t before = services.boxes.asked.size();
        services.boxes.answer = [this, answer, before](const MessageBoxRequest &asked) {
            EXPECT_TRUE(dlg->isVisible() && asked.icon == QMessageBox::Information
                        && asked.buttons == (QMessageBox::Yes | QMessageBox::No)
                        && asked.text == GetText(*services.config.snapshot(), TextId::NewAppVersion));
            if (services.boxes.asked.size() == before + 1) // a second announcement while it is open
                postMessage(dlg.get(), WM_NEW_APP_VERSION);
            QCoreApplication::processEvents();
            return answer;
        };
        postMessage(dlg.get(), WM_NEW_APP_VERSION);
        QCoreApplication::processEvents();
        return int(services.boxes.asked.size() - before);
    }

    TestAppServices services { 1000000 }; // real time: the engine's periods as configured
    TestPublisher publisher;
    std::unique_ptr<CTavrinDlg> dlg;
    QList<AppState> states;
    QList<MessageId> alerts;
    std::optional<NewsSet> alertSet;
    int quits = 0, ready = -1; // panes complete when the window was first shown
};

TEST_F(MainWindowTest, ASessionFromFirstLoadToExit)
{
    // A frameless application window with a taskbar entry, not a tool window above every other.
    const Qt::WindowFlags flags = dlg->windowFlags();
    EXPECT_TRUE(appState() == Starting && flags.testFlag(Qt::FramelessWindowHint) && !flags.testFlag(Qt::Tool)
                && !flags.testFlag(Qt::WindowStaysOnTopHint));
    EXPECT_EQ(dlg->trayIcon()->tooltip(), tooltip(TextId::TooltipInitializing));
    using Lifecycle = QWebEnginePage::LifecycleState;
    QList<Lifecycle> loadingPage; // hidden mid-animation, the loading page is reloaded so nothing of it runs
    QObject::connect(dlg->loadingPane()->page(), &QWebEnginePage::lifecycleStateChanged,
                     [&](Lifecycle state) { loadingPage << state; });
    ASSERT_TRUE(waitUntil([] { return appState() == Running; }, 60000));
    EXPECT_TRUE(states.mid(0, 2) == QList<AppState>({ FirstLoad, Running }) && ready == 5);
    EXPECT_TRUE(dlg->isVisible() && dlg->firstLoadDone() && dlg->windowTitle() == u"Tavrin"_s);
    EXPECT_EQ(dlg->trayIcon()->tooltip(), tooltip(TextId::TooltipRunning));
    EXPECT_EQ(dlg->urgentTimer()->isActive() ? dlg->urgentTimer()->interval() : 0, 30000); // as configured
    EXPECT_EQ(dlg->newsTimer()->interval(), 60000);
    // The panes are stacked inside the 3-pixel frame from their pages' measures.
    ASSERT_TRUE(waitUntil([&] {
        return dlg->sectionsPane()->geometry() == QRect(3, 3, 314, 50) && dlg->sectionsPane()->focusProxy()
            && dlg->urgentPane()->y() == 53 && dlg->newsPane()->y() == 53 + dlg->urgentPane()->height()
            && dlg->adsPane()->geometry().bottom() == 476 && dlg->loadingPane()->size().isEmpty();
    }));
    EXPECT_TRUE(waitUntil([&] { return loadingPage == QList { Lifecycle::Discarded, Lifecycle::Active }; }));
    EXPECT_TRUE(dlg->loadingPane()->isHidden()
                && dlg->loadingPane()->GetReadyState() == ReadyState::Complete);

    QWidget *page = dlg->sectionsPane()->focusProxy(), *window = dlg.get();
    const QRect before = dlg->geometry(), wide = before.adjusted(0, 0, 100, 0);
    // A press on a target at a point (window coordinates) and a drag: the drag area moves, the bands resize.
    const std::tuple<const char *, QRect, QWidget *, QPoint, QPoint, QRect> cases[] = {
        { "drag area moves", before, page, { 50, 10 }, { 30, 20 }, before.translated(30, 20) },
        { "outside the drag area the page has the press", before, page, { 250, 10 }, { 30, 20 }, before },
        { "corner band resizes", before, window, { 318, 478 }, { 40, 25 }, before.adjusted(0, 0, 40, 25) },
        { "never narrower than the design width", before, window, { 1, 200 }, { 60, 0 }, before },
        { "the drag area grows with the width", wide, page, { 250, 10 }, { 5, 5 }, wide.translated(5, 5) },
    };
    for (const auto &[name, start, target, at, drag, expected] : cases) {
        dlg->setGeometry(start);
        const QPoint from = dlg->mapToGlobal(at);
        sendMouse(target, QEvent::MouseButtonPress, from);
        sendMouse(window, QEvent::MouseMove, from + drag);
        sendMouse(window, QEvent::MouseButtonRelease, from + drag);
        EXPECT_EQ(dlg->geometry(), expected) << name;
    }

    // The alerts get a copy of the pending news.
    services.news.addRecord({ u"fresh"_s, u"1"_s, {}, {}, {}, 1893456000 }, false);
    postMessage(dlg.get(), WM_NEWS_FOR_ALERTS);
    EXPECT_TRUE(waitUntil([&] { return alertSet && alertSet->newest().id == u"fresh"_s; }));

    // Escape hides the window and the alerts; nothing ends; the tray icon explains it the first time.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QCoreApplication::sendEvent(dlg->newsPane()->focusProxy(), &escape);
    EXPECT_TRUE(!dlg->isVisible() && appState() == Running && !IsFirstTimeClose());
    EXPECT_EQ(dlg->trayIcon()->lastBalloon()->icon, BalloonIcon::Information);
    ASSERT_TRUE(waitUntil([&] { return alerts.count(WM_ALERTS_CLOSE) == 1; }));
    // The question shows the window; accepted without an update dialog, or declined, nothing changes.
    EXPECT_EQ(announce(QMessageBox::Yes), 1);
    dlg->setUpdateRunner([&](CTavrinDlg *) {
        EXPECT_EQ(announce(QMessageBox::No), 0) << "not asked while updating";
        return QDialog::Rejected;
    });
    EXPECT_TRUE(announce(QMessageBox::No) == 1 && appState() == Running) << "declined: no update";
    for (bool visible : { false, true }) {
        dlg->OnCommand(ID_SHOW_HIDE);
        EXPECT_EQ(dlg->isVisible(), visible);
    }

    // Every second a reload; the urgent one meets a 404 while the monitor answers: offline, hidden, blank.
    const auto localPage = [&] { return dlg->sectionsPane()->findChild<LocalPageKeeper *>()->currentPage(); };
    const QString sectionsBefore = localPage();
    int fired = 0; // the news timer's; the urgent one, started with it, keeps pace
    QObject::connect(dlg->newsTimer(), &QTimer::timeout, [&fired] { ++fired; });
    dlg->urgentTimer()->start(1000);
    dlg->newsTimer()->start(1000);
    publisher.urgentBroken = true;
    ASSERT_TRUE(waitUntil([] { return appState() == Offline; }, 60000));
    EXPECT_TRUE(!dlg->isVisible() && stateBeforeOffline() == Refreshing);
    EXPECT_TRUE(dlg->trayIcon()->tooltip() == tooltip(TextId::TooltipNoConnection)
                && dlg->trayIcon()->lastBalloon()->icon == BalloonIcon::Warning);
    EXPECT_TRUE(waitUntil([&] { return dlg->urgentPane()->GetLocationURL() == u"about:blank"_s; }));

    // The monitor saying no keeps it offline: timers, a second loss, alerts and a question change nothing.
    publisher.offline = true;
    services.connection.reset();
    const int probes = publisher.hits("/ok.txt");
    ASSERT_TRUE(waitUntil([&] {
        return appState() == Offline && publisher.hits("/ok.txt") > probes
            && !std::ranges::count(dlg->panes(), ReadyState::Loading, &CWebBrowser2::GetReadyState);
    }));
    const int urgentHits = publisher.hits("/urgent.html"), newsHits = publisher.hits("/news/1/");
    fired = 0;
    ASSERT_TRUE(waitUntil([&] { return fired >= 2; }, 10000));
    EXPECT_EQ(publisher.hits("/urgent.html") + publisher.hits("/news/1/"), urgentHits + newsHits);
    postMessage(dlg.get(), WM_CONNECTION_LOST);
    postMessage(dlg.get(), WM_NEWS_FOR_ALERTS);
    EXPECT_EQ(announce(QMessageBox::Yes), 0);
    EXPECT_TRUE(appState() == Offline && stateBeforeOffline() == states.at(states.lastIndexOf(Offline) - 1));

    // The connectivity thread finds the monitor answering and brings the program back with new pages.
    publisher.urgentBroken = publisher.offline = false;
    ASSERT_TRUE(waitUntil([&] { return appState() == Running && localPage() != sectionsBefore; }, 30000));
    EXPECT_GT(publisher.hits("/news/1/"), newsHits);
    EXPECT_TRUE(waitUntil([&] { return dlg->urgentPane()->GetLocationURL().endsWith(u"/urgent.html"_s); }));
    EXPECT_TRUE(sectionsBefore.startsWith(TempFolder()) && !QFile::exists(sectionsBefore)); // replaced

    // A cancelled update exits: both threads end, the rectangle is saved, the temporary folder emptied.
    WindowRect saved, shown { dlg->x(), dlg->y(), dlg->x() + dlg->width(), dlg->y() + dlg->height() };
    EXPECT_EQ(announce(QMessageBox::Yes), 1);
    ASSERT_TRUE(waitUntil([] { return appState() == Exiting; }, 60000));
    EXPECT_TRUE(dlg->exited() && dlg->threadsEnded() && ListFiles(TempFolder()).isEmpty());
    EXPECT_FALSE(dlg->isVisible() || dlg->urgentTimer()->isActive() || dlg->newsTimer()->isActive());
    EXPECT_TRUE(LoadMainWindowRect(saved) && saved == shown);
    EXPECT_TRUE(waitUntil([&] { return alerts.count(WM_ALERTS_QUIT) == 1; })
                && alerts.count(WM_ALERTS_ADD) == 1);

    dlg->OnCommand(ID_EXIT); // after the exit, a second exit, messages and page operations do nothing
    postMessage(dlg.get(), WM_CONTENT_READY);
    QCoreApplication::processEvents();
    EXPECT_TRUE(quits == 1 && appState() == Exiting && !dlg->ShowSectionsPage());
}

TEST_F(MainWindowTest, AnAcceptedUpdateLeavesTheProgramUpdating)
{
    ASSERT_TRUE(waitUntil([] { return appState() == Running; }, 60000));
    dlg->setUpdateRunner([](CTavrinDlg *) { return QDialog::Accepted; });
    EXPECT_EQ(announce(QMessageBox::Yes), 1);
    QCoreApplication::sendPostedEvents(dlg.get()); // an exit it might have asked for
    EXPECT_TRUE(appState() == Updating && quits == 0);
}

} // namespace
} // namespace tavrin
