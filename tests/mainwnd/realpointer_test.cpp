// The frame and a page's resize grip driven by real pointer events on an X server (the RealPointer test
// entry runs these under Xvfb; the offscreen platform has no pointer, so they do not run there).
#include "mainwnd/tavrindlg.h"
#include "support/appservices.h"
#include "support/testpublisher.h"
#include "support/webpane.h"

#include <QGuiApplication>
#include <QProcess>
#include <QWindow>

namespace tavrin::test {
namespace {

// Real pointer input through the X server, as a reader's hand gives it.
void pointer(const QStringList &arguments)
{
    ASSERT_EQ(QProcess::execute(u"xdotool"_s, arguments), 0) << arguments.join(u' ').toStdString();
}

void moveTo(const QPoint &global)
{
    pointer({ u"mousemove"_s, QString::number(global.x()), QString::number(global.y()) });
}

TEST(RealPointerTest, APageGripResizesAndTheFrameCursorNeverMakesAPlainPageOne)
{
    ASSERT_EQ(QGuiApplication::platformName(), u"xcb"_s) << "run by the RealPointer entry under Xvfb";
    TestAppServices services { 1000000 };
    TestPublisher site;
    services.config.replace(site.configuration());
    CTavrinDlg dlg(services.app(), CTavrinDlg::Options { 200 });
    dlg.setTrayAvailability([] { return true; });
    dlg.OnInitDialog();
    ASSERT_TRUE(waitUntil([&] { return appState() == AppState::Running && dlg.isVisible(); }, 60000));
    CWebBrowser2 *news = dlg.newsPane();
    const auto show = [&](const char *path, const char *cursor) {
        servePage(site, path,
                  std::string("<style>html, body { margin: 0; height: 100% } div { height: 100%; cursor: ")
                      + cursor + "}</style><div></div>");
        news->Navigate(site.url(path));
        ASSERT_TRUE(waitUntil([&] { return news->GetReadyState() == ReadyState::Complete; }));
    };
    const auto dragInPage = [&] {
        const QPoint centre = news->mapToGlobal(news->rect().center());
        moveTo(centre + QPoint(3, 3));
        moveTo(centre);
        pointer({ u"mousedown"_s, u"1"_s });
        moveTo(centre + QPoint(20, 15));
        moveTo(centre + QPoint(40, 30));
        pointer({ u"mouseup"_s, u"1"_s });
    };

    // A press on a page's grip resizes the window by the pointer's travel.
    show("/grip", "nwse-resize");
    const QRect before = dlg.geometry();
    moveTo(news->mapToGlobal(news->rect().center()));
    ASSERT_TRUE(waitUntil([&] { return dlg.windowHandle()->cursor().shape() == Qt::SizeFDiagCursor; }))
        << "the engine never showed the page's cursor";
    dragInPage();
    EXPECT_TRUE(waitUntil([&] { return dlg.size() == before.size() + QSize(40, 30); }))
        << dlg.width() << "x" << dlg.height();
    EXPECT_EQ(dlg.pos(), before.topLeft());

    // Over the frame's band the frame shows its resize cursor; a plain page reached from there is no grip.
    show("/plain", "default");
    const QRect resized = dlg.geometry();
    const QPoint corner = resized.bottomRight() - QPoint(1, 1);
    moveTo(corner);
    ASSERT_TRUE(waitUntil([&] { return dlg.cursor().shape() == Qt::SizeFDiagCursor; }));
    dragInPage();
    EXPECT_TRUE(waitUntil([&] { return dlg.cursor().shape() != Qt::SizeFDiagCursor; }));
    // The server delivers events in order: once the frame has seen the pointer back on its band, it has
    // seen the whole gesture, which must have left the window where it was.
    moveTo(corner);
    ASSERT_TRUE(waitUntil([&] { return dlg.cursor().shape() == Qt::SizeFDiagCursor; }));
    EXPECT_EQ(dlg.geometry(), resized);
}

} // namespace
} // namespace tavrin::test
