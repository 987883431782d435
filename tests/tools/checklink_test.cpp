// check-link run as a program: the command links' grammar as the client parses them, where others go.
#include "support/toolcases.h"

TEST(CheckLinkTool, ParsesCommandLinksAndSortsOtherAddresses)
{
    // clang-format off
    const auto link = [](const char *url, const char *out) { return tavrin::test::ToolCase { { "check-link", url }, 0, out }; };
    tavrin::test::expectToolRuns({
        link("tavrin://about/any/further?", "command about\n"), // the name runs to the first "/"
        link("TAVRIN://prefs", "ignored\n"),
        link("tavrin://prefs?x=1", "ignored\n"), // the name is "prefs?x=1"
        link("tavrin://select_section/?id=7&x=1?y=2", "ignored\n"), // a second "?" drops every parameter
        // No value, no key; the first wins; keys as written, in byte order; a raw "=" drops it; decoded last.
        link("tavrin://select_section/?id=&x&id=7&id=8&ID=9&v=a=b&v=a%3Db%26c", "command select_section\nID=9\nid=7\nv=a=b&c\n"),
        link("tavrin://navigate_internal/", "ignored\n"), // without its url
        link("tavrin://navigate_explorer_news/?uri=x", "ignored\n"),
        link("tavrin://show_alert/?title=T%C3%ADtulo%0Auno&id=1&url=u&section_id=s&date=d", "command show_alert\ndate=d\nid=1\nsection_id=s\ntitle=Título uno\nurl=u\n"),
        link("tavrin://show_alert/?title=T&id=1&url=u&section_id=s", "ignored\n"), // without its date
        link("HTTPS://example.com/a?b=1", "browser HTTPS://example.com/a?b=1\n"),
        link("mailto:redaccion@example.com", "browser mailto:redaccion@example.com\n"),
        link("smb://host/share", "ignored\n"),
        { { "check-link", "a", "b" }, 2, "" },
    }); // clang-format on
}
