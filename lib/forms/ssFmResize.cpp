#include "ssFmResize.h"

#include <algorithm>
#include <climits>
#include <cmath>

#include "ssGrids.h"
#include "ssVirDBGrid.h"
#include "ssMsgLbl.h"
#include "ssOSVer.h"
#include "ssZoomFontEditor.h"
#include "Streams.h"
#include "TypInfo.h"

namespace {
constexpr int kDesignBase = 800;

bool OnXPOrLater() { return TssOSVer().isAboveWinXP(); }

// value x n / p, truncated, as every step scales recorded geometry.
int Step(int value, int n, int p) { return int((long long)value * n / p); }

RECT ScaledRect(const RECT& r, int n, int p) {
    return RECT{Step(r.left, n, p), Step(r.top, n, p), Step(r.right, n, p), Step(r.bottom, n, p)};
}
}  // namespace

// ---- TssCustomResize ----

TssCustomResize::TssCustomResize(TWinControl* AOwner) : fOwner(AOwner), fOrgFontHeight(AOwner->Font()->Height()) {
    for (int i = 0; i < fOwner->ComponentCount(); ++i) {
        TComponent* c = fOwner->Components(i);
        auto* control = dynamic_cast<TControl*>(c);
        fOrgFontHeights.push_back(control ? control->Font()->Height() : 0);
        if (auto* frame = dynamic_cast<TFrame*>(c)) fFrameInfo.push_back(std::make_unique<TssFrameResize>(frame));
        if (auto* grid = dynamic_cast<TssStringGrid*>(c)) {
            TssGridInfo_ info{grid, {}, {}, {}, {}, {}};
            for (int col = 0; col < grid->ColCount(); ++col) info.ColWidths.push_back(grid->ColWidths(col));
            for (int row = 0; row < grid->RowCount(); ++row) info.RowHeights.push_back(grid->RowHeights(row));
            fOrgGridInfo.push_back(std::move(info));
        }
        RecordDataGridWidths(c);
        if (auto* label = dynamic_cast<TssMessageLabel*>(c))
            fOrgMsgLblInfo.push_back(
                {label, label->ClipRect()->Rect(), label->LineSpacing(), label->Pitch(), {}, false, i});
        if (control && control->Width() == 1) fThinWidthObj.push_back(control);
        if (control && control->Height() == 1) fThinHeightObj.push_back(control);
    }
}

TssCustomResize::~TssCustomResize() = default;

bool TssCustomResize::IsZoomFontControl(TComponent* Component) const {
    if (!IsPublishedProp(Component, L"RTIdfZoomLabel") && !IsPublishedProp(Component, L"RTIdfZoomEdit")) return false;
    if (!IsPublishedProp(Component, L"AutoZoomFont")) return false;
    auto* zoom = dynamic_cast<TssZoomFont*>(GetObjectProp(Component, L"AutoZoomFont"));
    if (!zoom) return false;
    auto* autoZoom = dynamic_cast<TssAutoZoomFont*>(zoom);
    return zoom->Zoom() || (autoZoom && autoZoom->AutoZoom());
}

void TssCustomResize::RecordDataGridWidths(TComponent* Component) {
    auto* grid = dynamic_cast<TssCustomDBGrid*>(Component);
    if (!grid) return;
    TssDBGridInfo_ info{grid, {}};
    TssDBGridColumns* columns = grid->Columns();
    for (int i = 0; i < columns->Count(); ++i) info.ColWidths.push_back(columns->Items(i)->Width());
    fOrgDBGridInfo.push_back(std::move(info));
}

void TssCustomResize::FixDataGridWidths(int P, int N) {
    bool design = N == kDesignBase;
    for (TssDBGridInfo_& g : fOrgDBGridInfo) {
        TssDBGridColumns* columns = g.Grid->Columns();
        // Columns added or removed since the record: the indices both have go back.
        int count = design ? std::min(columns->Count(), int(g.ColWidths.size())) : columns->Count();
        for (int i = 0; i < count; ++i) {
            TssColumn* column = columns->Items(i);
            column->SetWidth(design ? g.ColWidths[i] : Step(column->Width(), N, P));
        }
    }
}

bool TssCustomResize::KeepsOwnFont(TControl* Control) const {
    return !Control->ParentFont() && !IsZoomFontControl(Control) && !InheritsFromName(Control, L"TssFormFmBase");
}

void TssCustomResize::BeforeScale(bool Changing) {
    for (TssGridInfo_& g : fOrgGridInfo) {
        g.FontCols.clear();
        g.FontRows.clear();
        g.FontCells.clear();
        int size = g.Grid->Font()->Size();
        g.Grid->ForEachOwnFont([&](int col, int row) {
            if (row < 0 && g.Grid->ColFont(col)->Size() == size) g.FontCols.push_back(col);
            else if (col < 0 && g.Grid->RowFont(row)->Size() == size) g.FontRows.push_back(row);
            else if (col >= 0 && row >= 0 && g.Grid->CellFont(col, row)->Size() == size)
                g.FontCells.push_back(POINT{col, row});
        });
    }
    if (Changing)
        for (TssMsgLblInfo_& m : fOrgMsgLblInfo) {
            TssMsgLblStrings* lines = m.Label->Lines();
            m.Lines.clear();
            for (int i = 0; i < lines->Count(); ++i) m.Lines.push_back(lines->Get(i));
            m.Label->BeginUpdate();
            lines->Clear();
            m.Saved = true;
        }
    for (auto& frame : fFrameInfo) frame->BeforeScale(Changing);
}

void TssCustomResize::FixStep(int P, int N, bool GridScaled) {
    bool design = N == kDesignBase;
    if (GridScaled)
        for (TssGridInfo_& g : fOrgGridInfo) {
            // A grid whose counts changed since it was recorded gets back the indices both have.
            int cols = design ? std::min(g.Grid->ColCount(), int(g.ColWidths.size())) : g.Grid->ColCount();
            int rows = design ? std::min(g.Grid->RowCount(), int(g.RowHeights.size())) : g.Grid->RowCount();
            for (int col = 0; col < cols; ++col)
                g.Grid->SetColWidths(col, design ? g.ColWidths[col] : Step(g.Grid->ColWidths(col), N, P));
            for (int row = 0; row < rows; ++row)
                g.Grid->SetRowHeights(row, design ? g.RowHeights[row] : Step(g.Grid->RowHeights(row), N, P));
        }
    if (GridScaled) FixDataGridWidths(P, N);
    for (TssMsgLblInfo_& m : fOrgMsgLblInfo) {
        TssMessageLabel* l = m.Label;
        l->ClipRect()->SetRect(design ? m.ClipRect : ScaledRect(l->ClipRect()->Rect(), N, P));
        l->SetLineSpacing(design ? m.LineSpacing : Step(l->LineSpacing(), N, P));
        l->SetPitch(design ? m.Pitch : Step(l->Pitch(), N, P));
    }
    // Lines stay lines.
    for (TControl* c : fThinWidthObj) c->SetWidth(1);
    for (TControl* c : fThinHeightObj) c->SetHeight(1);
    for (auto& frame : fFrameInfo) frame->FixStep(P, N, GridScaled);
}

void TssCustomResize::FixFonts(int N) {
    int ppi = Screen->PixelsPerInch();
    bool smaller = N >= 1024 && ppi > 96;
    if (N != kDesignBase && !smaller) return;
    for (int i = 0; i < fOwner->ComponentCount() && i < int(fOrgFontHeights.size()); ++i) {
        auto* c = dynamic_cast<TControl*>(fOwner->Components(i));
        if (!c || !KeepsOwnFont(c)) continue;
        TFont* f = c->Font();
        f->SetHeight(smaller ? (1 - f->Size()) * ppi / 72 : fOrgFontHeights[i]);
    }
    for (auto& frame : fFrameInfo) frame->FixFonts(N);
}

void TssCustomResize::AfterScale() {
    for (TssGridInfo_& g : fOrgGridInfo) {
        int size = g.Grid->Font()->Size();
        for (int col : g.FontCols) g.Grid->ColFont(col)->SetSize(size);
        for (int row : g.FontRows) g.Grid->RowFont(row)->SetSize(size);
        for (POINT cell : g.FontCells) g.Grid->CellFont(cell.x, cell.y)->SetSize(size);
    }
    for (TssMsgLblInfo_& m : fOrgMsgLblInfo) {
        if (!m.Saved) continue;
        TssMsgLblStrings* lines = m.Label->Lines();
        for (const String& s : m.Lines) lines->Add(s);
        m.Lines.clear();
        m.Saved = false;
        m.Label->EndUpdate();
    }
    for (auto& frame : fFrameInfo) frame->AfterScale();
}

void TssCustomResize::SaveAnchors() {
    fSvAnchors.clear();
    for (int i = 0; i < fOwner->ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TControl*>(fOwner->Components(i))) {
            fSvAnchors.push_back({c, c->Anchors()});
            c->SetAnchors({TAnchorKind::akLeft, TAnchorKind::akTop});
        }
    for (auto& frame : fFrameInfo) frame->SaveAnchors();
}

void TssCustomResize::RestoreAnchors() {
    for (auto& [c, anchors] : fSvAnchors) c->SetAnchors(anchors);
    fSvAnchors.clear();
    for (auto& frame : fFrameInfo) frame->RestoreAnchors();
}

// ---- TssFormResize ----

TssFormResize::TssFormResize(TCustomForm* Form)
    : TssCustomResize(Form), fForm(Form), fDsnWidth(Form->Width()), fDsnHeight(Form->Height()) {
    TSizeConstraints* c = Form->Constraints();
    fDsnConstraints = {c->MaxHeight(), c->MaxWidth(), c->MinHeight(), c->MinWidth()};
    for (int i = 0; i < Form->ControlCount(); ++i) {
        TControl* control = Form->Controls(i);
        if (control->Align() == TAlign::alBottom)
            fOrgBottomControls.push_back({control->Top() + control->Height(), control});
    }
    // The lowest first: the framework stacks bottom-aligned controls upwards in that order.
    std::stable_sort(fOrgBottomControls.begin(), fOrgBottomControls.end(),
                     [](const TssBottomInfo_& a, const TssBottomInfo_& b) { return a.Bottom > b.Bottom; });
}

void TssFormResize::AbsolutePosition(int& Top, int& Left) const {
    auto abs = [this](int v) { return int(std::ceil(double(v) * fNowWidth / kDesignBase)); };
    Top = abs(Top);
    Left = abs(Left);
}

void TssFormResize::RelativePosition(int& Top, int& Left) const {
    auto rel = [this](int v) { return int(std::lround(double(v) * kDesignBase / fNowWidth)); };
    Top = rel(Top);
    Left = rel(Left);
}

void TssFormResize::ScaleStep(int N) {
    int p = fNowWidth;
    fForm->ScaleBy(N, p);
    if (N < kDesignBase) fForm->Font()->SetHeight(int(std::lround(double(N) * fOrgFontHeight / kDesignBase)));
    fNowWidth = N;
    FixStep(p, N, fGridScaled);
    FixFonts(N);
    int ppi = Screen->PixelsPerInch();
    if (N == kDesignBase) fForm->Font()->SetHeight(fOrgFontHeight);
    else if (N >= 1024 && ppi > 96) fForm->Font()->SetHeight((1 - fForm->Font()->Size()) * ppi / 72);
}

void TssFormResize::GrowTo(int Width) {
    if (fNowWidth < kDesignBase && Width > kDesignBase) ScaleStep(kDesignBase);
    ScaleStep(Width);
}

void TssFormResize::ShrinkTo(int Width) {
    if (fNowWidth > kDesignBase && Width < kDesignBase) ScaleStep(kDesignBase);
    ScaleStep(Width);
}

void TssFormResize::SetBaseWidth(int Width) {
    if (Width <= 0) return;
    if (Width == 640 && OnXPOrLater()) Width = fNowWidth;
    int screenWidth = Screen->Width();
    if (screenWidth < Width) Width = screenWidth < kDesignBase ? 640 : kDesignBase;

    BeforeScale(Width != fNowWidth);
    if (fAdjustPixel) {
        fForm->SetWidth(fForm->Width() - fAdjustPixel);
        for (int i = 0; i < fForm->ControlCount(); ++i) {
            TControl* c = fForm->Controls(i);
            if (c->Align() != TAlign::alBottom && c->Align() != TAlign::alLeft) c->SetLeft(c->Left() - fAdjustPixel / 2);
        }
        fAdjustPixel = 0;
    }
    while (fNowWidth != Width) {
        if (Width > fNowWidth) GrowTo(Width);
        else ShrinkTo(Width);
    }
    AfterScale();

    if (TssFormSizeMem* mem = TssFormSizeMem::Shared()) mem->SetWidth(Width);
    bool smallScreen = screenWidth <= 640;
    if (smallScreen && fDsnWidth > 635 && fForm->Width() < fDsnWidth) fForm->SetWidth(fDsnWidth);
    fOrgWidth = fForm->Width();
    fOrgHeight = fForm->Height();
    ReStackBottomControls();
    if (smallScreen && (fDsnWidth > 640 || fDsnHeight > 480)) {
        int right = 0, bottom = 0;
        for (int i = 0; i < fForm->ControlCount(); ++i) {
            RECT r = fForm->Controls(i)->BoundsRect();
            right = std::max(right, int(r.right));
            bottom = std::max(bottom, int(r.bottom));
        }
        if (right > fForm->ClientWidth()) fForm->SetClientWidth(right);
        if (bottom > fForm->ClientHeight()) fForm->SetClientHeight(bottom);
    }
}

void TssFormResize::ReStackBottomControls() {
    fForm->AlignControls();
    int minTop = INT_MAX, maxBottom = 0, bottomHeights = 0;
    for (int i = 0; i < fForm->ControlCount(); ++i) {
        TControl* c = fForm->Controls(i);
        if (!c->Visible()) continue;
        if (c->Align() == TAlign::alBottom) {
            bottomHeights += c->Height();
        } else {
            minTop = std::min(minTop, c->Top());
            maxBottom = std::max(maxBottom, c->Top() + c->Height());
        }
    }
    int overflow = maxBottom + bottomHeights - fForm->ClientHeight();
    if (minTop == INT_MAX || overflow <= 0 || minTop <= 0) return;
    int shift = std::min(overflow, minTop);
    for (int i = 0; i < fForm->ControlCount(); ++i) {
        TControl* c = fForm->Controls(i);
        if (c->Align() != TAlign::alBottom) c->SetTop(c->Top() - shift);
    }
}

void TssFormResize::ChangeSize(int NewWidth, bool GridScaled) {
    TSizeConstraints* constraints = fForm->Constraints();
    constraints->Assign(std::make_unique<TSizeConstraints>(fForm).get());
    fGridScaled = GridScaled;
    if (fOrgWidth > 0) {
        // A library form shows its parent form while it is sized.
        bool forceVisible = IsPublishedProp(fForm, L"ParentFormVisible");
        String visible = forceVisible ? GetPropValue(fForm, L"ParentFormVisible") : String();
        if (forceVisible) SetPropValue(fForm, L"ParentFormVisible", L"True");
        fForm->SetBounds(fForm->Left(), fForm->Top(), fOrgWidth, fOrgHeight);
        if (forceVisible) SetPropValue(fForm, L"ParentFormVisible", visible);
    }
    SaveAnchors();
    SetBaseWidth(NewWidth);
    RestoreAnchors();
    for (int i = 0; i < fForm->ComponentCount(); ++i)
        if (auto* c = dynamic_cast<TControl*>(fForm->Components(i)); c && IsPublishedProp(c, L"RTisDoPaint"))
            c->Invalidate();
    PlaceInWorkArea(NewWidth);
    ScaleConstraints(fNowWidth);
}

void TssFormResize::PlaceInWorkArea(int NewWidth) {
    RECT wa = Screen->WorkAreaRect();
    int waWidth = wa.right - wa.left, waHeight = wa.bottom - wa.top;
    if (InheritsFromName(fForm, L"TssMainFmBase")) {
        if (Screen->Width() <= 640) ShowWindow(fForm->Handle(), SW_MAXIMIZE);
        return;
    }
    TssFormSizeMem* mem = TssFormSizeMem::Shared();
    if (mem && mem->Width() == kDesignBase) fForm->SetBounds(fForm->Left(), fForm->Top(), fDsnWidth, fDsnHeight);
    if (mem && Screen->Width() == mem->Width()) {
        if (NewWidth >= 1280 && fForm->Height() < waHeight) {
            fForm->SetBounds(wa.left, wa.top + (waHeight - fForm->Height()) / 2, fForm->Width(), fForm->Height());
        } else {
            int least = waHeight - (waHeight == Screen->Height() ? 600 - fDsnHeight : 0);
            fForm->SetBounds(wa.left, wa.top, fForm->Width(), std::max(fForm->Height(), least));
        }
    }
    if ((fForm->Width() > waWidth || fForm->Height() > waHeight) && fDsnHeight != 600) {
        int top = std::max(wa.top + (waHeight - fForm->Height()) / 2, wa.top - 4);
        fForm->SetBounds(wa.left + (waWidth - fForm->Width()) / 2, top, fForm->Width(), fForm->Height());
    }
    TFormBorderStyle border = fForm->BorderStyle();
    bool thinBorder = border == TFormBorderStyle::bsSingle || border == TFormBorderStyle::bsDialog;
    bool designedFull = fDsnWidth == kDesignBase || (thinBorder && fDsnWidth == 798);
    if (fNowWidth > kDesignBase && Screen->Width() == fNowWidth && designedFull && waWidth > fForm->Width()) {
        fAdjustPixel = waWidth - fForm->Width();
        fForm->SetBounds(wa.left, fForm->Top(), waWidth, fForm->Height());
        for (int i = 0; i < fForm->ControlCount(); ++i) {
            TControl* c = fForm->Controls(i);
            if (c->Align() != TAlign::alBottom && c->Align() != TAlign::alLeft) c->SetLeft(c->Left() + fAdjustPixel / 2);
        }
    }
    ReStackBottomControls();
}

// The constraints scale with the width reached, outside the border.
void TssFormResize::ScaleConstraints(int NewWidth) {
    int borderX = fForm->Width() - fForm->ClientWidth(), borderY = fForm->Height() - fForm->ClientHeight();
    auto scale = [NewWidth](int v, int border) {
        if (v <= border) return v;
        return border + int((static_cast<long long>(v - border) * NewWidth + kDesignBase - 1) / kDesignBase);
    };
    TSizeConstraints* c = fForm->Constraints();
    c->SetMaxHeight(scale(fDsnConstraints.MaxHeight, borderY));
    c->SetMaxWidth(scale(fDsnConstraints.MaxWidth, borderX));
    c->SetMinHeight(scale(fDsnConstraints.MinHeight, borderY));
    c->SetMinWidth(scale(fDsnConstraints.MinWidth, borderX));
}

// ---- TssFormSizeMem ----

namespace {
TssFormSizeMem* SharedSizeMem = nullptr;
const wchar_t* const kSection = L"FORMBASE";

// Sets Key=Value in the section of an ini file's lines, adding what is missing.
void SetIniValue(TStringList& lines, const String& section, const String& key, const String& value) {
    String header = L"[" + section + L"]";
    int at = lines.IndexOf(header);
    if (at < 0) {
        lines.Add(header);
        lines.Add(key + L"=" + value);
        return;
    }
    int i = at + 1;
    for (; i < lines.Count(); ++i) {
        String line = lines.Get(i);
        if (!line.empty() && line[0] == L'[') break;
        size_t eq = line.find(L'=');
        if (eq != String::npos && SameText(Trim(line.substr(0, eq)), key)) {
            lines.Put(i, key + L"=" + value);
            return;
        }
    }
    lines.Insert(i, key + L"=" + value);
}
}  // namespace

TssFormSizeMem::TssFormSizeMem() : fini(FileName()) {
    if (!SharedSizeMem) SharedSizeMem = this;
    Get();
}

TssFormSizeMem::~TssFormSizeMem() {
    Put();
    if (SharedSizeMem == this) SharedSizeMem = nullptr;
}

TssFormSizeMem* TssFormSizeMem::Shared() { return SharedSizeMem; }

const String& TssFormSizeMem::FileName() {
    static const String name = [] {
        String exe = Application->ExeName();
        String base = ExtractFileName(exe);
        size_t dot = base.rfind(L'.');
        if (dot != String::npos) base.erase(dot);
        return ExtractFilePath(exe) + base + L"_ss.ini";
    }();
    return name;
}

void TssFormSizeMem::Get() {
    auto read = [this](const wchar_t* key, int def) {
        return int(GetPrivateProfileIntW(kSection, key, def, fini.c_str()));
    };
    fwidth = read(L"Width", fwidth);
    if (fwidth <= 0) fwidth = -1;
    ftop = read(L"Top", 0);
    fleft = read(L"Left", 0);
    if (fwidth == 640 && OnXPOrLater()) {
        fwidth = kDesignBase;
        Put();
    }
}

void TssFormSizeMem::Put() {
    bool known = fwidth > 0;
    bool baseWidth = fwidth == 640 || fwidth == 800 || fwidth == 1024 || fwidth == 1280;
    long long area = (long long)Screen->Width() * Screen->Height();
    if (known && fwidth <= 1280 && !baseWidth && area <= 1310720) fwidth = kDesignBase;
    try {
        TStringList lines;
        if (FileExists(fini)) lines.LoadFromFile(fini);
        SetIniValue(lines, kSection, L"Width", IntToStr(fwidth));
        SetIniValue(lines, kSection, L"Top", IntToStr(ftop));
        SetIniValue(lines, kSection, L"Left", IntToStr(fleft));
        AnsiString bytes = StringToAnsi(lines.Text());
        SaveFileReplacing(fini, [&bytes](TStream& s) { s.WriteBuffer(bytes.data(), bytes.size()); });
    } catch (const Exception&) {
        // A folder the user may not write to (under Program Files): the size is not remembered.
    }
}
