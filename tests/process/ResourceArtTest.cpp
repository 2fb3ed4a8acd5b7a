// The clips and glyph bitmaps as this test program carries them (the same resource scripts
// that the application links).
#include <gtest/gtest.h>

#include <cstring>
#include <string_view>
#include <vector>

#include "WinApi.h"

namespace {

std::string_view Resource(LPCWSTR name, LPCWSTR type) {
    HMODULE self = GetModuleHandleW(nullptr);
    HRSRC res = FindResourceW(self, name, type);
    if (!res) return {};
    return {static_cast<const char*>(LockResource(LoadResource(self, res))), SizeofResource(self, res)};
}

template <typename T>
T Read(std::string_view bytes, size_t at = 0) {
    T v{};
    if (at + sizeof v <= bytes.size()) std::memcpy(&v, bytes.data() + at, sizeof v);
    return v;
}

// One level of RIFF chunks; a list's data starts with its list type.
struct Chunk {
    std::string_view Id, Data;
    size_t At;  // where the chunk starts within the walked bytes
};

std::vector<Chunk> Chunks(std::string_view bytes) {
    std::vector<Chunk> chunks;
    for (size_t at = 0; at + 8 <= bytes.size();) {
        auto size = Read<std::uint32_t>(bytes, at + 4);
        if (at + 8 + size > bytes.size()) {
            ADD_FAILURE() << "chunk past the end at " << at;
            break;
        }
        chunks.push_back({bytes.substr(at, 4), bytes.substr(at + 8, size), at});
        at += 8 + size + (size & 1);
    }
    return chunks;
}

// The data of the list of the given type (or of the first chunk of the given identifier).
std::string_view Find(std::string_view bytes, std::string_view id) {
    for (const Chunk& c : Chunks(bytes))
        if (c.Id == id || (c.Id == "LIST" && c.Data.substr(0, 4) == id)) return c.Id == "LIST" ? c.Data.substr(4) : c.Data;
    ADD_FAILURE() << "no " << id;
    return {};
}

// Decodes one 8-bit run-length frame; empty when the data breaks the encoding or leaves a pixel
// unwritten.
std::vector<std::uint8_t> DecodeRle8(std::string_view data, int width, int height) {
    std::vector<std::uint8_t> image(size_t(width * height));
    size_t written = 0;
    int x = 0, y = 0;
    for (size_t i = 0; i + 1 < data.size();) {
        auto count = std::uint8_t(data[i]), value = std::uint8_t(data[i + 1]);
        i += 2;
        if (count > 0 || value >= 3) {  // a run, or value literal pixels
            int n = count > 0 ? count : value;
            if (y >= height || x + n > width || (count == 0 && i + n > data.size())) return {};
            for (int k = 0; k < n; ++k) image[size_t(y * width + x + k)] = count > 0 ? value : std::uint8_t(data[i + k]);
            if (count == 0) i += n + (n & 1);
            x += n;
            written += n;
        } else if (value == 0) {  // end of line
            x = 0;
            ++y;
        } else if (value == 1) {  // end of bitmap
            return written == image.size() ? image : std::vector<std::uint8_t>();
        } else {
            return {};  // a jump leaves pixels unwritten
        }
    }
    return {};
}

TEST(ProgressClips, HeadersAndEveryFrame) {
    struct Case { int id, width, height, frames; };
    for (const Case c : {Case{160, 272, 60, 34}, Case{164, 304, 60, 24}}) {
        SCOPED_TRACE(c.id);
        std::string_view file = Resource(MAKEINTRESOURCEW(c.id), L"AVI");
        ASSERT_FALSE(file.empty());
        auto riff = Chunks(file);
        ASSERT_EQ(riff.size(), 1u);
        ASSERT_EQ(riff[0].Id, "RIFF");
        ASSERT_EQ(riff[0].Data.substr(0, 4), "AVI ");
        std::string_view body = riff[0].Data.substr(4), hdrl = Find(body, "hdrl");

        std::string_view avih = Find(hdrl, "avih");
        EXPECT_EQ(Read<std::uint32_t>(avih, 0), 100000u) << "microseconds per frame";
        EXPECT_EQ(Read<std::uint32_t>(avih, 16), std::uint32_t(c.frames));
        EXPECT_EQ(Read<std::uint32_t>(avih, 24), 1u) << "streams";
        EXPECT_EQ(Read<std::uint32_t>(avih, 32), std::uint32_t(c.width));
        EXPECT_EQ(Read<std::uint32_t>(avih, 36), std::uint32_t(c.height));

        std::string_view strl = Find(hdrl, "strl"), strh = Find(strl, "strh"), strf = Find(strl, "strf");
        EXPECT_EQ(strh.substr(0, 8), "vidsmrle");
        EXPECT_EQ(Read<std::uint32_t>(strh, 24) / Read<std::uint32_t>(strh, 20), 10u) << "frames per second";
        EXPECT_EQ(Read<std::uint32_t>(strh, 32), std::uint32_t(c.frames));
        auto bih = Read<BITMAPINFOHEADER>(strf);
        EXPECT_EQ(bih.biWidth, c.width);
        EXPECT_EQ(bih.biHeight, c.height);
        EXPECT_EQ(bih.biBitCount, 8);
        EXPECT_EQ(bih.biCompression, DWORD(BI_RLE8));
        EXPECT_NE(bih.biSizeImage, 0u);

        // Every frame is a whole picture, the index points at each one, and the pictures move.
        std::string_view movi = Find(body, "movi"), idx1 = Find(body, "idx1");
        auto frames = Chunks(movi);
        ASSERT_EQ(frames.size(), size_t(c.frames));
        ASSERT_EQ(idx1.size(), size_t(c.frames) * 16);
        std::vector<std::vector<std::uint8_t>> pictures;
        for (size_t f = 0; f < frames.size(); ++f) {
            EXPECT_EQ(frames[f].Id, "00dc");
            EXPECT_EQ(idx1.substr(f * 16, 4), "00dc");
            EXPECT_EQ(Read<std::uint32_t>(idx1, f * 16 + 8), frames[f].At + 4) << "offset from 'movi'";
            EXPECT_EQ(Read<std::uint32_t>(idx1, f * 16 + 12), frames[f].Data.size());
            pictures.push_back(DecodeRle8(frames[f].Data, c.width, c.height));
            EXPECT_FALSE(pictures.back().empty()) << "frame " << f;
        }
        EXPECT_NE(pictures.front(), pictures[pictures.size() / 2]);
    }
}

TEST(GlyphBitmaps, SizeDepthAndTransparentCorner) {
    const COLORREF olive = RGB(128, 128, 0), white = RGB(255, 255, 255);
    struct Case { const wchar_t* name; int width; COLORREF corner; };
    const Case cases[] = {
        {L"SSBBOK", 36, olive},     {L"SSBBCANCEL", 36, olive}, {L"SSBBHELP", 36, olive},
        {L"SSBBYES", 36, olive},    {L"SSBBNO", 36, olive},     {L"SSBBCLOSE", 36, olive},
        {L"SSBBABORT", 36, olive},  {L"SSBBRETRY", 36, olive},  {L"SSBBIGNORE", 36, olive},
        {L"SSBBALL", 36, olive},    {L"SSBBALLEXIT", 32, white}, {L"SSBBEXITTOMAIN", 32, white},
    };
    HDC dc = CreateCompatibleDC(nullptr);
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::PrintToString(std::wstring(c.name)));
        auto bitmap = HBITMAP(LoadImageW(GetModuleHandleW(nullptr), c.name, IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION));
        ASSERT_NE(bitmap, nullptr);
        DIBSECTION dib{};
        ASSERT_EQ(GetObjectW(bitmap, sizeof dib, &dib), int(sizeof dib));
        EXPECT_EQ(dib.dsBm.bmWidth, c.width);
        EXPECT_EQ(dib.dsBm.bmHeight, 18);
        EXPECT_EQ(dib.dsBm.bmBitsPixel, 4);
        HGDIOBJ old = SelectObject(dc, bitmap);
        EXPECT_EQ(GetPixel(dc, 0, 17), c.corner);
        // Each half holds a picture: something besides the background colour.
        for (int half = 0; half < 2; ++half) {
            bool drawn = false;
            for (int y = 0; y < 18 && !drawn; ++y)
                for (int x = half * c.width / 2; x < (half + 1) * c.width / 2 && !drawn; ++x)
                    drawn = GetPixel(dc, x, y) != c.corner;
            EXPECT_TRUE(drawn) << "half " << half;
        }
        SelectObject(dc, old);
        DeleteObject(bitmap);
    }
    DeleteDC(dc);
}

}  // namespace
