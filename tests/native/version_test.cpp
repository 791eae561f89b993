// The version resource read from a file's own bytes: the block's tree, the in-place rewrite, the
// PE reader and the checksum.
#include <gtest/gtest.h>

#include <functional>
#include <random>

#include "tests/support/VersionImage.h"
#include "version/PeChecksum.h"
#include "version/PeImage.h"
#include "version/RewriteVersionString.h"

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

    const size_t strings = 0x5C, version = 0x98;  // where these two entries start
    ASSERT_EQ(kBlock[strings + 6], 'S');
    ASSERT_EQ(kBlock[version + 6], 'F');
    for (const auto& [name, mutate] :
         std::vector<std::pair<const char*, std::function<void(Bytes&)>>>{
             {"length word past the bytes", [](Bytes& b) { Put16(b, 0, b.size() + 4); }},
             {"length word too short", [](Bytes& b) { Put16(b, 0, 4); }},
             {"children past their parent", [](Bytes& b) { Put16(b, 0, 100); }},
             {"child past its parent", [&](Bytes& b) { Put16(b, strings, 0x7000); }},
             {"value past its entry", [&](Bytes& b) { Put16(b, version + 2, 200); }},
             {"unterminated key", [&](Bytes& b) { Put16(b, version, 16); }},
             {"another root", [](Bytes& b) { b[6] = 'W'; }},
             {"cut short", [](Bytes& b) { b.pop_back(); }}}) {
        Bytes block = kBlock;
        mutate(block);
        EXPECT_FALSE(Read(block)) << name;
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
    EXPECT_EQ(CheckVersionRewrite(block, {uint32_t(block.size() - 2), 4, 5}, u"a"),
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

TEST(PeImage, PlacesTheVersionEntryOnlyWhenItsDataLiesInsideItsSection) {
    const PeFile file = MakePeFile({{0x0409, kBlock}, {0x0000, kBlock}}, 4096);
    const std::optional<PeImage> image = ReadImage(file.bytes);
    ASSERT_TRUE(image && image->version);
    EXPECT_EQ(image->checksumOffset, 0x98u);
    EXPECT_EQ(image->version->language, 0x0000);
    EXPECT_EQ(image->version->offset, file.dataOffsets[1]);
    EXPECT_EQ(image->version->size, kBlock.size());
    // A data entry's (RVA, size) that does not lie in one section's bytes gives no place.
    const size_t entry = file.dataEntries + 16;
    const uint32_t rva = 0x1000 + static_cast<uint32_t>(file.dataOffsets[1] - file.rsrc);
    for (const auto& [at, size] : {std::pair<uint32_t, uint32_t>{0x9000, 16},  // in no section
                                   {rva, 0x7FFFFFF0},  // past the end of the file
                                   {rva, 0x1000},      // past its section, into appended data
                                   {0x0800, 16}}) {
        Bytes bytes = file.bytes;
        Put32(bytes, entry, at);
        Put32(bytes, entry + 4, size);
        const std::optional<PeImage> broken = ReadImage(bytes);
        ASSERT_TRUE(broken && broken->version);
        EXPECT_FALSE(broken->version->offset) << std::hex << at << " " << size;
    }
    // Headers at an odd offset: the checksum's words would not be the field's.
    Bytes odd = file.bytes;
    std::rotate(odd.begin() + 0x40, odd.begin() + 0x1FF, odd.begin() + 0x200);
    Put32(odd, 0x3C, 0x41);
    EXPECT_FALSE(ReadImage(odd));
    Bytes bytes = file.bytes;
    Put16(bytes, file.rsrc + 0x3E, 0xFFFF);  // more languages than the directory holds
    EXPECT_FALSE(ReadImage(bytes));
    bytes[0] = 'X';
    EXPECT_FALSE(ReadImage(bytes));
    // A version resource over the checksum field (0x98 to 0x9B) cannot be rewritten safely.
    for (const auto& [at, size, covers] : {std::tuple{0x90, 8, false},
                                           {0x90, 9, true},
                                           {0x9B, 1, true},
                                           {0x9C, 64, false},
                                           {0x00, 0x400, true}}) {
        EXPECT_EQ(CoversChecksum(*image, at, size), covers) << std::hex << at;
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
