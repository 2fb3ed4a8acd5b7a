// The gallery's window: one band of samples per section of the library, and a status line
// that tells what the last sample did.
#pragma once
#include "Forms.h"
#include "ssPanel.h"

class TfmGallery : public TForm {
    SS_CLASS(TfmGallery, TForm)
public:
    explicit TfmGallery(TComponent* AOwner);

    TssPanel* pnlStatus;
};
