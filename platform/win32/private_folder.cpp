#include "platform/private_folder.h"

#include <windows.h>

#include <atomic>
#include <cstdio>
#include <utility>

namespace pos::platform {

namespace {

std::string systemTemporaryFolder() {
    char buffer[MAX_PATH + 1];
    const DWORD length = ::GetTempPathA(sizeof buffer, buffer);
    if (length == 0 || length > MAX_PATH) return {};
    return std::string(buffer, length);
}

// Deletes what folder (ending with a backslash) holds. Directory links (junctions, symbolic
// links) are removed as links; their targets are left alone.
void removeContents(const std::string& folder) {
    WIN32_FIND_DATAA entry;
    HANDLE search = ::FindFirstFileA((folder + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        const std::string name = entry.cFileName;
        if (name == "." || name == "..") continue;
        const std::string path = folder + name;
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_READONLY) {
            ::SetFileAttributesA(path.c_str(), entry.dwFileAttributes & ~FILE_ATTRIBUTE_READONLY);
        }
        if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT))
                removeContents(path + "\\");
            ::RemoveDirectoryA(path.c_str());
        } else {
            ::DeleteFileA(path.c_str());
        }
    } while (::FindNextFileA(search, &entry));
    ::FindClose(search);
}

}  // namespace

PrivateFolder PrivateFolder::create(const std::string& parent, const std::string& prefix) {
    std::string base = parent.empty() ? systemTemporaryFolder() : parent;
    if (base.empty() || prefix.find_first_of("\\/:*?\"<>|") != std::string::npos) return {};
    if (base.back() != '\\' && base.back() != '/') base += '\\';
    static std::atomic<unsigned> counter{0};
    // The name need not be secret: CreateDirectoryA fails on anything already there, a
    // planted junction or link included, and we try another name.
    for (int attempt = 0; attempt < 100; ++attempt) {
        char ending[64];
        std::snprintf(ending, sizeof ending, "-%lx-%llx-%x", ::GetCurrentProcessId(),
                      static_cast<unsigned long long>(::GetTickCount64()), counter.fetch_add(1));
        const std::string path = base + prefix + ending;
        if (::CreateDirectoryA(path.c_str(), nullptr)) return PrivateFolder(path + "\\");
        if (::GetLastError() != ERROR_ALREADY_EXISTS) return {};
    }
    return {};
}

void PrivateFolder::remove() {
    if (path_.empty()) return;
    removeContents(path_);
    ::RemoveDirectoryA(path_.substr(0, path_.size() - 1).c_str());
    path_.clear();
}

}  // namespace pos::platform
