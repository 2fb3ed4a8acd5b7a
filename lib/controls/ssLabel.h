// A label with character pitch: extra pixels after every character, set by hand or computed so
// that the caption fills the label's width exactly.
#pragma once
#include "StdCtrls.h"

class TssLabel;

// The label's alignment options, published as one property of the label that owns them.
class TssAlignmentOptions : public TPersistent {
    SS_CLASS(TssAlignmentOptions, TPersistent)
    SS_PUBLISHED(TssAlignmentOptions)
public:
    explicit TssAlignmentOptions(TPersistent* AOwner) : FOwner(AOwner) {}
    virtual void Assign(const TssAlignmentOptions& src);
    bool SelfPitch() const { return FSelfPitch; }
    // Turning it on gives the owning label the pitch that fills its width.
    virtual void SetSelfPitch(bool Value);

private:
    bool FSelfPitch = false;
    TPersistent* FOwner;
};

// A label whose characters stand apart by Pitch pixels; with the alignment option SelfPitch
// the pitch is computed so that the caption fills the label's width.
class TssLabel : public TLabel {
    SS_CLASS(TssLabel, TLabel)
    SS_PUBLISHED(TssLabel)
public:
    explicit TssLabel(TComponent* AOwner);
    ~TssLabel() override;

    // With SelfPitch the pitch is computed afresh on every read.
    int Pitch() const;
    virtual void SetPitch(int Value);
    TssAlignmentOptions* AlignmentOptions() const { return FAlignmentOptions; }
    void SetAlignmentOptions(const TssAlignmentOptions& v) { FAlignmentOptions->Assign(v); }
    // Off: with SelfPitch the text is placed vertically by its real height.
    bool OldStyle() const { return FOldStyle; }
    void SetOldStyle(bool v);

    // (label width - caption width) div (characters - 1), at least 0; 0 below two characters.
    int ComputeSelfPitch() const;
    // The caption's lines, broken by character to the rectangle's width when WordWrap is on.
    virtual void BuildWrappedLines(TStrings* List, const RECT& Rect);
    // The caption's lines as its line breaks give them.
    virtual void BuildLines(TStrings* List);

protected:
    void AdjustTextRect(RECT& r) override;
    void DrawLabelText(RECT& r, UINT flags, const String& text) override;

private:
    int DrawPitched(RECT& r, UINT flags, const String& text);
    int DrawPitchedLines(RECT& r, UINT flags);
    // The canvas ready for measuring: attached to a screen DC when no paint is running.
    class MeasureScope;

    bool FOldStyle = false;
    mutable int FPitch = 0;  // a read with SelfPitch keeps what it computed
    TssAlignmentOptions* FAlignmentOptions;
    bool FisAboveXP;
};
