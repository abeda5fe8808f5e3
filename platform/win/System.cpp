#include "platform/win/System.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <thread>
#include <vector>

#include "platform/rtl/FileName.h"
#include "platform/rtl/StrUtils.h"
#include "platform/win/Machine.h"

namespace {

UINT CopyOut(const std::string& s, char* buf, UINT size)
{
    const UINT need = static_cast<UINT>(s.size() + 1);
    if (!buf || size < need) return need;
    std::memcpy(buf, s.c_str(), need);
    return need - 1;
}

// Unicode to Windows-1252; 0 for characters the code page lacks (and for U+0000).
int UnicodeToAnsi(char32_t cp)
{
    if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
    for (int c = 0x80; c <= 0x9F; ++c)
        if (AnsiCharToUnicode(static_cast<unsigned char>(c)) == cp) return c;
    return -1;
}

// Decodes one UTF-8 sequence at s[i]; returns false for an invalid one (i advances by 1).
bool DecodeUtf8(const unsigned char* s, size_t n, size_t& i, char32_t& cp)
{
    unsigned char c = s[i];
    int len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
    if (len == 0 || i + static_cast<size_t>(len) > n) {
        ++i;
        return false;
    }
    if (len == 1) {
        cp = c;
        ++i;
        return true;
    }
    cp = c & (0x7F >> len);
    for (int k = 1; k < len; ++k) {
        unsigned char d = s[i + static_cast<size_t>(k)];
        if ((d & 0xC0) != 0x80) {
            ++i;
            return false;
        }
        cp = (cp << 6) | (d & 0x3F);
    }
    static const char32_t kMin[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (cp < kMin[len] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
        ++i;
        return false;
    }
    i += static_cast<size_t>(len);
    return true;
}

bool IsAnsiPage(UINT cp) { return cp == CP_ACP || cp == 1252 || cp == CP_OEMCP || cp == 3 /* CP_THREAD_ACP */; }

}  // namespace

UINT GetWindowsDirectoryA(char* lpBuffer, UINT uSize) { return CopyOut(Machine::WindowsDir(), lpBuffer, uSize); }

UINT GetSystemDirectoryA(char* lpBuffer, UINT uSize) { return CopyOut(Machine::SystemDir(), lpBuffer, uSize); }

DWORD GetTempPathA(DWORD nBufferLength, char* lpBuffer)
{
    return CopyOut(IncludeTrailingBackslash(Machine::TempDir()), lpBuffer, nBufferLength);
}

namespace {
TSleepHook& SleepHook()
{
    static TSleepHook hook;
    return hook;
}
}  // namespace

TSleepHook SetSleepHook(TSleepHook Hook)
{
    TSleepHook old = std::move(SleepHook());
    SleepHook() = std::move(Hook);
    return old;
}

void Sleep(DWORD dwMilliseconds)
{
    if (const TSleepHook& hook = SleepHook()) {
        hook(dwMilliseconds);
        return;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(dwMilliseconds));
}

int MultiByteToWideChar(UINT CodePage, DWORD dwFlags, const char* lpMultiByteStr, int cbMultiByte,
                        WCHAR* lpWideCharStr, int cchWideChar)
{
    if (!lpMultiByteStr || cbMultiByte == 0 || cchWideChar < 0 || (cchWideChar > 0 && !lpWideCharStr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    const size_t n = cbMultiByte < 0 ? std::strlen(lpMultiByteStr) + 1 : static_cast<size_t>(cbMultiByte);
    const auto* s = reinterpret_cast<const unsigned char*>(lpMultiByteStr);
    std::u16string out;
    if (IsAnsiPage(CodePage)) {
        for (size_t i = 0; i < n; ++i) out += static_cast<char16_t>(AnsiCharToUnicode(s[i]));
    } else if (CodePage == CP_UTF8) {
        for (size_t i = 0; i < n;) {
            char32_t cp = 0;
            if (!DecodeUtf8(s, n, i, cp)) {
                if (dwFlags & MB_ERR_INVALID_CHARS) {
                    SetLastError(ERROR_NO_UNICODE_TRANSLATION);
                    return 0;
                }
                cp = 0xFFFD;
            }
            if (cp >= 0x10000) {
                cp -= 0x10000;
                out += static_cast<char16_t>(0xD800 + (cp >> 10));
                out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
            } else {
                out += static_cast<char16_t>(cp);
            }
        }
    } else {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (cchWideChar == 0) return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(cchWideChar)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpWideCharStr, out.data(), out.size() * sizeof(WCHAR));
    return static_cast<int>(out.size());
}

int WideCharToMultiByte(UINT CodePage, DWORD, const WCHAR* lpWideCharStr, int cchWideChar, char* lpMultiByteStr,
                        int cbMultiByte, const char* lpDefaultChar, BOOL* lpUsedDefaultChar)
{
    if (!lpWideCharStr || cchWideChar == 0 || cbMultiByte < 0 || (cbMultiByte > 0 && !lpMultiByteStr)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    size_t n = 0;
    if (cchWideChar < 0) {
        while (lpWideCharStr[n]) ++n;
        ++n;
    } else {
        n = static_cast<size_t>(cchWideChar);
    }
    if (lpUsedDefaultChar) *lpUsedDefaultChar = FALSE_;
    std::string out;
    for (size_t i = 0; i < n; ++i) {
        char32_t cp = lpWideCharStr[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < n && lpWideCharStr[i + 1] >= 0xDC00 &&
            lpWideCharStr[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (lpWideCharStr[i + 1] - 0xDC00);
            ++i;
        }
        if (IsAnsiPage(CodePage)) {
            int c = UnicodeToAnsi(cp);
            if (c < 0) {
                out += lpDefaultChar ? *lpDefaultChar : '?';
                if (lpUsedDefaultChar) *lpUsedDefaultChar = TRUE_;
            } else {
                out += static_cast<char>(c);
            }
        } else if (CodePage == CP_UTF8) {
            if (cp >= 0xD800 && cp <= 0xDFFF) cp = 0xFFFD;
            AppendUtf8(out, cp);
        } else {
            SetLastError(ERROR_INVALID_PARAMETER);
            return 0;
        }
    }
    if (cbMultiByte == 0) return static_cast<int>(out.size());
    if (out.size() > static_cast<size_t>(cbMultiByte)) {
        SetLastError(ERROR_INSUFFICIENT_BUFFER);
        return 0;
    }
    std::memcpy(lpMultiByteStr, out.data(), out.size());
    return static_cast<int>(out.size());
}

// --- WinExec --------------------------------------------------------------------------

namespace {

// Splits arguments as the C runtime of a Windows program does: blanks separate outside
// quotes; 2n backslashes before a quote give n and the quote toggles quoting; 2n+1 give n
// and a literal quote; other backslashes are literal.
std::vector<std::string> SplitArguments(std::string_view s)
{
    std::vector<std::string> args;
    size_t i = 0;
    while (true) {
        while (i < s.size() && (s[i] == ' ' || s[i] == '\t')) ++i;
        if (i >= s.size()) break;
        std::string arg;
        bool quoted = false;
        while (i < s.size() && (quoted || (s[i] != ' ' && s[i] != '\t'))) {
            if (s[i] == '\\') {
                size_t n = 0;
                while (i < s.size() && s[i] == '\\') ++n, ++i;
                if (i < s.size() && s[i] == '"') {
                    arg.append(n / 2, '\\');
                    if (n % 2) {
                        arg += '"';
                        ++i;
                    }
                } else {
                    arg.append(n, '\\');
                }
            } else if (s[i] == '"') {
                quoted = !quoted;
                ++i;
            } else {
                arg += s[i++];
            }
        }
        args.push_back(std::move(arg));
    }
    return args;
}

// Finds a candidate program file; fills host path or returns the error for it.
DWORD FindProgram(std::string name, std::string& host)
{
    if (ExtractFileExt(name).empty()) name += ".exe";
    std::vector<std::string> tries;
    const bool hasPath = name.find('\\') != std::string::npos || name.find('/') != std::string::npos ||
                         name.find(':') != std::string::npos;
    tries.push_back(name);
    if (!hasPath) {
        tries.push_back(Machine::SystemDir() + "\\" + name);
        tries.push_back(Machine::WindowsDir() + "\\" + name);
    }
    DWORD err = ERROR_FILE_NOT_FOUND;
    for (const auto& t : tries) {
        std::string h;
        DWORD e = 0;
        if (!Machine::ToHostPath(t, h, e)) {
            err = e == ERROR_INVALID_NAME ? ERROR_FILE_NOT_FOUND : e;
            continue;
        }
        struct stat st{};
        if (stat(h.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
            host = h;
            return ERROR_SUCCESS;
        }
        const std::string dir = h.substr(0, h.rfind('/'));
        struct stat ds{};
        err = (stat(dir.c_str(), &ds) == 0 && S_ISDIR(ds.st_mode)) ? ERROR_FILE_NOT_FOUND : ERROR_PATH_NOT_FOUND;
    }
    return err;
}

}  // namespace

UINT WinExec(const char* lpCmdLine, UINT)
{
    if (!lpCmdLine) return ERROR_FILE_NOT_FOUND;
    std::string_view line(lpCmdLine);
    while (!line.empty() && (line.front() == ' ' || line.front() == '\t')) line.remove_prefix(1);
    if (line.empty()) return ERROR_FILE_NOT_FOUND;

    std::string host;
    std::string_view rest;
    DWORD err = ERROR_FILE_NOT_FOUND;
    if (line.front() == '"') {
        size_t close = line.find('"', 1);
        std::string name(line.substr(1, close == std::string_view::npos ? std::string_view::npos : close - 1));
        rest = close == std::string_view::npos ? std::string_view{} : line.substr(close + 1);
        err = FindProgram(name, host);
    } else {
        // Unquoted: the shortest prefix ending at a blank that names a program.
        // The whole line's error is reported when no prefix names a program.
        size_t end = 0;
        bool first = true;
        while (true) {
            end = line.find(' ', end + (first ? 0 : 1));
            first = false;
            err = FindProgram(std::string(line.substr(0, end)), host);
            if (err == ERROR_SUCCESS) {
                rest = end == std::string_view::npos ? std::string_view{} : line.substr(end);
                break;
            }
            if (end == std::string_view::npos) break;
        }
    }
    if (err != ERROR_SUCCESS) return err;
    if (access(host.c_str(), X_OK) != 0) return ERROR_BAD_FORMAT;

    // Everything the child needs is prepared before fork: after it only async-signal-safe
    // calls are made.
    std::vector<std::string> args = SplitArguments(rest);
    std::vector<std::string> utf8;
    utf8.push_back(host);
    for (const auto& a : args) utf8.push_back(AnsiToUtf8(a));
    std::vector<char*> argv;
    for (auto& a : utf8) argv.push_back(a.data());
    argv.push_back(nullptr);
    std::string cwd;
    DWORD cwdErr = 0;
    if (!Machine::ToHostPath(Machine::CurrentDirectory(), cwd, cwdErr)) cwd = "/";

    int pfd[2];
    if (pipe2(pfd, O_CLOEXEC) != 0) return 0;
    pid_t pid = fork();
    if (pid < 0) {
        close(pfd[0]);
        close(pfd[1]);
        return 0;
    }
    if (pid == 0) {
        // Intermediate child: a new session, then the program in a grandchild so that it
        // is re-parented and never becomes our zombie.
        setsid();
        pid_t g = fork();
        if (g != 0) _exit(g < 0 ? 1 : 0);
        if (chdir(cwd.c_str()) != 0) {
            // keep the inherited directory
        }
        int nul = open("/dev/null", O_RDONLY);
        if (nul >= 0) dup2(nul, 0);
        execv(argv[0], argv.data());
        int e = errno;
        ssize_t w = write(pfd[1], &e, sizeof e);
        (void)w;
        _exit(127);
    }
    close(pfd[1]);
    int status = 0;
    while (waitpid(pid, &status, 0) < 0 && errno == EINTR) {
    }
    int childErr = 0;
    ssize_t n;
    while ((n = read(pfd[0], &childErr, sizeof childErr)) < 0 && errno == EINTR) {
    }
    close(pfd[0]);
    if (WIFEXITED(status) && WEXITSTATUS(status) != 0) return 0;
    if (n == static_cast<ssize_t>(sizeof childErr)) {
        if (childErr == ENOEXEC || childErr == EACCES) return ERROR_BAD_FORMAT;
        if (childErr == ENOENT) return ERROR_FILE_NOT_FOUND;
        return 0;
    }
    return 33;
}
