// Qt's own words (standard buttons, standard dialogs) in Spanish, like every text of the program.
#pragma once

#include <QString>

namespace tavrin {

// Name of Qt's Spanish catalogue in Qt's translations folder.
inline const QString kQtSpanishCatalogue = QStringLiteral("qtbase_es");

// Installs Qt's Spanish translation in the running application whatever the system's language; false
// when the catalogue could not be loaded (Qt's English words stay).
bool InstallQtSpanishTranslation();

} // namespace tavrin
