// check-config: tells a publisher whether the client would run with a configuration document, and why not.
#include "command.h"

#include "config/configloader.h"

#include <QFile>

namespace tavrin::tool {

namespace {

int checkConfig(const QStringList &args)
{
    if (args.size() != 1) {
        return usage("check-config");
    }
    const QString path = args.first();
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        std::fprintf(stderr, "tavrin-tool: cannot read %s\n", qPrintable(path));
        return usage("check-config");
    }
    file.close();

    // The client's own loader, with the user's settings store (their feeds count in validation).
    ClientConfig config;
    QString reason;
    if (LoadConfigurationFile(path, config, &reason)) {
        std::printf("accepted\n");
        return kExitOk;
    }
    std::printf("rejected: %s\n", reason.toUtf8().constData());
    return kExitRejected;
}

} // namespace

TAVRIN_TOOL_COMMAND("check-config", "FILE", checkConfig);

} // namespace tavrin::tool
