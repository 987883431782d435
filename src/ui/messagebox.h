// Message boxes of the program, with a hook that lets tests answer them without a user.
#pragma once

#include <QMessageBox>
#include <QString>

#include <functional>

namespace tavrin {

// One message box as the program asks for it.
struct MessageBoxRequest {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

// Answers a message box in place of the user; the box is then not shown at all.
using MessageBoxHook = std::function<QMessageBox::StandardButton(const MessageBoxRequest &)>;

// Installs the hook (an empty one shows real boxes again).
void SetMessageBoxHook(MessageBoxHook hook);

// Shows a modal box titled with the application name and returns the button chosen.
QMessageBox::StandardButton ShowMessageBox(QWidget *parent, const MessageBoxRequest &request);

} // namespace tavrin
