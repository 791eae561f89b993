#include "modify/Backup.h"

#include <windows.h>

#include "platform/Text.h"

namespace {

DWORD CALLBACK CopyProgress(LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, LARGE_INTEGER, DWORD,
                            DWORD, HANDLE, HANDLE, LPVOID whileCopying) {
    (*static_cast<const std::function<void()>*>(whileCopying))();
    return PROGRESS_CONTINUE;
}

void Remove(const CString& path) {
    ::SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);  // the copy keeps "read-only"
    ::DeleteFileW(path.c_str());
}

// What is at the backup's name: nothing, a regular file (an earlier backup), or something else
// (a folder, a link, an entry that cannot be read).
enum class Occupant { None, File, Other };

Occupant OccupantOf(const CString& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES) {
        return attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)
                   ? Occupant::Other
                   : Occupant::File;
    }
    // A link to nothing has no attributes of its own to read, but its entry is there.
    WIN32_FIND_DATAW entry;
    const HANDLE search = ::FindFirstFileW(path.c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) return Occupant::None;
    ::FindClose(search);
    return Occupant::Other;
}

}  // namespace

BackupResult MakeBackup(const CString& path, const std::function<void()>& whileCopying) {
    const CString backup = path + L"_bak";
    switch (OccupantOf(backup)) {
        case Occupant::File:
            return BackupResult::Kept;
        case Occupant::Other:
            return BackupResult::Failed;
        case Occupant::None:
            break;
    }
    // A name that nothing holds yet: the copy refuses to overwrite, so a name taken meanwhile is
    // only a reason to try the next.
    auto* progress = const_cast<std::function<void()>*>(&whileCopying);
    CString partial;
    for (DWORD attempt = 0;; ++attempt) {
        partial = backup + L".partial" + DecimalText(::GetCurrentProcessId() + attempt);
        if (::CopyFileExW(path.c_str(), partial.c_str(), &CopyProgress, progress, nullptr,
                          COPY_FILE_FAIL_IF_EXISTS)) {
            break;
        }
        const DWORD error = ::GetLastError();
        const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS;
        if (!taken) Remove(partial);  // whatever the failed copy left
        if (!taken || attempt == 16) return BackupResult::Failed;
    }
    if (::MoveFileExW(partial.c_str(), backup.c_str(), 0)) return BackupResult::Made;
    Remove(partial);
    return OccupantOf(backup) == Occupant::File ? BackupResult::Kept : BackupResult::Failed;
}
