// The in-place rewrite of one version string: a new text takes the place of the old one inside
// the old one's room, so that no declared length of the block changes.
#pragma once

#include <cstdint>
#include <string_view>

#include "version/VersionBlock.h"

enum class RewriteResult {
    Written,
    TooLong,  // the text and its terminator do not fit the value's room
    Invalid,  // the text holds a zero unit (it would read as less), or the value does not lie
              // inside the block
};

// What RewriteVersionString would do, without writing.
RewriteResult CheckVersionRewrite(const VersionBuffer& block, const VersionValue& value,
                                  std::u16string_view text);

// Writes the text and its terminator at the start of the value's room and zeroes the rest of the
// room, so that nothing of the old text stays behind. The entry's value length grows where it
// declares less than the new text takes, and never shrinks, nor does the entry's own length: a
// shorter text leaves the room as large as it was. Nothing else changes.
RewriteResult RewriteVersionString(VersionBuffer& block, const VersionValue& value,
                                   std::u16string_view text);
