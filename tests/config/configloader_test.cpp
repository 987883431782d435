// The loader's verdict on every configuration case, the fields it reads and the user's feeds in its checks.
#include "config/configloader.h"
#include "settings/settings.h"
#include "support/configfixture.h"
#include "support/privatefolders.h"
#include "support/testfiles.h"

#include <gtest/gtest.h>

#include <QDir>

using namespace tavrin;
using namespace Qt::StringLiterals;
using test::describeConfig;

TEST(ConfigLoader, VerdictOfEveryCase)
{
    const QString path = test::PrivateFoldersListener::root() + u"/clientconfig.xml"_s;
    ClientConfig good;
    ASSERT_TRUE(LoadConfigurationText(test::fixtureBytes("config", "good"), good));
    QStringList labels;
    for (const auto &[label, document, verdict, fields] : test::configCases()) {
        SCOPED_TRACE(label.toStdString());
        labels << label;
        ASSERT_TRUE(test::writeFile(path, document));
        ClientConfig fromFile = good, fromText;
        QString fileReason, textReason;
        const bool accepted = LoadConfigurationFile(path, fromFile, &fileReason);
        EXPECT_EQ(accepted ? u"accepted"_s : "rejected: " + fileReason, verdict);
        // Both entry points agree; the target (a loaded one for files) is replaced whole or left untouched.
        EXPECT_EQ(LoadConfigurationText(document, fromText, &textReason), accepted);
        EXPECT_EQ(textReason, fileReason);
        EXPECT_EQ(describeConfig(fromFile), accepted ? fields : describeConfig(good));
        EXPECT_EQ(describeConfig(fromText), accepted ? fields : describeConfig({}));
    }
    for (const QString &name : QDir(TAVRIN_SOURCE_DIR "/tests/data/config"_L1).entryList({ u"*.xml"_s }))
        EXPECT_TRUE(labels.contains('@' + name.chopped(4))) << qPrintable(name) << " has no verdict";
    QString reason; // a missing file is rejected with a reason
    EXPECT_TRUE(!LoadConfigurationFile(path + u".no"_s, good, &reason) && !reason.isEmpty());
}

TEST(ConfigLoader, UserFeedsJoinTheSectionThatCarriesThem)
{
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, u"f/1"_s, u"Mi blog"_s, kOtherMediaKeyPath));
    ClientConfig config; // a named feed passes the checks
    ASSERT_TRUE(LoadConfigurationText(test::fixtureBytes("config", "good"), config));
    // portada has no page of its own; otros and d, a later copy with portada's subsections, carry feeds.
    const Section plain = config.sections[0], feeds = config.sections[1];
    config.sections << feeds;
    config.sections.last().id = u"d"_s;
    config.sections.last().subsections = plain.subsections;
    EXPECT_EQ(config.SectionPageUrl(plain), config.sections_html_url);
    EXPECT_EQ(config.SectionPageUrl(feeds), feeds.html_url);
    EXPECT_EQ(config.FindUserFeedSection().value_or(Section()).id, u"otros"_s); // the first in document order
    QStringList effective; // the configured subsections, then the user's feeds
    for (const Subsection &s : EffectiveSubsections(config.sections.last()))
        effective << s.key + (s.active ? " active" : "") + (s.user_added ? " user" : "");
    EXPECT_EQ(effective, (QStringList { "portada_local active", "portada_mundo", "d_f/1 active user" }));
    EXPECT_EQ(config.FindSubsectionByKey(u"portada_mundo"_s).value_or(Subsection()).name, u"Mundo"_s);
    EXPECT_EQ(config.FindSubsectionByKey(u"otros_f/1"_s).value_or(Subsection()).name, u"Mi blog"_s);
    EXPECT_FALSE(config.FindSubsectionByKey(u"portada_f/1"_s).has_value());
    config.sections = { plain };
    EXPECT_FALSE(config.FindUserFeedSection().has_value());

    // A feed stored with an empty name makes every accepted document fail, while a document whose checks
    // stop earlier still reports its own first broken rule.
    ASSERT_TRUE(WriteRegistryString(RegistryRoot::CurrentUser, u"f2"_s, QString(), kOtherMediaKeyPath));
    const QString noSection = u"rejected: sections: there is no section"_s;
    const QString feedRule = uR"(rejected: section "otros": the user's feed "f2" has an empty name or id)"_s;
    QString reason;
    for (const auto &[label, document, verdict, fields] : test::configCases()) {
        if (verdict == u"accepted" || verdict == noSection) {
            EXPECT_EQ(LoadConfigurationText(document, config, &reason) ? u"accepted"_s
                                                                       : "rejected: " + reason,
                      verdict == noSection ? noSection : feedRule)
                << label.toStdString();
        }
    }
}

TEST(ConfigLoader, DocumentsBeyondTheLimitsAreRejectedWithTheBoundPassed)
{
    const QByteArray good = test::fixtureBytes("config", "good"); // 2 sections, 2 subsections, 2 images
    const QString path = test::PrivateFoldersListener::root() + u"/limits.xml"_s;
    const ConfigLimits exact { good.size(), 2, 2, 2 };
    const struct {
        ConfigLimits limits;
        QByteArray document;
        const char *verdict;
    } cases[] = {
        { exact, good, "accepted" },
        { { good.size() - 1, 2, 2, 2 }, good, "the document is larger than %1 bytes" },
        { { good.size(), 1, 2, 2 }, good, "sections: more than 1 sections" },
        { { good.size(), 2, 1, 2 }, good, "sections: more than 1 subsections in all" },
        { { good.size(), 2, 2, 1 }, good, "images: more than 1 images" },
        { {},
          QByteArray(good).replace("<images>", "<!--" + QByteArray(2 << 20, ' ') + "--><images>"),
          "the document is larger than %1 bytes" },
    };
    for (const auto &[limits, document, verdict] : cases) {
        SCOPED_TRACE(verdict);
        ASSERT_TRUE(test::writeFile(path, document));
        const QString expected = QString::fromUtf8(verdict).replace(u"%1"_s, QString::number(limits.bytes));
        ClientConfig config;
        QString reason;
        EXPECT_EQ(LoadConfigurationText(document, config, &reason, limits) ? u"accepted"_s : reason,
                  expected);
        EXPECT_EQ(LoadConfigurationFile(path, config, &reason, limits) ? u"accepted"_s : reason, expected);
    }
}
