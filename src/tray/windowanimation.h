// The short outline that flies between the notification area and the window when it shows or hides.
#pragma once

#include <QRect>

namespace tavrin {

// Animates an outline from one screen rectangle to the other (about 200 ms) without blocking and without
// taking focus; nothing where the platform cannot place windows (Wayland, offscreen) or either is empty.
void AnimateWindowRect(const QRect &from, const QRect &to);

} // namespace tavrin
