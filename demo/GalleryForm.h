// The gallery's window: pages of bands, one band of samples per section of the library, a row of
// page buttons above them and a status line below that tells what the last sample did.
#pragma once
#include <vector>

#include "Forms.h"
#include "StdCtrls.h"
#include "ssPanel.h"

class TfmGallery : public TForm {
    SS_CLASS(TfmGallery, TForm)
public:
    explicit TfmGallery(TComponent* AOwner);

    int PageCount() const { return int(FPages.size()); }
    // Shows page Index (from 0); others are hidden.
    void ShowPage(int Index);

    TssPanel* pnlStatus;

private:
    std::vector<TssPanel*> FPages;
    std::vector<TButton*> FPageButtons;
};
