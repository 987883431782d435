// Registering a feed of other media with the publisher's server: the request, the answer, the outcome.
#pragma once

#include "engine/services.h"

#include <QByteArray>
#include <QString>

namespace tavrin {

// The request address: the template with every "@URL@" replaced by the address exactly as typed.
QString RegistrationAddress(const QString &urlTemplate, const QString &address);

// What the server's add_user_rss_result document says.
struct RegistrationAnswer {
    enum class Kind { Invalid, Refused, Registered };
    Kind kind = Kind::Invalid;
    QString errorText; // Refused: the server's message as it came
    QString id; // Registered: the feed's identifier on the server
    friend bool operator==(const RegistrationAnswer &, const RegistrationAnswer &) = default;
};
// Empty, unparsable or wrongly rooted text is invalid; a non-empty id registers (any error is ignored);
// else a non-empty error element refuses; else invalid.
RegistrationAnswer ReadRegistrationAnswer(const QByteArray &text);

// How OK in the registration dialog ends: the message to show ("" for none) and whether the dialog closes.
struct RegistrationOutcome {
    enum class Kind { MandatoryFields, UnknownError, Refused, Duplicated, NoSection, Registered };
    Kind kind = Kind::UnknownError;
    QString message;
    bool closes() const
    {
        return kind == Kind::Duplicated || kind == Kind::NoSection || kind == Kind::Registered;
    }
};

// Whether OK may ask the server at all: both fields hold something.
bool RegistrationFieldsGiven(const QString &name, const QString &address);

// The whole registration: asks the server (on this thread), and on success stores the feed as a user
// feed of the section that carries them, selected, and tells the news store it was just registered.
RegistrationOutcome RegisterOtherMedium(const CoreServices &core, const QString &name,
                                        const QString &address);

} // namespace tavrin
