// Runs the program's dialogs without a user: each run takes the next script, which fills and answers it.
#pragma once

#include "dialogs/dialogrunner.h"

#include <QStringList>

#include <deque>
#include <functional>

namespace tavrin::test {

class ScriptedRunner : public DialogRunner {
public:
    // Records the title, then runs the next script on the dialog; with none left the dialog is cancelled.
    int run(QDialog &dialog) override
    {
        titles.append(dialog.windowTitle());
        if (scripts.empty())
            return QDialog::Rejected;
        const std::function<int(QDialog &)> script = std::move(scripts.front());
        scripts.pop_front();
        return script(dialog);
    }
    std::deque<std::function<int(QDialog &)>> scripts;
    QStringList titles;
};

} // namespace tavrin::test
