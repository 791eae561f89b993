#include "version/VersionBuffer.h"

#include <utility>

VersionBuffer::VersionBuffer(uint32_t size) : bytes_(new uint8_t[size]()), size_(size) {}

VersionBuffer::VersionBuffer(VersionBuffer&& other) noexcept
    : bytes_(std::move(other.bytes_)), size_(std::exchange(other.size_, 0)) {}

VersionBuffer& VersionBuffer::operator=(VersionBuffer&& other) noexcept {
    bytes_ = std::move(other.bytes_);
    size_ = std::exchange(other.size_, 0);
    return *this;
}
