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

// The path as a user writes it: an extended path without its prefix ("\\?\C:\a" is "C:\a",
// "\\?\UNC\server\share" is "\\server\share"); any other path as it is.
std::u16string PlainPath(std::u16string_view path);
