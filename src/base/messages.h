// Every message number of the program, declared once; used as the QEvent type of an AppMessage.
#pragma once

namespace tavrin {

enum class MessageId : int {
    // Main window's user messages (posted by the refresh engine and the connectivity monitor).
    WM_CONTENT_READY = 0x401,
    WM_CONNECTION_LOST = 0x403,
    WM_CONNECTION_RESTORED = 0x404,
    WM_NEWS_FOR_ALERTS = 0x405,
    WM_NEW_APP_VERSION = 0x406,

    // Alerts actor.
    WM_ALERTS_ADD = 0x464,
    WM_ALERTS_CLOSE = 0x465,
    WM_ALERTS_QUIT = 0x466,
    WM_ALERTS_PAGE_READY = 0x467,
    WM_ALERTS_FINISHED = 0x468,

    // Download progress: announced length, then bytes of each chunk.
    WM_DOWNLOAD_LENGTH = 2024,
    WM_DOWNLOAD_PROGRESS = 2025,

    // Connectivity thread.
    WM_CHECK_CONNECTION = 0x2B10,
    WM_WATCH_CONNECTION = 0x2B11,
    WM_STOP_CHECKER = 0x2B12,

    // Tray icon notifications.
    WM_TRAY_NOTIFY = 0x8001,

    // Menu and window commands, also posted as messages.
    ID_ABOUT = 32777,
    ID_SHOW_HIDE = 32778,
    ID_PREFERENCES = 32779,
    ID_EXIT = 32780,
};
using enum MessageId;

} // namespace tavrin
