// Template shorthand for the tests of pages built from templates: markers and placeholders in brief.
#pragma once

#include <QRegularExpression>
#include <QString>

namespace tavrin::test {

// "@NAME@" stands for the block marker "<!-- @ NAME @ -->" and "{name}" for the placeholder
// "<!-- {name} -->"; anything else is taken as written.
inline QString tmpl(const char *text)
{
    QString s = QString::fromUtf8(text);
    static const QRegularExpression marker(QStringLiteral("@([^@ ]*)@"));
    static const QRegularExpression placeholder(QStringLiteral("\\{(\\w+)\\}"));
    s.replace(marker, QStringLiteral("<!-- @ \\1 @ -->"));
    s.replace(placeholder, QStringLiteral("<!-- {\\1} -->"));
    return s;
}

} // namespace tavrin::test
