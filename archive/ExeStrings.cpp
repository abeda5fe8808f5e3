// The start offset of an archive stored behind an executable: string 1 of the
// executable's string table, read with the executable loaded as a data file.
#include <string>

#include "archive/ArchiveFormat.h"
#include "platform/win/Module.h"

int32_t ExecutableArchiveStart(const std::string& FileName)
{
    // No error box for a file that cannot be opened; the mode stays set afterwards.
    SetErrorMode(SEM_NOOPENFILEERRORBOX);
    HMODULE module = LoadLibraryExA(FileName, 0, LOAD_LIBRARY_AS_DATAFILE);
    if (module == 0) return 0;
    // A 15-character buffer with its terminator: 14 characters at most.
    char buffer[15] = {};
    int n = LoadStringA(module, 1, buffer, sizeof buffer);
    FreeLibrary(module);
    return n > 0 ? ParseStartOffset(std::string(buffer, static_cast<size_t>(n))) : 0;
}
