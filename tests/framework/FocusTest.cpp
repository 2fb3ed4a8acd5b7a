#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "Forms.h"
#include "TestSupport.h"

namespace {

// A focusable control that writes its focus levels to a log; with Refuse it will not be left
// and takes the focus back, as a grid whose current cell may not be left does.
class TLevel : public TCustomControl {
    SS_CLASS(TLevel, TCustomControl)
public:
    TLevel(TComponent* AOwner, TWinControl* parent, std::vector<String>& log, const String& name)
        : TCustomControl(AOwner), FLog(log) {
        FTabStop = true;
        SetName(name);
        SetParent(parent);
        SetBounds(0, 0, 20, 20);
    }
    bool Refuse = false;

protected:
    void DoEnter() override {
        FLog.push_back(L"enter " + Name());
        TCustomControl::DoEnter();
    }
    void DoExit() override {
        if (Refuse) {
            FLog.push_back(L"refuse " + Name());
            SetFocus();
            return;
        }
        FLog.push_back(L"exit " + Name());
        TCustomControl::DoExit();
    }

private:
    std::vector<String>& FLog;
};

using Log = std::vector<String>;

// A form with A and B, and a panel P (a level of its own, not focusable) holding D1 and D2.
struct Fixture {
    Log log;
    TForm form{Application};
    TLevel* A = new TLevel(&form, &form, log, L"A");
    TLevel* B = new TLevel(&form, &form, log, L"B");
    TLevel* P = new TLevel(&form, &form, log, L"P");
    TLevel* D1 = new TLevel(&form, P, log, L"D1");
    TLevel* D2 = new TLevel(&form, P, log, L"D2");
    Fixture() { P->SetTabStop(false); }
    // What moving the focus to c logged.
    Log FocusOn(TWinControl* c) {
        log.clear();
        c->SetFocus();
        return log;
    }
};

TEST(FocusLevels, ExitInnermostFirstThenEnterOutermostFirst) {
    Fixture f;
    f.form.SetActiveControl(f.A);
    f.form.Show();
    EXPECT_EQ(f.log, (Log{L"enter A"})) << "the first focus a shown form gives is an enter";
    struct Step {
        TWinControl* to;
        Log expected;
    };
    const Step steps[] = {
        {f.B, {L"exit A", L"enter B"}},
        {f.D1, {L"exit B", L"enter P", L"enter D1"}},
        {f.D2, {L"exit D1", L"enter D2"}},
        {f.P, {L"exit D2"}},
        {f.D1, {L"enter D1"}},
        {f.A, {L"exit D1", L"exit P", L"enter A"}},
        {f.A, {}},
    };
    for (const Step& s : steps) {
        EXPECT_EQ(f.FocusOn(s.to), s.expected) << "to " << testing_support::Utf8(s.to->Name());
        EXPECT_EQ(f.form.ActiveControl(), s.to);
    }
}

TEST(FocusLevels, ReactivationAndShowingAgainAreNoChange) {
    Fixture f;
    f.form.Show();
    f.FocusOn(f.B);
    TForm other(Application);
    other.Show();
    ASSERT_NE(GetFocus(), f.B->Handle());
    f.log.clear();
    f.form.Show();  // back to the form: the focus returns to B
    Application->ProcessMessages();
    EXPECT_EQ(GetFocus(), f.B->Handle());
    f.form.Hide();
    f.form.Show();
    Application->ProcessMessages();
    EXPECT_EQ(f.log, Log{});
    EXPECT_EQ(f.form.ActiveControl(), f.B);
}

TEST(FocusLevels, ARefusedExitKeepsTheFocusAndTheActiveControl) {
    Fixture f;
    f.form.Show();
    f.FocusOn(f.A);
    f.A->Refuse = true;
    EXPECT_EQ(f.FocusOn(f.B), (Log{L"refuse A"}));
    EXPECT_EQ(GetFocus(), f.A->Handle());
    EXPECT_EQ(f.form.ActiveControl(), f.A);
    f.A->Refuse = false;
    EXPECT_EQ(f.FocusOn(f.B), (Log{L"exit A", L"enter B"}));

    // Refused inside a level: the level is not left either.
    f.FocusOn(f.D1);
    f.D1->Refuse = true;
    EXPECT_EQ(f.FocusOn(f.A), (Log{L"refuse D1"}));
    EXPECT_EQ(f.form.ActiveControl(), f.D1);
}

TEST(FocusLevels, ADeletedControlLeavesTheLevelsAndTheTabList) {
    Fixture f;
    f.form.Show();
    f.FocusOn(f.A);
    delete f.A;
    EXPECT_EQ(f.form.ActiveControl(), nullptr);
    EXPECT_EQ(f.FocusOn(f.B), (Log{L"enter B"}));
    f.B->SetTabOrder(0);
    EXPECT_EQ(f.B->TabOrder(), 0);
    EXPECT_EQ(f.P->TabOrder(), 1);
}

}  // namespace
