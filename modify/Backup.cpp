#include "modify/Backup.h"

#include <windows.h>

#include "platform/Text.h"
#include "platform/UntouchedFile.h"

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
    // A name of our own, claimed before the copy: whatever a failed copy leaves there is ours.
    CString partial;
    for (DWORD attempt = 0;; ++attempt) {
        partial = backup + L".partial" + DecimalText(::GetCurrentProcessId() + attempt);
        const HANDLE claim = ::CreateFileW(partial.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                           FILE_ATTRIBUTE_NORMAL, nullptr);
        if (claim != INVALID_HANDLE_VALUE) {
            ::CloseHandle(claim);
            break;
        }
        const DWORD error = ::GetLastError();
        if ((error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) || attempt == 16) {
            return BackupResult::Failed;
        }
    }
    auto* progress = const_cast<std::function<void()>*>(&whileCopying);
    // The copy reads the target: its last-access time stays as it was.
    const UntouchedFile source(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    if (!::CopyFileExW(path.c_str(), partial.c_str(), &CopyProgress, progress, nullptr, 0)) {
        Remove(partial);
        return BackupResult::Failed;
    }
    if (::MoveFileExW(partial.c_str(), backup.c_str(), 0)) return BackupResult::Made;
    Remove(partial);
    return OccupantOf(backup) == Occupant::File ? BackupResult::Kept : BackupResult::Failed;
}
