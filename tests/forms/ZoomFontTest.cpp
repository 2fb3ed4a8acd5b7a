// The font zoom settings: Zoom and AutoZoom exclude each other, the stored sizes, and the
// restore font's list in a component stream.
#include <gtest/gtest.h>

#include "Filer.h"
#include "ObjectText.h"
#include "ssZoomFontEditor.h"

namespace {
// A component that publishes both settings objects, as the zoom-capable controls do.
class TZoomHost : public TComponent {
    SS_CLASS(TZoomHost, TComponent)
    SS_PUBLISHED(TZoomHost)
public:
    explicit TZoomHost(TComponent* AOwner) : TComponent(AOwner), FFixed(this), FAuto(this) {}
    TssZoomFont* FixedZoom() const { return const_cast<TssZoomFont*>(&FFixed); }
    TssAutoZoomFont* AutoZoomFont() const { return const_cast<TssAutoZoomFont*>(&FAuto); }

private:
    TssZoomFont FFixed;
    TssAutoZoomFont FAuto;
};
SS_PUBLISH(TZoomHost) {
    p.Property(L"FixedZoom", &TZoomHost::FixedZoom);
    p.Property(L"AutoZoomFont", &TZoomHost::AutoZoomFont);
}

std::string StreamText(TComponent* c) {
    TMemoryStream bin, text;
    WriteComponentStream(bin, c);
    bin.SetPosition(0);
    ObjectBinaryToText(bin, text);
    return std::string(reinterpret_cast<const char*>(text.Memory()), text.DataSize());
}
}  // namespace

TEST(ZoomFont, ZoomAndAutoZoomExcludeEachOther) {
    struct Case { bool zoom, autoZoom; bool setZoom; bool value; bool wantZoom, wantAuto; };
    const Case cases[] = {
        {false, true, true, true, true, false},    // Zoom on clears AutoZoom
        {true, false, false, true, false, true},   // AutoZoom on clears Zoom
        {false, true, true, false, false, true},   // Zoom off leaves AutoZoom
        {true, false, false, false, true, false},  // AutoZoom off leaves Zoom
    };
    for (const Case& c : cases) {
        TssAutoZoomFont z(nullptr);
        if (c.zoom) z.SetZoom(true);
        if (c.autoZoom) z.SetAutoZoom(true);
        if (c.setZoom) z.SetZoom(c.value);
        else z.SetAutoZoom(c.value);
        EXPECT_EQ(z.Zoom(), c.wantZoom);
        EXPECT_EQ(z.AutoZoom(), c.wantAuto);
    }
}

TEST(ZoomFont, SizesAreStoredOnlyWhileZoomedOrAlwaysForAutoZoom) {
    TZoomHost host(nullptr);
    host.SetName(L"Host");
    host.FixedZoom()->SetMaxLength(8);
    host.FixedZoom()->SetFontSize(12);
    host.AutoZoomFont()->SetMaxLength(5);  // stored without Zoom
    std::string text = StreamText(&host);
    EXPECT_EQ(text.find("FixedZoom.MaxLength"), std::string::npos) << text;
    EXPECT_EQ(text.find("FixedZoom.FontSize"), std::string::npos) << text;
    EXPECT_NE(text.find("AutoZoomFont.MaxLength = 5"), std::string::npos) << text;
    EXPECT_NE(text.find("AutoZoomFont.RestoreFont"), std::string::npos) << text;
    host.FixedZoom()->SetZoom(true);
    text = StreamText(&host);
    EXPECT_NE(text.find("FixedZoom.MaxLength = 8"), std::string::npos) << text;
    EXPECT_NE(text.find("FixedZoom.FontSize = 12"), std::string::npos) << text;
}

TEST(ZoomFont, RestoreFontEntriesAreReadByNameAndEmptyOnesAndStyleLeftAlone) {
    TZoomHost source(nullptr);
    source.SetName(L"Host");
    TFont* f = source.AutoZoomFont()->RestoreFont();
    f->SetName(L"");
    f->SetHeight(-20);
    f->SetColor(TColor(0x0000FF));
    f->SetStyle({TFontStyle::fsBold});
    TMemoryStream bin;
    WriteComponentStream(bin, &source);

    TZoomHost target(nullptr);
    TFont* g = target.AutoZoomFont()->RestoreFont();
    g->SetName(L"ＭＳ ゴシック");
    EXPECT_FALSE(target.AutoZoomFont()->isRestoreFontLoaded());
    bin.SetPosition(0);
    ReadComponentStream(bin, &target);
    EXPECT_TRUE(target.AutoZoomFont()->isRestoreFontLoaded());
    EXPECT_EQ(g->Name(), L"ＭＳ ゴシック");
    EXPECT_EQ(g->Color(), TColor(0x0000FF));
    EXPECT_EQ(g->Size(), f->Size());
    EXPECT_FALSE(g->Style().Contains(TFontStyle::fsBold));
}
