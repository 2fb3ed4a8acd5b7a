#include "Clipbrd.h"

#include <cstring>

// Open for the lifetime of the scope; another program may hold the clipboard for a moment.
class TClipboard::TOpen {
public:
    explicit TOpen(HWND owner) {
        for (int attempt = 0; attempt < 10 && !FOpen; ++attempt) {
            FOpen = OpenClipboard(owner);
            if (!FOpen) Sleep(10);
        }
        if (!FOpen) throw EClipboardException(L"クリップボードを開けません。");
    }
    ~TOpen() { CloseClipboard(); }
    TOpen(const TOpen&) = delete;
    TOpen& operator=(const TOpen&) = delete;

private:
    BOOL FOpen = FALSE;
};

TClipboard::~TClipboard() {
    if (FOwner) DestroyWindow(FOwner);
}

HWND TClipboard::OwnerWindow() {
    if (!FOwner) {
        FOwner = CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, GetModuleHandleW(nullptr),
                                 nullptr);
        if (!FOwner) RaiseLastOSError();
    }
    return FOwner;
}

bool TClipboard::HasText() const { return IsClipboardFormatAvailable(CF_UNICODETEXT); }

String TClipboard::AsText() {
    TOpen open(OwnerWindow());
    HANDLE data = GetClipboardData(CF_UNICODETEXT);
    if (!data) return String();
    auto* text = static_cast<const wchar_t*>(GlobalLock(data));
    if (!text) return String();
    String result(text, wcsnlen(text, GlobalSize(data) / sizeof(wchar_t)));
    GlobalUnlock(data);
    return result;
}

void TClipboard::SetAsText(const String& Value) {
    TOpen open(OwnerWindow());
    EmptyClipboard();
    SIZE_T bytes = (Value.size() + 1) * sizeof(wchar_t);
    HGLOBAL mem = GlobalAlloc(GMEM_MOVEABLE, bytes);
    if (!mem) RaiseLastOSError();
    std::memcpy(GlobalLock(mem), Value.c_str(), bytes);
    GlobalUnlock(mem);
    // The clipboard owns the memory once it is set.
    if (!SetClipboardData(CF_UNICODETEXT, mem)) {
        GlobalFree(mem);
        RaiseLastOSError();
    }
}

TClipboard* Clipboard() {
    static TClipboard clipboard;
    return &clipboard;
}
