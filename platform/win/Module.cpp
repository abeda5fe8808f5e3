#include "platform/win/Module.h"

#include <atomic>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/classes/Resources.h"
#include "platform/win/Files.h"
#include "platform/win/PeResources.h"

const HINSTANCE HInstance = 0x400000;

namespace {

struct Modules {
    std::mutex lock;
    std::map<HMODULE, std::shared_ptr<const TPeResources>> loaded;
    // Data-file handles are odd, as the platform marks them, and never repeat.
    HMODULE next = 0x10000001;
};

Modules& TheModules()
{
    static Modules* m = new Modules;
    return *m;
}

std::atomic<UINT> g_errorMode{0};

struct HandleCloser {
    HANDLE h;
    ~HandleCloser()
    {
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
};

}  // namespace

HMODULE LoadLibraryExA(const std::string& FileName, HANDLE File, DWORD Flags)
{
    if (File != 0) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    if (!(Flags & (LOAD_LIBRARY_AS_DATAFILE | LOAD_LIBRARY_AS_DATAFILE_EXCLUSIVE | LOAD_LIBRARY_AS_IMAGE_RESOURCE))) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return 0;
    }
    HandleCloser f{CreateFileA(FileName, GENERIC_READ, FILE_SHARE_READ, OPEN_EXISTING, 0)};
    if (f.h == INVALID_HANDLE_VALUE) return 0;  // the open error stays set
    int64_t size = 0;
    if (!GetFileSizeEx(f.h, &size)) return 0;
    std::vector<uint8_t> image;
    try {
        image.resize(static_cast<size_t>(size));
    } catch (const std::bad_alloc&) {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return 0;
    }
    size_t done = 0;
    while (done < image.size()) {
        DWORD chunk = static_cast<DWORD>(std::min<size_t>(image.size() - done, 1u << 30));
        DWORD got = 0;
        if (!ReadFile(f.h, image.data() + done, chunk, &got)) return 0;
        if (got == 0) {
            SetLastError(ERROR_HANDLE_EOF);
            return 0;
        }
        done += got;
    }
    std::shared_ptr<const TPeResources> pe;
    try {
        pe = std::make_shared<const TPeResources>(std::move(image));
    } catch (const EPeFormatError&) {
        SetLastError(ERROR_BAD_EXE_FORMAT);
        return 0;
    }
    Modules& m = TheModules();
    std::lock_guard<std::mutex> g(m.lock);
    HMODULE h = m.next;
    m.next += 0x10000;
    m.loaded[h] = std::move(pe);
    SetLastError(ERROR_SUCCESS);
    return h;
}

BOOL FreeLibrary(HMODULE Module)
{
    Modules& m = TheModules();
    std::lock_guard<std::mutex> g(m.lock);
    if (m.loaded.erase(Module) == 0) {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE_;
    }
    return TRUE_;
}

int LoadStringA(HINSTANCE Instance, UINT Id, char* Buffer, int BufferMax)
{
    if (!Buffer || BufferMax < 1) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return 0;
    }
    Buffer[0] = '\0';
    std::string text;
    bool found;
    if (Instance == 0 || Instance == HInstance) {
        found = FindResString(Id, text) && !text.empty();
    } else {
        std::shared_ptr<const TPeResources> pe;
        {
            Modules& m = TheModules();
            std::lock_guard<std::mutex> g(m.lock);
            auto it = m.loaded.find(Instance);
            if (it != m.loaded.end()) pe = it->second;
        }
        if (!pe) {
            SetLastError(ERROR_INVALID_HANDLE);
            return 0;
        }
        std::u16string wide;
        found = pe->FindString(Id, wide);
        if (found) text = WideToAnsi(wide);
    }
    if (!found) {
        SetLastError(ERROR_RESOURCE_NAME_NOT_FOUND);
        return 0;
    }
    size_t n = std::min(text.size(), static_cast<size_t>(BufferMax - 1));
    std::memcpy(Buffer, text.data(), n);
    Buffer[n] = '\0';
    return static_cast<int>(n);
}

UINT SetErrorMode(UINT Mode)
{
    return g_errorMode.exchange(Mode);
}

UINT GetErrorMode()
{
    return g_errorMode.load();
}
