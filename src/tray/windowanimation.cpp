// The outline that flies between the notification area and the window.
#include "tray/windowanimation.h"

#include <QGuiApplication>
#include <QPainter>
#include <QVariantAnimation>
#include <QWidget>

namespace tavrin {

namespace {

constexpr int kDurationMs = 200;

class Outline : public QWidget {
public:
    Outline()
        : QWidget(nullptr,
                  Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint
                      | Qt::WindowTransparentForInput | Qt::WindowDoesNotAcceptFocus)
    {
        setAttribute(Qt::WA_ShowWithoutActivating);
        setAttribute(Qt::WA_TranslucentBackground);
        setAttribute(Qt::WA_DeleteOnClose);
    }

protected:
    void paintEvent(QPaintEvent *) override
    {
        QPainter painter(this);
        painter.setPen(QPen(palette().highlight(), 2));
        painter.drawRect(rect().adjusted(1, 1, -1, -1));
    }
};

bool platformPlacesWindows()
{
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows")
        || platform == QLatin1String("cocoa");
}

} // namespace

void AnimateWindowRect(const QRect &from, const QRect &to)
{
    if (from.isEmpty() || to.isEmpty() || !platformPlacesWindows())
        return;
    auto *outline = new Outline;
    auto *animation = new QVariantAnimation(outline);
    animation->setDuration(kDurationMs);
    animation->setStartValue(from);
    animation->setEndValue(to);
    QObject::connect(animation, &QVariantAnimation::valueChanged, outline,
                     [outline](const QVariant &value) { outline->setGeometry(value.toRect()); });
    QObject::connect(animation, &QVariantAnimation::finished, outline, &QWidget::close);
    outline->setGeometry(from);
    outline->show();
    animation->start();
}

} // namespace tavrin
