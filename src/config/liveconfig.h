// The live configuration: immutable snapshots that are swapped whole, never half-assigned.
#pragma once

#include "config/clientconfig.h"

#include <QString>

#include <memory>
#include <mutex>

namespace tavrin {

class LiveConfig {
public:
    LiveConfig();

    // The current configuration; never null. Keep the snapshot for one operation, then ask again.
    std::shared_ptr<const ClientConfig> snapshot() const;
    // Replaces the whole configuration (start-up load, accepted download).
    void replace(ClientConfig config);
    void replace(std::shared_ptr<const ClientConfig> config);
    // Replaces the configuration by a copy of the current one with a new installer address and its hash
    // (both from one document, so an address never keeps the hash of another).
    void setAppUrl(const QString &appUrl, const QString &appSha256);

private:
    mutable std::mutex m_mutex;
    std::shared_ptr<const ClientConfig> m_current;
};

} // namespace tavrin
