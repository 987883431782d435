// Which page or document answers each address of the sample site.
#include "routes.h"

#include "pages.h"
#include "textutil.h"

#include <vector>

namespace tavrin::publisher {

namespace {

std::vector<std::string> Pieces(const std::string &text, char separator)
{
    std::vector<std::string> pieces;
    std::size_t start = 0;
    while (start < text.size()) {
        std::size_t end = text.find(separator, start);
        if (end == std::string::npos)
            end = text.size();
        if (end > start)
            pieces.push_back(text.substr(start, end - start));
        start = end + 1;
    }
    return pieces;
}

bool EndsWith(const std::string &text, const std::string &suffix)
{
    return text.size() >= suffix.size()
        && text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// "name.xml" → "name" when the suffix matches.
std::optional<std::string> Stem(const std::string &piece, const std::string &suffix)
{
    if (!EndsWith(piece, suffix) || piece.size() == suffix.size())
        return std::nullopt;
    return piece.substr(0, piece.size() - suffix.size());
}

Reply StaticFile(PublisherContext &context, const std::string &path)
{
    std::string relative = path.substr(1);
    if (relative.empty() || relative.back() == '/')
        relative += "index.html";
    // Templates and data are the server's own material, not pages.
    if (relative.rfind("plantillas/", 0) == 0 || relative.rfind("datos/", 0) == 0)
        return TextReply(404, "No encontrado\n");
    const std::optional<SiteFile> file = context.site.Read(relative);
    if (!file)
        return TextReply(404, "No encontrado\n");
    Reply reply;
    reply.contentType = Site::ContentType(relative);
    reply.body = file->content;
    reply.lastModified = file->modified;
    return reply;
}

} // namespace

Reply HandleSite(PublisherContext &context, const std::string &path, const std::string &rawQuery,
                 std::time_t now)
{
    context.news.AdvanceTo(now);
    const std::vector<std::string> pieces = Pieces(path, '/');

    if (path == kMonitoringPath) {
        if (context.control.Snapshot().offline)
            return TextReply(503, "Servicio no disponible\n");
        return TextReply(200, "OK");
    }
    if (path == "/clientconfig.xml")
        return ConfigurationDocument(context);
    if (path == "/urgente.html")
        return UrgentPage(context);
    if (path == "/descargas/tavrin-instalador.sh")
        return InstallerScript(context);
    if (path == "/xml/sections_news.xml")
        return XmlReply(context.news.SectionsNewsXml(), context.news.LastChange());

    if (pieces.size() == 3 && pieces[0] == "xml" && pieces[1] == "seccion") {
        const std::optional<std::string> id = Stem(pieces[2], ".xml");
        if (id && *id == context.feeds.sectionId())
            return XmlReply("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sections_news/>\n", 0);
        if (id && context.news.HasSection(*id))
            return XmlReply(context.news.SectionsNewsXml(*id), context.news.LastChange());
        return TextReply(404, "No encontrado\n");
    }
    if (pieces.size() == 3 && pieces[0] == "xml" && pieces[1] == "otros-medios") {
        const std::optional<std::string> id = Stem(pieces[2], ".xml");
        if (!id || !UserFeeds::IsFeedId(*id))
            return TextReply(404, "No encontrado\n");
        return XmlReply(context.feeds.FeedXml(*id, now), 0);
    }
    if (pieces.size() == 2 && pieces[0] == "otros-medios" && pieces[1] == "alta") {
        // The client inserts the address as typed, so it may hold its own "&" and "?".
        const std::optional<std::string> address = RawQueryValue(rawQuery, "url", true);
        return XmlReply(context.feeds.RegisterXml(PercentDecode(address.value_or(std::string()))), 0);
    }
    if (pieces.size() == 2 && pieces[0] == "otros-medios") {
        if (const std::optional<std::string> item = Stem(pieces[1], ".html"))
            return OtherMediumPage(context, *item);
    }
    if ((pieces.size() == 2 || pieces.size() == 3) && pieces[0] == "noticias" && EndsWith(path, "/"))
        return NewsPage(context, pieces[1],
                        pieces.size() == 3 ? Pieces(pieces[2], ',') : std::vector<std::string> {}, now);
    if (pieces.size() == 2 && pieces[0] == "articulo") {
        if (const std::optional<std::string> id = Stem(pieces[1], ".html"))
            return ArticlePage(context, *id);
    }
    return StaticFile(context, path);
}

} // namespace tavrin::publisher
