#include "target/AttributeBits.h"

uint32_t AttributeWordToWrite(uint32_t loadedWord, uint32_t ticked) {
    AttributeBits bits(loadedWord);
    const AttributeBits boxes(ticked);
    for (size_t bit : kShownAttributeBits) {
        if (IsChangeableAttributeBit(bit)) bits.set(bit, boxes.test(bit));
    }
    return static_cast<uint32_t>(bits.to_ulong());
}
