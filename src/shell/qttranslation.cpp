// Qt's own words in Spanish, installed once at start-up.
#include "shell/qttranslation.h"

#include "base/logging.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace tavrin {

bool InstallQtSpanishTranslation()
{
    // Owned by the application, so it stays installed for the life of the process.
    auto *translator = new QTranslator(QCoreApplication::instance());
    if (!translator->load(kQtSpanishCatalogue, QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        qCWarning(lcShell) << "Qt's Spanish translation not found; Qt's own words stay in English";
        delete translator;
        return false;
    }
    return QCoreApplication::installTranslator(translator);
}

} // namespace tavrin
