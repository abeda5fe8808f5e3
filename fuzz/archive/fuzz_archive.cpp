// Hostile archives: the header reader on raw bytes, then the whole component on a
// file (header, executable prefix, extraction with and without directory names).
// Whatever the bytes, nothing may crash, and nothing may be written outside the
// output directory.
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "archive/Lzh_btch.h"
#include "platform/classes/Filer.h"
#include "platform/win/Machine.h"
#include "platform/win/SysFiles.h"

namespace fs = std::filesystem;

namespace {

std::string g_root;

void CheckNothingOutside(const fs::path& drive)
{
    for (auto it = fs::recursive_directory_iterator(drive); it != fs::recursive_directory_iterator(); ++it) {
        std::string rel = fs::relative(it->path(), drive).generic_string();
        if (rel.rfind("WINDOWS", 0) == 0 || rel.rfind("Program Files", 0) == 0) continue;  // seeded
        if (rel == "in" || rel.rfind("in/", 0) == 0 || rel == "out" || rel == "out/x" || rel.rfind("out/x/", 0) == 0) continue;
        std::fprintf(stderr, "written outside the output directory: %s\n", rel.c_str());
        std::abort();
    }
}

}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    char tmpl[] = "/tmp/fuzz-archive-XXXXXX";
    if (!::mkdtemp(tmpl)) std::abort();
    g_root = tmpl;
    Machine::SetRoot(g_root);
    CreateDir("C:\\in");
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    // The reader alone.
    try {
        TReadOnlyMemoryStream s(data, static_cast<int64_t>(size));
        TReader r(s);
        ReadArchiveHeader(r, [](const TArchiveEntry&) {});
    } catch (const Exception&) {
    }
    if (size == 0) return 0;

    // The component on a file; the first byte picks the options.
    uint8_t opts = data[0];
    std::string bytes(reinterpret_cast<const char*>(data + 1), size - 1);
    std::string name = opts & 1 ? "C:\\in\\a.exe" : "C:\\in\\a.lzd";
    std::string host;
    DWORD err;
    Machine::ToHostPath(name, host, err);
    {
        FILE* f = std::fopen(host.c_str(), "wb");
        if (!f) std::abort();
        std::fwrite(bytes.data(), 1, bytes.size(), f);
        std::fclose(f);
    }
    fs::path drive = fs::path(g_root) / "drive_c";
    fs::remove_all(drive / "out");
    TLZHBatch b(nullptr);
    b.SetUseDirectoryNames(opts & 2);
    b.SetRestoreFileDate(opts & 4);
    b.SetRestoreAttributes(opts & 8);
    b.SetOverwriteExisting(!(opts & 16));
    b.OnFileExist = [](TObject*, const std::string&, TFileExistAction& a) { a = faSkip; };
    b.SetOutputDirectory("C:\\out\\x");
    try {
        b.SetArchiveFileName(name);
        b.ExtractArchive();
    } catch (const Exception&) {
    }
    // Read-only files must not stop the next round from clearing the folder.
    std::error_code ec;
    for (auto it = fs::recursive_directory_iterator(drive / "out", ec); !ec && it != fs::recursive_directory_iterator();
         it.increment(ec))
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ec);
    CheckNothingOutside(drive);
    return 0;
}
