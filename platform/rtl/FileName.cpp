#include "platform/rtl/FileName.h"

namespace {

// Index just past the last '\', '/' or ':', or 0.
size_t NameStart(std::string_view name)
{
    size_t i = name.size();
    while (i > 0 && !IsPathDelimiter(name[i - 1]) && name[i - 1] != ':') --i;
    return i;
}

}  // namespace

bool IsPathDelimiter(char c)
{
    return c == '\\' || c == '/';
}

std::string ExtractFilePath(std::string_view name)
{
    return std::string(name.substr(0, NameStart(name)));
}

std::string ExtractFileDir(std::string_view name)
{
    size_t i = NameStart(name);
    // Drop the separator unless it is the root's ("C:\") or the path is just "\".
    if (i > 0 && IsPathDelimiter(name[i - 1]) && i > 1 && name[i - 2] != ':' && !IsPathDelimiter(name[i - 2]))
        --i;
    return std::string(name.substr(0, i));
}

std::string ExtractFileName(std::string_view name)
{
    return std::string(name.substr(NameStart(name)));
}

std::string ExtractFileExt(std::string_view name)
{
    size_t start = NameStart(name);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < start) return {};
    return std::string(name.substr(dot));
}

std::string ExtractFileDrive(std::string_view name)
{
    if (name.size() >= 2 && name[1] == ':') return std::string(name.substr(0, 2));
    if (name.size() >= 2 && IsPathDelimiter(name[0]) && IsPathDelimiter(name[1])) {
        // \\server\share
        size_t i = 2;
        int parts = 0;
        while (i < name.size()) {
            if (IsPathDelimiter(name[i]) && ++parts == 2) break;
            ++i;
        }
        return std::string(name.substr(0, i));
    }
    return {};
}

std::string ChangeFileExt(std::string_view name, std::string_view ext)
{
    size_t start = NameStart(name);
    size_t dot = name.rfind('.');
    if (dot == std::string_view::npos || dot < start) dot = name.size();
    return std::string(name.substr(0, dot)) + std::string(ext);
}

std::string IncludeTrailingBackslash(std::string_view s)
{
    std::string r(s);
    if (r.empty() || !IsPathDelimiter(r.back())) r += '\\';
    return r;
}

std::string ExcludeTrailingBackslash(std::string_view s)
{
    std::string r(s);
    if (!r.empty() && IsPathDelimiter(r.back())) r.pop_back();
    return r;
}
