// The headline pool of the sample site, read from a plain text file a newsroom can edit.
#include "headlines.h"

#include <sstream>

namespace tavrin::publisher {

static std::string Trim(const std::string &text)
{
    const std::size_t first = text.find_first_not_of(" \t\r\n");
    if (first == std::string::npos)
        return {};
    const std::size_t last = text.find_last_not_of(" \t\r\n");
    return text.substr(first, last - first + 1);
}

bool ParseHeadlines(const std::string &text, HeadlinePool &pool, std::string &error)
{
    pool = HeadlinePool {};
    std::istringstream lines(text);
    std::string line;
    std::vector<std::string> *current = nullptr;
    int number = 0;
    while (std::getline(lines, line)) {
        ++number;
        line = Trim(line);
        if (line.empty() || line.front() == '#')
            continue;
        if (line.front() == '[') {
            const std::size_t close = line.find(']');
            const std::string key
                = close == std::string::npos ? std::string() : Trim(line.substr(1, close - 1));
            if (key.empty() || key.find_first_of(" <>&\"'") != std::string::npos) {
                error = "line " + std::to_string(number) + ": a key needs the form [key] Name";
                return false;
            }
            const std::string name = Trim(line.substr(close + 1));
            if (key.size() > 2 && key.compare(key.size() - 2, 2, "_*") == 0) {
                pool.feedSectionId = key.substr(0, key.size() - 2);
                pool.feedSectionName = name.empty() ? pool.feedSectionId : name;
                current = &pool.feedHeadlines;
            } else {
                pool.keys.push_back(NewsKey { key, name.empty() ? key : name, {} });
                current = &pool.keys.back().headlines;
            }
            continue;
        }
        if (!current) {
            error = "line " + std::to_string(number) + ": a headline before the first [key]";
            return false;
        }
        current->push_back(line);
    }
    bool anyHeadline = false;
    for (const NewsKey &key : pool.keys)
        anyHeadline = anyHeadline || !key.headlines.empty();
    if (!anyHeadline) {
        error = "no headlines";
        return false;
    }
    return true;
}

} // namespace tavrin::publisher
