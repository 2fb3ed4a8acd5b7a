#include <gtest/gtest.h>

#include "Forms.h"
#include "Imm.h"

#include <imm.h>  // after the framework's Windows include

namespace {

TEST(ImeMode, EachModeSetsOpenStatusAndConversionOnARealWindow) {
    TForm form(Application);
    form.Show();
    HWND h = form.Handle();
    HIMC probe = ImmGetContext(h);
    if (!probe) GTEST_SKIP() << "the system gives this window no input context";
    ImmReleaseContext(h, probe);

    using M = TImeMode;
    struct Case {
        TImeMode mode;
        bool open;
        DWORD conversion;  // checked when open
    };
    const Case cases[] = {
        {M::imHira, true, IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE},
        {M::imClose, false, 0},
        {M::imSAlpha, true, IME_CMODE_ALPHANUMERIC},
        {M::imAlpha, true, IME_CMODE_ALPHANUMERIC | IME_CMODE_FULLSHAPE},
        {M::imSKata, true, IME_CMODE_NATIVE | IME_CMODE_KATAKANA},
        {M::imKata, true, IME_CMODE_NATIVE | IME_CMODE_KATAKANA | IME_CMODE_FULLSHAPE},
        {M::imChinese, true, IME_CMODE_NATIVE},
        {M::imSHanguel, true, IME_CMODE_NATIVE},
        {M::imHanguel, true, IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE},
        {M::imDontCare, true, IME_CMODE_NATIVE | IME_CMODE_FULLSHAPE},  // leaves the last mode
    };
    for (const Case& k : cases) {
        SetImeMode(h, k.mode);
        HIMC imc = ImmGetContext(h);
        ASSERT_TRUE(imc) << "mode " << int(k.mode);
        EXPECT_EQ(bool(ImmGetOpenStatus(imc)), k.open) << "mode " << int(k.mode);
        DWORD conversion = 0, sentence = 0;
        ImmGetConversionStatus(imc, &conversion, &sentence);
        if (k.open) {
            EXPECT_EQ(conversion, k.conversion) << "mode " << int(k.mode);
        }
        ImmReleaseContext(h, imc);
    }

    // Disabled: no context; any other mode attaches the default one again.
    SetImeMode(h, M::imDisable);
    EXPECT_EQ(ImmGetContext(h), nullptr);
    SetImeMode(h, M::imOpen);
    HIMC imc = ImmGetContext(h);
    ASSERT_TRUE(imc);
    EXPECT_TRUE(ImmGetOpenStatus(imc));
    ImmReleaseContext(h, imc);
}

}  // namespace
