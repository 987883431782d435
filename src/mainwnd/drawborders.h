// Paints the configured frame bands of the main window and the alert pop-up.
#pragma once

#include "config/clientconfig.h"

#include <QColor>
#include <QList>
#include <QRect>

class QPainter;

namespace tavrin {

// A colour of the configuration (0x00BBGGRR) as a Qt colour.
QColor ColorFromColorRef(std::uint32_t colorRef);

// Draws the bands inside `rect`, the first border outermost: each border draws `width` one-pixel
// outlines in its colour, each one pixel further in. Nothing else is painted.
void DrawBorders(QPainter &painter, const QList<Border> &borders, const QRect &rect);

} // namespace tavrin
