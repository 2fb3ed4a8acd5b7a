// Component streams from untrusted bytes: the first byte picks the form (even: binary, read into
// a component tree and converted to text; odd: text, converted to binary and back).
#include <cstddef>
#include <cstdint>
#include <cstring>

#include "ObjectText.h"
#include "StreamFixture.h"

namespace {
bool SameBytes(const TMemoryStream& a, const TMemoryStream& b) {
    return a.DataSize() == b.DataSize() && std::memcmp(a.Memory(), b.Memory(), a.DataSize()) == 0;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const bool registered = (RegisterTestClasses(), true);
    (void)registered;
    if (size == 0) return 0;
    TMemoryStream input;
    input.WriteBuffer(data + 1, size - 1);
    input.SetPosition(0);
    if (data[0] & 1) {
        TMemoryStream binary;
        try {
            ObjectTextToBinary(input, binary);
        } catch (const EReadError&) {
            return 0;  // the text's fault, reported as such
        }
        // What the parser made converts to text and back to the same bytes.
        binary.SetPosition(0);
        TMemoryStream text, again;
        ObjectBinaryToText(binary, text);
        text.SetPosition(0);
        ObjectTextToBinary(text, again);
        if (!SameBytes(binary, again)) __builtin_trap();
        return 0;
    }
    try {
        TTestNode root(nullptr);
        ReadComponentStream(input, &root);
        // Whatever was accepted writes out and reads back alike.
        TMemoryStream written;
        WriteComponentStream(written, &root);
        written.SetPosition(0);
        TTestNode copy(nullptr);
        ReadComponentStream(written, &copy);
        if (StreamText(&copy) != StreamText(&root)) __builtin_trap();
    } catch (const EReadError&) {
    }
    input.SetPosition(0);
    try {
        TMemoryStream text;
        ObjectBinaryToText(input, text);
    } catch (const EReadError&) {
    }
    return 0;
}
