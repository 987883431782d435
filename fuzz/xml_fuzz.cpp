// Feeds arbitrary bytes to the XML loader and walks whatever tree comes back.
#include "config/xmldocument.h"

#include <cstddef>
#include <cstdint>

namespace {

void walk(const tavrin::XmlElement &e, int depth)
{
    if (depth > 64)
        return;
    (void)tavrin::TagName(e);
    (void)tavrin::Attribute(e, QStringLiteral("id"));
    (void)tavrin::Text(e);
    (void)tavrin::FirstChild(e, QStringLiteral("item"));
    for (const tavrin::XmlElement &child : tavrin::Children(e))
        walk(child, depth + 1);
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), qsizetype(size));
    tavrin::XmlElement root;
    if (tavrin::LoadXmlText(bytes, root))
        walk(root, 0);
    return 0;
}
