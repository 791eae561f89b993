#include "target/TargetFile.h"

#include <algorithm>
#include <vector>

#include "platform/ScopedHandle.h"
#include "platform/SystemDll.h"
#include "platform/Text.h"
#include "platform/WinApp.h"
#include "target/ExtendedPath.h"

namespace {

FILETIME ToFileTime(uint64_t ticks) {
    return {static_cast<DWORD>(ticks), static_cast<DWORD>(ticks >> 32)};
}

// Opens an item for nothing but its identity; a folder needs backup semantics.
HANDLE OpenForIdentity(const wchar_t* path) {
    return ::CreateFileW(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                         OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
}

bool Identity(HANDLE file, BY_HANDLE_FILE_INFORMATION& info) {
    return file != INVALID_HANDLE_VALUE && ::GetFileInformationByHandle(file, &info);
}

// The Windows folder when this is a 32-bit process on 64-bit Windows, whose System32 the file
// system turns aside to SysWOW64; empty otherwise. A system without IsWow64Process has no WoW64.
std::u16string RedirectedWindowsFolder() {
    const auto isWow64 =
        SystemFunction<decltype(&IsWow64Process)>(L"kernel32.dll", "IsWow64Process", false);
    BOOL wow64 = FALSE;
    if (!isWow64 || !isWow64(::GetCurrentProcess(), &wow64) || !wow64) return {};
    wchar_t folder[MAX_PATH];
    const UINT length = ::GetSystemWindowsDirectoryW(folder, MAX_PATH);
    return length && length < MAX_PATH ? ToUtf16({folder, length}) : std::u16string();
}

}  // namespace

CString ExtendedFullPath(const CString& path) {
    std::optional<std::u16string> extended = ExtendedPath(ToUtf16(path));
    if (!extended && !path.empty()) {
        // A path that is not full ("twin.", "dir\a", "C:a", "\a") is made full by the system up
        // to its last name, which stays exactly as given: GetFullPathNameW would drop a trailing
        // dot or space from it. A last name "." or ".." is the system's to resolve.
        const std::u16string given = ToUtf16(path);
        PathParts parts = SplitPath(given);
        if (parts.last == u"." || parts.last == u"..") parts = {given, {}};
        const CString folder = parts.folder.empty() ? CString(L".") : ToWide(parts.folder);
        const DWORD size = ::GetFullPathNameW(folder.c_str(), 0, nullptr, nullptr);
        CString full(size, L'\0');
        const DWORD length =
            size ? ::GetFullPathNameW(folder.c_str(), size, full.data(), nullptr) : 0;
        full.resize(length < size ? length : 0);
        if (!full.empty() && !parts.last.empty() && full.back() != L'\\') full += L'\\';
        if (!full.empty()) extended = ExtendedPath(ToUtf16(full) + std::u16string(parts.last));
    }
    // What the user chose in System32 is the file there, not SysWOW64's of the same name.
    static const std::u16string redirected = RedirectedWindowsFolder();
    if (extended && !redirected.empty()) extended = ThroughSysnative(*extended, redirected);
    return extended ? ToWide(*extended) : CString();
}

bool FindTarget(const CString& path, WIN32_FIND_DATAW& entry) {
    // The "\\?\" of the extended form is no wildcard.
    if (path.find_first_of(L"?*", 4) != CString::npos) {
        ::SetLastError(ERROR_INVALID_NAME);
        return false;
    }
    const std::u16string given = ToUtf16(path);
    const EntryLookup lookup = LookUpEntry(given);
    const CString search = ToWide(lookup.search);
    if (lookup.root) {
        WIN32_FILE_ATTRIBUTE_DATA data;
        if (!::GetFileAttributesExW(search.c_str(), GetFileExInfoStandard, &data)) return false;
        entry = {};
        entry.dwFileAttributes = data.dwFileAttributes;
        entry.ftCreationTime = data.ftCreationTime;
        entry.ftLastAccessTime = data.ftLastAccessTime;
        entry.ftLastWriteTime = data.ftLastWriteTime;
        ToWide(PlainPath(given)).copy(entry.cFileName, MAX_PATH - 1);
        return true;
    }
    const HANDLE found = ::FindFirstFileW(search.c_str(), &entry);
    if (found == INVALID_HANDLE_VALUE) return false;
    ::FindClose(found);
    if (lookup.folderOnly && !(entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        ::SetLastError(ERROR_DIRECTORY);
        return false;
    }
    return true;
}

bool IsProgramItself(const CString& path, const WIN32_FIND_DATAW& entry) {
    // The program's own identity, read once: each read is slow (under Wine a request to another
    // process for the volume's serial number), and a command names thousands of targets.
    static const struct Program {
        bool known;
        BY_HANDLE_FILE_INFORMATION info;
    } program = [] {
        Program own{};
        const ScopedHandle file(OpenForIdentity(ExtendedFullPath(ProgramPath()).c_str()));
        own.known = Identity(file.get(), own.info);
        return own;
    }();
    // A file of another size is another file; a link's own entry says nothing of its target.
    if (!program.known || (!(entry.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) &&
                           (entry.nFileSizeHigh != program.info.nFileSizeHigh ||
                            entry.nFileSizeLow != program.info.nFileSizeLow))) {
        return false;
    }
    const ScopedHandle target(OpenForIdentity(path.c_str()));
    BY_HANDLE_FILE_INFORMATION info;
    return Identity(target.get(), info) &&
           program.info.dwVolumeSerialNumber == info.dwVolumeSerialNumber &&
           program.info.nFileIndexHigh == info.nFileIndexHigh &&
           program.info.nFileIndexLow == info.nFileIndexLow;
}

CString NameAfterLastBackslash(const CString& path) {
    return path.substr(path.rfind(L'\\') + 1);  // npos + 1 is 0
}

uint64_t FileSize(const WIN32_FIND_DATAW& entry) {
    return uint64_t{entry.nFileSizeHigh} << 32 | entry.nFileSizeLow;
}

uint64_t Ticks(const FILETIME& time) {
    return uint64_t{time.dwHighDateTime} << 32 | time.dwLowDateTime;
}

std::array<uint64_t, 3> EntryTimes(const WIN32_FIND_DATAW& entry) {
    return {Ticks(entry.ftCreationTime), Ticks(entry.ftLastWriteTime),
            Ticks(entry.ftLastAccessTime)};
}

int64_t UtcOffsetNow() {
    FILETIME now, local;
    ::GetSystemTimeAsFileTime(&now);
    ::FileTimeToLocalFileTime(&now, &local);
    return (static_cast<int64_t>(Ticks(local)) - static_cast<int64_t>(Ticks(now))) / 10000000;
}

int64_t UtcOffsetAtTime(int64_t utcSeconds) {
    const uint64_t ticks = static_cast<uint64_t>(std::max<int64_t>(utcSeconds, 0)) * 10000000;
    const FILETIME utcTime = ToFileTime(ticks);
    SYSTEMTIME utc, local;
    FILETIME localTime;
    if (!::FileTimeToSystemTime(&utcTime, &utc)) return 0;
    // Each year's rules, as the system keeps them for that year, read once.
    static std::vector<std::pair<WORD, TIME_ZONE_INFORMATION>> years;
    auto year = std::find_if(years.begin(), years.end(),
                             [&utc](const auto& known) { return known.first == utc.wYear; });
    if (year == years.end()) {
        years.push_back({utc.wYear, {}});
        year = years.end() - 1;
        if (!::GetTimeZoneInformationForYear(utc.wYear, nullptr, &year->second))
            ::GetTimeZoneInformation(&year->second);
    }
    if (!::SystemTimeToTzSpecificLocalTime(&year->second, &utc, &local) ||
        !::SystemTimeToFileTime(&local, &localTime)) {
        return 0;
    }
    return (static_cast<int64_t>(Ticks(localTime)) - static_cast<int64_t>(ticks)) / 10000000;
}

uint64_t FileTimeNow() {
    FILETIME now;
    ::GetSystemTimeAsFileTime(&now);
    return Ticks(now);
}

DWORD WriteAttributes(const CString& path, uint32_t word) {
    return ::SetFileAttributesW(path.c_str(), word) ? ERROR_SUCCESS : ::GetLastError();
}

DWORD TimesOpenFlags(bool folder) {
    // A link's own times, as its own entry was loaded and its own attributes are written.
    return FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT |
           (folder ? FILE_FLAG_BACKUP_SEMANTICS : 0);
}

DWORD WriteFileTimes(const CString& path, bool folder, const std::array<uint64_t, 3>& times) {
    const ScopedHandle target(::CreateFileW(path.c_str(), kTimesAccess, kTimesShare, nullptr,
                                            OPEN_EXISTING, TimesOpenFlags(folder), nullptr));
    const FILETIME created = ToFileTime(times[0]);
    const FILETIME written = ToFileTime(times[1]);
    const FILETIME accessed = ToFileTime(times[2]);
    return target.valid() && ::SetFileTime(target.get(), &created, &accessed, &written)
               ? ERROR_SUCCESS
               : ::GetLastError();
}
