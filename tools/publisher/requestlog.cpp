// The request log: what each request asked for and how many bytes went back, for bandwidth figures.
#include "requestlog.h"

namespace tavrin::publisher {

RequestLog::RequestLog(const std::string &path, bool toStderr)
    : m_toStderr(toStderr)
{
    if (!path.empty())
        m_file = std::fopen(path.c_str(), "a");
}

RequestLog::~RequestLog()
{
    if (m_file)
        std::fclose(m_file);
}

std::string RequestLog::Line(const LogEntry &entry)
{
    std::tm parts {};
    localtime_r(&entry.time, &parts);
    char clock[16];
    std::strftime(clock, sizeof clock, "%H:%M:%S", &parts);
    return std::string(clock) + " " + entry.method + " " + entry.target + " " + std::to_string(entry.status)
        + " headers=" + std::to_string(entry.headerBytes) + " body=" + std::to_string(entry.bodyBytes)
        + (entry.gzip ? " gzip" : "") + " request=" + std::to_string(entry.requestBytes);
}

void RequestLog::Add(const LogEntry &entry)
{
    const std::string line = Line(entry) + "\n";
    std::lock_guard lock(m_mutex);
    m_entries.push_back(entry);
    if (m_entries.size() > kKept)
        m_entries.pop_front();
    if (m_file) {
        std::fputs(line.c_str(), m_file);
        std::fflush(m_file);
    }
    if (m_toStderr)
        std::fputs(line.c_str(), stderr);
}

std::string RequestLog::Text() const
{
    std::lock_guard lock(m_mutex);
    std::string text;
    std::size_t headers = 0;
    std::size_t bodies = 0;
    for (const LogEntry &entry : m_entries) {
        text += Line(entry) + "\n";
        headers += entry.headerBytes;
        bodies += entry.bodyBytes;
    }
    text += "total requests=" + std::to_string(m_entries.size()) + " headers=" + std::to_string(headers)
        + " body=" + std::to_string(bodies) + "\n";
    return text;
}

void RequestLog::Clear()
{
    std::lock_guard lock(m_mutex);
    m_entries.clear();
}

} // namespace tavrin::publisher
