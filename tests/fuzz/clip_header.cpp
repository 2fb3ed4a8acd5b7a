// The start of an AVI clip as the animation control reads it.
#include <cstddef>
#include <cstdint>

#include "AviClip.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    ReadClipInfo(std::string_view(reinterpret_cast<const char*>(data), size));
    return 0;
}
