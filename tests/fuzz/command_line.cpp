// A command line, as 16-bit characters, split into its arguments.
#include <cstddef>
#include <cstdint>

#include "ssCmdLine.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    String line;
    for (std::size_t i = 0; i + 1 < size; i += 2) line += wchar_t(data[i] | data[i + 1] << 8);
    for (const String& token : CommandLineTokens(line))
        if (token.size() > 8192 || token.size() > line.size()) __builtin_trap();
    return 0;
}
