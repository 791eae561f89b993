#include "platform/UntouchedFile.h"

namespace {

HANDLE Open(const CString& path, DWORD access, DWORD share) {
    return ::CreateFileW(path.c_str(), access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                         nullptr);
}

}  // namespace

UntouchedFile::UntouchedFile(const CString& path, DWORD access, DWORD share)
    : handle_(Open(path, access | FILE_WRITE_ATTRIBUTES, share)) {
    if (valid()) {
        static const FILETIME kDoNotUpdate{0xFFFFFFFF, 0xFFFFFFFF};
        held_ = ::GetFileTime(handle_, nullptr, &accessed_, nullptr) &&
                ::SetFileTime(handle_, nullptr, &kDoNotUpdate, nullptr);
        return;
    }
    // Attribute writes are not this user's on this file (a system file, say): reading is.
    if (::GetLastError() == ERROR_ACCESS_DENIED && access != 0) handle_ = Open(path, access, share);
    if (!valid()) error_ = ::GetLastError();
}

UntouchedFile::~UntouchedFile() {
    if (!valid()) return;
    FILETIME now;
    if (held_ && ::GetFileTime(handle_, nullptr, &now, nullptr) &&
        ::CompareFileTime(&now, &accessed_) != 0) {
        ::SetFileTime(handle_, nullptr, &accessed_, nullptr);
    }
    ::CloseHandle(handle_);
}
