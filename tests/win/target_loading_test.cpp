// Choosing and loading a target: the file dialog, the folder browser and drops, the reset of the
// form, the refusals, and what a load shows.
#include <shlobj.h>

#include <gtest/gtest.h>

#include "platform/Text.h"
#include "res/resource.h"
#include "tests/win/TestSupport.h"

namespace {

const std::wstring kInvalidHandle = Utf8ToWide("文件句柄无效!");

std::string OwnPath() {
    char path[MAX_PATH] = {};
    ::GetModuleFileNameA(nullptr, path, MAX_PATH);
    return path;
}

// Ticks the option boxes the other way round from their defaults, as a user might have.
void UntickDefaults(const MainDialog& dialog) {
    dialog.Check(IDC_CHK_OPT_BASIC, false);
    dialog.Check(IDC_CHK_OPT_TIME, true);
    dialog.Check(IDC_CHK_OPT_VERSION, true);
    dialog.Check(IDC_CHK_OPT_BACKUP, false);
}

void ExpectDefaultOptions(const MainDialog& dialog) {
    EXPECT_TRUE(dialog.Checked(IDC_CHK_OPT_BASIC));
    EXPECT_FALSE(dialog.Checked(IDC_CHK_OPT_TIME));
    EXPECT_FALSE(dialog.Checked(IDC_CHK_OPT_VERSION));
    EXPECT_TRUE(dialog.Checked(IDC_CHK_OPT_BACKUP));
}

void ExpectResetForm(const MainDialog& dialog) {
    for (int id : {IDC_EDIT_NAME, IDC_EDIT_CREATED, IDC_EDIT_NEW_MODIFIED, IDC_EDIT_FILEVERSION,
                   IDC_EDIT_LANGUAGE, IDC_EDIT_FILESIZE}) {
        EXPECT_EQ(dialog.Text(id), L"") << id;
    }
    for (int id : {IDC_CHK_READONLY, IDC_CHK_ARCHIVE, IDC_CHK_DIRECTORY}) {
        EXPECT_FALSE(dialog.Checked(id)) << id;
    }
    EXPECT_EQ(dialog.Limit(IDC_EDIT_COMMENTS), 256u);
    ExpectDefaultOptions(dialog);
}

TEST(TargetLoading, FileAndFolderShowNameSizeAndDefaultOptions) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;

    UntickDefaults(dialog);
    dialog.Load(scratch.WriteFile("data.txt", "content"));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(dialog->IsTargetLoaded());
    EXPECT_EQ(dialog.Text(IDC_EDIT_NAME), L"data.txt");
    EXPECT_EQ(dialog.Text(IDC_EDIT_FILESIZE), Utf8ToWide("7 字节"));
    ExpectDefaultOptions(dialog);

    UntickDefaults(dialog);
    dialog.Load(scratch.MakeFolder(Ansi("文件夹")));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(dialog.Text(IDC_EDIT_NAME), Utf8ToWide("文件夹"));
    EXPECT_EQ(dialog.Text(IDC_EDIT_FILESIZE), Utf8ToWide("0 字节"));
    EXPECT_TRUE(dialog.Checked(IDC_CHK_DIRECTORY));
    ExpectDefaultOptions(dialog);
}

TEST(TargetLoading, RefusesTheProgramsOwnPathButNotAnotherSpelling) {
    FakeUiServices ui;
    MainDialog dialog;
    dialog.Load(OwnPath());
    ASSERT_EQ(ui.messages.size(), 1u);
    EXPECT_EQ(ui.messages[0].text, Utf8ToWide("不能修改自身!"));
    EXPECT_EQ(ui.messages[0].caption, Utf8ToWide("提示"));
    EXPECT_FALSE(dialog->IsTargetLoaded());
    EXPECT_EQ(dialog->GetPathName().str(), OwnPath());
    ExpectResetForm(dialog);

    // The same file under a name that differs in letter case is loaded like any other.
    std::string lower = OwnPath();
    for (char& c : lower) c = static_cast<char>(tolower(static_cast<unsigned char>(c)));
    ASSERT_NE(lower, OwnPath());
    ui.messages.clear();
    dialog.Load(lower);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_TRUE(dialog->IsTargetLoaded());
}

TEST(TargetLoading, PathsThatNameNothingGiveInvalidHandleAndKeepThePath) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    dialog.Load(scratch.WriteFile("first.txt"));

    const struct {
        std::string path;
        const char* name;
    } cases[] = {
        {scratch / "missing.txt", "missing.txt"},
        {"C:\\", ""},  // a root ends in a backslash: no name, no entry
        {scratch.path() + "\\", ""},
        {scratch / "*.txt", "*.txt"},  // a wildcard never picks some other file
    };
    for (const auto& c : cases) {
        ui.messages.clear();
        dialog.Load(c.path);
        EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kInvalidHandle}) << c.path;
        EXPECT_EQ(dialog->GetPathName().str(), c.path);
        EXPECT_EQ(dialog->GetFileName().str(), c.name);
        EXPECT_FALSE(dialog->IsTargetLoaded());
        ExpectResetForm(dialog);
    }
}

TEST(TargetLoading, NameWithoutBackslashIsTheWholePath) {
    FakeUiServices ui;
    ScratchFolder scratch;
    scratch.WriteFile("plain.txt");
    char previous[MAX_PATH];
    ::GetCurrentDirectoryA(MAX_PATH, previous);
    ::SetCurrentDirectoryA(scratch.path().c_str());
    MainDialog dialog;
    dialog.Load("plain.txt");
    ::SetCurrentDirectoryA(previous);
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(dialog.Text(IDC_EDIT_NAME), L"plain.txt");
}

TEST(TargetLoading, PathOutsideTheCodePageNeverLoadsAnotherFile) {
    FakeUiServices ui;
    ScratchFolder scratch;
    scratch.WriteFile("ab.txt");
    const std::wstring thai = Wide(scratch.path()) + L"\\a\u0E01.txt";
    ::CloseHandle(
        ::CreateFileW(thai.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));
    MainDialog dialog;
    dialog->OnDropFiles(MakeDrop({thai}));
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kInvalidHandle});
    EXPECT_FALSE(dialog->IsTargetLoaded());
    EXPECT_EQ(dialog.Text(IDC_EDIT_NAME), L"");
}

TEST(TargetLoading, DropTakesTheWholeFirstPathOnly) {
    FakeUiServices ui;
    ScratchFolder scratch;
    // A path of 258 characters: longer than a 256-character drop buffer, short enough for the
    // narrow file calls.
    const std::string second = scratch.WriteFile("second.txt");
    const size_t room = 258 - scratch.path().size() - 1 - 1 - strlen("first.txt");
    const std::string folder = scratch.MakeFolder(std::string(room, 'd'));
    const std::string first = folder + "\\first.txt";
    ASSERT_EQ(first.size(), 258u);
    ::CloseHandle(
        ::CreateFileA(first.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr));

    MainDialog dialog;
    dialog->OnDropFiles(MakeDrop({Wide(first), Wide(second)}));
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_EQ(dialog->GetPathName().str(), first);
    EXPECT_EQ(dialog.Text(IDC_EDIT_NAME), L"first.txt");

    // Past what the narrow calls take, the whole path is kept and refused, never a shorter one.
    const std::string tooLong = folder + "\\" + std::string(40, 'x') + ".txt";
    dialog->OnDropFiles(MakeDrop({Wide(tooLong)}));
    EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{kInvalidHandle});
    EXPECT_EQ(dialog->GetPathName().str(), tooLong);
}

TEST(TargetLoading, RealDropMessageReachesTheDialog) {
    FakeUiServices ui;
    ScratchFolder scratch;
    const std::string path = scratch.WriteFile("dropped.txt");
    MainDialog dialog;
    ::PostMessageW(dialog.hwnd(), WM_DROPFILES, reinterpret_cast<WPARAM>(MakeDrop({Wide(path)})),
                   0);
    PumpMessages(100);
    EXPECT_EQ(dialog.Text(IDC_EDIT_NAME), L"dropped.txt");
}

TEST(TargetLoading, FileDialogAsksForAnyExistingFileAndCancelKeepsEverything) {
    FakeUiServices ui;
    ScratchFolder scratch;
    const std::string path = scratch.WriteFile("chosen.txt", "12345");
    MainDialog dialog;

    ui.fileAnswers.push_back(Wide(path));
    ::SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_BTN_FILE, BN_CLICKED),
                   reinterpret_cast<LPARAM>(dialog.Item(IDC_BTN_FILE)));
    ASSERT_EQ(ui.fileRequests.size(), 1u);
    EXPECT_EQ(ui.fileFilters[0], Utf8ToWide("所有文件(*.*)|*.*|"));
    const DWORD flags = ui.fileRequests[0].Flags;
    EXPECT_EQ(flags & (OFN_FILEMUSTEXIST | OFN_HIDEREADONLY),
              static_cast<DWORD>(OFN_FILEMUSTEXIST | OFN_HIDEREADONLY));
    EXPECT_EQ(ui.fileRequests[0].lpstrDefExt, nullptr);
    EXPECT_EQ(dialog.Text(IDC_EDIT_NAME), L"chosen.txt");
    EXPECT_EQ(dialog.Text(IDC_EDIT_FILESIZE), Utf8ToWide("5 字节"));

    dialog.Check(IDC_CHK_OPT_TIME, true);
    dialog->OnBrowseFile();  // no answer: cancelled
    EXPECT_EQ(ui.fileRequests.size(), 2u);
    EXPECT_EQ(dialog.Text(IDC_EDIT_NAME), L"chosen.txt");
    EXPECT_TRUE(dialog.Checked(IDC_CHK_OPT_TIME));
    EXPECT_TRUE(dialog->IsTargetLoaded());
    EXPECT_TRUE(ui.messages.empty());
}

TEST(TargetLoading, FolderBrowserLoadsAFolderAndCancelClearsTheTarget) {
    FakeUiServices ui;
    ScratchFolder scratch;
    const std::string folder = scratch.MakeFolder("browsed");
    MainDialog dialog;

    ui.folderAnswers.push_back(::ILCreateFromPathW(Wide(folder).c_str()));
    dialog->OnBrowseFolder();
    ASSERT_EQ(ui.folderTitles.size(), 1u);
    EXPECT_EQ(ui.folderTitles[0], Utf8ToWide("选择一个文件夹"));
    EXPECT_EQ(ui.folderFlags[0], static_cast<UINT>(BIF_RETURNONLYFSDIRS | BIF_DONTGOBELOWDOMAIN));
    EXPECT_EQ(ui.folderOwners[0], dialog.hwnd());
    EXPECT_EQ(dialog.Text(IDC_EDIT_NAME), L"browsed");
    EXPECT_EQ(dialog->GetPathName().str(), folder);

    dialog->OnBrowseFolder();  // cancelled
    EXPECT_FALSE(dialog->IsTargetLoaded());
    EXPECT_EQ(dialog->GetPathName().str(), "");
    ExpectResetForm(dialog);
    EXPECT_TRUE(ui.messages.empty());
}

TEST(TargetLoading, FolderBrowserItemWithoutPathChoosesNothing) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    dialog.Load(scratch.WriteFile("before.txt"));

    PIDLIST_ABSOLUTE controls = nullptr;
    ASSERT_EQ(::SHGetSpecialFolderLocation(nullptr, CSIDL_CONTROLS, &controls), S_OK);
    ui.folderAnswers.push_back(controls);
    dialog->OnBrowseFolder();
    EXPECT_TRUE(ui.messages.empty());
    EXPECT_FALSE(dialog->IsTargetLoaded());
    EXPECT_EQ(dialog->GetPathName().str(), "");
    EXPECT_EQ(dialog->GetFileName().str(), "");
    ExpectResetForm(dialog);
}

TEST(TargetLoading, SizeShowsTheLow32BitsOnly) {
    FakeUiServices ui;
    ScratchFolder scratch;
    const std::string path = scratch / "sparse.bin";
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    ASSERT_NE(file, INVALID_HANDLE_VALUE);
    DWORD ignored = 0;
    ::DeviceIoControl(file, FSCTL_SET_SPARSE, nullptr, 0, nullptr, 0, &ignored, nullptr);
    LARGE_INTEGER size;
    size.QuadPart = (1LL << 32) + 5;
    const bool sized = ::SetFilePointerEx(file, size, nullptr, FILE_BEGIN) && ::SetEndOfFile(file);
    ::CloseHandle(file);
    if (!sized) GTEST_SKIP() << "the file system refuses a file of 2^32 + 5 bytes";

    MainDialog dialog;
    dialog.Load(path);
    EXPECT_EQ(dialog.Text(IDC_EDIT_FILESIZE), Utf8ToWide("5 字节"));
}

}  // namespace
