// The dynamic pages of the sample site: news pages, articles, the urgent strip, the installer.
#include "pages.h"

#include "textutil.h"

#include <algorithm>

namespace tavrin::publisher {

namespace {

Reply NotFound()
{
    return TextReply(404, "No encontrado\n");
}

std::string HumanDate(std::time_t time)
{
    std::tm parts {};
    localtime_r(&time, &parts);
    char buffer[32];
    std::strftime(buffer, sizeof buffer, "%d/%m/%Y %H:%M", &parts);
    return buffer;
}

std::string ShowAlertCommand(const NewsItem &item, const std::string &url)
{
    return "tavrin://show_alert/?id=" + PercentEncode("prueba-" + item.id)
        + "&section_id=" + PercentEncode(item.key) + "&title=" + PercentEncode(item.title)
        + "&url=" + PercentEncode(url) + "&date=" + PercentEncode(NewsDateText(item.time));
}

std::string HostOf(const std::string &address)
{
    const std::size_t scheme = address.find("://");
    const std::size_t start = scheme == std::string::npos ? 0 : scheme + 3;
    const std::size_t end = address.find_first_of("/?#", start);
    return address.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

} // namespace

std::string RepeatRegion(const std::string &text, const std::string &name,
                         const std::vector<std::map<std::string, std::string>> &rows)
{
    const std::string open = "<!--" + name + "-->";
    const std::string close = "<!--/" + name + "-->";
    const std::size_t start = text.find(open);
    const std::size_t end = start == std::string::npos ? std::string::npos : text.find(close, start);
    if (end == std::string::npos)
        return text;
    const std::string region = text.substr(start + open.size(), end - start - open.size());
    std::string filled;
    for (const auto &row : rows) {
        std::string copy = region;
        for (const auto &[key, value] : row)
            ReplaceAll(copy, "@" + key + "@", value);
        filled += copy;
    }
    return text.substr(0, start) + filled + text.substr(end + close.size());
}

Reply NewsPage(PublisherContext &context, const std::string &sectionId,
               const std::vector<std::string> &subsections, std::time_t now)
{
    const bool feedSection = sectionId == context.feeds.sectionId();
    if (!feedSection && !context.news.HasSection(sectionId))
        return NotFound();
    const std::optional<SiteFile> page = context.site.Read("plantillas/noticias.html");
    if (!page)
        return NotFound();

    std::vector<NewsItem> items;
    std::vector<std::string> names;
    std::time_t modified = page->modified;
    if (feedSection) {
        for (const std::string &feed : subsections) {
            const std::vector<NewsItem> feedItems = context.feeds.ItemsFor(feed, now);
            items.insert(items.end(), feedItems.begin(), feedItems.end());
            const std::string address = context.feeds.AddressOf(feed);
            names.push_back(address.empty() ? feed : HostOf(address));
        }
        std::stable_sort(items.begin(), items.end(),
                         [](const NewsItem &a, const NewsItem &b) { return a.time > b.time; });
    } else {
        items = context.news.ItemsFor(sectionId, subsections);
        for (const std::string &sub : subsections) {
            const std::string name = context.news.NameOf(sectionId + "_" + sub);
            if (!name.empty())
                names.push_back(name);
        }
        modified = std::max(modified, context.news.LastChange());
    }
    if (!items.empty())
        modified = std::max(modified, items.front().time);

    auto urlOf = [&](const NewsItem &item) {
        if (!feedSection)
            return context.news.ArticleUrl(item.id);
        const std::string feed = item.key.substr(item.key.find('_') + 1);
        const std::string address = context.feeds.AddressOf(feed);
        return address.empty() ? context.site.base() + "otros-medios/" + item.id + ".html" : address;
    };
    std::vector<std::map<std::string, std::string>> rows;
    for (const NewsItem &item : items) {
        std::string section = context.news.NameOf(item.key);
        if (feedSection)
            section = HostOf(urlOf(item));
        rows.push_back({ { "ITEM_TIME", ClockText(item.time) },
                         { "ITEM_URL", EscapeMarkup(urlOf(item)) },
                         { "ITEM_TITLE", EscapeMarkup(item.title) },
                         { "ITEM_SECTION", EscapeMarkup(section) } });
    }
    std::string showing;
    for (const std::string &name : names)
        showing += (showing.empty() ? "" : ", ") + name;
    if (showing.empty())
        showing = feedSection ? "Ningún medio seleccionado" : "Todas las noticias de la sección";

    std::string html = RepeatRegion(page->content, "ITEM", rows);
    html = RepeatRegion(html, "EMPTY",
                        items.empty() ? std::vector<std::map<std::string, std::string>> { {} }
                                      : std::vector<std::map<std::string, std::string>> {});
    const std::string sectionName = feedSection ? context.feedSectionName : context.news.NameOf(sectionId);
    ReplaceAll(html, "@SECTION_NAME@", EscapeMarkup(sectionName));
    ReplaceAll(html, "@SECTION_ID@", EscapeMarkup(sectionId));
    ReplaceAll(html, "@SHOWING@", EscapeMarkup(showing));
    ReplaceAll(html, "@UPDATED@", ClockText(modified));
    const std::string alert = items.empty() ? std::string("tavrin://close_window/")
                                            : ShowAlertCommand(items.front(), urlOf(items.front()));
    ReplaceAll(html, "@ALERT_COMMAND@", EscapeMarkup(alert));
    return HtmlReply(std::move(html), modified);
}

Reply ArticlePage(PublisherContext &context, const std::string &id)
{
    const std::optional<NewsItem> item = context.news.Find(id);
    const std::optional<SiteFile> page = context.site.Read("plantillas/articulo.html");
    if (!item || !page)
        return NotFound();
    std::string html = page->content;
    ReplaceAll(html, "@TITLE@", EscapeMarkup(item->title));
    ReplaceAll(html, "@SECTION_NAME@", EscapeMarkup(context.news.NameOf(item->key)));
    ReplaceAll(html, "@DATE@", HumanDate(item->time));
    return HtmlReply(std::move(html), std::max(page->modified, item->time));
}

Reply OtherMediumPage(PublisherContext &context, const std::string &itemId)
{
    const std::optional<SiteFile> page = context.site.Read("plantillas/articulo.html");
    const std::size_t dash = itemId.rfind('-');
    if (!page || dash == std::string::npos || !UserFeeds::IsFeedId(itemId.substr(0, dash)))
        return NotFound();
    std::string html = page->content;
    ReplaceAll(html, "@TITLE@", "Noticia de otro medio");
    ReplaceAll(html, "@SECTION_NAME@", EscapeMarkup(context.feedSectionName));
    ReplaceAll(html, "@DATE@", "");
    return HtmlReply(std::move(html), page->modified);
}

Reply UrgentPage(PublisherContext &context)
{
    const std::optional<std::string> forced = context.control.Snapshot().urgentText;
    if (forced && forced->empty())
        return HtmlReply("<!DOCTYPE html>\n<html><head><meta charset=\"utf-8\"></head><body></body></html>\n",
                         context.control.ChangedAt());
    const std::optional<SiteFile> page = context.site.Read("plantillas/urgente.html");
    if (!page)
        return NotFound();
    std::string text;
    std::string target = context.site.base() + "hemeroteca.html";
    std::time_t modified = std::max(page->modified, context.control.ChangedAt());
    if (forced) {
        text = *forced;
    } else {
        if (const std::optional<NewsItem> newest = context.news.Newest()) {
            text = newest->title;
            target = context.news.ArticleUrl(newest->id);
            modified = std::max(modified, newest->time);
        }
    }
    std::string html = page->content;
    ReplaceAll(html, "@URGENT_TEXT@", EscapeMarkup(text));
    ReplaceAll(html, "@URGENT_COMMAND@",
               EscapeMarkup("tavrin://navigate_explorer_news/?url=" + PercentEncode(target)));
    return HtmlReply(std::move(html), modified);
}

Reply InstallerScript(PublisherContext &context)
{
    const std::optional<SiteFile> script = context.site.Read("plantillas/instalador.sh");
    if (!script)
        return NotFound();
    std::string marker = "\"${TMPDIR:-/tmp}/tavrin-instalador-demo.txt\"";
    if (!context.installerMarker.empty()) {
        std::string quoted = context.installerMarker;
        ReplaceAll(quoted, "'", "'\\''");
        marker = "'" + quoted + "'";
    }
    std::string text = script->content;
    ReplaceAll(text, "@MARKER@", marker);
    ReplaceAll(text, "@VERSION@", context.control.Snapshot().offeredVersion);
    Reply reply;
    reply.contentType = "application/octet-stream";
    reply.body = std::move(text);
    reply.lastModified = std::max(script->modified, context.control.ChangedAt());
    return reply;
}

Reply ConfigurationDocument(PublisherContext &context)
{
    const std::optional<SiteFile> file = context.site.Read("clientconfig.xml");
    if (!file)
        return NotFound();
    const ControlSettings settings = context.control.Snapshot();
    Reply reply;
    reply.contentType = "text/xml; charset=utf-8";
    reply.lastModified = std::max(file->modified, context.control.ChangedAt());
    reply.body = file->content;
    ReplaceAll(reply.body, "@APP_VERSION@", settings.offeredVersion);
    switch (settings.brokenConfig) {
    case BrokenConfig::Off:
        break;
    case BrokenConfig::Malformed:
        // Cut in the middle of the document: not well-formed XML.
        reply.body.resize(reply.body.size() / 2);
        break;
    case BrokenConfig::Invalid:
        // Well-formed, but without the sections and windows that every configuration needs.
        reply.body = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<clientconfig url=\"" + context.site.base()
            + "clientconfig.xml\">\n  <app version=\"" + settings.offeredVersion + "\">" + context.site.base()
            + "descargas/tavrin-instalador.sh</app>\n</clientconfig>\n";
        break;
    }
    return reply;
}

} // namespace tavrin::publisher
