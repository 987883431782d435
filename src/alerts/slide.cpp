// The taskbar side, slide positions, the tick table and the display time.
#include "alerts/slide.h"

#include <algorithm>
#include <climits>

namespace tavrin {

namespace {

constexpr int kSlideMs = 750;
constexpr int kStepPixels = 2;
constexpr int kHoverRecheckMs = 500;

// The work area as the edges the plan is written in: right and bottom lie just outside it.
struct Edges {
    int l, t, r, b;
};
Edges edgesOf(const QRect &area)
{
    return { area.x(), area.y(), area.x() + area.width(), area.y() + area.height() };
}

bool axisReached(int position, int target, int step)
{
    if (step == 0)
        return position == target;
    return step > 0 ? position >= target : position <= target;
}

} // namespace

TaskbarSide FindTaskbarSide(const QRect &workArea, const QSize &screen)
{
    const Edges e = edgesOf(workArea);
    if (e.r - e.l < screen.width())
        return e.l == 0 ? TaskbarSide::Right : TaskbarSide::Left;
    if (e.b - e.t >= screen.height())
        return TaskbarSide::Bottom;
    return e.t != 0 ? TaskbarSide::Top : TaskbarSide::Bottom;
}

int SlideIntervalMs(TaskbarSide side, const QSize &window)
{
    const bool across = side == TaskbarSide::Left || side == TaskbarSide::Right;
    const int extent = across ? window.width() : window.height();
    return kSlideMs / std::max(1, extent / 2);
}

SlidePlan PlanSlide(TaskbarSide side, const QRect &workArea, const QSize &window)
{
    const Edges e = edgesOf(workArea);
    const int w = window.width();
    const int h = window.height();
    SlidePlan plan;
    switch (side) {
    case TaskbarSide::Left:
        plan = { { e.l - w, e.b - h }, { e.l, e.b - h }, { kStepPixels, 0 } };
        break;
    case TaskbarSide::Right:
        plan = { { e.r, e.b - h }, { e.r - w, e.b - h }, { -kStepPixels, 0 } };
        break;
    case TaskbarSide::Top:
        plan = { { e.r - w, e.t - h }, { e.r - w, e.t }, { 0, kStepPixels } };
        break;
    case TaskbarSide::Bottom:
        plan = { { e.r - w, e.b }, { e.r - w, e.b - h }, { 0, -kStepPixels } };
        break;
    }
    plan.intervalMs = SlideIntervalMs(side, window);
    return plan;
}

bool Reached(const QPoint &position, const QPoint &target, const QPoint &step)
{
    return axisReached(position.x(), target.x(), step.x()) && axisReached(position.y(), target.y(), step.y());
}

SlideTick NextSlideTick(SlideState state, const QPoint &position, const SlidePlan &plan, bool mouseOver,
                        int displayMs)
{
    SlideTick tick { state, position };
    switch (state) {
    case SlideState::Hidden:
        tick.hide = true;
        break;
    case SlideState::SlidingIn:
        if (Reached(position, plan.shown, plan.step)) {
            tick.timerMs = displayMs;
            tick.state = SlideState::Waiting;
        } else {
            tick.position += plan.step;
            tick.move = true;
        }
        break;
    case SlideState::Waiting:
        if (mouseOver) {
            tick.timerMs = kHoverRecheckMs;
        } else {
            tick.timerMs = plan.intervalMs;
            tick.state = SlideState::SlidingOut;
        }
        break;
    case SlideState::SlidingOut:
        if (mouseOver) {
            tick.state = SlideState::SlidingIn;
        } else if (Reached(position, plan.start, -plan.step)) {
            tick.state = SlideState::Hidden;
            tick.hide = true;
            tick.finished = true;
        } else {
            tick.position -= plan.step;
            tick.move = true;
        }
        break;
    }
    return tick;
}

int DisplayTimeMs(int seconds)
{
    return seconds > INT_MAX / 1000 ? INT_MAX : std::max(1, seconds) * 1000;
}

} // namespace tavrin
