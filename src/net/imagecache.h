// Keeps the images that the configuration lists present and intact in the data folder, and nothing else.
#pragma once

#include "config/clientconfig.h"

namespace tavrin {

class InternetSession;

// The most the configuration's images may take on disk together: a real publisher's logos and icons
// take some KiB, so only a broken or hostile configuration comes near it.
constexpr qint64 kImageCacheBytes = 64LL * 1024 * 1024;

// First removes every file of the image folder that no image of the configuration is stored as (images
// of earlier configurations, leftovers of interrupted writes). Then walks the images in ascending
// identifier order; an image whose file is missing or does not match its CRC-32 is downloaded and stored
// only when the download matches. The images walked so far may take at most capBytes together: a
// download is cut off at what is left. True when every image is present and intact; false at the first
// one that cannot be made so (later ones are not looked at).
bool CacheImages(InternetSession &session, const ClientConfig &config, qint64 capBytes = kImageCacheBytes);

} // namespace tavrin
