// One renderer process for every pane and pop-up: each renderer costs 17-20 MB, and the pages are all the
// publisher's, so isolating them from each other buys nothing worth five times that.
#include "browser/engineprocesses.h"

#include <QtGlobal>

namespace tavrin {

QByteArray WithProcessModel(const QByteArray &given)
{
    QByteArray flags = given.trimmed();
    const auto add = [&flags](const QByteArray &name, const QByteArray &value) {
        if (flags.contains(name))
            return;
        if (!flags.isEmpty())
            flags += ' ';
        flags += name + value;
    };
    add("--renderer-process-limit", "=1");
    return flags;
}

void ConfigureWebEngineProcesses()
{
    qputenv("QTWEBENGINE_CHROMIUM_FLAGS", WithProcessModel(qgetenv("QTWEBENGINE_CHROMIUM_FLAGS")));
}

} // namespace tavrin
