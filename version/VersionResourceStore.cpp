#include "version/VersionResourceStore.h"

#include <cstring>
#include <utility>
#include <vector>

#include "platform/ScopedHandle.h"
#include "version/PeVersionResource.h"

namespace {

// A pending resource update: discarded unless it is committed.
class PendingUpdate {
  public:
    explicit PendingUpdate(HANDLE handle) : handle_(handle) {}
    ~PendingUpdate() {
        if (handle_) ::EndUpdateResourceA(handle_, TRUE);
    }
    PendingUpdate(const PendingUpdate&) = delete;
    PendingUpdate& operator=(const PendingUpdate&) = delete;

    HANDLE get() const { return handle_; }
    bool Commit() { return ::EndUpdateResourceA(std::exchange(handle_, nullptr), FALSE) != FALSE; }

  private:
    HANDLE handle_;
};

constexpr DWORD kChunk = 1u << 20;

bool Seek(HANDLE file, uint64_t offset) {
    LARGE_INTEGER at;
    at.QuadPart = static_cast<LONGLONG>(offset);
    return ::SetFilePointerEx(file, at, nullptr, FILE_BEGIN) != FALSE;
}

bool ReadAt(HANDLE file, uint64_t offset, void* into, size_t size) {
    if (!Seek(file, offset)) return false;
    auto* bytes = static_cast<uint8_t*>(into);
    while (size > 0) {
        const DWORD chunk = size < kChunk ? static_cast<DWORD>(size) : kChunk;
        DWORD read = 0;
        if (!::ReadFile(file, bytes, chunk, &read, nullptr) || read == 0) return false;
        bytes += read;
        size -= read;
    }
    return true;
}

// ERROR_SUCCESS, or the code of the call that failed.
DWORD WriteAt(HANDLE file, uint64_t offset, const uint8_t* bytes, size_t size) {
    if (!Seek(file, offset)) return ::GetLastError();
    while (size > 0) {
        const DWORD chunk = size < kChunk ? static_cast<DWORD>(size) : kChunk;
        DWORD written = 0;
        if (!::WriteFile(file, bytes, chunk, &written, nullptr)) return ::GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        bytes += written;
        size -= written;
    }
    return ERROR_SUCCESS;
}

enum class InPlace { Written, NotApplicable, Failed };

// Writes the rewritten resource over the original one in the file, when the file holds it there.
InPlace WriteInPlace(const char* path, WORD language, const uint8_t* original,
                     const uint8_t* rewritten, uint32_t size, DWORD& error) {
    // Others may read meanwhile, nobody else may write: what we compare is what we overwrite.
    ScopedHandle file(::CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        error = ::GetLastError();
        return InPlace::Failed;
    }
    LARGE_INTEGER fileSize;
    if (!::GetFileSizeEx(file.get(), &fileSize)) {
        error = ::GetLastError();
        return InPlace::Failed;
    }
    // Only the headers, the resource directory and the resource itself are read, never the
    // whole file.
    const PeFileReader read = [&file](uint64_t offset, void* into, size_t count) {
        return ReadAt(file.get(), offset, into, count);
    };
    const std::optional<uint64_t> offset =
        FindVersionResourceOffset(read, static_cast<uint64_t>(fileSize.QuadPart), language, size);
    if (!offset) return InPlace::NotApplicable;
    std::vector<uint8_t> current(size);
    if (!ReadAt(file.get(), *offset, current.data(), current.size()) ||
        std::memcmp(current.data(), original, size) != 0) {
        return InPlace::NotApplicable;
    }
    error = WriteAt(file.get(), *offset, rewritten, size);
    return error == ERROR_SUCCESS ? InPlace::Written : InPlace::Failed;
}

VersionStoreResult UpdateThroughPlatform(const char* path, WORD language, const uint8_t* rewritten,
                                         uint32_t size) {
    PendingUpdate update(::BeginUpdateResourceA(path, FALSE));
    if (!update.get()) return {false, ::GetLastError()};
    if (!::UpdateResourceA(update.get(), RT_VERSION, MAKEINTRESOURCEA(1), language,
                           const_cast<uint8_t*>(rewritten), size)) {
        return {false, ::GetLastError()};  // the pending update is discarded
    }
    if (!update.Commit()) return {false, ::GetLastError()};
    return {true, ERROR_SUCCESS};
}

}  // namespace

VersionStoreResult StoreVersionResource(const char* path, WORD language, const uint8_t* original,
                                        const uint8_t* rewritten, uint32_t size) {
    DWORD error = ERROR_SUCCESS;
    switch (WriteInPlace(path, language, original, rewritten, size, error)) {
        case InPlace::Written:
            return {true, ERROR_SUCCESS};
        case InPlace::Failed:
            return {false, error};
        case InPlace::NotApplicable:
            break;
    }
    // The file is closed again here: the platform's update opens it for writing itself.
    return UpdateThroughPlatform(path, language, rewritten, size);
}
