// The version strings of the main dialog: what a load shows from a target's version resource,
// and what the write stores back, read again through the platform's own version calls.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <optional>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "res/resource.h"
#include "tests/win/TestSupport.h"
#include "version/PeVersionResource.h"

namespace {

const int kVersionFields[] = {
    IDC_EDIT_FILEVERSION,  IDC_EDIT_FILEDESCRIPTION, IDC_EDIT_LEGALCOPYRIGHT,
    IDC_EDIT_COMMENTS,     IDC_EDIT_PRODUCTVERSION,  IDC_EDIT_PRODUCTNAME,
    IDC_EDIT_PRIVATEBUILD, IDC_EDIT_COMPANYNAME,     IDC_EDIT_LEGALTRADEMARKS,
    IDC_EDIT_INTERNALNAME, IDC_EDIT_SPECIALBUILD,    IDC_EDIT_ORIGINALFILENAME,
};

std::wstring W(const char* utf8) {
    return Utf8ToWide(utf8);
}

std::wstring LanguageName(WORD language) {
    char name[256] = {};
    ::VerLanguageNameA(language, name, sizeof name);
    return AnsiToWide(name);
}

void WriteWholeFile(const std::string& path, const std::string& bytes) {
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE) << path;
    DWORD written = 0;
    ::WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    ::CloseHandle(file);
    ASSERT_EQ(written, bytes.size());
}

uint64_t FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    ::GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data);
    return (uint64_t{data.nFileSizeHigh} << 32) | data.nFileSizeLow;
}

// The target's version block as the platform gives it to any program.
std::vector<uint8_t> VersionBlock(const std::string& path) {
    DWORD handle = 0;
    const DWORD size = ::GetFileVersionInfoSizeA(path.c_str(), &handle);
    std::vector<uint8_t> block(size);
    if (size == 0 || !::GetFileVersionInfoA(path.c_str(), handle, size, block.data())) return {};
    return block;
}

// The raw version resource: the first S bytes of the block.
std::vector<uint8_t> RawResource(const std::string& path) {
    std::vector<uint8_t> block = VersionBlock(path);
    if (block.size() < 4) return {};
    block.resize((block.size() - 4) / 2);
    return block;
}

std::string StringName(const char* table, const char* key) {
    return std::string("\\StringFileInfo\\") + table + "\\" + key;
}

// A value as VerQueryValueA gives it, widened again; nothing when the key is absent.
std::optional<std::wstring> ReadBack(const std::string& path, const char* key,
                                     const char* table = "080404b0") {
    std::vector<uint8_t> block = VersionBlock(path);
    void* value = nullptr;
    UINT length = 0;
    if (block.empty() ||
        !::VerQueryValueA(block.data(), StringName(table, key).c_str(), &value, &length)) {
        return std::nullopt;
    }
    return AnsiToWide(static_cast<const char*>(value));
}

// Where a value's UTF-16 text lies in the raw resource, and its room (text and terminator).
struct Room {
    size_t offset;
    size_t bytes;
};

Room StoredRoom(std::vector<uint8_t> raw, const char* key, const char* table = "080404b0") {
    void* value = nullptr;
    UINT length = 0;
    const std::wstring name = Utf8ToWide(StringName(table, key).c_str());
    if (!::VerQueryValueW(raw.data(), name.c_str(), &value, &length)) return {0, 0};
    const size_t offset = static_cast<const uint8_t*>(value) - raw.data();
    return {offset, (wcslen(static_cast<const wchar_t*>(value)) + 1) * 2};
}

// The offsets at which two equally long byte strings differ outside [from, from + count); only
// the first few, to keep a failure readable.
template <class Bytes>
std::vector<size_t> ChangedOutside(const Bytes& a, const Bytes& b, uint64_t from, uint64_t count) {
    std::vector<size_t> at;
    for (size_t i = 0; i < std::min(a.size(), b.size()) && at.size() < 8; ++i) {
        if (a[i] != b[i] && (i < from || i - from >= count)) at.push_back(i);
    }
    return at;
}

// The version resource's data in a file image held in memory.
std::optional<PeResourceData> ResourceIn(const std::string& image, uint16_t language) {
    const PeFileReader read = [&image](uint64_t offset, void* into, size_t size) {
        if (offset > image.size() || size > image.size() - offset) return false;
        std::memcpy(into, image.data() + offset, size);
        return true;
    };
    return FindVersionResource(read, image.size(), language);
}

// The string values of the version resource stored under the given language, read through the
// resource services (a file may hold more than one).
std::optional<std::wstring> ResourceValue(const std::string& path, WORD language, const char* key) {
    HMODULE module = ::LoadLibraryExA(path.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return std::nullopt;
    std::optional<std::wstring> text;
    HRSRC found = ::FindResourceExA(module, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1), language);
    if (found) {
        const auto* data =
            static_cast<const uint8_t*>(::LockResource(::LoadResource(module, found)));
        std::vector<uint8_t> copy(data, data + ::SizeofResource(module, found));
        void* value = nullptr;
        UINT length = 0;
        const std::wstring name = Utf8ToWide(StringName("080404b0", key).c_str());
        if (::VerQueryValueW(copy.data(), name.c_str(), &value, &length)) {
            text = static_cast<const wchar_t*>(value);
        }
    }
    ::FreeLibrary(module);
    return text;
}

std::wstring VersionWriteFailed() {
    return W("版本修改失败!\n错误代码: ");
}

std::wstring TooLong(const char* label) {
    return W(label) + W("的新内容过长!\n版本信息未修改!");
}

const WORD kChinesePrc = 0x0804;
const WORD kEnglishUs = 0x0409;

// ---------------------------------------------------------------------------------------------
// Loading

struct ShownValue {
    int field;
    const char* text;  // UTF-8
    UINT limit;        // L: bytes of the ANSI (GBK) form
};

const ShownValue kChineseTable[] = {
    {IDC_EDIT_FILEVERSION, "1.0.0.123", 9},
    {IDC_EDIT_FILEDESCRIPTION, "示例程序", 8},
    {IDC_EDIT_LEGALCOPYRIGHT, "版权所有 (C) 2026", 17},
    {IDC_EDIT_COMMENTS, "测试用", 6},
    {IDC_EDIT_PRODUCTVERSION, "1.0.0.123", 9},
    {IDC_EDIT_PRODUCTNAME, "示例产品", 8},
    {IDC_EDIT_PRIVATEBUILD, "pb", 2},
    {IDC_EDIT_COMPANYNAME, "示例公司", 8},
    {IDC_EDIT_LEGALTRADEMARKS, "Quorvane", 8},
    {IDC_EDIT_INTERNALNAME, "sample", 6},
    {IDC_EDIT_SPECIALBUILD, "sb", 2},
    {IDC_EDIT_ORIGINALFILENAME, "sample.exe", 10},
};

const ShownValue kEnglishTable[] = {
    {IDC_EDIT_FILEVERSION, "2.3.4.567", 9},
    {IDC_EDIT_FILEDESCRIPTION, "Example Program", 15},
    {IDC_EDIT_LEGALCOPYRIGHT, "Copyright (C) 2026", 18},
    {IDC_EDIT_COMMENTS, "for tests", 9},
    {IDC_EDIT_PRODUCTVERSION, "2.3.4.567", 9},
    {IDC_EDIT_PRODUCTNAME, "Example Product", 15},
    {IDC_EDIT_PRIVATEBUILD, "private", 7},
    {IDC_EDIT_COMPANYNAME, "Example Company", 15},
    {IDC_EDIT_LEGALTRADEMARKS, "Quorvane", 8},
    {IDC_EDIT_INTERNALNAME, "example", 7},
    {IDC_EDIT_SPECIALBUILD, "special", 7},
    {IDC_EDIT_ORIGINALFILENAME, "example.exe", 11},
};

TEST(VersionRead, ShowsTheFirstTranslationsStringsWithTheirByteLimits) {
    const struct {
        const char* fixture;
        const ShownValue (&table)[12];
        WORD language;
    } cases[] = {
        {"ver_chinese", kChineseTable, kChinesePrc},
        {"ver_upper_table", kChineseTable, kChinesePrc},       // table named 080404B0
        {"ver_two_translations", kChineseTable, kChinesePrc},  // the second table is not shown
        {"ver_ascii", kEnglishTable, kEnglishUs},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.fixture);
        FakeUiServices ui;
        MainDialog dialog;
        dialog.Load(FixturePath(std::string(c.fixture) + ".exe"));
        EXPECT_TRUE(ui.messages.empty());
        for (const ShownValue& value : c.table) {
            EXPECT_EQ(dialog.Text(value.field), W(value.text)) << value.field;
            EXPECT_EQ(dialog.Limit(value.field), value.limit) << value.field;
        }
        EXPECT_EQ(dialog.Text(IDC_EDIT_LANGUAGE), LanguageName(c.language));
        EXPECT_NE(dialog.Text(IDC_EDIT_LANGUAGE), L"");
        EXPECT_TRUE(dialog.Enabled(IDC_CHK_OPT_VERSION));
        EXPECT_FALSE(dialog.Checked(IDC_CHK_OPT_VERSION));
    }
}

void ExpectEmptyVersionFields(const MainDialog& dialog) {
    for (int id : kVersionFields) {
        EXPECT_EQ(dialog.Text(id), L"") << id;
        EXPECT_EQ(dialog.Limit(id), 256u) << id;
    }
    EXPECT_EQ(dialog.Text(IDC_EDIT_LANGUAGE), L"");
}

TEST(VersionRead, TargetWithoutVersionInformationDisablesTheOptionUntilOneWithItLoads) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;

    dialog.Load(FixturePath("ver_chinese.exe"));
    ASSERT_TRUE(dialog.Enabled(IDC_CHK_OPT_VERSION));

    dialog.Check(IDC_CHK_OPT_VERSION, true);
    dialog.Load(FixturePath("ver_none.exe"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(dialog.Checked(IDC_CHK_OPT_VERSION));
    EXPECT_FALSE(dialog.Enabled(IDC_CHK_OPT_VERSION));
    ExpectEmptyVersionFields(dialog);

    dialog.Load(scratch.MakeFolder("folder"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(dialog.Checked(IDC_CHK_OPT_VERSION));
    EXPECT_FALSE(dialog.Enabled(IDC_CHK_OPT_VERSION));
    ExpectEmptyVersionFields(dialog);

    // A target that does not load leaves the box as the last load set it.
    dialog.Load(scratch / "missing.exe");
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{W("文件句柄无效!")});
    EXPECT_FALSE(dialog.Enabled(IDC_CHK_OPT_VERSION));
    dialog.Load(scratch.WriteFile("plain.txt"));
    EXPECT_FALSE(dialog.Enabled(IDC_CHK_OPT_VERSION));

    dialog.Load(FixturePath("ver_chinese.exe"));
    EXPECT_TRUE(dialog.Enabled(IDC_CHK_OPT_VERSION));
    EXPECT_FALSE(dialog.Checked(IDC_CHK_OPT_VERSION));
}

TEST(VersionRead, MissingTranslationIsReportedAndFillsNothing) {
    for (const char* fixture : {"ver_no_translation", "ver_empty_translation"}) {
        SCOPED_TRACE(fixture);
        FakeUiServices ui;
        ScratchFolder scratch;
        MainDialog dialog;
        const std::string path = scratch.CopyFixture(std::string(fixture) + ".exe");
        dialog.Load(path);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, W("获取语言失败!"));
        EXPECT_EQ(ui.messages[0].caption, W("提示"));
        EXPECT_EQ(ui.messages[0].type, static_cast<UINT>(MB_OK));
        ExpectEmptyVersionFields(dialog);
        EXPECT_TRUE(dialog.Enabled(IDC_CHK_OPT_VERSION));

        // The write reports it again and stores nothing.
        const std::string before = ReadWholeFile(path);
        dialog.SetText(IDC_EDIT_COMPANYNAME, L"X");
        EXPECT_FALSE(dialog->ProcessVersionInfo(true));
        EXPECT_EQ(ui.Texts(), std::vector<std::wstring>(2, W("获取语言失败!")));
        EXPECT_EQ(ReadWholeFile(path), before);
    }
}

TEST(VersionRead, AbsentKeyKeepsItsFieldAndAnEmptyValueTakesTheLargestLimit) {
    FakeUiServices ui;
    MainDialog dialog;
    dialog.Load(FixturePath("ver_missing_key.exe"));
    EXPECT_TRUE(ui.messages.empty());

    EXPECT_EQ(dialog.Text(IDC_EDIT_COMMENTS), L"");
    EXPECT_EQ(dialog.Limit(IDC_EDIT_COMMENTS), 256u);

    // A limit of 0 means the edit's largest; compare with what a fresh edit reports for it.
    HWND probe = ::CreateWindowExW(0, L"Edit", L"", WS_CHILD, 0, 0, 10, 10, dialog.hwnd(), nullptr,
                                   nullptr, nullptr);
    ASSERT_NE(probe, nullptr);
    ::SendMessageW(probe, EM_LIMITTEXT, 0, 0);
    const UINT largest = static_cast<UINT>(::SendMessageW(probe, EM_GETLIMITTEXT, 0, 0));
    ::DestroyWindow(probe);
    EXPECT_EQ(dialog.Text(IDC_EDIT_PRIVATEBUILD), L"");
    EXPECT_EQ(dialog.Limit(IDC_EDIT_PRIVATEBUILD), largest);
    EXPECT_GT(largest, 256u);

    EXPECT_EQ(dialog.Text(IDC_EDIT_COMPANYNAME), W("示例公司"));
    EXPECT_EQ(dialog.Limit(IDC_EDIT_COMPANYNAME), 8u);
    EXPECT_EQ(dialog.Text(IDC_EDIT_LANGUAGE), LanguageName(kChinesePrc));
}

// A path longer than 255 bytes that the platform's narrow calls still take.
TEST(VersionRead, PathLongerThan255BytesIsTakenWhole) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string name = "\\ver_chinese.exe";
    const size_t length = 258;
    ASSERT_LT(scratch.path().size() + 2 + name.size(), length);
    const std::string folder =
        scratch.MakeFolder(std::string(length - scratch.path().size() - 1 - name.size(), 'd'));
    const std::string path = folder + name;
    ASSERT_EQ(path.size(), length);
    ASSERT_TRUE(::CopyFileA(FixturePath("ver_chinese.exe").c_str(), path.c_str(), FALSE))
        << ::GetLastError();

    dialog.Load(path);
    ASSERT_TRUE(ui.messages.empty()) << WideToUtf8(ui.messages[0].text);
    EXPECT_EQ(dialog.Text(IDC_EDIT_COMPANYNAME), W("示例公司"));
    EXPECT_TRUE(dialog.Enabled(IDC_CHK_OPT_VERSION));

    dialog.SetText(IDC_EDIT_COMPANYNAME, W("长路径"));
    EXPECT_TRUE(dialog->ProcessVersionInfo(true));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ReadBack(path, "CompanyName"), W("长路径"));
}

// ---------------------------------------------------------------------------------------------
// Writing

struct Edit {
    int field;
    const char* key;
    const char* text;  // UTF-8
};

TEST(VersionWrite, StoresEditsThatReadBackExactlyAndKeepsTheForm) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.CopyFixture("ver_chinese.exe");
    dialog.Load(path);
    ASSERT_TRUE(ui.messages.empty());

    const Edit edits[] = {
        {IDC_EDIT_FILEVERSION, "FileVersion", "1.0.0.124"},         // same length
        {IDC_EDIT_FILEDESCRIPTION, "FileDescription", "新的程序"},  // same length, Chinese
        {IDC_EDIT_LEGALCOPYRIGHT, "LegalCopyright", "(C) 2027 某公司"},
        {IDC_EDIT_COMMENTS, "Comments", "ab"},            // Chinese to ASCII, shorter
        {IDC_EDIT_PRODUCTNAME, "ProductName", "产品"},    // shorter
        {IDC_EDIT_COMPANYNAME, "CompanyName", "新公司"},  // shorter
        {IDC_EDIT_INTERNALNAME, "InternalName", "内部名"},
        {IDC_EDIT_SPECIALBUILD, "SpecialBuild", ""},  // emptied
        {IDC_EDIT_ORIGINALFILENAME, "OriginalFilename", "new.exe"},
    };
    for (const Edit& edit : edits) dialog.SetText(edit.field, W(edit.text));
    dialog.SetText(IDC_EDIT_LANGUAGE, L"");

    EXPECT_TRUE(dialog->ProcessVersionInfo(true));
    EXPECT_TRUE(ui.messages.empty()) << WideToUtf8(ui.messages[0].text);

    for (const Edit& edit : edits) {
        EXPECT_EQ(ReadBack(path, edit.key), W(edit.text)) << edit.key;
    }
    const struct {
        const char* key;
        const char* text;
    } untouched[] = {
        {"ProductVersion", "1.0.0.123"}, {"PrivateBuild", "pb"}, {"LegalTrademarks", "Quorvane"}};
    for (const auto& value : untouched) {
        EXPECT_EQ(ReadBack(path, value.key), W(value.text)) << value.key;
    }

    // The fields keep the texts typed and the limits from loading; the language comes again.
    for (const Edit& edit : edits) EXPECT_EQ(dialog.Text(edit.field), W(edit.text));
    EXPECT_EQ(dialog.Limit(IDC_EDIT_COMPANYNAME), 8u);
    EXPECT_EQ(dialog.Limit(IDC_EDIT_FILEVERSION), 9u);
    EXPECT_EQ(dialog.Text(IDC_EDIT_LANGUAGE), LanguageName(kChinesePrc));
    EXPECT_TRUE(dialog.Enabled(IDC_CHK_OPT_VERSION));
}

// Replaces the last letter of InternalName's stored text ("sample") in the file with a character
// that code page 936 lacks.
void PutUnmappableCharacterIntoInternalName(const std::string& path) {
    std::string bytes = ReadWholeFile(path);
    const std::string sample("s\0a\0m\0p\0l\0e\0\0\0", 14);
    const size_t at = bytes.find(sample);
    ASSERT_NE(at, std::string::npos);
    bytes[at + 10] = '\x01';  // U+0E01, THAI CHARACTER KO KAI
    bytes[at + 11] = '\x0E';
    WriteWholeFile(path, bytes);
}

TEST(VersionWrite, LeavesUntouchedValuesByteForByte) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.CopyFixture("ver_chinese.exe");
    PutUnmappableCharacterIntoInternalName(path);
    const std::vector<uint8_t> before = RawResource(path);
    ASSERT_FALSE(before.empty());
    dialog.Load(path);
    ASSERT_TRUE(ui.messages.empty());
    // The field can only show the code page's stand-in for that character.
    ASSERT_NE(dialog.Text(IDC_EDIT_INTERNALNAME), std::wstring(L"sampl\u0E01"));

    dialog.SetText(IDC_EDIT_COMPANYNAME, W("新公司"));
    ASSERT_TRUE(dialog->ProcessVersionInfo(true));
    EXPECT_TRUE(ui.messages.empty());

    const std::vector<uint8_t> after = RawResource(path);
    ASSERT_EQ(after.size(), before.size());
    const Room company = StoredRoom(before, "CompanyName");
    ASSERT_EQ(company.bytes, 10u);
    EXPECT_EQ(ChangedOutside(before, after, company.offset, company.bytes), std::vector<size_t>{})
        << "bytes outside CompanyName's room changed";
    EXPECT_EQ(ResourceValue(path, kChinesePrc, "InternalName"), std::wstring(L"sampl\u0E01"));
    EXPECT_EQ(ReadBack(path, "CompanyName"), W("新公司"));
}

TEST(VersionWrite, TextThatDoesNotFitIsRefusedWithItsLabelAndNothingIsStored) {
    const struct {
        const char* fixture;
        int field;
        const char* text;
        const char* label;
    } cases[] = {
        // Eight ASCII letters fit the field's eight bytes but not the room of four characters.
        {"ver_chinese", IDC_EDIT_COMPANYNAME, "ABCDEFGH", "公司"},
        {"ver_chinese", IDC_EDIT_PRODUCTNAME, "一二三四五", "产品名称"},
        {"ver_chinese", IDC_EDIT_FILEVERSION, "1.0.0.1234", "文件版本"},
        {"ver_chinese", IDC_EDIT_LEGALCOPYRIGHT, "版权所有 (C) 2026-2027", "版权"},
        {"ver_missing_key", IDC_EDIT_PRIVATEBUILD, "x", "个人用内部版本说明"},  // empty value
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        FakeUiServices ui;
        ScratchFolder scratch;
        MainDialog dialog;
        const std::string path = scratch.CopyFixture(std::string(c.fixture) + ".exe");
        dialog.Load(path);
        const std::string before = ReadWholeFile(path);

        // A fitting edit in an earlier step is not stored either.
        dialog.SetText(IDC_EDIT_FILEVERSION, L"2.0");
        dialog.SetText(c.field, W(c.text));
        EXPECT_FALSE(dialog->ProcessVersionInfo(true));
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text, TooLong(c.label));
        EXPECT_EQ(ui.messages[0].caption, W("提示"));
        EXPECT_EQ(ReadWholeFile(path), before);
    }
}

TEST(VersionWrite, AbsentKeyIsNotAdded) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.CopyFixture("ver_missing_key.exe");
    dialog.Load(path);
    dialog.SetText(IDC_EDIT_COMMENTS, W("新备注"));
    dialog.SetText(IDC_EDIT_COMPANYNAME, W("新公司"));
    EXPECT_TRUE(dialog->ProcessVersionInfo(true));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ReadBack(path, "Comments"), std::nullopt);
    EXPECT_EQ(ReadBack(path, "CompanyName"), W("新公司"));
    EXPECT_EQ(ReadBack(path, "PrivateBuild"), L"");
}

TEST(VersionWrite, OnlyTheFirstTranslationsTableIsWritten) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.CopyFixture("ver_two_translations.exe");
    dialog.Load(path);
    dialog.SetText(IDC_EDIT_COMPANYNAME, W("新公司"));
    EXPECT_TRUE(dialog->ProcessVersionInfo(true));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ReadBack(path, "CompanyName"), W("新公司"));
    EXPECT_EQ(ReadBack(path, "CompanyName", "040904b0"), L"Example Company");
}

TEST(VersionWrite, ResourceUnderAnotherLanguageGetsASecondOneUnderTheFirstPairs) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.CopyFixture("ver_other_language.exe");
    dialog.Load(path);
    ASSERT_EQ(dialog.Text(IDC_EDIT_COMPANYNAME), W("示例公司"));
    ASSERT_EQ(ResourceValue(path, kChinesePrc, "CompanyName"), std::nullopt);

    dialog.SetText(IDC_EDIT_COMPANYNAME, W("新公司"));
    EXPECT_TRUE(dialog->ProcessVersionInfo(true));
    EXPECT_TRUE(ui.messages.empty()) << WideToUtf8(ui.messages[0].text);
    EXPECT_EQ(ResourceValue(path, kChinesePrc, "CompanyName"), W("新公司"));
    EXPECT_EQ(ResourceValue(path, kChinesePrc, "ProductName"), W("示例产品"));
    EXPECT_EQ(ResourceValue(path, kEnglishUs, "CompanyName"), W("示例公司"));
}

TEST(VersionWrite, DataAppendedAfterTheLastSectionSurvives) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.CopyFixture("ver_appended.exe");
    const std::string before = ReadWholeFile(path);
    const std::optional<PeResourceData> resource = ResourceIn(before, kChinesePrc);
    ASSERT_TRUE(resource.has_value());
    ASSERT_EQ(before.compare(before.size() - 16, 16, "QV-APPEND-04095\n"), 0);

    dialog.Load(path);
    dialog.SetText(IDC_EDIT_PRODUCTNAME, W("新产品"));
    dialog.SetText(IDC_EDIT_FILEVERSION, L"9.9.9.999");
    EXPECT_TRUE(dialog->ProcessVersionInfo(true));
    EXPECT_TRUE(ui.messages.empty());

    const std::string after = ReadWholeFile(path);
    ASSERT_EQ(after.size(), before.size());
    EXPECT_EQ(after.substr(after.size() - 65536), before.substr(before.size() - 65536));
    EXPECT_NE(before, after);
    EXPECT_EQ(ChangedOutside(before, after, resource->fileOffset, resource->size),
              std::vector<size_t>{})
        << "bytes outside the version resource changed";
    EXPECT_EQ(ReadBack(path, "ProductName"), W("新产品"));
    EXPECT_EQ(ReadBack(path, "FileVersion"), L"9.9.9.999");
}

TEST(VersionWrite, SecondWriteMeasuresOnTheFileAsTheFirstLeftIt) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.CopyFixture("ver_chinese.exe");
    dialog.Load(path);

    dialog.SetText(IDC_EDIT_FILEVERSION, L"2.0");
    ASSERT_TRUE(dialog->ProcessVersionInfo(true));
    ASSERT_EQ(ReadBack(path, "FileVersion"), L"2.0");

    // The value's room is now that of "2.0": four units with the terminator, although the field
    // still takes the nine bytes from loading.
    EXPECT_EQ(dialog.Limit(IDC_EDIT_FILEVERSION), 9u);
    const std::string shortened = ReadWholeFile(path);
    for (const wchar_t* text : {L"1.0.0.9", L"2.0.1"}) {
        ui.messages.clear();
        dialog.SetText(IDC_EDIT_FILEVERSION, text);
        EXPECT_FALSE(dialog->ProcessVersionInfo(true));
        EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{TooLong("文件版本")});
        EXPECT_EQ(ReadWholeFile(path), shortened);
    }

    ui.messages.clear();
    dialog.SetText(IDC_EDIT_FILEVERSION, L"3.1");
    EXPECT_TRUE(dialog->ProcessVersionInfo(true));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(ReadBack(path, "FileVersion"), L"3.1");
}

TEST(VersionWrite, FailedStoreReportsTheCodeOfTheFailingCallAndLeavesTheFile) {
    for (const char* fixture : {"ver_chinese", "ver_other_language"}) {
        SCOPED_TRACE(fixture);
        FakeUiServices ui;
        ScratchFolder scratch;
        MainDialog dialog;
        const std::string path = scratch.CopyFixture(std::string(fixture) + ".exe");
        dialog.Load(path);
        const std::string before = ReadWholeFile(path);

        // Another program holds the file open and lets others read it, not write it.
        HANDLE holder = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(holder, INVALID_HANDLE_VALUE);
        dialog.SetText(IDC_EDIT_COMPANYNAME, W("新公司"));
        const bool stored = dialog->ProcessVersionInfo(true);
        ::CloseHandle(holder);

        EXPECT_FALSE(stored);
        ASSERT_EQ(ui.messages.size(), 1u);
        EXPECT_EQ(ui.messages[0].text,
                  VersionWriteFailed() + std::to_wstring(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(ui.messages[0].caption, W("提示"));
        EXPECT_EQ(ReadWholeFile(path), before);
    }
}

TEST(VersionWrite, RunsOnlyWhileTheTargetHasVersionInformation) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;

    // Loaded without version information: the write does nothing at all.
    const std::string none = scratch.CopyFixture("ver_none.exe");
    dialog.Load(none);
    const std::string noneBefore = ReadWholeFile(none);
    dialog.SetText(IDC_EDIT_LANGUAGE, L"kept");
    EXPECT_FALSE(dialog->ProcessVersionInfo(true));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(dialog.Text(IDC_EDIT_LANGUAGE), L"kept");
    EXPECT_EQ(ReadWholeFile(none), noneBefore);

    // The target lost its version information after loading.
    const std::string path = scratch.CopyFixture("ver_chinese.exe");
    dialog.Load(path);
    dialog.Check(IDC_CHK_OPT_VERSION, true);
    ASSERT_TRUE(::CopyFileA(none.c_str(), path.c_str(), FALSE));
    EXPECT_FALSE(dialog->ProcessVersionInfo(true));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(dialog.Checked(IDC_CHK_OPT_VERSION));
    EXPECT_FALSE(dialog.Enabled(IDC_CHK_OPT_VERSION));
    EXPECT_EQ(ReadWholeFile(path), noneBefore);
    // ... and from now on the write does not even look.
    EXPECT_FALSE(dialog->ProcessVersionInfo(true));
    EXPECT_TRUE(ui.messages.empty());
}

TEST(VersionWrite, ModifyCommandStoresTheTickedVersionStrings) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    const std::string path = scratch.CopyFixture("ver_chinese.exe");
    dialog.Load(path);
    dialog.Check(IDC_CHK_OPT_VERSION, true);
    dialog.Check(IDC_CHK_OPT_BACKUP, false);
    dialog.SetText(IDC_EDIT_PRODUCTNAME, W("新产品"));
    dialog->OnOK();
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{W("文件修改完成!")});
    EXPECT_EQ(ReadBack(path, "ProductName"), W("新产品"));
}

// ---------------------------------------------------------------------------------------------
// Cost

double Milliseconds(const LARGE_INTEGER& from, const LARGE_INTEGER& to) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    return 1000.0 * static_cast<double>(to.QuadPart - from.QuadPart) /
           static_cast<double>(frequency.QuadPart);
}

// The median time of one write with one edit, over a few writes.
double MedianWriteTime(const std::string& path) {
    FakeUiServices ui;
    MainDialog dialog;
    dialog.Load(path);
    std::vector<double> times;
    for (int i = 0; i < 5; ++i) {
        dialog.SetText(IDC_EDIT_COMPANYNAME, W(i % 2 ? "甲公司" : "乙公司"));
        LARGE_INTEGER start, end;
        ::QueryPerformanceCounter(&start);
        const bool stored = dialog->ProcessVersionInfo(true);
        ::QueryPerformanceCounter(&end);
        EXPECT_TRUE(stored);
        times.push_back(Milliseconds(start, end));
    }
    EXPECT_TRUE(ui.messages.empty());
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

TEST(VersionWrite, LargeExecutableTakesNoLongerThanASmallOne) {
    ScratchFolder smallFolder;
    ScratchFolder bigFolder;
    const std::string small = smallFolder.CopyFixture("ver_appended.exe");
    const std::string big = bigFolder.CopyFixture("ver_appended.exe");
    {
        // 200 MB more after the appended data; the file system may keep it sparse.
        HANDLE file = ::CreateFileA(big.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
        ASSERT_NE(file, INVALID_HANDLE_VALUE);
        LARGE_INTEGER extra;
        extra.QuadPart = 200LL << 20;
        ASSERT_TRUE(::SetFilePointerEx(file, extra, nullptr, FILE_END));
        ASSERT_TRUE(::SetEndOfFile(file));
        ::CloseHandle(file);
    }
    const uint64_t bigSize = FileSize(big);
    ASSERT_GT(bigSize, 200ull << 20);

    const double smallTime = MedianWriteTime(small);
    const double bigTime = MedianWriteTime(big);
    // Rewriting the whole 200 MB file takes about 250 ms here even with the file sparse and
    // cached, and far more on a cold disk; a write in place costs what it costs on a small file.
    EXPECT_LE(bigTime, std::max(3 * smallTime, smallTime + 100))
        << "small " << smallTime << " ms, big " << bigTime << " ms";
    EXPECT_EQ(FileSize(big), bigSize);
    EXPECT_EQ(ReadBack(big, "CompanyName"), W("乙公司"));
}

}  // namespace
