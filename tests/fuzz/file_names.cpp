// A found name and a rename mask, or a source and a destination path pattern, one per line.
#include <cstddef>
#include <cstdint>

#include "SysUtils.h"
#include "ssFileNames.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

bool StartsWith(const String& text, const String& prefix) { return text.compare(0, prefix.size(), prefix) == 0; }

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    String first, second;
    std::size_t i = 0;
    for (; i < size && data[i] != '\n'; ++i) first += wchar_t(data[i]);
    for (++i; i < size; ++i) second += wchar_t(data[i]);

    // The mask writes over the name: no longer than both together, the mask itself without a wildcard.
    const String renamed = RenamedName(first, second);
    Check(renamed.size() <= first.size() + second.size() + 1);
    if (!HasWildcard(second)) Check(renamed == second);

    for (const String& path : {first, second, PlainPath(first)}) {
        String folder, name;
        SplitPattern(path, folder, name);
        Check(StartsWith(path, folder) && !name.empty());
        String head, component, tail;
        if (SplitAtWildcard(folder, head, component, tail)) {
            Check(StartsWith(folder, head + component) && HasWildcard(component));
            Check(component.find(L'\\') == String::npos);
            TakesEveryName(component, tail, ExtractFileName(path));
        }
    }
    ConcreteFolder(first, second);
    ReplaceWildcard(second, first);
    Check(NumberedName(first, 2, false).size() == first.size() + 4);
    return 0;
}
