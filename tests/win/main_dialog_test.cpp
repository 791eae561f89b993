// The main dialog as the program ships it: template, controls, first state, routing of the
// system menu, Enter and Esc, and the resources beside it.
#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/Text.h"
#include "res/resource.h"
#include "tests/win/DialogTemplate.h"
#include "tests/win/TestSupport.h"

namespace {

enum class Kind { GroupBox, Label, Edit, ReadOnlyEdit, PushButton, CheckBox, DisabledCheckBox };

struct ExpectedControl {
    int id;
    Kind kind;
    const char* text;
    short x, y, cx, cy;
};

const ExpectedControl kMainControls[] = {
    {-1, Kind::GroupBox, u8"", 4, 0, 261, 22},
    {-1, Kind::Label, u8"名称", 8, 9, 17, 8},
    {1000, Kind::ReadOnlyEdit, u8"", 26, 7, 181, 12},
    {1001, Kind::PushButton, u8"文件", 210, 6, 23, 14},
    {1031, Kind::PushButton, u8"目录", 236, 6, 23, 14},
    {-1, Kind::GroupBox, u8"", 4, 17, 261, 19},
    {1002, Kind::CheckBox, u8"只读", 8, 24, 32, 10},
    {1003, Kind::CheckBox, u8"隐藏", 40, 24, 32, 10},
    {1004, Kind::CheckBox, u8"系统", 72, 24, 32, 10},
    {1005, Kind::CheckBox, u8"存档", 104, 24, 32, 10},
    {1006, Kind::DisabledCheckBox, u8"目录", 136, 24, 32, 10},
    {1007, Kind::DisabledCheckBox, u8"加密", 168, 24, 32, 10},
    {1008, Kind::DisabledCheckBox, u8"普通", 200, 24, 32, 10},
    {1009, Kind::DisabledCheckBox, u8"临时", 232, 24, 32, 10},
    {-1, Kind::GroupBox, u8"", 4, 32, 261, 50},
    {-1, Kind::Label, u8"创建时间", 8, 41, 33, 8},
    {1010, Kind::ReadOnlyEdit, u8"", 41, 39, 81, 12},
    {-1, Kind::Label, u8"修改为", 126, 41, 25, 8},
    {1013, Kind::Edit, u8"", 152, 39, 81, 12},
    {1032, Kind::PushButton, u8"当前", 236, 38, 23, 14},
    {-1, Kind::Label, u8"修改时间", 8, 55, 33, 8},
    {1011, Kind::ReadOnlyEdit, u8"", 41, 53, 81, 12},
    {-1, Kind::Label, u8"修改为", 126, 55, 25, 8},
    {1014, Kind::Edit, u8"", 152, 53, 81, 12},
    {1033, Kind::PushButton, u8"当前", 236, 52, 23, 14},
    {-1, Kind::Label, u8"访问时间", 8, 69, 33, 8},
    {1012, Kind::ReadOnlyEdit, u8"", 41, 67, 81, 12},
    {-1, Kind::Label, u8"修改为", 126, 69, 25, 8},
    {1015, Kind::Edit, u8"", 152, 67, 81, 12},
    {1034, Kind::PushButton, u8"当前", 236, 66, 23, 14},
    {-1, Kind::GroupBox, u8"", 4, 77, 261, 190},
    {-1, Kind::Label, u8"描述", 8, 86, 17, 8},
    {1016, Kind::Edit, u8"", 26, 84, 233, 12},
    {-1, Kind::Label, u8"版权", 8, 100, 17, 8},
    {1017, Kind::Edit, u8"", 26, 98, 233, 12},
    {-1, Kind::Label, u8"备注", 8, 114, 17, 8},
    {1018, Kind::Edit, u8"", 26, 112, 233, 12},
    {-1, Kind::Label, u8"产品版本", 8, 128, 33, 8},
    {1019, Kind::Edit, u8"", 42, 126, 217, 12},
    {-1, Kind::Label, u8"个人用内部版本说明", 8, 142, 73, 8},
    {1020, Kind::Edit, u8"", 82, 140, 177, 12},
    {-1, Kind::Label, u8"产品名称", 8, 156, 33, 8},
    {1021, Kind::Edit, u8"", 42, 154, 217, 12},
    {-1, Kind::Label, u8"公司", 8, 170, 17, 8},
    {1022, Kind::Edit, u8"", 26, 168, 233, 12},
    {-1, Kind::Label, u8"合法商标", 8, 184, 33, 8},
    {1023, Kind::Edit, u8"", 42, 182, 217, 12},
    {-1, Kind::Label, u8"特殊内部版本说明", 8, 198, 65, 8},
    {1024, Kind::Edit, u8"", 74, 196, 185, 12},
    {-1, Kind::Label, u8"内部名称", 8, 212, 33, 8},
    {1025, Kind::Edit, u8"", 42, 210, 217, 12},
    {-1, Kind::Label, u8"文件版本", 8, 226, 33, 8},
    {1026, Kind::Edit, u8"", 42, 224, 217, 12},
    {-1, Kind::Label, u8"源文件名", 8, 240, 33, 8},
    {1028, Kind::Edit, u8"", 42, 238, 217, 12},
    {-1, Kind::Label, u8"语言", 8, 254, 17, 8},
    {1027, Kind::ReadOnlyEdit, u8"", 26, 252, 74, 12},
    {-1, Kind::Label, u8"文件大小", 103, 254, 33, 8},
    {1029, Kind::ReadOnlyEdit, u8"", 137, 252, 122, 12},
    {-1, Kind::GroupBox, u8"修改选项设置", 4, 270, 166, 21},
    {1035, Kind::CheckBox, u8"基本", 8, 279, 32, 10},
    {1036, Kind::CheckBox, u8"时间", 40, 279, 32, 10},
    {1037, Kind::CheckBox, u8"版本", 72, 279, 32, 10},
    {1038, Kind::CheckBox, u8"备份", 104, 279, 32, 10},
    {1041, Kind::DisabledCheckBox, u8"强制", 136, 279, 32, 10},
    {-1, Kind::GroupBox, u8"", 169, 270, 96, 21},
    {1, Kind::PushButton, u8"修改", 173, 276, 34, 14},
    {2, Kind::PushButton, u8"退出", 210, 276, 23, 14},
    {1030, Kind::PushButton, u8"关于", 236, 276, 23, 14},
};

DWORD StyleOf(Kind kind) {
    const DWORD child = WS_CHILD | WS_VISIBLE;
    const DWORD edit = child | WS_BORDER | WS_TABSTOP | ES_LEFT | ES_AUTOHSCROLL;
    const DWORD check = child | WS_TABSTOP | BS_AUTOCHECKBOX | BS_FLAT;
    switch (kind) {
        case Kind::GroupBox:
            return child | BS_GROUPBOX | BS_FLAT;
        case Kind::Label:
            return child | WS_GROUP | SS_LEFT;
        case Kind::Edit:
            return edit;
        case Kind::ReadOnlyEdit:
            return edit | ES_READONLY;
        case Kind::PushButton:
            return child | WS_TABSTOP | BS_PUSHBUTTON;
        case Kind::CheckBox:
            return check;
        case Kind::DisabledCheckBox:
            return check | WS_DISABLED;
    }
    return 0;
}

const wchar_t* ClassOf(Kind kind) {
    switch (kind) {
        case Kind::Label:
            return L"Static";
        case Kind::Edit:
        case Kind::ReadOnlyEdit:
            return L"Edit";
        default:
            return L"Button";
    }
}

const WORD kChinesePrc = MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED);

TEST(MainDialogTemplate, MatchesTheControlTable) {
    const DialogTemplate dialog = ReadDialogTemplate(IDD_MAIN, kChinesePrc);
    ASSERT_TRUE(dialog.found) << "IDD_MAIN in Chinese (PRC)";
    EXPECT_TRUE(dialog.extended);
    EXPECT_EQ(dialog.helpId, 0u);
    EXPECT_EQ(dialog.exStyle, 0x00040010u) << "WS_EX_APPWINDOW | WS_EX_ACCEPTFILES";
    EXPECT_EQ(dialog.style, 0x90CA00C0u);
    EXPECT_EQ(dialog.x, 0);
    EXPECT_EQ(dialog.y, 0);
    EXPECT_EQ(dialog.cx, 269);
    EXPECT_EQ(dialog.cy, 295);
    EXPECT_EQ(dialog.menu, L"");
    EXPECT_EQ(dialog.windowClass, L"");
    EXPECT_EQ(dialog.caption, L"Telvaro V1.0");
    EXPECT_EQ(dialog.pointSize, 9);
    EXPECT_EQ(dialog.weight, 0);
    EXPECT_EQ(dialog.italic, 0);
    EXPECT_EQ(dialog.charset, 1);
    EXPECT_EQ(dialog.face, Utf8ToWide("宋体"));

    ASSERT_EQ(dialog.items.size(), std::size(kMainControls));
    for (size_t i = 0; i < dialog.items.size(); ++i) {
        const ExpectedControl& expected = kMainControls[i];
        const TemplateItem& item = dialog.items[i];
        SCOPED_TRACE("control " + std::to_string(expected.id) + " " + expected.text);
        EXPECT_EQ(item.id, expected.id);
        EXPECT_EQ(item.helpId, 0u);
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ(item.style, StyleOf(expected.kind));
        EXPECT_EQ(_wcsicmp(item.windowClass.c_str(), ClassOf(expected.kind)), 0)
            << WideToUtf8(item.windowClass);
        EXPECT_EQ(item.text, Utf8ToWide(expected.text));
        EXPECT_EQ(item.x, expected.x);
        EXPECT_EQ(item.y, expected.y);
        EXPECT_EQ(item.cx, expected.cx);
        EXPECT_EQ(item.cy, expected.cy);
    }
}

TEST(MainDialog, ShowsItsControlsInTabOrderWithTheirFirstState) {
    FakeUiServices ui;
    MainDialog dialog;
    ASSERT_NE(dialog.hwnd(), nullptr);
    EXPECT_EQ(::GetWindowLongW(dialog.hwnd(), GWL_EXSTYLE) & WS_EX_ACCEPTFILES, WS_EX_ACCEPTFILES);

    size_t index = 0;
    for (HWND child = ::GetWindow(dialog.hwnd(), GW_CHILD); child;
         child = ::GetWindow(child, GW_HWNDNEXT), ++index) {
        ASSERT_LT(index, std::size(kMainControls));
        const ExpectedControl& expected = kMainControls[index];
        SCOPED_TRACE("control " + std::to_string(expected.id) + " " + expected.text);
        EXPECT_EQ(static_cast<int>(static_cast<short>(::GetDlgCtrlID(child))), expected.id);
        wchar_t text[64] = {};
        ::GetWindowTextW(child, text, 64);
        const bool isEdit = expected.kind == Kind::Edit || expected.kind == Kind::ReadOnlyEdit;
        // Every edit starts empty; every other control shows its label.
        EXPECT_EQ(std::wstring(text), isEdit ? L"" : Utf8ToWide(expected.text));
        EXPECT_EQ(::IsWindowEnabled(child) != FALSE, expected.kind != Kind::DisabledCheckBox);
        if (expected.kind == Kind::CheckBox || expected.kind == Kind::DisabledCheckBox) {
            EXPECT_EQ(::SendMessageW(child, BM_GETCHECK, 0, 0), BST_UNCHECKED);
        }
    }
    EXPECT_EQ(index, std::size(kMainControls));
    EXPECT_EQ(::GetFocus(), dialog.Item(IDC_EDIT_NAME));
    EXPECT_FALSE(dialog->IsTargetLoaded());
}

TEST(MainDialog, CarriesTheIconAndGivesItAsTheDragIcon) {
    MainDialog dialog;
    const LRESULT big = ::SendMessageW(dialog.hwnd(), WM_GETICON, ICON_BIG, 0);
    EXPECT_NE(big, 0);
    EXPECT_EQ(::SendMessageW(dialog.hwnd(), WM_GETICON, ICON_SMALL, 0), big);
    EXPECT_EQ(::SendMessageW(dialog.hwnd(), WM_QUERYDRAGICON, 0, 0), big);
}

TEST(MainDialog, MessageWithoutCaptionBearsTheApplicationName) {
    FakeUiServices ui;
    MainDialog dialog;
    dialog->MessageBoxA("新的创建时间不符合要求!");
    dialog->MessageBoxA("文件修改完成!", "提示");
    ASSERT_EQ(ui.messages.size(), 2u);
    EXPECT_EQ(ui.messages[0].caption, L"Quorvane");
    EXPECT_EQ(ui.messages[0].text,
              L"\u65B0\u7684\u521B\u5EFA\u65F6\u95F4\u4E0D\u7B26\u5408\u8981\u6C42!");
    EXPECT_EQ(ui.messages[0].owner, dialog.hwnd());
    EXPECT_EQ(ui.messages[0].type, static_cast<UINT>(MB_OK));
    EXPECT_EQ(ui.messages[1].caption, L"\u63D0\u793A");
}

// Sends a key through the dialog manager, as the modal loop does.
void PressKey(HWND dialog, HWND focus, WPARAM key) {
    ::SetFocus(focus);
    MSG down{focus, WM_KEYDOWN, key, 0, 0, {}};
    EXPECT_TRUE(::IsDialogMessageW(dialog, &down));
}

TEST(MainDialog, EnterRunsTheModifyCommandAndKeepsTheDialogOpen) {
    FakeUiServices ui;
    MainDialog dialog;
    for (int id : {IDC_EDIT_NEW_CREATED, IDC_EDIT_COMMENTS, IDC_CHK_OPT_BASIC}) {
        ui.messages.clear();
        PressKey(dialog.hwnd(), dialog.Item(id), VK_RETURN);
        EXPECT_EQ(ui.Texts(), std::vector<std::wstring>{Utf8ToWide("路径不能为空!")}) << id;
    }
    EXPECT_EQ(dialog->GetEndResult(), 0);
}

TEST(MainDialog, EscExitAndTheCloseBoxEndTheDialog) {
    {
        MainDialog dialog;
        PressKey(dialog.hwnd(), dialog.Item(IDC_EDIT_NEW_CREATED), VK_ESCAPE);
        EXPECT_EQ(dialog->GetEndResult(), IDCANCEL);
    }
    {
        MainDialog dialog;
        ::SendMessageW(dialog.Item(IDCANCEL), BM_CLICK, 0, 0);
        EXPECT_EQ(dialog->GetEndResult(), IDCANCEL);
    }
    {
        MainDialog dialog;
        ::SendMessageW(dialog.hwnd(), WM_SYSCOMMAND, SC_CLOSE, 0);
        PumpMessages(100);  // the close box's "Cancel" is posted
        EXPECT_EQ(dialog->GetEndResult(), IDCANCEL);
    }
}

// Closes the about box that a command opens, counting the openings.
struct AboutBoxWatcher {
    static inline int opened = 0;
    static void CALLBACK Close(HWND, UINT, UINT_PTR timer, DWORD) {
        HWND about = ::GetActiveWindow();
        wchar_t text[64] = {};
        ::GetWindowTextW(::GetDlgItem(about, -1), text, 64);
        if (about && ::GetDlgItem(about, IDC_EDIT_NAME) == nullptr) {
            ++opened;
            ::KillTimer(nullptr, timer);
            ::PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
        }
    }
};

TEST(MainDialog, SystemCommandsOpenTheAboutBoxOnlyForItsId) {
    MainDialog dialog;
    const struct {
        WPARAM command;
        bool opens;
    } cases[] = {{0x0010, true}, {0x001F, true}, {0x0020, false}};
    for (const auto& c : cases) {
        AboutBoxWatcher::opened = 0;
        const UINT_PTR timer = ::SetTimer(nullptr, 0, 50, &AboutBoxWatcher::Close);
        ::SendMessageW(dialog.hwnd(), WM_SYSCOMMAND, c.command, 0);
        if (!c.opens) PumpMessages(200);
        ::KillTimer(nullptr, timer);
        EXPECT_EQ(AboutBoxWatcher::opened, c.opens ? 1 : 0) << std::hex << c.command;
        EXPECT_EQ(dialog->GetEndResult(), 0);
    }
}

TEST(Resources, StringIconManifestAndVersion) {
    wchar_t about[64] = {};
    ::LoadStringW(nullptr, IDS_ABOUTBOX, about, 64);
    EXPECT_EQ(std::wstring(about), Utf8ToWide("关于(&A)..."));

    // The icon group holds 48, 32 and 16 pixel images at 32 bits per pixel.
    HRSRC group = ::FindResourceExW(nullptr, MAKEINTRESOURCEW(14), MAKEINTRESOURCEW(IDR_MAINFRAME),
                                    kChinesePrc);
    ASSERT_NE(group, nullptr);
    const BYTE* dir = static_cast<const BYTE*>(::LockResource(::LoadResource(nullptr, group)));
    WORD count;
    memcpy(&count, dir + 4, 2);
    ASSERT_EQ(count, 3);
    const int sizes[] = {48, 32, 16};
    for (int i = 0; i < 3; ++i) {
        const BYTE* entry = dir + 6 + 14 * i;
        WORD bits;
        memcpy(&bits, entry + 6, 2);
        EXPECT_EQ(entry[0], sizes[i]);
        EXPECT_EQ(bits, 32);
    }

    HRSRC manifest = ::FindResourceW(nullptr, MAKEINTRESOURCEW(1), MAKEINTRESOURCEW(24));
    ASSERT_NE(manifest, nullptr);
    const std::string text(
        static_cast<const char*>(::LockResource(::LoadResource(nullptr, manifest))),
        ::SizeofResource(nullptr, manifest));
    EXPECT_NE(text.find("Microsoft.Windows.Common-Controls"), std::string::npos);
    EXPECT_NE(text.find("processorArchitecture=\"amd64\""), std::string::npos);
    EXPECT_EQ(text.find("\"x86\""), std::string::npos);
}

}  // namespace
