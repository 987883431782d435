// Read-only DOM access over libxml2, parsing documents without touching the network or other files.
#include "config/xmldocument.h"

#include <QFile>
#include <QUtf8StringView>
#include <QVarLengthArray>

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlIO.h>

#include <cstring>
#include <limits>
#include <mutex>
#include <optional>

namespace tavrin {

struct XmlDocumentData {
    explicit XmlDocumentData(xmlDocPtr d)
        : doc(d)
    {
    }
    ~XmlDocumentData() { xmlFreeDoc(doc); }
    XmlDocumentData(const XmlDocumentData &) = delete;
    XmlDocumentData &operator=(const XmlDocumentData &) = delete;
    xmlDocPtr doc;
};

namespace {

// Internal entities nest at most this deep when their text is read back, and their expansion
// adds at most this many bytes to one Text() or Attribute() result.
constexpr int kMaxEntityDepth = 8;
constexpr qsizetype kMaxEntityExpansion = 1024 * 1024;

// Documents come from the network: the parser must never open another resource on their behalf.
xmlParserInputPtr refuseExternalEntity(const char *, const char *, xmlParserCtxtPtr)
{
    return nullptr;
}

void initLibxml()
{
    static std::once_flag once;
    std::call_once(once, [] {
        xmlInitParser();
        xmlSetExternalEntityLoader(refuseExternalEntity);
    });
}

// No network, no entity substitution, no DTD loading or validation, no size lifting; errors are
// results, not console output. Short texts are kept inside their nodes (the tree is only read).
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING | XML_PARSE_COMPACT;

xmlNodePtr asNode(const XmlElement &e)
{
    return static_cast<xmlNodePtr>(e.node());
}

const char *chars(const xmlChar *s)
{
    return reinterpret_cast<const char *>(s);
}

bool isBlank(const xmlChar *s)
{
    if (!s)
        return true;
    for (; *s; ++s) {
        if (*s != ' ' && *s != '\t' && *s != '\r' && *s != '\n')
            return false;
    }
    return true;
}

// Qualified name as written in the document ("prefix:local" or "local").
QByteArray qualifiedName(const xmlChar *name, xmlNsPtr ns)
{
    QByteArray result;
    if (ns && ns->prefix) {
        result = chars(ns->prefix);
        result += ':';
    }
    result += chars(name);
    return result;
}

// A name asked for, as UTF-8 bytes; names are short, so this stays off the heap.
using NameBytes = QVarLengthArray<char, 64>;

NameBytes utf8Name(const QString &name)
{
    NameBytes bytes;
    for (const QChar c : name) {
        if (c.unicode() >= 0x80) {
            const QByteArray utf8 = name.toUtf8();
            bytes.clear();
            bytes.append(utf8.constData(), utf8.size());
            return bytes;
        }
        bytes.append(static_cast<char>(c.unicode()));
    }
    return bytes;
}

// True when the qualified name as written ("prefix:local" or "local") is `wanted`; compared in place,
// since lookups run for every element of every news document.
bool hasName(const xmlChar *name, xmlNsPtr ns, const NameBytes &wanted)
{
    const char *rest = wanted.constData();
    qsizetype left = wanted.size();
    if (ns && ns->prefix) {
        const auto prefixLength = static_cast<qsizetype>(std::strlen(chars(ns->prefix)));
        if (left <= prefixLength || std::memcmp(rest, ns->prefix, size_t(prefixLength)) != 0
            || rest[prefixLength] != ':')
            return false;
        rest += prefixLength + 1;
        left -= prefixLength + 1;
    }
    return std::strlen(chars(name)) == size_t(left) && std::memcmp(rest, name, size_t(left)) == 0;
}

// The text of a node list that is one text or CDATA node, read without a buffer; nullopt for any other
// list. The usual element holds exactly that, so most reads take this way.
std::optional<QString> singleText(xmlNodePtr first, bool skipBlankText)
{
    if (!first || first->next)
        return std::nullopt;
    if (first->type == XML_TEXT_NODE)
        return skipBlankText && isBlank(first->content) ? QString()
                                                        : QString::fromUtf8(chars(first->content));
    if (first->type == XML_CDATA_SECTION_NODE)
        return QString::fromUtf8(chars(first->content));
    return std::nullopt;
}

// Whitespace-only text between elements is indentation, not content.
bool isDroppedText(xmlNodePtr n)
{
    return n->type == XML_TEXT_NODE && isBlank(n->content);
}

struct TextCollector {
    QByteArray out;
    qsizetype entityBytes = 0;
    bool skipBlankText = true;

    void collectList(xmlNodePtr first, int entityDepth)
    {
        for (xmlNodePtr n = first; n; n = n->next)
            collectNode(n, entityDepth);
    }

    void append(const xmlChar *s, int entityDepth)
    {
        if (!s)
            return;
        const qsizetype len = qsizetype(std::strlen(chars(s)));
        if (entityDepth > 0) {
            if (entityBytes + len > kMaxEntityExpansion)
                return;
            entityBytes += len;
        }
        out.append(chars(s), len);
    }

    void collectNode(xmlNodePtr n, int entityDepth)
    {
        switch (n->type) {
        case XML_TEXT_NODE:
            if (!(skipBlankText && isBlank(n->content)))
                append(n->content, entityDepth);
            break;
        case XML_CDATA_SECTION_NODE:
            append(n->content, entityDepth);
            break;
        case XML_ELEMENT_NODE:
            collectList(n->children, entityDepth);
            break;
        case XML_ENTITY_REF_NODE: {
            // Entities stay unexpanded in the tree; their text is read here, bounded, and only for
            // entities declared inside the document (external ones were never loaded).
            if (entityDepth >= kMaxEntityDepth || entityBytes >= kMaxEntityExpansion)
                break;
            xmlEntityPtr ent = xmlGetDocEntity(n->doc, n->name);
            if (!ent || ent->etype != XML_INTERNAL_GENERAL_ENTITY)
                break;
            if (ent->children)
                collectList(ent->children, entityDepth + 1);
            break;
        }
        default:
            break;
        }
    }
};

// True when the document names its own encoding: a byte-order mark, UTF-16 or UTF-32 (a NUL among the first
// bytes), or an encoding in its declaration.
bool declaresEncoding(const QByteArray &text)
{
    if (text.startsWith("\xEF\xBB\xBF") || text.startsWith("\xFE\xFF") || text.startsWith("\xFF\xFE"))
        return true;
    if (text.size() >= 2 && (text[0] == '\0' || text[1] == '\0'))
        return true;
    if (!text.startsWith("<?xml"))
        return false;
    const qsizetype end = text.indexOf("?>");
    return end > 0 && text.left(end).contains("encoding");
}

QString parseError(xmlParserCtxtPtr ctxt)
{
    const xmlError *error = xmlCtxtGetLastError(ctxt);
    if (!error || !error->message)
        return QStringLiteral("not well-formed");
    return QStringLiteral("not well-formed at line %1: %2")
        .arg(error->line)
        .arg(QString::fromUtf8(error->message).trimmed());
}

QString trimmedToken(const QString &value)
{
    const auto blank = [](QChar c) { return c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'; };
    qsizetype begin = 0;
    qsizetype end = value.size();
    while (begin < end && blank(value[begin]))
        ++begin;
    while (end > begin && blank(value[end - 1]))
        --end;
    return value.mid(begin, end - begin);
}

std::shared_ptr<const XmlDocumentData> adopt(xmlDocPtr doc, XmlElement &root)
{
    auto data = std::make_shared<const XmlDocumentData>(doc);
    xmlNodePtr top = xmlDocGetRootElement(doc);
    if (!top)
        return nullptr;
    root = XmlElement(data, top);
    return data;
}

} // namespace

bool LoadXmlText(const QByteArray &text, XmlElement &root, QString *error)
{
    initLibxml();
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    if (text.isEmpty())
        return fail(QStringLiteral("the document is empty"));
    if (text.size() > std::numeric_limits<int>::max())
        return fail(QStringLiteral("the document is too large"));
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt)
        return fail(QStringLiteral("out of memory"));
    const char *encoding
        = declaresEncoding(text) || QUtf8StringView(text).isValidUtf8() ? nullptr : "windows-1252";
    xmlDocPtr doc
        = xmlCtxtReadMemory(ctxt, text.constData(), int(text.size()), nullptr, encoding, kParseOptions);
    const bool wellFormed = ctxt->wellFormed != 0;
    const QString why = wellFormed ? QString() : parseError(ctxt);
    xmlFreeParserCtxt(ctxt);
    if (!doc || !wellFormed) {
        xmlFreeDoc(doc);
        return fail(why.isEmpty() ? QStringLiteral("not well-formed") : why);
    }
    if (!adopt(doc, root))
        return fail(QStringLiteral("the document has no root element"));
    return true;
}

bool LoadXmlFile(const QString &path, XmlElement &root, QString *error)
{
    const auto fail = [error](const QString &why) {
        if (error)
            *error = why;
        return false;
    };
    // No stored path is the usual first start: a miss, not a file error worth a warning.
    if (path.isEmpty())
        return fail(QStringLiteral("no file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QStringLiteral("the file cannot be read"));
    // A document larger than libxml2's int length would be refused by the parser anyway.
    if (file.size() > std::numeric_limits<int>::max())
        return fail(QStringLiteral("the document is too large"));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return fail(QStringLiteral("the file cannot be read"));
    return LoadXmlText(bytes, root, error);
}

QString TagName(const XmlElement &e)
{
    xmlNodePtr n = asNode(e);
    if (!n)
        return QString();
    if (!n->ns || !n->ns->prefix)
        return QString::fromUtf8(chars(n->name));
    return QString::fromUtf8(qualifiedName(n->name, n->ns));
}

bool HasTagName(const XmlElement &e, const QString &name)
{
    xmlNodePtr n = asNode(e);
    return n && hasName(n->name, n->ns, utf8Name(name));
}

QString Attribute(const XmlElement &e, const QString &name)
{
    xmlNodePtr n = asNode(e);
    if (!n)
        return QString();
    const NameBytes wanted = utf8Name(name);
    for (xmlAttrPtr a = n->properties; a; a = a->next) {
        if (!hasName(a->name, a->ns, wanted))
            continue;
        if (std::optional<QString> single = singleText(a->children, false))
            return *std::move(single);
        TextCollector collector;
        collector.skipBlankText = false; // blanks in an attribute value are its value
        collector.collectList(a->children, 0);
        return QString::fromUtf8(collector.out);
    }
    return QString();
}

QString Text(const XmlElement &e)
{
    xmlNodePtr n = asNode(e);
    if (!n)
        return QString();
    if (n->type == XML_ELEMENT_NODE) {
        if (std::optional<QString> single = singleText(n->children, true))
            return *std::move(single);
    }
    TextCollector collector;
    collector.collectNode(n, 0);
    return QString::fromUtf8(collector.out);
}

QString TokenText(const XmlElement &e)
{
    return trimmedToken(Text(e));
}

QString TokenAttribute(const XmlElement &e, const QString &name)
{
    return trimmedToken(Attribute(e, name));
}

XmlElement FirstChild(const XmlElement &e, const QString &name)
{
    xmlNodePtr n = asNode(e);
    if (!n)
        return XmlElement();
    const NameBytes wanted = utf8Name(name);
    for (xmlNodePtr c = n->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE && hasName(c->name, c->ns, wanted))
            return XmlElement(e.document(), c);
    }
    return XmlElement();
}

QList<XmlElement> Children(const XmlElement &e)
{
    QList<XmlElement> result;
    xmlNodePtr n = asNode(e);
    if (!n)
        return result;
    for (xmlNodePtr c = n->children; c; c = c->next) {
        if (isDroppedText(c))
            continue;
        if (c->type == XML_ELEMENT_NODE)
            result.append(XmlElement(e.document(), c));
        else
            result.append(XmlElement());
    }
    return result;
}

} // namespace tavrin
