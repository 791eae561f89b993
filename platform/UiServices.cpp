#include "platform/UiServices.h"

#include <shellapi.h>

int UiServices::ShowMessage(HWND owner, const std::wstring& text, const std::wstring& caption,
                            UINT type) {
    return MessageBoxW(owner, text.c_str(), caption.c_str(), type);
}

BOOL UiServices::ChooseOpenFile(OPENFILENAMEW& request) {
    return GetOpenFileNameW(&request);
}

PIDLIST_ABSOLUTE UiServices::BrowseForFolder(BROWSEINFOW& request) {
    return SHBrowseForFolderW(&request);
}

UINT UiServices::QueryDroppedFile(HDROP drop, UINT index, wchar_t* buffer, UINT capacity) {
    return DragQueryFileW(drop, index, buffer, capacity);
}

void UiServices::FinishDrop(HDROP drop) {
    ::DragFinish(drop);
}

namespace {
UiServices platformServices;
UiServices* installed = nullptr;
}  // namespace

UiServices& Ui() {
    return installed ? *installed : platformServices;
}

void SetUiServices(UiServices* services) {
    installed = services;
}
