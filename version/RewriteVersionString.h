// The in-place rewrite of one version string inside a VersionBuffer.
//
// A value is located by the offset of its ANSI form in the block (as VerQueryValueA gives it)
// and L, the byte length of that form. Its UTF-16 stored text lies S + 4 bytes earlier, in the
// raw resource. The value's room is its stored text and terminator, N + 1 units; a rewrite
// never changes the layout, so a new text must fit that room, terminator included.
#pragma once

#include <cstdint>
#include <string_view>

#include "version/VersionBuffer.h"

enum class RewriteResult {
    Written,  // the new text and its terminator are in the room
    TooLong,  // the new text and its terminator do not fit the room; nothing written
    Invalid,  // the offsets do not describe a value of this block, or the text holds a
              // zero unit; nothing written
};

// What RewriteVersionString would do with these inputs, without writing anything. The
// dialog checks every field with this before it rewrites any.
RewriteResult CheckVersionRewrite(const VersionBuffer& buffer, uint32_t ansiOffset,
                                  uint32_t ansiLength, std::u16string_view text);

// Rewrites the stored text of the value whose ANSI form is at ansiOffset (ansiLength bytes).
// Zeroes the first min(L, room) bytes of the stored text, then writes the text and a
// terminator. The rest of the room keeps what is left of the old text; declared lengths, the
// ANSI area and every byte outside the room stay as they were.
RewriteResult RewriteVersionString(VersionBuffer& buffer, uint32_t ansiOffset, uint32_t ansiLength,
                                   std::u16string_view text);

// True when the field's narrow text is byte for byte the value's current ANSI form, so that
// the value can be left untouched (a round trip through the code page could change it).
bool MatchesAnsiForm(const VersionBuffer& buffer, uint32_t ansiOffset, uint32_t ansiLength,
                     std::string_view fieldText);
