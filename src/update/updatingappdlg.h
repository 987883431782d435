// The update dialog: a progress bar while the installer downloads, and Cancel, which ends the program.
#pragma once

#include "engine/updaterules.h"
#include "update/updatedownload.h"

#include <QDialog>

#include <memory>

class QProgressBar;

namespace Ui {
class UpdatingAppDlg;
}

namespace tavrin {

class CUpdatingAppDlg : public QDialog {
    Q_OBJECT
public:
    // The download outlives the dialog: its thread is never waited for here.
    CUpdatingAppDlg(UpdateDownload &download, UpdateJob job, QWidget *parent);
    ~CUpdatingAppDlg() override;

    // Starts the download thread, with this dialog receiving its progress.
    bool OnInitDialog();
    QProgressBar *progressBar() const;

protected:
    // The download's length (WM_DOWNLOAD_LENGTH) and chunks (WM_DOWNLOAD_PROGRESS) move the bar.
    bool event(QEvent *event) override;
    // Cancel, Escape or closing: no installer starts, and the dialog ends as rejected.
    void reject() override;

private:
    std::unique_ptr<Ui::UpdatingAppDlg> m_ui;
    UpdateDownload &m_download;
    UpdateJob m_job;
    DownloadProgress m_progress;
};

// Shows the dialog modally over parent until the download ends it or the user cancels; the dialog's result.
int RunUpdate(UpdateDownload &download, UpdateJob job, QWidget *parent);

} // namespace tavrin
