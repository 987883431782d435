// How long an alert stays out: the user's seconds as stored, read so that no caller ever gets 0 or less.
#pragma once

#include "config/clientconfig.h"

namespace tavrin {

// The stored seconds (else the configuration's alerts_ttl) read as a plain decimal, as the preferences
// check it; a stored text that reads below 1 (written by hand, or by an older copy) falls back to the
// configuration's, and that to 1.
int AlertsDisplaySeconds(const ClientConfig &config);

} // namespace tavrin
