// Configuration cases the tests share: the seed documents and edits of the good one, each with its verdict.
#pragma once

#include "config/clientconfig.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <vector>

namespace tavrin::test {

struct ConfigCase {
    QString label; // the seed's file name or the edit
    QByteArray document;
    QString verdict; // as check-config prints it: "accepted" or "rejected: <the first broken rule>"
    QStringList changes; // when accepted: the lines of describeConfig that differ from good.xml's
};

// Every document in tests/data/config and every edit of good.xml the loader has a verdict for.
std::vector<ConfigCase> configCases();

// good.xml edited by "from => to" replacements joined by " | ", each on the first match of `from`. In
// both ' stands for the document's double quote and ~ for the fixtures' server; "..." in `from` matches the
// shortest text that lets the rest follow, and & in `to` is the text replaced.
QByteArray editedGoodConfig(const char *edit);

// Every field of the configuration as "key: value" lines in a fixed order, addresses on the fixtures'
// server shortened to "~/path".
QStringList describeConfig(const ClientConfig &config);

} // namespace tavrin::test
