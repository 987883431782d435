// Read-only DOM access over libxml2: documents, elements and the few operations the loaders use.
#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <memory>

namespace tavrin {

struct XmlDocumentData; // owns the libxml2 document

// A handle to one element or null. Copies share the document, which lives as long as any handle.
class XmlElement {
public:
    XmlElement() = default;
    bool isNull() const { return m_node == nullptr; }

    // Internal: used by the implementation to make handles.
    XmlElement(std::shared_ptr<const XmlDocumentData> doc, void *node)
        : m_doc(std::move(doc))
        , m_node(node)
    {
    }
    void *node() const { return m_node; }
    const std::shared_ptr<const XmlDocumentData> &document() const { return m_doc; }

private:
    std::shared_ptr<const XmlDocumentData> m_doc;
    void *m_node = nullptr;
};

// Parses the whole file; true and the root element, or false (missing, malformed, unsafe) with, when
// error is given, the reason.
bool LoadXmlFile(const QString &path, XmlElement &root, QString *error = nullptr);
// Parses the document's bytes. Its declaration or byte-order mark decides the encoding; a document with
// neither that is not valid UTF-8 is read as windows-1252, the code page such documents were written in.
// On failure, when error is given, it says why ("not well-formed at line 3: ...").
bool LoadXmlText(const QByteArray &text, XmlElement &root, QString *error = nullptr);

// Element name; "" for null.
QString TagName(const XmlElement &e);
// True when the element's name is `name` (false for null); cheaper than comparing TagName.
bool HasTagName(const XmlElement &e, const QString &name);
// The attribute's value if present, else "".
QString Attribute(const XmlElement &e, const QString &name);
// All descendant text, CDATA included.
QString Text(const XmlElement &e);
// A single-token value (an address, an identifier) as text or attribute: the value without the white space
// around it, so an address written on its own indented line is still the address.
QString TokenText(const XmlElement &e);
QString TokenAttribute(const XmlElement &e, const QString &name);
// First child element with that name, else null.
XmlElement FirstChild(const XmlElement &e, const QString &name);
// Child nodes in document order; nodes that are not elements come as null elements;
// whitespace-only text is no child.
QList<XmlElement> Children(const XmlElement &e);

} // namespace tavrin
