// Edit masks: the rules that shape the text of a masked edit, without any window.
//
// A mask has up to three sections separated by ";":   Format [ ";" Keep [ ";" Blank ] ]
//
// Format, one position of the edit text per character:
//   0  digit, required              9  digit, optional
//   #  digit, "+" or "-", optional
//   L  letter, required             l  letter, optional
//   A  letter or digit, required    a  letter or digit, optional
//   C  any character, required      c  any character, optional
//   >  the letters after it are made upper case    <  lower case    <>  left as typed
//   \  the next character is a literal (\0, \;, \\ ...); a "\" at the very end is ignored
//   any other character is a literal: it stands in the text and the caret steps over it
//   ("/" and ":" are plain literals, not the locale's separators).
// Keep: "0" drops the literals from Text, anything else (or no section) keeps them.
// Blank: the first character is shown in empty positions; "_" without the section.
// An unescaped ";" ends a section; sections after the third are ignored. Control characters
// count for nothing (the window could not show them). Only the first
// MaxMaskPositions positions of the format count, so an absurd mask cannot make an absurd text.
//
// Letters are A-Z, a-z and every character from U+00C0 on except digits, spaces and
// punctuation (kana and kanji count as letters). In digit, letter and letter-or-digit positions
// full-width digits and Latin letters are taken as their ASCII forms, as typed with an input
// method left in full-width mode.
//
// Values (what Text answers) show a blank position as a space; a space or the blank character
// put into any editable position empties it, so neither can stand there as itself. A text whose
// editable positions are all blank answers the empty value.
#pragma once
#include <vector>

#include "System.h"

enum class TMaskCharKind { mkLiteral, mkDigit, mkDigitOrSign, mkLetter, mkLetterOrDigit, mkAnyChar };
enum class TMaskCase { mcAsTyped, mcUpper, mcLower };

struct TMaskPosition {
    TMaskCharKind Kind = TMaskCharKind::mkLiteral;
    bool Required = false;
    TMaskCase Case = TMaskCase::mcAsTyped;
    wchar_t Literal = 0;  // the character of a literal position
};

constexpr int MaxMaskPositions = 256;
constexpr wchar_t DefaultMaskBlank = L'_';

class TEditMask {
public:
    TEditMask() = default;  // no positions: a plain edit
    explicit TEditMask(const String& Mask);

    bool Empty() const { return FPositions.empty(); }
    // Positions of the edit text; the edit text always has exactly this many characters.
    int Length() const { return int(FPositions.size()); }
    const TMaskPosition& Position(int Pos) const { return FPositions.at(std::size_t(Pos)); }
    bool KeepLiterals() const { return FKeepLiterals; }
    wchar_t Blank() const { return FBlank; }
    bool IsEditable(int Pos) const;

    // Ch as it stands at Pos once put there (case and full-width forms applied), or 0 when it
    // does not fit there. A space or the blank character never fits.
    wchar_t Fit(int Pos, wchar_t Ch) const;

    // The edit text of an empty value: literals in place, blanks elsewhere.
    String Blanks() const;
    // The edit text of Value. WithLiterals: Value is laid over the positions, a literal in it
    // matching the mask's literal there; otherwise its characters fill the editable positions
    // in order. Characters that fit nowhere are skipped.
    String Format(const String& Value, bool WithLiterals) const;
    // The value of an edit text, with or without the literals (KeepLiterals says which Text uses).
    String Extract(const String& EditText, bool WithLiterals) const;

    // Lays Chars over EditText from Pos on as they would be typed: a character that fits the
    // next editable position goes there, one equal to the literal ahead steps over it (the
    // positions before that literal keep what they hold), a space or the blank character empties
    // a position, anything else is skipped. Answers the position after the last one used, or -1
    // when no character was taken.
    int Put(String& EditText, int Pos, const String& Chars) const;
    // Empties the editable positions of [Start, End) in EditText.
    void Clear(String& EditText, int Start, int End) const;

    // The first editable position at or after Pos, or Length() when there is none.
    int NextEditable(int Pos) const;
    // The last editable position before Pos, or -1 when there is none.
    int PrevEditable(int Pos) const;
    // Where a caret at Pos belongs: at an editable position or just after the last one, searching
    // forward (Forward) or backward first. Answers 0 for a mask without editable positions.
    int CaretPos(int Pos, bool Forward) const;

    // The first required position of EditText that is empty, or -1 when all are filled.
    int FirstMissing(const String& EditText) const;

private:
    // The character of EditText at an editable Pos, or 0 when it is empty or does not fit.
    wchar_t Held(const String& EditText, int Pos) const;
    std::vector<TMaskPosition> FPositions;
    bool FKeepLiterals = true;
    wchar_t FBlank = DefaultMaskBlank;
};
