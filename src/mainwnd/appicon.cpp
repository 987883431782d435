// The window and notification-area icons: the publisher's images when cached, else the built-in ones.
#include "mainwnd/appicon.h"

#include "config/liveconfig.h"
#include "config/texts.h"

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

QIcon BuiltInIcon(int index)
{
    initIconResources();
    switch (index) {
    case 1:
        return QIcon(QStringLiteral(":/icons/tavrin_taskbar.png"));
    case 2:
        return QIcon(QStringLiteral(":/icons/tavrin_taskbar_disabled.png"));
    default:
        return QIcon(QStringLiteral(":/icons/tavrin.png"));
    }
}

QIcon LoadAppIcon(const ClientConfig &config, int index)
{
    if (index < 0 || index >= kIconCount)
        return BuiltInIcon(0);
    const ConfigImage image = GetIconImage(config, index);
    if (!image.id.isEmpty()) {
        // Only the first image of the file, like an icon extracted from it; a missing or unreadable
        // file falls back to the built-in icon.
        QImageReader reader(ImagePath(image));
        const QImage first = reader.read();
        if (!first.isNull())
            return QIcon(QPixmap::fromImage(first));
    }
    return BuiltInIcon(index);
}

QIcon LoadAppIcon(int index)
{
    return LoadAppIcon(*currentConfig(), index);
}

} // namespace tavrin
