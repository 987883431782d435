// The update dialog: a progress bar while the installer downloads, and Cancel, which ends the program.
#include "update/updatingappdlg.h"

#include "base/appmessage.h"
#include "ui_updatingapp.h"

namespace tavrin {

CUpdatingAppDlg::CUpdatingAppDlg(UpdateDownload &download, UpdateJob job, QWidget *parent)
    : QDialog(parent)
    , m_ui(std::make_unique<Ui::UpdatingAppDlg>())
    , m_download(download)
    , m_job(std::move(job))
{
    m_ui->setupUi(this);
    // A modal frame: no help or size buttons.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    connect(&m_download, &UpdateDownload::finished, this, &QDialog::accept);
}

CUpdatingAppDlg::~CUpdatingAppDlg() = default;

bool CUpdatingAppDlg::OnInitDialog()
{
    return m_download.start(m_job, this, parentWidget());
}

QProgressBar *CUpdatingAppDlg::progressBar() const
{
    return m_ui->progress;
}

bool CUpdatingAppDlg::event(QEvent *event)
{
    const AppMessage *message = asAppMessage(event);
    if (!message)
        return QDialog::event(event);
    if (message->number() == WM_DOWNLOAD_LENGTH)
        m_progress.announce(message->wParam());
    else if (message->number() == WM_DOWNLOAD_PROGRESS)
        m_progress.advance(message->wParam());
    const ProgressBarValues bar = m_progress.bar();
    m_ui->progress->setRange(0, bar.maximum);
    m_ui->progress->setValue(bar.value);
    return true;
}

void CUpdatingAppDlg::reject()
{
    m_download.cancel();
    QDialog::reject();
}

int RunUpdate(UpdateDownload &download, UpdateJob job, QWidget *parent)
{
    CUpdatingAppDlg dialog(download, std::move(job), parent);
    // Without a download nothing would ever end the dialog: the program ends as after a cancel.
    if (!dialog.OnInitDialog())
        return QDialog::Rejected;
    return dialog.exec();
}

} // namespace tavrin
