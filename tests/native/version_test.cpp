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

TEST(RewriteVersionString, KeepsTheRestOfTheRoomAndRefusesWhatDoesNotFit) {
    const VersionTable table = *Read(kBlock);
    const VersionValue version = *table.values[0], chinese = *table.values[5];
    Bytes block = kBlock;
    // 1.0.0.123 (L = 9) to 2.0: bytes 0-8 zeroed, then "2.0" and its terminator.
    ASSERT_EQ(RewriteVersionString(block, version, 9, u"2.0"), RewriteResult::Written);
    EXPECT_EQ(std::u16string(reinterpret_cast<const char16_t*>(&block[version.offset]), 10),
              std::u16string(u"2.0\0\0.123\0", 10));
    EXPECT_TRUE(std::equal(block.begin(), block.begin() + version.offset, kBlock.begin()));
    EXPECT_TRUE(std::equal(block.begin() + version.offset + 20, block.end(),
                           kBlock.begin() + version.offset + 20));
    EXPECT_EQ(RewriteVersionString(block, chinese, 4, u"中"), RewriteResult::Written);  // L = 4
    EXPECT_EQ(StoredText(block, chinese), std::u16string(u"中\0", 2));
    EXPECT_EQ(CheckVersionRewrite(block, chinese, u"示例产"), RewriteResult::TooLong);
    EXPECT_EQ(CheckVersionRewrite(block, *table.values[3], u"a"), RewriteResult::TooLong);
    EXPECT_EQ(CheckVersionRewrite(block, chinese, std::u16string(1, u'\0')),
              RewriteResult::Invalid);
    EXPECT_EQ(CheckVersionRewrite(block, {uint32_t(block.size() - 2), 4, 5}, u"a"),
              RewriteResult::Invalid);
}

static std::optional<PeImage> ReadImage(const Bytes& file) {
    const auto read = [&file](uint64_t at, void* into, size_t size) {
        return std::copy_n(file.begin() + at, size, static_cast<uint8_t*>(into)) != nullptr;
    };
    return ReadPeImage(read, file.size());
}

TEST(PeImage, ListsVersionEntriesWhoseDataLiesInsideTheirSection) {
    const PeFile file = MakePeFile({{0x0409, kBlock}, {0x0000, kBlock}}, 4096);
    const std::optional<PeImage> image = ReadImage(file.bytes);
    ASSERT_TRUE(image && image->versions.size() == 2);
    EXPECT_EQ(image->checksumOffset, 0x98u);
    EXPECT_EQ(image->versions[1].language, 0x0000);
    EXPECT_EQ(image->versions[1].offset, file.dataOffsets[1]);
    EXPECT_EQ(image->versions[1].size, kBlock.size());
    // A data entry's (RVA, size) that does not lie in one section's bytes gives no place.
    const uint32_t rva = 0x1000 + static_cast<uint32_t>(file.dataOffsets[0] - 0x200);
    for (const auto& [at, size] : {std::pair<uint32_t, uint32_t>{0x9000, 16},  // in no section
                                   {rva, 0x7FFFFFF0},  // past the end of the file
                                   {rva, 0x1000},      // past its section, into appended data
                                   {0x0800, 16}}) {
        Bytes bytes = file.bytes;
        Put32(bytes, file.dataEntries, at);
        Put32(bytes, file.dataEntries + 4, size);
        const std::optional<PeImage> broken = ReadImage(bytes);
        ASSERT_TRUE(broken);
        EXPECT_FALSE(broken->versions[0].offset) << std::hex << at << " " << size;
    }
    // Headers at an odd offset: the checksum's words would not be the field's.
    Bytes odd = file.bytes;
    std::rotate(odd.begin() + 0x40, odd.begin() + 0x1FF, odd.begin() + 0x200);
    Put32(odd, 0x3C, 0x41);
    EXPECT_FALSE(ReadImage(odd));
    Bytes bytes = file.bytes;
    Put16(bytes, 0x23E, 0xFFFF);  // more languages than the directory holds
    EXPECT_FALSE(ReadImage(bytes));
    bytes[0] = 'X';
    EXPECT_FALSE(ReadImage(bytes));
}

TEST(PeImage, ChoosesTheEntryTheResourceLoaderWould) {
    // Wanted: neutral, the user's (0x0804), en-US; else the first.
    const std::pair<std::vector<uint16_t>, int> cases[] = {{{0x0409, 0x0804}, 0x0804},
                                                           {{0x0804, 0x0000}, 0x0000},
                                                           {{0x0411, 0x0409}, 0x0409},
                                                           {{0x0411, 0x0412}, 0x0411},
                                                           {{}, -1}};
    for (const auto& [languages, chosen] : cases) {
        std::vector<PeVersionEntry> entries;
        for (uint16_t language : languages) entries.push_back({language, 16, 0x400});
        const PeVersionEntry* entry = ChooseVersionEntry(entries, {0, 0x0804, 0x0804, 0x0409});
        EXPECT_EQ(entry ? entry->language : -1, chosen);
    }
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

TEST(PeChecksum, IncrementalUpdateAgreesWithTheSystemsComputation) {
    std::mt19937 random(20261206);
    const size_t field = 8;
    for (int round = 0; round < 4000; ++round) {
        Bytes file(64 + random() % 300);
        for (uint8_t& byte : file) byte = static_cast<uint8_t>(random() % 4 ? random() : 0xFF);
        PeWordSum sum(field);
        sum.Add(0, file.data(), file.size());
        ASSERT_EQ(
            sum.ChecksumWith(file[8] | file[9] << 8 | file[10] << 16 | file[11] << 24, file.size()),
            SystemChecksum(file, field));
        // A range at an odd or even offset, up to the end, clear of the field.
        const bool multiple = round % 8 == 0;
        const size_t at = multiple ? 12 : 12 + random() % (file.size() - 12);
        const size_t count =
            multiple ? 2 + random() % (file.size() - 13) : 1 + random() % (file.size() - at);
        Bytes changed = file;
        for (size_t i = at; i < at + count; ++i) changed[i] = static_cast<uint8_t>(random());
        Put32(changed, field, 0);
        if (multiple) {  // words that sum to a multiple of 0xFFFF, which two folded sums stand for
            const uint32_t folded = SystemChecksum(changed, field) - uint32_t(changed.size());
            Put16(changed, 12,
                  (changed[12] + 256u * changed[13] + 0xFFFF - folded % 0xFFFF) % 0xFFFF);
        }
        sum.Replace(at, file.data() + at, changed.data() + at, count);
        const uint32_t checksum = sum.Checksum(changed.size());
        Put32(changed, field, checksum);
        ASSERT_EQ(SystemChecksum(changed, field), checksum) << round;
    }
}
