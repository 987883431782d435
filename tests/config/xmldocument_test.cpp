// XML access: encodings, child delivery, text and attributes, hostile and malformed documents.
#include "config/xmldocument.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QFile>
#include <QStringConverter>

#include <atomic>
#include <thread>
#include <vector>

namespace tavrin {
namespace {

// The bytes as a file in the test's private folder.
QString fileWith(const QString &name, const QByteArray &bytes)
{
    const QString path = test::PrivateFoldersListener::root() + u'/' + name;
    EXPECT_TRUE(test::writeFile(path, bytes));
    return path;
}

QByteArray utf16(const QString &text, QStringConverter::Encoding encoding)
{
    return QStringEncoder(encoding, QStringConverter::Flag::WriteBom).encode(text);
}

TEST(XmlDocument, TextAndAttributesReadRightFromTextAndFile)
{
    const QString expected = QString::fromUtf8("Año 5 € – ñ");
    const QString body = QString::fromUtf8("<r a=\"Año 5 € – ñ\">Año 5 € – ñ</r>");
    const struct {
        const char *label;
        QByteArray bytes;
        QString text; // also the attribute's value
    } cases[] = {
        { "utf-8 declared", "<?xml version=\"1.0\" encoding=\"UTF-8\"?>" + body.toUtf8(), expected },
        { "utf-8 undeclared", body.toUtf8(), expected },
        { "utf-8 with mark", "\xEF\xBB\xBF" + body.toUtf8(), expected },
        { "utf-16le with mark",
          utf16(QStringLiteral("<?xml version=\"1.0\" encoding=\"UTF-16\"?>") + body,
                QStringConverter::Utf16LE),
          expected },
        { "utf-16be with mark", utf16(body, QStringConverter::Utf16BE), expected },
        { "windows-1252",
          QByteArray("<?xml version=\"1.0\" encoding=\"windows-1252\"?><r a=\"A\xF1o \x80\">A\xF1o \x80</r>"),
          QString::fromUtf8("Año €") },
        { "iso-8859-1",
          QByteArray(
              "<?xml version='1.0' encoding='ISO-8859-1'?><r a=\"Espa\361a \277?\">Espa\361a \277?</r>"),
          QString::fromUtf8("España ¿?") },
        { "internal entities",
          "<!DOCTYPE r [<!ENTITY pub \"Belmoreta &amp; co\">]><r a=\"by &pub;&#x21;\">by &pub;&#x21;</r>",
          QStringLiteral("by Belmoreta & co!") },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.label);
        XmlElement fromText;
        XmlElement fromFile;
        ASSERT_TRUE(LoadXmlText(c.bytes, fromText));
        ASSERT_TRUE(LoadXmlFile(fileWith(QStringLiteral("doc.xml"), c.bytes), fromFile));
        for (const XmlElement &root : { fromText, fromFile }) {
            EXPECT_EQ(TagName(root), QStringLiteral("r"));
            EXPECT_EQ(Text(root), c.text);
            EXPECT_EQ(Attribute(root, QStringLiteral("a")), c.text);
        }
    }
}

TEST(XmlDocument, ChildrenDeliverNonElementsAsNullAndOutliveTheRoot)
{
    QList<XmlElement> kids;
    {
        XmlElement root;
        ASSERT_TRUE(LoadXmlText("<root>\n  <a>1</a>\n  <!-- a comment -->\n  loose text\n  <?pi data?>\n"
                                "  <![CDATA[<b>raw</b>]]>\n  <b x='y'>2<c>3</c></b>\n</root>",
                                root));
        kids = Children(root);
        // CDATA is text; comments and instructions are not.
        const QString all = Text(root);
        EXPECT_TRUE(all.startsWith(u'1') && all.endsWith(QStringLiteral("23"))) << qPrintable(all);
        EXPECT_TRUE(all.contains(QStringLiteral("<b>raw</b>")) && all.contains(QStringLiteral("loose text")));
        EXPECT_FALSE(all.contains(QStringLiteral("a comment")) || all.contains(QStringLiteral("data")));
    }
    // a, comment, text, instruction, CDATA, b; the blank runs between them are no children. The handles
    // keep the document alive after the root's is gone.
    QStringList shape;
    for (const XmlElement &k : kids)
        shape << (k.isNull() ? QStringLiteral("null") : TagName(k));
    EXPECT_EQ(shape, (QStringList { "a", "null", "null", "null", "null", "b" }));
    EXPECT_EQ(Text(kids.last()), QStringLiteral("23"));
    // A null child from a real document behaves as a default one.
    for (const XmlElement &null : { kids[1], XmlElement() }) {
        EXPECT_EQ(TagName(null), QString());
        EXPECT_EQ(Text(null), QString());
        EXPECT_EQ(Attribute(null, QStringLiteral("id")), QString());
        EXPECT_TRUE(FirstChild(null, QStringLiteral("item")).isNull());
        EXPECT_TRUE(Children(null).isEmpty());
    }
}

TEST(XmlDocument, Lookups)
{
    XmlElement root;
    ASSERT_TRUE(LoadXmlText("<root xmlns:m='urn:m' m:lang='es' empty=''>"
                            "<Item id='up'/><item id='first'/><item id='second'/><m:item id='ns'/></root>",
                            root));
    const struct {
        const char *child;
        const char *id; // "" when no such child
    } cases[] = { { "item", "first" }, { "Item", "up" }, { "ITEM", "" }, { "m:item", "ns" }, { "", "" } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.child);
        const XmlElement found = FirstChild(root, QString::fromLatin1(c.child));
        EXPECT_EQ(found.isNull(), *c.id == 0);
        EXPECT_EQ(Attribute(found, QStringLiteral("id")), QString::fromLatin1(c.id));
    }
    EXPECT_EQ(Attribute(root, QStringLiteral("m:lang")), QStringLiteral("es"));
    EXPECT_EQ(Attribute(root, QStringLiteral("lang")), QString());
    EXPECT_EQ(Attribute(root, QStringLiteral("missing")), QString());
}

TEST(XmlDocument, HostileDocumentsReadNoResourceAndStayBounded)
{
    const QString secret = fileWith(QStringLiteral("secret.txt"), "TOP-SECRET-CONTENT");
    const QByteArray secretUrl = "file://" + QFile::encodeName(secret);
    const QByteArray dtdUrl = "file://"
        + QFile::encodeName(fileWith(QStringLiteral("evil.dtd"), "<!ENTITY leak \"TOP-SECRET-CONTENT\">"));
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol0 \"lol\">";
    for (int i = 1; i <= 9; ++i) {
        laughs += "<!ENTITY lol" + QByteArray::number(i) + " \""
            + ("&lol" + QByteArray::number(i - 1) + ";").repeated(10) + "\">";
    }
    const QByteArray docs[] = {
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secretUrl + "\">]><r>&x;</r>",
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + QFile::encodeName(secret) + "\">]><r>&x;</r>",
        "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secretUrl + "\">]><r a=\"&x;\">t</r>",
        "<!DOCTYPE r SYSTEM \"" + dtdUrl + "\"><r>&leak;</r>",
        "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtdUrl + "\"> %p;]><r>&leak;</r>",
        "<r xmlns:xi=\"http://www.w3.org/2001/XInclude\"><xi:include href=\"" + secretUrl
            + "\" parse=\"text\"/></r>",
        laughs + "]><lolz a=\"&lol9;\">&lol9;</lolz>", // 3 GB if expanded in full
    };
    for (const QByteArray &doc : docs) {
        SCOPED_TRACE(doc.left(300).toStdString());
        XmlElement root;
        if (!LoadXmlText(doc, root))
            continue; // rejected: as good as read without the resource
        for (const QString &text : { Text(root), Attribute(root, QStringLiteral("a")) }) {
            EXPECT_FALSE(text.contains(QStringLiteral("TOP-SECRET")));
            EXPECT_LE(text.size(), 2 * 1024 * 1024); // within the expansion budget
        }
    }
}

TEST(XmlDocument, MalformedAndMissingDocumentsFail)
{
    const QByteArray cases[] = {
        "",
        "not xml at all",
        "<r></s>",
        "<a/><b/>",
        "<doc>",
        "<r>&undefined;</r>",
        "<?xml version=\"1.0\" encoding=\"x-no-such-charset\"?><r/>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>\xC3\x28</r>",
        QByteArray("<r>\0</r>", 8),
        "<r><![CDATA[never closed</r>",
        QByteArray("<a>").repeated(100000), // nesting far past the parser's depth limit
    };
    for (const QByteArray &doc : cases) {
        SCOPED_TRACE(doc.left(60).toStdString());
        XmlElement fromText;
        XmlElement fromFile;
        EXPECT_FALSE(LoadXmlText(doc, fromText));
        EXPECT_FALSE(LoadXmlFile(fileWith(QStringLiteral("bad.xml"), doc), fromFile));
        EXPECT_TRUE(fromText.isNull() && fromFile.isNull());
    }
    XmlElement root;
    EXPECT_FALSE(LoadXmlFile(test::PrivateFoldersListener::root() + QStringLiteral("/missing.xml"), root));
}

TEST(XmlDocument, ParsesOnSeveralThreadsAtOnce)
{
    std::atomic<int> good { 0 };
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t) {
        threads.emplace_back([&good, t] {
            for (int i = 0; i < 200; ++i) {
                const QByteArray doc = "<?xml version=\"1.0\" encoding=\"windows-1252\"?><n t=\""
                    + QByteArray::number(t) + "\">" + QByteArray::number(i) + "\xF1</n>";
                XmlElement root;
                if (LoadXmlText(doc, root) && Text(root) == QString::number(i) + QChar(0xF1)
                    && Attribute(root, QStringLiteral("t")) == QString::number(t))
                    ++good;
            }
        });
    }
    for (auto &th : threads)
        th.join();
    EXPECT_EQ(good.load(), 800);
}

} // namespace
} // namespace tavrin
