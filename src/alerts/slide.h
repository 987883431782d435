// Where the alert pop-up comes from and how it moves: the taskbar side, the slide plan and one timer tick,
// as plain arithmetic on screen pixels.
#pragma once

#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>

#include <cstdint>
#include <optional>

namespace tavrin {

enum class TaskbarSide : std::uint32_t { Left = 0, Right = 1, Top = 2, Bottom = 3 };

// The side the taskbar takes, from the work area and the screen, both in the screen's own coordinates
// (its top-left corner is 0, 0). A work area as large as the screen counts as Bottom.
TaskbarSide FindTaskbarSide(const QRect &workArea, const QSize &screen);

// Positions are top-left corners in screen pixels; the return step is the step negated.
struct SlidePlan {
    QPoint start {}; // fully hidden behind the taskbar; sliding out ends here
    QPoint shown {}; // fully out
    QPoint step {}; // moved per slide-in tick
    int intervalMs = 0; // between ticks
    friend bool operator==(const SlidePlan &, const SlidePlan &) = default;
};

// The plan for a window of that size beside the taskbar on `side` of the work area.
SlidePlan PlanSlide(TaskbarSide side, const QRect &workArea, const QSize &window);

// 750 / (S / 2) ms with integer divisions, S the window's extent across the taskbar; a window under two
// pixels slides in one tick instead of dividing by zero.
int SlideIntervalMs(TaskbarSide side, const QSize &window);

// Per axis: no step needs the target exactly, a positive step at least it, a negative one at most it.
bool Reached(const QPoint &position, const QPoint &target, const QPoint &step);

enum class SlideState : std::uint32_t { Hidden = 0, SlidingIn = 1, SlidingOut = 2, Waiting = 3 };

// What one tick of the alert timer does.
struct SlideTick {
    SlideState state = SlideState::Hidden;
    QPoint position {};
    std::optional<int> timerMs {}; // the timer's new period; none keeps it
    bool move = false; // the window goes to `position`
    bool hide = false; // the pop-up hides (HidePopup)
    bool finished = false; // WM_ALERTS_FINISHED is posted after hiding
    friend bool operator==(const SlideTick &, const SlideTick &) = default;
};

// Slide in, wait the display time, stay while the mouse is over it (re-checking every 500 ms), slide out,
// come back out when the mouse returns. Arrival is tested before moving, so an odd size ends one pixel
// beyond its target.
SlideTick NextSlideTick(SlideState state, const QPoint &position, const SlidePlan &plan, bool mouseOver,
                        int displayMs);

// The display time in milliseconds of AlertsDisplaySeconds' seconds (never below one), saturated.
int DisplayTimeMs(int seconds);

} // namespace tavrin
