// The targets that the paths of a command name: wildcards in a path's last component, and with
// -r the trees of folders, each folder's entries in the order of their names.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

struct FolderEntry {
    std::u16string name;
    uint32_t attributes;  // FILE_ATTRIBUTE_*: 0x10 a folder, 0x400 a link or junction
};

// The entries of a folder, "." and ".." left out; the folder's path is given as the user would
// write it, ending in its separator (or empty for the current folder). None when it cannot be
// listed, with the system's reason in `error`.
using ListFolder =
    std::function<std::optional<std::vector<FolderEntry>>(const std::u16string&, uint32_t& error)>;

struct ExpandedPath {
    enum class Kind {
        Target,
        NothingMatched,  // a pattern that matched no name: `path` is the pattern
        NotListed,       // a folder on the way down that could not be listed, and `error` why
    };
    Kind kind;
    std::u16string path;
    uint32_t error = 0;
};

// What one path names. Without -r: itself, or the entries of its folder whose names match the
// pattern of its last component (MatchesPattern), or NothingMatched. With -r, the pattern applies
// to the names at every level below its folder; a path without one names itself and, when it is
// a folder, everything below it. Folders are entered unless they are links or junctions, and are
// targets themselves only when named or matched; with `foldersLast` each comes after what it
// holds (so that a folder's times are written after its contents change).
std::vector<ExpandedPath> ExpandPath(const std::u16string& given, bool recurse, bool foldersLast,
                                     const ListFolder& list);
