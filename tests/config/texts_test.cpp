// Built-in texts and icon images, and their replacement by the configuration's entries.
#include "config/liveconfig.h"
#include "config/texts.h"

#include <gtest/gtest.h>

#include <set>

using namespace tavrin;

TEST(Texts, EveryNumberHasATextAndADistinctKey)
{
    const ClientConfig empty;
    std::set<QString> keys;
    for (int n = 0; n < kTextCount; ++n) {
        SCOPED_TRACE(n);
        EXPECT_FALSE(GetText(empty, n).isEmpty());
        keys.insert(TextKey(n));
    }
    EXPECT_EQ(keys.size(), std::size_t(kTextCount));
}

TEST(Texts, ConfigurationOverridesByKeyAndOutsideNumbersAreEmpty)
{
    ClientConfig config;
    config.texts.try_emplace(QStringLiteral("new_app_version"), QStringLiteral("Versión nueva"));
    config.texts.try_emplace(QStringLiteral("New_App_Version"), QStringLiteral("wrong case"));
    config.texts.try_emplace(QStringLiteral("tooltip_running"), QStringLiteral("En marcha"));
    const struct {
        int number;
        QString expected;
    } cases[] = {
        { 7, QStringLiteral("Versión nueva") },
        { 3, QStringLiteral("En marcha") },
        { 2, QStringLiteral("Tavrin - Inicializando") },
        { 20, QString() },
        { -1, QString() },
        { 1000, QString() },
    };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.number);
        EXPECT_EQ(GetText(config, c.number), c.expected);
    }

    // The lookup without a configuration argument reads the live one.
    liveConfig().replace(config);
    EXPECT_EQ(GetText(7), QStringLiteral("Versión nueva"));
    liveConfig().replace(ClientConfig());
    EXPECT_EQ(GetText(3), QStringLiteral("Tavrin"));
}

TEST(Texts, IconImagesComeFromTheConfiguration)
{
    ClientConfig config;
    config.images.try_emplace(
        QStringLiteral("tavrin_taskbar_icon"),
        ConfigImage { QStringLiteral("tavrin_taskbar_icon"), 77, QStringLiteral("http://i/t.ico") });
    const struct {
        int index;
        const char *id; // "" for the empty image
    } cases[] = { { 0, "" }, { 1, "tavrin_taskbar_icon" }, { 2, "" }, { 3, "" }, { -1, "" } };
    for (const auto &c : cases) {
        SCOPED_TRACE(c.index);
        const ConfigImage image = GetIconImage(config, c.index);
        EXPECT_EQ(image.id, QString::fromUtf8(c.id));
        EXPECT_EQ(image.crc32, *c.id ? 77u : 0u);
        EXPECT_EQ(image.url.isEmpty(), *c.id == '\0');
    }
}
