#include "version/PeChecksum.h"

namespace {

constexpr uint32_t kModulus = 0xFFFF;  // ones'-complement addition of 16-bit words

// The bytes' share of the word sum, modulo 0xFFFF: a byte at an odd offset is the high half of
// its word. 0x10000 is 1 modulo 0xFFFF, so the words need no carrying between them.
uint32_t Residue(uint64_t offset, const uint8_t* bytes, size_t count) {
    uint64_t sum = 0;
    for (size_t i = 0; i < count; ++i) sum += ((offset + i) & 1) ? bytes[i] * 256u : bytes[i];
    return static_cast<uint32_t>(sum % kModulus);
}

// What the system computes for a file whose words other than the field's fold to `folded` (a
// non-zero file: 1 to 0xFFFF) when the field holds `field`: it adds every word, the field's
// included, then takes the field's two words out again, borrowing around.
uint32_t ComputedWith(uint16_t folded, uint32_t field, uint32_t fileSize) {
    const uint16_t words[2] = {static_cast<uint16_t>(field), static_cast<uint16_t>(field >> 16)};
    uint32_t sum = folded;
    for (const uint16_t word : words) {
        sum += word;
        if (sum > kModulus) sum -= kModulus;
    }
    for (const uint16_t word : words) sum = (sum >= word ? sum - word : sum - word - 1) & 0xFFFF;
    return sum + fileSize;
}

}  // namespace

uint32_t MovedChecksum(uint32_t stored, uint64_t fileSize, uint64_t offset, const uint8_t* before,
                       const uint8_t* after, size_t count) {
    if (stored == 0) return 0;
    const uint32_t size = static_cast<uint32_t>(fileSize);
    const uint32_t change =
        (Residue(offset, after, count) + kModulus - Residue(offset, before, count)) % kModulus;
    // A valid checksum is the folded sum (0 to 0xFFFF) plus the size; a field that holds more
    // is wrong, and moves by the change alone.
    const uint32_t folded = stored - size;
    if (folded > kModulus) return stored + change;
    const uint32_t residue = (folded % kModulus + change) % kModulus;
    if (residue != 0) return residue + size;
    // A multiple of 0xFFFF folds to 0 or to 0xFFFF depending on the field's own words: take the
    // one that, once in the field, the system computes again. The file is never all zeros ("MZ").
    const uint32_t full = kModulus + size;
    return ComputedWith(kModulus, full, size) == full ? full : size;
}
