// The attribute word of a file or folder, and the rules that move it between the word, the
// dialog's eight attribute boxes and a change of the bits that may be changed.
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
constexpr uint32_t kChangeableAttributes = 0x27;

// The boxes that a loaded word ticks.
AttributeBoxes ShownAttributeBoxes(uint32_t word);

// Which of the changeable bits to set and which to clear; a bit in neither stays as loaded.
struct AttributeChange {
    uint32_t set = 0;
    uint32_t clear = 0;
};

// The change that the boxes ask for: every changeable bit set as its box is ticked.
AttributeChange ChangeFromBoxes(const AttributeBoxes& ticked);

// The word to write back: the loaded word with the change applied to the changeable bits and every
// other bit (directory, normal, temporary, compressed, ...) as it was loaded.
uint32_t AttributeWordToWrite(uint32_t loadedWord, const AttributeChange& change);
