// The version strings of real and crafted files: shown on load, and stored in place where the
// file keeps them, judged by the file's bytes and by the platform's own version calls.
#include "tests/support/VersionImage.h"
#include "tests/win/InProcess.h"

#include <imagehlp.h>

class Version : public InProcess {
  protected:
    // Loads the file and ticks "版本" alone, so that only version strings are written.
    void LoadForVersion(const CString& file) {
        Load(file);
        Check(IDC_CHK_OPT_VERSION);
        Check(IDC_CHK_OPT_BASIC, false);
        Check(IDC_CHK_OPT_BACKUP, false);
    }
    CString Strings(const CString& file) const {
        CString all;
        for (const wchar_t* key : {L"ProductName", L"LegalCopyright", L"Comments", L"CompanyName"})
            all += PlatformVersionString(file, key) + L"|";
        return all;
    }
};

// True when the bytes that differ all lie in the file's version block or its checksum field.
static bool DiffersOnlyInTheResource(const std::string& before, const std::string& after) {
    const size_t block = before.find(std::string("V\0S\0_\0V\0E\0R\0S\0I\0O\0N\0_\0", 22)) - 6;
    const size_t end = block + *reinterpret_cast<const uint16_t*>(&before[block]);
    const size_t checksum = *reinterpret_cast<const uint32_t*>(&before[0x3C]) + 88;
    for (size_t i = 0; i < before.size(); ++i) {
        if (before[i] != after[i] && (i < block || i >= end) && i - checksum >= 4) return false;
    }
    return before.size() == after.size() && before != after;
}

// The linker makes a fixture's checksum valid; the two with data appended since hold a wrong one.
TEST_F(Version, ShowsAndStoresOnlyTheEditedStringsExactlyWhereverTheResourceLives) {
    wchar_t chinese[256] = {};
    ::VerLanguageNameW(0x0804, chinese, 256);
    // Shown exactly as stored, characters outside code page 936 included; a field takes as many
    // units as its stored text has, an empty one as many as the control can.
    const int ids[] = {
        IDC_EDIT_COMPANYNAME,      IDC_EDIT_FILEDESCRIPTION, IDC_EDIT_FILEVERSION,
        IDC_EDIT_INTERNALNAME,     IDC_EDIT_LEGALCOPYRIGHT,  IDC_EDIT_LEGALTRADEMARKS,
        IDC_EDIT_ORIGINALFILENAME, IDC_EDIT_PRODUCTNAME,     IDC_EDIT_PRODUCTVERSION,
        IDC_EDIT_COMMENTS,         IDC_EDIT_PRIVATEBUILD,    IDC_EDIT_SPECIALBUILD};
    for (const CString name : {L"ver_neutral32", L"ver_english", L"ver_chinese"}) {
        const CString file = CopyFixture(name);
        const std::string original = ReadAll(file);
        const uint64_t written = FileTimes(file)[2];
        DWORD header, computed;
        ASSERT_EQ(::MapFileAndCheckSumW(file.c_str(), &header, &computed), 0u);
        const int64_t offBy = int64_t{header} - computed;  // 0: the checksum is valid
        ASSERT_EQ(offBy == 0, name == L"ver_chinese");
        LoadForVersion(file);
        CString texts;
        for (const int id : ids) {
            texts += Text(id) + L"|";
            EXPECT_EQ(::SendMessageW(Item(id), EM_GETLIMITTEXT, 0, 0),
                      Text(id).empty() ? 0x7FFFFFFE : Text(id).size());
        }
        EXPECT_EQ(texts,
                  L"示例公司|示例程序|1.0.0.123|sample|Copyright © 2024 公司™|Quorvane|"
                  L"sample.exe|示例产品|1.0.0.123|제품 Demo|pb||");
        EXPECT_EQ(Text(IDC_EDIT_LANGUAGE), chinese);
        dialog.OnOK();  // nothing edited: nothing written
        EXPECT_EQ(ReadAll(file), original);
        EXPECT_EQ(FileTimes(file)[2], written);
        SetText(IDC_EDIT_PRODUCTNAME, L"新产品");
        SetText(IDC_EDIT_LEGALCOPYRIGHT, L"Copyright © 2025 公司™");
        SetText(IDC_EDIT_LANGUAGE, L"");
        dialog.OnOK();
        EXPECT_EQ(Text(IDC_EDIT_LANGUAGE), chinese) << "read again from the file";
        EXPECT_TRUE(DiffersOnlyInTheResource(original, ReadAll(file)));
        EXPECT_EQ(Strings(file), L"新产品|Copyright © 2025 公司™|제품 Demo|示例公司|");
        ASSERT_EQ(::MapFileAndCheckSumW(file.c_str(), &header, &computed), 0u);
        // A valid checksum stays valid, a wrong one as wrong as it was (in the sum's arithmetic).
        EXPECT_EQ(offBy ? (int64_t{header} - computed - offBy) % 0xFFFF : header - computed, 0);
    }
    EXPECT_EQ(messages, Texts(6, L"提示|文件修改完成!"));
    messages.clear();
    // No Translation: told on the load and on every "修改" with "版本" ticked, nothing written.
    const CString file = CopyFixture(L"ver_no_translation");
    const std::string original = ReadAll(file);
    LoadForVersion(file);
    EXPECT_TRUE(Enabled(IDC_CHK_OPT_VERSION) && Text(IDC_EDIT_PRODUCTNAME).empty());
    dialog.OnOK();
    dialog.OnOK();
    EXPECT_EQ(ReadAll(file), original);
    EXPECT_EQ(messages, (Texts{L"提示|获取语言失败!", L"提示|获取语言失败!", L"提示|文件修改完成!",
                               L"提示|获取语言失败!", L"提示|文件修改完成!"}));
}

TEST_F(Version, CraftedResourcesAsTheSystemReadsThemAndBytesAfterABlockStay) {
    fixture::Bytes block = fixture::VersionBlock({{u"ProductName", u"示例产品"}});
    block.resize(block.size() + 32, 0xAB);  // as some tools write it: bytes after the block
    const fixture::PeFile image = fixture::MakePeFile({{0x0804, block}});
    const CString crafted = Write(L"crafted.exe", {image.bytes.begin(), image.bytes.end()});
    // Under two languages (listed in order, as linkers do), the one that the system shows.
    const fixture::PeFile two = fixture::MakePeFile(
        {{0x0000, block}, {0x0804, fixture::VersionBlock({{u"ProductName", u"中文"}})}});
    Load(Write(L"two.exe", {two.bytes.begin(), two.bytes.end()}));
    EXPECT_EQ(Text(IDC_EDIT_PRODUCTNAME), PlatformVersionString(Path(L"two.exe"), L"ProductName"));
    // A block of nearly 64 KiB, as long strings make one, is read whole.
    const fixture::PeFile large = fixture::MakePeFile(
        {{0x0804, fixture::VersionBlock({{u"Comments", std::u16string(32400, u'x')}})}});
    Load(Write(L"large.exe", {large.bytes.begin(), large.bytes.end()}));
    EXPECT_EQ(::SendMessageW(Item(IDC_EDIT_COMMENTS), EM_GETLIMITTEXT, 0, 0), 32400);
    LoadForVersion(crafted);
    EXPECT_EQ(::SendMessageW(Item(IDC_EDIT_COMMENTS), EM_GETLIMITTEXT, 0, 0), 256);  // absent
    SetText(IDC_EDIT_PRODUCTNAME, L"产品");
    dialog.OnOK();
    EXPECT_TRUE(
        DiffersOnlyInTheResource({image.bytes.begin(), image.bytes.end()}, ReadAll(crafted)));
    EXPECT_EQ(messages, Texts{L"提示|文件修改完成!"});
}

TEST_F(Version, OnlyEditedFieldsAreWrittenAndFailuresAreReported) {
    CString file = CopyFixture(L"ver_chinese");
    // Another program changes a string after the load; the user's edit of another keeps it.
    LoadForVersion(file);
    SetText(IDC_EDIT_PRODUCTNAME, L"产品");
    std::string bytes = ReadAll(file);
    WriteAll(file,
             bytes.replace(bytes.find("\x3a\x79\x8b\x4f\x6c\x51"), 6, "\x2b\x52\xb6\x5b\x6c\x51"));
    dialog.OnOK();
    // The shorter text leaves the room as it was: the field takes four units, and so does the
    // store, not five.
    LoadForVersion(file);
    EXPECT_EQ(::SendMessageW(Item(IDC_EDIT_PRODUCTNAME), EM_GETLIMITTEXT, 0, 0), 4);
    SetText(IDC_EDIT_PRODUCTNAME, L"示例产品X");
    dialog.OnOK();
    SetText(IDC_EDIT_PRODUCTNAME, L"示例产品");
    dialog.OnOK();
    EXPECT_EQ(Strings(file), L"示例产品|Copyright © 2024 公司™|제품 Demo|别家公司|");

    // Locked, given another translation, replaced, deleted after the load: reported, and the form
    // stays as it is. With nothing edited the file is not opened for writing: a lock is no failure.
    HANDLE lock = INVALID_HANDLE_VALUE;
    const auto lockFile = [&] {
        lock = ::CreateFileW(file.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    };
    const std::pair<std::function<void()>, const wchar_t*> mishaps[] = {
        {lockFile, L"产品"},
        {[&] {
             WriteAll(file, bytes.replace(bytes.find("\x04\x08\xb0\x04"), 4, "\x04\x08\xe4\x04"));
         },
         L"产品"},
        {[&] { WriteAll(file, "no longer a program"); }, L"产品"},
        {[&] { ::DeleteFileW(file.c_str()); }, L"产品"},
        {lockFile, nullptr}};
    for (const auto& [mishap, edit] : mishaps) {
        LoadForVersion(file = CopyFixture(L"ver_chinese"));
        bytes = ReadAll(file);
        if (edit) SetText(IDC_EDIT_PRODUCTNAME, edit);
        mishap();
        dialog.OnOK();
        ::CloseHandle(std::exchange(lock, INVALID_HANDLE_VALUE));
        EXPECT_TRUE(Enabled(IDC_CHK_OPT_VERSION) && Checked(IDC_CHK_OPT_VERSION));
    }
    EXPECT_EQ(
        messages,
        (Texts{L"提示|文件修改完成!", L"提示|产品名称的新内容过长!\n版本信息未修改!",
               L"提示|文件修改完成!", L"提示|文件修改完成!", L"提示|版本修改失败!\n错误代码: 32",
               L"提示|文件修改完成!", L"提示|版本修改失败!\n错误代码: 13", L"提示|文件修改完成!",
               L"提示|版本修改失败!\n错误代码: 13", L"提示|文件修改完成!",
               L"提示|版本修改失败!\n错误代码: 2", L"提示|文件修改完成!", L"提示|文件修改完成!"}));
}

// A version edit breaks a signed program's signature: asked before anything is written, "否" the
// default; attributes alone are not asked about.
TEST_F(Version, ASignedProgramIsAskedAboutBeforeAVersionEditOnly) {
    const CString file = CopyFixture(L"ver_signed");
    const std::string original = ReadAll(file);
    LoadForVersion(file);
    for (int box : {IDC_CHK_OPT_BACKUP, IDC_CHK_OPT_BASIC, IDC_CHK_HIDDEN}) Check(box);
    const auto store = [&](const wchar_t* text, std::vector<int> answers) {
        SetText(IDC_EDIT_PRODUCTNAME, text);
        replies = answers;
        dialog.OnOK();
        return (::GetFileAttributesW(file.c_str()) & FILE_ATTRIBUTE_HIDDEN) != 0;
    };
    EXPECT_FALSE(store(L"新", {IDNO}));
    EXPECT_EQ(ReadAll(file), original);
    EXPECT_EQ(::GetFileAttributesW((file + L"_bak").c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_TRUE(store(L"示例产品", {}));
    EXPECT_TRUE(store(L"新", {IDYES}));
    EXPECT_EQ(PlatformVersionString(file, L"ProductName"), L"新");
    const CString question = L"提示|该文件带有数字签名，修改版本信息会使签名失效。\n是否继续？|" +
                             std::to_wstring(MB_YESNO | MB_DEFBUTTON2);
    EXPECT_EQ(messages, (Texts{question, L"提示|文件修改完成!", question, L"提示|文件修改完成!"}));
}

// A file whose resource section, and the version data at its end, end exactly where the file
// does, and one byte past it: both readers, ours as the dialog shows it and the platform's, find
// the strings in the one and none in the other.
TEST_F(Version, DataEndingAtTheEndOfTheFileAsBothReadersSeeIt) {
    const fixture::Bytes block = fixture::VersionBlock({{u"ProductName", u"示例"}});
    const fixture::PeFile image = fixture::MakePeFile({{0x0804, block}});
    const size_t end = image.dataOffsets[0] + block.size();
    for (const size_t size : {end, end - 1}) {
        fixture::Bytes bytes(image.bytes.begin(), image.bytes.begin() + size);
        // The directory's size, the section's virtual and raw sizes: up to the data's end.
        for (const size_t at : {0xDC, 0x148 + 8, 0x148 + 16})
            fixture::Put32(bytes, at, uint32_t(end - image.rsrc));
        const CString file = Write(L"cut.exe", {bytes.begin(), bytes.end()});
        Load(file);
        const wchar_t* expected = size == end ? L"示例" : L"";
        EXPECT_EQ(Text(IDC_EDIT_PRODUCTNAME), expected) << size - end;
        EXPECT_EQ(PlatformVersionString(file, L"ProductName"), size == end ? expected : L"<none>");
    }
}
