// What the control endpoints have asked the server to do wrong, shared by every request.
#pragma once

#include <chrono>
#include <condition_variable>
#include <ctime>
#include <map>
#include <mutex>
#include <optional>
#include <string>

namespace tavrin::publisher {

enum class BrokenConfig { Off, Malformed, Invalid };

// The misbehaviour that applies to one request path.
struct PathRule {
    int status = 0; // answer this status instead of the page; 0 for none
    int delayMs = 0; // wait this long before answering
    bool silent = false; // never answer while the path stays silent
    bool corrupt = false; // the body's last byte is changed (a checksum no longer matches)
    int trickleBytesPerSecond = 0; // the body goes out this slowly, chunked; 0 for at once
    bool trickleEndless = false; // and spaces follow it, as slowly, for ever
};

struct ControlSettings {
    bool offline = false; // the monitoring address fails
    bool offlineAll = false; // every site address fails
    std::string proxyUser; // non-empty: proxy-style authentication is required
    std::string proxyPassword;
    BrokenConfig brokenConfig = BrokenConfig::Off;
    std::optional<std::string> urgentText; // set: the urgent strip shows this (empty: nothing)
    std::string offeredVersion;
    std::map<std::string, PathRule> rules; // by path; a path ending in "*" matches by prefix
};

class ControlState {
public:
    explicit ControlState(ControlSettings initial);

    ControlSettings Snapshot() const;
    // The rule for `path`: an exact rule wins over the longest matching prefix rule.
    PathRule RuleFor(const std::string &path) const;
    template <typename Change> void Update(Change change)
    {
        {
            std::lock_guard lock(m_mutex);
            change(m_settings);
            m_changedAt = std::time(nullptr);
        }
        m_changed.notify_all();
    }
    // Back to the settings the server started with.
    void Reset();
    // Waits until `path` is no longer silent, the settings are reset, or `limit` passes; true when
    // the path may be answered now. False at once when `mostWaiting` requests wait already, so that
    // silent addresses never take every worker and the controls stay reachable.
    bool WaitWhileSilent(const std::string &path, std::chrono::milliseconds limit, int mostWaiting);
    // Sleeps `delay`, cut short by a reset; true when the whole delay passed.
    bool Delay(std::chrono::milliseconds delay);
    // Wakes every waiting request (at shutdown).
    void Release();
    // When a control last changed the settings; pages that depend on them are newer than that.
    std::time_t ChangedAt() const;
    // How many requests wait on a silent path now.
    int Waiting() const;

private:
    static PathRule RuleIn(const ControlSettings &settings, const std::string &path);

    const ControlSettings m_initial;
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    ControlSettings m_settings;
    unsigned long long m_resets = 0;
    bool m_released = false;
    int m_waiting = 0;
    std::time_t m_changedAt = 0;
};

} // namespace tavrin::publisher
