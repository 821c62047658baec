// Which vector kernels the pixel routines may use. 256- and 512-bit kernels
// are built where the compiler can switch them on per function and the
// processor is asked at run time; the Windows build keeps to 128 bits (its
// compiler does not align the stack for wide spills).
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)
#define QN_WIDE_KERNELS 1
#include <immintrin.h>
#define QN_WIDE __attribute__((target("avx2")))
#define QN_WIDE_MASKED __attribute__((target("avx2,avx512f,avx512bw,avx512vl,avx512vbmi")))

#include <cstdlib>
#include <cstring>

inline bool HasWideKernels() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}

// Kernels with 512-bit registers, mask registers, three-input logic and
// byte permutes where the processor has them: sixteen pixels a step, and the
// end of a row in the same loop through a masked load and store instead of
// narrower passes. QN_KERNELS=avx2 keeps to the plain 256-bit ones so that
// the tests cover both.
inline bool HasMaskedWideKernels() {
  static const bool has = [] {
    const char* only = std::getenv("QN_KERNELS");
    return HasWideKernels() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vl") && __builtin_cpu_supports("avx512vbmi") &&
           !(only && std::strcmp(only, "avx2") == 0);
  }();
  return has;
}

// Lanes 0..n - 1 of sixteen, for the last part of a row (0 < n < 16).
inline __mmask16 FirstLanes(int n) { return __mmask16((1u << n) - 1); }

// Sixteen pixels from p, those outside lanes read as 0.
QN_WIDE_MASKED inline __m512i Load16(const uint32_t* p, __mmask16 lanes) {
  __m512i v = lanes == 0xFFFF ? _mm512_loadu_si512(p) : _mm512_maskz_loadu_epi32(lanes, p);
  // Otherwise the compiler may read the same line again for each use.
  asm("" : "+v"(v));
  return v;
}
QN_WIDE_MASKED inline void Store16(uint32_t* p, __mmask16 lanes, __m512i v) {
  if (lanes == 0xFFFF)
    _mm512_storeu_si512(p, v);
  else
    _mm512_mask_storeu_epi32(p, lanes, v);
}

// Each 16-bit lane's low byte moved up into its high byte (a left shift by
// 8) as a byte shuffle, which leaves the port of the multiplies free.
QN_WIDE_MASKED inline __m512i LowBytesUp(__m512i v) {
  return _mm512_shuffle_epi8(v, _mm512_set4_epi32(0x0E800C80, 0x0A800880, 0x06800480, 0x02800080));
}

// The high bytes of the 16-bit lanes of lo and hi, made from the low and
// high halves of each 128-bit block (the byte unpacks), back in pixel order:
// one byte permute for two shifts and a pack.
QN_WIDE_MASKED inline __m512i HighBytesInOrder(__m512i lo, __m512i hi) {
  alignas(64) static constexpr uint8_t order[64] = {
      1,  3,  5,  7,  9,  11, 13, 15, 65,  67,  69,  71,  73,  75,  77,  79,
      17, 19, 21, 23, 25, 27, 29, 31, 81,  83,  85,  87,  89,  91,  93,  95,
      33, 35, 37, 39, 41, 43, 45, 47, 97,  99,  101, 103, 105, 107, 109, 111,
      49, 51, 53, 55, 57, 59, 61, 63, 113, 115, 117, 119, 121, 123, 125, 127};
  return _mm512_permutex2var_epi8(lo, _mm512_load_si512(order), hi);
}

// (a + b) >> 1 in the bytes of `which` (the rounded-up mean less the odd
// bit), a's bytes elsewhere.
QN_WIDE_MASKED inline __m512i FloorMeanBytes(__m512i a, __m512i b, __mmask64 which) {
  // 0x28: (a ^ b) & c.
  const __m512i odd = _mm512_ternarylogic_epi32(a, b, _mm512_set1_epi8(1), 0x28);
  return _mm512_mask_sub_epi8(a, which, _mm512_avg_epu8(a, b), odd);
}

// Runs step(i, lanes) over pixels 0..n - 1 of a row sixteen at a time, the
// pieces split on the 64-byte lines of d: a store across two lines costs
// about twice one within a line, and the pieces at either end are masked.
template <typename Step>
QN_WIDE_MASKED inline void EachSixteen(const uint32_t* d, int n, const Step& step) {
  int i = int((0 - reinterpret_cast<uintptr_t>(d)) >> 2 & 15);
  if (i >= n) {
    step(0, FirstLanes(n));
    return;
  }
  if (i) step(0, FirstLanes(i));
  for (; i + 32 <= n; i += 32) step(i, __mmask16(0xFFFF)), step(i + 16, __mmask16(0xFFFF));
  if (i + 16 <= n) step(i, __mmask16(0xFFFF)), i += 16;
  if (i < n) step(i, FirstLanes(n - i));
}
#endif
