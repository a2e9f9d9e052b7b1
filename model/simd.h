// The vector instructions this processor runs beyond the SSE2 of every
// x86-64: the compare of each candidate's attack counts with its parent's
// has a version for each, chosen at run time, so that one build runs
// everywhere and as fast as the processor allows.
#pragma once

#include <cstdint>

// Where the AVX2 and AVX-512 versions are built at all: x86-64, with a
// compiler that builds a function for an instruction set of its own.
#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define SYOUGI_X86_SIMD 1
#endif

namespace syougi {

enum class Simd : uint8_t { kKihon, kAvx2, kAvx512 };

namespace simd_detail {
// Read on every call of a kernel. Zero (the basic kernels) until the
// processor has been asked, so a kernel run before that is still right.
extern Simd ima;
}  // namespace simd_detail

// The level the kernels use now.
inline Simd simd() { return simd_detail::ima; }
// The highest level this processor runs; SYOUGI_SIMD ("kihon", "avx2")
// set in the environment lowers it, to compare the kernels.
Simd simdMax();
// Uses `s`, or the highest level below it that the processor runs. For
// tests and benchmarks of each kernel.
void setSimd(Simd s);

}  // namespace syougi
