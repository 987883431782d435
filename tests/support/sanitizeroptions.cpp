// Sanitizer settings handed down to child processes through their environment variables.
#include "support/sanitizeroptions.h"

#include <QByteArray>
#include <QtGlobal>

namespace tavrin::test {

void prependSanitizerOptions(const char *variable, const char *options)
{
    QByteArray value(options);
    const QByteArray existing = qgetenv(variable);
    if (!existing.isEmpty())
        value += ':' + existing;
    qputenv(variable, value);
}

} // namespace tavrin::test
