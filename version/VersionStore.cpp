#include "version/VersionStore.h"

#include <algorithm>

#include "version/PeChecksum.h"
#include "version/RewriteVersionString.h"
#include "version/VersionPlacement.h"

namespace {

void PutFixed(VersionBuffer& block, size_t at, const FixedVersion& version) {
    for (size_t i = 0; i < 4; ++i) {  // A.B in the MS word, C.D in the LS word: B before A
        const uint16_t number = version[i ^ 1];
        block[at + 2 * i] = static_cast<uint8_t>(number);
        block[at + 2 * i + 1] = static_cast<uint8_t>(number >> 8);
    }
}

// True when `rebuilt` reads as `before` does with the grown texts in: the same translation, fixed
// versions and keys, each with its text. A block whose entries read otherwise once their lengths
// change (a value length that counts units or bytes by the room it finds) is never written.
bool ReadsBack(const VersionBuffer& rebuilt, const VersionBuffer& before,
               const std::vector<VersionEdit>& grown) {
    const std::optional<VersionTable> was = ReadVersionTable(before.data(), before.size());
    const std::optional<VersionTable> now = ReadVersionTable(rebuilt.data(), rebuilt.size());
    if (!was || !now || !(now->translation == was->translation) ||
        now->fixed.has_value() != was->fixed.has_value() ||
        (now->fixed && (now->fixed->fileVersion != was->fixed->fileVersion ||
                        now->fixed->productVersion != was->fixed->productVersion))) {
        return false;
    }
    for (size_t key = 0; key < kVersionStringKeyCount; ++key) {
        const auto edit = std::find_if(grown.begin(), grown.end(),
                                       [key](const VersionEdit& e) { return e.key == key; });
        const std::optional<VersionValue>& value = now->values[key];
        const std::optional<VersionValue>& old = was->values[key];
        if (edit != grown.end() ? !value || StoredText(rebuilt, *value) != edit->text
                                : value.has_value() != old.has_value() ||
                                      (value && StoredText(rebuilt, *value) !=
                                                    StoredText(before, *old))) {
            return false;
        }
    }
    return true;
}

}  // namespace

std::optional<VersionResource> ReadVersionResource(const PeFileReader& read, uint64_t fileSize,
                                                   const PeImage& image) {
    if (!image.version || !image.version->offset) return std::nullopt;
    const uint64_t offset = *image.version->offset;
    // The block is no longer than its 16-bit length word, while the resource may carry more.
    VersionBuffer block(std::min<uint32_t>(image.version->size, 0xFFFF));
    if (block.empty() || !read(offset, block.data(), block.size())) return std::nullopt;
    const std::optional<VersionTable> table = ReadVersionTable(block.data(), block.size());
    if (!table) return std::nullopt;
    block.resize(VersionBlockLength(block.data(), block.size()));
    return VersionResource{fileSize, image, offset, std::move(block), *table};
}

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

StorePlan PlanVersionStore(const VersionResource& resource, const PeFileReader& read,
                           const VersionTranslation& loaded, const VersionChanges& changes,
                           const VersionGrowth& growth) {
    const StorePlan refused{StorePlan::Outcome::Refused, 0};
    // A file without version information gets the block of one, in the language asked for, of
    // the type that its image has.
    const bool made = resource.block.empty();
    uint8_t characteristics[2] = {};
    if (made && (!growth.allowed || !read(resource.image.fileHeader + 18, characteristics, 2))) {
        return refused;
    }
    const VersionBuffer fresh =
        made ? NewVersionBlock({growth.language, 1200}, characteristics[1] & 0x20 ? 2 : 1)
             : VersionBuffer();  // IMAGE_FILE_DLL: VFT_DLL, else VFT_APP
    const VersionBuffer& block = made ? fresh : resource.block;
    const VersionTable table =
        made ? *ReadVersionTable(block.data(), block.size()) : resource.table;
    // The keys of the edits are those of the loaded translation's table; a fixed version alone
    // follows whatever table the file holds now.
    if ((!made && !changes.strings.empty() && !(table.translation == loaded)) ||
        CoversChecksum(resource.image, resource.offset, resource.block.size())) {
        return refused;
    }
    if ((changes.fileVersion || changes.productVersion) && !table.fixed) {
        return {StorePlan::Outcome::NoFixedInfo, 0};
    }
    HeldKeys held{};
    for (size_t key = 0; key < kVersionStringKeyCount; ++key)
        held[key] = table.values[key].has_value() ||
                    (made && (key == kFileVersionKey || key == kProductVersionKey));
    const std::vector<VersionEdit> edits = StringEdits(changes, held);
    // Each text that fits its room is rewritten there; the others grow the block, if allowed.
    VersionBuffer rewritten = block;
    std::vector<VersionEdit> grown;
    for (const VersionEdit& edit : edits) {
        const std::optional<VersionValue>& value = table.values[edit.key];
        const RewriteResult check = value ? CheckVersionRewrite(block, *value, edit.text)
                                    : edit.text.find(u'\0') == std::u16string::npos
                                        ? RewriteResult::TooLong
                                        : RewriteResult::Invalid;
        if (check == RewriteResult::Invalid || (!value && !growth.allowed)) return refused;
        if (check == RewriteResult::Written) {
            RewriteVersionString(rewritten, *value, edit.text);
        } else if (growth.allowed) {
            grown.push_back(edit);
        } else {
            return {StorePlan::Outcome::TooLong, edit.key};
        }
    }
    if (changes.fileVersion) {
        PutFixed(rewritten, table.fixed->offset + kFixedFileVersion, *changes.fileVersion);
    }
    if (changes.productVersion) {
        PutFixed(rewritten, table.fixed->offset + kFixedProductVersion, *changes.productVersion);
    }
    if (!grown.empty() || made) {
        const std::optional<VersionBuffer> rebuilt =
            RebuildVersionBlock(rewritten, *table.translation, grown);
        if (!rebuilt) return {StorePlan::Outcome::TooLong, grown.empty() ? 0 : grown.front().key};
        if (!ReadsBack(*rebuilt, rewritten, grown)) return refused;
        return made ? PlaceNewVersionResource(resource, read, *rebuilt, growth.language)
                    : PlaceVersionBlock(resource, read, *rebuilt);
    }

    StorePlan plan{StorePlan::Outcome::Write, 0};
    plan.checksum = resource.image.checksum;
    const size_t first =
        std::mismatch(block.begin(), block.end(), rewritten.begin()).first - block.begin();
    if (first == block.size()) return plan;
    size_t end = block.size();
    while (block[end - 1] == rewritten[end - 1]) --end;
    const uint64_t offset = resource.offset + first;
    if (CoversCertificate(resource.image, offset, end - first)) return refused;
    plan.writes.push_back({offset, {rewritten.begin() + first, rewritten.begin() + end}});
    ChecksumMove move;
    move.Add(offset, &block[first], &rewritten[first], end - first);
    plan.checksum = move.Moved(plan.checksum, resource.fileSize, resource.fileSize);
    return plan;
}
