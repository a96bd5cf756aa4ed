#pragma once
// Large working buffers ask the kernel for huge pages before they are first
// touched: the 32 MB of a 2048 grid then fault in as 16 pages of 2 MB
// instead of 8192 of 4 kB, which on virtual machines costs more than the
// transform itself. Where the system has no such advice nothing changes.

#include <cstddef>
#include <vector>

namespace diffrascope::optics {

// Advises huge pages for the whole 2 MB pages within [data, data + bytes).
void AdviseHugePages(void *data, std::size_t bytes);

// v.resize(count), the new memory advised before it is touched.
template <typename T> void ResizeLarge(std::vector<T> &v, std::size_t count) {
    if (v.capacity() < count) {
        std::vector<T>().swap(v); // the old block goes first: never both at once
        v.reserve(count);
        AdviseHugePages(v.data(), count * sizeof(T));
    }
    v.resize(count);
}

} // namespace diffrascope::optics
