// The grid's stream properties from untrusted bytes. The first two bytes give the grid's column
// and row counts; the rest is the property part of a component stream (names and values up to
// the end marker, then the children's end marker), read through the framework's reader into a
// component whose defined properties go through the grid's stream reader.
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "GridStreamRecorder.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    static const char header[] = "SSC1\x13TGridStreamRecorder\x00";
    TMemoryStream input;
    input.WriteBuffer(header, sizeof header - 1);
    input.WriteBuffer(data + 2, size - 2);
    input.SetPosition(0);
    TGridStreamRecorder grid(nullptr);
    grid.ColCount = 1 + data[0] % 64;
    grid.RowCount = 1 + data[1] % 64;
    try {
        ReadComponentStream(input, &grid);
    } catch (const EReadError&) {
        return 0;  // the stream's fault, reported as such
    }
    return 0;
}
