// An executable image as the header check reads it.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ssPEInfo.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size > 0xFFFFFFFFu) return 0;
    PEImageType(std::uint32_t(size), [data, size](std::uint32_t offset, void* buf, std::uint32_t count) {
        if (std::uint64_t(offset) + count > size) return false;
        std::memcpy(buf, data + offset, count);
        return true;
    });
    return 0;
}
