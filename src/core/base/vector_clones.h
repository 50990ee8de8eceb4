// The loops of the picture pass that work on whole vectors of samples (the
// colour mix, the colours of the shown columns) are built twice on x86-64
// with GCC: for the baseline processor and for one with AVX2, whose vectors
// are twice as wide and which can limit and multiply 32-bit lanes in one
// step. The program takes the version the processor runs when it starts.
// Each sample goes through the same arithmetic in the same order either way
// (AVX2 brings no fused multiply-add), so a pass gives the same pixels on
// every machine. KELO_NO_VECTOR_CLONES builds the baseline version alone,
// and keeps the despeckle filter on its baseline version too (to compare
// the two).
#pragma once

#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(KELO_NO_VECTOR_CLONES)
#define KELO_VECTOR_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define KELO_VECTOR_CLONES
#endif
