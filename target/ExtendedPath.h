// The extended form of a full path ("\\?\C:\...", "\\?\UNC\server\share\..."), which the file
// calls take exactly as written: no limit of 260 characters, and no trailing dot or space dropped
// from a name ("C:\d\twin." would open "C:\d\twin").
#pragma once

#include <optional>
#include <string>
#include <string_view>

// A drive path "X:\..." gains "\\?\"; a UNC path "\\server\share\..." becomes
// "\\?\UNC\server\share\...". A path already extended ("\\?\") or a device path ("\\.\") is
// returned as it is. '/' separates as '\' does, repeated separators count as one, and the
// components "." and ".." are resolved here (never above the root), since the extended form would
// take them for names; every other component, "twin." and "a " too, is kept exactly, and so is a
// trailing separator. Empty when the path is not full: relative ("a\b"), drive-relative ("C:a"),
// rooted on the current drive ("\a"), or a UNC path without its share.
std::optional<std::u16string> ExtendedPath(std::u16string_view path);

// How the directory entry of the item that an extended path names is found. A root
// ("\\?\C:\", "\\?\UNC\server\share\") is in no folder's listing: it is asked for its own
// attributes and times. Any other item is searched for by `search`, the path without the trailing
// separator that may end a folder's name ("\\?\C:\d\", as %~dp0 gives it), and must then be a
// folder (`folderOnly`).
struct EntryLookup {
    bool root;
    bool folderOnly;
    std::u16string_view search;
};
EntryLookup LookUpEntry(std::u16string_view extendedPath);

// The path as a user writes it: an extended path without its prefix ("\\?\C:\a" is "C:\a",
// "\\?\UNC\server\share" is "\\server\share"); any other path as it is.
std::u16string PlainPath(std::u16string_view path);

// The path by which a 32-bit process on 64-bit Windows reaches what `extendedPath` names. For such
// a process the file system turns "<windows>\System32", and all below it, aside to
// "<windows>\SysWOW64"; "<windows>\Sysnative" names the real one. So System32 as a whole name
// directly under `windowsFolder` (as GetSystemWindowsDirectoryW gives it, a trailing separator
// allowed) becomes Sysnative, without regard to the case of ASCII letters; any other path comes
// back as it is. Either may begin with "\\?\"; the path's is kept.
std::u16string ThroughSysnative(std::u16string_view extendedPath,
                                std::u16string_view windowsFolder);

// A path split after its last '\' or '/': the folder keeps the separator ("C:\d\" and "*.txt",
// "C:\" and "*"), so that folder + name is the path of a name found there. A path without one
// has no folder, but "C:*.txt" (in drive C's current folder) splits after the colon.
struct PathParts {
    std::u16string_view folder;
    std::u16string_view last;
};
PathParts SplitPath(std::u16string_view path);
