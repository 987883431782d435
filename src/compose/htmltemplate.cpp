// Template block engine: blocks are cut from the unchanged source, deleted from the working page.
#include "compose/htmltemplate.h"

namespace tavrin {

namespace {

const QString kMarkerOpen = QStringLiteral("<!-- @ ");
const QString kMarkerClose = QStringLiteral(" @ -->");

QString blockMarker(const QString &name)
{
    return kMarkerOpen + name + kMarkerClose;
}

} // namespace

HtmlTemplate::HtmlTemplate(const QString &templateText)
    : m_source(templateText)
    , m_working(templateText)
{
}

QString HtmlTemplate::GetBlock(const QString &name)
{
    const QString marker = blockMarker(name);
    const qsizetype length = marker.size();
    const qsizetype p1 = m_source.indexOf(marker, 0);
    if (p1 < 0)
        return QString();
    const qsizetype p2 = m_source.indexOf(marker, p1 + 1);
    if (p2 < 0)
        return QString();
    // A name can make the marker overlap its own next occurrence; such a block has no inner text.
    const QString inner = p2 > p1 + length ? m_source.mid(p1 + length, p2 - p1 - length) : QString();

    const qsizetype q1 = m_working.indexOf(marker, 0);
    if (q1 >= 0) {
        const qsizetype q2 = m_working.indexOf(marker, q1 + 1);
        if (q2 >= 0)
            m_working.remove(q1, q2 + length - q1);
    }
    return inner;
}

void HtmlTemplate::SetValue(const QString &name, const QString &value)
{
    FillValue(m_working, name, value);
}

void HtmlTemplate::RemoveRemainingBlocks()
{
    for (;;) {
        const qsizetype p = m_working.indexOf(kMarkerOpen, 0);
        if (p < 0)
            return;
        const qsizetype q = m_working.indexOf(kMarkerClose, p + 1);
        // "<!-- @ -->" closes inside its own opening: no name can be read from it.
        if (q < p + kMarkerOpen.size())
            return;
        const QString name = m_working.mid(p + kMarkerOpen.size(), q - p - kMarkerOpen.size());
        const qsizetype before = m_working.size();
        GetBlock(name);
        // A marker that cannot be paired in both texts would be found again without end.
        if (m_working.size() == before)
            return;
    }
}

QString HtmlTemplate::GetResult()
{
    RemoveRemainingBlocks();
    return m_working;
}

void FillValue(QString &text, const QString &name, const QString &value)
{
    text.replace(QStringLiteral("<!-- {") + name + QStringLiteral("} -->"), value);
}

QString ToNbsp(const QString &text)
{
    QString result = text;
    result.replace(QLatin1Char(' '), QStringLiteral("&nbsp;"));
    return result;
}

QString ToFileUrl(const QString &path)
{
    return QStringLiteral("file://") + path;
}

} // namespace tavrin
