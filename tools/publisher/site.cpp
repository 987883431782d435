// The sample site's files on disk, read with the server's own address filled in.
#include "site.h"

#include "textutil.h"

#include <zlib.h>

#include <fstream>
#include <sstream>
#include <sys/stat.h>

namespace tavrin::publisher {

Site::Site(std::string folder, std::string base)
    : m_folder(std::move(folder))
    , m_base(std::move(base))
{
    if (!m_folder.empty() && m_folder.back() != '/')
        m_folder += '/';
}

bool Site::IsSafePath(const std::string &relativePath)
{
    if (relativePath.empty() || relativePath.front() == '/' || relativePath.find('\\') != std::string::npos
        || relativePath.find('\0') != std::string::npos)
        return false;
    std::size_t start = 0;
    while (start <= relativePath.size()) {
        std::size_t end = relativePath.find('/', start);
        if (end == std::string::npos)
            end = relativePath.size();
        const std::string piece = relativePath.substr(start, end - start);
        if (piece == ".." || piece == ".")
            return false;
        start = end + 1;
    }
    return true;
}

static std::string Extension(const std::string &path)
{
    const std::size_t dot = path.rfind('.');
    const std::size_t slash = path.rfind('/');
    if (dot == std::string::npos || (slash != std::string::npos && dot < slash))
        return {};
    return path.substr(dot + 1);
}

std::string Site::ContentType(const std::string &relativePath)
{
    const std::string ext = Extension(relativePath);
    if (ext == "html" || ext == "htm")
        return "text/html; charset=utf-8";
    if (ext == "xml")
        return "text/xml; charset=utf-8";
    if (ext == "css")
        return "text/css; charset=utf-8";
    if (ext == "js")
        return "application/javascript; charset=utf-8";
    if (ext == "svg")
        return "image/svg+xml";
    if (ext == "png")
        return "image/png";
    if (ext == "ico")
        return "image/x-icon";
    if (ext == "jpg" || ext == "jpeg")
        return "image/jpeg";
    if (ext == "sh")
        return "application/x-sh";
    return "text/plain; charset=utf-8";
}

bool Site::IsText(const std::string &relativePath)
{
    const std::string ext = Extension(relativePath);
    return ext == "html" || ext == "htm" || ext == "xml" || ext == "css" || ext == "js" || ext == "svg"
        || ext == "txt" || ext == "sh";
}

std::optional<std::string> Site::ReadRaw(const std::string &relativePath, std::time_t *modified) const
{
    if (!IsSafePath(relativePath))
        return std::nullopt;
    const std::string path = m_folder + relativePath;
    struct stat info { };
    if (::stat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode))
        return std::nullopt;
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return std::nullopt;
    std::ostringstream bytes;
    bytes << in.rdbuf();
    if (modified)
        *modified = info.st_mtime;
    return bytes.str();
}

std::string Site::FillTokens(std::string text, std::time_t *modified) const
{
    ReplaceAll(text, "@BASE@", m_base);
    static const std::string kCrcToken = "@CRC32:";
    std::size_t pos = 0;
    while ((pos = text.find(kCrcToken, pos)) != std::string::npos) {
        const std::size_t end = text.find('@', pos + kCrcToken.size());
        if (end == std::string::npos)
            break;
        const std::string target = text.substr(pos + kCrcToken.size(), end - pos - kCrcToken.size());
        std::time_t targetModified = 0;
        const std::optional<std::string> bytes = ReadRaw(target, &targetModified);
        // The document changes when a file it names the checksum of changes.
        if (targetModified > *modified)
            *modified = targetModified;
        // A missing file gives the checksum of nothing, which the client will reject loudly enough.
        const std::string data = bytes.value_or(std::string());
        const uLong crc = crc32(crc32(0L, Z_NULL, 0), reinterpret_cast<const Bytef *>(data.data()),
                                static_cast<uInt>(data.size()));
        const std::string value = std::to_string(static_cast<unsigned long>(crc));
        text.replace(pos, end + 1 - pos, value);
        pos += value.size();
    }
    return text;
}

std::optional<SiteFile> Site::Read(const std::string &relativePath) const
{
    SiteFile file;
    std::optional<std::string> raw = ReadRaw(relativePath, &file.modified);
    if (!raw)
        return std::nullopt;
    file.content = IsText(relativePath) ? FillTokens(std::move(*raw), &file.modified) : std::move(*raw);
    return file;
}

} // namespace tavrin::publisher
