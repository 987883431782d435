// Every message number of the program, declared once; used as the QEvent type of an AppMessage.
#pragma once

namespace tavrin {

// Main window's user messages (posted by the refresh engine and the connectivity monitor).
constexpr int WM_CONTENT_READY = 0x401;
constexpr int WM_CONNECTION_LOST = 0x403;
constexpr int WM_CONNECTION_RESTORED = 0x404;
constexpr int WM_NEWS_FOR_ALERTS = 0x405;
constexpr int WM_NEW_APP_VERSION = 0x406;

// Alerts actor.
constexpr int WM_ALERTS_ADD = 0x464;
constexpr int WM_ALERTS_CLOSE = 0x465;
constexpr int WM_ALERTS_QUIT = 0x466;
constexpr int WM_ALERTS_PAGE_READY = 0x467;
constexpr int WM_ALERTS_FINISHED = 0x468;

// Download progress: announced length, then bytes of each chunk.
constexpr int WM_DOWNLOAD_LENGTH = 2024;
constexpr int WM_DOWNLOAD_PROGRESS = 2025;

// Connectivity thread.
constexpr int WM_CHECK_CONNECTION = 0x2B10;
constexpr int WM_WATCH_CONNECTION = 0x2B11;
constexpr int WM_STOP_CHECKER = 0x2B12;

// Tray icon notifications.
constexpr int WM_TRAY_NOTIFY = 0x8001;

// Menu and window commands.
constexpr int ID_ABOUT = 32777;
constexpr int ID_SHOW_HIDE = 32778;
constexpr int ID_PREFERENCES = 32779;
constexpr int ID_EXIT = 32780;

} // namespace tavrin
