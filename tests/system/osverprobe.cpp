// Prints "major minor aboveXP aboveVista aboveWin7 aboveWin10 win7 productType" of this process.
#include <cstdio>

#include "ssOSVer.h"

int wmain() {
    TssOSVer v;
    std::printf("%d %d %d %d %d %d %d %ls\n", v.MajorVersion(), v.MinorVersion(), v.isAboveWinXP(),
                v.isAboveWinVista(), v.isAboveWin7(), v.isAboveWin10(), v.isWin7(), v.ProductType().c_str());
    return 0;
}
