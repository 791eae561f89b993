// Wildcards in the last component of a path, as the console expands them against the names in a
// folder, and the order in which it lists the names that match.
#pragma once

#include <string_view>

#include "target/ExtendedPath.h"  // SplitPath

// Whether the component holds '*' or '?'.
bool HasWildcard(std::u16string_view lastComponent);

// '*' matches any run of characters, the empty one included; '?' exactly one character, a
// surrogate pair being one. Letters match either case as far as ASCII, Latin-1, modern Greek,
// Cyrillic and full-width Latin go (letters that the file system's case table maps one to one);
// every other unit matches only itself. Two rules of cmd's for a pattern's end: ".*" may also match
// nothing ("*.*" matches every name, "report.*" also "report"), and a final '.' matches names
// without an extension ("*." those without a dot, or whose last dot ends them); '<', '>' and '"'
// are plain characters. Time grows
// with the product of the lengths at worst, never exponentially.
bool MatchesPattern(std::u16string_view name, std::u16string_view pattern);

// The order of listed names: unit by unit with the same case folding as MatchesPattern (so "b"
// comes before "C"), names equal that way by their exact units, so that no two names tie.
bool NameLess(std::u16string_view a, std::u16string_view b);
