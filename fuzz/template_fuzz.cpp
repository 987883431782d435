// Runs the template engine over arbitrary text: block lookups, filling and the final removal must end.
#include "compose/htmltemplate.h"

#include <QStringList>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QString text = QString::fromUtf8(reinterpret_cast<const char *>(data), qsizetype(size));
    // The first line names the blocks to ask for; the whole text is the template.
    const QStringList names = text.section(QLatin1Char('\n'), 0, 0).split(QLatin1Char(','));
    tavrin::HtmlTemplate page(text);
    QString items;
    for (const QString &name : names) {
        QString copy = page.GetBlock(name);
        tavrin::FillValue(copy, name, tavrin::ToNbsp(name));
        items += copy;
    }
    page.SetValue(QStringLiteral("NEWS"), items);
    (void)page.GetResult();
    (void)tavrin::ToFileUrl(text);
    return 0;
}
