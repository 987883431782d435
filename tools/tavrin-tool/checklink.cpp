// check-link: tells a publisher what a click on an address inside a pane does, by the client's own rules.
#include "command.h"

#include "compose/commandurl.h"

namespace tavrin::tool {

namespace {

void printLine(const QString &text)
{
    // One line per entry: a decoded line break would pass for another parameter.
    QByteArray line = text.toUtf8();
    line.replace('\n', ' ').replace('\r', ' ');
    line.append('\n');
    std::fwrite(line.constData(), 1, static_cast<size_t>(line.size()), stdout);
}

int checkLink(const QStringList &args)
{
    if (args.size() != 1)
        return usage("check-link");
    const QString &url = args.first();
    if (const std::optional<CommandUrl> command = ParseCommandUrl(url)) {
        printLine(QStringLiteral("command ") + CommandName(command->command));
        for (const auto &[key, value] : command->parameters)
            printLine(key + QLatin1Char('=') + value);
    } else if (OpensInBrowser(url)) {
        printLine(QStringLiteral("browser ") + url);
    } else {
        printLine(QStringLiteral("ignored"));
    }
    return kExitOk;
}

} // namespace

TAVRIN_TOOL_COMMAND("check-link", "URL", checkLink);

} // namespace tavrin::tool
