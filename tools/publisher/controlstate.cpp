// What the control endpoints have asked the server to do wrong, shared by every request.
#include "controlstate.h"

namespace tavrin::publisher {

ControlState::ControlState(ControlSettings initial)
    : m_initial(initial)
    , m_settings(std::move(initial))
{
}

ControlSettings ControlState::Snapshot() const
{
    std::lock_guard lock(m_mutex);
    return m_settings;
}

PathRule ControlState::RuleIn(const ControlSettings &settings, const std::string &path)
{
    const auto exact = settings.rules.find(path);
    if (exact != settings.rules.end())
        return exact->second;
    PathRule best;
    std::size_t bestLength = 0;
    for (const auto &[pattern, rule] : settings.rules) {
        if (pattern.empty() || pattern.back() != '*')
            continue;
        const std::size_t length = pattern.size() - 1;
        if (path.compare(0, length, pattern, 0, length) == 0 && length + 1 > bestLength) {
            best = rule;
            bestLength = length + 1;
        }
    }
    return best;
}

PathRule ControlState::RuleFor(const std::string &path) const
{
    std::lock_guard lock(m_mutex);
    return RuleIn(m_settings, path);
}

void ControlState::Reset()
{
    {
        std::lock_guard lock(m_mutex);
        m_settings = m_initial;
        m_changedAt = std::time(nullptr);
        ++m_resets;
    }
    m_changed.notify_all();
}

bool ControlState::WaitWhileSilent(const std::string &path, std::chrono::milliseconds limit, int mostWaiting)
{
    std::unique_lock lock(m_mutex);
    if (m_waiting >= mostWaiting)
        return false;
    const unsigned long long resets = m_resets;
    ++m_waiting;
    const bool answer = m_changed.wait_for(
        lock, limit, [&] { return m_released || m_resets != resets || !RuleIn(m_settings, path).silent; });
    --m_waiting;
    return answer;
}

bool ControlState::Delay(std::chrono::milliseconds delay)
{
    std::unique_lock lock(m_mutex);
    const unsigned long long resets = m_resets;
    return !m_changed.wait_for(lock, delay, [&] { return m_released || m_resets != resets; });
}

std::time_t ControlState::ChangedAt() const
{
    std::lock_guard lock(m_mutex);
    return m_changedAt;
}

int ControlState::Waiting() const
{
    std::lock_guard lock(m_mutex);
    return m_waiting;
}

void ControlState::Release()
{
    {
        std::lock_guard lock(m_mutex);
        m_released = true;
    }
    m_changed.notify_all();
}

} // namespace tavrin::publisher
