// Any bytes as a version block: reading never goes outside them, and a rewrite of any value that
// fits changes only that value's room and length word, and leaves a block that reads the same but
// for the text. A store of fixed versions changes only their words and the rooms and length words
// of the strings that follow them.
#include <algorithm>
#include <cassert>

#include "version/RewriteVersionString.h"
#include "version/VersionStore.h"

static void StoreFixedVersions(const VersionBuffer& block, const VersionTable& table) {
    const uint16_t size = static_cast<uint16_t>(block.size());
    const FixedVersion file{size, 0, 0, 7}, product{7, 0, 0, size};
    const PeImage image{block.size(), 1, std::nullopt, std::nullopt, std::nullopt};
    const StorePlan plan =
        PlanVersionStore({block.size(), image, 0, block, table}, nullptr, {}, {{}, file, product});
    if (!table.fixed) {
        assert(plan.outcome == StorePlan::Outcome::NoFixedInfo);
        return;
    }
    const auto text = [&](size_t key) {
        return FixedVersionText(key == kFileVersionKey ? file : product);
    };
    if (plan.outcome == StorePlan::Outcome::TooLong) {
        assert(plan.key == kFileVersionKey || plan.key == kProductVersionKey);
        assert(text(plan.key).size() >= table.values[plan.key]->room);
        return;
    }
    assert(plan.outcome == StorePlan::Outcome::Write);
    VersionBuffer stored = block;
    for (const FileWrite& write : plan.writes)
        std::copy(write.bytes.begin(), write.bytes.end(), stored.begin() + write.offset);
    for (size_t at = 0; at < block.size(); ++at) {
        bool changes = at - table.fixed->offset - kFixedFileVersion < 16;
        for (const size_t key : {kFileVersionKey, kProductVersionKey}) {
            const std::optional<VersionValue>& value = table.values[key];
            changes =
                changes ||
                (value && (at - value->offset < value->room * 2u || at - value->entry - 2 < 2));
        }
        assert(changes || stored[at] == block[at]);
    }
    const std::optional<VersionTable> again = ReadVersionTable(stored.data(), stored.size());
    assert(again && again->fixed && again->fixed->fileVersion == file &&
           again->fixed->productVersion == product);
    for (const size_t key : {kFileVersionKey, kProductVersionKey}) {
        assert(!table.values[key] || StoredText(stored, *again->values[key]) == text(key));
    }
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const VersionBuffer block(data, data + size);
    const std::optional<VersionTable> table = ReadVersionTable(block.data(), block.size());
    if (!table) return 0;
    StoreFixedVersions(block, *table);
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
            const bool inRoom = at - value.offset < value.room * 2u || at - value.entry - 2 < 2;
            assert(inRoom || rewritten[at] == block[at]);
        }
        if (result != RewriteResult::Written) continue;
        const std::optional<VersionTable> again = ReadVersionTable(rewritten.data(), size);
        assert(again && again->values[i] && again->values[i]->offset == value.offset);
        assert(StoredText(rewritten, *again->values[i]) == text);
    }
    return 0;
}
