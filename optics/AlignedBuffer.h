#pragma once
// An owning, cache-line aligned array of trivially copyable elements. Not zeroed.

#include <cstddef>
#include <new>
#include <utility>

#include "HugePages.h"
#include "OpticsError.h"

namespace diffrascope::optics {

template <typename T> class AlignedBuffer {
  public:
    AlignedBuffer() = default;
    // Throws OutOfMemoryError when the memory cannot be had.
    explicit AlignedBuffer(std::size_t count) : count_(count) {
        if (count != 0) {
            block_ = ::operator new(count * sizeof(T), kAlignment, std::nothrow);
            if (block_ == nullptr) {
                count_ = 0;
                throw OutOfMemoryError();
            }
            AdviseHugePages(block_, count * sizeof(T));
        }
    }
    ~AlignedBuffer() { Release(block_); }
    AlignedBuffer(AlignedBuffer &&other) noexcept
        : block_(std::exchange(other.block_, nullptr)), count_(std::exchange(other.count_, 0)) {}
    AlignedBuffer &operator=(AlignedBuffer &&other) noexcept {
        if (this != &other) {
            Release(block_);
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
    static constexpr std::align_val_t kAlignment{64}; // a cache line
    static void Release(void *block) {
        if (block != nullptr) {
            ::operator delete(block, kAlignment);
        }
    }

    void *block_ = nullptr;
    std::size_t count_ = 0;
};

} // namespace diffrascope::optics
