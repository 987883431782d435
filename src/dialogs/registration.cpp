// Registering a feed of other media: request address, answer document, duplicates and storing.
#include "dialogs/registration.h"

#include "config/liveconfig.h"
#include "config/selection.h"
#include "config/texts.h"
#include "config/xmldocument.h"
#include "net/httpclient.h"
#include "news/newsstore.h"

#include <algorithm>

namespace tavrin {

namespace {

const QString kNamePlaceholder = QStringLiteral("@USER_RSS_NAME@");

} // namespace

QString RegistrationAddress(const QString &urlTemplate, const QString &address)
{
    return QString(urlTemplate).replace(QStringLiteral("@URL@"), address);
}

RegistrationAnswer ReadRegistrationAnswer(const QByteArray &text)
{
    XmlElement root;
    if (text.isEmpty() || !LoadXmlText(text, root) || TagName(root) != QLatin1String("add_user_rss_result"))
        return {};
    const QString id = Attribute(root, QStringLiteral("id"));
    if (!id.isEmpty())
        return { RegistrationAnswer::Kind::Registered, {}, id };
    const QString error = Text(FirstChild(root, QStringLiteral("error")));
    if (!error.isEmpty())
        return { RegistrationAnswer::Kind::Refused, error, {} };
    return {};
}

bool RegistrationFieldsGiven(const QString &name, const QString &address)
{
    return !name.isEmpty() && !address.isEmpty();
}

RegistrationOutcome RegisterOtherMedium(const CoreServices &core, const QString &name, const QString &address)
{
    using Kind = RegistrationOutcome::Kind;
    const std::shared_ptr<const ClientConfig> config = core.config.snapshot();
    if (!RegistrationFieldsGiven(name, address))
        return { Kind::MandatoryFields, GetText(*config, TextId::AddUserRssMandatoryFields) };
    const QByteArray text
        = FetchText(core.http, RegistrationAddress(config->add_user_rss_url, address), false, nullptr);
    const RegistrationAnswer answer = ReadRegistrationAnswer(text);
    if (answer.kind == RegistrationAnswer::Kind::Invalid)
        return { Kind::UnknownError, GetText(*config, TextId::AddUserRssUnknownError) };
    if (answer.kind == RegistrationAnswer::Kind::Refused)
        return { Kind::Refused, answer.errorText };

    const std::optional<Section> owner = config->FindUserFeedSection();
    if (owner) {
        const QList<Subsection> known = EffectiveSubsections(*owner);
        if (std::any_of(known.begin(), known.end(), [&](const Subsection &s) { return s.id == answer.id; }))
            return { Kind::Duplicated,
                     GetText(*config, TextId::AddUserRssDuplicated).replace(kNamePlaceholder, name) };
    } else {
        return { Kind::NoSection, {} };
    }
    const Subsection feed { name, answer.id, owner->id + QLatin1Char('_') + answer.id, true, true };
    // Its first document is read quietly instead of alerting every item in it.
    if (AddOtherMedia(feed))
        core.news.addJustRegistered(feed.key);
    return { Kind::Registered, GetText(*config, TextId::AddUserRssSuccess).replace(kNamePlaceholder, name) };
}

} // namespace tavrin
