// Marks the per-byte loops of the pixel routines. On x86-64 each gets an
// AVX2 version besides the baseline, picked at load time on processors that
// have it. Sanitizer builds, and builds that define VELMIR_NO_VECTOR_CLONES,
// keep the baseline only, so that the tests can check both. (The libraries
// holding these loops are compiled with -O3: at -O2 the vectoriser's cost
// model leaves most of them scalar.)
#pragma once

#if defined(__GNUC__) && !defined(__clang__) && defined(__x86_64__) &&                             \
    !defined(__SANITIZE_ADDRESS__) && !defined(VELMIR_NO_VECTOR_CLONES)
#define VELMIR_HOT_LOOP __attribute__((target_clones("avx2", "default")))
#else
#define VELMIR_HOT_LOOP
#endif
