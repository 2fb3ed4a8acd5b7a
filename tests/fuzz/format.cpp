// A format text and its arguments: the first byte says which of the three arguments are
// integers, the rest up to a zero byte is the format (16-bit characters), the rest the texts.
#include <cstddef>
#include <cstdint>

#include "SysUtils.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const unsigned kinds = data[0];
    String fmt, text;
    std::size_t i = 1;
    for (; i + 1 < size && (data[i] || data[i + 1]); i += 2) fmt += wchar_t(data[i] | data[i + 1] << 8);
    for (i += 2; i < size; ++i) text += wchar_t(data[i]);
    auto arg = [&](int n) -> TVarRec {
        if (kinds & (1u << n)) return (long long)((0x8000000000000000ull >> ((kinds >> 3) & 63)) - unsigned(n));
        return text.substr(0, std::size_t(n) * 3);
    };
    // A width of millions only asks for that much memory; leave such formats out.
    for (std::size_t j = 0, run = 0; j < fmt.size(); ++j)
        if ((run = fmt[j] >= L'0' && fmt[j] <= L'9' ? run + 1 : 0) > 6) return 0;
    try {
        Format(fmt, {arg(0), arg(1), arg(2)});
    } catch (const EConvertError&) {
    }
    return 0;
}
