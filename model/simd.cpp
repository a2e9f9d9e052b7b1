#include "model/simd.h"

#include <cstdlib>
#include <cstring>

namespace syougi {

namespace {

Simd processor() {
#ifdef SYOUGI_X86_SIMD
  __builtin_cpu_init();
  if (__builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw")) {
    return Simd::kAvx512;
  }
  if (__builtin_cpu_supports("avx2")) return Simd::kAvx2;
#endif
  return Simd::kKihon;
}

Simd detect() {
  Simd s = processor();
  if (const char* e = std::getenv("SYOUGI_SIMD")) {
    if (std::strcmp(e, "kihon") == 0) s = Simd::kKihon;
    if (std::strcmp(e, "avx2") == 0 && s > Simd::kAvx2) s = Simd::kAvx2;
  }
  return s;
}

const Simd kMax = detect();

}  // namespace

Simd simd_detail::ima = kMax;

Simd simdMax() { return kMax; }

void setSimd(Simd s) { simd_detail::ima = s < kMax ? s : kMax; }

}  // namespace syougi
