#include "platform/win/FileChangeHook.h"

#include <atomic>

namespace {

std::atomic<FileChangeObserver> gObserver{nullptr};

}  // namespace

FileChangeObserver SetFileChangeObserver(FileChangeObserver observer) { return gObserver.exchange(observer); }

void NotifyFileChange(FileChange change, const std::string& path, const std::string& newPath)
{
    if (FileChangeObserver o = gObserver.load()) o(change, path, newPath);
}
