// The alerts' waiting line and its three-state cycle, kept apart from any window so it runs without one.
#pragma once

#include "news/newsset.h"

#include <cstdint>
#include <deque>
#include <optional>

namespace tavrin {

class LiveConfig;

// What the queue asks of the pop-up. The pop-up answers later with posted messages: PAGE_READY or CLOSE
// after ShowAlertBatch, FINISHED once it has slid back out.
class AlertsPopup {
public:
    virtual ~AlertsPopup() = default;
    // Composes the page for the batch and starts loading it.
    virtual void ShowAlertBatch(const NewsSet &batch) = 0;
    // Fits the pop-up to the loaded page and starts sliding it in.
    virtual void StartSlideIn() = 0;
    // Stops any animation and hides the pop-up at once.
    virtual void HidePopup() = 0;
};

enum class AlertsState : std::uint32_t { Idle = 0, Loading = 1, Showing = 2 };

class AlertsQueue {
public:
    // Both outlive the queue.
    AlertsQueue(LiveConfig &config, AlertsPopup &popup);

    // WM_ALERTS_ADD: the set travelled with the message; nothing when it carried none.
    void OnAdd(std::optional<NewsSet> set);
    // WM_ALERTS_CLOSE: drops every waiting record and hides the pop-up.
    void OnClose();
    // WM_ALERTS_PAGE_READY and WM_ALERTS_FINISHED; ignored in any state that does not expect them.
    void OnPageReady();
    void OnFinished();

    AlertsState state() const { return m_state; }
    const std::deque<NewsRecord> &waiting() const { return m_queue; }

private:
    void ShowNextBatch();
    bool isQueued(const QString &id) const;

    LiveConfig &m_config;
    AlertsPopup &m_popup;
    std::deque<NewsRecord> m_queue;
    AlertsState m_state = AlertsState::Idle;
};

} // namespace tavrin
