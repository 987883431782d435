// Paints the configured frame bands of the main window and the alert pop-up.
#include "mainwnd/drawborders.h"

#include <QPainter>

namespace tavrin {

QColor ColorFromColorRef(std::uint32_t colorRef)
{
    return QColor(int(colorRef & 0xFF), int((colorRef >> 8) & 0xFF), int((colorRef >> 16) & 0xFF));
}

void DrawBorders(QPainter &painter, const QList<Border> &borders, const QRect &rect)
{
    int k = 0;
    for (const Border &border : borders) {
        const QColor color = ColorFromColorRef(border.color);
        for (int i = 0; i < border.width; ++i, ++k) {
            const QRect outline = rect.adjusted(k, k, -k, -k);
            if (outline.width() <= 0 || outline.height() <= 0)
                return;
            // Four one-pixel strips: exactly the outline's pixels, whatever the painter's pen.
            painter.fillRect(QRect(outline.left(), outline.top(), outline.width(), 1), color);
            painter.fillRect(QRect(outline.left(), outline.bottom(), outline.width(), 1), color);
            painter.fillRect(QRect(outline.left(), outline.top(), 1, outline.height()), color);
            painter.fillRect(QRect(outline.right(), outline.top(), 1, outline.height()), color);
        }
    }
}

} // namespace tavrin
