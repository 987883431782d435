// The pages' command links ("tavrin://name/...?key=value&...") and the addresses that may leave for the
// browser.
#pragma once

#include "config/clientconfig.h"

#include <QString>

#include <map>
#include <optional>

namespace tavrin {

enum class Command {
    prefs = 0,
    about = 1,
    select_section = 2,
    close_window = 3,
    navigate_internal = 4,
    show_alert = 5,
    navigate_explorer_news = 6,
};

struct CommandUrl {
    Command command = Command::prefs;
    // Keys as written, values percent-decoded; the first occurrence of a key wins. Ordered by bytes.
    std::map<QString, QString, Utf8ByteLess> parameters;
};

// The command of a "tavrin://" address (nine characters, case-sensitive): the name runs to the first "/";
// parameters are read only when the rest holds exactly one "?"; a command whose required parameters are
// missing is no command. Nothing for any other address.
std::optional<CommandUrl> ParseCommandUrl(const QString &url);
// The command's name as links write it.
QString CommandName(Command command);
// Only http:, https: and mailto: addresses are handed to the reader's browser; everything else stays.
bool OpensInBrowser(const QString &url);

} // namespace tavrin
