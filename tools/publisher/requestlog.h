// The request log: what each request asked for and how many bytes went back, for bandwidth figures.
#pragma once

#include <cstdio>
#include <ctime>
#include <deque>
#include <mutex>
#include <string>

namespace tavrin::publisher {

struct LogEntry {
    std::time_t time = 0;
    std::string method;
    std::string target;
    int status = 0;
    std::size_t requestBytes = 0; // request line and headers, as received
    std::size_t headerBytes = 0; // status line and headers, as written
    std::size_t bodyBytes = 0; // body as sent (compressed when gzip)
    bool gzip = false;
};

// Keeps the latest entries in memory, and optionally appends every line to a file and to stderr.
class RequestLog {
public:
    RequestLog(const std::string &path, bool toStderr);
    ~RequestLog();
    RequestLog(const RequestLog &) = delete;
    RequestLog &operator=(const RequestLog &) = delete;

    bool fileOpen() const { return m_file != nullptr; }
    void Add(const LogEntry &entry);
    // One line per entry, oldest first, then a line of totals.
    std::string Text() const;
    void Clear();

    // "HH:MM:SS GET /path 200 headers=N body=N [gzip] request=N"
    static std::string Line(const LogEntry &entry);
    static constexpr std::size_t kKept = 20000;

private:
    mutable std::mutex m_mutex;
    std::deque<LogEntry> m_entries;
    std::FILE *m_file = nullptr;
    bool m_toStderr;
};

} // namespace tavrin::publisher
