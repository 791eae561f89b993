// What a load takes of a target, once: its directory entry and its version strings. Every later
// modification of that target starts from this snapshot.
#pragma once

#include <windows.h>

#include "platform/CString.h"
#include "version/VersionFile.h"

struct TargetSnapshot {
    CString path;      // as given: what is shown
    CString filePath;  // its extended form: what every file call is given
    WIN32_FIND_DATAW entry{};
    LoadedVersion version;
    DWORD error = ERROR_SUCCESS;  // NotFound: why the entry could not be found

    bool IsFolder() const { return (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0; }
};

enum class LoadOutcome {
    Loaded,
    ProgramItself,  // "不能修改自身!"
    NotFound,       // "文件句柄无效!": nothing there, or no entry that can be read
    Unreadable,     // an entry without an attribute word
};

// Takes the snapshot of the item at `path`; the snapshot holds the path whatever the outcome. The
// program's own file is refused to a load for modifying, and may be shown. The version strings
// are left unread where nothing will use them (a command that changes no version information),
// and the load leaves the target's last-access time as it was.
LoadOutcome LoadTargetSnapshot(const CString& path, TargetSnapshot& snapshot, bool toModify = true,
                               bool readVersion = true);
