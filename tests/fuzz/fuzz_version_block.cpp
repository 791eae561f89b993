// Any bytes as a version block: reading never goes outside them, and a rewrite of any value that
// fits changes only that value's room and leaves a block that reads the same but for the text.
#include <cassert>

#include "version/RewriteVersionString.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const VersionBuffer block(data, data + size);
    const std::optional<VersionTable> table = ReadVersionTable(block.data(), block.size());
    if (!table) return 0;
    for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
        if (!table->values[i]) continue;
        const VersionValue value = *table->values[i];
        assert(uint64_t{value.offset} + uint64_t{value.room} * 2 <= size);
        const std::u16string text = StoredText(block, value).substr(value.units / 2) + u"x";
        VersionBuffer rewritten = block;
        const RewriteResult result = RewriteVersionString(rewritten, value, text);
        assert(result ==
               (text.size() < value.room ? RewriteResult::Written : RewriteResult::TooLong));
        for (size_t at = 0; at < size; ++at) {
            const bool inRoom = at >= value.offset && at < value.offset + value.room * 2u;
            assert(inRoom || rewritten[at] == block[at]);
        }
        if (result != RewriteResult::Written) continue;
        const std::optional<VersionTable> again = ReadVersionTable(rewritten.data(), size);
        assert(again && again->values[i] && again->values[i]->offset == value.offset);
        assert(StoredText(rewritten, *again->values[i]) == text);
    }
    return 0;
}
