// The preferences' section tree and its rules over the settings, without a widget.
#include "dialogs/prefstree.h"

#include "config/configloader.h"
#include "config/selection.h"
#include "config/texts.h"
#include "settings/settings.h"

#include <algorithm>

namespace tavrin {

PrefsTree BuildPrefsTree(const ClientConfig &config)
{
    PrefsTree tree;
    for (const Section &section : config.sections) {
        PrefsTreeItem root { { true, false, section, {} }, IsSelected(section), {} };
        for (const Subsection &subsection : EffectiveSubsections(section))
            root.children.append({ { false, true, {}, subsection }, IsSelected(subsection), {} });
        tree.append(std::move(root));
    }
    return tree;
}

bool ToggleCheck(PrefsTree &tree, PrefsItemPos pos)
{
    PrefsTreeItem &root = tree[pos.root];
    if (pos.child >= 0) {
        PrefsTreeItem &child = root.children[pos.child];
        child.checked = !child.checked;
        if (child.checked)
            root.checked = true;
        return !child.checked && child.data.isSubsection && child.data.subsection.user_added;
    }
    root.checked = !root.checked;
    if (!root.checked) {
        for (PrefsTreeItem &child : root.children)
            child.checked = false;
    }
    return false;
}

void DeleteUserFeed(PrefsTree &tree, PrefsItemPos pos)
{
    RemoveOtherMedia(tree[pos.root].children[pos.child].data.subsection);
    tree[pos.root].children.removeAt(pos.child);
}

QString DeleteFeedQuestion(const ClientConfig &config, const Subsection &feed)
{
    return GetText(config, TextId::PrefsQuestionDeleteUserRss)
        .replace(QStringLiteral("@USER_RSS_NAME@"), feed.name);
}

PrefsOptions LoadPrefsOptions(const ClientConfig &config)
{
    return { IsStartWithWindows(), GetAlertsEnabled(), GetOtherMediaAlerts(),
             GetAlertsSeconds(config.alerts_ttl) };
}

namespace {

void storeChoice(const PrefsTreeItem &item)
{
    if (item.data.isSection)
        SetSectionSelected(item.data.section.id, item.checked);
    else if (item.data.isSubsection)
        SetSectionSelected(item.data.subsection.key, item.checked);
}

} // namespace

PrefsOkResult StorePrefs(const PrefsTree &tree, const PrefsOptions &options)
{
    if (std::none_of(tree.begin(), tree.end(), [](const PrefsTreeItem &root) { return root.checked; }))
        return PrefsOkResult::MustSelectSections;
    for (const PrefsTreeItem &root : tree) {
        storeChoice(root);
        for (const PrefsTreeItem &child : root.children)
            storeChoice(child);
    }
    if (ParseDecimal(options.seconds) < 1)
        return PrefsOkResult::AlertsPositiveTtl;
    SetStartWithWindows(options.startWithWindows);
    SetAlertsEnabled(options.alerts);
    SetOtherMediaAlerts(options.otherMediaAlerts);
    if (options.alerts)
        SetAlertsSeconds(options.seconds);
    return PrefsOkResult::Accepted;
}

} // namespace tavrin
