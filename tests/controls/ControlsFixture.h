// A shown form to put controls on, and pixel tests on what it draws.
#pragma once
#include <memory>

#include "Forms.h"
#include "TestSupport.h"

namespace controls_test {

inline bool Dark(COLORREF c) { return GetRValue(c) + GetGValue(c) + GetBValue(c) < 3 * 100; }

// A form at the screen's top-left corner, owned by the application, shown while the test runs.
class ShownForm {
public:
    ShownForm(int clientWidth = 320, int clientHeight = 160) {
        Form = new TForm(Application);
        Form->SetPosition(TPosition::poDesigned);
        Form->SetBorderStyle(TFormBorderStyle::bsDialog);
        Form->SetBounds(0, 0, 400, 300);
        Form->SetClientWidth(clientWidth);
        Form->SetClientHeight(clientHeight);
    }
    ~ShownForm() { delete Form; }
    ShownForm(const ShownForm&) = delete;
    ShownForm& operator=(const ShownForm&) = delete;

    testing_support::ClientPixels Capture(TWinControl* control = nullptr) {
        if (!Form->Visible()) Form->Show();
        Application->ProcessMessages();
        return testing_support::CaptureClient((control ? control : static_cast<TWinControl*>(Form))->Handle());
    }

    TForm* Form;
};

}  // namespace controls_test
