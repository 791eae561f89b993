#include "version/VersionFile.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "platform/ScopedHandle.h"
#include "platform/Text.h"
#include "platform/UntouchedFile.h"
#include "version/PeImage.h"

namespace {

constexpr DWORD kChunk = 1u << 20;

OVERLAPPED At(uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

bool ReadAt(HANDLE file, uint64_t offset, void* into, size_t size) {
    auto* bytes = static_cast<uint8_t*>(into);
    while (size > 0) {
        OVERLAPPED at = At(offset);
        DWORD read = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, kChunk));
        if (!::ReadFile(file, bytes, chunk, &read, &at)) return false;
        if (read == 0) {
            ::SetLastError(ERROR_HANDLE_EOF);
            return false;
        }
        bytes += read;
        offset += read;
        size -= read;
    }
    return true;
}

// ERROR_SUCCESS, or the code of the call that failed.
DWORD WriteAt(HANDLE file, uint64_t offset, const uint8_t* bytes, size_t size) {
    while (size > 0) {
        OVERLAPPED at = At(offset);
        DWORD written = 0;
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(size, kChunk));
        if (!::WriteFile(file, bytes, chunk, &written, &at)) return ::GetLastError();
        if (written == 0) return ERROR_WRITE_FAULT;
        bytes += written;
        offset += written;
        size -= written;
    }
    return ERROR_SUCCESS;
}

// Reads through a window of the file, so that the many small reads of the headers and the
// resource directory take a few ReadFile calls (each a request to the server under Wine).
class WindowedReader {
  public:
    explicit WindowedReader(HANDLE file) : file_(file) {}

    bool Read(uint64_t offset, void* into, size_t size) {
        if (size > kWindow - (offset & 0xFFF)) return ReadAt(file_, offset, into, size);
        if (offset < start_ || offset - start_ + size > window_.size()) {
            start_ = offset & ~uint64_t{0xFFF};
            window_.resize(kWindow);
            OVERLAPPED at = At(start_);
            DWORD read = 0;
            if (!::ReadFile(file_, window_.data(), kWindow, &read, &at)) {
                window_.clear();
                return false;
            }
            window_.resize(read);
            if (offset - start_ + size > window_.size()) {
                ::SetLastError(ERROR_HANDLE_EOF);
                return false;
            }
        }
        std::memcpy(into, window_.data() + (offset - start_), size);
        return true;
    }

  private:
    static constexpr DWORD kWindow = 64 * 1024;
    HANDLE file_;
    uint64_t start_ = 0;
    std::vector<uint8_t> window_;
};

// The resource loader looks for the neutral language first, then the user's, then the system's,
// then English (US).
std::vector<uint16_t> PreferredLanguages() {
    return {0, ::GetUserDefaultUILanguage(), ::GetSystemDefaultUILanguage(), 0x0409};
}

// The file's bytes through a window, each failed read's code kept in `error`.
class FileReader {
  public:
    explicit FileReader(HANDLE file, DWORD& error)
        : window_(file), read_([this, &error](uint64_t offset, void* into, size_t count) {
              if (window_.Read(offset, into, count)) return true;
              error = ::GetLastError();
              return false;
          }) {}
    const PeFileReader& read() const { return read_; }

  private:
    WindowedReader window_;
    PeFileReader read_;
};

// Nothing when the file's bytes cannot be read (`error` says why) or hold no consistent version
// resource (`error` is ERROR_INVALID_DATA); a resource without a block for a PE image without one.
// `image` is the file's PE image, when it is one.
std::optional<VersionResource> ReadVersionResource(HANDLE file, const PeFileReader& read,
                                                   DWORD& error, std::optional<PeImage>& image) {
    error = ERROR_INVALID_DATA;
    LARGE_INTEGER size;
    if (!::GetFileSizeEx(file, &size)) {
        error = ::GetLastError();
        return std::nullopt;
    }
    const uint64_t fileSize = static_cast<uint64_t>(size.QuadPart);
    image = ReadPeImage(read, fileSize, PreferredLanguages());
    if (!image) return std::nullopt;
    // An image without version information: a resource without a block, to be made.
    if (!image->version) return VersionResource{fileSize, *image, 0, {}, {}};
    return ReadVersionResource(read, fileSize, *image);
}

}  // namespace

LoadedVersion ReadVersionStrings(const CString& path) {
    LoadedVersion loaded;
    const UntouchedFile file(path, GENERIC_READ,
                             FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE);
    DWORD error = file.error();
    const FileReader reader(file.get(), error);
    std::optional<PeImage> image;
    const std::optional<VersionResource> resource =
        file.valid() ? ReadVersionResource(file.get(), reader.read(), error, image) : std::nullopt;
    // Bytes that are there but hold no version resource are no failure.
    if (error != ERROR_INVALID_DATA && error != ERROR_HANDLE_EOF) loaded.error = error;
    loaded.isSigned = image && image->certificate;
    loaded.addable = resource && resource->block.empty();
    if (!resource || resource->block.empty()) return loaded;
    if (const std::optional<VersionFixedInfo>& fixed = resource->table.fixed) {
        loaded.fileVersion = fixed->fileVersion;
        loaded.productVersion = fixed->productVersion;
    }
    if (!resource->table.translation) {
        loaded.state = LoadedVersion::State::NoTranslation;
        return loaded;
    }
    loaded.state = LoadedVersion::State::Loaded;
    loaded.translation = *resource->table.translation;
    for (size_t i = 0; i < kVersionStringKeyCount; ++i) {
        if (const std::optional<VersionValue>& value = resource->table.values[i]) {
            loaded.texts[i] = ToWide(StoredText(resource->block, *value));
            loaded.limits[i] = value->room > 0 ? value->room - 1 : 0;
        }
    }
    return loaded;
}

CString LanguageName(uint16_t language) {
    wchar_t name[256] = {};
    ::VerLanguageNameW(language, name, 256);
    return name;
}

namespace {

// The store, and with `write` false its check: the same steps up to the first write.
VersionStoreResult Store(const CString& path, const LoadedVersion& loaded,
                         const VersionChanges& changes, const VersionGrowth& growth, bool write) {
    using Outcome = VersionStoreResult::Outcome;
    const auto failed = [](DWORD error) { return VersionStoreResult{Outcome::Failed, 0, error}; };
    const UntouchedFile file(path, write ? kStoreAccess : GENERIC_READ, kStoreShare);
    if (!file.valid()) return failed(file.error());
    DWORD error;
    const FileReader reader(file.get(), error);
    std::optional<PeImage> image;
    const std::optional<VersionResource> resource =
        ReadVersionResource(file.get(), reader.read(), error, image);
    if (!resource) return failed(error);

    const StorePlan plan =
        PlanVersionStore(*resource, reader.read(), loaded.translation, changes, growth);
    switch (plan.outcome) {
        case StorePlan::Outcome::Write:
            break;
        case StorePlan::Outcome::TooLong:
            return {Outcome::TooLong, plan.key, 0};
        case StorePlan::Outcome::NoFixedInfo:
            return {Outcome::NoFixedInfo, 0, 0};
        case StorePlan::Outcome::NoRoom:
            return {Outcome::NoRoom, 0, 0, plan.placement, plan.cause};
        case StorePlan::Outcome::Refused:
            return failed(ERROR_INVALID_DATA);
    }
    if (!write) return {Outcome::Stored, 0, 0, plan.placement};
    for (const FileWrite& span : plan.writes) {
        if (const DWORD written =
                WriteAt(file.get(), span.offset, span.bytes.data(), span.bytes.size())) {
            return failed(written);
        }
    }
    if (plan.checksum != resource->image.checksum) {
        const uint8_t bytes[4] = {
            static_cast<uint8_t>(plan.checksum), static_cast<uint8_t>(plan.checksum >> 8),
            static_cast<uint8_t>(plan.checksum >> 16), static_cast<uint8_t>(plan.checksum >> 24)};
        if (const DWORD written = WriteAt(file.get(), resource->image.checksumOffset, bytes, 4)) {
            return failed(written);
        }
    }
    return {Outcome::Stored, 0, 0, plan.placement};
}

}  // namespace

VersionStoreResult StoreVersionStrings(const CString& path, const LoadedVersion& loaded,
                                       const VersionChanges& changes, const VersionGrowth& growth) {
    return Store(path, loaded, changes, growth, true);
}

VersionStoreResult CheckVersionStore(const CString& path, const LoadedVersion& loaded,
                                     const VersionChanges& changes, const VersionGrowth& growth) {
    return Store(path, loaded, changes, growth, false);
}
