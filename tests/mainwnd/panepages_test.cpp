// What the main window shows: pane pages on the real engine (local pages, their clean-up, encoding and
// file access, configured addresses) and its icons.
#include "base/files.h"
#include "base/paths.h"
#include "mainwnd/appicon.h"
#include "mainwnd/panepages.h"
#include "support/testfiles.h"
#include "support/webpane.h"

#include <QDir>
#include <QFile>
#include <QImage>

#include <functional>

namespace tavrin::test {
namespace {

using PanePagesTest = WebPaneTest;

TEST_F(PanePagesTest, ConfiguredPagesShowTheLocalOnesAreKeptUntilReplacedAndReachNoOtherLocalFile)
{
    // One page answers every address below, whatever its query; a remote and a private local image.
    const QByteArray png = readFile(QStringLiteral(TAVRIN_SOURCE_DIR "/res/icons/tavrin.png"));
    servePage(server, "/img.png", png.toStdString(), 200, "image/png");
    servePage(server, "/page", "page");
    const QString local = DataFolder() + u"private.png"_s;
    ASSERT_TRUE(WriteBinaryFile(local, png));
    // The ads page declares another charset; written as UTF-8 with a byte-order mark, it still shows right.
    const QString ads = u"<p>España, canción</p><img src=\"%1\"><img src=\"%2\">"_s.arg(
        server.url("/img.png"), QUrl::fromLocalFile(local).toString());
    ClientConfig config;
    const QString selected = u"<!-- @ BLOCK_SELECTED_SECTION @ -->"_s; // only the current section shows
    config.header_html = u"<!-- {SECTIONS} -->"_s + selected + u"<b><!-- {section_name} --></b>"_s + selected;
    config.sections_html_url = server.url("/page?@SECTION@/@SUBSECTIONS@/");
    config.urgent_url = server.url("/page?urgent");
    config.loading_url = server.url("/page?loading");
    const QString meta = u"<meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"_s;
    config.sections
        = { { u"Portada"_s, u"5"_s, meta + ads, true, {}, {}, {}, {} },
            { u"Deportes<script>document.title='ran'</script>"_s, u"6"_s, {}, true, {}, {}, {}, {} } };

    // What each shows: a local page's body, else the address.
    const std::pair<std::function<void()>, QString> cases[] = {
        // Markup in a name shows as text: no element is made, so no script can run.
        { [&] { PanePages::ShowSectionsPage(pane.get(), config, 1); },
          u"<b>Deportes&lt;script&gt;document.title='ran'&lt;/script&gt;</b>"_s },
        { [&] { PanePages::ShowNewsPage(pane.get(), config, config.sections[0]); }, server.url("/page?5/") },
        { [&] { PanePages::ReloadPage(pane.get()); }, server.url("/page?5/") }, // a new load of it
        { [&] { PanePages::ShowUrgentPage(pane.get(), config); }, server.url("/page?urgent") },
        { [&] { PanePages::ShowLoadingPage(pane.get(), config); }, server.url("/page?loading") },
        // Two pages in a row: the one overtaken before it showed goes as well.
        { [&] { ShowLocalPage(pane.get(), u"<p>two</p>"_s), ShowLocalPage(pane.get(), u"<p>three</p>"_s); },
          u"<p>three</p>"_s },
        { [&] { PanePages::ShowAdsPage(pane.get(), config.sections[0]); }, ads },
    };
    for (const auto &[show, expected] : cases) {
        ASSERT_TRUE(completes(show)) << expected.toStdString();
        const QUrl url(pane->GetLocationURL());
        const QString file = url.isLocalFile() ? url.toLocalFile() : QString();
        EXPECT_EQ(file.isEmpty() ? url.toString() : evaluate(u"document.body.innerHTML"_s).toString(),
                  expected);
        // The page replaced is deleted once the new one has loaded: only the page shown is kept.
        EXPECT_EQ(ListFiles(TempFolder()), file.isEmpty() ? QStringList() : QStringList { file });
    }
    EXPECT_EQ(evaluate(u"document.images[0].naturalWidth"_s).toInt(), 32); // remote
    EXPECT_EQ(evaluate(u"document.images[1].naturalWidth"_s).toInt(), 0); // local

    // A link in place of the temporary folder is passed by: the page shows from our own, not through it.
    const QString folder = TempFolder().chopped(1), elsewhere = DataFolder() + u"elsewhere"_s;
    ASSERT_TRUE(QDir().mkpath(elsewhere) && QDir(folder).removeRecursively()
                && QFile::link(elsewhere, folder));
    ASSERT_TRUE(completes([&] { ShowLocalPage(pane.get(), u"<p>two</p>"_s); }));
    EXPECT_TRUE(QUrl(pane->GetLocationURL()).toLocalFile().startsWith(FallbackRuntimeFolder())
                && evaluate(u"document.body.innerHTML"_s).toString() == u"<p>two</p>"_s);
    EXPECT_TRUE(QDir(elsewhere).entryList(QDir::Files).isEmpty());
}

TEST(LoadAppIcon, PrefersTheCachedImageAndFallsBackToTheBuiltInIcon)
{
    const auto image = [](const QIcon &icon) { return icon.pixmap(QSize(32, 32)).toImage(); };
    const auto builtIn = [&](IconId id) { return image(BuiltInIcon(id)); };
    const IconId app = IconId::App, taskbar = IconId::Taskbar, disabled = IconId::TaskbarDisabled;
    for (const IconId id : { app, taskbar, disabled })
        ASSERT_FALSE(BuiltInIcon(id).isNull()) << int(id);
    EXPECT_NE(builtIn(taskbar), builtIn(disabled));

    ClientConfig config;
    for (const QString &id : { u"tavrin_taskbar_icon"_s, u"tavrin_taskbar_disabled_icon"_s })
        config.images[id] = ConfigImage { id, 0, u"http://x.example/"_s + id + u".png"_s };
    const QImage cached = builtIn(app).scaled(16, 16); // the taskbar's, unlike every built-in icon
    ASSERT_TRUE(
        WriteBinaryFile(ImagePath(config.images.at(u"tavrin_taskbar_disabled_icon"_s)), "not an image")
        && cached.save(ImagePath(config.images.at(u"tavrin_taskbar_icon"_s)))); // its folder is there now
    EXPECT_EQ(image(LoadAppIcon(config, taskbar)), cached);
    // An unreadable (or missing) file, no such image, an id out of range: the built-in icon.
    EXPECT_EQ(image(LoadAppIcon(config, disabled)), builtIn(disabled));
    EXPECT_EQ(image(LoadAppIcon(config, app)), builtIn(app));
    for (const int id : { 5, -1 })
        EXPECT_EQ(image(LoadAppIcon(config, IconId(id))), builtIn(app)) << id;
}

} // namespace
} // namespace tavrin::test
