#pragma once

namespace aqv {

// Clears the upper halves of the AVX registers of the calling thread. Creating the
// QApplication leaves them in use on some processors, and while they are every SSE
// instruction of the numeric code on that thread (log10, exp, the Bessel series) runs about
// twenty times slower. Costs nothing where there is no AVX.
inline void ClearUpperVectorState() {
#if defined(__x86_64__) && defined(__GNUC__)
  if (__builtin_cpu_supports("avx")) __asm__ volatile("vzeroupper");
#endif
}

}  // namespace aqv
