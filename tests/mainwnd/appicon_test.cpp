// Window and notification-area icons: the publisher's cached image, else the built-in icon.
#include "base/files.h"
#include "base/paths.h"
#include "mainwnd/appicon.h"

#include <QImage>

#include <gtest/gtest.h>

namespace tavrin {
namespace {

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
    config.images[QStringLiteral("tavrin_taskbar_icon")]
        = ConfigImage { QStringLiteral("tavrin_taskbar_icon"), 0,
                        QStringLiteral("http://x.example/tray.png") };
    config.images[QStringLiteral("tavrin_taskbar_disabled_icon")]
        = ConfigImage { QStringLiteral("tavrin_taskbar_disabled_icon"), 0,
                        QStringLiteral("http://x.example/off.png") };

    QImage green(32, 32, QImage::Format_ARGB32);
    green.fill(QColor(0, 200, 0));

    // Image 1 not downloaded yet: built-in.
    EXPECT_EQ(imageOf(LoadAppIcon(config, 1)), imageOf(BuiltInIcon(1)));

    ASSERT_TRUE(EnsureDirectory(DataFolder() + QStringLiteral("images/")));
    ASSERT_TRUE(green.save(ImagePath(config.images.at(QStringLiteral("tavrin_taskbar_icon")))));
    ASSERT_TRUE(WriteBinaryFile(ImagePath(config.images.at(QStringLiteral("tavrin_taskbar_disabled_icon"))),
                                QByteArrayLiteral("not an image")));

    struct Case {
        const char *name;
        int index;
        QImage expected;
    };
    const Case cases[] = {
        { "cached image", 1, green },
        { "unreadable file", 2, imageOf(BuiltInIcon(2)) },
        { "no such image in the configuration", 0, imageOf(BuiltInIcon(0)) },
        { "index out of range", 5, imageOf(BuiltInIcon(0)) },
        { "negative index", -1, imageOf(BuiltInIcon(0)) },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(imageOf(LoadAppIcon(config, c.index)), c.expected);
    }
}

} // namespace
} // namespace tavrin
