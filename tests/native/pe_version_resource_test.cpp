#include <gtest/gtest.h>

#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "tests/native/pe_image_builder.h"
#include "tests/native/version_block_builder.h"
#include "version/PeVersionResource.h"

using pe_test::BuildImage;
using pe_test::Image;
using pe_test::ImageOptions;
using pe_test::Resource;

namespace {

constexpr uint16_t kChinese = 0x0804;
constexpr uint16_t kEnglish = 0x0409;

std::vector<uint8_t> VersionData(const std::u16string& company) {
    version_test::VersionLayout layout;
    layout.tables = {{u"080404b0",
                      {{u"CompanyName", company, std::string(2 * company.size(), '?')},
                       {u"FileVersion", u"1.0", ""}}}};
    return version_test::BuildVersionResource(layout).bytes;
}

// Reads from an image held in memory. The finder checks every request against the file size
// itself, so a request outside the image is a fault of the finder.
PeFileReader ReaderOf(const std::vector<uint8_t>& bytes) {
    return [&bytes](uint64_t offset, void* into, size_t size) {
        if (offset > bytes.size() || size > bytes.size() - offset) {
            ADD_FAILURE() << "read of " << size << " bytes at " << offset << " past the file";
            return false;
        }
        std::memcpy(into, bytes.data() + offset, size);
        return true;
    };
}

std::optional<uint64_t> Find(const std::vector<uint8_t>& bytes, uint16_t language, uint32_t size) {
    return FindVersionResourceOffset(ReaderOf(bytes), bytes.size(), language, size);
}

ImageOptions TypicalOptions(bool pe32Plus) {
    ImageOptions options;
    options.pe32Plus = pe32Plus;
    options.resources = {
        {3, 1, kChinese, std::vector<uint8_t>(40, 0x11)},   // an icon
        {16, 1, kEnglish, VersionData(u"English")},         // version, other language
        {16, 1, kChinese, VersionData(u"示例公司")},        // the one we look for
        {16, 2, kChinese, VersionData(u"Second")},          // version, other name
        {24, 1, kChinese, std::vector<uint8_t>(30, 0x22)},  // a manifest
    };
    return options;
}

}  // namespace

TEST(PeVersionResource, FindsTheVersionDataOfNameOneAndTheLanguage) {
    for (bool pe32Plus : {false, true}) {
        SCOPED_TRACE(pe32Plus ? "PE32+" : "PE32");
        const ImageOptions options = TypicalOptions(pe32Plus);
        const Image image = BuildImage(options);
        for (size_t i : {1u, 2u}) {
            const Resource& wanted = options.resources[i];
            const uint32_t size = static_cast<uint32_t>(wanted.data.size());
            const std::optional<PeResourceData> data =
                FindVersionResource(ReaderOf(image.bytes), image.bytes.size(), wanted.language);
            ASSERT_TRUE(data.has_value());
            EXPECT_EQ(data->fileOffset, image.dataOffsets[i]);
            EXPECT_EQ(data->size, size);
            EXPECT_EQ(Find(image.bytes, wanted.language, size), image.dataOffsets[i]);
            EXPECT_EQ(
                std::memcmp(image.bytes.data() + image.dataOffsets[i], wanted.data.data(), size),
                0);
        }
    }
}

TEST(PeVersionResource, WantsTheExactSizeNameAndLanguage) {
    ImageOptions options;
    options.resources = {{16, 2, kChinese, VersionData(u"A")},
                         {16, 1, kEnglish, VersionData(u"B")},
                         {6, 1, kChinese, VersionData(u"C")}};
    const Image image = BuildImage(options);
    const uint32_t size = static_cast<uint32_t>(options.resources[1].data.size());
    EXPECT_EQ(Find(image.bytes, kEnglish, size), image.dataOffsets[1]);
    EXPECT_EQ(Find(image.bytes, kEnglish, size - 1), std::nullopt);
    EXPECT_EQ(Find(image.bytes, kEnglish, size + 1), std::nullopt);
    EXPECT_EQ(Find(image.bytes, kChinese, size), std::nullopt);  // only under name 2 and type 6
    EXPECT_EQ(Find(image.bytes, 0, size), std::nullopt);
}

TEST(PeVersionResource, FindsNothingInImagesWithoutIt) {
    ImageOptions noVersion;
    noVersion.resources = {{3, 1, kChinese, std::vector<uint8_t>(40, 1)}};
    EXPECT_EQ(Find(BuildImage(noVersion).bytes, kChinese, 40), std::nullopt);

    Image noResources = BuildImage(ImageOptions{});
    noResources.Put32(noResources.directories + 16, 0);
    noResources.Put32(noResources.directories + 20, 0);
    EXPECT_EQ(Find(noResources.bytes, kChinese, 0), std::nullopt);

    EXPECT_EQ(Find({}, kChinese, 0), std::nullopt);
    EXPECT_EQ(Find(std::vector<uint8_t>(4096, 0), kChinese, 0), std::nullopt);
}

TEST(PeVersionResource, SkipsNamedTypesAndAppendedData) {
    ImageOptions options = TypicalOptions(false);
    options.namedTypes = {u"CUSTOM", u"TYPELIB"};
    options.appendedBytes = 65536;
    const Image image = BuildImage(options);
    const uint32_t size = static_cast<uint32_t>(options.resources[2].data.size());
    EXPECT_EQ(Find(image.bytes, kChinese, size), image.dataOffsets[2]);
}

TEST(PeVersionResource, RefusesInconsistentImages) {
    using Corrupt = std::function<void(Image&)>;
    struct Case {
        const char* name;
        Corrupt corrupt;
    };
    const Case cases[] = {
        {"no MZ", [](Image& i) { i.bytes[1] = 'X'; }},
        {"PE header past the file", [](Image& i) { i.Put32(0x3C, 0xFFFFFFF0u); }},
        {"PE header at the file's end",
         [](Image& i) { i.Put32(0x3C, static_cast<uint32_t>(i.bytes.size()) - 2); }},
        {"no PE signature", [](Image& i) { i.bytes[i.peOffset + 2] = 1; }},
        {"unknown optional header", [](Image& i) { i.Put16(i.optionalHeader, 0x107); }},
        {"optional header too small for the resource directory",
         [](Image& i) { i.Put16(i.peOffset + 4 + 16, 96 + 2 * 8); }},
        {"two data directories only", [](Image& i) { i.Put32(i.directories - 4, 2); }},
        {"resource directory smaller than a table",
         [](Image& i) { i.Put32(i.directories + 20, 15); }},
        {"resource directory in no section", [](Image& i) { i.Put32(i.directories + 16, 0x9000); }},
        {"resource directory past its section",
         [](Image& i) { i.Put32(i.directories + 20, 0x10000); }},
        {"no sections", [](Image& i) { i.Put16(i.peOffset + 4 + 2, 0); }},
        {"section count past the file", [](Image& i) { i.Put16(i.peOffset + 4 + 2, 0xFFFF); }},
        {"resource section past the file",
         [](Image& i) { i.Put32(i.sectionTable + 40 + 20, 0xFFFFFE00u); }},
        {"raw data that the loader would move",
         [](Image& i) {
             // Consistent in itself, but the loader reads from a 512-byte boundary.
             const auto section = i.bytes.begin() + i.resourceSection;
             i.bytes.insert(section, 16, 0);
             i.Put32(i.sectionTable + 40 + 20, i.resourceSection + 16);
         }},
        {"raw data shorter than the directory",
         [](Image& i) { i.Put32(i.sectionTable + 40 + 16, 0x20); }},
        {"virtual size shorter than the directory",
         [](Image& i) { i.Put32(i.sectionTable + 40 + 8, 0x20); }},
        {"root claims more entries than the directory holds",
         [](Image& i) { i.Put16(i.resourceSection + 14, 0xFFFF); }},
        {"root claims more named entries than the directory holds",
         [](Image& i) { i.Put16(i.resourceSection + 12, 0x2000); }},
        {"type entry that is not a subdirectory",
         [](Image& i) {
             const uint64_t field = i.resourceSection + i.versionTypeEntry + 4;
             i.Put32(field, i.Get32(field) & 0x7FFFFFFF);
         }},
        {"type subdirectory past the directory",
         [](Image& i) { i.Put32(i.resourceSection + i.versionTypeEntry + 4, 0xFFFFFFF8u); }},
        {"type subdirectory just inside the directory's end",
         [](Image& i) {
             i.Put32(i.resourceSection + i.versionTypeEntry + 4,
                     0x80000000u | (i.resourceSize - 8));
         }},
    };
    const ImageOptions options = TypicalOptions(false);
    const uint32_t size = static_cast<uint32_t>(options.resources[2].data.size());
    for (const Case& c : cases) {
        Image image = BuildImage(options);
        ASSERT_TRUE(Find(image.bytes, kChinese, size).has_value());
        c.corrupt(image);
        EXPECT_EQ(Find(image.bytes, kChinese, size), std::nullopt) << c.name;
    }
}

TEST(PeVersionResource, RefusesInconsistentDataEntries) {
    // The only resource is the version resource, so its data entry is the first.
    ImageOptions options;
    options.resources = {{16, 1, kChinese, VersionData(u"A")}};
    const uint32_t size = static_cast<uint32_t>(options.resources[0].data.size());
    const Image good = BuildImage(options);
    const uint64_t entry = good.resourceSection + good.firstDataEntry;
    const uint64_t languageEntry = entry - 8;  // the language directory's one entry
    struct Case {
        const char* name;
        std::function<void(Image&)> corrupt;
    } const cases[] = {
        {"language entry points to a subdirectory",
         [&](Image& i) { i.Put32(languageEntry + 4, 0x80000000u | good.firstDataEntry); }},
        {"data entry past the directory",
         [&](Image& i) { i.Put32(languageEntry + 4, good.resourceSize - 8); }},
        {"data before every section", [&](Image& i) { i.Put32(entry, 0x10); }},
        {"data past its section",
         [&](Image& i) { i.Put32(entry, good.resourceRva + good.resourceSize - 4); }},
        {"data size past its section", [&](Image& i) { i.Put32(entry + 4, 0x00100000); }},
        {"data size that wraps", [&](Image& i) { i.Put32(entry + 4, 0xFFFFFFFFu); }},
    };
    ASSERT_EQ(Find(good.bytes, kChinese, size),
              good.resourceSection + good.Get32(entry) - good.resourceRva);
    for (const Case& c : cases) {
        Image image = good;
        c.corrupt(image);
        const std::optional<PeResourceData> data =
            FindVersionResource(ReaderOf(image.bytes), image.bytes.size(), kChinese);
        EXPECT_EQ(data.has_value(), false) << c.name;
    }
}

TEST(PeVersionResource, RefusesEveryTruncation) {
    for (bool pe32Plus : {false, true}) {
        const ImageOptions options = TypicalOptions(pe32Plus);
        const Image image = BuildImage(options);
        const uint32_t size = static_cast<uint32_t>(options.resources[2].data.size());
        const uint64_t needed = image.dataOffsets[2] + size;
        for (uint64_t cut = 0; cut < image.bytes.size(); ++cut) {
            const std::vector<uint8_t> prefix(image.bytes.begin(), image.bytes.begin() + cut);
            const std::optional<uint64_t> found = Find(prefix, kChinese, size);
            if (cut < needed) {
                ASSERT_EQ(found, std::nullopt) << "cut at " << cut;
            }
        }
    }
}

TEST(PeVersionResource, StopsWhenTheReaderFails) {
    const ImageOptions options = TypicalOptions(true);
    const Image image = BuildImage(options);
    const uint32_t size = static_cast<uint32_t>(options.resources[2].data.size());
    // Fail the n-th read, for every read that a successful search makes.
    for (int failAt = 0;; ++failAt) {
        int reads = 0;
        const PeFileReader reader = [&](uint64_t offset, void* into, size_t count) {
            if (reads++ == failAt) return false;
            return ReaderOf(image.bytes)(offset, into, count);
        };
        const std::optional<uint64_t> found =
            FindVersionResourceOffset(reader, image.bytes.size(), kChinese, size);
        if (reads <= failAt) {
            EXPECT_EQ(found, image.dataOffsets[2]);  // no read failed: the search is complete
            break;
        }
        EXPECT_EQ(found, std::nullopt) << "read " << failAt << " failed";
    }
}
