// Registering a feed of other media against a loopback server: every answer and what it leaves stored.
#include "dialogs/registration.h"
#include "news/newsstore.h"
#include "settings/settings.h"
#include "support/prefsconfig.h"
#include "support/services.h"
#include "support/testserver.h"

#include <gtest/gtest.h>

namespace tavrin {
namespace {

using namespace Qt::StringLiterals;
using Kind = RegistrationOutcome::Kind;

// The server's answer, the outcome and its message (null: the same as the row before); then the edits.
struct Row {
    const char *answer;
    Kind kind;
    QString message = {};
    int status = 200;
    const char *name = "Faro";
    const char *address = "http://a.test/x&b=2";
    bool unreachable = false;
    bool carriesFeeds = true;
};

TEST(Registration, EachServerAnswerEndsAsThePartSaysAndOnlyNewIdentifiersAreStored)
{
    test::TestServices<> services;
    test::TestServer server;
    Row row { "", Kind::MandatoryFields };
    std::string target;
    server.route("/alta", [&](const httplib::Request &request, httplib::Response &response) {
        target = request.target;
        response.status = row.status;
        response.set_content(row.answer, "text/xml");
    });
    const Row rows[] = {
        { "", Kind::MandatoryFields,
          u"Debe especificar el nombre y la dirección RSS del medio que desea añadir"_s, 200, "" },
        { "", Kind::MandatoryFields, {}, 200, "Faro", "" },
        { "", Kind::UnknownError,
          u"Se ha producido un error al añadir el medio. Por favor, reintente la operación más tarde"_s, 200,
          "Faro", "http://a.test/x&b=2", true },
        { "<add_user_rss_result id='7'/>", Kind::UnknownError, {}, 500 },
        { "no es XML", Kind::UnknownError },
        { "<otro id='7'/>", Kind::UnknownError },
        { "<add_user_rss_result id=''/>", Kind::UnknownError },
        { "<add_user_rss_result><error>No vale</error></add_user_rss_result>", Kind::Refused, u"No vale"_s },
        { "<add_user_rss_result id='7'><error>x</error></add_user_rss_result>", Kind::Registered,
          u"El medio 'Faro' se ha añadido correctamente"_s },
        { "<add_user_rss_result id='7'/>", Kind::Duplicated, u"El medio 'Eco' estaba añadido previamente"_s,
          200, "Eco" },
        { "<add_user_rss_result id='8'/>", Kind::NoSection, u""_s, 200, "Eco", "http://a.test/x&b=2", false,
          false },
    };
    QString message;
    for (const Row &r : rows) {
        SCOPED_TRACE(r.answer);
        row = r;
        const QString alta
            = r.unreachable ? u"http://127.0.0.1:1/@URL@"_s : server.url("/alta?url=@URL@&again=@URL@");
        services.config.replace(test::prefsConfig(alta, r.carriesFeeds));
        const RegistrationOutcome outcome = RegisterOtherMedium(services.core(), r.name, r.address);
        message = r.message.isNull() ? message : r.message;
        EXPECT_EQ(std::tuple(outcome.kind, outcome.message, outcome.closes()),
                  std::tuple(r.kind, message, r.kind >= Kind::Duplicated));
    }
    // The address went into the request as typed, at every "@URL@"; only the new identifier was stored.
    EXPECT_EQ(target, "/alta?url=http://a.test/x&b=2&again=http://a.test/x&b=2");
    EXPECT_EQ(ListOtherMedia(), (QList<OtherMedium> { { u"7"_s, u"Faro"_s } }));
    bool on = false;
    EXPECT_TRUE(GetSectionSelected(u"mine_7"_s, on) && on && services.news.isJustRegistered(u"mine_7"_s));
    EXPECT_EQ(RegistrationAddress(u"http://s/?u=@URL@"_s, u" a b&c=d "_s), u"http://s/?u= a b&c=d "_s);
}

} // namespace
} // namespace tavrin
