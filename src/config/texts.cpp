// The built-in text and icon tables and the lookups that let the configuration replace them.
#include "config/texts.h"

#include <array>

namespace tavrin {

namespace {

struct TextRow {
    int number;
    const char *key;
    const char *text; // UTF-8
};

// The address that ends text 6: the web engine's own download and documentation page.
#define TAVRIN_WEB_ENGINE_PAGE "https://doc.qt.io/qt-6/qtwebengine-index.html"

constexpr std::array<TextRow, kTextCount> kTexts { {
    { 0, "balloon_title_no_connection", "Tavrin - Sin conexión" },
    { 1, "balloon_text_no_connection",
      "En estos momentos su ordenador no puede conectar a Belmoreta. Tavrin seguirá informándole con las "
      "últimas noticias en cuanto recupere la conexión." },
    { 2, "tooltip_initializing", "Tavrin - Inicializando" },
    { 3, "tooltip_running", "Tavrin" },
    { 4, "tooltip_no_connection", "Tavrin - Sin conexión" },
    { 5, "prefs_label_tree", "Seleccione las secciones que le interesan:" },
    { 6, "ie6_not_installed",
      "Para utilizar Tavrin debe instalar el navegador Internet Explorer 6 o superior en su equipo. Puede "
      "descargar la última versión de Internet Explorer en " TAVRIN_WEB_ENGINE_PAGE },
    { 7, "new_app_version",
      "Está disponible una nueva versión de Tavrin.¿Desea descargar e instalar la nueva versión?" },
    { 8, "prefs_question_delete_user_rss", "¿Desea eliminar el medio @USER_RSS_NAME@?" },
    { 9, "add_user_rss_mandatory_fields",
      "Debe especificar el nombre y la dirección RSS del medio que desea añadir" },
    { 10, "add_user_rss_unknown_error",
      "Se ha producido un error al añadir el medio. Por favor, reintente la operación más tarde" },
    { 11, "add_user_rss_duplicated", "El medio '@USER_RSS_NAME@' estaba añadido previamente" },
    { 12, "add_user_rss_success", "El medio '@USER_RSS_NAME@' se ha añadido correctamente" },
    { 13, "prefs_must_select_sections", "Debe seleccionar al menos una sección" },
    { 14, "prefs_alerts_positive_ttl", "La duración de las alertas debe ser un número positivo" },
    { 15, "prefs_launch_on_windows_start", "Arrancar automáticamente al iniciar Windows" },
    { 16, "prefs_show_alerts_for_other_media", "Mostrar alertas para las noticias de Otros Medios" },
    { 17, "balloon_title_app_minimized", "Tavrin" },
    { 18, "balloon_text_app_minimized",
      "Tavrin se encuentra todavía activo para informarle de las últimas noticias. Si desea cerrar el "
      "programa, haga clic en el icono con el botón derecho y seleccione \"Salir\"." },
    { 19, "add_user_rss_label",
      "Introduzca el nombre y la dirección RSS o Atom del medio que desea añadir:" },
    { 20, "fatal_error",
      "Se ha producido un error fatal al inicializar Tavrin. Por favor, reinstale la aplicación." },
} };

#undef TAVRIN_WEB_ENGINE_PAGE

constexpr std::array<const char *, kIconCount> kIconImageIds { {
    "tavrin_icon",
    "tavrin_taskbar_icon",
    "tavrin_taskbar_disabled_icon",
} };

const TextRow *findRow(TextId id)
{
    const int number = static_cast<int>(id);
    for (const TextRow &row : kTexts) {
        if (row.number == number) {
            return &row;
        }
    }
    return nullptr;
}

} // namespace

QString TextKey(TextId id)
{
    const TextRow *row = findRow(id);
    return row ? QString::fromUtf8(row->key) : QString();
}

QString GetText(const ClientConfig &config, TextId id)
{
    const TextRow *row = findRow(id);
    if (!row) {
        return QString();
    }
    const auto found = config.texts.find(QString::fromUtf8(row->key));
    return found != config.texts.end() ? found->second : QString::fromUtf8(row->text);
}

QString IconImageId(IconId id)
{
    const int index = static_cast<int>(id);
    if (index < 0 || index >= kIconCount) {
        return QString();
    }
    return QString::fromUtf8(kIconImageIds[std::size_t(index)]);
}

ConfigImage GetIconImage(const ClientConfig &config, IconId id)
{
    const QString imageId = IconImageId(id);
    if (imageId.isEmpty()) {
        return ConfigImage();
    }
    const auto found = config.images.find(imageId);
    return found != config.images.end() ? found->second : ConfigImage();
}

} // namespace tavrin
