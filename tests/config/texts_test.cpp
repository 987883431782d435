// Built-in texts and icon images, and their replacement by the configuration's entries.
#include "config/texts.h"

#include <gtest/gtest.h>

#include <set>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

TEST(Texts, BuiltInTextsUnderDistinctKeysAndIconImagesTheConfigurationSupplies)
{
    const ClientConfig builtIn;
    std::set<QString> keys { QString() }; // taken from the start: no id may have the empty key
    for (int n = 0; n < kTextCount; ++n)
        EXPECT_TRUE(keys.insert(TextKey(TextId(n))).second && !GetText(builtIn, TextId(n)).isEmpty()) << n;
    ClientConfig config; // keys are exact: a wrong case overrides nothing
    config.texts = { { u"new_app_version"_s, u"Nueva"_s }, { u"New_App_Version"_s, u"case"_s } };
    EXPECT_EQ(GetText(config, TextId::NewAppVersion), u"Nueva"_s);
    EXPECT_EQ(GetText(config, TextId::TooltipRunning), GetText(builtIn, TextId::TooltipRunning));
    for (const int outside : { kTextCount, -1, 1000 })
        EXPECT_EQ(GetText(config, TextId(outside)) + TextKey(TextId(outside)), QString()) << outside;
    config.images = { { u"tavrin_taskbar_icon"_s, { u"tavrin_taskbar_icon"_s, 77, u"http://i/t.ico"_s } } };
    for (const int id : { 0, 1, 2, kIconCount, -1 }) {
        const ConfigImage image = GetIconImage(config, IconId(id));
        const bool taskbar = IconId(id) == IconId::Taskbar; // the only one configured
        EXPECT_EQ(image.crc32, taskbar ? 77u : 0u) << id;
        EXPECT_EQ(image.url, taskbar ? u"http://i/t.ico"_s : QString()) << id;
    }
}

} // namespace
} // namespace tavrin
