// Where the command line's targets come from, beyond its arguments: the listings of folders, and
// the list that --paths-from reads.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "cli/Expansion.h"

// A folder's entries for ExpandPath, reached through the extended form of its path.
std::optional<std::vector<FolderEntry>> ListFolderEntries(const std::u16string& folder,
                                                          uint32_t& error);

// The paths of a list: the file `source`, or standard input for "-". UTF-16 with its byte-order
// mark, or UTF-8; bytes that are neither are taken in the console's code page, as cmd writes the
// output of `dir /b` to a pipe. None, and why, when the list cannot be read or decoded.
std::optional<std::vector<std::u16string>> ReadPathList(const std::u16string& source,
                                                        std::u16string& error);
