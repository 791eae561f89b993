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

const Bytes kBlock = VersionBlock({{u"FileVersion", u"1.0.0.123"},
                                   {u"ProductName", u"示例"},
                                   {u"ProductVersion", u"1.0.0.123 built 2024-12"},
                                   {u"Comments", u""}});

static std::optional<VersionTable> Read(const Bytes& block) {
    return ReadVersionTable(block.data(), block.size());
}

// A change that writes a little-endian value of `size` bytes (2 or 4).
static Change Put(size_t at, uint32_t value, int size = 4) {
    return [=](Bytes& b) { size == 2 ? Put16(b, at, value) : Put32(b, at, value); };
}

// The bytes as `change` leaves them.
static Bytes Changed(Bytes bytes, const Change& change) {
    change(bytes);
    return bytes;
}

// The certificate table's directory entry (at 0xE8): `size` bytes at the file offset `at`.
static Change Certificate(size_t at, uint32_t size, Change also = nullptr) {
    return [=](Bytes& b) {
        Put32(b, 0xE8, uint32_t(at)), Put32(b, 0xEC, size), also ? also(b) : void();
    };
}

TEST(VersionBlock, FindsTheFirstTranslationsStringsAndRefusesATreeThatDoesNotHoldTogether) {
    const std::optional<VersionTable> table = Read(kBlock);
    ASSERT_TRUE(table && table->translation);
    EXPECT_EQ(*table->translation, (VersionTranslation{0x0804, 0x04B0}));
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
    // A string's room ends where a child of its entry begins.
    Entry root{u"VS_VERSION_INFO", u"", FixedInfo(), {}};
    const Entry text{u"FileVersion", std::u16string(u"1.0\0", 4), {}, {{u"x", u"y", {}, {}}}};
    root.children = {{u"StringFileInfo", u"", {}, {{u"080404b0", u"", {}, {text}}}},
                     {u"VarFileInfo", u"", {}, {{u"Translation", u"", {4, 8, 0xB0, 4}, {}}}}};
    Bytes parent;
    Append(parent, root);
    EXPECT_EQ(Read(parent)->values[0]->room, 4u);

    const size_t strings = 0x5C, version = 0x98;  // where these two entries start
    ASSERT_TRUE(kBlock[strings + 6] == 'S' && kBlock[version + 6] == 'F');
    const Change zerosAfterTheLastString = [&](Bytes& b) {
        b.insert(b.begin() + strings + b[strings] + 256 * b[strings + 1], 8, 0);
        for (size_t at : {size_t{0}, strings, strings + 36})
            Put16(b, at, b[at] + 256 * b[at + 1] + 8);
    };
    // The root's last six bytes an entry whose length word says `length`: a key would start where
    // the block ends.
    const auto lastEntry = [](uint8_t length) {
        return [=](Bytes& b) {
            Put16(b, 0, uint32_t(b.size() + 6));
            b.insert(b.end(), {length, 0, 1, 1, 1, 1});
        };
    };
    // The root's last bytes `tail`, after its last entry.
    const auto stray = [](Bytes tail) {
        return [=](Bytes& b) {
            Put16(b, 0, uint32_t(b.size() + tail.size()));
            b.insert(b.end(), tail.begin(), tail.end());
        };
    };
    // What each change makes of the FileVersion string; nothing when the block is refused.
    const std::tuple<const char*, Change, const char16_t*> cases[] = {
        {"a length in bytes, as some compilers write it, at its room", Put(version + 2, 20, 2),
         u"1.0.0.123"},
        {"one byte past its room", Put(version + 2, 21, 2), nullptr},
        {"zero words after a table's last string", zerosAfterTheLastString, u"1.0.0.123"},
        {"child past its parent", Put(strings, 0x7000, 2), nullptr},
        {"value past its entry", Put(version + 2, 200, 2), nullptr},
        {"unterminated key", Put(version, 16, 2), nullptr},
        {"a string's length word at its header, with no room for a key", Put(version, 6, 2),
         nullptr},
        {"one less", Put(version, 5, 2), nullptr},
        {"two less", Put(version, 4, 2), nullptr},
        {"the last entry at its header", lastEntry(6), nullptr},
        {"one less", lastEntry(5), nullptr},
        {"two less", lastEntry(4), nullptr},
        {"a last byte too few for a length word", stray({1}), u"1.0.0.123"},
        {"two, a length word of no entry", stray({1, 0}), nullptr},
        {"a text without a terminator", Put(version + 50, 'x', 2), u"1.0.0.123x"},
        {"another root", Put(6, 'W', 2), nullptr},
        {"cut short", [](Bytes& b) { b.pop_back(); }, nullptr}};
    for (const auto& [name, change, text] : cases) {
        // Exactly as long as its bytes, so that a read past them is caught.
        const Bytes changed = Changed(kBlock, change), block(changed.begin(), changed.end());
        const std::optional<VersionTable> read = Read(block);
        EXPECT_EQ(read ? StoredText(block, *read->values[0]) : u"-", text ? text : u"-") << name;
    }
    // The fixed versions come only from a whole VS_FIXEDFILEINFO at the root's value.
    EXPECT_EQ(FixedVersionText(table->fixed->fileVersion), u"1.2.3.123");
    EXPECT_EQ(FixedVersionText(table->fixed->productVersion), u"4.5.6.7");
    for (const Change& change : {Put(2, 50, 2), Put(40, 0xFEEF04BC)}) {
        EXPECT_FALSE(Read(Changed(kBlock, change))->fixed);
    }
}

TEST(RewriteVersionString, PutsTheTextAtTheStartOfTheRoomAndZeroesTheRest) {
    const Bytes block = VersionBlock({{u"FileVersion", u"1.0.0.123"},
                                      {u"ProductName", u"示例产品"},
                                      {u"Comments", u"😀😀"}});  // two astral characters: 4 units
    const VersionTable table = *Read(block);
    // Per key: texts of the same length, one unit shorter, much shorter and empty.
    const std::pair<int, std::array<std::u16string, 4>> rows[] = {
        {0, {u"1.0.0.124", u"1.0.0.12", u"2", u""}},
        {5, {u"示例产物", u"示例产", u"新", u""}},
        {3, {u"😀😁", u"😀b", u"c", u""}}};
    for (const auto& [key, texts] : rows) {
        const VersionValue value = *table.values[key];
        EXPECT_EQ(CheckVersionRewrite(block, value, std::u16string(value.room, u'x')),
                  RewriteResult::TooLong);
        for (const std::u16string& text : texts) {
            const std::u16string room = text + std::u16string(value.room - text.size(), u'\0');
            Bytes rewritten = block, expected = block;
            std::memcpy(&expected[value.offset], room.data(), room.size() * 2);
            EXPECT_EQ(RewriteVersionString(rewritten, value, text), RewriteResult::Written);
            EXPECT_EQ(rewritten, expected) << key << " " << text.size();
        }
    }
    EXPECT_EQ(CheckVersionRewrite(block, *table.values[5], std::u16string(1, u'\0')),
              RewriteResult::Invalid);
    EXPECT_EQ(CheckVersionRewrite(block, {uint32_t(block.size() - 6), 2, 5, 0, false}, u"a"),
              RewriteResult::Invalid);
    // A room outlives a shorter text, as its entry keeps declaring it; the value length grows
    // with a longer one, in the entry's own unit (units, or bytes as some compilers count).
    const size_t version = 0x98;  // kBlock's FileVersion: "1.0.0" left of "1.0.0.123"
    for (const auto& [length, text, grown] :
         {std::tuple{6, u"1.0.0.9", 8}, {6, u"1.0", 6}, {12, u"1.0.0.123", 20}, {12, u"", 12}}) {
        Bytes shortened = Changed(kBlock, Put(version + 2, length, 2));
        std::fill_n(shortened.begin() + version + 42, 10, 0);
        const VersionValue value = *Read(shortened)->values[0];
        EXPECT_EQ(value.room, 10u);
        EXPECT_EQ(RewriteVersionString(shortened, value, text), RewriteResult::Written);
        EXPECT_EQ(shortened[version + 2] + 256 * shortened[version + 3], grown);
        EXPECT_EQ(StoredText(shortened, *Read(shortened)->values[0]), text);
    }
}

static PeFileReader Reader(const Bytes& file, int* reads = nullptr) {
    return [&file, reads](uint64_t at, void* into, size_t size) {
        if (reads) ++*reads;
        return std::copy_n(file.begin() + at, size, static_cast<uint8_t*>(into)) != nullptr;
    };
}

// The user's languages as the program asks the system for them: neutral, Chinese (PRC), en-US.
static std::optional<PeImage> ReadImage(const Bytes& file, int* reads = nullptr) {
    return ReadPeImage(Reader(file, reads), file.size(), {0, 0x0804, 0x0804, 0x0409});
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
    const auto smallHeader = [](uint32_t optionalSize, uint32_t count = 3) {  // sections after
        return [=](Bytes& b) {
            Put32(b, 0xC4, count), Put16(b, 0x54, optionalSize);
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
        const std::optional<PeImage> image = ReadImage(Changed(file.bytes, change));
        EXPECT_EQ(!image                                     ? kRefused
                  : image->version && image->version->offset ? int64_t(*image->version->offset)
                                                             : kNoPlace,
                  expected)
            << name;
    }
    // The certificate table counts only inside the file.
    const uint32_t end = uint32_t(file.bytes.size());
    const std::tuple<const char*, Change, int64_t> tables[] = {
        {"none", [](Bytes&) {}, kNoPlace},
        {"empty", Certificate(0x400, 0), kNoPlace},
        {"inside the file", Certificate(0x400, 16), 0x400},
        {"ends where the file does", Certificate(end - 16, 16), end - 16},
        {"one byte later", Certificate(end - 16, 17), kNoPlace},
        {"past the end of the file", Certificate(end + 16, 16), kNoPlace},
        {"a size that wraps", Certificate(0x400, 0xFFFFFC00), kNoPlace},
        {"four directories", Certificate(0x400, 16, Put(0xC4, 4)), kNoPlace},
        {"five in the smallest header", Certificate(0x400, 16, smallHeader(152, 5)), 0x400},
        {"one byte smaller", Certificate(0x400, 16, smallHeader(151, 5)), kNoPlace}};
    for (const auto& [name, change, expected] : tables) {
        const std::optional<PeCertificate> read =
            ReadImage(Changed(file.bytes, change))->certificate;
        EXPECT_EQ(read ? int64_t(read->offset) : kNoPlace, expected) << name;
        EXPECT_TRUE(!read || read->size == 16) << name;
    }
    const PeImage image = *ReadImage(Changed(file.bytes, Certificate(0x400, 16)));
    EXPECT_EQ(image.version->size, size);
    // Nothing may be rewritten over the checksum field (0x98 to 0x9B), the certificate table's
    // entry (0xE8 to 0xEF) or the table (0x400 to 0x40F).
    const std::tuple<int, int, bool, bool> ranges[] = {
        {0x90, 8, false, false},     {0x90, 9, true, false},  {0x9B, 1, true, false},
        {0x9C, 76, false, false},    {0x9C, 77, false, true}, {0xEF, 0x311, false, true},
        {0xF0, 0x310, false, false}, {0x40F, 1, false, true}, {0x410, 64, false, false}};
    for (const auto& [at, count, checksum, certificate] : ranges) {
        EXPECT_EQ(CoversChecksum(image, at, count), checksum) << std::hex << at;
        EXPECT_EQ(CoversCertificate(image, at, count), certificate) << std::hex << at;
    }
}

TEST(PeImage, ChoosesTheEntryTheResourceLoaderWouldAndPlacesOnlyThatOne) {
    // Two languages and the one chosen: neutral, the user's (0x0804) or en-US, else the first.
    const std::array<uint16_t, 3> choices[] = {
        {0x0409, 0x0804, 0x0804}, {0x0411, 0x0409, 0x0409}, {0x0411, 0x0412, 0x0411}};
    for (const auto& [first, second, chosen] : choices) {
        const PeFile file = MakePeFile({{first, kBlock}, {second, kBlock}});
        EXPECT_EQ(ReadImage(file.bytes)->version->language, chosen);
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

TEST(PeChecksum, MovedByAnEditAsTheSystemComputesItForValidWrongAndZeroFields) {
    std::mt19937 random(20261206);
    for (int round = 0; round < 6000; ++round) {
        Bytes file(64 + random() % 300);
        for (uint8_t& byte : file) byte = static_cast<uint8_t>(random() % 4 ? random() : 0xFF);
        // A range at an odd or even offset, up to the end, clear of the field at 8, and every
        // other time bytes appended; every eighth one makes the words sum to a multiple of
        // 0xFFFF, which two folded sums stand for.
        const bool multiple = round % 8 == 0;
        const size_t at = multiple ? 12 : 12 + random() % (file.size() - 12);
        const size_t count =
            multiple ? 2 + random() % (file.size() - 13) : 1 + random() % (file.size() - at);
        Bytes changed = file;
        for (size_t i = at; i < at + count; ++i) changed[i] = static_cast<uint8_t>(random());
        for (size_t i = round % 2 ? random() % 9 : 0; i > 0; --i) changed.push_back(random());
        const uint32_t folded = SystemChecksum(changed, 8) - uint32_t(changed.size());
        const uint32_t word = changed[12] + 256u * changed[13];
        if (multiple) Put16(changed, 12, (word + 0xFFFF - folded % 0xFFFF) % 0xFFFF);
        const uint32_t valid = SystemChecksum(file, 8), computed = SystemChecksum(changed, 8);
        const uint32_t wrong = round % 3 == 0 ? 0 : valid + (round % 3 == 1 ? 1 : 0x12345);
        const auto moved = [&](uint32_t stored) {
            ChecksumMove move;
            const Bytes zeros(changed.size() - file.size());
            move.Add(at, &file[at], &changed[at], count);
            move.Add(file.size(), zeros.data(), changed.data() + file.size(), zeros.size());
            return move.Moved(stored, file.size(), changed.size());
        };
        ASSERT_EQ(moved(valid), computed) << round;
        // A wrong one stays as wrong, in the sum's own arithmetic; zero stays zero.
        ASSERT_EQ(wrong ? (int64_t{moved(wrong)} - computed - wrong + valid) % 0xFFFF : moved(0),
                  0);
    }
}

using Adjust = std::function<void(VersionResource&)>;

// What a store of `changes` makes of a file holding kBlock (its checksum made valid after
// `change`): its FileVersion, ProductVersion and ProductName and, when a fixed version is
// changed, the fixed info's file and product words; or why nothing is written. `adjust` alters
// what was read of the file before the plan.
static std::u16string Store(const VersionChanges& changes, const Change& change,
                            const Adjust& adjust) {
    const PeFile pe = MakePeFile({{0x0804, kBlock}});
    Bytes file = change ? Changed(pe.bytes, change) : pe.bytes;
    const size_t at = pe.dataOffsets[0];
    Put32(file, 0x98, SystemChecksum(file, 0x98));
    const Bytes block(file.begin() + at, file.begin() + at + kBlock.size());
    VersionResource resource{file.size(), ReadImage(file).value(), at, block, *Read(block)};
    if (adjust) adjust(resource);
    const StorePlan plan = PlanVersionStore(resource, Reader(file), {0x0804, 0x04B0}, changes);
    if (plan.outcome != StorePlan::Outcome::Write || plan.writes.empty()) {
        EXPECT_TRUE(plan.writes.empty());
        const bool tooLong = plan.outcome == StorePlan::Outcome::TooLong;
        const char16_t* outcomes[] = {u"unchanged", u"too long: ", u"no fixed info", u"refused"};
        return outcomes[static_cast<int>(plan.outcome)] +
               (tooLong ? std::u16string(1, u'0' + plan.key) : u"");
    }
    EXPECT_EQ(plan.writes.size(), 1u);  // one span, inside the block
    for (const FileWrite& write : plan.writes)
        std::copy(write.bytes.begin(), write.bytes.end(), file.begin() + write.offset);
    Put32(file, 0x98, plan.checksum);
    EXPECT_EQ(plan.checksum, SystemChecksum(file, 0x98));
    const Bytes after(file.begin() + at, file.begin() + at + kBlock.size());
    const VersionTable table = *Read(after);
    std::u16string out;
    for (const size_t key : {0, 4, 5})
        out += (table.values[key] ? StoredText(after, *table.values[key]) : u"-") + u"|";
    for (size_t i = 48; (changes.fileVersion || changes.productVersion) && i < 64; ++i)
        out += {u"0123456789abcdef"[after[i] >> 4], u"0123456789abcdef"[after[i] & 15]};
    return out;
}

TEST(VersionStore, WritesTheChangedSpanWithAValidChecksumOrRefusesTheWholeStore) {
    const PeFile pe = MakePeFile({{0x0804, kBlock}});
    const size_t at = pe.dataOffsets[0], version = at + 0x98;
    const FixedVersion small{10, 2, 3, 40}, big{65535, 65535, 65535, 65535};
    const Adjust otherTranslation = [](VersionResource& r) { r.table.translation->codePage = 0; };
    const Change unterminated = Put(version + 50, 'x', 2);
    const Change overTranslation = Certificate(at + kBlock.size() - 4, 4);
    const std::u16string product = u"1.0.0.123 built 2024-12|", kept = product + u"示例|";
    // The fixed info's words as built (1.2.3.123 and 4.5.6.7), and as `small` and `big` make them.
    const std::u16string file = u"020001007b000300", words = u"0500040007000600";
    const std::u16string smallWords = u"02000a0028000300", bigWords = u"ffffffffffffffff";
    const std::u16string smallStored = u"10.2.3.40|" + kept + smallWords + words;
    const Change cut = [=](Bytes& b) {
        b.resize(at + kBlock.size()), Put32(b, 0xDC, uint32_t(at - pe.rsrc));
    };
    // ProductVersion shortened to "1" by an earlier store: its room is as large as before.
    const size_t productVersion = at + Read(kBlock)->values[4]->offset;
    const Change shortened = [=](Bytes& b) { std::fill_n(b.begin() + productVersion + 2, 44, 0); };
    const std::tuple<VersionChanges, Change, Adjust, std::u16string> cases[] = {
        {{{{0, u"2.0"}, {5, u"新"}}}, {}, {}, u"2.0|" + product + u"新|"},
        {{{{0, u"1.0.0.123"}}}, {}, {}, u"unchanged"},
        {{{{0, u"2.0"}, {5, u"示例产"}}}, {}, {}, u"too long: 5"},
        {{{{4, u"1.0.0.123 built 2024-12"}}}, shortened, {}, u"1.0.0.123|" + kept},
        {{{{11, u"x"}}}, {}, {}, u"refused"},                     // a key no longer there
        {{{{0, std::u16string(1, u'\0')}}}, {}, {}, u"refused"},  // a text holding a zero
        {{{{0, u"2.0"}}}, {}, otherTranslation, u"refused"},      // another translation now,
        {{{}, small}, {}, otherTranslation, smallStored},         // which a fixed version follows
        {{{{0, u"2.0"}}}, {}, [](VersionResource& r) { r.offset = 0x90; }, u"refused"},
        // A fixed version's words, and its text in its string unless that is edited too.
        {{{}, {}, big}, {}, {}, u"1.0.0.123|65535.65535.65535.65535|示例|" + file + bigWords},
        {{{}, big}, {}, {}, u"too long: 0"},
        {{{{0, u"v1"}}, small, small}, {}, {}, u"v1|10.2.3.40|示例|" + smallWords + smallWords},
        {{{}, small}, Put(at + 40, 0xFEEF04BC), {}, u"no fixed info"},
        {{{}, big}, Put(version + 6, 'X', 2), {}, u"-|" + kept + bigWords + words},
        // A text without a terminator: its room ends where its entry does.
        {{{}, small}, unterminated, {}, smallStored},
        {{{{0, u"1.0.0.123x"}}}, unterminated, {}, u"too long: 0"},
        // Changes next to the certificate table (the first changed byte is the file version's A, at
        // 50), and inside it; over bytes of the block that do not change.
        {{{}, small}, Certificate(at + 40, 10), {}, smallStored},
        {{{}, small}, Certificate(at + 40, 11), {}, u"refused"},
        {{{{5, u"新"}}}, overTranslation, {}, u"1.0.0.123|" + product + u"新|"},
        // The block ends where the file does.
        {{{{5, u"新"}}, small}, cut, {}, u"10.2.3.40|" + product + u"新|" + smallWords + words}};
    for (const auto& [changes, change, adjust, expected] : cases) {
        EXPECT_EQ(Store(changes, change, adjust), expected);
    }
}

// A store that grows strings of the file, or gives it the version resource that it lacks (in
// 0x0409), as planned and written: where the block goes and each span written, or why nothing is.
// The file it leaves must read the new strings beside the old ones, with a valid checksum.
static std::string Grow(Bytes file, const VersionChanges& changes) {
    Put32(file, 0x98, SystemChecksum(file, 0x98));
    const Bytes before = file;
    const std::optional<PeImage> read = ReadImage(before);
    if (!read) return "unreadable";
    const PeImage& image = *read;
    const VersionResource resource =
        image.version ? *ReadVersionResource(Reader(before), before.size(), image)
                      : VersionResource{before.size(), image, 0, {}, {}};
    const StorePlan plan =
        PlanVersionStore(resource, Reader(before), {0x0804, 0x04B0}, changes, {true, 0x0409});
    const char* causes[] = {"no room: sizes", "no room: appended data", "no room: section table"};
    if (plan.outcome == StorePlan::Outcome::TooLong) return "too long";
    if (plan.outcome != StorePlan::Outcome::Write)
        return plan.outcome == StorePlan::Outcome::NoRoom ? causes[int(plan.cause)] : "refused";
    std::string out = (const char*[]){"in place", "moved", "new section"}[int(plan.placement)];
    for (const FileWrite& write : plan.writes) {
        char span[32];
        std::snprintf(span, sizeof span, " %#zx+%#zx", size_t(write.offset), write.bytes.size());
        out += span;
        file.resize(std::max(file.size(), write.offset + write.bytes.size()));
        std::copy(write.bytes.begin(), write.bytes.end(), file.begin() + write.offset);
    }
    Put32(file, 0x98, plan.checksum);
    EXPECT_EQ(plan.checksum, SystemChecksum(file, 0x98));
    const std::optional<PeImage> again = ReadImage(file);
    const std::optional<VersionResource> after =
        again ? ReadVersionResource(Reader(file), file.size(), *again) : std::nullopt;
    if (!after) return out + " unreadable";
    const auto word = [&file](size_t at) { return uint32_t(file[at] | file[at + 1] << 8); };
    const auto dword = [&word](size_t at) { return word(at) | word(at + 2) << 16; };
    // A new section's header as the loader takes it: aligned, counted in the image's size,
    // initialized readable data.
    if (plan.placement == VersionPlacement::NewSection) {
        const PeSection& added = again->sections.back();
        const uint32_t pages = dword(0x78), end = added.virtualAddress + added.virtualSize;
        EXPECT_EQ(added.virtualAddress % pages, 0u) << out;
        EXPECT_EQ(dword(0x90), (end + pages - 1) / pages * pages) << out;
        EXPECT_EQ(dword(again->sectionTable + 40 * again->sections.size() - 4), 0x40000040u) << out;
    }
    // A version resource made anew: Unicode text, after the directory, its data entry 4-byte
    // aligned.
    if (!image.version) {
        EXPECT_LE(again->resources->rva + again->resources->size, again->version->rva) << out;
        EXPECT_EQ(after->table.translation, (VersionTranslation{0x0409, 1200})) << out;
        EXPECT_EQ(again->version->dataEntry % 4, 0u) << out;
    }
    // Each key as edited, else as it was, else following its fixed version.
    for (size_t key = 0; key < kVersionStringKeyCount; ++key) {
        const auto edit = std::find_if(changes.strings.begin(), changes.strings.end(),
                                       [key](const VersionEdit& e) { return e.key == key; });
        const std::optional<VersionValue>&value = resource.table.values[key],
              &now = after->table.values[key];
        const std::optional<FixedVersion>& fixed = key == kFileVersionKey ? changes.fileVersion
                                                   : key == kProductVersionKey
                                                       ? changes.productVersion
                                                       : std::nullopt;
        // An edited string's value length counts the terminator too; an added one counts units.
        if (edit != changes.strings.end() && now) {
            EXPECT_EQ(word(after->offset + now->entry + 2),
                      (edit->text.size() + 1) * (now->inBytes ? 2 : 1));
            EXPECT_TRUE(value || !now->inBytes);
        }
        EXPECT_EQ(now ? StoredText(after->block, *now) : u"-",
                  edit != changes.strings.end() ? edit->text
                  : value                       ? StoredText(resource.block, *value)
                  : fixed                       ? FixedVersionText(*fixed)
                                                : u"-")
            << out << " " << key;
    }
    return out;
}

TEST(VersionPlacement, GoesWhereItDisturbsLeastAndWritesOnlyTheBytesItNames) {
    // ProductName longer, OriginalFilename added: kBlock's 0x1A8 bytes become 0x1F4. In a section
    // from 0x200 to 0x600: the directory, the data entry at 0x250, the block at 0x260; another
    // language's data after it where there are two. A new section's header goes at 0x170.
    const VersionChanges grow{{{5, u"示例产品的新名称"}, {11, u"sample.exe"}}};
    const Bytes alone = MakePeFile({{0x0804, kBlock}}, 0x400).bytes;
    const auto two = [](size_t other) {  // the block at 0x278, the other data at 0x420
        return MakePeFile({{0x0804, kBlock}, {0x0409, Bytes(other, 0xAB)}}).bytes;
    };
    const auto section = [](uint32_t at, uint32_t value) { return Put(0x148 + at, value); };
    const auto both = [](Change a, Change b, Change c = Put(0xDC, 0x60)) {
        return [=](Bytes& f) { a(f), b(f), c(f); };
    };
    const Change relocations = [](Bytes& f) {  // a section after, its data appended
        Put16(f, 0x46, 2), Put32(f, 0x178, 0x100), Put32(f, 0x17C, 0x2000);
        Put32(f, 0x180, 0x200), Put32(f, 0x184, 0x600);
    };
    // The section ending with the block and the file with it, then `more`.
    const auto packed = [=](size_t end, Change more = Put(0, 0x5A4D, 2), int shift = 0) {
        return [=](Bytes& f) {
            const uint32_t size = uint32_t(end - 0x200);
            Put32(f, 0x150 - shift, size), Put32(f, 0x158 - shift, size);
            Put32(f, 0xDC - shift, size), f.resize(end), more(f);
        };
    };
    const auto aligned = [](uint32_t memory, uint32_t file) -> Change {
        return [=](Bytes& f) { Put32(f, 0x78, memory), Put32(f, 0x7C, file); };
    };
    const Change signature = [](Bytes& f) { f.resize(0x418, 0xC5), Certificate(0x408, 16)(f); };
    const std::string added = " 0x170+0x28 0x46+0x2 0x90+0x4 0x60+0x4";
    const std::tuple<const char*, Bytes, Change, std::string> layouts[] = {
        {"slack after it", alone, {}, "in place 0x260+0x1f4 0x250+0x8"},
        {"its virtual size ends with it", alone, both(section(8, 0x208), Put(0xDC, 0x60)),
         "in place 0x260+0x1f4 0x150+0x4 0x250+0x8"},
        {"relocations after, data appended, a certificate table", alone,
         both(relocations, Certificate(0x900, 0x100)), "in place 0x260+0x1f4 0x250+0x8"},
        {"another's data after it, free space at the end",
         two(484),
         {},
         "moved 0x604+0x1f4 0x258+0x8 0x278+0x1a8"},
        {"another's data after it, too little free space", two(100), packed(0x600),
         "new section 0x600+0x200" + added + " 0x258+0x8 0x278+0x1a8"},
        {"a debug directory in the slack", alone, both(Put(0xF8, 0x1240), Put(0xFC, 16)),
         "no room: appended data"},
        {"a certificate table in the slack", alone, Certificate(0x440, 16),
         "no room: appended data"},
        // Packed: a new section, where the headers have room and nothing but a certificate table
        // follows the sections' data.
        {"packed", alone, packed(0x408),
         "new section 0x408+0x3f8" + added + " 0x250+0x8 0x260+0x1a8"},
        {"packed, signed", alone, packed(0x408, signature),
         "new section 0x408+0x3f8 0x800+0x10 0xe8+0x4" + added + " 0x250+0x8 0x260+0x1a8"},
        {"packed, PE32", MakePeFile({{0x0804, kBlock}}, 0, 0, true).bytes,
         packed(0x408, Put(0, 0x5A4D, 2), 16),
         "new section 0x408+0x3f8 0x160+0x28 0x46+0x2 0x90+0x4 0x60+0x4 0x250+0x8 0x260+0x1a8"},
        {"packed, data appended", alone, packed(0x408, [](Bytes& f) { f.push_back(1); }),
         "no room: appended data"},
        {"packed, a symbol table", alone,
         packed(0x408, [](Bytes& f) { f.resize(0x440), Put(0x4C, 0x408)(f); }),
         "no room: appended data"},
        {"packed, something in the headers' room", alone, packed(0x408, Put(0x190, 1)),
         "no room: section table"},
        {"packed, bound imports there", alone,
         packed(0x408, both(Put(0x120, 0x170), Put(0x124, 0x30), Put(0x170, 0))),
         "no room: section table"},
        {"packed, headers without room", alone, packed(0x408, Put(0x94, 0x190)),
         "no room: section table"},
        // File pages of 64 KiB at most, and never larger than the memory's.
        {"packed, pages of 64 KiB", alone, packed(0x408, aligned(0x10000, 0x10000)),
         "new section 0x408+0x1fbf8" + added + " 0x250+0x8 0x260+0x1a8"},
        {"packed, file pages of 128 KiB", alone, packed(0x408, aligned(0x20000, 0x20000)),
         "no room: sizes"},
        {"packed, file pages larger than the memory's", alone,
         packed(0x408, aligned(0x1000, 0x2000)), "no room: sizes"}};
    for (const auto& [name, file, change, expected] : layouts) {
        EXPECT_EQ(Grow(change ? Changed(file, change) : file, grow), expected) << name;
    }
    // A block's length is a 16-bit word.
    EXPECT_EQ(Grow(alone, {{{5, std::u16string(0x8000, u'x')}}}), "too long");
    // A version resource made for a file without one: the directory written anew, with the
    // block after it, where the old directory was; in a new section where it has no room or the
    // file has no resources.
    const VersionChanges stamp{
        {{7, u"Telvaro"}}, FixedVersion{1, 2, 3, 4}, FixedVersion{5, 6, 7, 8}};
    const Bytes none = MakePeFile({}).bytes;
    const std::tuple<const char*, Bytes, Change, std::string> made[] = {
        {"resources but no version", none, {}, "in place 0x200+0x1fc 0xd8+0x8"},
        {"resources packed", none, packed(0x248),
         "new section 0x248+0x3b8" + added + " 0xd8+0x8 0x200+0x48"},
        {"no resources", none, both(Put(0xD8, 0), Put(0xDC, 0), [](Bytes&) {}),
         "new section 0x400+0x200" + added + " 0xd8+0x8"}};
    for (const auto& [name, file, change, expected] : made) {
        EXPECT_EQ(Grow(change ? Changed(file, change) : file, stamp), expected) << name;
    }
}
