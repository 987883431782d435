// Expands the comment syntax of the publisher's HTML templates: repeated blocks and placeholders.
#pragma once

#include <QString>

namespace tavrin {

class HtmlTemplate {
public:
    explicit HtmlTemplate(const QString &templateText);

    // The inner text of block `name` taken from the source; deletes the block from the working page.
    QString GetBlock(const QString &name);
    // Replaces placeholder `name` in the working page.
    void SetValue(const QString &name, const QString &value);
    // Deletes every block still in the working page; always terminates.
    void RemoveRemainingBlocks();
    // RemoveRemainingBlocks(), then the working page.
    QString GetResult();

private:
    QString m_source;
    QString m_working;
};

// Replaces every placeholder `name` in text by value (inserted unchanged).
void FillValue(QString &text, const QString &name, const QString &value);
// Every blank (0x20) becomes "&nbsp;".
QString ToNbsp(const QString &text);
// "file://" followed by the path unchanged.
QString ToFileUrl(const QString &path);

} // namespace tavrin
