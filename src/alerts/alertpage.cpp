// Fills the alert template's news block once per record of a batch.
#include "alerts/alertpage.h"

#include "compose/htmlescape.h"
#include "compose/htmltemplate.h"
#include "config/selection.h"
#include "news/newsdate.h"

namespace tavrin {

QString ComposeAlertPage(const ClientConfig &config, const NewsSet &batch)
{
    HtmlTemplate page(config.alerts_html);
    const QString block = page.GetBlock(QStringLiteral("BLOCK_NEWS"));
    QString list;
    for (const NewsRecord &record : batch) {
        QString item = block;
        FillValue(item, QStringLiteral("section_name"),
                  EscapeHtml(KeyDisplayName(config, record.section_key)));
        FillValue(item, QStringLiteral("news_time"), EscapeHtml(FormatNewsTime(record)));
        FillValue(item, QStringLiteral("news_url"), SafePageHref(record.url));
        FillValue(item, QStringLiteral("news_title"), EscapeHtml(record.title));
        list += item;
    }
    page.SetValue(QStringLiteral("NEWS"), list);
    return page.GetResult();
}

} // namespace tavrin
