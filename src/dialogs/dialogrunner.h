// How the program's dialogs are run, as a service that tests replace to fill and answer them.
#pragma once

#include "ui/services.h"

#include <QDialog>

namespace tavrin {

class DialogRunner {
public:
    virtual ~DialogRunner() = default;
    // Runs the dialog modally and returns its result (QDialog::Accepted or Rejected).
    virtual int run(QDialog &dialog) { return dialog.exec(); }
};

// The windows' services plus who runs the dialogs; every member outlives the dialogs it is handed to.
struct DialogServices {
    AppServices app;
    DialogRunner &runner;
};

} // namespace tavrin
