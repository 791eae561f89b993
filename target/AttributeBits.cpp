#include "target/AttributeBits.h"

uint32_t AttributeWordToWrite(uint32_t loadedWord, const AttributeBoxes& ticked) {
    AttributeBits bits(loadedWord);
    for (size_t i = 0; i < kShownAttributeBits.size(); ++i) {
        const size_t bit = kShownAttributeBits[i];
        if (IsChangeableAttributeBit(bit)) bits.set(bit, ticked[i]);
    }
    return static_cast<uint32_t>(bits.to_ulong());
}
