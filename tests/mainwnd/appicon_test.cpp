// Window and notification-area icons: the publisher's cached image, else the built-in icon.
#include "base/files.h"
#include "base/paths.h"
#include "mainwnd/appicon.h"

#include <QImage>

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

QImage imageOf(const QIcon &icon)
{
    return icon.pixmap(QSize(32, 32)).toImage().convertToFormat(QImage::Format_ARGB32);
}

TEST(LoadAppIcon, PrefersTheCachedImageAndFallsBackToTheBuiltInIcon)
{
    const IconId app = IconId::App, taskbar = IconId::Taskbar, disabled = IconId::TaskbarDisabled;
    for (const IconId id : { app, taskbar, disabled })
        ASSERT_FALSE(BuiltInIcon(id).isNull()) << int(id);
    EXPECT_NE(imageOf(BuiltInIcon(taskbar)), imageOf(BuiltInIcon(disabled)));

    ClientConfig config;
    for (const QString &id : { u"tavrin_taskbar_icon"_s, u"tavrin_taskbar_disabled_icon"_s })
        config.images[id] = ConfigImage { id, 0, u"http://x.example/"_s + id + u".png"_s };
    EXPECT_EQ(imageOf(LoadAppIcon(config, taskbar)), imageOf(BuiltInIcon(taskbar))); // not downloaded yet

    QImage green(32, 32, QImage::Format_ARGB32);
    green.fill(QColor(0, 200, 0));
    ASSERT_TRUE(EnsureDirectory(DataFolder() + u"images/"_s));
    ASSERT_TRUE(green.save(ImagePath(config.images.at(u"tavrin_taskbar_icon"_s))));
    ASSERT_TRUE(
        WriteBinaryFile(ImagePath(config.images.at(u"tavrin_taskbar_disabled_icon"_s)), "not an image"));

    // The cached image; an unreadable file, no such image, an index out of range: built-in.
    const std::pair<IconId, QImage> cases[] = {
        { taskbar, green },
        { disabled, imageOf(BuiltInIcon(disabled)) },
        { app, imageOf(BuiltInIcon(app)) },
        { IconId(5), imageOf(BuiltInIcon(app)) },
        { IconId(-1), imageOf(BuiltInIcon(app)) },
    };
    for (const auto &[id, expected] : cases)
        EXPECT_EQ(imageOf(LoadAppIcon(config, id)), expected) << int(id);
}

} // namespace
} // namespace tavrin
