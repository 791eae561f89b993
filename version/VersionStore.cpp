#include "version/VersionStore.h"

#include <algorithm>

#include "version/PeChecksum.h"
#include "version/RewriteVersionString.h"

namespace {

void PutFixed(VersionBuffer& block, size_t at, const FixedVersion& version) {
    for (size_t i = 0; i < 4; ++i) {  // A.B in the MS word, C.D in the LS word: B before A
        const uint16_t number = version[i ^ 1];
        block[at + 2 * i] = static_cast<uint8_t>(number);
        block[at + 2 * i + 1] = static_cast<uint8_t>(number >> 8);
    }
}

}  // namespace

std::vector<VersionEdit> StringEdits(const VersionChanges& changes, const HeldKeys& held) {
    std::vector<VersionEdit> edits = changes.strings;
    for (const auto& [key, version] : {std::pair{kFileVersionKey, changes.fileVersion},
                                       std::pair{kProductVersionKey, changes.productVersion}}) {
        const bool edited = std::any_of(edits.begin(), edits.end(),
                                        [key = key](const VersionEdit& e) { return e.key == key; });
        if (version && held[key] && !edited) edits.push_back({key, FixedVersionText(*version)});
    }
    return edits;
}

StorePlan PlanVersionStore(const VersionResource& resource, const VersionTranslation& loaded,
                           const VersionChanges& changes) {
    const StorePlan refused{StorePlan::Outcome::Refused, 0, 0, {}, 0};
    const VersionBuffer& block = resource.block;
    const VersionTable& table = resource.table;
    // The keys of the edits are those of the loaded translation's table; a fixed version alone
    // follows whatever table the file holds now.
    if ((!changes.strings.empty() && !(table.translation == loaded)) ||
        CoversChecksum(resource.image, resource.offset, block.size())) {
        return refused;
    }
    if ((changes.fileVersion || changes.productVersion) && !table.fixed) {
        return {StorePlan::Outcome::NoFixedInfo, 0, 0, {}, 0};
    }
    HeldKeys held{};
    for (size_t key = 0; key < kVersionStringKeyCount; ++key)
        held[key] = table.values[key].has_value();
    const std::vector<VersionEdit> edits = StringEdits(changes, held);
    VersionBuffer rewritten = block;
    for (const VersionEdit& edit : edits) {
        const std::optional<VersionValue>& value = table.values[edit.key];
        if (!value) return refused;
        switch (CheckVersionRewrite(block, *value, edit.text)) {
            case RewriteResult::Written:
                break;
            case RewriteResult::TooLong:
                return {StorePlan::Outcome::TooLong, edit.key, 0, {}, 0};
            case RewriteResult::Invalid:
                return refused;
        }
    }
    for (const VersionEdit& edit : edits) {
        RewriteVersionString(rewritten, *table.values[edit.key], edit.text);
    }
    if (changes.fileVersion) {
        PutFixed(rewritten, table.fixed->offset + kFixedFileVersion, *changes.fileVersion);
    }
    if (changes.productVersion) {
        PutFixed(rewritten, table.fixed->offset + kFixedProductVersion, *changes.productVersion);
    }

    StorePlan plan{StorePlan::Outcome::Write, 0, resource.offset, {}, resource.image.checksum};
    const size_t first =
        std::mismatch(block.begin(), block.end(), rewritten.begin()).first - block.begin();
    if (first == block.size()) return plan;
    size_t end = block.size();
    while (block[end - 1] == rewritten[end - 1]) --end;
    plan.offset += first;
    if (CoversCertificate(resource.image, plan.offset, end - first)) return refused;
    plan.bytes.assign(rewritten.begin() + first, rewritten.begin() + end);
    plan.checksum = MovedChecksum(plan.checksum, resource.fileSize, plan.offset, &block[first],
                                  plan.bytes.data(), plan.bytes.size());
    return plan;
}
