// The system clipboard as text.
#pragma once
#include "Classes.h"
#include "WinApi.h"

SS_EXCEPTION(EClipboardException, Exception)

class TClipboard : public TPersistent {
    SS_CLASS(TClipboard, TPersistent)
public:
    TClipboard() = default;
    ~TClipboard() override;
    TClipboard(const TClipboard&) = delete;
    TClipboard& operator=(const TClipboard&) = delete;

    // The clipboard's Unicode text; empty when it holds none.
    String AsText();
    // Replaces the clipboard's content with Value. EClipboardException when the clipboard is
    // held by another window.
    void SetAsText(const String& Value);
    bool HasText() const;

private:
    class TOpen;
    // Setting data needs an owner window: a message-only one of our own.
    HWND OwnerWindow();
    HWND FOwner = nullptr;
};

// The process's clipboard object, made on first use.
TClipboard* Clipboard();
