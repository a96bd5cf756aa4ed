#pragma once
// An owning, cache-line aligned array of trivially copyable elements, obtained
// through the core's allocation path (so tests can make it fail). Not zeroed.

#include <cstddef>
#include <utility>

#include "Errors.h"
#include "Grid.h"

namespace diffrascope::optics {

template <typename T> class AlignedBuffer {
  public:
    AlignedBuffer() = default;
    // Throws AllocationError when the memory cannot be had.
    explicit AlignedBuffer(std::size_t count) : count_(count) {
        if (count != 0 && AllocateBlock(count * sizeof(T), block_) != kSuccess) {
            count_ = 0;
            throw AllocationError();
        }
    }
    ~AlignedBuffer() { ReleaseBlock(block_); }
    AlignedBuffer(AlignedBuffer &&other) noexcept
        : block_(std::exchange(other.block_, nullptr)), count_(std::exchange(other.count_, 0)) {}
    AlignedBuffer &operator=(AlignedBuffer &&other) noexcept {
        if (this != &other) {
            ReleaseBlock(block_);
            block_ = std::exchange(other.block_, nullptr);
            count_ = std::exchange(other.count_, 0);
        }
        return *this;
    }
    AlignedBuffer(const AlignedBuffer &) = delete;
    AlignedBuffer &operator=(const AlignedBuffer &) = delete;

    T *data() { return static_cast<T *>(block_); }
    const T *data() const { return static_cast<const T *>(block_); }
    std::size_t size() const { return count_; }
    T &operator[](std::size_t k) { return data()[k]; }
    const T &operator[](std::size_t k) const { return data()[k]; }

  private:
    void *block_ = nullptr;
    std::size_t count_ = 0;
};

} // namespace diffrascope::optics
