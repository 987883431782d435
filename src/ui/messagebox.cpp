// Message boxes of the program, with a hook that lets tests answer them without a user.
#include "ui/messagebox.h"

#include "base/version.h"

namespace tavrin {

namespace {
MessageBoxHook &hook()
{
    static MessageBoxHook installed;
    return installed;
}
} // namespace

void SetMessageBoxHook(MessageBoxHook newHook)
{
    hook() = std::move(newHook);
}

QMessageBox::StandardButton ShowMessageBox(QWidget *parent, const MessageBoxRequest &request)
{
    if (hook())
        return hook()(request);
    QMessageBox box(request.icon, AppName(), request.text, request.buttons, parent);
    if (request.defaultButton != QMessageBox::NoButton)
        box.setDefaultButton(request.defaultButton);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

} // namespace tavrin
