// How long an alert stays out, never 0 or less whatever the stored text holds.
#include "config/alertsseconds.h"

#include "config/configloader.h"
#include "settings/settings.h"

#include <algorithm>

namespace tavrin {

int AlertsDisplaySeconds(const ClientConfig &config)
{
    const int stored = ParseDecimal(GetAlertsSeconds(config.alerts_ttl));
    if (stored >= 1)
        return stored;
    return std::max(1, ParseDecimal(config.alerts_ttl));
}

} // namespace tavrin
