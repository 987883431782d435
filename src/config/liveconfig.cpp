// The live configuration holder: readers copy a pointer under a short lock, writers swap whole objects.
#include "config/liveconfig.h"

#include <utility>

namespace tavrin {

LiveConfig::LiveConfig()
    : m_current(std::make_shared<const ClientConfig>())
{
}

std::shared_ptr<const ClientConfig> LiveConfig::snapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_current;
}

void LiveConfig::replace(ClientConfig config)
{
    replace(std::make_shared<const ClientConfig>(std::move(config)));
}

void LiveConfig::replace(std::shared_ptr<const ClientConfig> config)
{
    if (!config) {
        config = std::make_shared<const ClientConfig>();
    }
    std::shared_ptr<const ClientConfig> old;
    {
        std::lock_guard lock(m_mutex);
        old = std::exchange(m_current, std::move(config));
    }
    // `old` may be the last reference: it is released here, outside the lock.
}

void LiveConfig::setAppUrl(const QString &appUrl, const QString &appSha256)
{
    std::shared_ptr<const ClientConfig> old;
    {
        // Copy and swap under one lock, so a concurrent replace() is never undone by this update.
        std::lock_guard lock(m_mutex);
        auto copy = std::make_shared<ClientConfig>(*m_current);
        copy->app_url = appUrl;
        copy->app_sha256 = appSha256;
        old = std::exchange(m_current, std::move(copy));
    }
}

} // namespace tavrin
