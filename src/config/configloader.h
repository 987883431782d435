// Reads a configuration document into a ClientConfig and decides whether the client may run with it.
#pragma once

#include "config/clientconfig.h"

#include <QByteArray>
#include <QString>

namespace tavrin {

// True when the document parsed, followed the grammar and validated; only then is config replaced.
// On false, config is untouched and, when reason is given, it names the first rule the document broke.
bool LoadConfigurationFile(const QString &path, ClientConfig &config, QString *reason = nullptr);
bool LoadConfigurationText(const QByteArray &text, ClientConfig &config, QString *reason = nullptr);

// The plain decimal parse of document numbers: leading blanks and a sign, digits up to the first
// non-digit; 0 without digits. Saturates instead of overflowing.
int ParseDecimal(const QString &text);

} // namespace tavrin
