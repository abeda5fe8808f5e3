#include "product/tessaly/Engine.h"

#include <dlfcn.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tessaly {

struct Engine::Functions {
    decltype(&tsly_abi_version) abi_version = nullptr;
    decltype(&tsly_version) version = nullptr;
    decltype(&tsly_tiling_count) tiling_count = nullptr;
    decltype(&tsly_tiling_name) tiling_name = nullptr;
    decltype(&tsly_tiling_symbol) tiling_symbol = nullptr;
    decltype(&tsly_shape_count) shape_count = nullptr;
    decltype(&tsly_colour_count) colour_count = nullptr;
    decltype(&tsly_shape_name) shape_name = nullptr;
    decltype(&tsly_tiles_in_rect) tiles_in_rect = nullptr;
    decltype(&tsly_tiles_count) tiles_count = nullptr;
    decltype(&tsly_tiles_get) tiles_get = nullptr;
    decltype(&tsly_tiles_free) tiles_free = nullptr;
};

namespace {

// Closes a descriptor on every path.
struct Fd {
    int fd = -1;
    ~Fd()
    {
        if (fd >= 0) close(fd);
    }
};

}  // namespace

std::unique_ptr<Engine> Engine::Load(const std::string& hostPath, const EngineIdentity& expected, std::string& message)
{
    const std::string dir = hostPath.substr(0, hostPath.rfind('/') == std::string::npos ? 0 : hostPath.rfind('/'));
    std::string bytes, reason;
    EngineProblem problem = ReadEngineFile(hostPath, expected, bytes, reason);
    if (problem != EngineProblem::None) {
        message = EngineProblemMessage(problem, dir, reason);
        return nullptr;
    }
    // The loader maps a private copy of exactly the bytes just checked, so a file
    // replaced in between cannot slip past the check.
    Fd mem;
    mem.fd = memfd_create("tsly.dll", MFD_CLOEXEC);
    size_t written = 0;
    while (mem.fd >= 0 && written < bytes.size()) {
        const ssize_t n = write(mem.fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        written += static_cast<size_t>(n);
    }
    if (mem.fd < 0 || written != bytes.size()) {
        message = EngineProblemMessage(EngineProblem::Damaged, dir,
                                       std::string("it cannot be loaded (") + std::strerror(errno) + ")");
        return nullptr;
    }
    const std::string loadPath = "/proc/self/fd/" + std::to_string(mem.fd);
    std::unique_ptr<Engine> e(new Engine);
    e->handle_ = dlopen(loadPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!e->handle_) {
        const char* why = dlerror();
        message = EngineProblemMessage(EngineProblem::Damaged, dir,
                                       std::string("the system cannot load it (") + (why ? why : "unknown reason") + ")");
        return nullptr;
    }
    e->fn_ = std::make_unique<Functions>();
    Functions& f = *e->fn_;
    struct Entry {
        const char* name;
        void** slot;
    };
    const Entry entries[] = {
        {"tsly_abi_version", reinterpret_cast<void**>(&f.abi_version)},
        {"tsly_version", reinterpret_cast<void**>(&f.version)},
        {"tsly_tiling_count", reinterpret_cast<void**>(&f.tiling_count)},
        {"tsly_tiling_name", reinterpret_cast<void**>(&f.tiling_name)},
        {"tsly_tiling_symbol", reinterpret_cast<void**>(&f.tiling_symbol)},
        {"tsly_shape_count", reinterpret_cast<void**>(&f.shape_count)},
        {"tsly_colour_count", reinterpret_cast<void**>(&f.colour_count)},
        {"tsly_shape_name", reinterpret_cast<void**>(&f.shape_name)},
        {"tsly_tiles_in_rect", reinterpret_cast<void**>(&f.tiles_in_rect)},
        {"tsly_tiles_count", reinterpret_cast<void**>(&f.tiles_count)},
        {"tsly_tiles_get", reinterpret_cast<void**>(&f.tiles_get)},
        {"tsly_tiles_free", reinterpret_cast<void**>(&f.tiles_free)},
    };
    for (const Entry& en : entries) {
        *en.slot = dlsym(e->handle_, en.name);
        if (!*en.slot) {
            message = EngineProblemMessage(EngineProblem::Damaged, dir, std::string("it lacks the function ") + en.name);
            return nullptr;
        }
    }
    if (f.abi_version() != TSLY_ABI_VERSION) {
        message = EngineProblemMessage(EngineProblem::Damaged, dir,
                                       "it offers version " + std::to_string(f.abi_version()) +
                                           " of the engine interface, and Tessaly needs version " +
                                           std::to_string(TSLY_ABI_VERSION));
        return nullptr;
    }
    if (f.tiling_count() <= 0) {
        message = EngineProblemMessage(EngineProblem::Damaged, dir, "it knows no tilings");
        return nullptr;
    }
    return e;
}

Engine::~Engine()
{
    if (handle_) dlclose(handle_);
}

std::string Engine::Version() const { return fn_->version(); }
int Engine::TilingCount() const { return fn_->tiling_count(); }

std::string Engine::TilingName(int tiling) const
{
    const char* s = fn_->tiling_name(tiling);
    return s ? s : "";
}

std::string Engine::TilingSymbol(int tiling) const
{
    const char* s = fn_->tiling_symbol(tiling);
    return s ? s : "";
}

int Engine::ShapeCount(int tiling) const { return fn_->shape_count(tiling); }
int Engine::ColourCount(int tiling) const { return fn_->colour_count(tiling); }

std::string Engine::ShapeName(int tiling, int shape) const
{
    const char* s = fn_->shape_name(tiling, shape);
    return s ? s : "";
}

int Engine::TilesIn(int tiling, double x0, double y0, double x1, double y1, size_t maxTiles,
                    std::vector<EngineTile>& out) const
{
    out.clear();
    tsly_tiles* list = nullptr;
    const int rc = fn_->tiles_in_rect(tiling, x0, y0, x1, y1, maxTiles, &list);
    if (rc != TSLY_OK) return rc;
    const size_t n = fn_->tiles_count(list);
    out.reserve(n);
    for (size_t i = 0; i < n; ++i) {
        tsly_tile t{};
        if (fn_->tiles_get(list, i, &t) != TSLY_OK) continue;
        out.push_back({t.shape, t.colour, std::vector<tsly_point>(t.vertices, t.vertices + t.vertex_count)});
    }
    fn_->tiles_free(list);
    return TSLY_OK;
}

}  // namespace tessaly
