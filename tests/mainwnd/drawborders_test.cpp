// The frame painter: bands outermost first, one-pixel outlines, the configuration's colour order.
#include "mainwnd/drawborders.h"

#include <QImage>
#include <QPainter>

#include <gtest/gtest.h>

namespace tavrin {
namespace {

TEST(DrawBorders, PaintsEachBandInsideThePrevious)
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        DrawBorders(painter, { Border { 0x0000FF, 2 }, Border { 0xFFFFFF, 1 } }, image.rect());
    }
    const QRgb red = qRgb(255, 0, 0);
    const QRgb white = qRgb(255, 255, 255);
    const QRgb black = qRgb(0, 0, 0);
    struct Case {
        QPoint pixel;
        QRgb expected;
    };
    const Case cases[] = {
        { { 0, 0 }, red },  { { 1, 1 }, red },    { { 2, 2 }, white },  { { 3, 3 }, black },
        { { 18, 8 }, red }, { { 17, 7 }, white }, { { 16, 6 }, black }, { { 10, 5 }, black },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(testing::Message() << c.pixel.x() << "," << c.pixel.y());
        EXPECT_EQ(image.pixel(c.pixel), c.expected);
    }
}

TEST(DrawBorders, NoBordersPaintNothingAndBandsStopAtTheCentre)
{
    QImage image(6, 6, QImage::Format_RGB32);
    image.fill(Qt::black);
    {
        QPainter painter(&image);
        DrawBorders(painter, {}, image.rect());
    }
    EXPECT_EQ(image.pixel(0, 0), qRgb(0, 0, 0));
    {
        QPainter painter(&image);
        DrawBorders(painter, { Border { 0x00FF00, 50 } }, image.rect()); // wider than the window
    }
    for (int y = 0; y < 6; ++y) {
        for (int x = 0; x < 6; ++x)
            EXPECT_EQ(image.pixel(x, y), qRgb(0, 255, 0)) << x << "," << y;
    }
}

TEST(ColorFromColorRef, ReadsBlueGreenRed)
{
    EXPECT_EQ(ColorFromColorRef(0x123456), QColor(0x56, 0x34, 0x12));
}

} // namespace
} // namespace tavrin
