#include "version/PeChecksum.h"

namespace {

constexpr uint32_t kModulus = 0xFFFF;  // ones'-complement addition of 16-bit words

uint16_t FoldAdd(uint16_t sum, uint16_t word) {
    const uint32_t total = uint32_t{sum} + word;
    return static_cast<uint16_t>(total > kModulus ? total - kModulus : total);
}

// The system's subtraction of a word from the folded sum, borrowing around.
uint16_t FoldSubtract(uint16_t sum, uint16_t word) {
    return static_cast<uint16_t>(sum >= word ? sum - word : sum - word - 1);
}

}  // namespace

void PeWordSum::Add(uint64_t offset, const uint8_t* bytes, size_t count) {
    uint64_t sum = residue_;
    for (size_t i = 0; i < count; ++i) {
        const uint64_t at = offset + i;
        if (at - field_ < 4 || bytes[i] == 0) continue;
        nonZero_ = true;
        sum += (at & 1) ? uint32_t{bytes[i]} << 8 : bytes[i];
        if (sum >= (uint64_t{1} << 40)) sum %= kModulus;
    }
    residue_ = static_cast<uint32_t>(sum % kModulus);
}

void PeWordSum::Replace(uint64_t offset, const uint8_t* oldBytes, const uint8_t* newBytes,
                        size_t count) {
    // Adding the complement of each old byte's weight (modulo 0xFFFF) takes it out again.
    uint64_t sum = residue_;
    for (size_t i = 0; i < count; ++i) {
        const uint64_t at = offset + i;
        if (at - field_ < 4) continue;
        const uint32_t weight = (at & 1) ? 256 : 1;
        sum += uint64_t{newBytes[i]} * weight + uint64_t{kModulus - oldBytes[i]} * weight;
        if (sum >= (uint64_t{1} << 40)) sum %= kModulus;
        if (newBytes[i] != 0) nonZero_ = true;
    }
    residue_ = static_cast<uint32_t>(sum % kModulus);
}

uint16_t PeWordSum::Folded() const {
    if (!nonZero_) return 0;
    return static_cast<uint16_t>(residue_ == 0 ? kModulus : residue_);
}

uint32_t PeWordSum::ChecksumWith(uint32_t field, uint64_t fileSize) const {
    const uint16_t low = static_cast<uint16_t>(field);
    const uint16_t high = static_cast<uint16_t>(field >> 16);
    uint16_t sum = FoldAdd(FoldAdd(Folded(), low), high);
    sum = FoldSubtract(FoldSubtract(sum, low), high);
    return sum + static_cast<uint32_t>(fileSize);
}

uint32_t PeWordSum::Checksum(uint64_t fileSize) const {
    // Two folded sums stand for a multiple of 0xFFFF; which of them the system arrives at depends
    // on the field's own words, so take the one that agrees with itself.
    const uint32_t first = Folded() + static_cast<uint32_t>(fileSize);
    if (Folded() != kModulus || ChecksumWith(first, fileSize) == first) return first;
    return static_cast<uint32_t>(fileSize);
}
