#include "AviClip.h"

#include <cstdint>
#include <cstring>

namespace {

// The main header follows the chunk names; frame count and frame size are its 5th, 9th and
// 10th 32-bit values.
constexpr std::size_t kMainHeaderAt = 32;
static_assert(ClipStartSize == kMainHeaderAt + 40);

std::uint32_t ReadUInt32(std::string_view bytes, std::size_t at) {
    std::uint32_t v;
    std::memcpy(&v, bytes.data() + at, sizeof v);
    return v;
}

}  // namespace

TClipInfo ReadClipInfo(std::string_view start) {
    if (start.size() < ClipStartSize || start.substr(0, 4) != "RIFF" || start.substr(8, 4) != "AVI " ||
        start.substr(20, 4) != "hdrl" || start.substr(24, 4) != "avih")
        return {};
    return {int(ReadUInt32(start, kMainHeaderAt + 16)), int(ReadUInt32(start, kMainHeaderAt + 32)),
            int(ReadUInt32(start, kMainHeaderAt + 36))};
}
