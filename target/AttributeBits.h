// The attribute word of a file or folder, and the two rules that move it between the word and
// the dialog's eight attribute boxes.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

using AttributeBits = std::bitset<32>;

// Bits shown by the eight boxes, in the order the load ticks them: read-only, hidden, system,
// directory, archive, "encrypted" (0x40, not the platform's 0x4000), normal, temporary.
constexpr std::array<size_t, 8> kShownAttributeBits = {0, 1, 2, 4, 5, 6, 7, 8};

// The four boxes the user may change.
struct ChangeableAttributes {
    bool readOnly;
    bool hidden;
    bool system;
    bool archive;
};

// The word to write back: the loaded word with the four changeable bits taken from the boxes and
// every other bit (directory, normal, temporary, compressed, ...) as it was loaded.
uint32_t AttributeWordToWrite(uint32_t loadedWord, const ChangeableAttributes& boxes);
