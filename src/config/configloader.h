// Reads a configuration document into a ClientConfig and decides whether the client may run with it.
#pragma once

#include "config/clientconfig.h"

#include <QByteArray>
#include <QString>

namespace tavrin {

// Bounds of an acceptable document, far above any real publisher's (a few KiB, a dozen sections, a
// few dozen subsections and images): past them a hostile or broken document would only cost memory.
struct ConfigLimits {
    static constexpr qint64 kMaxBytes = 2 * 1024 * 1024;
    static constexpr int kMaxSections = 200;
    static constexpr int kMaxSubsections = 2000; // in all sections together
    static constexpr int kMaxImages = 200;

    qint64 bytes = kMaxBytes;
    int sections = kMaxSections;
    int subsections = kMaxSubsections;
    int images = kMaxImages;
};

// True when the document parsed, followed the grammar and validated; only then is config replaced.
// On false, config is untouched and, when reason is given, it names the first rule the document broke.
// A document beyond the limits is rejected with the bound it passed as the reason.
bool LoadConfigurationFile(const QString &path, ClientConfig &config, QString *reason = nullptr,
                           const ConfigLimits &limits = {});
bool LoadConfigurationText(const QByteArray &text, ClientConfig &config, QString *reason = nullptr,
                           const ConfigLimits &limits = {});

// The plain decimal parse of document numbers: leading blanks and a sign, digits up to the first
// non-digit; 0 without digits. Saturates instead of overflowing.
int ParseDecimal(const QString &text);

} // namespace tavrin
