#include "tests/win/InProcess.h"

#include <filesystem>

#include "platform/WinApp.h"

// Named after this executable, as the program's application object is.
CWinApp theApp;

InProcess::InProcess() {
    EXPECT_EQ(::GetACP(), 936u) << "as on our users' systems: run with LC_ALL=zh_CN.UTF-8";
    static int count = 0;
    folder = std::filesystem::temp_directory_path() / ("quorvane-" + std::to_string(++count));
    RemoveTree(folder);  // what a failed run left behind
    std::filesystem::create_directory(folder);
    SetUiServices(this);
    AfxGetApp()->m_pMainWnd = &dialog;
    EXPECT_TRUE(dialog.Create());
}

InProcess::~InProcess() {
    AfxGetApp()->m_pMainWnd = nullptr;
    SetUiServices(nullptr);
    RemoveTree(folder);
}
