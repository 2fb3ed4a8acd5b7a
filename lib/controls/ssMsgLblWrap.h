// The message label's text measure without Windows: characters (a surrogate pair is one), the
// fit of a text in a width from widths measured one character at a time, wrapping by pixels,
// and how many lines a height shows.
#pragma once
#include <vector>

#include "SysUtils.h"

// The number of UTF-16 units of the character at offset i of s: 2 for a whole surrogate pair.
int CharUnits(const String& s, int i);
// Offset i moved back onto the start of its character (off a pair's second half).
int CharStart(const String& s, int i);
// The offset of the character before the one at i (0 stays 0).
int PrevCharStart(const String& s, int i);

// How many leading characters of a text fit in Width, from the widths of its characters alone.
// Without pitch (Pitch 0) the most whose widths sum to at most Width; with pitch a character
// fits while the running total plus its width stays below Width, and each one fitted adds its
// width and the pitch. 0 when not even the first fits.
int FitChars(const int* Widths, int Count, int Width, int Pitch);
// The width of Count characters: their widths, plus the pitch after each.
int CharsWidth(const int* Widths, int Count, int Pitch);

// The characters of each view line a text of these widths wraps into at Width: the fit of the
// rest every time, but at least one character so that wrapping always advances. An empty text
// gives no view line.
std::vector<int> WrapChars(const std::vector<int>& Widths, int Width, int Pitch);

// The lines of height FontHeight + Spacing that a Height shows: whole ones, and a last one whose
// text fits even though its spacing is cut.
int VisibleLineCount(int Height, int FontHeight, int Spacing);
