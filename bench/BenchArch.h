// The architecture a benchmark program was built for, printed first by every benchmark so that
// each ratio can be read against the build that produced it.
#pragma once
#include <cstdio>

inline void PrintBenchArchitecture() {
#if defined(_WIN64)
    std::printf("architecture: x86_64 (64-bit Windows build)\n");
#else
    std::printf("architecture: i686 (32-bit Windows build)\n");
#endif
}
