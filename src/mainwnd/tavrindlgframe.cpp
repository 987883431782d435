// The main window's frame: pane layout, placement, painted bands, moving and resizing from presses.
#include "mainwnd/tavrindlg.h"

#include "mainwnd/drawborders.h"
#include "mainwnd/mainwndstate.h"
#include "mainwnd/panelayout.h"
#include "settings/settings.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>
#include <QWindow>

namespace tavrin {

namespace {

std::optional<QSize> measured(const CWebBrowser2 *pane)
{
    int width = 0;
    int height = 0;
    if (!pane->GetContentSize(width, height))
        return std::nullopt;
    return QSize(width, height);
}

Qt::CursorShape cursorForEdges(Qt::Edges edges)
{
    const bool horizontal = edges & (Qt::LeftEdge | Qt::RightEdge);
    const bool vertical = edges & (Qt::TopEdge | Qt::BottomEdge);
    if (horizontal && vertical) {
        const bool falling
            = edges == (Qt::TopEdge | Qt::LeftEdge) || edges == (Qt::BottomEdge | Qt::RightEdge);
        return falling ? Qt::SizeFDiagCursor : Qt::SizeBDiagCursor;
    }
    if (horizontal)
        return Qt::SizeHorCursor;
    if (vertical)
        return Qt::SizeVerCursor;
    return Qt::ArrowCursor;
}

} // namespace

void CTavrinDlg::LayoutPanes()
{
    if (!LayoutRuns(appState()))
        return;
    const auto cfg = config();
    PaneMeasures measures;
    measures.sections = measured(m_sections);
    measures.urgent = measured(m_urgent);
    measures.ads = measured(m_ads);
    measures.urgentBodyEmpty = m_urgent->GetBodyHtml().isEmpty();
    const PaneRects rects = tavrin::LayoutPanes(size(), FrameWidth(cfg->main_borders), measures,
                                                appState() == AppState::Refreshing);
    // A pane laid out at no size is hidden too: the engine stops painting and animating a hidden view
    // (the loading page's endless animation kept the whole tree awake), not a zero-sized one. The loading
    // page, hidden mid-animation, is reloaded from the cache, or the engine keeps waking for it.
    const auto place = [this](CWebBrowser2 *pane, const std::optional<QRect> &rect) {
        if (!rect)
            return;
        const bool hiding = rect->isEmpty() && !pane->isHidden();
        if (pane->geometry() != *rect)
            pane->setGeometry(*rect);
        pane->setVisible(!rect->isEmpty());
        if (hiding && pane == m_loading)
            pane->RestoreWhileHidden();
    };
    place(m_sections, rects.sections);
    place(m_urgent, rects.urgent);
    place(m_ads, rects.ads);
    place(m_news, rects.news);
    place(m_loading, rects.loading);
    update();
}

void CTavrinDlg::PlaceMainWindow()
{
    const auto cfg = config();
    const QSize design(std::max(1, cfg->main_width), std::max(1, cfg->main_height));
    setMinimumSize(design);
    std::optional<QRect> saved;
    WindowRect stored;
    if (LoadMainWindowRect(stored))
        saved = QRect(stored.left, stored.top, stored.right - stored.left, stored.bottom - stored.top);
    // Centred on the primary screen, wherever the desktop puts it; not on the screen the hidden window
    // happens to be assigned to.
    QScreen *primary = QGuiApplication::primaryScreen();
    QList<QRect> screens;
    for (QScreen *each : QGuiApplication::screens())
        screens.append(each->geometry());
    const QRect workArea = primary ? primary->availableGeometry() : QRect(QPoint(0, 0), design);
    setGeometry(tavrin::PlaceMainWindow(saved, design, workArea, screens));
    m_placed = true;
}

void CTavrinDlg::resizeEvent(QResizeEvent *event)
{
    QWidget::resizeEvent(event);
    if (!exiting())
        LayoutPanes();
}

void CTavrinDlg::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    DrawBorders(painter, config()->main_borders, rect());
}

void CTavrinDlg::watchPaneInput(QObject *object)
{
    object->installEventFilter(this);
    for (QObject *child : object->children()) {
        if (child->isWidgetType())
            watchPaneInput(child);
    }
}

bool CTavrinDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::ChildAdded) {
        // The engine puts its render widget into the pane after the fact; it gets the input.
        QObject *child = static_cast<QChildEvent *>(event)->child();
        if (child->isWidgetType())
            watchPaneInput(child);
        return false;
    }
    if (exiting() || !watched->isWidgetType())
        return false;
    if (m_drag.active && followMouse(event))
        return true;
    switch (event->type()) {
    case QEvent::Enter:
        // The pointer left the frame bands for a page.
        if (testAttribute(Qt::WA_SetCursor))
            unsetCursor();
        return false;
    case QEvent::MouseButtonPress: {
        auto *mouse = static_cast<QMouseEvent *>(event);
        if (mouse->button() == Qt::LeftButton
            && pressStartsMoveOrResize(static_cast<QWidget *>(watched), mouse->globalPosition().toPoint()))
            return true;
        return false;
    }
    case QEvent::KeyPress:
        if (static_cast<QKeyEvent *>(event)->key() == Qt::Key_Escape) {
            OnCancel();
            return true;
        }
        return false;
    default:
        return false;
    }
}

bool CTavrinDlg::pressStartsMoveOrResize(QWidget *target, const QPoint &globalPos)
{
    const auto cfg = config();
    const QPoint point = mapFromGlobal(globalPos);
    if (IsInTitleArea(point, cfg->title_rect, width(), cfg->main_width)) {
        startMoveOrResize({}, globalPos);
        return true;
    }
    // A page offers a resize grip by showing the diagonal resize cursor over it. The engine sets the page's
    // cursor on the top-level window; the input widget has none of its own and would only echo the frame's.
    const QWindow *window = windowHandle();
    const QCursor pageCursor
        = target->testAttribute(Qt::WA_SetCursor) || !window ? target->cursor() : window->cursor();
    const Qt::Edges grip = GripEdges(pageCursor.shape());
    if (grip) {
        startMoveOrResize(grip, globalPos);
        return true;
    }
    return false;
}

void CTavrinDlg::startMoveOrResize(Qt::Edges edges, const QPoint &globalPos)
{
    QWindow *window = windowHandle();
    const bool started = window && (edges ? window->startSystemResize(edges) : window->startSystemMove());
    if (started)
        return;
    m_drag.active = true;
    m_drag.edges = edges;
    m_drag.startGlobal = globalPos;
    m_drag.startGeometry = geometry();
    grabMouse();
}

bool CTavrinDlg::followMouse(QEvent *event)
{
    if (event->type() == QEvent::MouseButtonRelease) {
        m_drag.active = false;
        releaseMouse();
        return true;
    }
    if (event->type() != QEvent::MouseMove)
        return false;
    const QPoint delta = static_cast<QMouseEvent *>(event)->globalPosition().toPoint() - m_drag.startGlobal;
    QRect target = m_drag.startGeometry;
    if (!m_drag.edges) {
        target.translate(delta);
        move(target.topLeft());
        return true;
    }
    if (m_drag.edges & Qt::LeftEdge)
        target.setLeft(target.left() + delta.x());
    if (m_drag.edges & Qt::RightEdge)
        target.setRight(target.right() + delta.x());
    if (m_drag.edges & Qt::TopEdge)
        target.setTop(target.top() + delta.y());
    if (m_drag.edges & Qt::BottomEdge)
        target.setBottom(target.bottom() + delta.y());
    setGeometry(ApplyMinimumSize(target, m_drag.edges, minimumSize()));
    return true;
}

void CTavrinDlg::mousePressEvent(QMouseEvent *event)
{
    if (exiting() || event->button() != Qt::LeftButton) {
        QWidget::mousePressEvent(event);
        return;
    }
    const auto cfg = config();
    const QPoint point = event->position().toPoint();
    const Qt::Edges edges = EdgesForHitCode(HitTestFrame(point, size(), FrameWidth(cfg->main_borders)));
    if (edges) {
        startMoveOrResize(edges, event->globalPosition().toPoint());
        event->accept();
        return;
    }
    if (IsInTitleArea(point, cfg->title_rect, width(), cfg->main_width)) {
        startMoveOrResize({}, event->globalPosition().toPoint());
        event->accept();
        return;
    }
    QWidget::mousePressEvent(event);
}

void CTavrinDlg::mouseReleaseEvent(QMouseEvent *event)
{
    if (m_drag.active) {
        followMouse(event);
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void CTavrinDlg::mouseMoveEvent(QMouseEvent *event)
{
    if (m_drag.active) {
        followMouse(event);
        return;
    }
    if (!exiting()) {
        const HitCode code
            = HitTestFrame(event->position().toPoint(), size(), FrameWidth(config()->main_borders));
        const Qt::Edges edges = EdgesForHitCode(code);
        // Off the frame bands the window has no cursor of its own, so the pages' cursors show through.
        if (edges)
            setCursor(cursorForEdges(edges));
        else
            unsetCursor();
    }
    QWidget::mouseMoveEvent(event);
}

} // namespace tavrin
