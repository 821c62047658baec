// Which vector kernels the pixel routines may use. 256-bit kernels are built
// where the compiler can switch them on per function and the processor is
// asked at run time; the Windows build keeps to 128 bits (its compiler does
// not align the stack for 256-bit spills).
#pragma once

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

#if defined(__GNUC__) && defined(__x86_64__) && !defined(_WIN32)
#define QN_WIDE_KERNELS 1
#include <immintrin.h>
#define QN_WIDE __attribute__((target("avx2")))
#define QN_WIDE_MASKED __attribute__((target("avx2,avx512f,avx512bw,avx512vl")))

#include <cstdlib>
#include <cstring>

inline bool HasWideKernels() {
  static const bool has = [] {
    __builtin_cpu_init();
    return __builtin_cpu_supports("avx2") != 0;
  }();
  return has;
}

// The same 256-bit kernels with mask registers and three-input logic where
// the processor has them (a select then costs one instruction, not three).
// QN_KERNELS=avx2 keeps to the plain ones so that the tests cover both.
inline bool HasMaskedWideKernels() {
  static const bool has = [] {
    const char* only = std::getenv("QN_KERNELS");
    return HasWideKernels() && __builtin_cpu_supports("avx512f") && __builtin_cpu_supports("avx512bw") &&
           __builtin_cpu_supports("avx512vl") && !(only && std::strcmp(only, "avx2") == 0);
  }();
  return has;
}
#endif
