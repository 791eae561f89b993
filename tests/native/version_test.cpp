// The version resource read from a file's own bytes: the block's tree, the in-place rewrite, the
// PE reader and the checksum.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "tests/support/VersionImage.h"
#include "version/PeChecksum.h"
#include "version/PeImage.h"
#include "version/RewriteVersionString.h"
#include "version/VersionStore.h"

using namespace fixture;

const Bytes kBlock =
    VersionBlock({{u"FileVersion", u"1.0.0.123"}, {u"ProductName", u"示例"}, {u"Comments", u""}});

static std::optional<VersionTable> Read(const Bytes& block) {
    return ReadVersionTable(block.data(), block.size());
}

TEST(VersionBlock, FindsTheFirstTranslationsStringsAndRefusesATreeThatDoesNotHoldTogether) {
    const std::optional<VersionTable> table = Read(kBlock);
    ASSERT_TRUE(table && table->translation);
    EXPECT_EQ(table->translation->language, 0x0804);
    EXPECT_EQ(table->translation->codePage, 0x04B0);
    for (const auto& [key, text] : {std::pair{0, u"1.0.0.123"}, {5, u"示例"}, {3, u""}}) {
        ASSERT_TRUE(table->values[key]) << key;
        EXPECT_EQ(StoredText(kBlock, *table->values[key]), text);
        EXPECT_EQ(table->values[key]->room, std::u16string(text).size() + 1);
    }
    EXPECT_FALSE(table->values[11]);  // OriginalFilename is absent
    // The table's name is compared without regard to case; another pair's table is not read.
    EXPECT_TRUE(Read(VersionBlock({{u"FileVersion", u"1"}}, u"080404B0"))->values[0]);
    EXPECT_FALSE(Read(VersionBlock({{u"FileVersion", u"1"}}, u"040904b0"))->values[0]);
    // A Translation value shorter than a pair counts as missing.
    EXPECT_FALSE(Read(VersionBlock({}, u"080404b0", {0x04, 0x08, 0xB0}))->translation);

    // Keys that only begin or end like a known one are other keys.
    const Bytes keys =
        VersionBlock({{u"FileVers", u"8"}, {u"FileVersionX", u"9"}, {u"FileVersion", u"1"}});
    EXPECT_EQ(StoredText(keys, *Read(keys)->values[0]), u"1");

    const size_t strings = 0x5C, version = 0x98;  // where these two entries start
    ASSERT_EQ(kBlock[strings + 6], 'S');
    ASSERT_EQ(kBlock[version + 6], 'F');
    // What each change makes of the FileVersion string; nothing when the block is refused.
    for (const auto& [name, mutate, text] :
         std::vector<std::tuple<const char*, std::function<void(Bytes&)>, const char16_t*>>{
             {"a length in bytes, as some compilers write it",
              [&](Bytes& b) { Put16(b, version + 2, 20); }, u"1.0.0.123"},
             {"zeros after a table's last string",
              [&](Bytes& b) {
                  b.insert(b.begin() + strings + b[strings] + 256 * b[strings + 1], 4, 0);
                  for (size_t at : {size_t{0}, strings, strings + 36})
                      Put16(b, at, b[at] + 256 * b[at + 1] + 4);
              },
              u"1.0.0.123"},
             {"length word past the bytes", [](Bytes& b) { Put16(b, 0, b.size() + 4); }, nullptr},
             {"length word too short", [](Bytes& b) { Put16(b, 0, 4); }, nullptr},
             {"children past their parent", [](Bytes& b) { Put16(b, 0, 100); }, nullptr},
             {"child past its parent", [&](Bytes& b) { Put16(b, strings, 0x7000); }, nullptr},
             {"value past its entry", [&](Bytes& b) { Put16(b, version + 2, 200); }, nullptr},
             {"unterminated key", [&](Bytes& b) { Put16(b, version, 16); }, nullptr},
             {"another root", [](Bytes& b) { b[6] = 'W'; }, nullptr},
             {"cut short", [](Bytes& b) { b.pop_back(); }, nullptr}}) {
        Bytes block = kBlock;
        mutate(block);
        const std::optional<VersionTable> read = Read(block);
        EXPECT_EQ(read ? StoredText(block, *read->values[0]) : u"<refused>",
                  text ? text : u"<refused>")
            << name;
    }
}

TEST(RewriteVersionString, PutsTheTextAtTheStartOfTheRoomAndZeroesTheRest) {
    const Bytes block = VersionBlock({{u"FileVersion", u"1.0.0.123"},
                                      {u"ProductName", u"示例产品"},
                                      {u"Comments", u"😀😀"}});  // two astral characters: 4 units
    const VersionTable table = *Read(block);
    // The key, then new texts of the same length, one unit shorter, much shorter, and empty.
    for (const auto& [key, texts] : std::vector<std::pair<int, std::vector<std::u16string>>>{
             {0, {u"1.0.0.124", u"1.0.0.12", u"2", u""}},
             {5, {u"示例产物", u"示例产", u"新", u""}},
             {3, {u"😀😁", u"😀b", u"c", u""}}}) {
        const VersionValue value = *table.values[key];
        ASSERT_EQ(value.room, texts[0].size() + 1);
        for (const std::u16string& text : texts) {
            Bytes rewritten = block;
            ASSERT_EQ(RewriteVersionString(rewritten, value, text), RewriteResult::Written);
            const std::u16string room(reinterpret_cast<const char16_t*>(&rewritten[value.offset]),
                                      value.room);
            EXPECT_EQ(room, text + std::u16string(value.room - text.size(), u'\0'));
            rewritten.erase(rewritten.begin() + value.offset,
                            rewritten.begin() + value.offset + value.room * 2);
            Bytes outside = block;
            outside.erase(outside.begin() + value.offset,
                          outside.begin() + value.offset + value.room * 2);
            EXPECT_EQ(rewritten, outside) << "outside the room";
        }
        EXPECT_EQ(CheckVersionRewrite(block, value, texts[0] + u"x"), RewriteResult::TooLong);
    }
    EXPECT_EQ(CheckVersionRewrite(block, *table.values[5], std::u16string(1, u'\0')),
              RewriteResult::Invalid);
    EXPECT_EQ(CheckVersionRewrite(block, {uint32_t(block.size() - 6), 2, 5}, u"a"),
              RewriteResult::Invalid);
}

// The user's languages, as the program asks the system for them: neutral, Chinese (PRC) twice,
// English (US).
const std::vector<uint16_t> kPreferred = {0, 0x0804, 0x0804, 0x0409};

static std::optional<PeImage> ReadImage(const Bytes& file, int* reads = nullptr) {
    const auto read = [&file, reads](uint64_t at, void* into, size_t size) {
        if (reads) ++*reads;
        return std::copy_n(file.begin() + at, size, static_cast<uint8_t*>(into)) != nullptr;
    };
    return ReadPeImage(read, file.size(), kPreferred);
}

TEST(PeImage, PlacesTheChosenDataOnlyInsideTheFileAndItsSectionAndRefusesBrokenHeaders) {
    // One section before ".rsrc", whose header is then at 0x170; the neutral entry is chosen.
    const PeFile file = MakePeFile({{0x0409, kBlock}, {0x0000, kBlock}}, 4096, 1);
    const size_t dir = file.rsrc, entry = file.dataEntries + 16, placed = file.dataOffsets[1];
    const uint32_t rva = uint32_t(0x1000 + placed - dir), size = uint32_t(kBlock.size());
    const uint32_t raw = uint32_t(file.bytes.size() - 4096 - dir);
    const auto data = [entry](uint32_t at, uint32_t count) {
        return [=](Bytes& b) { Put32(b, entry, at), Put32(b, entry + 4, count); };
    };
    const auto smallHeader = [](uint32_t optionalSize) {  // three directories, sections after
        return [=](Bytes& b) {
            Put32(b, 0xC4, 3), Put16(b, 0x54, optionalSize);
            std::copy_n(b.begin() + 0x148, 80, b.begin() + 0x58 + optionalSize);
        };
    };
    const auto directoryEnd = [dir](size_t end) {
        return [=](Bytes& b) { Put32(b, 0xDC, uint32_t(end - dir)); };
    };
    const auto cut = [=](size_t end) {  // the file ends there, the directory before the data
        return [=](Bytes& b) { directoryEnd(placed)(b), b.resize(end); };
    };
    constexpr int64_t kRefused = -2, kNoPlace = -1;
    const std::tuple<const char*, std::function<void(Bytes&)>, int64_t> cases[] = {
        {"as built", [](Bytes&) {}, placed},
        {"not MZ", [](Bytes& b) { b[1] = 'X'; }, kRefused},
        {"not PE", [](Bytes& b) { b[0x41] = 'X'; }, kRefused},
        {"headers at an odd offset",
         [](Bytes& b) {
             std::rotate(b.begin() + 0x40, b.begin() + 0x1FF, b.begin() + 0x200);
             Put32(b, 0x3C, 0x41);
         },
         kRefused},
        {"PE32 magic on PE32+ headers", [](Bytes& b) { Put16(b, 0x58, 0x10B); }, kRefused},
        {"unknown magic", [](Bytes& b) { Put16(b, 0x58, 0x30B); }, kRefused},
        {"the smallest optional header", smallHeader(136), placed},
        {"one byte smaller", smallHeader(135), kRefused},
        {"two data directories", [](Bytes& b) { Put32(b, 0xC4, 2); }, kRefused},
        {"more languages than listed", [=](Bytes& b) { Put16(b, dir + 0x46, 999); }, kRefused},
        {"a language above 0xFFFF", [=](Bytes& b) { Put32(b, dir + 0x48, 0x10409); }, kRefused},
        {"a language as a table", [=](Bytes& b) { b[dir + 0x4F] = 0x80; }, kRefused},
        {"directory ends at the data entry's end", directoryEnd(entry + 8), placed},
        {"one byte sooner", directoryEnd(entry + 7), kRefused},
        {"in no section", data(0x9000, 16), kNoPlace},
        {"before its section", data(0x0800, 16), kNoPlace},
        {"past the end of the file", data(rva, 0x7FFFFFF0), kNoPlace},
        {"ends where the section does", data(rva, uint32_t(dir + raw - placed)), placed},
        {"one byte later", data(rva, uint32_t(dir + raw - placed + 1)), kNoPlace},
        {"starts where the section ends", data(0x1000 + raw, 0), kNoPlace},
        {"beyond a shorter virtual size",
         [=](Bytes& b) { Put32(b, 0x170 + 8, uint32_t(placed - dir)), directoryEnd(placed)(b); },
         kNoPlace},
        {"no virtual size", [](Bytes& b) { Put32(b, 0x170 + 8, 0); }, placed},
        {"an unaligned raw pointer",
         [=](Bytes& b) {
             Put32(b, 0x148 + 16, size), Put32(b, 0x148 + 20, uint32_t(placed));
             data(0x2000, size)(b);
         },
         kNoPlace},
        {"ends where a cut file does", cut(placed + size), placed},
        {"one byte later", cut(placed + size - 1), kNoPlace}};
    for (const auto& [name, change, expected] : cases) {
        Bytes bytes = file.bytes;
        change(bytes);
        const std::optional<PeImage> image = ReadImage(bytes);
        EXPECT_EQ(!image                                     ? kRefused
                  : image->version && image->version->offset ? int64_t(*image->version->offset)
                                                             : kNoPlace,
                  expected)
            << name;
    }
    const PeImage image = *ReadImage(file.bytes);
    EXPECT_EQ(image.checksumOffset, 0x98u);
    EXPECT_EQ(image.version->language, 0x0000);
    EXPECT_EQ(image.version->size, size);
    // A version resource over the checksum field (0x98 to 0x9B) cannot be rewritten safely.
    for (const auto& [at, count, covers] : {std::tuple{0x90, 8, false},
                                            {0x90, 9, true},
                                            {0x9B, 1, true},
                                            {0x9C, 64, false},
                                            {0, 0x400, true}}) {
        EXPECT_EQ(CoversChecksum(image, at, count), covers) << std::hex << at;
    }
}

TEST(PeImage, ChoosesTheEntryTheResourceLoaderWouldAndPlacesOnlyThatOne) {
    // Wanted: neutral, the user's (0x0804), en-US; else the first.
    const std::pair<std::vector<uint16_t>, int> cases[] = {{{0x0409, 0x0804}, 0x0804},
                                                           {{0x0804, 0x0000}, 0x0000},
                                                           {{0x0411, 0x0409}, 0x0409},
                                                           {{0x0411, 0x0412}, 0x0411},
                                                           {{}, -1}};
    for (const auto& [languages, chosen] : cases) {
        std::vector<std::pair<uint16_t, Bytes>> resources;
        for (uint16_t language : languages) resources.push_back({language, kBlock});
        const std::optional<PeImage> image = ReadImage(MakePeFile(resources).bytes);
        ASSERT_TRUE(image);
        EXPECT_EQ(image->version ? image->version->language : -1, chosen);
    }
    // Many sections and many languages whose data no section holds: the reads grow with the
    // tables, not with their product.
    int reads[2] = {};
    for (const uint32_t count : {1000u, 2000u}) {
        PeFile file =
            MakePeFile(std::vector<std::pair<uint16_t, Bytes>>(count, {0x0411, {}}), 0, count);
        for (uint32_t i = 0; i < count; ++i) Put32(file.bytes, file.dataEntries + 16 * i, 1 << 30);
        const std::optional<PeImage> image = ReadImage(file.bytes, &reads[count / 2000]);
        ASSERT_TRUE(image && image->version);
        EXPECT_FALSE(image->version->offset);
    }
    EXPECT_LE(reads[1], 2 * reads[0]);
}

// The system's own computation (CheckSumMappedFile), written out plainly.
static uint32_t SystemChecksum(const Bytes& file, size_t field) {
    uint32_t sum = 0;
    for (size_t i = 0; i < file.size(); i += 2) {
        sum += file[i] | (i + 1 < file.size() ? file[i + 1] << 8 : 0);
        sum = (sum & 0xFFFF) + (sum >> 16);
    }
    for (size_t at : {field, field + 2}) {
        const uint32_t word = file[at] | file[at + 1] << 8;
        sum = (sum >= word ? sum - word : sum - word - 1) & 0xFFFF;
    }
    return sum + static_cast<uint32_t>(file.size());
}

TEST(PeChecksum, MovedByAnEditAsTheSystemComputesItForValidWrongAndZeroFields) {
    std::mt19937 random(20261206);
    const size_t field = 8;
    for (int round = 0; round < 6000; ++round) {
        Bytes file(64 + random() % 300);
        for (uint8_t& byte : file) byte = static_cast<uint8_t>(random() % 4 ? random() : 0xFF);
        // A range at an odd or even offset, up to the end, clear of the field.
        const bool multiple = round % 8 == 0;
        const size_t at = multiple ? 12 : 12 + random() % (file.size() - 12);
        const size_t count =
            multiple ? 2 + random() % (file.size() - 13) : 1 + random() % (file.size() - at);
        Bytes changed = file;
        for (size_t i = at; i < at + count; ++i) changed[i] = static_cast<uint8_t>(random());
        if (multiple) {  // words that sum to a multiple of 0xFFFF, which two folded sums stand for
            const uint32_t folded = SystemChecksum(changed, field) - uint32_t(changed.size());
            Put16(changed, 12,
                  (changed[12] + 256u * changed[13] + 0xFFFF - folded % 0xFFFF) % 0xFFFF);
        }
        const uint32_t valid = SystemChecksum(file, field);
        const uint32_t wrong = round % 3 == 0 ? 0 : valid + (round % 3 == 1 ? 1 : 0x12345);
        for (const uint32_t stored : {valid, wrong}) {
            const uint32_t moved = MovedChecksum(stored, file.size(), at, file.data() + at,
                                                 changed.data() + at, count);
            if (stored == valid) {
                ASSERT_EQ(moved, SystemChecksum(changed, field)) << round;
            } else if (stored == 0) {
                ASSERT_EQ(moved, 0u);
            } else {  // as wrong as it was, in the sum's own arithmetic
                const int64_t before = int64_t{stored} - valid;
                const int64_t after = int64_t{moved} - SystemChecksum(changed, field);
                ASSERT_EQ((after - before) % 0xFFFF, 0) << round;
            }
        }
    }
}

TEST(VersionStore, WritesTheChangedSpanWithAValidChecksumOrRefusesTheWholeStore) {
    Bytes file = MakePeFile({{0x0804, kBlock}}).bytes;
    Put32(file, 0x98, SystemChecksum(file, 0x98));
    const PeImage image = *ReadImage(file);
    const uint64_t at = *image.version->offset;
    const VersionResource resource{file.size(), image, at, kBlock, *Read(kBlock)};
    const VersionTranslation chinese{0x0804, 0x04B0};
    // The edits, then the outcome: the FileVersion the file then holds, or why nothing is written.
    for (const auto& [edits, loaded, offset, outcome] : std::vector<
             std::tuple<std::vector<VersionEdit>, VersionTranslation, uint64_t, std::u16string>>{
             {{{0, u"2.0"}, {5, u"新"}}, chinese, at, u"2.0"},
             {{{0, u"1.0.0.123"}}, chinese, at, u"1.0.0.123"},
             {{{0, u"2.0"}, {5, u"示例产"}}, chinese, at, u"too long: 5"},
             {{{11, u"x"}}, chinese, at, u"refused"},                     // a key no longer there
             {{{0, std::u16string(1, u'\0')}}, chinese, at, u"refused"},  // a text holding a zero
             {{{0, u"2.0"}}, {0x0804, 0x03A8}, at, u"refused"},           // another translation now
             {{{0, u"2.0"}}, chinese, 0x90, u"refused"}}) {               // over the checksum field
        VersionResource now = resource;
        now.offset = offset;
        const StorePlan plan = PlanVersionStore(now, loaded, edits);
        Bytes stored = file;
        std::copy(plan.bytes.begin(), plan.bytes.end(), stored.begin() + plan.offset);
        Put32(stored, 0x98, plan.checksum);
        const Bytes block(stored.begin() + at, stored.begin() + at + kBlock.size());
        EXPECT_EQ(plan.outcome == StorePlan::Outcome::Refused ? u"refused"
                  : plan.outcome == StorePlan::Outcome::TooLong
                      ? u"too long: " + std::u16string(1, u'0' + plan.key)
                      : StoredText(block, *Read(block)->values[0]),
                  outcome);
        if (plan.outcome != StorePlan::Outcome::Write) continue;
        EXPECT_EQ(plan.checksum, SystemChecksum(stored, 0x98));
        EXPECT_EQ(StoredText(block, *Read(block)->values[5]), edits.size() > 1 ? u"新" : u"示例");
        EXPECT_EQ(plan.bytes.empty(), edits[0].text == u"1.0.0.123");
    }
}
