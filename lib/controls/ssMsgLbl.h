// A read-only, multi-line message viewer that draws its own text: lines wrap by pixel width one
// character at a time (Japanese text has no spaces), with line spacing and character pitch, inside
// an inner clip rectangle; the user places a caret, selects with keyboard or mouse and copies.
#pragma once
#include <memory>
#include <unordered_map>
#include <vector>

#include "Clipbrd.h"
#include "Controls.h"
#include "Menus.h"

// One displayed line: Count UTF-16 units of source line Line from Pos (1-based).
struct TViewLinesInfo {
    int Line;
    int Pos;
    int Count;
};
using PViewLinesInfo = TViewLinesInfo*;

// Owns its records: one deleted from the list, or cut off by shortening it, is freed.
class TViewLinesList : public TList {
    SS_CLASS(TViewLinesList, TList)
public:
    TViewLinesList() = default;
    ~TViewLinesList() override;
    TViewLinesList(const TViewLinesList&) = delete;
    TViewLinesList& operator=(const TViewLinesList&) = delete;
    PViewLinesInfo Items(int Index) const { return static_cast<PViewLinesInfo>(Get(Index)); }
    void SetItems(int Index, const TViewLinesInfo& Value) { *Items(Index) = Value; }
    int Add(const TViewLinesInfo& Value);
    void Delete(int Index);
    void Clear();
    void SetCount(int Value);
};

class TssMessageLabel;

SS_EXCEPTION(EssMsgLblOwner, Exception)

// The label's source lines: a change rebuilds the view lines unless the label holds updates.
class TssMsgLblStrings : public TStringList {
    SS_CLASS(TssMsgLblStrings, TStringList)
public:
    explicit TssMsgLblStrings(TssMessageLabel* AOwner);
    void Assign(const TPersistent* Source) override;
    // Read while the label holds its updates: laid out once, at the end.
    void LoadFromFile(const String& fileName);

protected:
    void Changed() override;

private:
    TssMessageLabel* FOwner;
};

// The text area inside the label, in client coordinates; each edge stays within the client area.
class TssClipRect : public TPersistent {
    SS_CLASS(TssClipRect, TPersistent)
public:
    explicit TssClipRect(TssMessageLabel* AOwner);
    int Top() const { return FTop; }
    int Left() const { return FLeft; }
    int Bottom() const { return FBottom; }
    int Right() const { return FRight; }
    void SetTop(int Value);
    void SetLeft(int Value);
    void SetBottom(int Value);
    void SetRight(int Value);
    RECT Rect() const { return RECT{FLeft, FTop, FRight, FBottom}; }
    // Right, bottom, left, top in that order, shown once.
    void SetRect(const RECT& Value);

private:
    void HeightChanged();
    void WidthChanged();
    TssMessageLabel* FOwner;
    int FTop = 0, FLeft = 0, FBottom = 0, FRight = 0;
};

// The message label: Lines hold the message; WordWrap, Pitch and LineSpacing shape it; the
// clip rectangle (ClipRect) is where it is drawn; the user selects with mouse or keys and
// copies with Ctrl+C or the context menu (SelText). Call EndUpdate once the lines are set
// when the label is made in code.
class TssMessageLabel : public TCustomControl {
    SS_CLASS(TssMessageLabel, TCustomControl)
public:
    // Starts with updates held: the text shows after the first EndUpdate (or once loaded).
    explicit TssMessageLabel(TComponent* AOwner);
    ~TssMessageLabel() override;

    void BeginUpdate();
    // Rebuilds the view lines and the widest line's width, and draws.
    void EndUpdate();

    TBorderStyle BorderStyle() const { return FBorderStyle; }
    void SetBorderStyle(TBorderStyle Value);
    bool CanSelect() const { return FCanSelect; }
    void SetCanSelect(bool Value);
    TssClipRect* ClipRect() const { return FClipRect.get(); }
    void SetClipRect(const TssClipRect* Value) { FClipRect->SetRect(Value->Rect()); }
    TssMsgLblStrings* Lines() const { return FLines.get(); }
    void SetLines(const TStrings* Value) { FLines->Assign(Value); }
    int LineSpacing() const { return FLineSpacing; }
    void SetLineSpacing(int Value);
    int Pitch() const { return FPitch; }
    void SetPitch(int Value);
    TScrollStyle ScrollBar() const { return FScrollBar; }
    void SetScrollBar(TScrollStyle Value);
    bool WordWrap() const { return FWordWrap; }
    void SetWordWrap(bool Value);

    String ViewLine(int Index) const;
    void SetViewLine(int Index, const String& Value);
    int ViewLineCount() const;
    int ViewLineStart() const { return FViewLineStart; }
    void SetViewLineStart(int Value);
    // The selected text, with CR LF between view lines.
    String SelText() const;
    void CopyToClipboard();
    // From the start to the end of the last view line, scrolled there.
    void SelectAll();

    // The view lines the clip rectangle shows; the caret and the selection's ends as
    // (unit offset within the view line, view line); the horizontal position in pixels.
    int ViewCount() const { return iViewCount; }
    POINT CaretPosition() const { return FCaretPosition; }
    POINT SelStart() const { return FSelStart; }
    POINT SelEnd() const { return FSelEnd; }
    int HorzPosition() const { return FHSPos; }
    int MaxWidth() const { return FMaxWidth; }
    // The off-screen picture of the clip rectangle's content.
    const TBitmap* Picture() const { return bmpBase.get(); }

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void WndProc(TMessage& Msg) override;
    void Paint() override;
    void Loaded() override;
    void FontChanged() override;
    void ColorChanged() override;
    void ScrollCommand(int Bar, int Code, int Pos) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) override;

private:
    friend class TssMsgLblStrings;
    friend class TssClipRect;

    // Measuring: each character's width alone, measured once per font.
    int CharWidth(const String& s, int i);
    void CharWidths(const String& s, int from, int count, std::vector<int>& widths, std::vector<int>* units);
    int TextWidth(const String& s, int from, int count);
    // How many units of the view line fit in Width, on a character boundary.
    int FitUnits(const String& s, int Width);
    void UpdateFontMetrics();

    // The layout.
    // View lines, the widest line and the picture anew, unless updates are held.
    void Relayout();
    void BuildViewLines();
    void CalcMaxWidth();
    void CalcViewCount();
    void ClipSizeChanged(bool heightChanged);
    int ClientHeightForClip();
    int ClientWidthForClip();
    int LastVisibleLine() const;
    int MaxHorzPosition() const;

    // Drawing.
    void ResizeBitmap();
    void Redraw();
    void DrawSelection(HDC dc);

    // Scroll bars.
    bool HasBar(int Bar) const;
    void UpdateVScroll();
    void UpdateHScroll();
    void SetHorzPosition(int Value);

    // The caret and the selection.
    POINT ClampPoint(POINT p) const;
    POINT HitTest(int X, int Y);
    void PlaceCaret();
    void MoveTo(POINT Target, bool Extend);
    void ScrollIntoView(POINT Target);
    bool KeyDown(WORD Key, TShiftState Shift);
    void MouseDown(int X, int Y);
    void MouseMove(int X, int Y);
    void UpdateMenuItems();

    int FViewLineStart = 0;
    int iViewCount = 0;
    bool FCanSelect = true;
    std::unique_ptr<TssClipRect> FClipRect;
    std::unique_ptr<TssMsgLblStrings> FLines;
    int FLineSpacing = 2;
    int FPitch = 0;
    TScrollStyle FScrollBar = TScrollStyle::ssNone;
    bool FWordWrap = true;
    std::unique_ptr<TBitmap> bmpBase;
    std::unique_ptr<TViewLinesList> lstViewLines;
    int iFontWidth = 0, iFontHeight = 0;
    int FClipRectHeight = 0, FClipRectWidth = 0;
    TBorderStyle FBorderStyle = TBorderStyle::bsSingle;
    bool bCanUpdate = true;
    int FVSPos = 0, FHSPos = 0;
    POINT FCaretPosition{}, FSelStart{}, FSelEnd{};
    int FMaxWidth = 0;
    bool bSelecting = false;
    TClipboard* clpSelect = nullptr;
    std::unique_ptr<TPopupMenu> popMenu;
    TMenuItem* FCopyItem = nullptr;
    TMenuItem* FSelectAllItem = nullptr;
    bool FHasCaret = false;
    // Character widths of the current font: the basic plane by code, the rest by code point.
    std::vector<int> FBmpWidths;
    std::unordered_map<unsigned, int> FOtherWidths;
    std::vector<int> FWidthBuf, FUnitBuf;
};
