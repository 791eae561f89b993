// The paths of a list that --paths-from reads: a file, or standard input, one path to a line.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

// The text of the list's bytes: UTF-16 after its byte-order mark (little- or big-endian), or
// UTF-8 with or without one. Nothing when the bytes are not what they claim: UTF-16 of an odd
// length or with a lone surrogate, UTF-8 with a malformed or overlong sequence, a surrogate or a
// code point past U+10FFFF.
std::optional<std::u16string> DecodePathList(std::string_view bytes);

// One path to a line, a line ending in LF or CR LF (the last may end in neither). Lines that are
// empty or hold nothing but spaces and tabs are left out; any other line is a path exactly as it
// stands, a leading or trailing space included.
std::vector<std::u16string> PathListLines(std::u16string_view text);
