// The version resource read from a file's own bytes: the block's tree, the in-place rewrite, the
// PE reader, the checksum and the store.
#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <random>

#include "tests/support/VersionImage.h"
#include "version/PeChecksum.h"
#include "version/PeImage.h"
#include "version/RewriteVersionString.h"
#include "version/VersionStore.h"

using namespace fixture;
using Change = std::function<void(Bytes&)>;

const Bytes kBlock =
    VersionBlock({{u"FileVersion", u"1.0.0.123"}, {u"ProductName", u"示例"}, {u"Comments", u""}});

static std::optional<VersionTable> Read(const Bytes& block) {
    return ReadVersionTable(block.data(), block.size());
}

// A change that writes a little-endian value of `size` bytes (2 or 4).
static Change Put(size_t at, uint32_t value, int size = 4) {
    return [=](Bytes& b) { size == 2 ? Put16(b, at, value) : Put32(b, at, value); };
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
    // The table's name is compared without regard to case; another pair's table is not read; a
    // Translation value shorter than a pair counts as missing; keys that only begin or end like a
    // known one are other keys.
    EXPECT_TRUE(Read(VersionBlock({{u"FileVersion", u"1"}}, u"080404B0"))->values[0]);
    EXPECT_FALSE(Read(VersionBlock({{u"FileVersion", u"1"}}, u"040904b0"))->values[0]);
    EXPECT_FALSE(Read(VersionBlock({}, u"080404b0", {0x04, 0x08, 0xB0}))->translation);
    const Bytes keys =
        VersionBlock({{u"FileVers", u"8"}, {u"FileVersionX", u"9"}, {u"FileVersion", u"1"}});
    EXPECT_EQ(StoredText(keys, *Read(keys)->values[0]), u"1");

    const size_t strings = 0x5C, version = 0x98;  // where these two entries start
    ASSERT_TRUE(kBlock[strings + 6] == 'S' && kBlock[version + 6] == 'F');
    const Change zerosAfterTheLastString = [&](Bytes& b) {
        b.insert(b.begin() + strings + b[strings] + 256 * b[strings + 1], 8, 0);
        for (size_t at : {size_t{0}, strings, strings + 36})
            Put16(b, at, b[at] + 256 * b[at + 1] + 8);
    };
    // What each change makes of the FileVersion string; nothing when the block is refused.
    const std::tuple<const char*, Change, const char16_t*> cases[] = {
        {"a length in bytes, as some compilers write it", Put(version + 2, 20, 2), u"1.0.0.123"},
        {"zero words after a table's last string", zerosAfterTheLastString, u"1.0.0.123"},
        {"length word past the bytes", Put(0, kBlock.size() + 4, 2), nullptr},
        {"length word too short", Put(0, 4, 2), nullptr},
        {"children past their parent", Put(0, 100, 2), nullptr},
        {"child past its parent", Put(strings, 0x7000, 2), nullptr},
        {"value past its entry", Put(version + 2, 200, 2), nullptr},
        {"unterminated key", Put(version, 16, 2), nullptr},
        {"another root", Put(6, 'W', 2), nullptr},
        {"cut short", [](Bytes& b) { b.pop_back(); }, nullptr}};
    for (const auto& [name, change, text] : cases) {
        Bytes block = kBlock;
        change(block);
        const std::optional<VersionTable> read = Read(block);
        EXPECT_EQ(read ? StoredText(block, *read->values[0]) : u"-", text ? text : u"-") << name;
    }
}

TEST(RewriteVersionString, PutsTheTextAtTheStartOfTheRoomAndZeroesTheRest) {
    const Bytes block = VersionBlock({{u"FileVersion", u"1.0.0.123"},
                                      {u"ProductName", u"示例产品"},
                                      {u"Comments", u"😀😀"}});  // two astral characters: 4 units
    const VersionTable table = *Read(block);
    // Texts of the same length, one unit shorter, much shorter and empty.
    for (const auto& [key, text] : std::vector<std::pair<int, std::u16string>>{{0, u"1.0.0.124"},
                                                                               {0, u"1.0.0.12"},
                                                                               {0, u"2"},
                                                                               {0, u""},
                                                                               {5, u"示例产物"},
                                                                               {5, u"示例产"},
                                                                               {5, u"新"},
                                                                               {5, u""},
                                                                               {3, u"😀😁"},
                                                                               {3, u"😀b"},
                                                                               {3, u"c"},
                                                                               {3, u""}}) {
        const VersionValue value = *table.values[key];
        const std::u16string room = text + std::u16string(value.room - text.size(), u'\0');
        Bytes rewritten = block, expected = block;
        std::memcpy(&expected[value.offset], room.data(), room.size() * 2);
        EXPECT_EQ(RewriteVersionString(rewritten, value, text), RewriteResult::Written);
        EXPECT_EQ(rewritten, expected) << key << " " << text.size();
        EXPECT_EQ(CheckVersionRewrite(block, value, std::u16string(value.room, u'x')),
                  RewriteResult::TooLong);
    }
    EXPECT_EQ(CheckVersionRewrite(block, *table.values[5], std::u16string(1, u'\0')),
              RewriteResult::Invalid);
    EXPECT_EQ(CheckVersionRewrite(block, {uint32_t(block.size() - 6), 2, 5}, u"a"),
              RewriteResult::Invalid);
}

// The user's languages as the program asks the system for them: neutral, Chinese (PRC), en-US.
static std::optional<PeImage> ReadImage(const Bytes& file, int* reads = nullptr) {
    const auto read = [&file, reads](uint64_t at, void* into, size_t size) {
        if (reads) ++*reads;
        return std::copy_n(file.begin() + at, size, static_cast<uint8_t*>(into)) != nullptr;
    };
    return ReadPeImage(read, file.size(), {0, 0x0804, 0x0804, 0x0409});
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
    const auto cut = [=](size_t end) {  // the file ends there, the directory before the data
        return [=](Bytes& b) { Put32(b, 0xDC, uint32_t(placed - dir)), b.resize(end); };
    };
    const Change oddHeaders = [](Bytes& b) {
        std::rotate(b.begin() + 0x40, b.begin() + 0x1FF, b.begin() + 0x200), Put32(b, 0x3C, 0x41);
    };
    const Change shortVirtualSize = [=](Bytes& b) {
        Put32(b, 0x170 + 8, uint32_t(placed - dir)), Put32(b, 0xDC, uint32_t(placed - dir));
    };
    const Change unalignedSection = [=](Bytes& b) {
        Put32(b, 0x148 + 16, size), Put32(b, 0x148 + 20, uint32_t(placed)), data(0x2000, size)(b);
    };
    constexpr int64_t kRefused = -2, kNoPlace = -1;
    const std::tuple<const char*, Change, int64_t> cases[] = {
        {"as built", [](Bytes&) {}, placed},
        {"not MZ", Put(1, 'X', 2), kRefused},
        {"not PE", Put(0x41, 'X', 2), kRefused},
        {"headers at an odd offset", oddHeaders, kRefused},
        {"PE32 magic on PE32+ headers", Put(0x58, 0x10B, 2), kRefused},
        {"unknown magic", Put(0x58, 0x30B, 2), kRefused},
        {"the smallest optional header", smallHeader(136), placed},
        {"one byte smaller", smallHeader(135), kRefused},
        {"two data directories", Put(0xC4, 2), kRefused},
        {"more languages than listed", Put(dir + 0x46, 999, 2), kRefused},
        {"a language above 0xFFFF", Put(dir + 0x48, 0x10409), kRefused},
        {"a language as a table", Put(dir + 0x4C, 0x80000000), kRefused},
        {"directory ends at the data entry's end", Put(0xDC, uint32_t(entry + 8 - dir)), placed},
        {"one byte sooner", Put(0xDC, uint32_t(entry + 7 - dir)), kRefused},
        {"in no section", data(0x9000, 16), kNoPlace},
        {"before its section", data(0x0800, 16), kNoPlace},
        {"past the end of the file", data(rva, 0x7FFFFFF0), kNoPlace},
        {"ends where the section does", data(rva, uint32_t(dir + raw - placed)), placed},
        {"one byte later", data(rva, uint32_t(dir + raw - placed + 1)), kNoPlace},
        {"starts where the section ends", data(0x1000 + raw, 0), kNoPlace},
        {"beyond a shorter virtual size", shortVirtualSize, kNoPlace},
        {"no virtual size", Put(0x170 + 8, 0), placed},
        {"an unaligned raw pointer", unalignedSection, kNoPlace},
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
    for (const auto& [at, count, covers] :
         {std::tuple{0x90, 8, false}, {0x90, 9, true}, {0x9B, 1, true}, {0x9C, 64, false}}) {
        EXPECT_EQ(CoversChecksum(image, at, count), covers) << std::hex << at;
    }
}

TEST(PeImage, ChoosesTheEntryTheResourceLoaderWouldAndPlacesOnlyThatOne) {
    // Wanted: neutral, the user's (0x0804), en-US; else the first.
    for (const auto& [languages, chosen] :
         {std::pair{std::vector<uint16_t>{0x0409, 0x0804}, 0x0804},
          {{0x0411, 0x0409}, 0x0409},
          {{0x0411, 0x0412}, 0x0411}}) {
        std::vector<std::pair<uint16_t, Bytes>> resources;
        for (uint16_t language : languages) resources.push_back({language, kBlock});
        EXPECT_EQ(ReadImage(MakePeFile(resources).bytes)->version->language, chosen);
    }
    // Many sections and many languages whose data no section holds: the reads grow with the
    // tables, not with their product.
    int reads[2] = {};
    for (const uint32_t count : {1000u, 2000u}) {
        PeFile file =
            MakePeFile(std::vector<std::pair<uint16_t, Bytes>>(count, {0x0411, {}}), 0, count);
        for (uint32_t i = 0; i < count; ++i) Put32(file.bytes, file.dataEntries + 16 * i, 1 << 30);
        const std::optional<PeImage> image = ReadImage(file.bytes, &reads[count / 2000]);
        EXPECT_TRUE(image && image->version && !image->version->offset);
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
    for (int round = 0; round < 6000; ++round) {
        Bytes file(64 + random() % 300);
        for (uint8_t& byte : file) byte = static_cast<uint8_t>(random() % 4 ? random() : 0xFF);
        // A range at an odd or even offset, up to the end, clear of the field at 8; every eighth
        // one makes the words sum to a multiple of 0xFFFF, which two folded sums stand for.
        const bool multiple = round % 8 == 0;
        const size_t at = multiple ? 12 : 12 + random() % (file.size() - 12);
        const size_t count =
            multiple ? 2 + random() % (file.size() - 13) : 1 + random() % (file.size() - at);
        Bytes changed = file;
        for (size_t i = at; i < at + count; ++i) changed[i] = static_cast<uint8_t>(random());
        const uint32_t folded = SystemChecksum(changed, 8) - uint32_t(changed.size());
        const uint32_t word = changed[12] + 256u * changed[13];
        if (multiple) Put16(changed, 12, (word + 0xFFFF - folded % 0xFFFF) % 0xFFFF);
        const uint32_t valid = SystemChecksum(file, 8), computed = SystemChecksum(changed, 8);
        const uint32_t wrong = round % 3 == 0 ? 0 : valid + (round % 3 == 1 ? 1 : 0x12345);
        const auto moved = [&](uint32_t stored) {
            return MovedChecksum(stored, file.size(), at, &file[at], &changed[at], count);
        };
        ASSERT_EQ(moved(valid), computed) << round;
        // A wrong one stays as wrong, in the sum's own arithmetic; zero stays zero.
        ASSERT_EQ(wrong ? (int64_t{moved(wrong)} - computed - wrong + valid) % 0xFFFF : moved(0),
                  0);
    }
}

TEST(VersionStore, WritesTheChangedSpanWithAValidChecksumOrRefusesTheWholeStore) {
    Bytes file = MakePeFile({{0x0804, kBlock}}).bytes;
    Put32(file, 0x98, SystemChecksum(file, 0x98));
    const PeImage image = *ReadImage(file);
    const uint64_t at = *image.version->offset;
    const VersionTranslation chinese{0x0804, 0x04B0};
    // The edits, then the FileVersion and ProductName that the file then holds, or why nothing is
    // written.
    for (const auto& [edits, loaded, offset, outcome] : std::vector<
             std::tuple<std::vector<VersionEdit>, VersionTranslation, uint64_t, std::u16string>>{
             {{{0, u"2.0"}, {5, u"新"}}, chinese, at, u"2.0 新"},
             {{{0, u"1.0.0.123"}}, chinese, at, u"1.0.0.123 示例"},
             {{{0, u"2.0"}, {5, u"示例产"}}, chinese, at, u"too long: 5"},
             {{{11, u"x"}}, chinese, at, u"refused"},                     // a key no longer there
             {{{0, std::u16string(1, u'\0')}}, chinese, at, u"refused"},  // a text holding a zero
             {{{0, u"2.0"}}, {0x0804, 0x03A8}, at, u"refused"},           // another translation now
             {{{0, u"2.0"}}, chinese, 0x90, u"refused"}}) {               // over the checksum field
        const StorePlan plan =
            PlanVersionStore({file.size(), image, offset, kBlock, *Read(kBlock)}, loaded, edits);
        Bytes stored = file;
        std::copy(plan.bytes.begin(), plan.bytes.end(), stored.begin() + plan.offset);
        Put32(stored, 0x98, plan.checksum);
        const Bytes block(stored.begin() + at, stored.begin() + at + kBlock.size());
        const VersionTable table = *Read(block);
        using Outcome = StorePlan::Outcome;
        EXPECT_EQ(
            plan.outcome == Outcome::Refused ? u"refused"
            : plan.outcome == Outcome::TooLong
                ? u"too long: " + std::u16string(1, u'0' + plan.key)
                : StoredText(block, *table.values[0]) + u" " + StoredText(block, *table.values[5]),
            outcome);
        EXPECT_TRUE(plan.outcome != Outcome::Write ||
                    plan.checksum == SystemChecksum(stored, 0x98));
        EXPECT_EQ(plan.bytes.empty(), outcome.substr(0, 3) != u"2.0");
    }
}
