// The data grids on a shown form against plain loops over the same data.
#include <algorithm>
#include <cstring>
#include <functional>
#include <utility>

#include "BenchArch.h"
#include "DataGridBench.h"
#include "Forms.h"
#include "ssUnits.h"

// datagrid_bench [NAME...]: only the comparisons named, all without arguments.
int main(int argc, char** argv) {
    PrintBenchArchitecture();
    RegisterLibraryUnits();
    Application->Initialize();
    const std::pair<const char*, std::function<void()>> comparisons[] = {
        {"repaint", DataGridRepaintComparison},
        {"smooth-steps", SmoothSteps},
        {"smooth-memory", SmoothMemory},
    };
    for (const auto& [name, run] : comparisons)
        if (argc < 2 || std::any_of(argv + 1, argv + argc, [&](const char* a) { return std::strcmp(a, name) == 0; }))
            run();
    return 0;
}
