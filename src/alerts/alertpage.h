// The alert page of a batch, composed from the configuration's alert template.
#pragma once

#include "config/clientconfig.h"
#include "news/newsset.h"

#include <QString>

namespace tavrin {

// One copy of the template's BLOCK_NEWS per record, newest first, in place of NEWS. Every value that came
// from a feed or the reader is escaped, and an address other than http: or https: becomes "#", so a
// title's markup shows as text.
QString ComposeAlertPage(const ClientConfig &config, const NewsSet &batch);

} // namespace tavrin
