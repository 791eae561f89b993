#include "cli/TargetSources.h"

#include <windows.h>

#include "cli/PathList.h"
#include "platform/ErrorText.h"
#include "platform/ScopedHandle.h"
#include "platform/Text.h"
#include "target/TargetFile.h"

std::optional<std::vector<FolderEntry>> ListFolderEntries(const std::u16string& folder,
                                                          uint32_t& error) {
    CString search = ExtendedFullPath(folder.empty() ? L"." : ToWide(folder));
    if (!search.empty() && search.back() != L'\\') search += L'\\';
    WIN32_FIND_DATAW entry;
    const HANDLE found =
        ::FindFirstFileExW((search + L"*").c_str(), FindExInfoBasic, &entry, FindExSearchNameMatch,
                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search.empty() || found == INVALID_HANDLE_VALUE) {
        error = ::GetLastError();
        return std::nullopt;
    }
    std::vector<FolderEntry> entries;
    do {
        const std::u16string name = ToUtf16(entry.cFileName);
        if (name != u"." && name != u"..") entries.push_back({name, entry.dwFileAttributes});
    } while (::FindNextFileW(found, &entry));
    ::FindClose(found);
    return entries;
}

namespace {

// ERROR_SUCCESS once the whole of `file` is in `bytes` (a pipe ends when its writer closes it).
DWORD ReadAll(HANDLE file, std::string& bytes) {
    char chunk[64 * 1024];
    DWORD read;
    while (::ReadFile(file, chunk, sizeof chunk, &read, nullptr)) {
        if (read == 0) return ERROR_SUCCESS;
        bytes.append(chunk, read);
    }
    const DWORD error = ::GetLastError();
    return error == ERROR_BROKEN_PIPE ? ERROR_SUCCESS : error;
}

}  // namespace

std::optional<std::vector<std::u16string>> ReadPathList(const std::u16string& source,
                                                        std::u16string& error) {
    std::string bytes;
    DWORD failure;
    if (source == u"-") {
        failure = ReadAll(::GetStdHandle(STD_INPUT_HANDLE), bytes);
    } else {
        const ScopedHandle file(::CreateFileW(ExtendedFullPath(ToWide(source)).c_str(),
                                              GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                              nullptr, OPEN_EXISTING, 0, nullptr));
        failure = file.valid() ? ReadAll(file.get(), bytes) : ::GetLastError();
    }
    if (failure != ERROR_SUCCESS) {
        error = u"无法读取路径列表 " + source + u"：" + ToUtf16(SystemErrorText(failure));
        return std::nullopt;
    }
    std::optional<std::u16string> text = DecodePathList(bytes);
    if (!text && !bytes.empty()) {
        const UINT codePage = ::GetConsoleOutputCP() ? ::GetConsoleOutputCP() : ::GetOEMCP();
        const int size = static_cast<int>(bytes.size());
        std::wstring wide(
            ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0),
            L'\0');
        if (!wide.empty() && ::MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(),
                                                   size, wide.data(), wide.size())) {
            text = ToUtf16(wide);
        }
    }
    if (!text) {
        error = u"路径列表 " + source + u" 不是 UTF-8 或带字节顺序标记的 UTF-16 文本";
        return std::nullopt;
    }
    return PathListLines(*text);
}
