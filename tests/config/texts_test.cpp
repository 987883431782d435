// Built-in texts and icon images, and their replacement by the configuration's entries.
#include "config/texts.h"

#include <gtest/gtest.h>

#include <set>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;

TEST(Texts, EveryIdHasATextAndADistinctKey)
{
    const ClientConfig empty;
    std::set<QString> keys;
    for (int n = 0; n < kTextCount; ++n) {
        EXPECT_FALSE(GetText(empty, TextId(n)).isEmpty()) << n;
        keys.insert(TextKey(TextId(n)));
    }
    EXPECT_EQ(keys.size(), std::size_t(kTextCount));
    EXPECT_FALSE(keys.count(QString()));
    EXPECT_EQ(TextKey(TextId::FatalError), u"fatal_error"_s);
}

TEST(Texts, ConfigurationOverridesByKeyAndOutsideIdsAreEmpty)
{
    ClientConfig config;
    config.texts = { { u"new_app_version"_s, u"Versión nueva"_s },
                     { u"New_App_Version"_s, u"wrong case"_s },
                     { u"tooltip_running"_s, u"En marcha"_s } };
    EXPECT_EQ(GetText(config, TextId::NewAppVersion), u"Versión nueva"_s);
    EXPECT_EQ(GetText(config, TextId::TooltipRunning), u"En marcha"_s);
    EXPECT_EQ(GetText(config, TextId::TooltipInitializing), u"Tavrin - Inicializando"_s);
    for (const int outside : { kTextCount, -1, 1000 }) {
        EXPECT_EQ(GetText(config, TextId(outside)), QString()) << outside;
        EXPECT_EQ(TextKey(TextId(outside)), QString()) << outside;
    }
}

TEST(Texts, IconImagesComeFromTheConfiguration)
{
    ClientConfig config;
    config.images = { { u"tavrin_taskbar_icon"_s, { u"tavrin_taskbar_icon"_s, 77, u"http://i/t.ico"_s } } };
    for (const int id : { 0, 1, 2, kIconCount, -1 }) {
        const ConfigImage image = GetIconImage(config, IconId(id));
        const bool configured = IconId(id) == IconId::Taskbar;
        EXPECT_EQ(image.id, configured ? u"tavrin_taskbar_icon"_s : QString()) << id;
        EXPECT_EQ(image.crc32, configured ? 77u : 0u) << id;
        EXPECT_EQ(image.url.isEmpty(), !configured) << id;
    }
}

} // namespace
} // namespace tavrin
