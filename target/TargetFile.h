// The target on disk: its directory entry, whether it is the program itself, and the writes of
// its attribute word and its three times.
#pragma once

#include <windows.h>

#include <array>
#include <cstdint>

#include "platform/CString.h"

// The path that every file call on the target is given: `path` in its extended form, so that a
// name ending in a dot or a space and a path of 260 characters or more reach the item itself. A
// relative path is made full by the system first. In a 32-bit process on 64-bit Windows a path in
// System32 goes through Sysnative, which reaches that file and not SysWOW64's of the same name.
// Empty when no full path can be made.
CString ExtendedFullPath(const CString& path);

// The directory entry of the item that the extended `path` names (a folder's own entry, not its
// contents; a root's attributes and times, named by the root itself). False, with the reason in
// GetLastError, when there is none, when a name with a trailing separator is no folder, and for a
// name holding a wildcard, which could match another item.
bool FindTarget(const CString& path, WIN32_FIND_DATAW& entry);

// True when `path`, whose directory entry is `entry`, names the running program's own file,
// however it is spelt (letter case, short names, links): the same volume and file index.
bool IsProgramItself(const CString& path, const WIN32_FIND_DATAW& entry);

// The text after the last backslash: the whole path when it holds none.
CString NameAfterLastBackslash(const CString& path);

uint64_t FileSize(const WIN32_FIND_DATAW& entry);
uint64_t Ticks(const FILETIME& time);
// The entry's times in the order of the dialog's rows: creation, last write, last access.
std::array<uint64_t, 3> EntryTimes(const WIN32_FIND_DATAW& entry);

// Local time minus UTC as the platform applies it now, daylight saving included, in seconds.
int64_t UtcOffsetNow();
// Local time minus UTC in force at a time (seconds since 1601, UTC), under that year's rules: a
// UtcOffsetAt.
int64_t UtcOffsetAtTime(int64_t utcSeconds);
uint64_t FileTimeNow();

// Each write returns ERROR_SUCCESS, or the code of the call that failed.
DWORD WriteAttributes(const CString& path, uint32_t word);

// How the time write opens the target; a check before any write opens it the same way.
constexpr DWORD kTimesAccess = GENERIC_READ | GENERIC_WRITE;
constexpr DWORD kTimesShare = FILE_SHARE_READ | FILE_SHARE_WRITE;
DWORD TimesOpenFlags(bool folder);

// Writes creation, last-write and last-access times (file-time ticks) in one call; a link's own,
// not its target's.
DWORD WriteFileTimes(const CString& path, bool folder, const std::array<uint64_t, 3>& times);
