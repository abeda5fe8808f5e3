// The hook through which the shell learns of files that the platform's own calls create,
// delete or rename, as the real shell notices changes in its folders. One observer at a
// time: the desktop menu (DesktopMenu.h) when a program turns it on. Without an observer
// a notification costs one atomic load.
#pragma once

#include <string>

enum class FileChange { Created, Deleted, Renamed };

// path and newPath are Windows paths as the caller gave them; newPath only for Renamed.
using FileChangeObserver = void (*)(FileChange change, const std::string& path, const std::string& newPath);

// Installs the observer (null removes it) and returns the previous one.
FileChangeObserver SetFileChangeObserver(FileChangeObserver observer);

// Called after a change has succeeded: by DeleteFileA and MoveFileA (Files.cpp) and by
// the shell link object's Save (Com.cpp). The observer runs on the caller's thread with
// no lock of the file services held.
void NotifyFileChange(FileChange change, const std::string& path, const std::string& newPath = {});
