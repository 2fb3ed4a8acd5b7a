// Sets the common clip given as the first argument (its ordinal among TCommonAVI's values) on a
// library animation control and prints where the clip came from (see ClipSource.h).
#include <cstdio>
#include <cwchar>

#include "ClipSource.h"
#include "Forms.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 2) return 2;
    TForm form(nullptr);
    auto* ani = new TssAnimate(&form);
    ani->SetParent(&form);
    ani->SetCommonAVI(TCommonAVI(std::wcstol(argv[1], nullptr, 10)));
    std::printf("%s\n", ClipSource(*ani).c_str());
    return 0;
}
