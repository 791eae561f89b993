#include "modify/TargetSnapshot.h"

#include "target/TargetFile.h"

LoadOutcome LoadTargetSnapshot(const CString& path, TargetSnapshot& snapshot, bool toModify,
                               bool readVersion) {
    snapshot = TargetSnapshot();
    snapshot.path = path;
    snapshot.filePath = ExtendedFullPath(path);
    // The program's own file is always there to be found.
    if (!FindTarget(snapshot.filePath, snapshot.entry)) {
        snapshot.error = ::GetLastError();
        return LoadOutcome::NotFound;
    }
    if (toModify && IsProgramItself(snapshot.filePath, snapshot.entry)) {
        return LoadOutcome::ProgramItself;
    }
    if (snapshot.entry.dwFileAttributes == INVALID_FILE_ATTRIBUTES) return LoadOutcome::Unreadable;
    if (readVersion && !snapshot.IsFolder())
        snapshot.version = ReadVersionStrings(snapshot.filePath);
    return LoadOutcome::Loaded;
}
