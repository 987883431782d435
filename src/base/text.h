// Text and number scanning with the C library's rules (sscanf's "%d", strtok-like splitting).
#pragma once

#include <QString>
#include <QStringList>

namespace tavrin {

// Pieces of text cut at every separator: empty pieces between separators are kept, a trailing empty piece
// is not, and an empty separator gives no pieces.
QStringList SplitText(const QString &text, const QString &separator);
// One "%d" of sscanf at pos: blanks (space, tab, line breaks, vertical tab, form feed), an optional sign,
// digits; with a width above 0, at most that many characters after the blanks, sign included. True and
// pos after the number when a digit was read; false otherwise. Saturates at the int range.
bool ScanDecimal(const QString &text, qsizetype &pos, int &value, int width = 0);
// How many of the four numbers of "%d,%d-%d,%d" (left, top, right, bottom) the text yields, as sscanf
// counts them.
int ScanRect(const QString &text, int (&numbers)[4]);

} // namespace tavrin
