// The version strings of the main dialog: what a load shows from a target's version resource,
// and what the write stores back, read again through the platform's own version calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "platform/Text.h"
#include "res/resource.h"
#include "tests/win/TestSupport.h"

namespace {

const WORD kChinesePrc = 0x0804;
const WORD kEnglishUs = 0x0409;

std::wstring W(const char* utf8) {
    return Utf8ToWide(utf8);
}

std::wstring LanguageName(WORD language) {
    char name[256] = {};
    ::VerLanguageNameA(language, name, sizeof name);
    return AnsiToWide(name);
}

std::wstring TooLong(const char* label) {
    return W(label) + W("的新内容过长!\n版本信息未修改!");
}

// Exactly one message box, with this text, the caption "提示" and only an OK button.
void ExpectPrompt(const FakeUiServices& ui, const std::wstring& text) {
    ASSERT_EQ(ui.Texts(), std::vector<std::wstring>{text});
    EXPECT_EQ(ui.messages[0].caption, W("提示"));
    EXPECT_EQ(ui.messages[0].type, static_cast<UINT>(MB_OK));
}

// The target's version block as the platform gives it to any program (language 0), or the
// version resource stored under the language, through the resource services (a file may hold
// more than one).
std::string Block(const std::string& path, WORD language = 0) {
    std::string block;
    if (language == 0) {
        DWORD handle = 0;
        block.resize(::GetFileVersionInfoSizeA(path.c_str(), &handle));
        if (!::GetFileVersionInfoA(path.c_str(), handle, block.size(), block.data())) return {};
    } else if (HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE)) {
        if (HRSRC found =
                ::FindResourceExA(module, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), language)) {
            block.assign(static_cast<const char*>(::LockResource(::LoadResource(module, found))),
                         ::SizeofResource(module, found));
        }
        ::FreeLibrary(module);
    }
    return block;
}

// A string value as the platform's lookup reads it from the file; nothing when it is absent.
std::optional<std::wstring> ReadBack(const std::string& path, const char* key, WORD language = 0,
                                     const char* table = "080404b0") {
    const std::string block = Block(path, language);
    void* value = nullptr;
    UINT length = 0;
    const std::wstring name = W(("\\StringFileInfo\\" + std::string(table) + "\\" + key).c_str());
    if (block.empty() || !::VerQueryValueW(block.data(), name.c_str(), &value, &length))
        return std::nullopt;
    return std::wstring(static_cast<const wchar_t*>(value),
                        wcsnlen(static_cast<const wchar_t*>(value), length));
}

// Whether two byte strings of one length differ only within [from, from + count).
bool SameOutside(std::string a, const std::string& b, size_t from, size_t count) {
    return a.size() == b.size() && from < a.size() && a.replace(from, count, b, from, count) == b;
}

using Edits = std::vector<std::pair<int, const char*>>;  // field, UTF-8 text

// A copy of a fixture in a scratch folder, loaded into the main dialog; prepare runs on the
// copy before the load.
struct Loaded {
    explicit Loaded(const char* fixture, void (*prepare)(const std::string&) = nullptr)
        : path(scratch.CopyFixture(std::string(fixture) + ".exe")) {
        if (prepare) prepare(path);
        dialog.Load(path);
    }
    bool Write(const Edits& edits) {
        for (const auto& [field, text] : edits) dialog.SetText(field, W(text));
        return dialog->ProcessVersionInfo(true);
    }
    // The write succeeds without a message.
    void Store(const Edits& edits) {
        EXPECT_TRUE(Write(edits));
        EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{});
    }
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    std::string path;
};

// ---------------------------------------------------------------------------------------------
// Loading

// The version fields in the order of their keys.
const int kFields[] = {
    IDC_EDIT_FILEVERSION,  IDC_EDIT_FILEDESCRIPTION, IDC_EDIT_LEGALCOPYRIGHT,
    IDC_EDIT_COMMENTS,     IDC_EDIT_PRODUCTVERSION,  IDC_EDIT_PRODUCTNAME,
    IDC_EDIT_PRIVATEBUILD, IDC_EDIT_COMPANYNAME,     IDC_EDIT_LEGALTRADEMARKS,
    IDC_EDIT_INTERNALNAME, IDC_EDIT_SPECIALBUILD,    IDC_EDIT_ORIGINALFILENAME,
};
const char* const kKeys[] = {"FileVersion",  "FileDescription", "LegalCopyright",
                             "Comments",     "ProductVersion",  "ProductName",
                             "PrivateBuild", "CompanyName",     "LegalTrademarks",
                             "InternalName", "SpecialBuild",    "OriginalFilename"};

using Texts = std::array<const char*, 12>;  // UTF-8, as kFields; null where the key is absent

TEST(VersionRead, ShowsTheFirstTranslationsStringsWithTheirByteLimits) {
    // A limit of 0 means an edit's largest: what a fresh edit reports for it.
    HWND probe =
        ::CreateWindowExW(0, L"Edit", L"", 0, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
    ::SendMessageW(probe, EM_LIMITTEXT, 0, 0);
    const size_t largest = ::SendMessageW(probe, EM_GETLIMITTEXT, 0, 0);
    ::DestroyWindow(probe);
    ASSERT_GT(largest, 256u);

    const Texts chinese = {"1.0.0.123", "示例程序",  "版权所有 (C) 2026", "测试用",   "1.0.0.123",
                           "示例产品",  "pb",        "示例公司",          "Quorvane", "sample",
                           "sb",        "sample.exe"};
    const Texts english = {"2.3.4.567", "Example Program", "Copyright (C) 2026",
                           "for tests", "2.3.4.567",       "Example Product",
                           "private",   "Example Company", "Quorvane",
                           "example",   "special",         "example.exe"};
    Texts missingKey = chinese;  // without Comments, and with an empty PrivateBuild
    missingKey[3] = nullptr;
    missingKey[6] = "";
    const struct {
        const char* fixture;
        const Texts& texts;
        WORD language;
    } cases[] = {
        {"ver_chinese", chinese, kChinesePrc},
        {"ver_upper_table", chinese, kChinesePrc},       // table named 080404B0
        {"ver_two_translations", chinese, kChinesePrc},  // the second table is not shown
        {"ver_ascii", english, kEnglishUs},
        {"ver_missing_key", missingKey, kChinesePrc},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        Loaded target(c.fixture);
        EXPECT_EQ(target.ui.Texts(), std::vector<std::wstring>{});
        for (size_t i = 0; i < 12; ++i) {
            const char* text = c.texts[i];
            EXPECT_EQ(target.dialog.Text(kFields[i]), W(text ? text : "")) << kKeys[i];
            // L, the bytes of the ANSI (GBK) form; the field of an absent key keeps its 256.
            const size_t limit = !text ? 256 : *text ? Ansi(text).size() : largest;
            EXPECT_EQ(target.dialog.Limit(kFields[i]), limit) << kKeys[i];
        }
        EXPECT_EQ(target.dialog.Text(IDC_EDIT_LANGUAGE), LanguageName(c.language));
        EXPECT_NE(target.dialog.Text(IDC_EDIT_LANGUAGE), L"");
    }
}

void ExpectEmptyVersionFields(const MainDialog& dialog) {
    for (int id : kFields) {
        EXPECT_EQ(dialog.Text(id), L"") << id;
        EXPECT_EQ(dialog.Limit(id), 256u) << id;
    }
    EXPECT_EQ(dialog.Text(IDC_EDIT_LANGUAGE), L"");
}

TEST(VersionRead, TargetWithoutVersionInformationDisablesTheOptionAndTheWrite) {
    Loaded target("ver_chinese");
    MainDialog& dialog = target.dialog;
    const std::string none = target.scratch.CopyFixture("ver_none.exe");
    const std::string noneBytes = ReadWholeFile(none);
    for (const std::string& other : {none, target.scratch.MakeFolder("folder")}) {
        SCOPED_TRACE(other);
        dialog.Load(target.path);
        ASSERT_TRUE(dialog.Enabled(IDC_CHK_OPT_VERSION));
        dialog.Load(other);
        EXPECT_FALSE(dialog.Enabled(IDC_CHK_OPT_VERSION));
        ExpectEmptyVersionFields(dialog);
        // The write does nothing at all.
        dialog.SetText(IDC_EDIT_LANGUAGE, L"kept");
        EXPECT_FALSE(dialog->ProcessVersionInfo(true));
        EXPECT_EQ(dialog.Text(IDC_EDIT_LANGUAGE), L"kept");
    }
    EXPECT_EQ(ReadWholeFile(none), noneBytes);
    // The target loses its version information after loading: the write unticks and disables
    // the box, and from then on does not even look until a load finds some again.
    dialog.Load(target.path);
    dialog.Check(IDC_CHK_OPT_VERSION, true);
    ASSERT_TRUE(::CopyFileA(none.c_str(), target.path.c_str(), FALSE));
    EXPECT_FALSE(dialog->ProcessVersionInfo(true));
    EXPECT_FALSE(dialog.Checked(IDC_CHK_OPT_VERSION));
    EXPECT_FALSE(dialog.Enabled(IDC_CHK_OPT_VERSION));
    EXPECT_EQ(ReadWholeFile(target.path), noneBytes);
    const std::string restored = ReadWholeFile(target.scratch.CopyFixture("ver_chinese.exe"));
    EXPECT_FALSE(target.Write({{IDC_EDIT_COMPANYNAME, "X"}}));
    EXPECT_EQ(ReadWholeFile(target.path), restored);
    EXPECT_EQ(target.ui.Texts(), std::vector<std::wstring>{});
    // A target that does not load leaves the box as the last load set it.
    dialog.Load(target.scratch / "missing.exe");
    EXPECT_EQ(target.ui.Texts(), std::vector<std::wstring>{W("文件句柄无效!")});
    EXPECT_FALSE(dialog.Enabled(IDC_CHK_OPT_VERSION));
    dialog.Load(target.path);
    EXPECT_TRUE(dialog.Enabled(IDC_CHK_OPT_VERSION));
}

TEST(VersionRead, MissingTranslationIsReportedAndFillsNothing) {
    for (const char* fixture : {"ver_no_translation", "ver_empty_translation"}) {
        SCOPED_TRACE(fixture);
        Loaded target(fixture);
        ExpectPrompt(target.ui, W("获取语言失败!"));
        ExpectEmptyVersionFields(target.dialog);
        EXPECT_TRUE(target.dialog.Enabled(IDC_CHK_OPT_VERSION));
        // The write reports it again and stores nothing.
        const std::string before = ReadWholeFile(target.path);
        EXPECT_FALSE(target.Write({{IDC_EDIT_COMPANYNAME, "X"}}));
        EXPECT_EQ(target.ui.Texts(), std::vector<std::wstring>(2, W("获取语言失败!")));
        EXPECT_EQ(ReadWholeFile(target.path), before);
    }
}

// ---------------------------------------------------------------------------------------------
// Writing

// Replaces the last letter of InternalName's stored text ("sample") in the file with U+0E01,
// THAI CHARACTER KO KAI, which code page 936 lacks.
void PutUnmappableCharacterIntoInternalName(const std::string& path) {
    const std::wstring sample = L"sample";
    const size_t at = ReadWholeFile(path).find(
        std::string(reinterpret_cast<const char*>(sample.c_str()), (sample.size() + 1) * 2));
    ASSERT_NE(at, std::string::npos);
    std::fstream(path, std::ios::in | std::ios::out | std::ios::binary)
        .seekp(at + 10)
        .write("\x01\x0E", 2);
}

TEST(VersionWrite, StoresEditsThatReadBackExactlyAndKeepsTheForm) {
    Loaded target("ver_chinese", PutUnmappableCharacterIntoInternalName);
    // A copy at a path longer than 255 bytes, which the platform's narrow calls still take.
    const std::string path =
        target.scratch.MakeFolder(std::string(241 - target.scratch.path().size(), 'd')) +
        "\\ver_chinese.exe";
    ASSERT_EQ(path.size(), 258u);
    ASSERT_TRUE(::CopyFileA(target.path.c_str(), path.c_str(), FALSE)) << ::GetLastError();
    target.dialog.Load(path);
    // The field can only show the code page's stand-in for that character.
    ASSERT_NE(target.dialog.Text(IDC_EDIT_INTERNALNAME), std::wstring(L"sampl\u0E01"));
    // Against the loaded texts: the same length (ASCII, Chinese); shorter; Chinese to ASCII; two
    // typed again; shorter; ASCII to Chinese; InternalName left alone; emptied; shorter.
    const Texts texts = {"1.0.0.124", "新的程序", "(C) 2027 某公司", "ab",   "1.0.0.123",
                         "产品",      "pb",       "新公司",          "商标", nullptr,
                         "",          "new.exe"};
    Edits edits;
    for (size_t i = 0; i < 12; ++i)
        if (texts[i]) edits.emplace_back(kFields[i], texts[i]);
    target.dialog.SetText(IDC_EDIT_LANGUAGE, L"");
    target.Store(edits);

    // The values read back; the fields keep the texts typed, and the language comes again.
    for (size_t i = 0; i < 12; ++i) {
        if (!texts[i]) continue;
        EXPECT_EQ(ReadBack(path, kKeys[i]), W(texts[i])) << kKeys[i];
        EXPECT_EQ(target.dialog.Text(kFields[i]), W(texts[i])) << kKeys[i];
    }
    // A value whose field is left alone keeps what its field could not show.
    EXPECT_EQ(ReadBack(path, "InternalName"), std::wstring(L"sampl\u0E01"));
    EXPECT_EQ(target.dialog.Text(IDC_EDIT_LANGUAGE), LanguageName(kChinesePrc));
    EXPECT_TRUE(target.dialog.Enabled(IDC_CHK_OPT_VERSION));
}

TEST(VersionWrite, AbsentKeyIsNotAdded) {
    Loaded target("ver_missing_key");
    target.Store({{IDC_EDIT_COMMENTS, "新备注"}, {IDC_EDIT_COMPANYNAME, "新公司"}});
    EXPECT_EQ(ReadBack(target.path, "Comments"), std::nullopt);
    EXPECT_EQ(ReadBack(target.path, "CompanyName"), W("新公司"));
    EXPECT_EQ(ReadBack(target.path, "PrivateBuild"), L"");
}

TEST(VersionWrite, OnlyTheFirstTranslationsTableIsWritten) {
    Loaded target("ver_two_translations");
    target.Store({{IDC_EDIT_COMPANYNAME, "新公司"}});
    EXPECT_EQ(ReadBack(target.path, "CompanyName"), W("新公司"));
    EXPECT_EQ(ReadBack(target.path, "CompanyName", 0, "040904b0"), L"Example Company");
}

TEST(VersionWrite, ResourceUnderAnotherLanguageGetsASecondOneUnderTheFirstPairs) {
    Loaded target("ver_other_language");
    ASSERT_EQ(ReadBack(target.path, "CompanyName", kChinesePrc), std::nullopt);
    target.Store({{IDC_EDIT_COMPANYNAME, "新公司"}});
    EXPECT_EQ(ReadBack(target.path, "CompanyName", kChinesePrc), W("新公司"));
    EXPECT_EQ(ReadBack(target.path, "ProductName", kChinesePrc), W("示例产品"));
    EXPECT_EQ(ReadBack(target.path, "CompanyName", kEnglishUs), W("示例公司"));
}

TEST(VersionWrite, DataAppendedAfterTheLastSectionSurvives) {
    Loaded target("ver_appended");
    // The raw version resource, as the file holds it: the first S bytes of the block.
    const std::string before = ReadWholeFile(target.path), block = Block(target.path);
    const std::string raw = block.substr(0, (block.size() - 4) / 2);
    ASSERT_EQ(before.substr(before.size() - 16), "QV-APPEND-04095\n");
    target.Store({{IDC_EDIT_PRODUCTNAME, "新产品"}, {IDC_EDIT_FILEVERSION, "9.9.9.999"}});
    // Stored in place: only the bytes of the version resource change, where the file has them.
    EXPECT_TRUE(SameOutside(before, ReadWholeFile(target.path), before.find(raw), raw.size()));
    EXPECT_EQ(ReadBack(target.path, "ProductName"), W("新产品"));
    EXPECT_EQ(ReadBack(target.path, "FileVersion"), L"9.9.9.999");
}

TEST(VersionWrite, TextThatDoesNotFitOrAFailedStoreIsReportedAndNothingIsStored) {
    const std::wstring failed =
        W("版本修改失败!\n错误代码: ") + std::to_wstring(ERROR_SHARING_VIOLATION);
    const struct {
        const char* fixture;
        int field;
        const char* text;
        std::wstring message;
        bool held;  // another program holds the file open to read it, not to write it
    } cases[] = {
        // Eight ASCII letters fit the field's eight bytes but not the room of four characters.
        {"ver_chinese", IDC_EDIT_COMPANYNAME, "ABCDEFGH", TooLong("公司"), false},
        {"ver_chinese", IDC_EDIT_PRODUCTNAME, "一二三四五", TooLong("产品名称"), false},
        {"ver_chinese", IDC_EDIT_FILEVERSION, "1.0.0.1234", TooLong("文件版本"), false},
        {"ver_chinese", IDC_EDIT_LEGALCOPYRIGHT, "版权所有 (C) 2026-2027", TooLong("版权"), false},
        {"ver_missing_key", IDC_EDIT_PRIVATEBUILD, "x", TooLong("个人用内部版本说明"), false},
        // The code of the failing call: in place, and through the resource services.
        {"ver_chinese", IDC_EDIT_COMPANYNAME, "新公司", failed, true},
        {"ver_other_language", IDC_EDIT_COMPANYNAME, "新公司", failed, true},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.fixture << ": " << c.text);
        Loaded target(c.fixture);
        const std::string before = ReadWholeFile(target.path);
        HANDLE holder = c.held ? ::CreateFileA(target.path.c_str(), GENERIC_READ, FILE_SHARE_READ,
                                               nullptr, OPEN_EXISTING, 0, nullptr)
                               : INVALID_HANDLE_VALUE;
        ASSERT_EQ(holder != INVALID_HANDLE_VALUE, c.held);
        // A fitting edit in an earlier step is not stored either.
        EXPECT_FALSE(target.Write({{IDC_EDIT_FILEVERSION, "2.0"}, {c.field, c.text}}));
        if (c.held) ::CloseHandle(holder);
        ExpectPrompt(target.ui, c.message);
        EXPECT_EQ(ReadWholeFile(target.path), before);
    }
}

TEST(VersionWrite, SecondWriteMeasuresOnTheFileAsTheFirstLeftIt) {
    Loaded target("ver_chinese");
    // After "2.0" the value's room is four units with the terminator, although the field still
    // takes the nine bytes from loading.
    std::string stored;
    for (const char* text : {"2.0", "1.0.0.9", "2.0.1", "3.1"}) {
        SCOPED_TRACE(text);
        target.ui.messages.clear();
        const bool fits = std::string(text).size() == 3;
        EXPECT_EQ(target.Write({{IDC_EDIT_FILEVERSION, text}}), fits);
        EXPECT_EQ(target.ui.Texts(), std::vector<std::wstring>(fits ? 0 : 1, TooLong("文件版本")));
        if (fits) stored = text;
        EXPECT_EQ(ReadBack(target.path, "FileVersion"), W(stored.c_str()));
    }
    EXPECT_EQ(target.dialog.Limit(IDC_EDIT_FILEVERSION), 9u);
}

// ---------------------------------------------------------------------------------------------
// Cost

// 200 MB more after the appended data; the file system may keep it sparse.
void Grow(const std::string& path) {
    std::filesystem::resize_file(path, std::filesystem::file_size(path) + (200 << 20));
}

// The median time in milliseconds of one write with one edit, over a few writes, on a copy of
// ver_appended that prepare may grow. The file keeps its size and holds the last value.
double MedianWriteTime(void (*prepare)(const std::string&)) {
    Loaded target("ver_appended", prepare);
    const auto size = std::filesystem::file_size(target.path);
    std::vector<double> times;
    for (const char* company : {"乙公司", "甲公司", "乙公司", "甲公司", "乙公司"}) {
        const auto start = std::chrono::steady_clock::now();
        target.Store({{IDC_EDIT_COMPANYNAME, company}});
        const std::chrono::duration<double, std::milli> took =
            std::chrono::steady_clock::now() - start;
        times.push_back(took.count());
    }
    EXPECT_EQ(std::filesystem::file_size(target.path), size);
    EXPECT_EQ(ReadBack(target.path, "CompanyName"), W("乙公司"));
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

TEST(VersionWrite, LargeExecutableTakesNoLongerThanASmallOne) {
    const double smallTime = MedianWriteTime(nullptr), bigTime = MedianWriteTime(Grow);
    // Rewriting the whole 200 MB file takes about 250 ms here even with the file sparse and
    // cached, and far more on a cold disk; a write in place costs what it costs on a small file.
    EXPECT_LE(bigTime, std::max(3 * smallTime, smallTime + 100))
        << "small " << smallTime << " ms, big " << bigTime << " ms";
}

}  // namespace
