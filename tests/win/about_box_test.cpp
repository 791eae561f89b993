// The about box: its template, what it shows, and the ways it closes.
#include <gtest/gtest.h>

#include <functional>

#include "platform/Text.h"
#include "res/resource.h"
#include "tests/win/DialogTemplate.h"
#include "tests/win/TestSupport.h"

namespace {

const char kNotes[] =
    "说明:\n1.仅获取第一种语言版本信息.\n2.访问时间的时分秒数据无效.\n3.版本信息修改只限于未加壳.\n"
    "4.强制修改功能未能实现 汗...";

TEST(AboutBoxTemplate, MatchesItsTable) {
    const DialogTemplate about =
        ReadDialogTemplate(IDD_ABOUTBOX, MAKELANGID(LANG_CHINESE, SUBLANG_CHINESE_SIMPLIFIED));
    ASSERT_TRUE(about.found);
    EXPECT_FALSE(about.extended);
    EXPECT_EQ(about.style, 0x80800040u);
    EXPECT_EQ(about.exStyle, 0u);
    EXPECT_EQ(about.x, 0);
    EXPECT_EQ(about.y, 0);
    EXPECT_EQ(about.cx, 138);
    EXPECT_EQ(about.cy, 98);
    EXPECT_EQ(about.caption, L"");
    EXPECT_EQ(about.pointSize, 9);
    EXPECT_EQ(about.face, Utf8ToWide("宋体"));

    const DWORD child = WS_CHILD | WS_VISIBLE;
    const struct {
        const wchar_t* windowClass;
        DWORD style;
        std::wstring text;
        short x, y, cx, cy;
    } expected[] = {
        {L"Static", child | SS_ICON, L"#128", 10, 8, 20, 20},
        {L"Static", child | WS_DISABLED | WS_GROUP | SS_LEFT | SS_NOPREFIX,
         Utf8ToWide("Quorvane 1.0版"), 38, 9, 89, 8},
        {L"Button", child | BS_GROUPBOX | BS_FLAT, L"", 3, 0, 130, 34},
        {L"Button", child | BS_GROUPBOX | BS_FLAT, L"", 3, 29, 130, 53},
        {L"Static", child | WS_GROUP | SS_LEFT, Utf8ToWide(kNotes), 8, 38, 120, 42},
    };
    ASSERT_EQ(about.items.size(), std::size(expected));
    for (size_t i = 0; i < std::size(expected); ++i) {
        SCOPED_TRACE("control " + std::to_string(i + 1));
        const TemplateItem& item = about.items[i];
        EXPECT_EQ(item.id, -1);
        EXPECT_EQ(_wcsicmp(item.windowClass.c_str(), expected[i].windowClass), 0);
        EXPECT_EQ(item.style, expected[i].style);
        EXPECT_EQ(item.exStyle, 0u);
        EXPECT_EQ(item.text, expected[i].text);
        EXPECT_EQ(item.x, expected[i].x);
        EXPECT_EQ(item.y, expected[i].y);
        EXPECT_EQ(item.cx, expected[i].cx);
        EXPECT_EQ(item.cy, expected[i].cy);
    }
}

// What the about box showed while it was open.
struct AboutSeen {
    bool opened = false;
    bool ownerDisabled = false;
    std::wstring caption;
    std::vector<std::wstring> texts;
    bool productLineDisabled = false;
    bool hasIcon = false;
};

// Opens the about box with `open` and, once it is up, looks at it and runs `act` on it at each
// tick of a timer until `act` says it has begun to close it. A box still open two seconds later
// is ended and reported.
using AboutAction = std::function<bool(HWND about, int tick)>;

AboutAction Once(std::function<void(HWND)> act) {
    return [act](HWND about, int) {
        act(about);
        return true;
    };
}

class AboutBoxSession {
  public:
    AboutBoxSession(HWND main, AboutAction act) : main_(main), act_(std::move(act)) {}

    AboutSeen Run(const std::function<void()>& open) {
        current_ = this;
        timer_ = ::SetTimer(nullptr, 0, 30, &AboutBoxSession::Tick);
        open();
        ::KillTimer(nullptr, timer_);
        current_ = nullptr;
        EXPECT_FALSE(forced_) << "the about box did not close";
        return seen_;
    }

  private:
    static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) { current_->Step(); }

    void Step() {
        HWND about = ::GetActiveWindow();
        if (!about || about == main_) return;
        if (!seen_.opened) {
            seen_.opened = true;
            seen_.ownerDisabled = !::IsWindowEnabled(main_);
            seen_.caption = WindowText(about);
            for (HWND c = ::GetWindow(about, GW_CHILD); c; c = ::GetWindow(c, GW_HWNDNEXT)) {
                seen_.texts.push_back(WindowText(c));
            }
            HWND first = ::GetWindow(about, GW_CHILD);
            HWND product = ::GetWindow(first, GW_HWNDNEXT);
            seen_.hasIcon = ::SendMessageW(first, STM_GETICON, 0, 0) != 0;
            seen_.productLineDisabled = !::IsWindowEnabled(product);
        }
        if (!closing_) {
            closing_ = act_(about, ticks_++);
            startedClosing_ = ::GetTickCount();
        } else if (::GetTickCount() - startedClosing_ > 2000) {
            forced_ = true;
            ::EndDialog(about, IDABORT);
        }
    }

    static std::wstring WindowText(HWND window) {
        wchar_t text[256] = {};
        ::GetWindowTextW(window, text, 256);
        return text;
    }

    static inline AboutBoxSession* current_ = nullptr;
    HWND main_;
    AboutAction act_;
    UINT_PTR timer_ = 0;
    DWORD startedClosing_ = 0;
    int ticks_ = 0;
    bool closing_ = false;
    bool forced_ = false;
    AboutSeen seen_;
};

void PostKey(HWND about, WPARAM key) {
    ::PostMessageW(about, WM_KEYDOWN, key, 0);
    ::PostMessageW(about, WM_KEYUP, key, 0);
}

TEST(AboutBox, ShowsTheIconProductLineAndNotes) {
    MainDialog dialog;
    AboutBoxSession session(dialog.hwnd(),
                            Once([](HWND about) { ::PostMessageW(about, WM_LBUTTONUP, 0, 0); }));
    const AboutSeen seen = session.Run([&] { dialog->OnAbout(); });
    ASSERT_TRUE(seen.opened);
    EXPECT_TRUE(seen.ownerDisabled) << "modal over the main dialog";
    EXPECT_EQ(seen.caption, L"");
    ASSERT_EQ(seen.texts.size(), 5u);
    EXPECT_EQ(seen.texts[1], Utf8ToWide("Quorvane 1.0版"));
    EXPECT_EQ(seen.texts[4], Utf8ToWide(kNotes));
    EXPECT_TRUE(seen.productLineDisabled);
    EXPECT_TRUE(seen.hasIcon);
    EXPECT_TRUE(::IsWindowEnabled(dialog.hwnd()));
}

TEST(AboutBox, ClosesOnAReleaseEscOrEnterButNotOnOtherClicks) {
    MainDialog dialog;
    const struct {
        const char* how;
        std::function<void(HWND)> act;
    } ways[] = {
        {"left button released on the notes",
         [](HWND about) {
             ::PostMessageW(about, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 80));
             ::PostMessageW(about, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 80));
             ::PostMessageW(about, WM_RBUTTONUP, 0, MAKELPARAM(40, 80));
             ::PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(40, 80));
         }},
        {"Esc", [](HWND about) { PostKey(about, VK_ESCAPE); }},
        {"Enter", [](HWND about) { PostKey(about, VK_RETURN); }},
    };
    for (const auto& way : ways) {
        AboutBoxSession session(dialog.hwnd(), Once(way.act));
        EXPECT_TRUE(session.Run([&] { dialog->OnAbout(); }).opened) << way.how;
    }
}

TEST(AboutBox, PressingWithoutReleaseOrARightClickLeavesItOpen) {
    MainDialog dialog;
    bool stillOpen = false;
    AboutBoxSession session(dialog.hwnd(), [&](HWND about, int tick) {
        if (tick == 0) {
            ::SendMessageW(about, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(40, 80));
            ::SendMessageW(about, WM_RBUTTONDOWN, MK_RBUTTON, MAKELPARAM(40, 80));
            ::SendMessageW(about, WM_RBUTTONUP, 0, MAKELPARAM(40, 80));
            return false;
        }
        // A box that had ended would have left its modal loop before this tick.
        stillOpen = true;
        ::PostMessageW(about, WM_LBUTTONUP, 0, MAKELPARAM(40, 80));
        return true;
    });
    EXPECT_TRUE(session.Run([&] { dialog->OnAbout(); }).opened);
    EXPECT_TRUE(stillOpen);
}

TEST(AboutBox, OpensTheSameEachTimeAndLeavesTheMainDialogAlone) {
    FakeUiServices ui;
    ScratchFolder scratch;
    MainDialog dialog;
    dialog.Load(scratch.WriteFile("kept.txt"));
    dialog.SetText(IDC_EDIT_NEW_CREATED, L"typed");

    std::vector<std::wstring> first;
    for (int opening = 0; opening < 2; ++opening) {
        AboutBoxSession session(
            dialog.hwnd(), Once([](HWND about) { ::PostMessageW(about, WM_LBUTTONUP, 0, 0); }));
        // The button and the system command open the same box.
        const AboutSeen seen = session.Run([&] {
            if (opening == 0) {
                ::SendMessageW(dialog.hwnd(), WM_COMMAND, MAKEWPARAM(IDC_BTN_ABOUT, BN_CLICKED),
                               reinterpret_cast<LPARAM>(dialog.Item(IDC_BTN_ABOUT)));
            } else {
                ::SendMessageW(dialog.hwnd(), WM_SYSCOMMAND, IDM_ABOUTBOX, 0);
            }
        });
        ASSERT_TRUE(seen.opened);
        if (opening == 0) first = seen.texts;
        EXPECT_EQ(seen.texts, first);
    }
    EXPECT_EQ(dialog.Text(IDC_EDIT_NAME), L"kept.txt");
    EXPECT_EQ(dialog.Text(IDC_EDIT_NEW_CREATED), L"typed");
    EXPECT_TRUE(dialog->IsTargetLoaded());
    EXPECT_TRUE(ui.messages.empty());
}

}  // namespace
