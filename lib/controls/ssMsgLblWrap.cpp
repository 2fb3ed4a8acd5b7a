#include "ssMsgLblWrap.h"

namespace {
bool IsHigh(wchar_t c) { return c >= 0xD800 && c <= 0xDBFF; }
bool IsLow(wchar_t c) { return c >= 0xDC00 && c <= 0xDFFF; }
}  // namespace

int CharUnits(const String& s, int i) {
    auto n = int(s.size());
    return i + 1 < n && IsHigh(s[i]) && IsLow(s[i + 1]) ? 2 : 1;
}

int CharStart(const String& s, int i) {
    return i > 0 && i < int(s.size()) && IsLow(s[i]) && IsHigh(s[i - 1]) ? i - 1 : i;
}

int PrevCharStart(const String& s, int i) { return i <= 0 ? 0 : CharStart(s, i - 1); }

int FitChars(const int* Widths, int Count, int Width, int Pitch) {
    int total = 0, n = 0;
    if (Pitch == 0) {
        // Prefix widths only grow, so the longest prefix within Width is the first that is not.
        while (n < Count && total + Widths[n] <= Width) total += Widths[n++];
    } else {
        while (n < Count && total + Widths[n] < Width) total += Widths[n++] + Pitch;
    }
    return n;
}

int CharsWidth(const int* Widths, int Count, int Pitch) {
    int total = 0;
    for (int i = 0; i < Count; ++i) total += Widths[i] + Pitch;
    return total;
}

std::vector<int> WrapChars(const std::vector<int>& Widths, int Width, int Pitch) {
    std::vector<int> counts;
    int count = int(Widths.size());
    for (int at = 0; at < count;) {
        int n = FitChars(Widths.data() + at, count - at, Width, Pitch);
        if (n == 0) n = 1;
        counts.push_back(n);
        at += n;
    }
    return counts;
}

int VisibleLineCount(int Height, int FontHeight, int Spacing) {
    int step = FontHeight + Spacing;
    if (Height <= 0 || step <= 0) return 0;
    return Height / step + (Height % step > FontHeight ? 1 : 0);
}
