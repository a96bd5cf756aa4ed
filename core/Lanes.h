#pragma once
// Several lines of a transform side by side, one line per SIMD lane. Every
// lane performs exactly the double operations of the scalar code on its own
// line, so each lane's result is bit for bit the scalar result. The vector
// extensions that GCC and Clang share keep this portable: the widest vector
// the target has natively, down to SSE2 (part of every x86-64); contraction
// stays off (-ffp-contract=off), so no lane ever sees a fused multiply-add.
// The one construct the two compilers spell differently, a two-vector
// shuffle, stands behind one guard per compiler with a plain fallback.

#include <cstdint>
#include <cstring>
#include <utility>

#if defined(__SSE2__)
#include <immintrin.h>
#else
#include <cmath>
#endif

namespace diffrascope::lanes {

#if defined(__AVX512F__)
inline constexpr std::int32_t kCount = 8;
#elif defined(__AVX__)
inline constexpr std::int32_t kCount = 4;
#else
inline constexpr std::int32_t kCount = 2;
#endif

inline constexpr std::int32_t kBytes = kCount * static_cast<std::int32_t>(sizeof(double));

// kCount doubles; memory holding Lanes must be aligned to kBytes.
using Lanes = double __attribute__((vector_size(kBytes)));
using LaneIndices = std::int64_t __attribute__((vector_size(kBytes)));

// kCount 32-bit integers, for grey levels.
using IntLanes = std::int32_t __attribute__((vector_size(kCount * sizeof(std::int32_t))));

inline Lanes Broadcast(double value) { return Lanes{} + value; }

// The correctly rounded square root of every lane, as std::sqrt gives it.
inline Lanes Sqrt(Lanes v) {
#if defined(__AVX512F__)
    // Every lane selected; the unmasked form trips a false uninitialised-use
    // warning in GCC 12's own header.
    return _mm512_maskz_sqrt_pd(0xFF, v);
#elif defined(__AVX__)
    return _mm256_sqrt_pd(v);
#elif defined(__SSE2__)
    return _mm_sqrt_pd(v);
#else
    for (std::int32_t l = 0; l < kCount; ++l) {
        v[l] = std::sqrt(v[l]);
    }
    return v;
#endif
}

// True when every lane of v is below the same lane of bound.
inline bool AllBelow(Lanes v, Lanes bound) {
#if defined(__AVX512F__)
    return _mm512_cmp_pd_mask(v, bound, _CMP_LT_OQ) == 0xFF;
#elif defined(__AVX__)
    return _mm256_movemask_pd(_mm256_cmp_pd(v, bound, _CMP_LT_OQ)) == 0xF;
#elif defined(__SSE2__)
    return _mm_movemask_pd(_mm_cmplt_pd(v, bound)) == 0x3;
#else
    for (std::int32_t l = 0; l < kCount; ++l) {
        if (!(v[l] < bound[l])) {
            return false;
        }
    }
    return true;
#endif
}

// Truncation toward zero of every lane, as a conversion to int32 does it.
inline IntLanes TruncateToInt(Lanes v) { return __builtin_convertvector(v, IntLanes); }

// Unaligned access, for rows that only start on 16 bytes.
inline Lanes LoadUnaligned(const double *from) {
    Lanes v;
    std::memcpy(&v, from, sizeof v);
    return v;
}

inline void StoreUnaligned(double *to, Lanes v) { std::memcpy(to, &v, sizeof v); }

namespace detail {

// One entry of the mask of a transpose round with block size b: the first
// output of a row pair keeps the columns without bit b of the upper row and
// takes the others from the lower row shifted down by b; the second output
// the opposite. Indices from kCount on select from the lower row.
template <std::int32_t kBlock, bool kUpper> constexpr std::int64_t RoundMaskEntry(std::int64_t c) {
    const bool bitSet = (c & kBlock) != 0;
    if constexpr (kUpper) {
        return bitSet ? kCount + c - kBlock : c;
    } else {
        return bitSet ? kCount + c : c + kBlock;
    }
}

// One output row of a transpose round: lane c takes lane RoundMaskEntry(c)
// of the pair (a, b), counting a's lanes first.
template <std::int32_t kBlock, bool kUpper, std::size_t... kColumns>
inline Lanes ShuffleRound(Lanes a, Lanes b, std::index_sequence<kColumns...>) {
#if defined(__clang__)
    return __builtin_shufflevector(a, b, RoundMaskEntry<kBlock, kUpper>(static_cast<std::int64_t>(kColumns))...);
#elif defined(__GNUC__)
    constexpr LaneIndices mask{RoundMaskEntry<kBlock, kUpper>(static_cast<std::int64_t>(kColumns))...};
    return __builtin_shuffle(a, b, mask);
#else
    Lanes out{};
    for (std::int64_t c = 0; c < kCount; ++c) {
        const std::int64_t from = RoundMaskEntry<kBlock, kUpper>(c);
        out[c] = from < kCount ? a[from] : b[from - kCount];
    }
    return out;
#endif
}

template <std::int32_t kBlock> inline void TransposeRound(Lanes *rows) {
    constexpr auto columns = std::make_index_sequence<kCount>();
    for (std::int32_t r = 0; r < kCount; ++r) {
        if ((r & kBlock) == 0) {
            const Lanes a = rows[r];
            const Lanes b = rows[r + kBlock];
            rows[r] = ShuffleRound<kBlock, true>(a, b, columns);
            rows[r + kBlock] = ShuffleRound<kBlock, false>(a, b, columns);
        }
    }
    if constexpr (kBlock > 1) {
        TransposeRound<kBlock / 2>(rows);
    }
}

} // namespace detail

// Transposes a kCount x kCount block held as kCount vectors (rows[r][c]
// becomes rows[c][r]): exchange the off-diagonal halves, then recurse into
// each half. Pure data movement, no arithmetic.
inline void Transpose(Lanes *rows) { detail::TransposeRound<kCount / 2>(rows); }

} // namespace diffrascope::lanes
