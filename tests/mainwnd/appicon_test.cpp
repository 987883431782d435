// Window and notification-area icons: the publisher's cached image, else the built-in icon.
#include "base/fileutil.h"
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
    for (int index = 0; index < 3; ++index)
        ASSERT_FALSE(BuiltInIcon(index).isNull()) << index;
    EXPECT_NE(imageOf(BuiltInIcon(1)), imageOf(BuiltInIcon(2)));

    ClientConfig config;
    for (const QString &id : { u"tavrin_taskbar_icon"_s, u"tavrin_taskbar_disabled_icon"_s })
        config.images[id] = ConfigImage { id, 0, u"http://x.example/"_s + id + u".png"_s };
    EXPECT_EQ(imageOf(LoadAppIcon(config, 1)), imageOf(BuiltInIcon(1))); // not downloaded yet

    QImage green(32, 32, QImage::Format_ARGB32);
    green.fill(QColor(0, 200, 0));
    ASSERT_TRUE(EnsureDirectory(DataFolder() + u"images/"_s));
    ASSERT_TRUE(green.save(ImagePath(config.images.at(u"tavrin_taskbar_icon"_s))));
    ASSERT_TRUE(
        WriteBinaryFile(ImagePath(config.images.at(u"tavrin_taskbar_disabled_icon"_s)), "not an image"));

    // The cached image; an unreadable file, no such image, an index out of range: built-in.
    const std::pair<int, QImage> cases[] = {
        { 1, green },
        { 2, imageOf(BuiltInIcon(2)) },
        { 0, imageOf(BuiltInIcon(0)) },
        { 5, imageOf(BuiltInIcon(0)) },
        { -1, imageOf(BuiltInIcon(0)) },
    };
    for (const auto &[index, expected] : cases)
        EXPECT_EQ(imageOf(LoadAppIcon(config, index)), expected) << index;
}

} // namespace
} // namespace tavrin
