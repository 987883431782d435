// What the user follows: the stored choices applied to the configuration's sections and feeds.
#pragma once

#include "config/clientconfig.h"

#include <QString>

namespace tavrin {

// The stored choice for the section's or subsection's key, else its configured active flag.
bool IsSelected(const Section &section);
bool IsSelected(const Subsection &subsection);

// Whether the news of a section key are wanted: the first section with that id gives its selection,
// else the subsection (user feeds included) with that key; a key found nowhere is not selected.
bool IsKeySelected(const ClientConfig &config, const QString &sectionKey);
// The name of the section or subsection found the same way; "" when none.
QString KeyDisplayName(const ClientConfig &config, const QString &sectionKey);

// For a user feed only: stores it and its selection. False, with nothing else done, when the value could
// not be stored. Whoever registers the feed also tells the news store (its first document is read quietly).
bool AddOtherMedia(const Subsection &record);
// For a user feed only: deletes its value; false for any other record.
bool RemoveOtherMedia(const Subsection &record);

} // namespace tavrin
