// Read-only DOM access over libxml2, parsing documents without touching the network or other files.
#include "config/xmldocument.h"

#include <QFile>

#include <libxml/entities.h>
#include <libxml/parser.h>
#include <libxml/tree.h>
#include <libxml/xmlIO.h>

#include <cstring>
#include <limits>
#include <mutex>

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
// results, not console output.
constexpr int kParseOptions = XML_PARSE_NONET | XML_PARSE_NOERROR | XML_PARSE_NOWARNING;

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

bool LoadXmlText(const QByteArray &text, XmlElement &root)
{
    initLibxml();
    if (text.isEmpty())
        return false;
    xmlParserCtxtPtr ctxt = xmlNewParserCtxt();
    if (!ctxt)
        return false;
    // No URL and no encoding: the byte-order mark or the declaration decides.
    xmlDocPtr doc
        = xmlCtxtReadMemory(ctxt, text.constData(), int(text.size()), nullptr, nullptr, kParseOptions);
    const bool wellFormed = ctxt->wellFormed != 0;
    xmlFreeParserCtxt(ctxt);
    if (!doc)
        return false;
    if (!wellFormed) {
        xmlFreeDoc(doc);
        return false;
    }
    return adopt(doc, root) != nullptr;
}

bool LoadXmlFile(const QString &path, XmlElement &root)
{
    // No stored path is the usual first start: a miss, not a file error worth a warning.
    if (path.isEmpty())
        return false;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    // A document larger than libxml2's int length would be refused by the parser anyway.
    if (file.size() > std::numeric_limits<int>::max())
        return false;
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return false;
    return LoadXmlText(bytes, root);
}

QString TagName(const XmlElement &e)
{
    xmlNodePtr n = asNode(e);
    if (!n)
        return QString();
    return QString::fromUtf8(qualifiedName(n->name, n->ns));
}

QString Attribute(const XmlElement &e, const QString &name)
{
    xmlNodePtr n = asNode(e);
    if (!n)
        return QString();
    const QByteArray wanted = name.toUtf8();
    for (xmlAttrPtr a = n->properties; a; a = a->next) {
        if (qualifiedName(a->name, a->ns) != wanted)
            continue;
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
    TextCollector collector;
    collector.collectNode(n, 0);
    return QString::fromUtf8(collector.out);
}

XmlElement FirstChild(const XmlElement &e, const QString &name)
{
    xmlNodePtr n = asNode(e);
    if (!n)
        return XmlElement();
    const QByteArray wanted = name.toUtf8();
    for (xmlNodePtr c = n->children; c; c = c->next) {
        if (c->type == XML_ELEMENT_NODE && qualifiedName(c->name, c->ns) == wanted)
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
