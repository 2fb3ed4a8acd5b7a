// The animation control: a silent AVI clip from a file, from an "AVI" resource of a module, or
// one of the shell's common clips, played by the common controls' animation window.
#pragma once
#include "Controls.h"

enum class TCommonAVI {
    aviNone, aviFindFolder, aviFindFile, aviFindComputer, aviCopyFiles, aviCopyFile, aviRecycleFile,
    aviEmptyRecycle, aviDeleteFile
};

// The number of a common clip among the shell library's "AVI" resources; 0 for aviNone.
int CommonAVIResId(TCommonAVI Value);

// The clip is centred in the control and its background (the colour of the first frame's
// top-left pixel) shows the parent's colour. The window plays on a thread of its own, so the
// clip keeps moving while the program's thread is busy.
//
// The clip's source is exactly one of a file, a resource (a module and a number or a name) and a
// common clip; setting one replaces the others. Once the control has a parent, a new source is
// opened at once (failure raises Exception), unless the control is loading: then it stays closed
// until Reset or SetOpen. Opening a clip sets StartFrame to 1 and StopFrame to its last frame.
class TAnimate : public TWinControl {
    SS_CLASS(TAnimate, TWinControl)
public:
    explicit TAnimate(TComponent* AOwner);

    const String& FileName() const { return FFileName; }
    void SetFileName(const String& Value);
    // The module whose resource is played; null means the program itself.
    HMODULE ResHandle() const { return FResHandle; }
    void SetResHandle(HMODULE Value);
    int ResId() const { return FResId; }
    void SetResId(int Value);
    const String& ResName() const { return FResName; }
    void SetResName(const String& Value);
    TCommonAVI CommonAVI() const { return FCommonAVI; }
    virtual void SetCommonAVI(TCommonAVI Value);

    // A clip is open in the window. Opening needs a parent; it raises Exception when there is
    // no source or the clip cannot be opened.
    bool Open() const { return FOpen; }
    void SetOpen(bool Value);
    // The clip is playing from StartFrame to StopFrame, Repetitions times (0: until stopped).
    // Activating opens the clip first.
    bool Active() const { return FActive; }
    void SetActive(bool Value);
    int StartFrame() const { return FStartFrame; }
    void SetStartFrame(int Value) { FStartFrame = Value; }
    int StopFrame() const { return FStopFrame; }
    void SetStopFrame(int Value) { FStopFrame = Value; }
    int Repetitions() const { return FRepetitions; }
    void SetRepetitions(int Value) { FRepetitions = Value; }
    // The open clip's frame count and frame size (0 while closed).
    int FrameCount() const { return FFrameCount; }
    int FrameWidth() const { return FFrameWidth; }
    int FrameHeight() const { return FFrameHeight; }

    // Frames count from 1. Count 0 plays until stopped.
    void Play(int FromFrame, int ToFrame, int Count);
    void Stop();
    // Shows one frame, stopped.
    void Seek(int Frame);
    // Opens the clip when it is closed and shows its first frame, stopped.
    void Reset();

protected:
    void CreateParams(TCreateParams& Params) override;
    void CreateWnd() override;
    void CommandNotify(WORD Code) override;
    bool Loading() const;

private:
    bool HasSource() const;
    HWND WindowNeeded();
    void SourceChanged();
    void OpenClip();
    void CloseClip();

    String FFileName;
    HMODULE FResHandle = nullptr;
    int FResId = 0;
    String FResName;
    TCommonAVI FCommonAVI = TCommonAVI::aviNone;
    bool FOpen = false;
    bool FActive = false;
    bool FPlayingCount = false;   // the current play ends by itself after its count
    bool FAwaitingStart = false;  // the window has not reported the current play's start yet
    int FStartFrame = 1, FStopFrame = 0, FRepetitions = 0;
    int FFrameCount = 0, FFrameWidth = 0, FFrameHeight = 0;
};
