// The window and notification-area icons: the publisher's images when cached, else the built-in ones.
#include "mainwnd/appicon.h"

#include "base/paths.h"

#include <QImageReader>
#include <QPixmap>

// The resource file is compiled into a static library: nothing would pull it into the program
// unless something refers to it.
static void initIconResources()
{
    static const bool once = [] {
        Q_INIT_RESOURCE(tavrin);
        return true;
    }();
    Q_UNUSED(once);
}

namespace tavrin {

QIcon BuiltInIcon(IconId id)
{
    initIconResources();
    switch (id) {
    case IconId::Taskbar:
        return QIcon(QStringLiteral(":/icons/tavrin_taskbar.png"));
    case IconId::TaskbarDisabled:
        return QIcon(QStringLiteral(":/icons/tavrin_taskbar_disabled.png"));
    default:
        return QIcon(QStringLiteral(":/icons/tavrin.png"));
    }
}

QIcon LoadAppIcon(const ClientConfig &config, IconId id)
{
    const int index = static_cast<int>(id);
    if (index < 0 || index >= kIconCount)
        return BuiltInIcon(IconId::App);
    const ConfigImage image = GetIconImage(config, id);
    if (!image.id.isEmpty()) {
        // Only the first image of the file, like an icon extracted from it; a missing or unreadable
        // file falls back to the built-in icon.
        QImageReader reader(ImagePath(image));
        const QImage first = reader.read();
        if (!first.isNull())
            return QIcon(QPixmap::fromImage(first));
    }
    return BuiltInIcon(id);
}

} // namespace tavrin
