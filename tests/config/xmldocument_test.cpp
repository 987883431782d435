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

QString writeFile(const QString &name, const QByteArray &bytes)
{
    const QString path = test::PrivateFoldersListener::root() + QLatin1Char('/') + name;
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly));
    f.write(bytes);
    return path;
}

QByteArray utf16(const QString &text, QStringConverter::Encoding encoding)
{
    QStringEncoder enc(encoding, QStringConverter::Flag::WriteBom);
    return enc.encode(text);
}

TEST(XmlDocument, EncodingsReadRight)
{
    const QString expected = QString::fromUtf8("Año 5 € – ñ");
    const QString body = QString::fromUtf8("<r a=\"Año 5 € – ñ\">Año 5 € – ñ</r>");
    struct Case {
        const char *label;
        QByteArray bytes;
        QString text; // also the attribute's value
    };
    const Case cases[] = {
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
          QByteArray("<?xml version='1.0' encoding='ISO-8859-1'?><r a=\"Espa\xF1"
                     "a \xBF?\">Espa\xF1"
                     "a \xBF?</r>"),
          QString::fromUtf8("España ¿?") },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        XmlElement root;
        ASSERT_TRUE(LoadXmlText(c.bytes, root));
        EXPECT_EQ(TagName(root), QStringLiteral("r"));
        EXPECT_EQ(Text(root), c.text);
        EXPECT_EQ(Attribute(root, QStringLiteral("a")), c.text);
    }
}

TEST(XmlDocument, ChildrenDeliverNonElementsAsNullAndDropIndentation)
{
    const QByteArray doc = "<root>\n"
                           "  <a>1</a>\n"
                           "  <!-- a comment -->\n"
                           "  loose text\n"
                           "  <?pi data?>\n"
                           "  <![CDATA[<b>raw</b>]]>\n"
                           "  <b x='y'>2<c>3</c></b>\n"
                           "</root>";
    XmlElement root;
    ASSERT_TRUE(LoadXmlText(doc, root));
    const QList<XmlElement> kids = Children(root);
    // a, comment, text, instruction, CDATA, b; the blank runs between them are no children
    QStringList shape;
    for (const XmlElement &k : kids)
        shape << (k.isNull() ? QStringLiteral("null") : TagName(k));
    EXPECT_EQ(shape, (QStringList { "a", "null", "null", "null", "null", "b" }));
    EXPECT_EQ(Text(kids.last()), QStringLiteral("23"));
    // CDATA is text; comments and instructions are not.
    const QString all = Text(root);
    EXPECT_TRUE(all.contains(QStringLiteral("<b>raw</b>"))) << all.toStdString();
    EXPECT_TRUE(all.contains(QStringLiteral("loose text")));
    EXPECT_FALSE(all.contains(QStringLiteral("a comment")));
    EXPECT_FALSE(all.contains(QStringLiteral("data")));
    EXPECT_TRUE(all.startsWith(QStringLiteral("1")));
    EXPECT_TRUE(all.endsWith(QStringLiteral("23")));
}

TEST(XmlDocument, LookupsAndNullElements)
{
    const QByteArray doc = "<root xmlns:m='urn:m' m:lang='es' empty=''>"
                           "<Item id='up'/><item id='first'/><item id='second'/><m:item id='ns'/></root>";
    XmlElement root;
    ASSERT_TRUE(LoadXmlText(doc, root));
    struct Case {
        const char *child;
        const char *id; // "" when no such child
    };
    const Case cases[]
        = { { "item", "first" }, { "Item", "up" }, { "ITEM", "" }, { "m:item", "ns" }, { "", "" } };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.child);
        const XmlElement found = FirstChild(root, QString::fromLatin1(c.child));
        EXPECT_EQ(found.isNull(), *c.id == 0);
        EXPECT_EQ(Attribute(found, QStringLiteral("id")), QString::fromLatin1(c.id));
    }
    EXPECT_EQ(Attribute(root, QStringLiteral("m:lang")), QStringLiteral("es"));
    EXPECT_EQ(Attribute(root, QStringLiteral("lang")), QString());
    EXPECT_EQ(Attribute(root, QStringLiteral("missing")), QString());

    const XmlElement null;
    EXPECT_EQ(TagName(null), QString());
    EXPECT_EQ(Text(null), QString());
    EXPECT_EQ(Attribute(null, QStringLiteral("id")), QString());
    EXPECT_TRUE(FirstChild(null, QStringLiteral("item")).isNull());
    EXPECT_TRUE(Children(null).isEmpty());
    // A null child taken from a real document behaves the same.
    XmlElement withComment;
    ASSERT_TRUE(LoadXmlText("<r><!--c--></r>", withComment));
    ASSERT_EQ(Children(withComment).size(), 1);
    EXPECT_TRUE(Children(Children(withComment).first()).isEmpty());
}

TEST(XmlDocument, ChildHandleKeepsDocumentAlive)
{
    XmlElement child;
    {
        XmlElement root;
        ASSERT_TRUE(LoadXmlText("<r><c>kept</c></r>", root));
        child = FirstChild(root, QStringLiteral("c"));
    }
    EXPECT_EQ(Text(child), QStringLiteral("kept"));
}

TEST(XmlDocument, InternalEntitiesReadAsTheirText)
{
    XmlElement root;
    ASSERT_TRUE(LoadXmlText("<!DOCTYPE r [<!ENTITY pub \"Belmoreta &amp; co\">]>"
                            "<r a=\"by &pub;\">news by &pub;&#x21;</r>",
                            root));
    EXPECT_EQ(Text(root), QStringLiteral("news by Belmoreta & co!"));
    EXPECT_EQ(Attribute(root, QStringLiteral("a")), QStringLiteral("by Belmoreta & co"));
}

TEST(XmlDocument, ExternalResourcesAreNeverRead)
{
    const QString secret = writeFile(QStringLiteral("secret.txt"), "TOP-SECRET-CONTENT");
    const QString dtd = writeFile(QStringLiteral("evil.dtd"), "<!ENTITY leak \"TOP-SECRET-CONTENT\">");
    const QByteArray secretUrl = "file://" + QFile::encodeName(secret);
    const QByteArray dtdUrl = "file://" + QFile::encodeName(dtd);
    struct Case {
        const char *label;
        QByteArray doc;
    };
    const Case cases[] = {
        { "system entity", "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secretUrl + "\">]><r>&x;</r>" },
        { "plain path entity",
          "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + QFile::encodeName(secret) + "\">]><r>&x;</r>" },
        { "entity in attribute",
          "<!DOCTYPE r [<!ENTITY x SYSTEM \"" + secretUrl + "\">]><r a=\"&x;\">t</r>" },
        { "external subset", "<!DOCTYPE r SYSTEM \"" + dtdUrl + "\"><r>&leak;</r>" },
        { "parameter entity", "<!DOCTYPE r [<!ENTITY % p SYSTEM \"" + dtdUrl + "\"> %p;]><r>&leak;</r>" },
        { "xinclude",
          "<r xmlns:xi=\"http://www.w3.org/2001/XInclude\"><xi:include href=\"" + secretUrl
              + "\" parse=\"text\"/></r>" },
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.label);
        XmlElement root;
        if (!LoadXmlText(c.doc, root))
            continue; // rejected: as good as read without the resource
        EXPECT_FALSE(Text(root).contains(QStringLiteral("TOP-SECRET")));
        EXPECT_FALSE(Attribute(root, QStringLiteral("a")).contains(QStringLiteral("TOP-SECRET")));
    }
}

TEST(XmlDocument, EntityExpansionIsBounded)
{
    QByteArray laughs = "<?xml version=\"1.0\"?><!DOCTYPE lolz [<!ENTITY lol \"lol\">";
    for (int i = 1; i <= 9; ++i) {
        laughs += "<!ENTITY lol" + QByteArray::number(i) + " \"";
        for (int j = 0; j < 10; ++j)
            laughs += "&lol" + (i == 1 ? QByteArray() : QByteArray::number(i - 1)) + ";";
        laughs += "\">";
    }
    laughs += "]><lolz a=\"&lol9;\">&lol9;</lolz>";
    // The full expansion would be 3 GB; a result, if any, stays within the expansion budget.
    XmlElement root;
    if (LoadXmlText(laughs, root)) {
        EXPECT_LE(Text(root).size(), 2 * 1024 * 1024);
        EXPECT_LE(Attribute(root, QStringLiteral("a")).size(), 2 * 1024 * 1024);
    }

    QByteArray deep; // nesting far past the parser's depth limit
    for (int i = 0; i < 100000; ++i)
        deep += "<a>";
    EXPECT_FALSE(LoadXmlText(deep, root));
}

TEST(XmlDocument, MalformedDocumentsFail)
{
    const QByteArray cases[] = {
        "",
        "not xml at all",
        "<r></s>",
        "<a/><b/>",
        "<r>&undefined;</r>",
        "<?xml version=\"1.0\" encoding=\"x-no-such-charset\"?><r/>",
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?><r>\xC3\x28</r>",
        QByteArray("<r>\0</r>", 8),
        "<r><![CDATA[never closed</r>",
    };
    for (const QByteArray &doc : cases) {
        SCOPED_TRACE(doc.toStdString());
        XmlElement root;
        EXPECT_FALSE(LoadXmlText(doc, root));
        EXPECT_TRUE(root.isNull());
    }
}

TEST(XmlDocument, LoadsFilesAndRefusesMissingOnes)
{
    XmlElement root;
    EXPECT_FALSE(LoadXmlFile(test::PrivateFoldersListener::root() + QStringLiteral("/missing.xml"), root));
    const QString path = writeFile(QStringLiteral("doc.xml"),
                                   "<?xml version=\"1.0\" encoding=\"windows-1252\"?><doc>\x80</doc>");
    ASSERT_TRUE(LoadXmlFile(path, root));
    EXPECT_EQ(Text(root), QString::fromUtf8("€"));
    const QString bad = writeFile(QStringLiteral("bad.xml"), "<doc>");
    XmlElement other;
    EXPECT_FALSE(LoadXmlFile(bad, other));
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
