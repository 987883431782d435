// The alert pop-up: a frameless tool window that slides a batch of headlines out beside the taskbar.
#pragma once

#include "alerts/alertsqueue.h"
#include "alerts/slide.h"
#include "browser/webbrowser2.h"
#include "ui/services.h"

#include <QPointer>
#include <QTimer>
#include <QWidget>

#include <optional>

namespace tavrin {

class CAlertsDlg : public QWidget, public AlertsPopup {
    Q_OBJECT
public:
    // The one timer of the pop-up, named after its id.
    static constexpr int ALERT_TIMER_ID = 12345678;

    // Hidden until a batch slides in; its notifications go to `notify` (the alerts actor).
    CAlertsDlg(const AppServices &services, QObject *notify);
    ~CAlertsDlg() override;

    void ShowAlertBatch(const NewsSet &batch) override;
    void StartSlideIn() override;
    void HidePopup() override;

    CWebBrowser2 *pane() const { return m_pane; }
    SlideState slideState() const { return m_state; }
    const SlidePlan &plan() const { return m_plan; }
    QTimer *alertTimer() const { return m_alertTimer; }

protected:
    void paintEvent(QPaintEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void closeEvent(QCloseEvent *event) override;

private:
    void OnTimer();
    void OnDocumentComplete();
    void OnNavigateError();
    NavigationVerdict BeforeNavigate2(const NavigationRequest &request);
    bool mouseOver() const;
    void discardWhileIdle();

    AppServices m_services;
    QPointer<QObject> m_notify;
    CWebBrowser2 *m_pane = nullptr;
    QTimer *m_alertTimer = nullptr;
    SlideState m_state = SlideState::Hidden;
    QPoint m_position;
    SlidePlan m_plan;
    // The body's size measured for the page now loaded; none until measured, or when it could not be.
    std::optional<QSize> m_pageSize;
    // Counts the batches, so a measurement of an older page is not taken for the new one's.
    quint64 m_batch = 0;
    QUrl m_pageUrl; // the page of the current batch
    bool m_loading = false;
    bool m_destroying = false;
};

} // namespace tavrin
