// The headline pool of the sample site, read from a plain text file a newsroom can edit.
#pragma once

#include <string>
#include <vector>

namespace tavrin::publisher {

struct NewsKey {
    std::string key; // section identifier, or section "_" subsection
    std::string name; // display name
    std::vector<std::string> headlines;
};

struct HeadlinePool {
    std::vector<NewsKey> keys; // in file order
    std::string feedSectionId; // the section that carries user feeds ("[9_*] ...")
    std::string feedSectionName;
    std::vector<std::string> feedHeadlines;
};

// Reads the pool. Lines "[key] Name" open a key; the following non-empty lines are its headlines;
// "[id_*] Name" opens the pool of the feeds of other media registered under section `id`; lines
// starting with "#" are comments. Returns false with `error` set when the text has no usable key.
bool ParseHeadlines(const std::string &text, HeadlinePool &pool, std::string &error);

} // namespace tavrin::publisher
