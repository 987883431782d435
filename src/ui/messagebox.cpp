// Message boxes of the program.
#include "ui/messagebox.h"

#include "base/version.h"

namespace tavrin {

QMessageBox::StandardButton MessageBoxes::ask(QWidget *parent, const MessageBoxRequest &request)
{
    QMessageBox box(request.icon, AppName(), request.text, request.buttons, parent);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace tavrin
