// The frame painter: bands outermost first, one-pixel outlines, the configuration's colour order.
#include "mainwnd/drawborders.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace tavrin {
namespace {

QImage painted(QSize size, const QList<Border> &borders)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    DrawBorders(painter, borders, image.rect());
    painter.end();
    return image;
}

TEST(DrawBorders, PaintsEachBandInsideThePreviousAndStopsAtTheCentre)
{
    const QImage image = painted(QSize(20, 10), { Border { 0x0000FF, 2 }, Border { 0xFFFFFF, 1 } });
    const QRgb red = qRgb(255, 0, 0), white = qRgb(255, 255, 255), black = qRgb(0, 0, 0);
    const std::pair<QPoint, QRgb> pixels[] = {
        { { 0, 0 }, red },  { { 1, 1 }, red },    { { 2, 2 }, white },  { { 3, 3 }, black },
        { { 18, 8 }, red }, { { 17, 7 }, white }, { { 16, 6 }, black }, { { 10, 5 }, black },
    };
    for (const auto &[pixel, colour] : pixels)
        EXPECT_EQ(image.pixel(pixel), colour) << pixel.x() << "," << pixel.y();

    EXPECT_EQ(painted(QSize(6, 6), {}).pixel(0, 0), black);
    const QImage full = painted(QSize(6, 6), { Border { 0x00FF00, 50 } }); // wider than the window
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(full.pixel(x, y), qRgb(0, 255, 0)) << x << "," << y;
    }
    EXPECT_EQ(ColorFromColorRef(0x123456), QColor(0x56, 0x34, 0x12)); // blue, green, red
}

} // namespace
} // namespace tavrin
