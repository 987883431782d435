// Parsing the pages' command links and deciding which addresses may leave for the browser.
#include "compose/commandurl.h"

#include "base/text.h"
#include "net/httpclient.h"

#include <QUrl>

#include <array>

namespace tavrin {

namespace {

const QString kScheme = QStringLiteral("tavrin://");

struct CommandRow {
    Command command;
    const char *name;
    std::initializer_list<const char *> required;
};

// In the order the names are compared.
const std::array<CommandRow, 7> kCommands { {
    { Command::prefs, "prefs", {} },
    { Command::about, "about", {} },
    { Command::select_section, "select_section", { "id" } },
    { Command::close_window, "close_window", {} },
    { Command::navigate_internal, "navigate_internal", { "url" } },
    { Command::navigate_explorer_news, "navigate_explorer_news", { "url" } },
    { Command::show_alert, "show_alert", { "id", "section_id", "title", "url", "date" } },
} };

} // namespace

std::optional<CommandUrl> ParseCommandUrl(const QString &url)
{
    if (!url.startsWith(kScheme))
        return std::nullopt;
    const QString rest = url.mid(kScheme.size());
    const QStringList pieces = SplitText(rest, QStringLiteral("/"));
    if (pieces.isEmpty())
        return std::nullopt;
    const QString name = pieces.first();

    CommandUrl result;
    // Split before decoding: "&" and "=" inside a value must arrive percent-encoded.
    const QStringList query = SplitText(rest, QStringLiteral("?"));
    if (query.size() == 2) {
        for (const QString &part : SplitText(query[1], QStringLiteral("&"))) {
            const QStringList pair = SplitText(part, QStringLiteral("="));
            if (pair.size() == 2)
                result.parameters.try_emplace(pair[0], DecodeUrl(pair[1]));
        }
    }
    for (const CommandRow &row : kCommands) {
        if (name != QLatin1String(row.name))
            continue;
        for (const char *key : row.required) {
            if (result.parameters.find(QString::fromLatin1(key)) == result.parameters.end())
                return std::nullopt;
        }
        result.command = row.command;
        return result;
    }
    return std::nullopt;
}

QString CommandName(Command command)
{
    for (const CommandRow &row : kCommands) {
        if (row.command == command)
            return QString::fromLatin1(row.name);
    }
    return QString();
}

bool OpensInBrowser(const QString &url)
{
    const QString scheme = QUrl(url).scheme().toLower();
    return scheme == QLatin1String("http") || scheme == QLatin1String("https")
        || scheme == QLatin1String("mailto");
}

} // namespace tavrin
