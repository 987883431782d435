// Text and number scanning with the C library's rules.
#include "base/text.h"

#include <algorithm>
#include <climits>

namespace tavrin {

QStringList SplitText(const QString &text, const QString &separator)
{
    QStringList pieces;
    if (separator.isEmpty())
        return pieces;
    qsizetype start = 0;
    for (;;) {
        const qsizetype at = text.indexOf(separator, start);
        if (at < 0)
            break;
        pieces.append(text.mid(start, at - start));
        start = at + separator.size();
    }
    if (start < text.size())
        pieces.append(text.mid(start));
    return pieces;
}

bool ScanDecimal(const QString &text, qsizetype &pos, int &value, int width)
{
    const auto isBlank = [](QChar c) {
        const char16_t u = c.unicode();
        return u == u' ' || u == u'\t' || u == u'\n' || u == u'\v' || u == u'\f' || u == u'\r';
    };
    const auto isDigit = [](QChar c) { return c.unicode() >= u'0' && c.unicode() <= u'9'; };
    qsizetype i = pos;
    while (i < text.size() && isBlank(text[i]))
        ++i;
    const qsizetype end = width > 0 ? std::min(text.size(), i + width) : text.size();
    bool negative = false;
    if (i < end && (text[i] == u'+' || text[i] == u'-')) {
        negative = text[i] == u'-';
        ++i;
    }
    if (i >= end || !isDigit(text[i]))
        return false;
    const qint64 limit = negative ? -qint64(INT_MIN) : qint64(INT_MAX);
    qint64 magnitude = 0;
    while (i < end && isDigit(text[i])) {
        magnitude = std::min<qint64>(magnitude * 10 + (text[i].unicode() - u'0'), limit);
        ++i;
    }
    value = int(negative ? -magnitude : magnitude);
    pos = i;
    return true;
}

int ScanRect(const QString &text, int (&numbers)[4])
{
    // A literal separator matches only itself: no blanks are skipped before it.
    const char16_t separators[3] = { u',', u'-', u',' };
    qsizetype pos = 0;
    for (int n = 0; n < 4; ++n) {
        if (!ScanDecimal(text, pos, numbers[n]))
            return n;
        if (n < 3) {
            if (pos >= text.size() || text[pos] != separators[n])
                return n + 1;
            ++pos;
        }
    }
    return 4;
}

} // namespace tavrin
