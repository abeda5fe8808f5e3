#include "tools/lzdpack/HostNames.h"

#include <cctype>
#include <filesystem>

#include "platform/rtl/StrUtils.h"
#include "platform/win/FileStream.h"
#include "platform/win/Machine.h"
#include "tools/lzdpack/CommandLine.h"

namespace {

bool SameAscii(const std::string& s, size_t at, const std::string& prefix)
{
    if (s.size() - at < prefix.size()) return false;
    for (size_t i = 0; i < prefix.size(); ++i) {
        unsigned char a = static_cast<unsigned char>(s[at + i]), b = static_cast<unsigned char>(prefix[i]);
        if (a != b && (a >= 0x80 || b >= 0x80 || std::tolower(a) != std::tolower(b))) return false;
    }
    return true;
}

// Where a path written into a message ends: names hold no '"', ':' or line breaks
// (Windows refuses them), and messages go on with ". ", ": ", " (" ... ")" or end.
size_t PathEnd(const std::string& s, size_t at)
{
    for (; at < s.size(); ++at) {
        char c = s[at];
        if (c == '"' || c == ':' || c == '\r' || c == '\n' || c == ')') break;
        if (c == '.' && (at + 1 == s.size() || s[at + 1] == ' ' || s[at + 1] == '\r')) break;
    }
    return at;
}

std::string Slashes(std::string s)
{
    for (char& c : s)
        if (c == '\\') c = '/';
    return s;
}

}  // namespace

std::string THostNames::Win(const std::string& host) { return Win(host, host); }

std::string THostNames::Win(const std::string& host, const std::string& shown)
{
    std::error_code ec;
    std::filesystem::path p = std::filesystem::absolute(host.empty() ? "." : host, ec);
    if (ec) throw UsageError("invalid path " + shown);
    std::string win = Machine::FromHostPath(p.lexically_normal().string());
    if (win.size() > 3 && win.back() == '\\') win.pop_back();
    std::string normal;
    DWORD err = 0;
    if (!Machine::NormalizePath(win, normal, err))
        throw Exception(shown + ": this name cannot be used (" + SysErrorMessage(err) + ")");
    names_.emplace_back(AnsiToUtf8(normal), shown);
    return normal;
}

std::string THostNames::Host(const std::string& win)
{
    std::string host;
    DWORD err = 0;
    if (!Machine::ToHostPath(win, host, err)) return {};
    return host;
}

std::string THostNames::Message(const std::string& ansi) const
{
    const std::string s = AnsiToUtf8(ansi);
    std::string out;
    for (size_t i = 0; i < s.size();) {
        bool drive = i + 2 < s.size() && std::isalpha(static_cast<unsigned char>(s[i])) && s[i + 1] == ':' && s[i + 2] == '\\' &&
                     (i == 0 || !std::isalnum(static_cast<unsigned char>(s[i - 1])));
        if (!drive) {
            out += s[i++];
            continue;
        }
        // The longest remembered name that the path starts with, whole components only.
        const std::pair<std::string, std::string>* best = nullptr;
        for (const auto& n : names_) {
            if (!SameAscii(s, i, n.first)) continue;
            size_t after = i + n.first.size();
            bool whole = n.first.back() == '\\' || after == s.size() || s[after] == '\\' || PathEnd(s, after) == after;
            if (whole && (!best || n.first.size() > best->first.size())) best = &n;
        }
        size_t end = PathEnd(s, i + 3);
        if (best) {
            size_t restAt = i + best->first.size();
            if (restAt < end && s[restAt] == '\\') ++restAt;
            std::string rest = restAt < end ? Slashes(s.substr(restAt, end - restAt)) : std::string();
            std::string shown = best->second;
            if (rest.empty())
                out += shown.empty() ? "." : shown;
            else if (shown.empty())
                out += rest;
            else
                out += shown + (shown.back() == '/' ? "" : "/") + rest;
        } else if (s[i] == 'Z' || s[i] == 'z') {
            out += '/';
            out += Slashes(s.substr(i + 3, end - i - 3));
        } else {
            out += s.substr(i, end - i);
        }
        i = end;
    }
    return out;
}
