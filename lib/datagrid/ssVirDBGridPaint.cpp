// The data grid's drawing: row indicators, titles spanning the children of structured fields
// with their expand buttons, data cells with the highlight and the focus rectangle, and the cell
// text, drawn straight or through an off-screen bitmap for dithered colours.
#include <algorithm>

#include "Forms.h"
#include "ssVirDBGrid.h"
#include "ssVirDBGridSupport.h"

namespace {

constexpr int IndicatorWidth = 6, IndicatorHeight = 11;

// Rows top to bottom; X black, - white (transparent).
constexpr const char* IndicatorRows[5][IndicatorHeight] = {
    {"X-----", "XX----", "XXX---", "XXXX--", "XXXXX-", "XXXXXX", "XXXXX-", "XXXX--", "XXX---", "XX----", "X-----"},
    {"XX--XX", "--XX--", "--XX--", "--XX--", "--XX--", "--XX--", "--XX--", "--XX--", "--XX--", "--XX--", "XX--XX"},
    {"------", "------", "------", "-X--X-", "--XX--", "XXXXXX", "--XX--", "-X--X-", "------", "------", "------"},
    {"------", "------", "------", "--XX--", "-XXXX-", "-XXXX-", "-XXXX-", "--XX--", "------", "------", "------"},
    {"X-----", "XX----", "-XX---", "--XX--", "XX-XX-", "XX--XX", "XX-XX-", "--XX--", "-XX---", "XX----", "X-----"},
};

enum IndicatorImage { iiArrow, iiEdit, iiInsert, iiMultiDot, iiMultiArrow };

// Text-format flags of the bitmap path by alignment (left, right, centre): word break, tab
// expansion, no prefix.
constexpr UINT BitmapTextFlags[3] = {DT_LEFT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX,
                                     DT_RIGHT | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX,
                                     DT_CENTER | DT_WORDBREAK | DT_EXPANDTABS | DT_NOPREFIX};

// The off-screen bitmap the grids share for text on dithered colours; it only grows.
TBitmap& DitherBitmap() {
    static TBitmap bitmap;
    return bitmap;
}

// Raised inner edges: light on the top and left, shadow on the bottom and right, each colour in
// one call for all the rectangles (a call per edge is a trip to the display each).
void DrawRaisedFrames(HDC DC, const std::vector<RECT>& Frames) {
    std::vector<POINT> light, shadow;
    for (const RECT& r : Frames) {
        light.insert(light.end(), {POINT{r.left, r.bottom - 2}, POINT{r.left, r.top}, POINT{r.right - 1, r.top}});
        shadow.insert(shadow.end(), {POINT{r.left, r.bottom - 1}, POINT{r.right - 1, r.bottom - 1},
                                     POINT{r.right - 1, r.top - 1}});
    }
    std::vector<DWORD> counts(Frames.size(), 3);
    auto draw = [&](int sysColor, const std::vector<POINT>& points) {
        HGDIOBJ old = SelectObject(DC, GetStockObject(DC_PEN));
        COLORREF oldColor = SetDCPenColor(DC, GetSysColor(sysColor));
        PolyPolyline(DC, points.data(), counts.data(), DWORD(counts.size()));
        SetDCPenColor(DC, oldColor);
        SelectObject(DC, old);
    };
    if (Frames.empty()) return;
    draw(COLOR_BTNHIGHLIGHT, light);
    draw(COLOR_BTNSHADOW, shadow);
}

// The indicator cells of one size and fixed colour, each image in place on its background,
// ready to copy: one copy per row instead of a fill and the image list's masked drawing.
// Shared by the grids; made again when the size or the colour changes.
struct TIndicatorCells {
    TBitmap Cells[5];
    TColor Color = clDefault;
    SIZE Size{};
    POINT At{};
};

TBitmap& IndicatorCell(const TCustomImageList& Images, int Index, TColor FixedColor, SIZE CellSize, POINT ImageAt) {
    static TIndicatorCells cache;
    if (cache.Color != FixedColor || cache.Size.cx != CellSize.cx || cache.Size.cy != CellSize.cy ||
        cache.At.x != ImageAt.x || cache.At.y != ImageAt.y) {
        for (int i = 0; i < 5; ++i) {
            cache.Cells[i].SetSize(CellSize.cx, CellSize.cy);
            TCanvas* canvas = cache.Cells[i].Canvas();
            canvas->Brush()->SetColor(FixedColor);
            canvas->FillRect(RECT{0, 0, CellSize.cx, CellSize.cy});
            Images.Draw(canvas->Handle(), ImageAt.x, ImageAt.y, i);
        }
        cache.Color = FixedColor;
        cache.Size = CellSize;
        cache.At = ImageAt;
    }
    return cache.Cells[Index];
}

// The off-screen bitmap the grids put a paint's indicator cells together on; it only grows.
TBitmap& IndicatorStrip() {
    static TBitmap bitmap;
    return bitmap;
}

void Shrink(RECT& R, int By) { InflateRect(&R, -By, -By); }

}  // namespace

std::unique_ptr<TCustomImageList> MakeIndicatorImages() {
    auto list = std::make_unique<TCustomImageList>(nullptr, IndicatorWidth, IndicatorHeight);
    TBitmap image;
    image.SetSize(IndicatorWidth, IndicatorHeight);
    for (const auto& rows : IndicatorRows) {
        for (int y = 0; y < IndicatorHeight; ++y)
            for (int x = 0; x < IndicatorWidth; ++x) image.Canvas()->SetPixel(x, y, rows[y][x] == 'X' ? clBlack : clWhite);
        list->AddMasked(&image, clWhite);
    }
    return list;
}

// ---- cell text ----

void TssCustomDBGrid::DrawCellText(TCanvas* ACanvas, const RECT& ARect, int DX, int DY, const String& Text,
                                   TAlignment Alignment, bool RightToLeft) {
    HDC dc = ACanvas->Handle();
    TColor brush = ACanvas->Brush()->Color();
    if (dc != FSolidDC || brush != FSolidColor) {
        COLORREF rgb = ColorToRGB(brush);
        FSolidDC = dc;
        FSolidColor = brush;
        FSolid = GetNearestColor(dc, rgb) == rgb;
    }
    if (FSolid) {
        // This framework's canvases draw left to right: the alignment is never mirrored here.
        int x = ARect.left + DX;
        if (Alignment != TAlignment::taLeftJustify) {
            int width = ACanvas->TextWidth(Text);
            x = Alignment == TAlignment::taRightJustify
                    ? ARect.right - width - 3
                    : ARect.left + (ARect.right - ARect.left) / 2 - width / 2;
        }
        ACanvas->TextRect(ARect, x, ARect.top + DY, Text);
        return;
    }
    // A dithered brush would show its pattern through the text: draw on a solid copy instead.
    TBitmap& bitmap = DitherBitmap();
    int width = ARect.right - ARect.left, height = ARect.bottom - ARect.top;
    if (bitmap.Width() < width || bitmap.Height() < height)
        bitmap.SetSize(std::max(bitmap.Width(), width), std::max(bitmap.Height(), height));
    TCanvas* canvas = bitmap.Canvas();
    canvas->Font()->Assign(*ACanvas->Font());
    canvas->Brush()->SetColor(ACanvas->Brush()->Color());
    canvas->Brush()->SetStyle(TBrushStyle::bsSolid);
    RECT whole{0, 0, width, height};
    canvas->FillRect(whole);
    SetBkMode(canvas->Handle(), TRANSPARENT);
    UINT flags = BitmapTextFlags[Alignment == TAlignment::taLeftJustify    ? 0
                                 : Alignment == TAlignment::taRightJustify ? 1
                                                                           : 2];
    if (RightToLeft) flags |= DT_RTLREADING;
    RECT text{DX, DY, width - 1, height - 1};
    canvas->DrawText(Text, text, flags);
    ACanvas->CopyRect(ARect, canvas, whole);
}

void TssCustomDBGrid::DefaultDrawDataCell(const RECT& Rect, TField* Field, TGridDrawState State) {
    String text = Field ? Field->DisplayText() : String();
    DrawCellText(Canvas(), Rect, 2, 2, text, Field ? Field->Alignment() : TAlignment::taLeftJustify, false);
}

void TssCustomDBGrid::DefaultDrawColumnCell(const RECT& Rect, int DataCol, TssColumn* Column, TGridDrawState State) {
    TField* field = Column->Field();
    DrawCellText(Canvas(), Rect, 2, 2, field ? field->DisplayText() : String(), Column->Alignment(), false);
}

void TssCustomDBGrid::DrawDataCell(const RECT& Rect, TField* Field, TGridDrawState State) {
    if (OnDrawDataCell) OnDrawDataCell(this, Rect, Field, State);
}

void TssCustomDBGrid::DrawColumnCell(const RECT& Rect, int DataCol, TssColumn* Column, TGridDrawState State) {
    if (OnDrawColumnCell) OnDrawColumnCell(this, Rect, DataCol, Column, State);
}

bool TssCustomDBGrid::IsCellHighlighted(TGridDrawState State) {
    if (FOptions.Contains(TDBGridOption::dgMultiSelect) && FDataLink->Active() && FBookmarks->CurrentRowSelected())
        return true;
    return State.Contains(TGridDrawStateItem::gdSelected) &&
           (FOptions.Contains(TDBGridOption::dgAlwaysShowSelection) || Focused()) &&
           (FUpdateLock == 0 || FOptions.Contains(TDBGridOption::dgRowSelect));
}

// ---- cells ----

void TssCustomDBGrid::DrawCell(int ACol, int ARow, const RECT& ARect, TGridDrawState AState) {
    TCanvas* canvas = Canvas();
    if (Loading()) {
        canvas->Brush()->SetColor(Color());
        canvas->FillRect(ARect);
        return;
    }
    using enum TDBGridOption;
    bool bothLines = FOptions.Contains(dgColLines) && FOptions.Contains(dgRowLines);
    bool fixed = AState.Contains(TGridDrawStateItem::gdFixed);
    int frameOffset = bothLines ? 1 : 2;
    RECT r = ARect;
    bool shrunk = fixed && bothLines;
    if (shrunk) Shrink(r, 1);
    int dataRow = ARow - FTitleOffset, index = ACol - FIndicatorOffset;

    if (fixed && index < 0) {
        DrawIndicatorCell(ARow, r, frameOffset);
    } else {
        TssColumn* column = index < FColumns->Count() ? FColumns->Items(index) : nullptr;
        if (!column || !column->Showing()) return;
        bool highlighted = false;
        if (!fixed && dataRow >= 0 && FDataLink->Active() && dataRow < FDataLink->RecordCount()) {
            TActiveRecordScope scope(FDataLink.get(), dataRow);
            highlighted = IsCellHighlighted(AState);
        }
        if (!fixed) {
            // The final font and brush at once: every change reaches the device context, and a
            // row of highlighted cells then changes nothing from one cell to the next.
            TFont* font = column->Font();
            if (canvas->Font()->Handle() != font->Handle()) canvas->Font()->Assign(*font);
            canvas->Font()->SetColor(!Enabled() ? clGrayText : highlighted ? clHighlightText : font->Color());
            canvas->Brush()->SetColor(highlighted ? clHighlight : column->Color());
        }
        if (dataRow < 0) {
            DrawTitleCell(ACol, ARow, ARect, AState);
            shrunk = shrunk && AState.Contains(TGridDrawStateItem::gdFixed);
        } else if (!FDataLink->Active() || dataRow >= FDataLink->RecordCount()) {
            canvas->FillRect(r);
        } else {
            {
                TActiveRecordScope scope(FDataLink.get(), dataRow);
                TField* field = column->Field();
                if (FDefaultDrawing)
                    DrawCellText(canvas, r, 2, 2, field ? field->DisplayText() : String(), column->Alignment(), false);
                if (FColumns->State() == TDBGridColumnsState::csDefault) DrawDataCell(r, field, AState);
                DrawColumnCell(r, index, column, AState);
            }
            TCustomForm* form = GetParentForm(this);
            if (FDefaultDrawing && AState.Contains(TGridDrawStateItem::gdSelected) &&
                (FOptions.Contains(dgAlwaysShowSelection) || Focused()) &&
                !ComponentState().Contains(TComponentStateItem::csDesigning) && !FOptions.Contains(dgRowSelect) &&
                FUpdateLock == 0 && form && form->ActiveControl() == this)
                canvas->DrawFocusRect(r);
        }
    }
    if (shrunk) {
        Shrink(r, -1);
        FrameFixedCell(r);
    }
}

void TssCustomDBGrid::FrameFixedCell(const RECT& R) {
    if (FPainting) FFixedFrames.push_back(R);
    else DrawRaisedFrames(Canvas()->Handle(), {R});
}

void TssCustomDBGrid::Paint() {
    FSolidDC = nullptr;  // a new context, maybe of another depth
    FFixedFrames.clear();
    FIndicatorDraws.clear();
    {
        TFlagScope painting(FPainting);
        TCustomGrid::Paint();
    }
    FlushIndicators();
    DrawRaisedFrames(Canvas()->Handle(), FFixedFrames);
    FFixedFrames.clear();
}

void TssCustomDBGrid::FlushIndicators() {
    if (FIndicatorDraws.empty()) return;
    // The cells are put together off screen, then copied in one call through a clip of exactly
    // those cells, so the lines between them stay as painted.
    RECT box = FIndicatorDraws.front().Cell;
    for (const TIndicatorDraw& d : FIndicatorDraws) UnionRect(&box, &box, &d.Cell);
    TBitmap& strip = IndicatorStrip();
    int width = box.right - box.left, height = box.bottom - box.top;
    if (strip.Width() < width || strip.Height() < height)
        strip.SetSize(std::max(strip.Width(), width), std::max(strip.Height(), height));
    HDC stripDC = strip.Canvas()->Handle();
    std::vector<RECT> cells;
    for (const TIndicatorDraw& d : FIndicatorDraws) {
        SIZE size{d.Cell.right - d.Cell.left, d.Cell.bottom - d.Cell.top};
        TBitmap& cell = IndicatorCell(*FIndicators, d.Image, FixedColor(), size, d.ImageAt);
        BitBlt(stripDC, d.Cell.left - box.left, d.Cell.top - box.top, size.cx, size.cy, cell.Canvas()->Handle(), 0,
               0, SRCCOPY);
        cells.push_back(d.Cell);
    }
    FIndicatorDraws.clear();
    HDC dc = Canvas()->Handle();
    int saved = SaveDC(dc);
    if (HRGN clip = RegionOfRects(cells)) {
        ExtSelectClipRgn(dc, clip, RGN_AND);
        DeleteObject(clip);
        BitBlt(dc, box.left, box.top, width, height, stripDC, 0, 0, SRCCOPY);
    }
    RestoreDC(dc, saved);
}

void TssCustomDBGrid::DrawIndicatorCell(int ARow, const RECT& ARect, int FrameOffset) {
    TCanvas* canvas = Canvas();
    auto plain = [&] {
        canvas->Brush()->SetColor(FixedColor());
        canvas->FillRect(ARect);
    };
    int dataRow = ARow - FTitleOffset;
    if (!FDataLink->Active() || dataRow < 0 || dataRow >= FDataLink->RecordCount()) return plain();
    bool current = dataRow == FDataLink->ActiveRecord();
    bool selected = false;
    if (FOptions.Contains(TDBGridOption::dgMultiSelect)) {
        TActiveRecordScope scope(FDataLink.get(), dataRow);
        selected = FBookmarks->CurrentRowSelected();
    }
    if (current) FSelRow = ARow;
    if (!current && !selected) return plain();
    int image = iiArrow;
    switch (FDataLink->DataSet()->State()) {
        case TDataSetState::dsBrowse:
            image = selected ? (current ? iiMultiArrow : iiMultiDot) : iiArrow;
            break;
        case TDataSetState::dsEdit: image = iiEdit; break;
        case TDataSetState::dsInsert: image = iiInsert; break;
        default: break;
    }
    // Only the current row shows the edit and insert states; another selected row keeps its dot.
    if (!current) image = iiMultiDot;
    int x = ARect.right - FIndicators->Width() - FrameOffset;
    int y = (ARect.top + ARect.bottom - FIndicators->Height()) / 2;
    SIZE size{ARect.right - ARect.left, ARect.bottom - ARect.top};
    POINT at{x - ARect.left, y - ARect.top};
    if (FPainting) return FIndicatorDraws.push_back({ARect, image, at});
    TBitmap& cell = IndicatorCell(*FIndicators, image, FixedColor(), size, at);
    BitBlt(canvas->Handle(), ARect.left, ARect.top, size.cx, size.cy, cell.Canvas()->Handle(), 0, 0, SRCCOPY);
}

// ---- titles ----

TssColumn* TssCustomDBGrid::MasterColumn(int Index, int ARow) const {
    if (Index < 0 || Index >= FColumns->Count()) return nullptr;
    TssColumn* master = FColumns->Items(Index);
    while (master && master->Depth() > ARow) master = master->ParentColumn();
    return master;
}

RECT TssCustomDBGrid::TitleRect(int Index, int ARow, TssColumn*& Master) {
    RECT title{};
    Master = MasterColumn(Index, ARow);
    if (!Master) return title;
    int depth = FColumns->Items(Index)->Depth();
    // A hidden column (an expanded parent) has no rectangle of its own: the title spans the
    // showing columns that share its master, from the first one in view.
    int first = std::max(Master->Index() + FIndicatorOffset, LeftCol());
    int titleRow = Master->Index() + FIndicatorOffset < LeftCol() ? std::min(ARow, depth) : Master->Depth();
    bool started = false;
    for (int c = first; c < ColCount(); ++c) {
        if (MasterColumn(c - FIndicatorOffset, ARow) != Master) break;
        RECT cell = CellRect(c, titleRow);
        if (cell.right <= cell.left) {
            if (started) break;
            continue;
        }
        if (!started) title = cell;
        title.right = cell.right;
        started = true;
    }
    if (started && depth <= ARow && depth < FixedRows() - 1) {
        RECT last = CellRect(first, FixedRows() - 1);
        if (last.bottom > last.top) title.bottom = last.bottom;
        else title.bottom = BoxRect(0, FixedRows() - 1, 0, FixedRows() - 1).bottom;
    }
    return title;
}

void TssCustomDBGrid::DrawTitleCell(int ACol, int ARow, RECT ARect, TGridDrawState& AState) {
    using enum TDBGridOption;
    TCanvas* canvas = Canvas();
    TssColumn* master = nullptr;
    RECT title = TitleRect(ACol - FIndicatorOffset, ARow, master);
    if (!master || title.right <= title.left) {
        canvas->FillRect(ARect);
        return;
    }
    bool bothLines = FOptions.Contains(dgColLines) && FOptions.Contains(dgRowLines);
    int frameOffset = bothLines ? 1 : 2;
    canvas->Font()->Assign(*master->Title()->Font());
    canvas->Brush()->SetColor(master->Title()->Color());
    if (bothLines) Shrink(title, 1);
    RECT text = title;
    int arrow = GetSystemMetrics(SM_CXHSCROLL);
    if (master->Expandable() && text.right - text.left > arrow) {
        text.right -= arrow;
        RECT button{text.right, text.top, title.right, title.bottom};
        canvas->FillRect(button);
        HDC dc = canvas->Handle();
        int saved = SaveDC(dc);
        RECT inner = button;
        Shrink(inner, 1);
        IntersectClipRect(dc, inner.left, inner.top, inner.right, inner.bottom);
        UINT direction = master->Expanded() ? DFCS_SCROLLLEFT : DFCS_SCROLLRIGHT;
        DrawFrameControl(dc, &inner, DFC_SCROLL, direction | DFCS_FLAT);
        RestoreDC(dc, saved);
    }
    DrawCellText(canvas, text, frameOffset, frameOffset, master->Title()->Caption(), master->Title()->Alignment(),
                 BiDiMode() == TBiDiMode::bdRightToLeft);
    if (bothLines) {
        Shrink(title, -1);
        FrameFixedCell(title);
        AState.Exclude(TGridDrawStateItem::gdFixed);
    }
}
