// Documents of a chosen size for the benchmarks: news documents shaped like the publisher's, and its
// configuration with the placeholders filled in.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QRegularExpression>
#include <QString>

#include <cstdio>
#include <string>

namespace tavrin::bench {

// A sections_news document of `items` news elements: ten sections, each with its own news and two
// subsections holding the rest; every item has its own second, so none shares a time with another.
inline QByteArray newsDocument(int items)
{
    constexpr int kSections = 10;
    std::string xml = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<sections_news>\n";
    xml.reserve(static_cast<size_t>(items) * 200 + 1024);
    char date[32];
    int next = 0;
    for (int s = 0; s < kSections; ++s) {
        const int end = static_cast<int>(static_cast<long long>(items) * (s + 1) / kSections);
        const int perPart = (end - next + 2) / 3;
        xml += "  <section id=\"s" + std::to_string(s) + "\">\n";
        for (int part = 0; part < 3 && next < end; ++part) {
            if (part > 0)
                xml += "    <subsection id=\"sub" + std::to_string(part) + "\">\n";
            for (int k = 0; k < perPart && next < end; ++k, ++next) {
                std::snprintf(date, sizeof date, "2024-01-%02d %02d:%02d:%02d", 1 + next / 86400,
                              next / 3600 % 24, next / 60 % 60, next % 60);
                const std::string n = std::to_string(next);
                xml += "      <news id=\"n" + n + "\"><title>Titular n\xC3\xBAmero " + n
                    + " de la secci\xC3\xB3n de hoy</title><url>http://127.0.0.1:8642/articulo/" + n
                    + ".html</url><date>" + date + "</date></news>\n";
            }
            if (part > 0)
                xml += "    </subsection>\n";
        }
        xml += "  </section>\n";
    }
    xml += "</sections_news>\n";
    return QByteArray::fromStdString(xml);
}

// The demo publisher's configuration as it serves it on port 8642 (icon checksums need not match here).
inline QByteArray demoConfiguration()
{
    QFile file(QStringLiteral(TAVRIN_SOURCE_DIR "/tools/publisher/site/clientconfig.xml"));
    if (!file.open(QIODevice::ReadOnly))
        return {};
    QString text = QString::fromUtf8(file.readAll());
    text.replace(QStringLiteral("@BASE@"), QStringLiteral("http://127.0.0.1:8642/"));
    text.replace(QStringLiteral("@APP_VERSION@"), QStringLiteral("1.0.0.0"));
    static const QRegularExpression crc(QStringLiteral("@CRC32:[^@]*@"));
    text.replace(crc, QStringLiteral("12345"));
    return text.toUtf8();
}

} // namespace tavrin::bench
