// The backup copy made before a modification: "<path>_bak" beside the target.
#pragma once

#include <functional>

#include "platform/CString.h"

enum class BackupResult {
    Made,
    Kept,    // a backup file was there already; it is never overwritten
    Failed,  // the copy failed, or "<path>_bak" is there but is no regular file
};

// Copies the file at `path` to "<path>_bak". The copy is made under a name of its own beside the
// target and takes the backup's name only once it is complete, so that an interrupted copy never
// leaves a "_bak" behind. Both names are `path` with a suffix: given the target's extended path,
// they are extended too. `whileCopying` runs between the copy's chunks.
BackupResult MakeBackup(const CString& path, const std::function<void()>& whileCopying);
