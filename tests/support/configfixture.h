// Configuration cases the tests share: the seed documents and edits of the good one, each with its verdict.
#pragma once

#include "config/clientconfig.h"

#include <QStringList>

#include <vector>

namespace tavrin::test {

struct ConfigCase {
    QString label; // the edit of good.xml, or @ and the name of a whole document in tests/data/config
    QByteArray document;
    QString verdict; // as check-config prints it: "accepted" or "rejected: <the first broken rule>"
    QStringList fields; // when accepted: describeConfig of what the loader reads
};

// Every document in tests/data/config and every edit of good.xml the loader has a verdict for.
std::vector<ConfigCase> configCases();

// Every field of the configuration, one line per element or entry, ';' between fields.
QStringList describeConfig(const ClientConfig &config);

} // namespace tavrin::test
