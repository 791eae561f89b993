// Choosing and loading a target: what the form shows, and what is refused or missing.
#include <filesystem>
#include <memory>

#include "platform/SystemDll.h"
#include "tests/win/InProcess.h"
#include "ui/AboutDlg.h"

using Loading = InProcess;

TEST_F(Loading, ShowsTheFirstDroppedItemAndResetsTheOptions) {
    const CString file = Write(L"a.txt", std::string(1234, 'x'));
    ::SetFileAttributesW(file.c_str(), FILE_ATTRIBUTE_HIDDEN);
    const FILETIME past = FromLocal(2001, 1);  // a read would move it on
    const HANDLE handle =
        ::CreateFileW(file.c_str(), FILE_WRITE_ATTRIBUTES, 0, nullptr, OPEN_EXISTING, 0, nullptr);
    ::SetFileTime(handle, nullptr, &past, nullptr);
    ::CloseHandle(handle);
    Check(IDC_CHK_OPT_TIME);
    Check(IDC_CHK_OPT_BACKUP, false);
    Drop({file, folder});
    EXPECT_EQ(FileTimes(file)[1], Ticks(past)) << "read, and left as it was";
    EXPECT_EQ(Text(IDC_EDIT_NAME), L"a.txt");
    EXPECT_EQ(Text(IDC_EDIT_FILESIZE), L"1234 字节");
    EXPECT_TRUE(Checked(IDC_CHK_HIDDEN) && !Checked(IDC_CHK_DIRECTORY));
    EXPECT_TRUE(Checked(IDC_CHK_OPT_BASIC) && Checked(IDC_CHK_OPT_BACKUP));
    EXPECT_FALSE(Checked(IDC_CHK_OPT_TIME) || Enabled(IDC_CHK_OPT_VERSION));

    answer = folder;
    dialog.OnBrowseFolder();
    EXPECT_EQ(Text(IDC_EDIT_NAME), folder.substr(folder.rfind(L'\\') + 1));
    EXPECT_TRUE(Checked(IDC_CHK_DIRECTORY));
    dialog.OnBrowseFolder();  // cancelled: no target is left
    EXPECT_EQ(dialog.GetPathName() + Text(IDC_EDIT_NAME), L"");
    answer = file;
    dialog.OnBrowseFile();
    EXPECT_EQ(asked,
              CString(L"所有文件(*.*)\0*.*\0\0", 15) + L"4100");  // must exist, no read-only box
    dialog.OnBrowseFile();                                        // cancelled: the target stays
    EXPECT_EQ(Text(IDC_EDIT_NAME), L"a.txt");
    std::filesystem::resize_file(file, (1ull << 32) + 100);  // sparse where the system allows it
    Load(file);
    EXPECT_EQ(Text(IDC_EDIT_FILESIZE), L"4294967396 字节");
    EXPECT_EQ(messages, Texts{});
    // Centred on the screen; its icon the big one and the one dragged while minimised.
    RECT area, own;
    ::SystemParametersInfoW(SPI_GETWORKAREA, 0, &area, 0);
    ::GetWindowRect(dialog.m_hWnd, &own);
    EXPECT_NEAR(own.left - area.left, area.right - own.right, 1);
    EXPECT_NEAR(own.top - area.top, area.bottom - own.bottom, 1);
    const LRESULT icon = ::SendMessageW(dialog.m_hWnd, WM_QUERYDRAGICON, 0, 0);
    EXPECT_TRUE(icon > 1 && icon == ::SendMessageW(dialog.m_hWnd, WM_GETICON, ICON_BIG, 0) &&
                icon == ::SendMessageW(dialog.m_hWnd, WM_GETICON, ICON_SMALL, 0));
    // The about box closes on a click anywhere in it.
    CAboutDlg about;
    ASSERT_TRUE(about.Create());
    EXPECT_EQ(::GetWindow(about.m_hWnd, GW_OWNER), dialog.m_hWnd);
    ::ShowWindow(about.m_hWnd, SW_SHOWNA);
    ::SendMessageW(about.m_hWnd, WM_LBUTTONUP, 0, 0);
    EXPECT_FALSE(::IsWindowVisible(about.m_hWnd));
}

TEST_F(Loading, RefusesTheProgramItselfHoweverSpeltAndWhatIsNotThere) {
    CString own(MAX_PATH, L'\0'), cased;
    own.resize(::GetModuleFileNameW(nullptr, own.data(), MAX_PATH));
    for (wchar_t c : own) cased += static_cast<wchar_t>(::towupper(c));
    Write(L"any.txt", "x");
    for (const CString& path : {own, cased, Path(L"gone.txt"), Path(L"an?.txt")}) {
        Load(CopyFixture(L"ver_chinese"));  // every field filled
        Load(path);
        CString shown = Text(IDC_EDIT_NAME);
        for (int id = IDC_EDIT_CREATED; id <= IDC_EDIT_FILESIZE; ++id) shown += Text(id);
        EXPECT_EQ(dialog.GetPathName() + shown, path);  // chosen, not loaded: every field empty
    }
    dialog.OnOK();  // nothing is written from a snapshot that no load filled
    // Alike, beside it, but another file.
    const CString copy = own.substr(0, own.rfind(L'\\') + 1) + L"quorvane-copy.exe";
    ::CopyFileW(own.c_str(), copy.c_str(), FALSE);
    Load(copy);
    ::DeleteFileW(copy.c_str());
    EXPECT_EQ(Text(IDC_EDIT_NAME), L"quorvane-copy.exe");
    EXPECT_EQ(SystemProc(L"quorvane-missing.dll", "Nothing"), nullptr);
    EXPECT_EQ(messages, (Texts{L"提示|不能修改自身!", L"提示|不能修改自身!", L"提示|文件句柄无效!",
                               L"提示|文件句柄无效!", L"提示|路径不能为空!",
                               L"提示|无法加载系统文件 quorvane-missing.dll!"}));
}

namespace {

// The dialog as the program makes it when started with `path`, once the queue has run dry.
std::unique_ptr<CAttribToolDlg> Started(const CString& path) {
    auto started = std::make_unique<CAttribToolDlg>();
    started->OpenOnceShown(path);
    EXPECT_TRUE(started->Create());
    for (MSG message; ::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE);)
        ::DispatchMessageW(&message);
    return started;
}

// Each control's text, tick and enabled state.
CString Form(HWND dialog) {
    CString form;
    for (HWND item = ::GetWindow(dialog, GW_CHILD); item; item = ::GetWindow(item, GW_HWNDNEXT)) {
        form += TextOf(item) + (::SendMessageW(item, BM_GETCHECK, 0, 0) == 1 ? L"+" : L"-") +
                (::IsWindowEnabled(item) ? L"|" : L"/");
    }
    return form;
}

}  // namespace

TEST_F(Loading, APathGivenAtStartLoadsAsADropOfIt) {
    const CString deep = Path(CString(120, L'd')), lengthy = deep + L"\\" + CString(160, L'f');
    ::CreateDirectoryW(deep.c_str(), nullptr);
    const Texts files = {Path(L"twin."), Path(L"제품 목록.txt"), lengthy};
    for (const CString& file : files) WriteAll(L"\\\\?\\" + file, "k");
    // The one that fails first: "版本" keeps the enabled state of the last load that completed.
    for (const CString& path : {Path(L"gone.txt"), files[0], files[1], files[2], folder}) {
        ReadAll(L"\\\\?\\" + path);  // read once, so that no load's read moves its access time
        const auto started = Started(path);
        Drop({path});
        EXPECT_EQ(Form(started->m_hWnd), Form(dialog.m_hWnd)) << path;
    }
    EXPECT_EQ(messages, (Texts{L"提示|文件句柄无效!", L"提示|文件句柄无效!"}));
}

TEST_F(Loading, APathGivenAtStartMayBeADriveRoot) {  // as a drive's context menu gives it
    const auto started = Started(L"C:\\");
    EXPECT_EQ(::SendDlgItemMessageW(started->m_hWnd, IDC_CHK_DIRECTORY, BM_GETCHECK, 0, 0), 1);
    EXPECT_EQ(messages, Texts{});
}
