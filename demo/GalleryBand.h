// One titled band of the gallery window. A section fills it with samples in rows: each row has
// a caption at its left and its samples side by side after it.
#pragma once
#include <functional>

#include "Forms.h"
#include "ssPanel.h"

class TGalleryBand {
public:
    // Puts a text on the window's status line, e.g. which button was pressed.
    using TReport = std::function<void(const String& Text)>;

    // The band starts at Top of Parent's client area; its controls belong to Form.
    TGalleryBand(TCustomForm* Form, TWinControl* Parent, int Top, const String& Title, TReport Report);

    // Starts a row Height pixels high under the previous one.
    void NewRow(const String& Caption, int Height);
    // Makes a sample of class T, Width pixels wide, at the next place of the current row.
    template <class T>
    T* Add(int Width) {
        T* sample = new T(FForm);
        Place(sample, Width);
        return sample;
    }

    const TReport& Report() const { return FReport; }
    TssPanel* Panel() const { return FPanel; }
    // The width the rows need, margins included.
    int ContentWidth() const { return FContentWidth; }

private:
    void Place(TControl* Sample, int Width);

    TCustomForm* FForm;
    TssPanel* FPanel;
    TReport FReport;
    int FRowTop = 0;
    int FRowHeight = 0;
    int FNextLeft = 0;
    int FContentWidth = 0;
};
