// The progress window that the file operations show while they copy, move or delete, and its
// settings.
#pragma once
#include <memory>

#include "Forms.h"
#include "ssAnimat.h"
#include "ssLabel.h"

// The progress window's settings: its title, the caption line above the clip, and where it
// appears: centred on the screen, or Left and Top away from the top-left corner of the form
// that owns the file operation.
class TssFCDialog : public TPersistent {
    SS_CLASS(TssFCDialog, TPersistent)
public:
    const String& Title() const { return FTitle; }
    void SetTitle(const String& Value) { FTitle = Value; }
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& Value) { FCaption = Value; }
    bool ScreenCenter() const { return FScreenCenter; }
    void SetScreenCenter(bool Value) { FScreenCenter = Value; }
    int Top() const { return FTop; }
    void SetTop(int Value) { FTop = Value; }
    int Left() const { return FLeft; }
    void SetLeft(int Value) { FLeft = Value; }

private:
    String FTitle;
    String FCaption;
    bool FScreenCenter = true;
    int FTop = 0;
    int FLeft = 0;
};

// A small window that stays on top, with an optional caption line over a clip of flying pages
// (copying) or of a page going into the waste bin (deleting). The clip plays while the window
// is visible.
class TfmFileControl : public TForm {
    SS_CLASS(TfmFileControl, TForm)
public:
    explicit TfmFileControl(TComponent* AOwner);

    TssLabel* lblCaption;
    TssAnimate* ani;

    bool isCopy() const { return bIsCopy; }
    // The copying clip for true, the deleting clip for false, centred across the window.
    void SetisCopy(bool Value);
    String CaptionStr() const { return lblCaption->Caption(); }
    // Sets the caption line; the window grows to show it above the clip, or shrinks to the
    // clip without one.
    void SetCaptionStr(const String& Value);
    void SetVisible(bool Value) override;

protected:
    void CreateParams(TCreateParams& Params) override;

private:
    void FormCreate();
    void FormShowHide();
    bool bIsCopy = true;
};

// Shows the progress window for one file operation at once: the copying clip for copying and
// moving, the deleting clip for deleting, with Dialog's title, caption and place (Owner is the
// file operation's owner; a form there is where an off-centre window is placed from). The
// window closes when the pointer is released; on an error, hide it before reporting.
std::unique_ptr<TfmFileControl> ShowFileControlForm(bool isCopy, const TssFCDialog& Dialog, TComponent* Owner);
