#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "ssPEInfo.h"

namespace {

void PutUInt32(std::string& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = char(v >> (8 * i));
}

TssPEImageTypes TypeOf(const std::string& image) {
    return PEImageType(std::uint32_t(image.size()), [&image](std::uint32_t offset, void* buf, std::uint32_t size) {
        if (std::uint64_t(offset) + size > image.size()) return false;
        std::memcpy(buf, image.data() + offset, size);
        return true;
    });
}

// An "MZ" image of size bytes whose offset at 60 points to peAt, where "PE\0\0" stands when
// it fits.
std::string Image(std::size_t size, std::uint32_t peAt) {
    std::string bytes(size, '\0');
    bytes.replace(0, 2, "MZ");
    if (size >= 64) PutUInt32(bytes, 60, peAt);
    if (std::uint64_t(peAt) + 4 <= size) bytes.replace(peAt, 4, std::string("PE\0\0", 4));
    return bytes;
}

TEST(PEHeader, TypesOfImages) {
    const TssPEImageTypes none, pe16{TssPEImageType::pe16}, pe32{TssPEImageType::pe32};
    struct Case { const char* what; std::string image; TssPEImageTypes type; };
    std::string wrongSignature = Image(200, 128);
    wrongSignature[129] = 'X';
    std::string noMz = Image(200, 128);
    noMz[0] = 'Z';
    const Case cases[] = {
        {"PE header", Image(200, 128), pe32},
        {"PE header at the very end", Image(132, 128), pe32},
        {"offset past the end", Image(200, 197), pe16},
        {"offset near 4 GB", Image(200, 0xFFFFFFFE), pe16},
        {"other signature", wrongSignature, pe16},
        {"PE header without MZ", noMz, pe32},
        {"64 bytes: too short for a PE header", Image(64, 60), pe16},
        {"two bytes only", "MZ", none},
        {"three bytes", "MZ!", pe16},
        {"empty", "", none},
    };
    for (const Case& c : cases) EXPECT_EQ(TypeOf(c.image), c.type) << c.what;
}

}  // namespace
