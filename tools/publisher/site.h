// The sample site's files on disk, read with the server's own address filled in.
#pragma once

#include <ctime>
#include <optional>
#include <string>

namespace tavrin::publisher {

struct SiteFile {
    std::string content;
    std::time_t modified = 0;
};

// Reads files below the site folder. Text files get "@BASE@" replaced by the server's base address
// ("http://127.0.0.1:PORT/") and "@CRC32:relative/path@" by the decimal CRC-32 of that file, so a
// designer who replaces an icon never has to recompute its checksum. Files are re-read when they
// are read on every request, so edits show without a restart.
class Site {
public:
    Site(std::string folder, std::string base);

    const std::string &folder() const { return m_folder; }
    const std::string &base() const { return m_base; }

    // The file at `relativePath` ("css/diario.css"); nothing when it is missing or the path leaves the
    // folder.
    std::optional<SiteFile> Read(const std::string &relativePath) const;

    // Whether `relativePath` stays inside the folder (no "..", no absolute path, no backslash).
    static bool IsSafePath(const std::string &relativePath);
    // The media type for a file name, from its extension.
    static std::string ContentType(const std::string &relativePath);
    // Whether files of that name hold text whose tokens are filled.
    static bool IsText(const std::string &relativePath);

private:
    std::optional<std::string> ReadRaw(const std::string &relativePath, std::time_t *modified) const;
    std::string FillTokens(std::string text, std::time_t *modified) const;

    std::string m_folder;
    std::string m_base;
};

} // namespace tavrin::publisher
