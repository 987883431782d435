// The windows' services for GUI tests: the core's test services plus message boxes answered by the test.
#pragma once

#include "support/services.h"
#include "ui/browseropener.h"
#include "ui/messagebox.h"
#include "ui/services.h"

#include <functional>
#include <vector>

namespace tavrin::test {

// Records every box asked for and answers with `answer` (Ok unless the test says otherwise).
class RecordingBoxes : public MessageBoxes {
public:
    QMessageBox::StandardButton ask(QWidget *, const MessageBoxRequest &request) override
    {
        asked.push_back(request);
        return answer ? answer(request) : QMessageBox::Ok;
    }
    std::vector<MessageBoxRequest> asked;
    std::function<QMessageBox::StandardButton(const MessageBoxRequest &)> answer;
};

// Records every address handed to the browser instead of opening it.
class RecordingOpener : public BrowserOpener {
public:
    void open(const QUrl &url) override { opened.append(url.toString()); }
    QStringList opened;
};

class TestAppServices : public TestServices<FastClock> {
public:
    using TestServices::TestServices;
    AppServices app() { return AppServices { core(), boxes, browser }; }
    RecordingBoxes boxes;
    RecordingOpener browser;
};

} // namespace tavrin::test
