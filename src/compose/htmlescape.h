// The one way a value from a document, a feed or the reader enters a composed page.
#pragma once

#include <QString>

namespace tavrin {

// The text with &, <, >, " and ' written as character references: safe in element text and in quoted
// attribute values.
QString EscapeHtml(const QString &text);
// The address, escaped, when it is http: or https:; "#" for anything else (javascript:, data:, file:, ...).
QString SafePageHref(const QString &url);

} // namespace tavrin
