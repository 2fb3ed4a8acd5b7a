#include <gtest/gtest.h>

#include <memory>

#include "Graphics.h"

namespace {

// A font of a description no other test uses, so that its GDI object is this test's own.
void Describe(TFont& f, int height) {
    f.SetName(L"Arial");
    f.SetHeight(height);
    f.SetStyle({TFontStyle::fsItalic});
}

TEST(SharedGdiObjects, EqualFontsShareOneObjectAndLookUpsCreateNothing) {
    TFont a, b, c;
    Describe(a, -31);
    Describe(b, -31);
    unsigned before = GdiObjects::Created();
    HFONT h = a.Handle();
    EXPECT_EQ(GdiObjects::Created(), before + 1);
    EXPECT_EQ(b.Handle(), h);  // a known description: a look-up
    c.Assign(a);               // from a font that holds the object: a reference
    EXPECT_EQ(c.Handle(), h);
    c.SetColor(clGray);  // not part of the object
    EXPECT_EQ(c.Handle(), h);
    EXPECT_EQ(GdiObjects::Created(), before + 1);
    c.SetHeight(-32);
    EXPECT_NE(c.Handle(), h);
    EXPECT_EQ(GdiObjects::Created(), before + 2);

    TPen p1, p2;
    TBrush b1, b2;
    for (TPen* p : {&p1, &p2}) p->SetColor(0x123456);
    for (TBrush* b : {&b1, &b2}) b->SetColor(0x654321);
    EXPECT_EQ(p1.Handle(), p2.Handle());
    EXPECT_EQ(b1.Handle(), b2.Handle());
    p2.SetEnds(TPenEnds::peFlat);  // a one-pixel pen has no ends to make flat
    EXPECT_EQ(p1.Handle(), p2.Handle());
    p2.SetWidth(3);
    p1.SetWidth(3);
    EXPECT_NE(p1.Handle(), p2.Handle());
}

TEST(SharedGdiObjects, TheLastUserDeletesAndNeverWhileACanvasHoldsIt) {
    unsigned heldBefore = GdiObjects::HeldDeletions();
    auto a = std::make_unique<TFont>();
    Describe(*a, -33);
    HFONT h = a->Handle();
    {
        TBitmap bitmap;
        bitmap.SetSize(8, 8);
        TCanvas* canvas = bitmap.Canvas();
        canvas->Font()->Assign(*a);
        ASSERT_EQ(GetCurrentObject(canvas->Handle(), OBJ_FONT), h);
        a.reset();  // the canvas's font still uses it
        EXPECT_EQ(GetObjectType(h), DWORD(OBJ_FONT));
        canvas->Font()->SetHeight(-34);  // selected out before it goes
        EXPECT_NE(GetCurrentObject(canvas->Handle(), OBJ_FONT), h);
        EXPECT_EQ(GetObjectType(h), 0u);

        // A font the canvas holds selected outlives a font that shared it.
        TFont other;
        other.Assign(*canvas->Font());
        HFONT held = canvas->Font()->Handle();
        EXPECT_EQ(other.Handle(), held);
    }
    EXPECT_EQ(GdiObjects::HeldDeletions(), heldBefore);
}

// A white 40x20 bitmap with a black background canvas brush.
std::unique_ptr<TBitmap> WhiteBitmap() {
    auto b = std::make_unique<TBitmap>();
    b->SetSize(40, 20);
    b->Canvas()->Brush()->SetColor(clWhite);
    b->Canvas()->FillRect(RECT{0, 0, 40, 20});
    return b;
}

TEST(PenMode, EachModeCombinesPenAndPixelAsNamedAndXorTwiceRestores) {
    const TColor bg = 0x336699, pen = 0x0FF0A5, all = 0xFFFFFF;
    struct Case {
        TPenMode mode;
        TColor expected;
    };
    const Case cases[] = {
        {TPenMode::pmBlack, 0},
        {TPenMode::pmWhite, all},
        {TPenMode::pmNop, bg},
        {TPenMode::pmNot, ~bg & all},
        {TPenMode::pmCopy, pen},
        {TPenMode::pmNotCopy, ~pen & all},
        {TPenMode::pmMergePenNot, (pen | ~bg) & all},
        {TPenMode::pmMaskPenNot, pen & ~bg},
        {TPenMode::pmMergeNotPen, (~pen | bg) & all},
        {TPenMode::pmMaskNotPen, ~pen & bg},
        {TPenMode::pmMerge, pen | bg},
        {TPenMode::pmNotMerge, ~(pen | bg) & all},
        {TPenMode::pmMask, pen & bg},
        {TPenMode::pmNotMask, ~(pen & bg) & all},
        {TPenMode::pmXor, pen ^ bg},
        {TPenMode::pmNotXor, ~(pen ^ bg) & all},
    };
    auto b = WhiteBitmap();
    TCanvas* c = b->Canvas();
    TPen model;
    model.SetColor(pen);
    for (const Case& k : cases) {
        c->Brush()->SetColor(bg);
        c->FillRect(RECT{0, 0, 40, 20});
        model.SetMode(k.mode);
        c->Pen()->Assign(model);  // Assign carries the mode
        c->MoveTo(5, 5);
        c->LineTo(30, 5);
        EXPECT_EQ(c->Pixel(20, 5), k.expected) << "mode " << int(k.mode);
        if (k.mode == TPenMode::pmXor) {
            c->MoveTo(5, 5);
            c->LineTo(30, 5);
            EXPECT_EQ(c->Pixel(20, 5), bg);
        }
    }
}

TEST(PenEnds, AFlatWideLineEndsAtItsEndPointsARoundOneGoesFurther) {
    struct Case {
        TPenEnds ends;
        bool pastEnds;
    };
    for (Case k : {Case{TPenEnds::peFlat, false}, Case{TPenEnds::peRound, true}}) {
        auto b = WhiteBitmap();
        TCanvas* c = b->Canvas();
        TPen pen;
        pen.SetWidth(5);
        pen.SetEnds(k.ends);
        c->Pen()->Assign(pen);
        c->MoveTo(10, 10);
        c->LineTo(20, 10);
        for (int x = 10; x < 20; ++x) EXPECT_EQ(c->Pixel(x, 10), clBlack) << "x " << x;
        bool past = c->Pixel(9, 10) == clBlack || c->Pixel(20, 10) == clBlack;
        EXPECT_EQ(past, k.pastEnds) << "ends " << int(k.ends);
        if (!k.pastEnds) {
            EXPECT_EQ(c->Pixel(10, 8), clBlack) << "flat ends keep the full width";
        }
    }
}

TEST(Canvas, RectVisibleFollowsTheClipAndDrawEdgeDrawsTheSystemEdge) {
    auto b = WhiteBitmap();
    TCanvas* c = b->Canvas();
    IntersectClipRect(c->Handle(), 0, 0, 10, 10);
    EXPECT_TRUE(c->RectVisible(RECT{5, 5, 15, 15}));
    EXPECT_FALSE(c->RectVisible(RECT{12, 0, 20, 10}));
    SelectClipRgn(c->Handle(), nullptr);
    RECT r{2, 2, 30, 18};
    c->DrawEdge(r, EDGE_SUNKEN, BF_RECT);
    EXPECT_EQ(c->Pixel(2, 2), TColor(ColorToRGB(clBtnShadow)));
    EXPECT_EQ(c->Pixel(29, 17), TColor(ColorToRGB(clBtnHighlight)));
    EXPECT_EQ(c->Pixel(15, 10), clWhite);
}

}  // namespace
