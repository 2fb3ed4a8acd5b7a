// A trash destination and a source folder, one per line, reduced by the trash layout's rules.
#include <cstddef>
#include <cstdint>

#include "ssTrashRules.h"

namespace {

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    String destination, source;
    std::size_t i = 0;
    for (; i < size && data[i] != '\n'; ++i) destination += wchar_t(data[i]);
    for (++i; i < size; ++i) source += wchar_t(data[i]);

    Check(StripWildcards(destination).find_first_of(L"*?") == String::npos);
    const String trash = NormalizeTrashFolder(destination);
    Check(trash.size() <= destination.size() && trash.find_first_of(L"*?") == String::npos);
    IsDriveRootOrNothing(trash);
    const String path = NormalizeTrashFolder(AfterColon(source));
    const String part = RelativeFolder(path, trash);
    Check(path.compare(path.size() - part.size(), part.size(), part) == 0);
    const int day = TrashRootDay(source);
    Check(day >= -1 && day <= 99999999);
    return 0;
}
