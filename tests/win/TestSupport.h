// What the in-process tests share: services that capture message boxes and answer the common
// dialogs, a scratch folder of real files, and a main dialog created without a modal loop.
#pragma once

#include <windows.h>

#include <deque>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/UiServices.h"
#include "ui/AttribToolDlg.h"

struct ShownMessage {
    HWND owner;
    std::wstring text;
    std::wstring caption;
    UINT type;
};

class FakeUiServices : public UiServices {
  public:
    FakeUiServices() { SetUiServices(this); }
    ~FakeUiServices() override { SetUiServices(nullptr); }

    int ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption,
                    UINT type) override;
    BOOL ChooseOpenFile(OPENFILENAMEW& request) override;
    PIDLIST_ABSOLUTE BrowseForFolder(BROWSEINFOW& request) override;

    // What the user "does" in the next file dialog: choose this path, or cancel (empty).
    std::deque<std::wstring> fileAnswers;
    // The next folder browser's answer: an item list (owned by the browser's caller), or null.
    std::deque<PIDLIST_ABSOLUTE> folderAnswers;
    // Runs while a message box would be shown (for instance to look at the file in between).
    std::function<void(const ShownMessage&)> onMessage;

    std::vector<ShownMessage> messages;
    std::vector<OPENFILENAMEW> fileRequests;
    std::vector<std::wstring> fileFilters;
    std::vector<std::wstring> folderTitles;
    std::vector<UINT> folderFlags;
    std::vector<HWND> folderOwners;

    std::vector<std::wstring> Texts() const;
};

// A folder under the temporary folder, removed with everything in it at the end of the test.
class ScratchFolder {
  public:
    ScratchFolder();
    ~ScratchFolder();
    const std::string& path() const { return path_; }
    // Full path of a name inside the folder.
    std::string operator/(const std::string& name) const { return path_ + "\\" + name; }
    std::string WriteFile(const std::string& name, const std::string& contents = "content") const;
    std::string MakeFolder(const std::string& name) const;
    std::string CopyFixture(const std::string& fixtureName) const;

  private:
    std::string path_;
};

// The main dialog, created modelessly so that the test drives its handlers directly.
class MainDialog {
  public:
    MainDialog();
    ~MainDialog();
    CAttribToolDlg& operator*() { return dialog; }
    CAttribToolDlg* operator->() { return &dialog; }
    HWND hwnd() const { return dialog.m_hWnd; }
    HWND Item(int id) const { return ::GetDlgItem(dialog.m_hWnd, id); }

    std::wstring Text(int id) const;
    void SetText(int id, const std::wstring& text) const;
    bool Checked(int id) const;
    void Check(int id, bool ticked) const;
    bool Enabled(int id) const;
    UINT Limit(int id) const;
    // Loads a target the way a drop does.
    void Load(const std::string& path);

    CAttribToolDlg dialog;
};

std::wstring Wide(const std::string& ansi);
// The ANSI form of a text written in the test's UTF-8 source.
std::string Ansi(const char* utf8);
std::string FixturePath(const std::string& name);
// The whole file's bytes; empty when it cannot be opened.
std::string ReadWholeFile(const std::string& path);
// Pumps the thread's pending messages (posted messages, timers) for about ms milliseconds.
void PumpMessages(DWORD ms);
// An HDROP as the shell would make it, holding the given paths.
HDROP MakeDrop(const std::vector<std::wstring>& paths);
