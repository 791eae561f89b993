#include "modify/TargetSnapshot.h"

#include "target/TargetFile.h"

LoadOutcome LoadTargetSnapshot(const CString& path, TargetSnapshot& snapshot, bool toModify) {
    snapshot = TargetSnapshot();
    snapshot.path = path;
    snapshot.filePath = ExtendedFullPath(path);
    if (toModify && IsProgramItself(snapshot.filePath)) return LoadOutcome::ProgramItself;
    if (!FindTarget(snapshot.filePath, snapshot.entry)) return LoadOutcome::NotFound;
    if (snapshot.entry.dwFileAttributes == INVALID_FILE_ATTRIBUTES) return LoadOutcome::Unreadable;
    snapshot.version = ReadVersionStrings(snapshot.filePath);
    return LoadOutcome::Loaded;
}
