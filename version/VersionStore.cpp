#include "version/VersionStore.h"

#include <algorithm>

#include "version/PeChecksum.h"
#include "version/RewriteVersionString.h"

StorePlan PlanVersionStore(const VersionResource& resource, const VersionTranslation& loaded,
                           const std::vector<VersionEdit>& edits) {
    const StorePlan refused{StorePlan::Outcome::Refused, 0, 0, {}, 0};
    const VersionBuffer& block = resource.block;
    if (!(resource.table.translation == loaded) ||
        CoversChecksum(resource.image, resource.offset, block.size())) {
        return refused;
    }
    VersionBuffer rewritten = block;
    for (const VersionEdit& edit : edits) {
        const std::optional<VersionValue>& value = resource.table.values[edit.key];
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
        RewriteVersionString(rewritten, *resource.table.values[edit.key], edit.text);
    }

    StorePlan plan{StorePlan::Outcome::Write, 0, resource.offset, {}, resource.image.checksum};
    const size_t first =
        std::mismatch(block.begin(), block.end(), rewritten.begin()).first - block.begin();
    if (first == block.size()) return plan;
    size_t end = block.size();
    while (block[end - 1] == rewritten[end - 1]) --end;
    plan.offset += first;
    plan.bytes.assign(rewritten.begin() + first, rewritten.begin() + end);
    plan.checksum = MovedChecksum(plan.checksum, resource.fileSize, plan.offset, &block[first],
                                  plan.bytes.data(), plan.bytes.size());
    return plan;
}
