#include "Grid.h"

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <utility>

#include "Trace.h"

namespace diffrascope {
namespace {

AllocationFailureFilter failureFilter;

// Zero-filled memory for the integer buffers, plain memory for the doubles:
// both are then zeroed in a pass of their own, so the zero fill never depends
// on the allocator.
enum class Fill { ZeroRequested, Plain };

// Every request starts on a cache line, so that rows can be read and written
// a whole vector at a time. The size is rounded up as aligned_alloc requires.
void *Obtain(std::size_t count, std::size_t size, Fill fill) {
    if (size != 0 && count > SIZE_MAX / size - kBlockAlignment) {
        return nullptr;
    }
    const std::size_t bytes = count * size;
    if (failureFilter && failureFilter(bytes)) {
        return nullptr;
    }
    const std::size_t rounded = (bytes + kBlockAlignment - 1) / kBlockAlignment * kBlockAlignment;
    void *memory = std::aligned_alloc(kBlockAlignment, rounded == 0 ? kBlockAlignment : rounded);
    if (memory != nullptr && fill == Fill::ZeroRequested) {
        std::memset(memory, 0, rounded);
    }
    return memory;
}

template <typename T> void ReleaseRows(std::int32_t rows, T **grid) {
    for (std::int32_t i = 0; i < rows; ++i) {
        std::free(grid[i]);
    }
    std::free(grid);
}

template <typename T>
Status AllocateGrid(std::int32_t rows, std::int32_t cols, T **&grid, Fill fill, const char *rowFailureTrace) {
    grid = nullptr;
    if (rows <= 0 || cols <= 0) {
        return kFailure;
    }
    auto **rowPointers = static_cast<T **>(Obtain(static_cast<std::size_t>(rows), sizeof(T *), Fill::Plain));
    if (rowPointers == nullptr) {
        return kFailure;
    }
    for (std::int32_t i = 0; i < rows; ++i) {
        rowPointers[i] = static_cast<T *>(Obtain(static_cast<std::size_t>(cols), sizeof(T), fill));
        if (rowPointers[i] == nullptr) {
            if (rowFailureTrace != nullptr) {
                WriteTrace(rowFailureTrace);
            }
            ReleaseRows(i, rowPointers);
            return kFailure;
        }
    }
    for (std::int32_t i = 0; i < rows; ++i) {
        for (std::int32_t j = 0; j < cols; ++j) {
            rowPointers[i][j] = T{0};
        }
    }
    grid = rowPointers;
    return kSuccess;
}

template <typename T> Status AllocateVector(std::int32_t count, T *&vector, Fill fill) {
    vector = nullptr;
    if (count <= 0) {
        return kFailure;
    }
    auto *buffer = static_cast<T *>(Obtain(static_cast<std::size_t>(count), sizeof(T), fill));
    if (buffer == nullptr) {
        return kFailure;
    }
    for (std::int32_t i = 0; i < count; ++i) {
        buffer[i] = T{0};
    }
    vector = buffer;
    return kSuccess;
}

template <typename T> Status ReleaseAnyGrid(std::int32_t rows, T **&grid) {
    if (grid != nullptr) {
        ReleaseRows(rows, grid);
        grid = nullptr;
    }
    return kSuccess;
}

} // namespace

Status AllocateIntGrid(std::int32_t rows, std::int32_t cols, IntGrid &grid) {
    return AllocateGrid(rows, cols, grid, Fill::ZeroRequested, "Alloc Error  !!\n");
}

Status AllocateRealGrid(std::int32_t rows, std::int32_t cols, RealGrid &grid) {
    return AllocateGrid(rows, cols, grid, Fill::Plain, nullptr);
}

Status AllocateIntVector(std::int32_t count, IntVector &vector) {
    const Status status = AllocateVector(count, vector, Fill::ZeroRequested);
    if (status == kSuccess) {
        WriteTrace("extended int\n");
    }
    return status;
}

Status AllocateRealVector(std::int32_t count, RealVector &vector) {
    return AllocateVector(count, vector, Fill::Plain);
}

Status ReleaseGrid(std::int32_t rows, std::int32_t /*cols*/, IntGrid &grid) { return ReleaseAnyGrid(rows, grid); }

Status ReleaseGrid(std::int32_t rows, std::int32_t /*cols*/, RealGrid &grid) { return ReleaseAnyGrid(rows, grid); }

void ReleaseVector(IntVector &vector) {
    std::free(vector);
    vector = nullptr;
}

void ReleaseVector(RealVector &vector) {
    std::free(vector);
    vector = nullptr;
}

Status ScaleGrid(double factor, std::int32_t rows, std::int32_t cols, RealGrid &grid) {
    for (std::int32_t i = 0; i < rows; ++i) {
        for (std::int32_t j = 0; j < cols; ++j) {
            grid[i][j] = factor * grid[i][j];
        }
    }
    return kSuccess;
}

Status ClampGrid(std::int32_t low, std::int32_t high, std::int32_t rows, std::int32_t cols, IntGrid &grid) {
    for (std::int32_t i = 0; i < rows; ++i) {
        for (std::int32_t j = 0; j < cols; ++j) {
            std::int32_t value = grid[i][j];
            if (value < low) {
                value = low;
            }
            if (value >= high) {
                value = high;
            }
            grid[i][j] = value;
        }
    }
    return kSuccess;
}

double GridMaximum(std::int32_t rows, std::int32_t cols, const double *const *grid) {
    double maximum = 0.0;
    for (std::int32_t i = 0; i < rows; ++i) {
        for (std::int32_t j = 0; j < cols; ++j) {
            if (grid[i][j] >= maximum) {
                maximum = grid[i][j];
            }
        }
    }
    return maximum;
}

Status AllocateBlock(std::size_t bytes, void *&block) {
    block = Obtain(bytes, 1, Fill::Plain);
    return block != nullptr ? kSuccess : kFailure;
}

void ReleaseBlock(void *&block) {
    std::free(block);
    block = nullptr;
}

void SetAllocationFailureFilter(AllocationFailureFilter filter) { failureFilter = std::move(filter); }

} // namespace diffrascope
