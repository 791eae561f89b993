// The console's texts: ISO times, JSON, wildcards and the order of names, and what show prints.
#include <gtest/gtest.h>

#include <algorithm>
#include <map>

#include "cli/IsoTime.h"
#include "cli/Json.h"
#include "cli/Pattern.h"
#include "cli/PathList.h"
#include "cli/Expansion.h"
#include "cli/ShowOutput.h"

// File times worked out apart from the program (ticks since 1601-01-01 00:00:00 UTC).
constexpr uint64_t k2024May1 = 133590240000000000;   // 2024-05-01 08:00:00
constexpr uint64_t k2000Feb29 = 125962560000000000;  // 2000-02-29 00:00:00
constexpr uint64_t kLast = 2650467743990000000;      // 9999-12-31 23:59:59
constexpr uint64_t kHour = 36'000'000'000;

TEST(IsoTime, OffsetsFractionsAndRangesExactly) {
    for (const auto& [text, ticks] : std::vector<std::pair<const char*, uint64_t>>{
             {"2024-05-01T08:00:00Z", k2024May1},
             {"2024-05-01T16:00:00.5+08:00", k2024May1 + 5'000'000},
             {"2024-05-01T03:00:00.12-05:00", k2024May1 + 1'200'000},
             {"2024-05-01t08:00:00.1234567z", k2024May1 + 1'234'567},
             {"2024-05-01T08:00:00-00:00", k2024May1},
             {"2000-02-29T00:00:00.000001Z", k2000Feb29 + 10},
             {"2000-03-01T13:59:59.9999+14:00", k2000Feb29 + 24 * kHour - 1000},
             {"1601-01-01T00:00:00.0000001Z", 1},
             {"1601-01-01T00:00:00-00:01", 600'000'000},
             {"9999-12-31T23:59:59.9999999-14:00", kLast + 9'999'999 + 14 * kHour}}) {
        EXPECT_EQ(ParseIsoTime(text).value_or(0), ticks) << text;
        if (ticks <= kLast + 9'999'999) {
            EXPECT_EQ(ParseIsoTime(FormatIsoTime(ticks)), ticks) << text;
        }
    }
    EXPECT_EQ(FormatIsoTime(k2024May1 + 5'000'000), "2024-05-01T08:00:00.5000000Z");
    EXPECT_EQ(FormatIsoTime(kLast + 9'999'999), "9999-12-31T23:59:59.9999999Z");
    EXPECT_EQ(FormatIsoTime(kLast + 9'999'999 + 14 * kHour), "+10000-01-01T13:59:59.9999999Z");
    EXPECT_EQ(FormatIsoTime(0), "1601-01-01T00:00:00.0000000Z");
    EXPECT_EQ(FormatIsoTime(0x7FFFFFFFFFFFFFFF), "+30828-09-14T02:48:05.4775807Z");
    // Refused: shapes, then ranges.
    for (const char* text :
         {"2024-05-01T08:00:00", "2024-05-01T08:00:00.5", "2024-05-01T08:00:00.12345678Z",
          "2024-05-01T08:00:00.Z", "2024-05-01T08:00:00+0800", "2024-05-01T08:00:00+08",
          "2024-05-01T08:00:00+14:01", "2024-05-01T08:00:00-15:00", "2024-05-01T08:00:00+08:60",
          "2024-05-01T08:00:00Z ", "2024-05-01T08:00:00+08:00:00", "2024-05-01 08:00:00Z",
          "2024-5-01T08:00:00Z"}) {
        EXPECT_FALSE(ParseIsoTime(text)) << text;
    }
    for (const char* text :
         {"2023-02-29T00:00:00Z", "1900-02-29T00:00:00Z", "2024-04-31T00:00:00Z",
          "2024-05-01T24:00:00Z", "2024-05-01T08:00:60Z", "1600-12-31T23:59:59Z",
          "10000-01-01T00:00:00Z", "1601-01-01T00:00:00Z", "1601-01-01T07:59:59+08:00", ""}) {
        EXPECT_FALSE(ParseIsoTime(text)) << text;
    }
}

TEST(Json, EscapesWhatJsonRequiresAndKeepsEveryUnit) {
    for (const auto& [text, literal] : std::vector<std::pair<std::u16string, std::u16string>>{
             {u"a\"b\\c/d", uR"("a\"b\\c/d")"},
             {u"\b\f\n\r\t\x01\x1f\x7f", u"\"\\b\\f\\n\\r\\t\\u0001\\u001f\x7f\""},
             {std::u16string(u"a\0b", 3), uR"("a\u0000b")"},
             {u"中😀\u2028", u"\"中😀\u2028\""},
             {u"\xD83Dx\xDE00", uR"("\ud83dx\ude00")"},  // lone high, lone low
             {u"\xDE00\xD83D", uR"("\ude00\ud83d")"},    // a pair the wrong way round
             {u"a\xDBFF", uR"("a\udbff")"}}) {
        EXPECT_EQ(JsonString(text), literal);
    }
    JsonWriter json;
    json.BeginObject().Key(u"a").Number(0).Key(u"b\n").BeginArray().Number(UINT64_MAX);
    json.String(u"x").Null().Bool(false).BeginObject().EndObject().BeginArray().EndArray();
    json.EndArray().Key(u"c").Bool(true).EndObject();
    EXPECT_EQ(json.Text(),
              uR"({"a":0,"b\n":[18446744073709551615,"x",null,false,{},[]],"c":true})");
}

TEST(Pattern, WildcardsCaseAndOrder) {
    // "name|pattern": whether the name matches.
    const auto matches = [](std::u16string_view row) {
        const size_t bar = row.find(u'|');
        return MatchesPattern(row.substr(0, bar), row.substr(bar + 1));
    };
    for (const std::u16string_view row :
         {u"report.txt|*.txt", u"REPORT.TXT|r*.t?t", u"|*", u"|", u"abc|a?c", u"aXbXc|a*b*c",
          u"abcabd|*abd", u"ab|ab**", u"😀.txt|?.txt", u"x😀|*??", u"Ärger.TXT|ä*.txt",
          u"ΛΌΓΟΣ|λόγος", u"ПРИВЕТ-Ё|привет?ё", u"ＡＢ|ａｂ", u"a[b]|a[b]", u"report|*.*"})
        EXPECT_TRUE(matches(row)) << testing::PrintToString(row);
    // cmd's rules for the end: ".*" may match nothing, and a final '.' a name without a dot.
    for (const std::u16string_view row :
         {u"a.b|*.*", u"REPORT|report.*", u"report.txt|report.*", u"report|*.", u"rep|r?p."})
        EXPECT_TRUE(matches(row)) << testing::PrintToString(row);
    for (const std::u16string_view row :
         {u"report.txt|*.doc", u"|?", u"a|", u"ac|a?c", u"abbc|a?c", u"aXbXcX|a*b*c", u"a*b|a\\*b",
          u"😀.txt|??.txt", u"x😀|*???", u"😀|😁", u"ß|SS", u"a.txt|*.", u"reports|report.*",
          u"r.p|r?p."})
        EXPECT_FALSE(matches(row)) << testing::PrintToString(row);
    // Backtracking over each '*' in turn would take 200^10 steps here.
    EXPECT_FALSE(MatchesPattern(std::u16string(200, u'a'), u"*a*a*a*a*a*a*a*a*a*a*b"));

    std::vector<std::u16string> names{u"b",  u"C", u"a", u"ä",  u"A", u"A1",
                                      u"_x", u"Z", u"Ä", u"10", u"9"};
    std::sort(names.begin(), names.end(), NameLess);
    EXPECT_EQ(names, (std::vector<std::u16string>{u"10", u"9", u"A", u"a", u"A1", u"b", u"C", u"Z",
                                                  u"_x", u"Ä", u"ä"}));

    EXPECT_TRUE(HasWildcard(u"a?") && HasWildcard(u"*") && !HasWildcard(u"a.txt"));
    for (const auto& [path, folder, last] :
         std::vector<std::tuple<std::u16string, std::u16string, std::u16string>>{
             {uR"(C:\d\*.txt)", uR"(C:\d\)", u"*.txt"},
             {u"C:/d/x?", u"C:/d/", u"x?"},
             {uR"(\\srv\share\a)", uR"(\\srv\share\)", u"a"},
             {uR"(d\sub/x)", uR"(d\sub/)", u"x"},
             {uR"(C:\)", uR"(C:\)", u""},
             {u"C:*.txt", u"C:", u"*.txt"},
             {u"*.txt", u"", u"*.txt"}}) {
        const PathParts parts = SplitPath(path);
        EXPECT_EQ(parts.folder, folder);
        EXPECT_EQ(parts.last, last);
    }
}

TEST(ShowOutput, TextAndJsonOfOneTarget) {
    TargetFacts facts{uR"(C:\d\app.exe)", u"app.exe", 123456, 0x4823, {}, true, std::nullopt};
    facts.times = {k2024May1 + 5'000'000, 0, k2000Feb29};
    TargetFacts::Version& version = facts.version.emplace();
    version = {0x0804, 1200, u"中文(简体，中国)", FixedVersion{1, 2, 3, 4}, std::nullopt, {}};
    version.strings[0] = u"1.2.3.4";
    version.strings[1] = u"Tab\there";
    version.strings[5] = u"Q\"😀\xD800";
    version.strings[7] = u"";
    // 0x4000 is the platform's encrypted bit, not the one that the dialog's box shows.
    EXPECT_EQ(ShowText(facts, [](int64_t) { return 8 * 3600; }),
              uR"(C:\d\app.exe
  名称: app.exe
  只读: 是
  隐藏: 是
  系统: 否
  目录: 否
  存档: 是
  加密: 否
  普通: 否
  临时: 否
  创建时间: 2024-05-01 16:00:00
  修改时间: 无
  访问时间: 2000-02-29 08:00:00
  文件大小: 123456 字节
  数字签名: 有
  语言: 中文(简体，中国) (0x0804, 代码页 1200)
  文件版本号: 1.2.3.4
  文件版本: 1.2.3.4
  描述: Tab	here
  产品名称: Q"😀)" +
                  std::u16string(1, 0xD800) +
                  uR"(
  公司: 
)");
    EXPECT_EQ(
        ShowJson(facts),
        uR"j({"path":"C:\\d\\app.exe","name":"app.exe","size":123456,"attributes":{"word":18467,)j"
        uR"j("readonly":true,"hidden":true,"system":false,"archive":true,"directory":false,)j"
        uR"j("compressed":true,"encrypted":true,"temporary":false},"times":{"created":)j"
        uR"j("2024-05-01T08:00:00.5000000Z","modified":null,"accessed":"2000-02-29T00:00:00.0000000Z"},)j"
        uR"j("signed":true,"version":{"language":2052,"codePage":1200,"languageName":"中文(简体，中国)",)j"
        uR"j("fileVersion":"1.2.3.4","productVersion":null,"strings":{"FileVersion":"1.2.3.4",)j"
        uR"j("FileDescription":"Tab\there","ProductName":"Q\"😀\ud800","CompanyName":""}}})j");

    // A folder without version information, in the dialog's boxes: directory, "encrypted" (0x40),
    // normal and temporary.
    facts = {u"D", u"D", 0, 0x1D0, {1, 2, 3}, false, std::nullopt};
    EXPECT_EQ(
        ShowText(facts, [](int64_t) { return 0; }),
        u"D\n  名称: D\n  只读: 否\n  隐藏: 否\n  系统: 否\n  目录: 是\n  存档: 否\n  加密: 是\n"
        u"  普通: 是\n  临时: 是\n  创建时间: 1601-01-01 00:00:00\n"
        u"  修改时间: 1601-01-01 00:00:00\n  访问时间: 1601-01-01 00:00:00\n"
        u"  文件大小: 0 字节\n  数字签名: 无\n  版本信息: 无\n");
    EXPECT_EQ(
        ShowJson(facts),
        uR"({"path":"D","name":"D","size":0,"attributes":{"word":464,"readonly":false,)"
        uR"("hidden":false,"system":false,"archive":false,"directory":true,"compressed":false,)"
        uR"("encrypted":false,"temporary":true},"times":{"created":"1601-01-01T00:00:00.0000001Z",)"
        uR"("modified":"1601-01-01T00:00:00.0000002Z","accessed":"1601-01-01T00:00:00.0000003Z"},)"
        uR"("signed":false,"version":null})");
}

TEST(PathList, EncodingsLinesAndNamesAsTheyStand) {
    // Every form of one list: a name ending in a space, blank lines, CR LF and LF, no last LF.
    const std::vector<std::u16string> paths{u"a ", u"目录\\b😀.txt", u" c"};
    std::string little = "\xFF\xFE", big = "\xFE\xFF";
    for (const char16_t unit : std::u16string(u"a \n目录\\b😀.txt\n c")) {
        little += {static_cast<char>(unit), static_cast<char>(unit >> 8)};
        big += {static_cast<char>(unit >> 8), static_cast<char>(unit)};
    }
    for (const std::string& bytes :
         {std::string("a \r\n\r\n\xE7\x9B\xAE\xE5\xBD\x95\\b\xF0\x9F\x98\x80.txt\n \t\n c"),
          std::string("\xEF\xBB\xBF"
                      "a \n\xE7\x9B\xAE\xE5\xBD\x95\\b\xF0\x9F\x98\x80.txt\r\n c\r\n"),
          little, big}) {
        const std::optional<std::u16string> text = DecodePathList(bytes);
        EXPECT_EQ(text ? PathListLines(*text) : std::vector<std::u16string>{}, paths)
            << testing::PrintToString(bytes);
    }
    // Not what they claim: malformed, overlong, a surrogate, past U+10FFFF, cut short, odd.
    for (const std::string& bytes :
         {std::string("a\x80"), std::string("\xC0\xAF"), std::string("\xE0\x80\xAF"),
          std::string("\xED\xA0\x80"), std::string("\xF4\x90\x80\x80"), std::string("\xE7\x9B"),
          std::string("\xFF\xFE"
                      "a"),
          std::string("\xFF\xFE\x3D\xD8", 4)})
        EXPECT_FALSE(DecodePathList(bytes)) << testing::PrintToString(bytes);
}

TEST(Expansion, PatternsAtEveryLevelFoldersWhenMatchedLinksNotEntered) {
    // A tree: "D" a folder, "L" a link to one, anything else a file.
    const std::map<std::u16string, std::vector<std::u16string>> tree{
        {u"r\\", {u"b.txt", u"D", u"a.", u"L.txt"}},
        {u"r\\D\\", {u"x.TXT", u"DD.txt"}},
        {u"r\\D\\DD.txt\\", {}},
        {u"r\\L.txt\\", {u"never.txt"}}};
    const ListFolder list = [&tree](const std::u16string& folder, uint32_t& error) {
        error = 3;
        if (!tree.count(folder)) return std::optional<std::vector<FolderEntry>>();
        std::vector<FolderEntry> entries;
        for (const std::u16string& name : tree.at(folder))
            entries.push_back({name, name[0] == u'D' ? 0x10u : name[0] == u'L' ? 0x410u : 0x20u});
        return std::optional(entries);
    };
    // The path, -r, folders last; what it names: each target, "?" for nothing matched.
    for (const auto& [given, recurse, last, named] :
         std::vector<std::tuple<std::u16string, bool, bool, std::u16string>>{
             {u"r\\*.txt", false, false, u"r\\b.txt|r\\L.txt|"},
             {u"r\\*.txt", true, false, u"r\\b.txt|r\\D\\DD.txt|r\\D\\x.TXT|r\\L.txt|"},
             {u"r\\*.txt", true, true, u"r\\b.txt|r\\D\\DD.txt|r\\D\\x.TXT|r\\L.txt|"},
             {u"r\\D", true, false, u"r\\D|r\\D\\DD.txt|r\\D\\x.TXT|"},
             {u"r\\D\\", true, true, u"r\\D\\DD.txt|r\\D\\x.TXT|r\\D\\|"},
             {u"r\\*.", true, false, u"r\\a.|r\\D|"},
             {u"r\\b.txt", true, false, u"r\\b.txt|"},
             {u"r\\D\\*.doc", true, false, u"?r\\D\\*.doc|"},
             {u"gone\\*", false, false, u"?gone\\*|"}}) {
        std::u16string found;
        for (const ExpandedPath& path : ExpandPath(given, recurse, last, list))
            found += (path.kind == ExpandedPath::Kind::Target ? u"" : u"?") + path.path + u"|";
        EXPECT_EQ(found, named) << testing::PrintToString(given) << recurse << last;
    }
}
