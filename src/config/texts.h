// Built-in user-interface texts and icon identifiers, and the lookups that prefer the configuration's.
#pragma once

#include "config/clientconfig.h"

#include <QString>

namespace tavrin {

constexpr int kTextCount = 20;
constexpr int kIconCount = 3;

// Key under which the configuration's texts override text `number`; "" outside 0..19.
QString TextKey(int number);
// The configuration's text for that number's key, else the built-in text; "" outside 0..19.
QString GetText(const ClientConfig &config, int number);
// The same against the live configuration.
QString GetText(int number);

// Image identifier of icon `index`; "" outside 0..2.
QString IconImageId(int index);
// A copy of the configuration's image for that icon; an empty image when there is none.
ConfigImage GetIconImage(const ClientConfig &config, int index);
ConfigImage GetIconImage(int index);

} // namespace tavrin
