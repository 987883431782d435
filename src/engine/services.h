// The services of the core, built once by the application shell and handed to whatever needs them.
#pragma once

namespace tavrin {

class Clock;
class ConnectionMonitor;
class InternetSession;
class LiveConfig;
class NewsStore;

// Every member outlives every thread and window it is handed to; tests build their own.
struct CoreServices {
    const Clock &clock;
    LiveConfig &config;
    NewsStore &news;
    InternetSession &http;
    ConnectionMonitor &connection;
};

} // namespace tavrin
