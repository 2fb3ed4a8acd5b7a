// The memory table's loader from untrusted bytes: a damaged file raises EDatabaseError; what
// loads shows every value and saves back to the same bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "MemTable.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    TMemoryStream input;
    input.WriteBuffer(data, size);
    input.SetPosition(0);
    TFDMemTable table(nullptr);
    try {
        table.LoadFromStream(input);
    } catch (const EDatabaseError&) {
        return 0;
    }
    for (table.First(); !table.Eof(); table.Next())
        for (int i = 0; i < table.FieldList().Count(); ++i) (void)table.FieldList()[i]->DisplayText();
    TMemoryStream output;
    table.SaveToStream(output);
    if (output.DataSize() != size || std::memcmp(output.Memory(), data, size) != 0) __builtin_trap();
    return 0;
}
