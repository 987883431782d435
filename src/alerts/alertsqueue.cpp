// Adding alerts, taking batches and following the pop-up through idle, loading and showing.
#include "alerts/alertsqueue.h"

#include "base/logging.h"
#include "config/liveconfig.h"
#include "config/selection.h"
#include "settings/settings.h"

#include <algorithm>

namespace tavrin {

AlertsQueue::AlertsQueue(LiveConfig &config, AlertsPopup &popup)
    : m_config(config)
    , m_popup(popup)
{
}

bool AlertsQueue::isQueued(const QString &id) const
{
    return std::ranges::any_of(m_queue, [&](const NewsRecord &record) { return record.id == id; });
}

void AlertsQueue::OnAdd(std::optional<NewsSet> set)
{
    if (!set || set->isEmpty())
        return;
    if (!GetAlertsEnabled())
        return;
    const auto config = m_config.snapshot();
    for (const NewsRecord &record : *set) {
        if (IsKeySelected(*config, record.section_key) && !isQueued(record.id))
            m_queue.push_back(record);
    }
    if (m_state == AlertsState::Idle)
        ShowNextBatch();
}

void AlertsQueue::ShowNextBatch()
{
    if (m_queue.empty())
        return;
    // The loader refuses a configuration below 1; the floor only keeps a hand-made one from stalling.
    const int limit = std::max(1, m_config.snapshot()->max_news_per_show);
    NewsSet batch;
    for (int taken = 0; !m_queue.empty() && taken < limit; ++taken) {
        // A record whose time is already in the batch is dropped here; it still counts as taken.
        batch.insert(m_queue.front());
        m_queue.pop_front();
    }
    m_state = AlertsState::Loading;
    m_popup.ShowAlertBatch(batch);
}

void AlertsQueue::OnClose()
{
    m_queue.clear();
    m_state = AlertsState::Idle;
    m_popup.HidePopup();
}

void AlertsQueue::OnPageReady()
{
    if (m_state != AlertsState::Loading)
        return;
    m_state = AlertsState::Showing;
    qCInfo(lcAlerts) << "alert shown";
    m_popup.StartSlideIn();
}

void AlertsQueue::OnFinished()
{
    if (m_state != AlertsState::Showing)
        return;
    if (m_queue.empty())
        m_state = AlertsState::Idle;
    else
        ShowNextBatch();
}

} // namespace tavrin
