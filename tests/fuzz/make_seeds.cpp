// Writes the seed inputs of the two fuzz targets into <folder>/rewrite and <folder>/pe:
// version resources laid out like the fixtures', and small PE32 and PE32+ images holding them.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "tests/native/pe_image_builder.h"
#include "tests/native/version_block_builder.h"

using namespace version_test;

namespace {

void Write(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(bytes.data()),
              static_cast<std::streamsize>(bytes.size()));
}

VersionLayout ChineseLayout() {
    VersionLayout layout;
    layout.tables = {{u"080404b0",
                      {
                          {u"CompanyName", u"示例公司", "\xCA\xBE\xC0\xFD\xB9\xAB\xCB\xBE"},
                          {u"FileVersion", u"1.0.0.123", ""},
                          {u"InternalName", u"sample", ""},
                          {u"ProductName", u"示例产品", "\xCA\xBE\xC0\xFD\xB2\xFA\xC6\xB7"},
                          {u"PrivateBuild", u"", ""},
                      }}};
    return layout;
}

VersionLayout AsciiLayout() {
    VersionLayout layout;
    layout.tables = {{u"040904b0",
                      {{u"CompanyName", u"Example Company", ""},
                       {u"FileVersion", u"2.3.4.567", ""},
                       {u"Comments", u"for tests", ""}}}};
    layout.translations = {{0x0409, 1200}};
    return layout;
}

// One input of the rewrite target: flags 0 (the offset selector counts from the ANSI area),
// the selector, L, the text, then the raw resource.
std::vector<uint8_t> RewriteInput(const RawVersionResource& raw, const std::u16string& key,
                                  const std::u16string& text) {
    const PlacedString& value = raw.Find(key);
    std::vector<uint8_t> input;
    auto put = [&](uint32_t v, int bytes) {
        for (int i = 0; i < bytes; ++i) input.push_back(static_cast<uint8_t>(v >> (8 * i)));
    };
    put(0, 1);
    put(value.storedOffset, 4);
    put(static_cast<uint32_t>(value.ansi.size()), 4);
    put(static_cast<uint32_t>(text.size()), 2);
    for (char16_t c : text) put(c, 2);
    input.insert(input.end(), raw.bytes.begin(), raw.bytes.end());
    return input;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_seeds <folder>\n");
        return 2;
    }
    const std::filesystem::path root = argv[1];
    std::filesystem::create_directories(root / "rewrite");
    std::filesystem::create_directories(root / "pe");

    const RawVersionResource chinese = BuildVersionResource(ChineseLayout());
    const RawVersionResource ascii = BuildVersionResource(AsciiLayout());
    Write(root / "rewrite" / "shorter", RewriteInput(chinese, u"FileVersion", u"2.0"));
    Write(root / "rewrite" / "same_length", RewriteInput(chinese, u"FileVersion", u"1.0.0.124"));
    Write(root / "rewrite" / "too_long", RewriteInput(chinese, u"FileVersion", u"1.0.0.1234"));
    Write(root / "rewrite" / "double_byte", RewriteInput(chinese, u"ProductName", u"产品"));
    Write(root / "rewrite" / "empty_value", RewriteInput(chinese, u"PrivateBuild", u""));
    Write(root / "rewrite" / "ascii", RewriteInput(ascii, u"CompanyName", u"Other Company"));

    int n = 0;
    for (bool pe32Plus : {false, true}) {
        pe_test::ImageOptions options;
        options.pe32Plus = pe32Plus;
        options.resources = {{16, 1, 0x0804, chinese.bytes},
                             {16, 1, 0x0409, ascii.bytes},
                             {24, 1, 0x0409, std::vector<uint8_t>(16, 'M')}};
        Write(root / "pe" / ("image" + std::to_string(n++)), pe_test::BuildImage(options).bytes);
        options.namedTypes = {u"CUSTOM"};
        options.appendedBytes = 256;
        Write(root / "pe" / ("image" + std::to_string(n++)), pe_test::BuildImage(options).bytes);
    }
    return 0;
}
