// The preferences' section tree and its rules, apart from the widget: building, clicks, deletion, OK.
#pragma once

#include "config/clientconfig.h"

#include <QList>
#include <QString>

namespace tavrin {

// What one tree item stands for; it lives exactly as long as its item.
struct TreeItemData {
    bool isSection = false;
    bool isSubsection = false;
    Section section; // when isSection
    Subsection subsection; // when isSubsection
};

struct PrefsTreeItem {
    TreeItemData data;
    bool checked = false;
    QList<PrefsTreeItem> children; // sections only
};
using PrefsTree = QList<PrefsTreeItem>;

// Where an item is: its root's index and, for a child, the child's index under it.
struct PrefsItemPos {
    qsizetype root = 0;
    qsizetype child = -1; // -1: the root item itself
};

// One root per configured section in order, each with its effective subsections (the user's feeds
// included), checked as the stored choices say.
PrefsTree BuildPrefsTree(const ClientConfig &config);

// The user clicked the item's check box: toggles it and applies the rules (a checked child checks its
// section, an unchecked section unchecks its children). True when the item is now an unchecked user
// feed, whose deletion the caller asks about.
bool ToggleCheck(PrefsTree &tree, PrefsItemPos pos);

// "Yes" to the deletion question: the feed leaves the settings at once and the tree.
void DeleteUserFeed(PrefsTree &tree, PrefsItemPos pos);

// The deletion question for a feed: prefs_question_delete_user_rss with its name.
QString DeleteFeedQuestion(const ClientConfig &config, const Subsection &feed);

// The options below the tree as the dialog shows and takes them.
struct PrefsOptions {
    bool startWithWindows = false;
    bool alerts = false;
    bool otherMediaAlerts = false;
    QString seconds; // as typed
};
PrefsOptions LoadPrefsOptions(const ClientConfig &config);

enum class PrefsOkResult { Accepted, MustSelectSections, AlertsPositiveTtl };

// OK in order: refuses when no root is checked; stores every item's choice; refuses seconds below 1
// (the choices stay stored); then stores the options, the seconds only while alerts are on.
PrefsOkResult StorePrefs(const PrefsTree &tree, const PrefsOptions &options);

} // namespace tavrin
