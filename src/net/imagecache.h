// Keeps the images that the configuration lists present and intact in the data folder.
#pragma once

#include "config/clientconfig.h"

namespace tavrin {

class InternetSession;

// Walks the images in ascending identifier order; an image whose file is missing or does not match
// its CRC-32 is downloaded and stored only when the download matches. True when every image is
// present and intact; false at the first one that cannot be made so (later ones are not looked at).
bool CacheImages(InternetSession &session, const ClientConfig &config);

} // namespace tavrin
