// Era-file text as the era table reads it from the file.
#include <cstddef>
#include <cstdint>

#include "ssEraTbl.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TssEraTable table{TssEraDefaults{}};
    table.LoadFromText(AnsiString(reinterpret_cast<const char*>(data), size));
    // Whatever was read, the table stays inside its ten entries and its names inside their sizes.
    if (table.Count() < 4 || table.Count() > TssEraInfoArray::High) __builtin_trap();
    for (const TEra& era : table.Table().Items)
        if (int(era.LongName.size()) > TEra::LongNameSize || int(era.ShortName.size()) > TEra::ShortNameSize ||
            int(era.Initial.size()) > TEra::InitialSize)
            __builtin_trap();
    return 0;
}
