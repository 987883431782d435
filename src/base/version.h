// The program's name and its own version, from the compiled-in file version.
#pragma once

#include <QString>

namespace tavrin {

// "Tavrin": the application name used for captions, folders and the single-instance lock.
QString AppName();
// The file version "1, 0, 0, 10" with every blank removed and every comma turned into a point.
QString OwnVersion();
// The same normalisation applied to any file-version text.
QString NormaliseFileVersion(const QString &fileVersion);

} // namespace tavrin
