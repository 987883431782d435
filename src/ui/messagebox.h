// Message boxes of the program, as a service that tests replace to answer without a user.
#pragma once

#include <QMessageBox>
#include <QString>

namespace tavrin {

// One message box as the program asks for it.
struct MessageBoxRequest {
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString text;
    QMessageBox::StandardButtons buttons = QMessageBox::Ok;
    QMessageBox::StandardButton defaultButton = QMessageBox::NoButton;
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    // Shows a modal box titled with the application name and returns the button chosen.
    virtual QMessageBox::StandardButton ask(QWidget *parent, const MessageBoxRequest &request);
};

} // namespace tavrin
