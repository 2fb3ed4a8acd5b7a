// The ANSI code page seam of the native build: code page 932, as a Japanese Windows has it,
// through glibc's iconv. Limits: it serves tests and fuzzing, not a product. A character that
// code page 932 lacks becomes "?" (Windows first tries a look-alike: "é" becomes "e"); a byte or
// pair that does not decode becomes U+30FB where Windows may answer another character; wchar_t
// is 32 bits here, so a character outside the basic plane is one unit, not a surrogate pair.
#include <iconv.h>

#include <stdexcept>

#include "SysUtils.h"

namespace {

// One conversion direction, opened for a call and closed on every path.
class TConverter {
public:
    TConverter(const char* to, const char* from) : FCd(iconv_open(to, from)) {
        if (FCd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv: code page 932 is missing");
    }
    ~TConverter() { iconv_close(FCd); }
    TConverter(const TConverter&) = delete;
    TConverter& operator=(const TConverter&) = delete;

    // Converts one character's bytes; false when it has no counterpart.
    bool Convert(const char* in, std::size_t inSize, char* out, std::size_t& outSize) {
        iconv(FCd, nullptr, nullptr, nullptr, nullptr);
        char* src = const_cast<char*>(in);
        std::size_t left = inSize, room = outSize;
        char* dst = out;
        if (iconv(FCd, &src, &left, &dst, &room) == std::size_t(-1) || left != 0) return false;
        outSize -= room;
        return true;
    }

private:
    iconv_t FCd;
};

}  // namespace

bool IsAnsiLeadByte(unsigned char b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

AnsiString StringToAnsi(const String& s) {
    if (s.empty()) return {};
    TConverter cv("CP932", "UTF-32LE");
    AnsiString r;
    for (wchar_t c : s) {
        char32_t code = char32_t(c);
        char in[4] = {char(code & 0xFF), char((code >> 8) & 0xFF), char((code >> 16) & 0xFF), char(code >> 24)};
        char out[8];
        std::size_t n = sizeof out;
        if (cv.Convert(in, 4, out, n)) r.append(out, n);
        else r += '?';
    }
    return r;
}

String AnsiToString(const AnsiString& s) {
    if (s.empty()) return {};
    TConverter cv("UTF-32LE", "CP932");
    String r;
    for (std::size_t i = 0; i < s.size();) {
        std::size_t len = IsAnsiLeadByte(static_cast<unsigned char>(s[i])) && i + 1 < s.size() ? 2 : 1;
        char out[8];
        std::size_t n = sizeof out;
        if (cv.Convert(s.data() + i, len, out, n) && n == 4) {
            const auto* u = reinterpret_cast<const unsigned char*>(out);
            r += wchar_t(u[0] | u[1] << 8 | u[2] << 16 | u[3] << 24);
        } else {
            r += wchar_t(0x30FB);
        }
        i += len;
    }
    return r;
}
