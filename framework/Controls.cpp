#include "Controls.h"

#include <algorithm>
#include <map>
#include <utility>

// ---- Shift states ----

TShiftState KeyboardShiftState() {
    TShiftState shift;
    if (GetKeyState(VK_SHIFT) < 0) shift.Include(TShiftStateItem::ssShift);
    if (GetKeyState(VK_CONTROL) < 0) shift.Include(TShiftStateItem::ssCtrl);
    if (GetKeyState(VK_MENU) < 0) shift.Include(TShiftStateItem::ssAlt);
    return shift;
}

TShiftState MouseShiftState(WPARAM keys) {
    TShiftState shift;
    if (keys & MK_SHIFT) shift.Include(TShiftStateItem::ssShift);
    if (keys & MK_CONTROL) shift.Include(TShiftStateItem::ssCtrl);
    if (keys & MK_LBUTTON) shift.Include(TShiftStateItem::ssLeft);
    if (keys & MK_RBUTTON) shift.Include(TShiftStateItem::ssRight);
    if (keys & MK_MBUTTON) shift.Include(TShiftStateItem::ssMiddle);
    if (GetKeyState(VK_MENU) < 0) shift.Include(TShiftStateItem::ssAlt);  // mouse messages carry no Alt
    return shift;
}

// Bounds have no default: every control has them in its stream. The alignment follows them, so
// that a docked control is laid out from the bounds read.
SS_PUBLISH(TControl) {
    p.Property(L"Left", &TControl::Left, &TControl::SetLeft);
    p.Property(L"Top", &TControl::Top, &TControl::SetTop);
    p.Property(L"Width", &TControl::Width, &TControl::SetWidth);
    p.Property(L"Height", &TControl::Height, &TControl::SetHeight);
    p.Property(L"Align", &TControl::Align, &TControl::SetAlign).Default(TAlign::alNone);
    p.Property(L"BiDiMode", &TControl::BiDiMode, &TControl::SetBiDiMode).Default(TBiDiMode::bdLeftToRight);
    p.Property(L"Caption", &TControl::Caption, &TControl::SetCaption);
    p.Property(L"Color", &TControl::Color, &TControl::SetColor).Default(clBtnFace);
    p.Property(L"Ctl3D", &TControl::Ctl3D, &TControl::SetCtl3D).Default(true);
    p.Property(L"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    p.Property(L"Font", &TControl::Font).Stored(&TControl::IsFontStored);
    p.Property(L"HelpContext", &TControl::HelpContext, &TControl::SetHelpContext).Default(0);
    p.Property(L"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    p.Property(L"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
}

// ---- TSizeConstraints ----

void TSizeConstraints::Assign(const TPersistent* Source) {
    auto* src = dynamic_cast<const TSizeConstraints*>(Source);
    if (!src) AssignError(Source);
    FMaxHeight = src->FMaxHeight;
    FMaxWidth = src->FMaxWidth;
    FMinHeight = src->FMinHeight;
    FMinWidth = src->FMinWidth;
    Changed();
}

void TSizeConstraints::SetMaxHeight(int v) { FMaxHeight = v; Changed(); }
void TSizeConstraints::SetMaxWidth(int v) { FMaxWidth = v; Changed(); }
void TSizeConstraints::SetMinHeight(int v) { FMinHeight = v; Changed(); }
void TSizeConstraints::SetMinWidth(int v) { FMinWidth = v; Changed(); }

void TSizeConstraints::Apply(int& Width, int& Height) const {
    if (FMaxWidth > 0) Width = std::min(Width, FMaxWidth);
    if (FMaxHeight > 0) Height = std::min(Height, FMaxHeight);
    Width = std::max(Width, FMinWidth);
    Height = std::max(Height, FMinHeight);
}

// The control's present size is brought within the new limits.
void TSizeConstraints::Changed() {
    FControl->SetBounds(FControl->FLeft, FControl->FTop, FControl->FWidth, FControl->FHeight);
}

// ---- TControl ----

TControl::TControl(TComponent* AOwner)
    : TComponent(AOwner), FFont(std::make_unique<TFont>()), FConstraints(std::make_unique<TSizeConstraints>(this)) {
    FFont->SetOwnerNotify([this](TObject*) {
        if (!FAssigningParentFont) FParentFont = false;
        FontChanged();
    });
}

TControl::~TControl() {
    if (FParent) FParent->RemoveControl(this);
}

void TControl::SetParent(TWinControl* AParent) {
    if (AParent == FParent) return;
    if (FParent) FParent->RemoveControl(this);
    if (AParent) AParent->InsertControl(this);
    ParentFontChanged();
}

void TControl::SetParentComponent(TComponent* AParent) {
    if (auto* w = dynamic_cast<TWinControl*>(AParent)) SetParent(w);
}

void TControl::ParentFontChanged() {
    if (!FParentFont || !FParent) return;
    FAssigningParentFont = true;
    FFont->Assign(*FParent->Font());
    FAssigningParentFont = false;
}

void TControl::SetParentFont(bool v) {
    FParentFont = v;
    ParentFontChanged();
}

void TControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    FConstraints->Apply(AWidth, AHeight);
    Invalidate();
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    Invalidate();
    if (FAlign != TAlign::alNone && FParent) FParent->AlignControls();
}

void TControl::ChangeScale(int M, int D) {
    auto scale = [M, D](int v) { return MulDiv(v, M, D); };
    int l = scale(FLeft), t = scale(FTop);
    int w = scale(FLeft + FWidth) - l, h = scale(FTop + FHeight) - t;
    TSizeConstraints& c = *FConstraints;
    c.FMaxHeight = scale(c.FMaxHeight);
    c.FMaxWidth = scale(c.FMaxWidth);
    c.FMinHeight = scale(c.FMinHeight);
    c.FMinWidth = scale(c.FMinWidth);
    if (!FParentFont) FFont->SetHeight(scale(FFont->Height()));
    SetBounds(l, t, w, h);
}

void TControl::SetAlign(TAlign v) {
    if (v == FAlign) return;
    FAlign = v;
    if (FParent) FParent->AlignControls();
}

UINT TControl::DrawTextBiDiModeFlags(UINT flags) const {
    if (FBiDiMode != TBiDiMode::bdRightToLeft) return flags;
    flags |= DT_RTLREADING;
    if (flags & DT_RIGHT) flags &= ~DT_RIGHT;
    else if (!(flags & DT_CENTER)) flags |= DT_RIGHT;
    return flags;
}

void TControl::SetVisible(bool v) {
    if (v == FVisible) return;
    Invalidate();
    FVisible = v;
    Invalidate();
}

void TControl::SetEnabled(bool v) {
    if (v == FEnabled) return;
    FEnabled = v;
    EnabledChanged();
}

void TControl::SetCaption(const String& v) {
    if (v == FCaption) return;
    FCaption = v;
    TextChanged();
}

void TControl::SetColor(TColor v) {
    if (v == FColor) return;
    FColor = v;
    ColorChanged();
}

void TControl::SetCtl3D(bool v) {
    if (v == FCtl3D) return;
    FCtl3D = v;
    Ctl3DChanged();
}

void TControl::Click() {
    if (OnClick) OnClick(this);
}

void TControl::Invalidate() {}

void TGraphicControl::Invalidate() {
    if (FParent && FParent->HandleAllocated()) {
        RECT r = BoundsRect();
        InvalidateRect(FParent->Handle(), &r, TRUE);
    }
}

void TGraphicControl::Update() {
    if (FParent) FParent->Update();
}

void TCustomControl::PaintWindow(HDC dc) {
    FCanvas.SetHandle(dc);
    struct Detach {
        TCanvas& c;
        ~Detach() { c.SetHandle(nullptr); }
    } detach{FCanvas};
    Paint();
}

// ---- TWinControl ----

void (*TWinControl::FExceptionHandler)(std::exception_ptr) = nullptr;

namespace {
// The control whose window CreateWindowEx is making; its first message binds the two.
thread_local TWinControl* CreatingControl = nullptr;
// While windows are made again, the focus passes through their parents on its way back: that
// is no focus change to report.
thread_local int RecreatingWindows = 0;
// The system window procedure behind each class made from a system class.
std::map<String, WNDPROC>& SysClassProcs() {
    static std::map<String, WNDPROC> procs;
    return procs;
}
}  // namespace

SS_PUBLISH(TWinControl) {
    p.Property(L"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    p.Property(L"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
}

TWinControl::TWinControl(TComponent* AOwner) : TControl(AOwner) {}

TWinControl::~TWinControl() {
    // Owned components go while this window still exists, then the children of other owners
    // are detached, then the window itself.
    DestroyComponents();
    // Leaves the parent while still a windowed control, so that it also leaves the tab list.
    if (FParent) FParent->RemoveControl(this);
    for (TControl* c : std::vector<TControl*>(FControls)) c->SetParent(nullptr);
    DestroyHandle();
    GdiObjects::Delete(FBrush);
}

void TWinControl::GetChildren(const std::function<void(TComponent*)>& Proc, TComponent* Root) {
    for (TControl* c : FControls)
        if (c->Owner() == Root) Proc(c);
}

void TWinControl::InsertControl(TControl* c) {
    FControls.push_back(c);
    c->FParent = this;
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
        FTabList.push_back(w);
        if (HandleAllocated()) w->CreateHandle();
    } else {
        c->Invalidate();
    }
    if (c->FAlign != TAlign::alNone) AlignControls();
}

void TWinControl::AlignControls() {
    if (FAligning) return;
    FAligning = true;
    RECT r = ClientRect();
    for (TAlign kind : {TAlign::alTop, TAlign::alBottom, TAlign::alLeft, TAlign::alRight, TAlign::alClient})
        for (TControl* c : FControls) {
            if (c->FAlign != kind || !c->FVisible) continue;
            int w = c->FWidth, h = c->FHeight;
            switch (kind) {
                case TAlign::alTop: c->SetBounds(r.left, r.top, r.right - r.left, h); r.top += h; break;
                case TAlign::alBottom: r.bottom -= h; c->SetBounds(r.left, r.bottom, r.right - r.left, h); break;
                case TAlign::alLeft: c->SetBounds(r.left, r.top, w, r.bottom - r.top); r.left += w; break;
                case TAlign::alRight: r.right -= w; c->SetBounds(r.right, r.top, w, r.bottom - r.top); break;
                default: c->SetBounds(r.left, r.top, r.right - r.left, r.bottom - r.top); break;
            }
        }
    FAligning = false;
}

void TWinControl::AnchorControls() {
    RECT r = ClientRect();
    SIZE now{r.right - r.left, r.bottom - r.top};
    SIZE base = std::exchange(FAnchorBase, now);
    if (base.cx < 0 || FScaling) return;
    int dx = now.cx - base.cx, dy = now.cy - base.cy;
    if (!dx && !dy) return;
    for (TControl* c : std::vector<TControl*>(FControls)) {
        if (c->FAlign != TAlign::alNone) continue;
        const TAnchors& a = c->FAnchors;
        int l = c->FLeft, t = c->FTop, w = c->FWidth, h = c->FHeight;
        if (a.Contains(TAnchorKind::akRight)) (a.Contains(TAnchorKind::akLeft) ? w : l) += dx;
        if (a.Contains(TAnchorKind::akBottom)) (a.Contains(TAnchorKind::akTop) ? h : t) += dy;
        if (l != c->FLeft || t != c->FTop || w != c->FWidth || h != c->FHeight) c->SetBounds(l, t, w, h);
    }
}

namespace {
// Scaling moves the children itself: the anchors only take the new size.
struct ScalingScope {
    int& Count;
    explicit ScalingScope(int& count) : Count(count) { ++Count; }
    ~ScalingScope() { --Count; }
};
}  // namespace

void TWinControl::ChangeScale(int M, int D) {
    {
        ScalingScope scaling(FScaling);
        TControl::ChangeScale(M, D);
        for (TControl* c : std::vector<TControl*>(FControls)) c->ChangeScale(M, D);
    }
    AnchorControls();
    AlignControls();
}

void TWinControl::ScaleBy(int M, int D) {
    {
        ScalingScope scaling(FScaling);
        if (!FParentFont) FFont->SetHeight(MulDiv(FFont->Height(), M, D));
        ScaleExtent(M, D);
        for (TControl* c : std::vector<TControl*>(FControls)) c->ChangeScale(M, D);
    }
    AnchorControls();
    AlignControls();
}

void TWinControl::ScaleExtent(int M, int D) {
    SetBounds(FLeft, FTop, MulDiv(FWidth, M, D), MulDiv(FHeight, M, D));
}

void TWinControl::RemoveControl(TControl* c) {
    if (auto* w = dynamic_cast<TWinControl*>(c)) TopParent()->ControlRemoving(w);
    c->Invalidate();
    FControls.erase(std::remove(FControls.begin(), FControls.end(), c), FControls.end());
    if (auto* w = dynamic_cast<TWinControl*>(c)) {
        FTabList.erase(std::remove(FTabList.begin(), FTabList.end(), w), FTabList.end());
        w->DestroyHandle();
    }
    c->FParent = nullptr;
}

int TWinControl::TabOrder() const {
    if (!FParent) return -1;
    auto& l = FParent->FTabList;
    return int(std::find(l.begin(), l.end(), this) - l.begin());
}

void TWinControl::SetTabOrder(int v) {
    if (!FParent) return;
    auto& l = FParent->FTabList;
    l.erase(std::remove(l.begin(), l.end(), this), l.end());
    v = std::clamp(v, 0, int(l.size()));
    l.insert(l.begin() + v, this);
    FParent->ApplyTabOrder();
}

// Dialog navigation follows the windows' z-order, so the tab list becomes the z-order.
void TWinControl::ApplyTabOrder() {
    HWND after = HWND_TOP;
    for (TWinControl* w : FTabList) {
        if (!w->HandleAllocated()) continue;
        SetWindowPos(w->FHandle, after, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        after = w->FHandle;
    }
}

void TWinControl::SetTabStop(bool v) {
    FTabStop = v;
    if (HandleAllocated()) {
        LONG_PTR style = GetWindowLongPtrW(FHandle, GWL_STYLE);
        SetWindowLongPtrW(FHandle, GWL_STYLE, v ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP));
    }
}

bool TWinControl::CanFocus() const {
    for (const TWinControl* c = this; c; c = c->FParent)
        if (!c->FVisible || !c->FEnabled) return false;
    return true;
}

void TWinControl::SetFocus() {
    ::SetFocus(Handle());
}

bool TWinControl::Focused() const {
    return FHandle && GetFocus() == FHandle;
}

void TWinControl::CreateParams(TCreateParams& p) {
    p.Caption = FCaption;
    p.Style = WS_CLIPCHILDREN | WS_CLIPSIBLINGS;
    if (FParent) p.Style |= WS_CHILD;
    if (FVisible) p.Style |= WS_VISIBLE;
    if (!FEnabled) p.Style |= WS_DISABLED;
    if (FTabStop) p.Style |= WS_TABSTOP;
    p.X = FLeft;
    p.Y = FTop;
    p.Width = FWidth;
    p.Height = FHeight;
    if (FParent) p.WndParent = FParent->Handle();
    p.WinClassName = ClassName();
}

void TWinControl::CreateWnd() {
    TCreateParams p;
    CreateParams(p);
    HINSTANCE inst = GetModuleHandleW(nullptr);
    auto& procs = SysClassProcs();
    WNDCLASSEXW existing{sizeof(existing)};
    if (!GetClassInfoExW(inst, p.WinClassName.c_str(), &existing)) {
        WNDCLASSEXW wc{sizeof(wc)};
        WNDPROC def = DefWindowProcW;
        if (p.SysClass) {
            if (!GetClassInfoExW(nullptr, p.SysClass, &wc)) RaiseLastOSError();
            wc.cbSize = sizeof(wc);
            def = wc.lpfnWndProc;
        } else {
            wc.style = CS_DBLCLKS;
            wc.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32512));  // arrow
        }
        wc.lpfnWndProc = StdWndProc;
        wc.hInstance = inst;
        wc.lpszClassName = p.WinClassName.c_str();
        if (!RegisterClassExW(&wc)) RaiseLastOSError();
        procs[p.WinClassName] = def;
    }
    auto it = procs.find(p.WinClassName);
    FDefWndProc = it != procs.end() ? it->second : DefWindowProcW;

    CreatingControl = this;
    HWND h = CreateWindowExW(p.ExStyle, p.WinClassName.c_str(), p.Caption.c_str(), p.Style, p.X, p.Y,
                             p.Width, p.Height, p.WndParent, nullptr, inst, nullptr);
    CreatingControl = nullptr;
    if (!h) RaiseLastOSError();
    FHandle = h;
}

void TWinControl::CreateHandle() {
    if (FHandle) return;
    // A parent without a window makes its children's windows along with its own.
    if (FParent && !FParent->HandleAllocated()) {
        FParent->CreateHandle();
        if (FHandle) return;
    }
    CreateWnd();
    SendMessageW(FHandle, WM_SETFONT, WPARAM(FFont->Handle()), FALSE);
    UpdateBounds();
    for (TWinControl* w : FTabList) w->CreateHandle();
    ApplyTabOrder();
}

TWinControl* TWinControl::FindControl(HWND h) {
    if (!h || WNDPROC(GetWindowLongPtrW(h, GWLP_WNDPROC)) != StdWndProc) return nullptr;
    return reinterpret_cast<TWinControl*>(GetWindowLongPtrW(h, GWLP_USERDATA));
}

HWND TWinControl::Handle() {
    CreateHandle();
    return FHandle;
}

void TWinControl::RecreateWnd() {
    if (!FHandle) return;
    // The framework control that has the focus, when it is this one or inside it.
    TWinControl* focused = nullptr;
    HWND f = GetFocus();
    if (f && (f == FHandle || IsChild(FHandle, f)))
        for (HWND h = f; h && !focused; h = GetParent(h)) focused = FindControl(h);
    {
        ++RecreatingWindows;
        struct Done {
            ~Done() { --RecreatingWindows; }
        } done;
        DestroyHandle();
        CreateHandle();
    }
    if (FParent) FParent->ApplyTabOrder();  // a new window starts on top of its siblings
    if (focused) focused->SetFocus();
}

TWinControl* TWinControl::TopParent() {
    TWinControl* top = this;
    while (top->FParent) top = top->FParent;
    return top;
}

void TWinControl::DestroyHandle() {
    if (!FHandle) return;
    HWND h = FHandle;
    DestroyWindow(h);  // WM_NCDESTROY clears FHandle, also for windowed children
    FHandle = nullptr;
}

void TWinControl::UpdateBounds() {
    if (!FHandle) return;
    RECT r;
    GetWindowRect(FHandle, &r);
    if (HWND parent = GetParent(FHandle); parent && (GetWindowLongPtrW(FHandle, GWL_STYLE) & WS_CHILD))
        MapWindowPoints(HWND_DESKTOP, parent, reinterpret_cast<POINT*>(&r), 2);
    FLeft = r.left;
    FTop = r.top;
    FWidth = r.right - r.left;
    FHeight = r.bottom - r.top;
}

void TWinControl::SetBounds(int ALeft, int ATop, int AWidth, int AHeight) {
    FConstraints->Apply(AWidth, AHeight);
    FLeft = ALeft;
    FTop = ATop;
    FWidth = AWidth;
    FHeight = AHeight;
    if (FHandle) MoveWindow(FHandle, ALeft, ATop, AWidth, AHeight, TRUE);  // WM_SIZE anchors the children
    else AnchorControls();
    if (FAlign != TAlign::alNone && FParent) FParent->AlignControls();
}

void TWinControl::SetVisible(bool v) {
    FVisible = v;
    if (v || FHandle) ShowWindow(Handle(), v ? SW_SHOW : SW_HIDE);
}

void TWinControl::SetEnabled(bool v) {
    FEnabled = v;
    if (FHandle) EnableWindow(FHandle, v);
}

void TWinControl::Invalidate() {
    if (FHandle) InvalidateRect(FHandle, nullptr, TRUE);
}

void TWinControl::Update() {
    if (FHandle) UpdateWindow(FHandle);
}

int TWinControl::ScrollPos(int Bar) { return GetScrollPos(Handle(), Bar); }

void TWinControl::SetScrollPos(int Bar, int Pos) {
    if (ScrollPos(Bar) != Pos) ::SetScrollPos(Handle(), Bar, Pos, TRUE);
}

void TWinControl::ScrollRange(int Bar, int& Min, int& Max) {
    Min = Max = 0;
    GetScrollRange(Handle(), Bar, &Min, &Max);
}

void TWinControl::SetScrollRange(int Bar, int Min, int Max) {
    int min, max;
    ScrollRange(Bar, min, max);
    if (min != Min || max != Max) ::SetScrollRange(Handle(), Bar, Min, Max, TRUE);
}

int TWinControl::ScrollTrackPos(int Bar) {
    SCROLLINFO si{sizeof(si), SIF_TRACKPOS};
    GetScrollInfo(Handle(), Bar, &si);
    return si.nTrackPos;
}

void TWinControl::ScrollClient(int DX, int DY, const RECT* Scroll, bool Erase) {
    ScrollWindowEx(Handle(), DX, DY, Scroll, Scroll, nullptr, nullptr, SW_INVALIDATE | (Erase ? SW_ERASE : 0));
}

void TWinControl::ScrollCommand(int Bar, int Code, int Pos) {
    TMessage msg{UINT(Bar == SB_HORZ ? WM_HSCROLL : WM_VSCROLL), MAKEWPARAM(Code, Pos), 0, 0};
    DefaultHandler(msg);
}

bool TWinControl::DoMouseWheel(TShiftState Shift, int WheelDelta, POINT MousePos) {
    bool handled = false;
    if (OnMouseWheel) OnMouseWheel(this, Shift, WheelDelta, MousePos, handled);
    if (handled) return true;
    if (WheelDelta < 0 && OnMouseWheelDown) OnMouseWheelDown(this, Shift, MousePos, handled);
    else if (WheelDelta > 0 && OnMouseWheelUp) OnMouseWheelUp(this, Shift, MousePos, handled);
    return handled;
}

void TWinControl::DoEnter() {
    if (OnEnter) OnEnter(this);
}

void TWinControl::DoExit() {
    if (OnExit) OnExit(this);
}

RECT TWinControl::ClientRect() {
    RECT r{0, 0, FWidth, FHeight};
    if (FHandle) GetClientRect(FHandle, &r);
    return r;
}

void TWinControl::FontChanged() {
    if (FHandle) SendMessageW(FHandle, WM_SETFONT, WPARAM(FFont->Handle()), TRUE);
    for (TControl* c : FControls) c->ParentFontChanged();
    Invalidate();
}

void TWinControl::TextChanged() {
    if (FHandle) SetWindowTextW(FHandle, FCaption.c_str());
}

// Made again only when the colour changes: a control may keep the brush its parent handed out
// (the animation control paints its frames with it later, from its own thread).
HBRUSH TWinControl::Brush() {
    COLORREF rgb = ColorToRGB(FColor);
    if (FBrush && rgb == FBrushColor) return FBrush;
    GdiObjects::Delete(FBrush);
    FBrush = CreateSolidBrush(rgb);
    FBrushColor = rgb;
    return FBrush;
}

TWinControl* TWinControl::FindChild(HWND h) const {
    for (TWinControl* w : FTabList)
        if (w->FHandle == h) return w;
    return nullptr;
}

void TWinControl::PaintControls(HDC dc, const RECT& clip) {
    for (TControl* c : FControls) {
        auto* g = dynamic_cast<TGraphicControl*>(c);
        if (!g || !g->FVisible) continue;
        RECT r = g->BoundsRect(), hit;
        if (!IntersectRect(&hit, &r, &clip)) continue;
        int saved = SaveDC(dc);
        IntersectClipRect(dc, r.left, r.top, r.right, r.bottom);
        OffsetViewportOrgEx(dc, r.left, r.top, nullptr);
        g->FCanvas.SetHandle(dc);
        try {
            g->Paint();
        } catch (...) {
            g->FCanvas.SetHandle(nullptr);
            RestoreDC(dc, saved);
            throw;
        }
        g->FCanvas.SetHandle(nullptr);
        RestoreDC(dc, saved);
    }
}

void TWinControl::SetDoubleBuffered(bool v) {
    FDoubleBuffered = v;
    if (!v) FPaintBuffer.reset();
}

TWinControl::TPaintBuffer::~TPaintBuffer() {
    if (DC) {
        SelectObject(DC, OldBitmap);
        DeleteDC(DC);
    }
    GdiObjects::Delete(Bitmap);
}

HDC TWinControl::TPaintBuffer::Begin(const RECT& Area) {
    int w = Area.right - Area.left, h = Area.bottom - Area.top;
    if (!DC) DC = CreateCompatibleDC(nullptr);
    if (w > Width || h > Height) {
        // A section bitmap: drawing on it needs no trip to the display.
        BITMAPINFO bi{};
        bi.bmiHeader.biSize = sizeof(bi.bmiHeader);
        bi.bmiHeader.biWidth = std::max(w, Width);
        bi.bmiHeader.biHeight = -std::max(h, Height);
        bi.bmiHeader.biPlanes = 1;
        bi.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HBITMAP bmp = CreateDIBSection(nullptr, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
        if (!bmp) RaiseLastOSError();
        HGDIOBJ previous = SelectObject(DC, bmp);
        if (!OldBitmap) OldBitmap = previous;
        GdiObjects::Delete(Bitmap);
        Bitmap = bmp;
        Width = bi.bmiHeader.biWidth;
        Height = -bi.bmiHeader.biHeight;
    }
    SetViewportOrgEx(DC, -Area.left, -Area.top, nullptr);
    HRGN clip = CreateRectRgn(0, 0, w, h);
    SelectClipRgn(DC, clip);  // selects a copy
    GdiObjects::Delete(clip);
    return DC;
}

void TWinControl::Paint(HDC dc) {
    PAINTSTRUCT ps;
    HDC paintDc = dc ? dc : BeginPaint(FHandle, &ps);
    RECT clip;
    if (dc) GetClipBox(dc, &clip); else clip = ps.rcPaint;
    if (FDoubleBuffered && !dc && !IsRectEmpty(&clip)) {
        if (!FPaintBuffer) FPaintBuffer = std::make_unique<TPaintBuffer>();
        HDC mem = FPaintBuffer->Begin(clip);
        PaintWindow(mem);
        PaintControls(mem, clip);
        BitBlt(paintDc, clip.left, clip.top, clip.right - clip.left, clip.bottom - clip.top, mem, clip.left, clip.top,
               SRCCOPY);
    } else {
        PaintWindow(paintDc);
        PaintControls(paintDc, clip);
    }
    if (!dc) EndPaint(FHandle, &ps);
}

void TWinControl::WndProc(TMessage& msg) {
    switch (msg.Msg) {
        case WM_ERASEBKGND:
            if (!FDefWndProc || FDefWndProc == DefWindowProcW) {
                RECT r;
                GetClientRect(FHandle, &r);
                FillRect(HDC(msg.WParam), &r, Brush());
                msg.Result = 1;
                return;
            }
            break;
        case WM_PAINT:
            if (FDefWndProc == DefWindowProcW) {
                Paint(HDC(msg.WParam));
                msg.Result = 0;
                return;
            }
            break;
        case WM_COMMAND:
            if (msg.LParam) {
                if (TWinControl* child = FindChild(HWND(msg.LParam))) {
                    child->CommandNotify(HIWORD(msg.WParam));
                    msg.Result = 0;
                    return;
                }
            }
            break;
        case WM_DRAWITEM: {
            const auto& item = *reinterpret_cast<const DRAWITEMSTRUCT*>(msg.LParam);
            if (TWinControl* child = FindChild(item.hwndItem); child && child->DrawItem(item)) {
                msg.Result = TRUE;
                return;
            }
            break;
        }
        case WM_SIZE:
            DefaultHandler(msg);
            AnchorControls();
            AlignControls();
            return;
        case WM_SETFOCUS:
            // Reported once the control has taken the focus, and only while it still has it (its
            // handling of the focus may have moved it on, and that move was reported).
            DefaultHandler(msg);
            if (!RecreatingWindows && GetFocus() == FHandle) TopParent()->ControlFocused(this);
            return;
        case WM_HSCROLL:
        case WM_VSCROLL:
            if (!msg.LParam) {  // the window's own bar; a scroll-bar child sends its handle
                int bar = msg.Msg == WM_HSCROLL ? SB_HORZ : SB_VERT;
                int code = LOWORD(msg.WParam);
                // The message has only 16 bits of the thumb position; a longer range reads the
                // bar's track position (a message sent for a small range means what it says).
                int pos = HIWORD(msg.WParam);
                if (code == SB_THUMBTRACK || code == SB_THUMBPOSITION) {
                    int lo = 0, hi = 0;
                    ScrollRange(bar, lo, hi);
                    if (hi > 0xFFFF || lo < 0) pos = ScrollTrackPos(bar);
                }
                ScrollCommand(bar, code, pos);
                msg.Result = 0;
                return;
            }
            break;
        case WM_MOUSEWHEEL: {
            POINT pt{short(LOWORD(msg.LParam)), short(HIWORD(msg.LParam))};
            if (DoMouseWheel(MouseShiftState(LOWORD(msg.WParam)), short(HIWORD(msg.WParam)), pt)) {
                msg.Result = 0;
                return;
            }
            break;
        }
        case WM_CTLCOLORBTN:
        case WM_CTLCOLORSTATIC:
            if (TWinControl* child = FindChild(HWND(msg.LParam))) {
                SetBkColor(HDC(msg.WParam), ColorToRGB(child->FColor));
                SetTextColor(HDC(msg.WParam), ColorToRGB(child->FFont->Color()));
                msg.Result = LRESULT(child->Brush());
                return;
            }
            break;
        case WM_LBUTTONUP:
            // A click on a control painted by this window goes to that control.
            for (auto it = FControls.rbegin(); it != FControls.rend(); ++it) {
                auto* g = dynamic_cast<TGraphicControl*>(*it);
                POINT pt{short(LOWORD(msg.LParam)), short(HIWORD(msg.LParam))};
                RECT r = g ? g->BoundsRect() : RECT{};
                if (g && g->FVisible && g->FEnabled && PtInRect(&r, pt)) {
                    g->Click();
                    msg.Result = 0;
                    return;
                }
            }
            [[fallthrough]];
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_MBUTTONDOWN:
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
        case WM_MOUSEMOVE:
            DefaultHandler(msg);
            MouseMessage(msg);
            return;
        case WM_KEYDOWN:
        case WM_SYSKEYDOWN:
        case WM_KEYUP:
        case WM_SYSKEYUP: {
            WORD key = WORD(msg.WParam);
            bool down = msg.Msg == WM_KEYDOWN || msg.Msg == WM_SYSKEYDOWN;
            down ? KeyDown(key, KeyboardShiftState()) : KeyUp(key, KeyboardShiftState());
            if (!key) {
                msg.Result = 0;
                return;
            }
            msg.WParam = key;
            break;
        }
        case WM_CHAR: {
            auto key = wchar_t(msg.WParam);
            KeyPress(key);
            if (!key) {
                msg.Result = 0;
                return;
            }
            msg.WParam = WPARAM(key);
            break;
        }
        case WM_TIMER:
            TimerTick(msg.WParam);
            msg.Result = 0;
            return;
        case WM_SETCURSOR:
            if (HWND(msg.WParam) == FHandle && LOWORD(msg.LParam) == HTCLIENT) {
                POINT pt;
                GetCursorPos(&pt);
                ScreenToClient(FHandle, &pt);
                if (HCURSOR cursor = ClientCursor(pt)) {
                    SetCursor(cursor);
                    msg.Result = TRUE;
                    return;
                }
            }
            break;
    }
    DefaultHandler(msg);
}

void TWinControl::MouseMessage(const TMessage& msg) {
    int x = short(LOWORD(msg.LParam)), y = short(HIWORD(msg.LParam));
    TShiftState shift = MouseShiftState(msg.WParam);
    TMouseButton button = TMouseButton::mbLeft;
    switch (msg.Msg) {
        case WM_MOUSEMOVE: return MouseMove(shift, x, y);
        case WM_RBUTTONDOWN:
        case WM_RBUTTONDBLCLK:
        case WM_RBUTTONUP: button = TMouseButton::mbRight; break;
        case WM_MBUTTONDOWN:
        case WM_MBUTTONDBLCLK:
        case WM_MBUTTONUP: button = TMouseButton::mbMiddle; break;
        default: break;
    }
    switch (msg.Msg) {
        case WM_LBUTTONUP:
        case WM_RBUTTONUP:
        case WM_MBUTTONUP:
            MouseUp(button, shift, x, y);
            // Released after the handler: losing the capture ends a drag unapplied.
            if (button == TMouseButton::mbLeft && FCaptureOnPress && GetCapture() == FHandle) ReleaseCapture();
            return;
        case WM_LBUTTONDBLCLK:
        case WM_RBUTTONDBLCLK:
        case WM_MBUTTONDBLCLK:
            if (button == TMouseButton::mbLeft) DblClick();
            shift.Include(TShiftStateItem::ssDouble);
            break;
        default: break;
    }
    if (button == TMouseButton::mbLeft && FCaptureOnPress && FHandle) SetCapture(FHandle);
    MouseDown(button, shift, x, y);
}

void TWinControl::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseDown) OnMouseDown(this, Button, Shift, X, Y);
}

void TWinControl::MouseMove(TShiftState Shift, int X, int Y) {
    if (OnMouseMove) OnMouseMove(this, Shift, X, Y);
}

void TWinControl::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (OnMouseUp) OnMouseUp(this, Button, Shift, X, Y);
}

void TWinControl::DblClick() {
    if (OnDblClick) OnDblClick(this);
}

void TWinControl::KeyDown(WORD& Key, TShiftState Shift) {
    if (OnKeyDown) OnKeyDown(this, Key, Shift);
}

void TWinControl::KeyUp(WORD& Key, TShiftState Shift) {
    if (OnKeyUp) OnKeyUp(this, Key, Shift);
}

void TWinControl::KeyPress(wchar_t& Key) {
    if (OnKeyPress) OnKeyPress(this, Key);
}

bool TWinControl::MouseCapture() const { return FHandle && GetCapture() == FHandle; }

void TWinControl::SetMouseCapture(bool v) {
    if (v) SetCapture(Handle());
    else if (MouseCapture()) ReleaseCapture();
}

void TWinControl::DefaultHandler(TMessage& msg) {
    msg.Result = CallWindowProcW(FDefWndProc ? FDefWndProc : DefWindowProcW, FHandle, msg.Msg, msg.WParam,
                                 msg.LParam);
}

LRESULT CALLBACK TWinControl::StdWndProc(HWND h, UINT m, WPARAM w, LPARAM l) {
    auto* self = reinterpret_cast<TWinControl*>(GetWindowLongPtrW(h, GWLP_USERDATA));
    if (!self) {
        self = CreatingControl;
        if (!self) return DefWindowProcW(h, m, w, l);
        CreatingControl = nullptr;
        self->FHandle = h;
        SetWindowLongPtrW(h, GWLP_USERDATA, LONG_PTR(self));
    }
    TMessage msg{m, w, l, 0};
    try {
        self->WndProc(msg);
    } catch (...) {
        // Exceptions never cross the system's window-procedure frames.
        if (FExceptionHandler) FExceptionHandler(std::current_exception());
    }
    if (m == WM_NCDESTROY) {
        SetWindowLongPtrW(h, GWLP_USERDATA, 0);
        self->FHandle = nullptr;
    }
    return msg.Result;
}
