#include "platform/win/Com.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/rtl/FileName.h"
#include "platform/win/FileChangeHook.h"
#include "platform/win/Files.h"
#include "platform/win/Machine.h"
#include "platform/win/ShellLinkFile.h"

bool operator==(const GUID& a, const GUID& b)
{
    return a.Data1 == b.Data1 && a.Data2 == b.Data2 && a.Data3 == b.Data3 &&
           std::memcmp(a.Data4, b.Data4, 8) == 0;
}

const CLSID CLSID_ShellLink = {0x00021401, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IUnknown = {0x00000000, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IShellLinkA = {0x000214EE, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IPersist = {0x0000010C, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};
const IID IID_IPersistFile = {0x0000010B, 0x0000, 0x0000, {0xC0, 0, 0, 0, 0, 0, 0, 0x46}};

namespace {

thread_local int tInitCount = 0;
std::atomic<long> gLiveObjects{0};

std::u16string WideFrom(LPCOLESTR s)
{
    std::u16string r;
    if (s)
        while (*s) r += *s++;
    return r;
}

HRESULT CopyString(const std::string& s, char* buf, int cch)
{
    if (!buf || cch <= 0) return E_INVALIDARG;
    size_t n = std::min(s.size(), static_cast<size_t>(cch - 1));
    std::memcpy(buf, s.data(), n);
    buf[n] = '\0';
    return S_OK;
}

uint64_t ToFileTime(const struct statx_timestamp& t)
{
    constexpr int64_t kEpochDiff = 11644473600LL;  // seconds from 1601 to 1970
    int64_t secs = t.tv_sec + kEpochDiff;
    if (secs < 0) return 0;
    return static_cast<uint64_t>(secs) * 10000000ULL + t.tv_nsec / 100;
}

// Serial number of a drive: a stable hash of its host root, so links made on one
// machine agree.
uint32_t DriveSerial(char letter)
{
    uint32_t h = 2166136261u;
    for (unsigned char c : Machine::DriveRoot(letter)) h = (h ^ c) * 16777619u;
    return h;
}

class ShellLink final : public IShellLinkA, public IPersistFile {
public:
    ShellLink() { ++gLiveObjects; }

    HRESULT QueryInterface(const IID& riid, void** ppv) override
    {
        if (!ppv) return E_POINTER;
        *ppv = nullptr;
        if (riid == IID_IUnknown || riid == IID_IShellLinkA)
            *ppv = static_cast<IShellLinkA*>(this);
        else if (riid == IID_IPersist || riid == IID_IPersistFile)
            *ppv = static_cast<IPersistFile*>(this);
        else
            return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG AddRef() override { return ++refs_; }
    ULONG Release() override
    {
        ULONG r = --refs_;
        if (r == 0) delete this;
        return r;
    }

    // IShellLinkA
    HRESULT GetPath(char* pszFile, int cch, void*, DWORD) override { return CopyString(path_, pszFile, cch); }
    HRESULT GetIDList(LPITEMIDLIST* ppidl) override
    {
        if (!ppidl) return E_POINTER;
        *ppidl = nullptr;
        return S_FALSE;
    }
    HRESULT SetIDList(LPCITEMIDLIST) override { return E_NOTIMPL; }
    HRESULT GetDescription(char* s, int cch) override { return CopyString(data_.Description, s, cch); }
    HRESULT SetDescription(const char* s) override { return Set(data_.Description, s); }
    HRESULT GetWorkingDirectory(char* s, int cch) override { return CopyString(data_.WorkingDir, s, cch); }
    HRESULT SetWorkingDirectory(const char* s) override { return Set(data_.WorkingDir, s); }
    HRESULT GetArguments(char* s, int cch) override { return CopyString(data_.Arguments, s, cch); }
    HRESULT SetArguments(const char* s) override { return Set(data_.Arguments, s); }
    HRESULT GetHotkey(WORD* p) override
    {
        if (!p) return E_POINTER;
        *p = data_.HotKey;
        return S_OK;
    }
    HRESULT SetHotkey(WORD w) override
    {
        data_.HotKey = w;
        dirty_ = true;
        return S_OK;
    }
    HRESULT GetShowCmd(int* p) override
    {
        if (!p) return E_POINTER;
        *p = static_cast<int>(data_.ShowCommand);
        return S_OK;
    }
    HRESULT SetShowCmd(int v) override
    {
        data_.ShowCommand = static_cast<uint32_t>(v);
        dirty_ = true;
        return S_OK;
    }
    HRESULT GetIconLocation(char* s, int cch, int* piIcon) override
    {
        if (piIcon) *piIcon = data_.IconIndex;
        return CopyString(data_.IconLocation, s, cch);
    }
    HRESULT SetIconLocation(const char* s, int iIcon) override
    {
        data_.IconIndex = iIcon;
        return Set(data_.IconLocation, s);
    }
    HRESULT SetRelativePath(const char* s, DWORD) override { return Set(data_.RelativePath, s); }
    HRESULT Resolve(HWND, DWORD) override { return S_OK; }
    HRESULT SetPath(const char* s) override { return Set(path_, s); }

    // IPersistFile
    HRESULT GetClassID(CLSID* p) override
    {
        if (!p) return E_POINTER;
        *p = CLSID_ShellLink;
        return S_OK;
    }
    HRESULT IsDirty() override { return dirty_ ? S_OK : S_FALSE; }
    HRESULT Load(LPCOLESTR name, DWORD) override;
    HRESULT Save(LPCOLESTR name, BOOL fRemember) override;
    HRESULT SaveCompleted(LPCOLESTR) override { return S_OK; }
    HRESULT GetCurFile(LPOLESTR* pp) override
    {
        if (!pp) return E_POINTER;
        std::u16string w = AnsiToWide(curFile_);
        auto* buf = static_cast<WCHAR*>(CoTaskMemAlloc((w.size() + 1) * sizeof(WCHAR)));
        if (!buf) return E_OUTOFMEMORY;
        std::memcpy(buf, w.c_str(), (w.size() + 1) * sizeof(WCHAR));
        *pp = buf;
        return curFile_.empty() ? S_FALSE : S_OK;
    }

private:
    ~ShellLink() override { --gLiveObjects; }

    HRESULT Set(std::string& field, const char* s)
    {
        field = s ? s : "";
        dirty_ = true;
        return S_OK;
    }

    // Attributes, times and size of the target as they are now.
    void FillTargetFacts(ShellLinkData& d, const std::string& winPath) const
    {
        d.FileAttributes = 0;
        d.CreationTime = d.AccessTime = d.WriteTime = 0;
        d.FileSize = 0;
        std::string host;
        DWORD err = 0;
        if (!Machine::ToHostPath(winPath, host, err)) return;
        struct statx st{};
        if (statx(AT_FDCWD, host.c_str(), 0, STATX_BASIC_STATS | STATX_BTIME, &st) != 0) return;
        const DWORD attrs = GetFileAttributesA(winPath);
        if (attrs != INVALID_FILE_ATTRIBUTES) {
            d.FileAttributes = attrs;
        } else {
            d.FileAttributes = S_ISDIR(st.stx_mode) ? FILE_ATTRIBUTE_DIRECTORY : FILE_ATTRIBUTE_ARCHIVE;
        }
        d.WriteTime = ToFileTime(st.stx_mtime);
        d.AccessTime = ToFileTime(st.stx_atime);
        d.CreationTime = (st.stx_mask & STATX_BTIME) ? ToFileTime(st.stx_btime) : d.WriteTime;
        d.FileSize = S_ISDIR(st.stx_mode) ? 0 : static_cast<uint32_t>(st.stx_size);
    }

    std::atomic<ULONG> refs_{1};
    std::string path_;
    std::string curFile_;
    ShellLinkData data_;
    bool dirty_ = false;
};

// Writes bytes to host as one whole file: temporary beside it, then rename, so a failed
// save never leaves half a shortcut behind.
HRESULT WriteFileWhole(const std::string& host, const std::string& bytes)
{
    // A short name beside the target: the target's own name may already be as long as
    // the host allows.
    static std::atomic<unsigned> counter{0};
    const std::string tmp = host.substr(0, host.rfind('/')) + "/.lnk~" + std::to_string(getpid()) + "~" +
                            std::to_string(counter.fetch_add(1)) + ".tmp";
    int fd = open(tmp.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) return HRESULT_FROM_WIN32(ErrnoToWinError(errno));
    size_t off = 0;
    int err = 0;
    while (off < bytes.size()) {
        ssize_t n = write(fd, bytes.data() + off, bytes.size() - off);
        if (n < 0) {
            if (errno == EINTR) continue;
            err = errno;
            break;
        }
        off += static_cast<size_t>(n);
    }
    if (close(fd) != 0 && !err) err = errno;
    if (!err && rename(tmp.c_str(), host.c_str()) != 0) err = errno;
    if (err) {
        unlink(tmp.c_str());
        return HRESULT_FROM_WIN32(ErrnoToWinError(err));
    }
    return S_OK;
}

HRESULT ShellLink::Save(LPCOLESTR name, BOOL fRemember)
{
    if (!name) return E_INVALIDARG;
    const std::string file = WideToAnsi(WideFrom(name));
    std::string host;
    DWORD err = 0;
    if (file.empty() || !Machine::ToHostPath(file, host, err))
        return err == ERROR_PATH_NOT_FOUND ? STG_E_PATHNOTFOUND : HRESULT_FROM_WIN32(err ? err : ERROR_INVALID_NAME);
    struct stat st{};
    const std::string dir = host.substr(0, host.rfind('/'));
    if (stat(dir.c_str(), &st) != 0 || !S_ISDIR(st.st_mode)) return STG_E_PATHNOTFOUND;
    if (stat(host.c_str(), &st) == 0 && (S_ISDIR(st.st_mode) || (st.st_mode & 0222) == 0)) return STG_E_ACCESSDENIED;

    ShellLinkData d = data_;
    d.LocalBasePath.clear();
    if (!path_.empty()) {
        std::string full;
        DWORD e = 0;
        d.LocalBasePath = Machine::NormalizePath(path_, full, e) ? full : path_;
        // An existing target is named as the file system spells it.
        std::string host;
        struct stat ts{};
        if (Machine::ToHostPath(d.LocalBasePath, host, e) && stat(host.c_str(), &ts) == 0)
            d.LocalBasePath = Machine::FromHostPath(host);
        FillTargetFacts(d, d.LocalBasePath);
        d.DriveType = 3;
        d.DriveSerialNumber = DriveSerial(d.LocalBasePath.empty() ? 'C' : d.LocalBasePath[0]);
    }
    HRESULT hr = WriteFileWhole(host, BuildShellLink(d));
    if (hr == S_OK) {
        if (fRemember) curFile_ = file;
        dirty_ = false;
        NotifyFileChange(FileChange::Created, file);
    }
    return hr;
}

HRESULT ShellLink::Load(LPCOLESTR name, DWORD)
{
    if (!name) return E_INVALIDARG;
    const std::string file = WideToAnsi(WideFrom(name));
    std::string host;
    DWORD err = 0;
    if (!Machine::ToHostPath(file, host, err)) return HRESULT_FROM_WIN32(err);
    int fd = open(host.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return errno == ENOENT ? STG_E_FILENOTFOUND : HRESULT_FROM_WIN32(ErrnoToWinError(errno));
    std::string bytes;
    char buf[8192];
    ssize_t n;
    // Shortcut files are small; anything over 1 MiB is not one.
    while ((n = read(fd, buf, sizeof buf)) > 0 && bytes.size() < (1u << 20)) bytes.append(buf, static_cast<size_t>(n));
    close(fd);
    ShellLinkData d;
    std::string why;
    if (n < 0 || !ParseShellLink(bytes, d, why)) return E_FAIL;
    data_ = d;
    path_ = d.LocalBasePath;
    curFile_ = file;
    dirty_ = false;
    return S_OK;
}

}  // namespace

HRESULT CoInitialize(void*)
{
    return tInitCount++ == 0 ? S_OK : S_FALSE;
}

void CoUninitialize()
{
    if (tInitCount > 0) --tInitCount;
}

HRESULT CoCreateInstance(const CLSID& rclsid, IUnknown* pUnkOuter, DWORD dwClsContext, const IID& riid, void** ppv)
{
    if (!ppv) return E_POINTER;
    *ppv = nullptr;
    if (tInitCount == 0) return CO_E_NOTINITIALIZED;
    if (rclsid != CLSID_ShellLink || (dwClsContext & CLSCTX_INPROC_SERVER) == 0) return REGDB_E_CLASSNOTREG;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    auto* obj = new ShellLink;
    IShellLinkA* unk = obj;
    HRESULT hr = unk->QueryInterface(riid, ppv);
    unk->Release();  // the creation reference; the object lives on through *ppv when hr is S_OK
    return hr;
}

void* CoTaskMemAlloc(size_t cb) { return std::malloc(cb ? cb : 1); }

void CoTaskMemFree(void* pv) { std::free(pv); }

long ComLiveObjectCount() { return gLiveObjects.load(); }
