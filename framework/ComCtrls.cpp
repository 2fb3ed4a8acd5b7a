#include "ComCtrls.h"

#include "AviClip.h"

#include <filesystem>
#include <fstream>
#include <string_view>

namespace {

// The shell library that holds the common clips, kept loaded for the rest of the run.
HMODULE ShellModule() {
    static const TLibraryHandle shell(L"shell32.dll");
    return shell.Get();
}

std::string_view ResourceStart(HMODULE module, LPCWSTR name) {
    HRSRC res = FindResourceW(module, name, L"AVI");
    HGLOBAL data = res ? LoadResource(module, res) : nullptr;
    const char* bytes = data ? static_cast<const char*>(LockResource(data)) : nullptr;
    return bytes ? std::string_view(bytes, SizeofResource(module, res)) : std::string_view();
}

std::string FileStart(const String& fileName) {
    std::string bytes(ClipStartSize, '\0');
    std::ifstream file(std::filesystem::path(fileName), std::ios::binary);
    file.read(bytes.data(), std::streamsize(bytes.size()));
    bytes.resize(size_t(file.gcount()));
    return bytes;
}

}  // namespace

int CommonAVIResId(TCommonAVI Value) {
    static const int ids[] = {0, 150, 151, 152, 160, 161, 162, 163, 164};
    return ids[int(Value)];
}

TAnimate::TAnimate(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 100;
    FHeight = 80;
}

void TAnimate::CreateParams(TCreateParams& Params) {
    INITCOMMONCONTROLSEX icc{sizeof(icc), ICC_ANIMATE_CLASS};
    InitCommonControlsEx(&icc);  // registers the window class; cheap when done already
    TWinControl::CreateParams(Params);
    Params.SysClass = ANIMATE_CLASSW;
    Params.Style |= ACS_CENTER | ACS_TRANSPARENT;
}

void TAnimate::CreateWnd() {
    TWinControl::CreateWnd();
    // A window made again (or made after its source was set) opens the clip it had; failing
    // here leaves it closed, as the caller asked for a window, not for a clip.
    bool wasActive = FActive;
    FOpen = FActive = false;
    if (!FParent || !HasSource() || Loading()) return;
    try {
        OpenClip();
        if (wasActive) SetActive(true);
    } catch (const Exception&) {
    }
}

bool TAnimate::Loading() const { return ComponentState().Contains(TComponentStateItem::csLoading); }

bool TAnimate::HasSource() const {
    return !FFileName.empty() || FCommonAVI != TCommonAVI::aviNone || FResId != 0 || !FResName.empty();
}

void TAnimate::SetFileName(const String& Value) {
    FFileName = Value;
    FResHandle = nullptr;
    FResId = 0;
    FResName.clear();
    FCommonAVI = TCommonAVI::aviNone;
    SourceChanged();
}

void TAnimate::SetResHandle(HMODULE Value) {
    FResHandle = Value;
    FFileName.clear();
    FCommonAVI = TCommonAVI::aviNone;
    SourceChanged();
}

void TAnimate::SetResId(int Value) {
    FResId = Value;
    FResName.clear();
    FFileName.clear();
    FCommonAVI = TCommonAVI::aviNone;
    SourceChanged();
}

void TAnimate::SetResName(const String& Value) {
    FResName = Value;
    FResId = 0;
    FFileName.clear();
    FCommonAVI = TCommonAVI::aviNone;
    SourceChanged();
}

void TAnimate::SetCommonAVI(TCommonAVI Value) {
    FCommonAVI = Value;
    FFileName.clear();
    FResHandle = nullptr;
    FResId = 0;
    FResName.clear();
    SourceChanged();
}

void TAnimate::SourceChanged() {
    CloseClip();
    if (!FParent || Loading() || !HasSource()) return;
    WindowNeeded();  // a new window opens the clip itself
    if (!FOpen) OpenClip();
}

// The parent's window is made first: making it makes this one among its children, whereas
// asking for this one first would make the parent's in between and this one twice.
HWND TAnimate::WindowNeeded() {
    FParent->Handle();
    return Handle();
}

void TAnimate::SetOpen(bool Value) {
    if (Value == FOpen) return;
    if (!Value) {
        CloseClip();
        return;
    }
    if (!FParent) throw Exception(L"アニメーション コントロールに親ウィンドウがありません");
    WindowNeeded();
    if (!FOpen) OpenClip();
}

void TAnimate::OpenClip() {
    HWND window = WindowNeeded();
    CloseClip();
    TClipInfo info;
    LRESULT opened;
    if (!FFileName.empty()) {
        info = ReadClipInfo(FileStart(FFileName));
        opened = SendMessageW(window, ACM_OPENW, 0, LPARAM(FFileName.c_str()));
    } else {
        bool common = FCommonAVI != TCommonAVI::aviNone;
        HMODULE module = common ? ShellModule() : FResHandle ? FResHandle : GetModuleHandleW(nullptr);
        LPCWSTR name = common ? MAKEINTRESOURCEW(CommonAVIResId(FCommonAVI))
                       : FResName.empty() ? MAKEINTRESOURCEW(FResId)
                                          : FResName.c_str();
        info = ReadClipInfo(ResourceStart(module, name));
        opened = SendMessageW(window, ACM_OPENW, WPARAM(module), LPARAM(name));
    }
    if (!opened) throw Exception(L"AVI クリップを開けません");
    FOpen = true;
    FFrameCount = info.Frames;
    FFrameWidth = info.Width;
    FFrameHeight = info.Height;
    FStartFrame = 1;
    FStopFrame = FFrameCount;
}

void TAnimate::CloseClip() {
    if (HandleAllocated() && FOpen) SendMessageW(FHandle, ACM_OPENW, 0, 0);  // stops a play too
    FOpen = FActive = FPlayingCount = false;
    FFrameCount = FFrameWidth = FFrameHeight = 0;
}

void TAnimate::SetActive(bool Value) {
    if (Value) Play(FStartFrame, FStopFrame, FRepetitions);
    else Stop();
}

void TAnimate::Play(int FromFrame, int ToFrame, int Count) {
    SetOpen(true);
    Stop();  // a playing window would ignore the new play
    FAwaitingStart = true;
    if (!SendMessageW(FHandle, ACM_PLAY, WPARAM(Count > 0 ? Count : -1), MAKELPARAM(FromFrame - 1, ToFrame - 1)))
        throw Exception(L"AVI クリップを再生できません");
    FActive = true;
    FPlayingCount = Count > 0;
}

void TAnimate::Stop() {
    if (FActive && HandleAllocated()) SendMessageW(FHandle, ACM_STOP, 0, 0);
    FActive = FPlayingCount = false;
}

void TAnimate::Seek(int Frame) {
    Play(Frame, Frame, 1);
    FActive = FPlayingCount = false;
}

void TAnimate::Reset() {
    SetOpen(true);
    Seek(FStartFrame);
}

// A play with a count ends by itself, which the window reports as a stop. The window may post
// its notifications, so the stop of an earlier play can come after a new play has begun: stops
// count only after the start of the current play.
void TAnimate::CommandNotify(WORD Code) {
    if (Code == ACN_START) FAwaitingStart = false;
    if (Code == ACN_STOP && !FAwaitingStart && FPlayingCount) FActive = FPlayingCount = false;
}
