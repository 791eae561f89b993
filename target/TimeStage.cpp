// The three file times in the main dialog: shown on load, "当前" for a new-time field, and the
// write of all three together.
#include "platform/ScopedHandle.h"
#include "target/TimeText.h"
#include "ui/AttribToolDlg.h"

namespace {

uint64_t Ticks(const FILETIME& time) {
    return (static_cast<uint64_t>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

FILETIME ToFileTime(uint64_t ticks) {
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Local time minus UTC as the platform applies it now, daylight saving included. Display and
// write both use it, so a shown time written back unchanged is the same file time.
int64_t UtcOffsetNow() {
    FILETIME now;
    FILETIME local;
    ::GetSystemTimeAsFileTime(&now);
    ::FileTimeToLocalFileTime(&now, &local);
    return (static_cast<int64_t>(Ticks(local)) - static_cast<int64_t>(Ticks(now))) / 10000000;
}

}  // namespace

void SetNowTime(CWnd* edit) {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    edit->SetWindowTextA(FileTimeToTimeText(Ticks(now), UtcOffsetNow()).c_str());
}

void CAttribToolDlg::OnNowCreated() {
    SetNowTime(&m_editNewCreated);
}
void CAttribToolDlg::OnNowModified() {
    SetNowTime(&m_editNewModified);
}
void CAttribToolDlg::OnNowAccessed() {
    SetNowTime(&m_editNewAccessed);
}

void CAttribToolDlg::ShowTimes() {
    const int64_t offset = UtcOffsetNow();
    const std::string created = FileTimeToTimeText(Ticks(m_findData.ftCreationTime), offset);
    const std::string modified = FileTimeToTimeText(Ticks(m_findData.ftLastWriteTime), offset);
    const std::string accessed = FileTimeToTimeText(Ticks(m_findData.ftLastAccessTime), offset);
    m_editCreated.SetWindowTextA(created.c_str());
    m_editModified.SetWindowTextA(modified.c_str());
    m_editAccessed.SetWindowTextA(accessed.c_str());
    m_editNewCreated.SetWindowTextA(created.c_str());
    m_editNewModified.SetWindowTextA(modified.c_str());
    m_editNewAccessed.SetWindowTextA(accessed.c_str());
}

BOOL CAttribToolDlg::IsValidTimeText(CString text) {
    return ::IsValidTimeText(text.str());
}

bool CAttribToolDlg::ApplyTimes() {
    struct NewTime {
        CEdit& field;
        const char* refusal;
        uint64_t ticks;
    };
    NewTime times[] = {{m_editNewCreated, "新的创建时间不符合要求!", 0},
                       {m_editNewModified, "新的修改时间不符合要求!", 0},
                       {m_editNewAccessed, "新的访问时间不符合要求!", 0}};
    const int64_t offset = UtcOffsetNow();
    for (NewTime& time : times) {
        CString text;
        time.field.GetWindowTextA(text);
        // A text of the right shape whose numbers name no real moment is refused the same way,
        // and so is the very first moment, which the platform reads as "leave this time".
        time.ticks = IsValidTimeText(text) ? TimeTextToFileTime(text.str(), offset).value_or(0) : 0;
        if (time.ticks == 0) {
            MessageBoxA(time.refusal);
            return false;
        }
    }

    // A folder opens only with backup semantics.
    const DWORD flags =
        FILE_ATTRIBUTE_NORMAL |
        ((m_findData.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? FILE_FLAG_BACKUP_SEMANTICS : 0);
    ScopedHandle target(::CreateFileA(m_strPathName, GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                                      flags, nullptr));
    const FILETIME created = ToFileTime(times[0].ticks);
    const FILETIME modified = ToFileTime(times[1].ticks);
    const FILETIME accessed = ToFileTime(times[2].ticks);
    if (!target.valid() || !::SetFileTime(target.get(), &created, &accessed, &modified)) {
        MessageBoxA("时间修改失败!\n可能与只读或系统属性有关!", "提示");
        return false;
    }
    return true;
}
