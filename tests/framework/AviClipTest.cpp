#include <gtest/gtest.h>

#include <cstdint>
#include <string>

#include "AviClip.h"

namespace {

void PutUInt32(std::string& bytes, std::size_t at, std::uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes[at + i] = char(v >> (8 * i));
}

// The start of a clip as a writer lays it out: the chunk names and a main header with the
// frame count 12 and the frame size 80 x 50.
std::string ClipStart() {
    std::string bytes(ClipStartSize, '\0');
    bytes.replace(0, 4, "RIFF");
    bytes.replace(8, 8, "AVI LIST");
    bytes.replace(20, 8, "hdrlavih");
    PutUInt32(bytes, 28, 56);
    PutUInt32(bytes, 48, 12);
    PutUInt32(bytes, 64, 80);
    PutUInt32(bytes, 68, 50);
    return bytes;
}

TEST(ClipHeader, FramesAndSizeFromTheMainHeader) {
    TClipInfo info = ReadClipInfo(ClipStart());
    EXPECT_EQ(info.Frames, 12);
    EXPECT_EQ(info.Width, 80);
    EXPECT_EQ(info.Height, 50);
    EXPECT_EQ(ReadClipInfo(ClipStart() + "more chunks").Frames, 12);
}

TEST(ClipHeader, AnythingElseReadsAsNoClip) {
    struct Case { const char* what; std::size_t at; const char* text; };
    const Case cases[] = {
        {"no RIFF", 0, "RIFX"}, {"not AVI", 8, "WAVE"}, {"no header list", 20, "movi"}, {"no main header", 24, "strh"},
    };
    for (const Case& c : cases) {
        std::string bytes = ClipStart();
        bytes.replace(c.at, 4, c.text);
        EXPECT_EQ(ReadClipInfo(bytes).Frames, 0) << c.what;
    }
    EXPECT_EQ(ReadClipInfo(ClipStart().substr(0, ClipStartSize - 1)).Frames, 0);  // header cut short
    EXPECT_EQ(ReadClipInfo("").Frames, 0);
}

}  // namespace
