// What every in-process test has: the main dialog without a modal loop, its handlers driven by
// the test; its message boxes captured and its common dialogs answered; a scratch folder.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "platform/UiServices.h"
#include "res/resource.h"
#include "tests/support/Probes.h"
#include "ui/AttribToolDlg.h"

using Texts = std::vector<CString>;

class InProcess : public testing::Test, public UiServices {
  protected:
    InProcess();
    ~InProcess() override;

    // Each message as "caption|text", and "|type" after a box that is not MB_OK, and "|hidden"
    // over an owner not yet shown; answered from `replies` while it holds any.
    int ShowMessage(HWND owner, const CString& text, const CString& caption, UINT type) override {
        messages.push_back(caption + L"|" + text + (type ? L"|" + std::to_wstring(type) : L"") +
                           (owner && !::IsWindowVisible(owner) ? L"|hidden" : L""));
        if (replies.empty()) return IDOK;
        const int reply = replies.front();
        replies.erase(replies.begin());
        return reply;
    }
    // The file dialog or the folder browser takes `answer` once; none cancels.
    bool ChooseOpenFile(OPENFILENAMEW& request) override {
        asked = CString(request.lpstrFilter, 15) + std::to_wstring(request.Flags & 0xFFFF);
        return std::exchange(answer, L"").copy(request.lpstrFile, request.nMaxFile - 1) > 0;
    }
    CString BrowseForFolder(BROWSEINFOW&) override { return std::exchange(answer, L""); }

    CString Path(const CString& name) const { return folder + L"\\" + name; }
    CString Write(const CString& name, const std::string& bytes) const {
        WriteAll(Path(name), bytes);
        return Path(name);
    }
    CString CopyFixture(const CString& name) const {
        const CString from = BuildPath(L"tests/fixtures/" + name + L".exe");
        EXPECT_TRUE(::CopyFileW(from.c_str(), Path(name + L".exe").c_str(), FALSE));
        return Path(name + L".exe");
    }

    HWND Item(int id) const { return ::GetDlgItem(dialog.m_hWnd, id); }
    CString Text(int id) const { return TextOf(Item(id)); }
    void SetText(int id, const CString& text) const { ::SetWindowTextW(Item(id), text.c_str()); }
    bool Checked(int id) const { return ::SendMessageW(Item(id), BM_GETCHECK, 0, 0) == 1; }
    void Check(int id, bool on = true) const { ::SendMessageW(Item(id), BM_SETCHECK, on, 0); }
    bool Enabled(int id) const { return ::IsWindowEnabled(Item(id)); }
    // Loads the first of the paths, as a drop of them all does.
    void Drop(const Texts& paths) { dialog.OnDropFiles(MakeDrop(paths)); }
    void Load(const CString& path) { Drop({path}); }

    CString folder, answer, asked;  // asked: the file dialog's filter and flags
    CAttribToolDlg dialog;
    Texts messages;
    std::vector<int> replies;
};
