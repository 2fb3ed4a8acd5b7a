// An edit mask and a text: the first byte is a caret position, then the mask in 16-bit
// characters up to a zero character, then the text. Formatting and extracting must round-trip,
// texts keep the mask's length and every position answered stays in range.
#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "MaskUtils.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const int caret = data[0];
    String maskText, text;
    std::size_t i = 1;
    for (; i + 1 < size && (data[i] || data[i + 1]); i += 2) maskText += wchar_t(data[i] | data[i + 1] << 8);
    for (i += 2; i + 1 < size; i += 2) text += wchar_t(data[i] | data[i + 1] << 8);

    const TEditMask mask(maskText);
    const int length = mask.Length();
    Check(length <= MaxMaskPositions);
    for (bool withLiterals : {true, false}) {
        const String shown = mask.Format(text, withLiterals);
        Check(int(shown.size()) == length);
        for (bool keep : {true, false}) Check(mask.Format(mask.Extract(shown, keep), keep) == shown);
        // Any text read as an edit text comes back in the mask's shape.
        String normal = text;
        mask.Put(normal, 0, String());
        Check(int(normal.size()) == length);
        Check(mask.Format(mask.Extract(text, withLiterals), withLiterals) == normal);
    }

    String typed = mask.Blanks();
    const int after = mask.Put(typed, caret, text);
    Check(int(typed.size()) == length && after >= -1 && after <= length);
    mask.Clear(typed, caret / 2, caret);
    Check(int(typed.size()) == length);
    const int missing = mask.FirstMissing(typed);
    Check(missing >= -1 && missing < length && (missing < 0 || mask.Position(missing).Required));
    const int next = mask.NextEditable(caret), prev = mask.PrevEditable(caret);
    Check(next >= 0 && next <= length && (next == length || mask.IsEditable(next)));
    Check(prev >= -1 && prev < length && (prev < 0 || mask.IsEditable(prev)));
    for (bool forward : {true, false}) {
        const int pos = mask.CaretPos(caret, forward);
        Check(pos >= 0 && pos <= length && (pos == 0 || mask.IsEditable(pos) || mask.IsEditable(pos - 1)));
    }
    return 0;
}
