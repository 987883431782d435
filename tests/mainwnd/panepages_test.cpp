// What the main window shows: pane pages on the real engine (local pages, their clean-up, encoding and
// file access, configured addresses) and its icons.
#include "base/files.h"
#include "base/paths.h"
#include "compose/htmltemplate.h"
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

TEST_F(PanePagesTest, OperationsLoadWhatTheConfigurationNamesAndOnlyTheShownLocalPageIsKept)
{
    for (const char *path : { "/news/5/", "/urgent", "/loading" })
        servePage(server, path, "page");
    ClientConfig config;
    const QString selected = u"<!-- @ BLOCK_SELECTED_SECTION @ -->"_s; // only the current section shows
    config.header_html = u"<!-- {SECTIONS} -->"_s + selected + u"<b><!-- {section_name} --></b>"_s + selected;
    config.sections_html_url = server.url("/news/@SECTION@/@SUBSECTIONS@/");
    config.urgent_url = server.url("/urgent");
    config.loading_url = server.url("/loading");
    config.sections = { { u"Portada"_s, u"5"_s, u"<i>ads</i>"_s, true, {}, {}, {}, {} },
                        { u"Deportes"_s, u"6"_s, {}, true, {}, {}, {}, {} } };
    const Section &section = config.sections.front();
    const auto keeper = [&] { return pane->findChild<LocalPageKeeper *>(); };

    // What each shows: a local page's body, else the address.
    const std::pair<std::function<void()>, QString> cases[] = {
        { [&] { PanePages::ShowAdsPage(pane.get(), section); }, u"<i>ads</i>"_s },
        { [&] { PanePages::ShowSectionsPage(pane.get(), config, 1); }, u"<b>Deportes</b>"_s },
        { [&] { PanePages::ShowNewsPage(pane.get(), config, section); }, server.url("/news/5/") },
        { [&] { PanePages::ReloadPage(pane.get()); }, server.url("/news/5/") }, // a new load of it
        { [&] { PanePages::ShowUrgentPage(pane.get(), config); }, server.url("/urgent") },
        { [&] { PanePages::ShowLoadingPage(pane.get(), config); }, server.url("/loading") },
    };
    for (const auto &[show, expected] : cases) {
        ASSERT_TRUE(completes(show)) << expected.toStdString();
        const QUrl url(pane->GetLocationURL());
        const QString file = url.isLocalFile() ? url.toLocalFile() : QString();
        EXPECT_EQ(file.isEmpty() ? url.toString() : evaluate(u"document.body.innerHTML"_s).toString(),
                  expected);
        // The page replaced is deleted once the new one has loaded: only the page shown is kept.
        EXPECT_EQ(keeper()->currentPage(), file);
        EXPECT_EQ(ListFiles(TempFolder()), file.isEmpty() ? QStringList() : QStringList { file });
    }

    // Two pages in a row: the one overtaken before it showed goes as well.
    const QString second = ShowLocalPage(pane.get(), u"<p>two</p>"_s);
    const QString third = ShowLocalPage(pane.get(), u"<p>three</p>"_s);
    EXPECT_NE(second, third);
    ASSERT_TRUE(wait([&] { return completed.contains(ToFileUrl(third)); }));
    EXPECT_EQ(ListFiles(TempFolder()), QStringList { third });
    EXPECT_EQ(keeper()->currentPage(), third);
}

TEST_F(PanePagesTest, PagesAreUtf8AndReachNoOtherLocalFileAndAnUnwritablePageShowsBlank)
{
    const QByteArray png = readFile(QStringLiteral(TAVRIN_SOURCE_DIR "/res/icons/tavrin.png"));
    servePage(server, "/img.png", png.toStdString(), 200, "image/png");
    const QString local = DataFolder() + u"private.png"_s;
    ASSERT_TRUE(WriteBinaryFile(local, png));
    // Written with a byte-order mark, so a template that declares another charset still shows right.
    const QString html
        = u"<html><head><meta http-equiv=\"Content-Type\" content=\"text/html; charset=iso-8859-1\">"
          "</head><body><p id=\"t\">España, canción</p><img id=\"remote\" src=\"%1\">"
          "<img id=\"local\" src=\"%2\"></body></html>"_s.arg(server.url("/img.png"),
                                                              QUrl::fromLocalFile(local).toString());
    const QString path = ShowLocalPage(pane.get(), html);
    EXPECT_EQ(readFile(path), "\xEF\xBB\xBF" + html.toUtf8());
    ASSERT_TRUE(wait([&] { return completed.contains(ToFileUrl(path)); }));
    EXPECT_EQ(evaluate(u"document.getElementById('t').textContent"_s).toString(), u"España, canción"_s);
    EXPECT_EQ(evaluate(u"document.getElementById('remote').naturalWidth"_s).toInt(), 32);
    EXPECT_EQ(evaluate(u"document.getElementById('local').naturalWidth"_s).toInt(), 0);

    // A link in place of the temporary folder is refused, so no page can be written: the pane shows a
    // blank page ("file://" alone would list the root folder) and nothing is written through the link.
    const QString folder = TempFolder().chopped(1), elsewhere = DataFolder() + u"elsewhere"_s;
    ASSERT_TRUE(QDir().mkpath(elsewhere) && QDir(folder).removeRecursively()
                && QFile::link(elsewhere, folder));
    ASSERT_TRUE(TempFolder().isEmpty());
    EXPECT_EQ(ShowLocalPage(pane.get(), u"<p>two</p>"_s), QString());
    ASSERT_TRUE(wait([&] { return completed.contains(u"about:blank"_s); }));
    EXPECT_EQ(evaluate(u"document.body ? document.body.innerText : ''"_s).toString(), QString());
    EXPECT_TRUE(QDir(elsewhere).entryList(QDir::Files).isEmpty());
}

TEST(LoadAppIcon, PrefersTheCachedImageAndFallsBackToTheBuiltInIcon)
{
    const auto image = [](const QIcon &icon) {
        return icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32);
    };
    const auto builtIn = [&](IconId id) { return image(BuiltInIcon(id)); };
    const IconId app = IconId::App, taskbar = IconId::Taskbar, disabled = IconId::TaskbarDisabled;
    for (const IconId id : { app, taskbar, disabled })
        ASSERT_FALSE(BuiltInIcon(id).isNull()) << int(id);
    EXPECT_NE(builtIn(taskbar), builtIn(disabled));

    ClientConfig config;
    for (const QString &id : { u"tavrin_taskbar_icon"_s, u"tavrin_taskbar_disabled_icon"_s })
        config.images[id] = ConfigImage { id, 0, u"http://x.example/"_s + id + u".png"_s };
    EXPECT_EQ(image(LoadAppIcon(config, taskbar)), builtIn(taskbar)); // not downloaded yet
    QImage green(32, 32, QImage::Format_ARGB32);
    green.fill(QColor(0, 200, 0));
    ASSERT_TRUE(EnsureDirectory(DataFolder() + u"images/"_s));
    ASSERT_TRUE(green.save(ImagePath(config.images.at(u"tavrin_taskbar_icon"_s))));
    ASSERT_TRUE(
        WriteBinaryFile(ImagePath(config.images.at(u"tavrin_taskbar_disabled_icon"_s)), "not an image"));
    EXPECT_EQ(image(LoadAppIcon(config, taskbar)), green);
    // An unreadable file, no such image, an id out of range: the built-in icon.
    EXPECT_EQ(image(LoadAppIcon(config, disabled)), builtIn(disabled));
    EXPECT_EQ(image(LoadAppIcon(config, app)), builtIn(app));
    for (const int id : { 5, -1 })
        EXPECT_EQ(image(LoadAppIcon(config, IconId(id))), builtIn(app)) << id;
}

} // namespace
} // namespace tavrin::test
