// The preferences' rules without a screen: the tree, the clicks, deleting a feed, and OK's order.
#include "dialogs/prefstree.h"
#include "settings/settings.h"
#include "support/prefsconfig.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

// "Name+" checked, "Name-" not; children in brackets.
QString describe(const PrefsTree &tree)
{
    QStringList roots;
    for (const PrefsTreeItem &root : tree) {
        QStringList children;
        for (const PrefsTreeItem &child : root.children)
            children.append(child.data.subsection.name + (child.checked ? u'+' : u'-'));
        roots.append(root.data.section.name + (root.checked ? u'+' : u'-') + u'(' + children.join(u',')
                     + u')');
    }
    return roots.join(u' ');
}

TEST(PrefsTree, BuiltFromSectionsAndFeedsAndEachClickRule)
{
    ASSERT_TRUE(StoreOtherMedium({ u"9"_s, u"Faro"_s }) && StoreOtherMedium({ u"10"_s, u"Eco"_s }));
    ASSERT_TRUE(SetSectionSelected(u"mine_10"_s, false));
    const PrefsTree built = BuildPrefsTree(test::prefsConfig());
    ASSERT_EQ(describe(built), u"News+(Local+,World-) Others-(Faro+,Eco-)"_s);
    // Clicks (root, child) in order, the tree after them, and whether the last one asks to delete a feed.
    const std::tuple<std::vector<PrefsItemPos>, const char *, bool> cases[] = {
        { { { 0, 1 } }, "News+(Local+,World+) Others-(Faro+,Eco-)", false },
        { { { 0, -1 } }, "News-(Local-,World-) Others-(Faro+,Eco-)", false },
        { { { 0, -1 }, { 0, -1 } }, "News+(Local-,World-) Others-(Faro+,Eco-)", false },
        { { { 1, 0 } }, "News+(Local+,World-) Others-(Faro-,Eco-)", true },
        { { { 1, 1 } }, "News+(Local+,World-) Others+(Faro+,Eco+)", false },
        { { { 1, -1 } }, "News+(Local+,World-) Others+(Faro+,Eco-)", false },
        { { { 0, 0 } }, "News+(Local-,World-) Others-(Faro+,Eco-)", false },
    };
    for (const auto &[clicks, after, asks] : cases) {
        PrefsTree tree = built;
        bool asked = false;
        for (const PrefsItemPos &click : clicks)
            asked = ToggleCheck(tree, click);
        EXPECT_EQ(std::pair(describe(tree), asked), std::pair(QString::fromLatin1(after), asks));
    }
}

TEST(PrefsTree, OkRefusesInOrderAndStoresTheSecondsAsTypedOnlyWithAlertsOn)
{
    PrefsTree tree = BuildPrefsTree(test::prefsConfig());
    tree[0].checked = false;
    bool on = true;
    // With no section checked nothing at all is stored.
    EXPECT_EQ(StorePrefs(tree, { true, true, true, u"9"_s }), PrefsOkResult::MustSelectSections);
    EXPECT_FALSE(GetSectionSelected(u"news"_s, on) || IsStartWithWindows() || GetOtherMediaAlerts());
    tree[1].checked = true;
    // Seconds and alerts box, whether OK accepts, then alerts, seconds ("-": none), other-media alerts
    // stored.
    const std::tuple<const char *, bool, bool, const char *> cases[] = {
        { "0", true, false, "1 - 0" },    { "-3", true, false, "1 - 0" },   { "abc", true, false, "1 - 0" },
        { "", true, false, "1 - 0" },     { "15x", true, true, "1 15x 1" }, { "20", false, true, "0 15x 1" },
        { "0", false, false, "0 15x 1" },
    };
    const auto flag = [](bool on) { return on ? u"1"_s : u"0"_s; };
    for (const auto &[seconds, alerts, accepted, stored] : cases) {
        SCOPED_TRACE(seconds);
        EXPECT_EQ(StorePrefs(tree, { false, alerts, true, QString::fromLatin1(seconds) }),
                  accepted ? PrefsOkResult::Accepted : PrefsOkResult::AlertsPositiveTtl);
        EXPECT_EQ(flag(GetAlertsEnabled()) + u' ' + GetAlertsSeconds(u"-"_s) + u' '
                      + flag(GetOtherMediaAlerts()),
                  QString::fromLatin1(stored));
        // The section choices are stored before the seconds are looked at.
        EXPECT_TRUE(GetSectionSelected(u"news"_s, on) && !on && GetSectionSelected(u"mine"_s, on) && on);
    }
}

} // namespace
} // namespace tavrin
