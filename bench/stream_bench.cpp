// A component stream against a plain loop: a component with 1,000,000 integers in one defined
// list and 10,000 collection items (a caption, a width and a font size each) is written to
// memory and read back into a fresh component; the plain loop writes the same values to a memory
// buffer with fixed-size records and reads them back into the same structures. Best of five.
#include <chrono>
#include <cstdio>
#include <cstring>
#include <vector>

#include "BenchArch.h"
#include "Filer.h"

namespace {

class TBenchFont : public TPersistent {
    SS_CLASS(TBenchFont, TPersistent)
    SS_PUBLISHED(TBenchFont)
public:
    int Size() const { return FSize; }
    void SetSize(int v) { FSize = v; }

private:
    int FSize = 9;
};
SS_PUBLISH(TBenchFont) { p.Property(L"Size", &TBenchFont::Size, &TBenchFont::SetSize).Default(9); }

class TBenchItem : public TCollectionItem {
    SS_CLASS(TBenchItem, TCollectionItem)
    SS_PUBLISHED(TBenchItem)
public:
    using TCollectionItem::TCollectionItem;
    const String& Caption() const { return FCaption; }
    void SetCaption(const String& v) { FCaption = v; }
    int Width() const { return FWidth; }
    void SetWidth(int v) { FWidth = v; }
    TBenchFont* Font() const { return &FFont; }

private:
    String FCaption;
    int FWidth = 64;
    mutable TBenchFont FFont;
};
SS_PUBLISH(TBenchItem) {
    p.Property(L"Caption", &TBenchItem::Caption, &TBenchItem::SetCaption);
    p.Property(L"Width", &TBenchItem::Width, &TBenchItem::SetWidth).Default(64);
    p.Property(L"Font", &TBenchItem::Font);
}

class TBenchData : public TComponent {
    SS_CLASS(TBenchData, TComponent)
    SS_PUBLISHED(TBenchData)
public:
    explicit TBenchData(TComponent* owner) : TComponent(owner), FItems(TCollectionItemClass::Of<TBenchItem>()) {}
    TCollection* Items() const { return &FItems; }
    std::vector<int> Values;

protected:
    void DefineProperties(TFiler& Filer) override {
        Filer.DefineProperty(
            L"Values",
            [this](TReader& r) {
                Values.clear();
                r.ReadListBegin();
                while (!r.EndOfList()) Values.push_back(r.ReadInteger());
                r.ReadListEnd();
            },
            [this](TWriter& w) {
                w.WriteListBegin();
                for (int v : Values) w.WriteInteger(v);
                w.WriteListEnd();
            },
            !Values.empty());
    }

private:
    mutable TCollection FItems;
};
SS_PUBLISH(TBenchData) { p.Property(L"Items", &TBenchData::Items); }

constexpr int ValueCount = 1000000, ItemCount = 10000;

void Fill(TBenchData& d) {
    d.Values.resize(ValueCount);
    for (int i = 0; i < ValueCount; ++i) d.Values[i] = int(i * 7919LL % 100000) - 20000;  // 1, 2 and 4 bytes
    for (int i = 0; i < ItemCount; ++i) {
        auto* item = static_cast<TBenchItem*>(d.Items()->Add());
        item->SetCaption(L"Column " + IntToStr(i));
        item->SetWidth(40 + i % 50);
        item->Font()->SetSize(8 + i % 5);
    }
}

std::size_t Streamed(TBenchData& source) {
    TMemoryStream s;
    WriteComponentStream(s, &source);
    s.SetPosition(0);
    TBenchData target(nullptr);
    ReadComponentStream(s, &target);
    if (target.Values != source.Values || target.Items()->Count() != ItemCount) std::puts("mismatch");
    return s.DataSize();
}

// The same values as fixed-size records: each integer as 4 bytes, each item as its width, its
// font size, its caption's length and its characters.
std::size_t Plain(TBenchData& source) {
    TMemoryStream s;
    auto put = [&](int v) { s.WriteBuffer(&v, sizeof v); };
    put(int(source.Values.size()));
    for (int v : source.Values) put(v);
    put(source.Items()->Count());
    for (int i = 0; i < source.Items()->Count(); ++i) {
        auto* item = static_cast<TBenchItem*>(source.Items()->Items(i));
        put(item->Width());
        put(item->Font()->Size());
        put(int(item->Caption().size()));
        s.WriteBuffer(item->Caption().data(), item->Caption().size() * sizeof(wchar_t));
    }
    s.SetPosition(0);
    TBenchData target(nullptr);
    auto get = [&] {
        int v;
        s.ReadBuffer(&v, sizeof v);
        return v;
    };
    target.Values.resize(std::size_t(get()));
    for (int& v : target.Values) v = get();
    for (int n = get(); n > 0; --n) {
        auto* item = static_cast<TBenchItem*>(target.Items()->Add());
        item->SetWidth(get());
        item->Font()->SetSize(get());
        String caption(std::size_t(get()), L' ');
        s.ReadBuffer(caption.data(), caption.size() * sizeof(wchar_t));
        item->SetCaption(caption);
    }
    if (target.Values != source.Values) std::puts("mismatch");
    return s.DataSize();
}

template <class F>
double BestMs(F f, std::size_t& bytes) {
    double best = 1e300;
    for (int run = 0; run < 5; ++run) {
        auto t0 = std::chrono::steady_clock::now();
        bytes = f();
        std::chrono::duration<double, std::milli> ms = std::chrono::steady_clock::now() - t0;
        if (ms.count() < best) best = ms.count();
    }
    return best;
}

}  // namespace

int main() {
    PrintBenchArchitecture();
    TBenchData source(nullptr);
    Fill(source);
    std::size_t streamedBytes = 0, plainBytes = 0;
    double streamed = BestMs([&] { return Streamed(source); }, streamedBytes);
    double plain = BestMs([&] { return Plain(source); }, plainBytes);
    std::printf("component stream: %.1f ms, %zu bytes\n", streamed, streamedBytes);
    std::printf("plain loop:       %.1f ms, %zu bytes\n", plain, plainBytes);
    std::printf("write and read back, stream / plain loop: ratio %.2f (target 2.0 at most)\n", streamed / plain);
}
