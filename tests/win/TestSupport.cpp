#include "tests/win/TestSupport.h"

#include <shlobj.h>
#include <shellapi.h>

#include <gtest/gtest.h>

#include "platform/Text.h"
#include "platform/WinApp.h"

int FakeUiServices::ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption,
                                UINT type) {
    messages.push_back({owner, text, caption, type});
    if (onMessage) onMessage(messages.back());
    return IDOK;
}

BOOL FakeUiServices::ChooseOpenFile(OPENFILENAMEW& request) {
    fileRequests.push_back(request);
    std::wstring filter;
    for (const wchar_t* p = request.lpstrFilter; p && *p; p += wcslen(p) + 1) {
        filter += p;
        filter += L'|';
    }
    fileFilters.push_back(filter);
    if (fileAnswers.empty()) return FALSE;
    const std::wstring answer = fileAnswers.front();
    fileAnswers.pop_front();
    if (answer.empty() || answer.size() >= request.nMaxFile) return FALSE;
    wcscpy(request.lpstrFile, answer.c_str());
    return TRUE;
}

PIDLIST_ABSOLUTE FakeUiServices::BrowseForFolder(BROWSEINFOW& request) {
    folderTitles.push_back(request.lpszTitle ? request.lpszTitle : L"");
    folderFlags.push_back(request.ulFlags);
    folderOwners.push_back(request.hwndOwner);
    if (folderAnswers.empty()) return nullptr;
    PIDLIST_ABSOLUTE answer = folderAnswers.front();
    folderAnswers.pop_front();
    return answer;
}

std::vector<std::wstring> FakeUiServices::Texts() const {
    std::vector<std::wstring> texts;
    for (const ShownMessage& message : messages) texts.push_back(message.text);
    return texts;
}

namespace {

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE search = ::FindFirstFileA((path + "\\*").c_str(), &entry);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string child = path + "\\" + name;
            ::SetFileAttributesA(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
                RemoveTree(child);
            } else {
                ::DeleteFileA(child.c_str());
            }
        } while (::FindNextFileA(search, &entry));
        ::FindClose(search);
    }
    ::RemoveDirectoryA(path.c_str());
}

}  // namespace

ScratchFolder::ScratchFolder() {
    char base[MAX_PATH];
    ::GetTempPathA(MAX_PATH, base);
    static unsigned counter = 0;
    char name[64];
    snprintf(name, sizeof name, "quorvane-%lu-%u", ::GetCurrentProcessId(), ++counter);
    path_ = std::string(base) + name;
    ::CreateDirectoryA(path_.c_str(), nullptr);
}

ScratchFolder::~ScratchFolder() {
    RemoveTree(path_);
}

std::string ScratchFolder::WriteFile(const std::string& name, const std::string& contents) const {
    const std::string path = *this / name;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr);
    DWORD written = 0;
    ::WriteFile(file, contents.data(), static_cast<DWORD>(contents.size()), &written, nullptr);
    ::CloseHandle(file);
    return path;
}

std::string ScratchFolder::MakeFolder(const std::string& name) const {
    const std::string path = *this / name;
    ::CreateDirectoryA(path.c_str(), nullptr);
    return path;
}

std::string ScratchFolder::CopyFixture(const std::string& fixtureName) const {
    const std::string path = *this / fixtureName;
    EXPECT_TRUE(::CopyFileA(FixturePath(fixtureName).c_str(), path.c_str(), FALSE))
        << "fixture " << fixtureName;
    return path;
}

std::string FixturePath(const std::string& name) {
    // The build folder's path as Wine sees the Unix file system (drive Z:).
    std::string path = "Z:" FIXTURE_DIR "/" + name;
    for (char& c : path) {
        if (c == '/') c = '\\';
    }
    return path;
}

MainDialog::MainDialog() {
    AfxGetApp()->m_pMainWnd = &dialog;
    EXPECT_TRUE(dialog.Create());
}

MainDialog::~MainDialog() {
    dialog.DestroyWindow();
    AfxGetApp()->m_pMainWnd = nullptr;
}

std::wstring MainDialog::Text(int id) const {
    wchar_t text[1024] = {};
    ::GetWindowTextW(Item(id), text, 1024);
    return text;
}

void MainDialog::SetText(int id, const std::wstring& text) const {
    ::SetWindowTextW(Item(id), text.c_str());
}

bool MainDialog::Checked(int id) const {
    return ::SendMessageA(Item(id), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void MainDialog::Check(int id, bool ticked) const {
    ::SendMessageA(Item(id), BM_SETCHECK, ticked ? BST_CHECKED : BST_UNCHECKED, 0);
}

bool MainDialog::Enabled(int id) const {
    return ::IsWindowEnabled(Item(id));
}

UINT MainDialog::Limit(int id) const {
    return static_cast<UINT>(::SendMessageA(Item(id), EM_GETLIMITTEXT, 0, 0));
}

void MainDialog::Load(const std::string& path) {
    dialog.OnDropFiles(MakeDrop({Wide(path)}));
}

std::wstring Wide(const std::string& ansi) {
    return AnsiToWide(ansi);
}

void PumpMessages(DWORD ms) {
    const DWORD start = ::GetTickCount();
    do {
        MSG message;
        while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
        ::Sleep(5);
    } while (::GetTickCount() - start < ms);
}

HDROP MakeDrop(const std::vector<std::wstring>& paths) {
    size_t units = 1;
    for (const std::wstring& path : paths) units += path.size() + 1;
    HGLOBAL memory = ::GlobalAlloc(GHND, sizeof(DROPFILES) + units * sizeof(wchar_t));
    auto* drop = static_cast<DROPFILES*>(::GlobalLock(memory));
    drop->pFiles = sizeof(DROPFILES);
    drop->fWide = TRUE;
    auto* names = reinterpret_cast<wchar_t*>(drop + 1);
    for (const std::wstring& path : paths) {
        wcscpy(names, path.c_str());
        names += path.size() + 1;
    }
    ::GlobalUnlock(memory);
    return static_cast<HDROP>(memory);
}

std::string Ansi(const char* utf8) {
    return WideToAnsi(Utf8ToWide(utf8));
}

std::string ReadWholeFile(const std::string& path) {
    std::string bytes;
    HANDLE file = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return bytes;
    LARGE_INTEGER size;
    ::GetFileSizeEx(file, &size);
    bytes.resize(static_cast<size_t>(size.QuadPart));
    DWORD read = 0;
    ::ReadFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &read, nullptr);
    bytes.resize(read);
    ::CloseHandle(file);
    return bytes;
}
