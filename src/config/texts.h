// Built-in user-interface texts and icon identifiers, and the lookups that prefer the configuration's.
#pragma once

#include "config/clientconfig.h"

#include <QString>

namespace tavrin {

// The user-interface texts, numbered as in the text table; the configuration overrides them by key.
enum class TextId : int {
    BalloonTitleNoConnection = 0, // balloon_title_no_connection
    BalloonTextNoConnection = 1,
    TooltipInitializing = 2,
    TooltipRunning = 3,
    TooltipNoConnection = 4,
    PrefsLabelTree = 5,
    WebEngineTooOld = 6, // ie6_not_installed
    NewAppVersion = 7,
    PrefsQuestionDeleteUserRss = 8,
    AddUserRssMandatoryFields = 9,
    AddUserRssUnknownError = 10,
    AddUserRssDuplicated = 11,
    AddUserRssSuccess = 12,
    PrefsMustSelectSections = 13,
    PrefsAlertsPositiveTtl = 14,
    PrefsLaunchOnStart = 15, // prefs_launch_on_windows_start
    PrefsShowAlertsForOtherMedia = 16,
    BalloonTitleAppMinimized = 17,
    BalloonTextAppMinimized = 18,
    AddUserRssLabel = 19,
    FatalError = 20, // shown when the program cannot start, before any configuration is read
};
constexpr int kTextCount = 21;

// The icons the configuration supplies as images.
enum class IconId : int { App = 0, Taskbar = 1, TaskbarDisabled = 2 };
constexpr int kIconCount = 3;

// Key under which the configuration's texts override the text; "" for an id outside the table.
QString TextKey(TextId id);
// The configuration's text for the id's key, else the built-in text; "" for an id outside the table.
QString GetText(const ClientConfig &config, TextId id);

// Image identifier of the icon; "" for an id outside the table.
QString IconImageId(IconId id);
// A copy of the configuration's image for that icon; an empty image when there is none.
ConfigImage GetIconImage(const ClientConfig &config, IconId id);

} // namespace tavrin
