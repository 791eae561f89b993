// A file opened to be read whose last-access time the reads leave as it was. Where the file can
// be opened for attribute writes as well, the handle asks SetFileTime not to update that time
// (the documented 0xFFFFFFFF value), and whatever moved it all the same (a file system that
// updates it on its own, as Linux does under Wine) is put back when the file closes. Where it
// cannot, the file is opened as asked and nothing else changes.
#pragma once

#include <windows.h>

#include "platform/CString.h"

class UntouchedFile {
  public:
    // As CreateFileW(path, access, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL); with an
    // access of 0 the file is opened only to hold the time, for reads through another handle
    // meanwhile (a copy).
    UntouchedFile(const CString& path, DWORD access, DWORD share);
    ~UntouchedFile();
    UntouchedFile(const UntouchedFile&) = delete;
    UntouchedFile& operator=(const UntouchedFile&) = delete;

    bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
    HANDLE get() const { return handle_; }
    DWORD error() const { return error_; }  // why the open failed

  private:
    HANDLE handle_;
    DWORD error_ = ERROR_SUCCESS;
    bool held_ = false;
    FILETIME accessed_{};
};
