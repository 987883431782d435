// XML access: encodings, lookups, hostile and malformed documents (child delivery: the configuration cases).
#include "config/xmldocument.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QStringConverter>

#include <atomic>
#include <thread>
#include <vector>

using namespace tavrin;
using namespace Qt::StringLiterals;

// The root's name, text and attribute "a", or "" when the document does not load.
static QString readBack(const QByteArray &document)
{
    XmlElement root;
    return LoadXmlText(document, root) ? TagName(root) + u':' + Text(root) + u'|' + Attribute(root, u"a"_s)
                                       : QString();
}

// Encodings the configuration cases do not show, also on several threads: libxml2 and converters are shared.
TEST(XmlDocument, EncodingFromTheMarkOrDeclarationOnSeveralThreads)
{
    const auto utf16 = [](const QByteArray &text, QStringConverter::Encoding encoding) -> QByteArray {
        return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(QString::fromUtf8(text));
    };
    const QByteArray body = "<r a='Año 5 € – ñ'>Año 5 € – ñ</r>";
    const QString text = u"Año 5 € – ñ"_s;
    const std::pair<QByteArray, QString> cases[] = {
        { body, text },
        { "\xEF\xBB\xBF" + body, text },
        { utf16("<?xml version='1.0' encoding='UTF-16'?>" + body, QStringConverter::Utf16LE), text },
        { utf16(body, QStringConverter::Utf16BE), text },
        { "<?xml version='1.0' encoding='windows-1252'?><r a='A\xF1o \x80'>A\xF1o \x80</r>", u"Año €"_s },
        { "<!DOCTYPE r [<!ENTITY p 'B &amp; co'>]><r a='by &p;&#x21;'>by &p;&#x21;</r>", u"by B & co!"_s },
    };
    for (const auto &[document, text] : cases)
        EXPECT_EQ(readBack(document), "r:" + text + '|' + text);
    std::atomic<int> wrong { 0 };
    std::vector<std::jthread> threads;
    for (std::size_t t = 0; t < 4; ++t) {
        threads.emplace_back([&, t] {
            for (std::size_t i = t; i < t + 300; ++i) {
                const auto &[document, text] = cases[i % std::size(cases)];
                wrong += readBack(document) != "r:" + text + '|' + text;
            }
        });
    }
    threads.clear(); // joins them
    EXPECT_EQ(wrong, 0);
}

TEST(XmlDocument, LookupsByNameAsWrittenOnHandlesThatOutliveTheRoot)
{
    XmlElement first;
    {
        XmlElement root;
        ASSERT_TRUE(LoadXmlText("<r xmlns:m='u' m:lang='es'><Item id='up'/><item id='first'>2<c>3</c></item>"
                                "<item/><m:item id='ns'/><m:\xC3\xB1u/></r>",
                                root));
        QStringList ids; // names as written: case-sensitive, prefix included
        for (const char *name : { "item", "Item", "ITEM", "m:item", "" })
            ids << Attribute(FirstChild(root, QString::fromLatin1(name)), u"id"_s);
        EXPECT_EQ(ids, (QStringList { "first", "up", "", "ns", "" }));
        EXPECT_EQ(Attribute(root, u"m:lang"_s) + Attribute(root, u"lang"_s), u"es"_s);
        first = FirstChild(root, u"item"_s);
        for (const XmlElement &child : Children(root)) { // the same names, asked without reading them
            for (const QString &name :
                 { u"item"_s, u"Item"_s, u"m:item"_s, u"m:"_s, u"m:\u00f1u"_s, u"\u00f1u"_s })
                EXPECT_EQ(HasTagName(child, name), TagName(child) == name) << TagName(child).toStdString();
        }
    }
    EXPECT_EQ(TagName(first) + Text(first), u"item23"_s); // all descendant text
    EXPECT_EQ(TagName(XmlElement()) + Text(XmlElement()), QString());
    EXPECT_FALSE(HasTagName(XmlElement(), QString()));
}

TEST(XmlDocument, HostileDocumentsReadNoResourceAndMalformedOnesFail)
{
    const QByteArray secret = test::PrivateFoldersListener::root().toUtf8() + "/s", dtd = secret + ".dtd";
    ASSERT_TRUE(test::writeFile(secret, "TOP-SECRET") && test::writeFile(dtd, "<!ENTITY leak 'TOP-SECRET'>"));
    const QByteArray secretUrl = "file://" + secret, dtdUrl = "file://" + dtd;
    QByteArray laughs = "<!DOCTYPE l [<!ENTITY l0 'lol'>";
    for (int i = 1; i <= 9; ++i)
        laughs += "<!ENTITY l" + QByteArray::number(i) + " '"
            + ("&l" + QByteArray::number(i - 1) + ";").repeated(10) + "'>";
    const QByteArray docs[] = {
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secretUrl + "\">]><r>&x;</r>",
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secret + "\">]><r>&x;</r>",
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secretUrl + "\">]><r a=\"&x;\">t</r>",
        "<!DOCTYPE r SYSTEM \"" + dtdUrl + "\"><r>&leak;</r>",
        "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtdUrl + "\"> %p;]><r>&leak;</r>",
        "<r xmlns:xi='http://www.w3.org/2001/XInclude'><xi:include href='" + secretUrl
            + "' parse='text'/></r>",
        laughs + "]><l a='&l9;'>&l9;</l>", // 3 GB if expanded in full
    };
    for (const QByteArray &doc : docs) {
        // Rejected is as good as read without the resource; text and attribute within the expansion budget.
        const QString read = readBack(doc);
        EXPECT_TRUE(!read.contains(u"TOP-SECRET"_s) && read.size() <= 4 * 1024 * 1024) << doc.data();
    }
    QList<QByteArray> malformed
        = { "", "not xml at all", "<r></s>", "<a/><b/>", "<doc>", "<r>&undefined;</r>", "<r><![CDATA[x</r>" };
    malformed << QByteArray("<r>\0</r>", 8)
              << QByteArray("<a>").repeated(100000) // nesting past the parser's limit
              << "<?xml version='1.0' encoding='x-no-such-charset'?><r/>"
              << "<?xml version='1.0' encoding='UTF-8'?><r>\xC3\x28</r>";
    for (const QByteArray &doc : malformed) {
        XmlElement root;
        EXPECT_FALSE(LoadXmlText(doc, root) || !root.isNull()) << doc.left(60).data();
    }
}
