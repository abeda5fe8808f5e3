// Where lzdpack writes: every command that writes (compress, expand, create, extract)
// puts its output at a host name by these rules, decided by what the name leads to:
//
//   nothing yet, or a regular file   the output is written under a temporary name in
//                                    the same folder and renamed over the name when it
//                                    is complete: readers see the old file or the new
//                                    one, and a failed run leaves the old one as it was
//   a device, a pipe, a socket       written into, as a shell redirection would: the
//                                    name is opened for writing, nothing is created,
//                                    renamed or removed
//   a directory                      refused
//   a symbolic link                  followed: what it leads to is written by the rules
//                                    above and the link stays a link (a link to nothing
//                                    gets the file it names)
//
// Errors name the output as the user gave it (`shown`).
#pragma once

#include <sys/types.h>

#include <string>

#include "tools/lzdpack/CommandLine.h"

class EOutputError : public ECommandError {
public:
    using ECommandError::ECommandError;
};

// The rules above, for the help text.
extern const char* const kOutputRules;

struct TOutputPlace {
    enum Kind { NewFile, RegularFile, Into };
    Kind kind = NewFile;
    std::string path;  // the file to create or replace (links followed), or the name to open
    mode_t mode = 0;   // a regular file's permission bits
};

// What the host name leads to. Throws EOutputError for a directory or a name that
// cannot be looked at (no permission, a file in the middle of the path, ...).
TOutputPlace LocateOutput(const std::string& host, const std::string& shown);

// A stream of output to a place: "-" is standard output (written into).
class TOutputStream {
public:
    TOutputStream(const std::string& host, const std::string& shown);
    ~TOutputStream();  // an output not committed is dropped (its temporary file removed)
    TOutputStream(const TOutputStream&) = delete;
    TOutputStream& operator=(const TOutputStream&) = delete;

    // Appends bytes; a failure is kept in `error` (the first one) and ends writing.
    void Write(const void* data, size_t count, std::string& error);
    // Completes the output: a replaced file keeps the old one's permission bits, a new
    // one gets those of a plain new file.
    void Commit();

private:
    std::string shown_;
    TOutputPlace place_;
    std::string temp_;
    int fd_ = -1;
    bool own_ = false;
};

// A free name for a file that is to be delivered to `place` by DeliverFile: beside the
// final file when that is to be replaced or created (so the rename is atomic), else
// inside `scratchDir`.
std::string StagingName(const TOutputPlace& place, const std::string& scratchDir);

// Puts the finished file `staged` at `place`: renames it over (or copies it to a
// temporary beside the place first when it lies on another file system), or copies
// its bytes into the device or pipe and removes it. With keepMode a replaced regular
// file keeps its permission bits.
void DeliverFile(const std::string& staged, const TOutputPlace& place, const std::string& shown, bool keepMode);

// A folder of its own under $TMPDIR (or /tmp), removed with everything in it.
class TScratchDir {
public:
    TScratchDir();
    ~TScratchDir();
    TScratchDir(const TScratchDir&) = delete;
    TScratchDir& operator=(const TScratchDir&) = delete;
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};
