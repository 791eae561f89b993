// The block that holds a target's version information during one call.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

// R bytes, zero-filled, laid out as GetFileVersionInfoA fills them (R = 2S + 4):
//   [0, S)          the raw version resource, byte for byte as the file holds it;
//   [S, S + 4)      four bytes that belong to the platform;
//   [S + 4, 2S + 4) the ANSI area: VerQueryValueA puts a string's ANSI form at the
//                   offset of its UTF-16 text plus S + 4.
class VersionBuffer {
  public:
    explicit VersionBuffer(uint32_t size);

    VersionBuffer(const VersionBuffer&) = delete;
    VersionBuffer& operator=(const VersionBuffer&) = delete;
    // A moved-from buffer is empty.
    VersionBuffer(VersionBuffer&& other) noexcept;
    VersionBuffer& operator=(VersionBuffer&& other) noexcept;

    uint8_t* data() { return bytes_.get(); }
    const uint8_t* data() const { return bytes_.get(); }

    // R, the whole block.
    uint32_t size() const { return size_; }

    // S = (R - 4) / 2, the size of the raw resource. A block of fewer than 4 bytes cannot
    // hold the layout and has no raw resource.
    uint32_t RawSize() const { return size_ < 4 ? 0 : (size_ - 4) / 2; }

  private:
    std::unique_ptr<uint8_t[]> bytes_;
    uint32_t size_ = 0;
};
