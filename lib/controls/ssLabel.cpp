#include "ssLabel.h"

#include <algorithm>
#include <vector>

#include "ssOSVer.h"

namespace {
// One drawn character. With accelerator processing "&X" draws an underlined X and "&&" an
// ampersand, so such pairs stay together.
struct TCharUnit {
    String Draw;
    String Shown;
};

std::vector<TCharUnit> CharUnits(const String& text, bool prefix) {
    std::vector<TCharUnit> units;
    for (size_t i = 0; i < text.size(); ++i) {
        if (prefix && text[i] == L'&' && i + 1 < text.size()) {
            units.push_back({text.substr(i, 2), text.substr(i + 1, 1)});
            ++i;
        } else if (prefix && text[i] == L'&') {
            units.push_back({L"&", L""});
        } else {
            units.push_back({text.substr(i, 1), text.substr(i, 1)});
        }
    }
    return units;
}

// Line breaks (CR LF, and a lone LF) become CR.
String NormalizeBreaks(const String& text) {
    String out;
    out.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == L'\r' && i + 1 < text.size() && text[i + 1] == L'\n') continue;
        out += text[i] == L'\n' ? L'\r' : text[i];
    }
    return out;
}

std::vector<String> SplitAtCR(const String& text) {
    std::vector<String> parts;
    size_t start = 0;
    for (size_t cr; (cr = text.find(L'\r', start)) != String::npos; start = cr + 1)
        parts.push_back(text.substr(start, cr - start));
    parts.push_back(text.substr(start));
    return parts;
}

constexpr UINT kAlignFlags = DT_LEFT | DT_CENTER | DT_RIGHT;
}  // namespace

// ---- TssAlignmentOptions ----

SS_PUBLISH(TssAlignmentOptions) {
    p.Property(L"SelfPitch", &TssAlignmentOptions::SelfPitch, &TssAlignmentOptions::SetSelfPitch).Default(false);
}

void TssAlignmentOptions::Assign(const TssAlignmentOptions& src) { SetSelfPitch(src.FSelfPitch); }

void TssAlignmentOptions::SetSelfPitch(bool Value) {
    if (Value == FSelfPitch) return;
    FSelfPitch = Value;
    if (auto* label = dynamic_cast<TssLabel*>(FOwner)) {
        if (Value) label->SetPitch(label->ComputeSelfPitch());
        else label->Invalidate();
    }
}

// ---- TssLabel ----

// Attaches a screen DC with the label's font while no paint or measuring holds the canvas.
class TssLabel::MeasureScope {
public:
    explicit MeasureScope(const TssLabel* label) : FCanvas(label->Canvas()) {
        if (FCanvas->Handle()) return;
        FDC = GetDC(nullptr);
        FCanvas->SetHandle(FDC);
        FCanvas->Font()->Assign(*label->Font());
    }
    ~MeasureScope() {
        if (!FDC) return;
        FCanvas->SetHandle(nullptr);
        ReleaseDC(nullptr, FDC);
    }
    MeasureScope(const MeasureScope&) = delete;
    MeasureScope& operator=(const MeasureScope&) = delete;

private:
    TCanvas* FCanvas;
    HDC FDC = nullptr;
};

// The options come before the pitch, which they may compute.
SS_PUBLISH(TssLabel) {
    p.Property(L"AlignmentOptions", &TssLabel::AlignmentOptions);
    p.Property(L"OldStyle", &TssLabel::OldStyle, &TssLabel::SetOldStyle).Default(false);
    p.Property(L"Pitch", &TssLabel::Pitch, &TssLabel::SetPitch).Default(0);
}

TssLabel::TssLabel(TComponent* AOwner)
    : TLabel(AOwner), FAlignmentOptions(new TssAlignmentOptions(this)), FisAboveXP(TssOSVer().isAboveWinXP()) {}

TssLabel::~TssLabel() { delete FAlignmentOptions; }

int TssLabel::Pitch() const {
    if (FAlignmentOptions->SelfPitch()) FPitch = ComputeSelfPitch();
    return FPitch;
}

void TssLabel::SetPitch(int Value) {
    FPitch = Value;
    Invalidate();
    AdjustBounds();
}

void TssLabel::SetOldStyle(bool v) {
    FOldStyle = v;
    Invalidate();
}

int TssLabel::ComputeSelfPitch() const {
    auto units = CharUnits(FCaption, FShowAccelChar);
    int n = int(units.size());
    if (n < 2) return 0;
    MeasureScope scope(this);
    SetTextCharacterExtra(Canvas()->Handle(), 0);
    String shown;
    for (const auto& u : units) shown += u.Shown;
    int pitch = (FWidth - Canvas()->TextWidth(shown)) / (n - 1);
    return std::max(pitch, 0);
}

void TssLabel::BuildWrappedLines(TStrings* List, const RECT& Rect) {
    List->Clear();
    int p = Pitch();
    int width = Rect.right - Rect.left;
    int firstAdjust = FAlignment == TAlignment::taLeftJustify ? 0 : 1;
    MeasureScope scope(this);
    for (const String& para : SplitAtCR(NormalizeBreaks(FCaption))) {
        if (!FWordWrap || para.empty()) {
            List->Add(para);
            continue;
        }
        String line;
        int total = 0;
        for (const auto& u : CharUnits(para, FShowAccelChar)) {
            int w = Canvas()->TextWidth(u.Shown) + p;
            if (line.empty()) {
                line = u.Draw;
                total = w - firstAdjust;
            } else if (total + w <= width) {
                line += u.Draw;
                total += w;
            } else {
                List->Add(line);
                line = u.Draw;
                total = w - firstAdjust;
            }
        }
        List->Add(line);
    }
}

void TssLabel::BuildLines(TStrings* List) {
    List->Clear();
    for (const String& line : SplitAtCR(NormalizeBreaks(FCaption))) List->Add(line);
}

// The pitch after the last character takes no room.
void TssLabel::AdjustTextRect(RECT& r) {
    int p = Pitch();
    if (p > 0 && FAlignment != TAlignment::taLeftJustify) r.right += p;
}

void TssLabel::DrawLabelText(RECT& r, UINT flags, const String& text) { DrawPitched(r, flags, text); }

int TssLabel::DrawPitched(RECT& r, UINT flags, const String& text) {
    TCanvas* c = Canvas();
    HDC dc = c->Handle();
    SetTextCharacterExtra(dc, 0);
    int p = Pitch();
    auto units = CharUnits(text, !(flags & DT_NOPREFIX));
    std::vector<int> widths;
    int w = 0;
    for (const auto& u : units) w += widths.emplace_back(c->TextWidth(u.Shown));
    int len = int(units.size());
    bool measuring = flags & DT_CALCRECT;
    int n = (r.right - r.left) - p * (len - 1) - w;

    if (FAlignmentOptions->SelfPitch() && n > 0) {
        int th = c->TextHeight(text.empty() ? String(L"W") : text);
        if (!FOldStyle) {
            if (FLayout == TTextLayout::tlCenter) r.top = (FHeight - th) / 2;
            else if (FLayout == TTextLayout::tlBottom) r.top = FHeight - th;
        }
        if (measuring) {
            r.bottom = r.top + th;
            return th;
        }
        UINT charFlags = (flags & ~(kAlignFlags | DT_WORDBREAK)) | DT_SINGLELINE | DT_NOCLIP;
        auto drawAt = [&](int i, int x) {
            RECT cr{x, r.top, x + widths[i] + 1, r.bottom};
            c->DrawText(units[i].Draw, cr, charFlags);
        };
        if (len >= 2) {
            // The leftover pixels widen the gaps around the middle of the text, one each.
            int m = len, k = n + 1;
            if ((len - 1) % 2 == 0) {
                m = len - 1;
                k = n;
            }
            if (k % 2 == 1) ++k;
            int first = std::max(m / 2 - k / 2 + 1, 0);
            int x = r.left, left = n;
            for (int i = 0; i < len; ++i) {
                if (i >= first && left > 0) {
                    ++x;
                    --left;
                }
                drawAt(i, x);
                x += widths[i] + p;
            }
        } else if (len == 1) {
            drawAt(0, r.left + (r.right - r.left - w) / 2);
        }
        return th;
    }

    int height;
    if (FisAboveXP && p != 0 && !FCaption.empty()) {
        height = DrawPitchedLines(r, flags);
    } else {
        SetTextCharacterExtra(dc, p);
        height = c->DrawText(text, r, flags);
        SetTextCharacterExtra(dc, 0);
    }
    if (FAutoSize) r.right -= p;
    return height;
}

int TssLabel::DrawPitchedLines(RECT& r, UINT flags) {
    TCanvas* c = Canvas();
    TStringList lines;
    BuildWrappedLines(&lines, r);
    int p = FPitch;
    int h = c->TextHeight(FCaption);
    int count = lines.Count();
    bool prefix = !(flags & DT_NOPREFIX);
    if (flags & DT_CALCRECT) {
        int widest = 0;
        for (int i = 0; i < count; ++i) {
            auto units = CharUnits(lines[i], prefix);
            int w = 0;
            for (const auto& u : units) w += c->TextWidth(u.Shown);
            widest = std::max(widest, w + int(units.size()) * p);
        }
        r.right = widest;
        r.bottom = count * h;
        return count * h;
    }
    UINT charFlags = (flags & ~(kAlignFlags | DT_WORDBREAK)) | DT_SINGLELINE | DT_NOCLIP;
    int y = r.top;
    for (int i = 0; i < count; ++i, y += h) {
        auto units = CharUnits(lines[i], prefix);
        std::vector<int> widths;
        int w = 0;
        for (const auto& u : units) w += widths.emplace_back(c->TextWidth(u.Shown));
        int chars = int(units.size());
        int x = r.left;
        if (FAlignment == TAlignment::taRightJustify) x = r.right - p - (w + p * (chars - 1));
        else if (FAlignment == TAlignment::taCenter) x = r.left + (r.right - (p + r.left + w + p * (chars - 1))) / 2;
        for (int j = 0; j < chars; ++j) {
            RECT cr{x, y, x + widths[j] + 1, y + h};
            c->DrawText(units[j].Draw, cr, charFlags);
            x += widths[j] + p;
        }
    }
    return count * h;
}
