#include "MaskUtils.h"

#include <algorithm>

namespace {

bool IsControl(wchar_t c) { return c < 0x20 || c == 0x7F; }

bool IsDigit(wchar_t c) { return c >= L'0' && c <= L'9'; }

bool IsLetter(wchar_t c) {
    if ((c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z')) return true;
    if (c < 0xC0 || c == 0xD7 || c == 0xF7) return false;
    if (c >= 0x2000 && c <= 0x206F) return false;  // general punctuation
    if (c >= 0x3000 && c <= 0x303F) return false;  // CJK spaces and punctuation
    if (c >= 0xD800 && c <= 0xDFFF) return false;  // halves of a pair never stand alone
    if (c >= 0xFF00 && c <= 0xFF20) return false;  // full-width signs and digits
    if (c >= 0xFF3B && c <= 0xFF40) return false;
    if (c >= 0xFF5B && c <= 0xFF65) return false;  // full-width brackets, half-width punctuation
    return c < 0xFFE0;                             // full-width currency signs and specials
}

// Full-width digits, Latin letters and signs as their ASCII forms.
wchar_t NarrowForm(wchar_t c) {
    if ((c >= 0xFF10 && c <= 0xFF19) || (c >= 0xFF21 && c <= 0xFF3A) || (c >= 0xFF41 && c <= 0xFF5A) || c == 0xFF0B ||
        c == 0xFF0D)
        return wchar_t(c - 0xFF01 + 0x21);
    return c;
}

// Case changes of ASCII and Latin-1 letters; other scripts have no case a mask could ask for.
wchar_t ToCase(wchar_t c, TMaskCase Case) {
    bool lower = (c >= L'a' && c <= L'z') || (c >= 0xE0 && c <= 0xFE && c != 0xF7);
    bool upper = (c >= L'A' && c <= L'Z') || (c >= 0xC0 && c <= 0xDE && c != 0xD7);
    if (Case == TMaskCase::mcUpper && lower) return wchar_t(c - 0x20);
    if (Case == TMaskCase::mcLower && upper) return wchar_t(c + 0x20);
    return c;
}

TMaskPosition Slot(wchar_t c, TMaskCase Case) {
    TMaskPosition p;
    p.Case = Case;
    switch (c) {
        case L'0': p.Kind = TMaskCharKind::mkDigit; p.Required = true; break;
        case L'9': p.Kind = TMaskCharKind::mkDigit; break;
        case L'#': p.Kind = TMaskCharKind::mkDigitOrSign; break;
        case L'L': p.Kind = TMaskCharKind::mkLetter; p.Required = true; break;
        case L'l': p.Kind = TMaskCharKind::mkLetter; break;
        case L'A': p.Kind = TMaskCharKind::mkLetterOrDigit; p.Required = true; break;
        case L'a': p.Kind = TMaskCharKind::mkLetterOrDigit; break;
        case L'C': p.Kind = TMaskCharKind::mkAnyChar; p.Required = true; break;
        case L'c': p.Kind = TMaskCharKind::mkAnyChar; break;
        default: p.Literal = c; break;
    }
    return p;
}

}  // namespace

TEditMask::TEditMask(const String& Mask) {
    const std::size_t n = Mask.size();
    std::size_t i = 0;
    TMaskCase Case = TMaskCase::mcAsTyped;
    auto add = [&](TMaskPosition p) {
        // Control characters would cut the window text short; a mask cannot show them.
        if (p.Kind == TMaskCharKind::mkLiteral && IsControl(p.Literal)) return;
        if (FPositions.size() < std::size_t(MaxMaskPositions)) FPositions.push_back(p);
    };
    while (i < n && Mask[i] != L';') {
        wchar_t c = Mask[i++];
        if (c == L'\\') {
            if (i < n) {
                TMaskPosition p;
                p.Literal = Mask[i++];
                add(p);
            }
        } else if (c == L'<' && i < n && Mask[i] == L'>') {
            Case = TMaskCase::mcAsTyped;
            ++i;
        } else if (c == L'<') {
            Case = TMaskCase::mcLower;
        } else if (c == L'>') {
            Case = TMaskCase::mcUpper;
        } else {
            add(Slot(c, Case));
        }
    }
    if (i >= n) return;
    String rest = Mask.substr(i + 1);
    std::size_t sep = rest.find(L';');
    FKeepLiterals = rest.substr(0, sep) != L"0";
    if (sep != String::npos && sep + 1 < rest.size() && !IsControl(rest[sep + 1]))
        FBlank = rest[sep + 1];
}

bool TEditMask::IsEditable(int Pos) const {
    return Pos >= 0 && Pos < Length() && FPositions[std::size_t(Pos)].Kind != TMaskCharKind::mkLiteral;
}

wchar_t TEditMask::Fit(int Pos, wchar_t Ch) const {
    if (!IsEditable(Pos) || IsControl(Ch) || Ch == L' ' || Ch == FBlank) return 0;
    const TMaskPosition& p = FPositions[std::size_t(Pos)];
    wchar_t c = p.Kind == TMaskCharKind::mkAnyChar ? Ch : NarrowForm(Ch);
    bool fits = false;
    switch (p.Kind) {
        case TMaskCharKind::mkDigit: fits = IsDigit(c); break;
        case TMaskCharKind::mkDigitOrSign: fits = IsDigit(c) || c == L'+' || c == L'-'; break;
        case TMaskCharKind::mkLetter: fits = IsLetter(c); break;
        case TMaskCharKind::mkLetterOrDigit: fits = IsLetter(c) || IsDigit(c); break;
        case TMaskCharKind::mkAnyChar: fits = true; break;
        case TMaskCharKind::mkLiteral: break;
    }
    c = fits ? ToCase(c, p.Case) : 0;
    return c == FBlank ? 0 : c;  // a changed form may read as the blank
}

wchar_t TEditMask::Held(const String& EditText, int Pos) const {
    return std::size_t(Pos) < EditText.size() ? Fit(Pos, EditText[std::size_t(Pos)]) : 0;
}

String TEditMask::Blanks() const {
    String s;
    s.reserve(FPositions.size());
    for (const TMaskPosition& p : FPositions) s += p.Kind == TMaskCharKind::mkLiteral ? p.Literal : FBlank;
    return s;
}

String TEditMask::Format(const String& Value, bool WithLiterals) const {
    String text = Blanks();
    if (WithLiterals) {
        Put(text, 0, Value);
        return text;
    }
    std::size_t i = 0;
    for (int pos = NextEditable(0); pos < Length() && i < Value.size(); pos = NextEditable(pos + 1)) {
        for (; i < Value.size(); ++i) {
            wchar_t c = Value[i];
            if (wchar_t f = Fit(pos, c)) text[std::size_t(pos)] = f;
            else if (c != L' ' && c != FBlank) continue;
            ++i;
            break;
        }
    }
    return text;
}

String TEditMask::Extract(const String& EditText, bool WithLiterals) const {
    String value;
    bool filled = false;
    for (int pos = 0; pos < Length(); ++pos) {
        const TMaskPosition& p = FPositions[std::size_t(pos)];
        if (p.Kind == TMaskCharKind::mkLiteral) {
            if (WithLiterals) value += p.Literal;
        } else if (wchar_t c = Held(EditText, pos)) {
            value += c;
            filled = true;
        } else {
            value += L' ';
        }
    }
    return filled ? value : String();
}

int TEditMask::Put(String& EditText, int Pos, const String& Chars) const {
    String text = Blanks();
    for (int pos = NextEditable(0); pos < Length(); pos = NextEditable(pos + 1))
        if (wchar_t c = Held(EditText, pos)) text[std::size_t(pos)] = c;
    int pos = std::max(Pos, 0);
    bool taken = false;
    for (std::size_t i = 0; i < Chars.size() && pos < Length();) {
        const wchar_t c = Chars[i];
        const TMaskPosition& p = FPositions[std::size_t(pos)];
        if (p.Kind == TMaskCharKind::mkLiteral) {
            if (c == p.Literal) {
                ++i;
                taken = true;
            }
            ++pos;
        } else if (wchar_t f = Fit(pos, c)) {
            text[std::size_t(pos++)] = f;
            ++i;
            taken = true;
        } else if (c == L' ' || c == FBlank) {
            text[std::size_t(pos++)] = FBlank;
            ++i;
            taken = true;
        } else {
            int literal = pos;
            while (literal < Length() && IsEditable(literal)) ++literal;
            if (literal < Length() && FPositions[std::size_t(literal)].Literal == c) pos = literal;
            else ++i;
        }
    }
    EditText = text;
    return taken ? pos : -1;
}

void TEditMask::Clear(String& EditText, int Start, int End) const {
    Put(EditText, 0, String());  // brings EditText to the mask's shape
    for (int pos = std::max(Start, 0); pos < std::min(End, Length()); ++pos)
        if (IsEditable(pos)) EditText[std::size_t(pos)] = FBlank;
}

int TEditMask::NextEditable(int Pos) const {
    for (int pos = std::max(Pos, 0); pos < Length(); ++pos)
        if (IsEditable(pos)) return pos;
    return Length();
}

int TEditMask::PrevEditable(int Pos) const {
    for (int pos = std::min(Pos, Length()) - 1; pos >= 0; --pos)
        if (IsEditable(pos)) return pos;
    return -1;
}

int TEditMask::CaretPos(int Pos, bool Forward) const {
    const int end = PrevEditable(Length()) + 1;  // just after the last editable position
    Pos = std::clamp(Pos, 0, Length());
    if (Pos >= end) return end;
    if (IsEditable(Pos)) return Pos;
    if (!Forward)
        if (int before = PrevEditable(Pos); before >= 0) return before;
    return NextEditable(Pos);
}

int TEditMask::FirstMissing(const String& EditText) const {
    for (int pos = 0; pos < Length(); ++pos)
        if (FPositions[std::size_t(pos)].Required && !Held(EditText, pos)) return pos;
    return -1;
}
