// The dialogs' rules without a screen: the preferences tree, its clicks and OK's order; registering a feed
// of other media against a loopback server.
#include "config/texts.h"
#include "dialogs/prefstree.h"
#include "dialogs/registration.h"
#include "news/newsstore.h"
#include "settings/settings.h"
#include "support/dialogfixtures.h"
#include "support/services.h"
#include "support/testserver.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using Kind = RegistrationOutcome::Kind;

// Each root's check mark, then its children's: "+" checked, "-" not.
QString marks(const PrefsTree &tree)
{
    QString text;
    for (const PrefsTreeItem &root : tree) {
        text += root.checked ? u" +"_s : u" -"_s;
        for (const PrefsTreeItem &child : root.children)
            text += child.checked ? u'+' : u'-';
    }
    return text;
}

TEST(PrefsTree, BuiltFromSectionsAndFeedsEachClickRuleAndOkInOrder)
{
    ASSERT_TRUE(StoreOtherMedium({ u"9"_s, u"Faro"_s }) && StoreOtherMedium({ u"10"_s, u"Eco"_s }));
    ASSERT_TRUE(SetSectionSelected(u"mine_10"_s, false));
    const PrefsTree built = BuildPrefsTree(test::prefsConfig()); // News: Local, World; Others: Faro, Eco
    ASSERT_EQ(marks(built), u" ++- -+-"_s);
    // Clicks (root, child) in order, the marks after them, and whether the last one asks to delete a feed.
    const std::tuple<std::vector<PrefsItemPos>, const char *, bool> cases[] = {
        // clang-format off
        { { { 0, 1 } }, " +++ -+-", false },  { { { 0, -1 } }, " --- -+-", false },  { { { 1, 0 } }, " ++- ---", true },
        { { { 0, -1 }, { 0, -1 } }, " +-- -+-", false },  { { { 1, 1 } }, " ++- +++", false },
        { { { 1, -1 } }, " ++- ++-", false },  { { { 0, 0 } }, " +-- -+-", false },
    }; // clang-format on
    for (const auto &[clicks, after, asks] : cases) {
        PrefsTree tree = built;
        bool asked = false;
        for (const PrefsItemPos &click : clicks)
            asked = ToggleCheck(tree, click);
        EXPECT_EQ(std::pair(marks(tree), asked), std::pair(QString::fromLatin1(after), asks));
    }

    PrefsTree tree = built; // OK with no section checked stores nothing
    tree[0].checked = false;
    bool on = true;
    EXPECT_EQ(StorePrefs(tree, { true, true, true, u"9"_s }), PrefsOkResult::MustSelectSections);
    EXPECT_FALSE(GetSectionSelected(u"news"_s, on) || IsStartWithWindows() || GetOtherMediaAlerts());
    tree[1].checked = true;
    // Seconds and alerts box, whether OK accepts; then stored: alerts, seconds ("-": none), other media.
    // The seconds are refused after the section choices are stored, and stored as typed with alerts on.
    const std::tuple<const char *, bool, bool, const char *> okCases[] = {
        { "0", true, false, "1 - 0" },    { "-3", true, false, "1 - 0" },   { "abc", true, false, "1 - 0" },
        { "", true, false, "1 - 0" },     { "15x", true, true, "1 15x 1" }, { "20", false, true, "0 15x 1" },
        { "0", false, false, "0 15x 1" },
    };
    const auto flag = [](bool on) { return on ? u"1 "_s : u"0 "_s; };
    for (const auto &[seconds, alerts, accepted, stored] : okCases) {
        SCOPED_TRACE(seconds);
        EXPECT_EQ(StorePrefs(tree, { false, alerts, true, QString::fromLatin1(seconds) }),
                  accepted ? PrefsOkResult::Accepted : PrefsOkResult::AlertsPositiveTtl);
        const QString now
            = flag(GetAlertsEnabled()) + GetAlertsSeconds(u"-"_s) + u' ' + flag(GetOtherMediaAlerts());
        EXPECT_EQ(now.trimmed(), QString::fromLatin1(stored));
        EXPECT_TRUE(GetSectionSelected(u"news"_s, on) && !on && GetSectionSelected(u"mine"_s, on) && on);
    }
}

// The server's answer (status 0: no server), the outcome and its message; then the edits.
struct Row {
    const char *answer;
    Kind kind;
    QString message;
    int status = 200;
    const char *name = "Faro";
    bool carriesFeeds = true;
    const char *address = "http://a.test/x&b=2";
};

TEST(Registration, EachServerAnswerHasItsOutcomeAndOnlyNewIdentifiersAreStored)
{
    test::TestServices<> services;
    test::TestServer server;
    Row row { "", Kind::MandatoryFields, {} };
    std::string target;
    server.route("/alta", [&](const httplib::Request &request, httplib::Response &response) {
        target = request.target;
        response.status = row.status;
        response.set_content(row.answer, "text/xml");
    });
    const QString unknown = GetText({}, TextId::AddUserRssUnknownError);
    const Row rows[] = {
        { "", Kind::MandatoryFields, GetText({}, TextId::AddUserRssMandatoryFields), 200, "" },
        { "", Kind::MandatoryFields, GetText({}, TextId::AddUserRssMandatoryFields), 200, "Faro", true, "" },
        { "", Kind::UnknownError, unknown, 0 },
        { "<add_user_rss_result id='7'/>", Kind::UnknownError, unknown, 500 },
        { "no es XML", Kind::UnknownError, unknown },
        { "<otro id='7'/>", Kind::UnknownError, unknown },
        { "<add_user_rss_result id=''/>", Kind::UnknownError, unknown },
        { "<add_user_rss_result><error>No vale</error></add_user_rss_result>", Kind::Refused, u"No vale"_s },
        { "<add_user_rss_result id='7'><error>x</error></add_user_rss_result>", Kind::Registered,
          u"El medio 'Faro' se ha añadido correctamente"_s },
        { "<add_user_rss_result id='7'/>", Kind::Duplicated, u"El medio 'Eco' estaba añadido previamente"_s,
          200, "Eco" },
        { "<add_user_rss_result id='8'/>", Kind::NoSection, u""_s, 200, "Eco", false },
    };
    for (const Row &r : rows) {
        SCOPED_TRACE(r.answer);
        row = r;
        const QString url = r.status ? server.url("/alta?u=@URL@&v=@URL@") : u"http://127.0.0.1:1/@URL@"_s;
        services.config.replace(test::prefsConfig(url, r.carriesFeeds));
        const RegistrationOutcome outcome = RegisterOtherMedium(services.core(), r.name, r.address);
        EXPECT_EQ(std::tuple(outcome.kind, outcome.message, outcome.closes()),
                  std::tuple(r.kind, r.message, r.kind >= Kind::Duplicated));
    }
    // The address went into the request as typed, at every "@URL@"; only the new identifier was stored.
    EXPECT_EQ(target, "/alta?u=http://a.test/x&b=2&v=http://a.test/x&b=2");
    EXPECT_EQ(ListOtherMedia(), (QList<OtherMedium> { { u"7"_s, u"Faro"_s } }));
    bool on = false;
    EXPECT_TRUE(GetSectionSelected(u"mine_7"_s, on) && on && services.news.isJustRegistered(u"mine_7"_s));
    EXPECT_EQ(RegistrationAddress(u"http://s/?u=@URL@"_s, u" a b&c=d "_s), u"http://s/?u= a b&c=d "_s);
}

} // namespace
} // namespace tavrin
