// The attribute word of a file or folder, and the two rules that move it between the word and
// the dialog's eight attribute boxes.
#pragma once

#include <array>
#include <bitset>
#include <cstddef>
#include <cstdint>

using AttributeBits = std::bitset<32>;

// The bits that the eight boxes show, in the order in which a load ticks them: read-only,
// hidden, system, directory, archive, "encrypted" (0x40, not the platform's 0x4000), normal,
// temporary.
constexpr std::array<size_t, 8> kShownAttributeBits = {0, 1, 2, 4, 5, 6, 7, 8};

// Whether each of the eight boxes is ticked, in that order.
using AttributeBoxes = std::array<bool, kShownAttributeBits.size()>;

// The bits whose boxes the user may change: read-only, hidden, system and archive.
constexpr bool IsChangeableAttributeBit(size_t bit) {
    return bit == 0 || bit == 1 || bit == 2 || bit == 5;
}

// The word to write back: the loaded word with each changeable bit set as its box is ticked and
// every other bit (directory, normal, temporary, compressed, ...) as it was loaded.
uint32_t AttributeWordToWrite(uint32_t loadedWord, const AttributeBoxes& ticked);
