#include "GridAxis.h"

#include <algorithm>
#include <limits>

namespace {

constexpr long long FarAway = std::numeric_limits<long long>::max() / 4;

}  // namespace

TGridAxis::TGridAxis(int DefaultExtent, THiddenExtents Hidden) : FHiddenRule(Hidden), FDefault(DefaultExtent) {}

TAxisResult TGridAxis::CheckCount(long long NewCount) {
    if (NewCount < 0) return TAxisResult::TooManyDeleted;
    if (NewCount >= GridAxisCountLimit) return TAxisResult::TooLarge;
    return TAxisResult::Ok;
}

TAxisResult TGridAxis::Resize(long long NewCount) {
    if (auto r = CheckCount(NewCount); r != TAxisResult::Ok) return r;
    FStored.erase(LowerBound(static_cast<int>(NewCount)), FStored.cend());
    FCount = static_cast<int>(NewCount);
    ClampFixedCount();
    Changed();
    return TAxisResult::Ok;
}

TAxisResult TGridAxis::Change(int Index, int Amount) {
    if (Amount == 0) return TAxisResult::Ok;
    if (Index < 0 || Index > FCount) return TAxisResult::IndexOutOfRange;
    if (Amount < 0 && static_cast<long long>(Index) - Amount > FCount) return TAxisResult::TooManyDeleted;
    long long newCount = static_cast<long long>(FCount) + Amount;
    if (auto r = CheckCount(newCount); r != TAxisResult::Ok) return r;
    auto first = FStored.begin() + (LowerBound(Index) - FStored.cbegin());
    if (Amount < 0) {
        auto last = FStored.begin() + (LowerBound(Index - Amount) - FStored.cbegin());
        first = FStored.erase(first, last);
    }
    for (auto it = first; it != FStored.end(); ++it) it->Index += Amount;
    FCount = static_cast<int>(newCount);
    ClampFixedCount();
    Changed();
    return TAxisResult::Ok;
}

void TGridAxis::SetDefaultExtent(int Value) {
    FDefault = Value;
    FStored.clear();
    FHasExtents = false;
    Changed();
}

int TGridAxis::Extent(int Index) const {
    auto it = LowerBound(Index);
    return it != FStored.cend() && it->Index == Index ? it->Extent : FDefault;
}

TAxisResult TGridAxis::SetExtent(int Index, int Value) {
    if (Index < 0 || Index >= FCount) return TAxisResult::IndexOutOfRange;
    FHasExtents = true;
    Store(Index, Value);
    return TAxisResult::Ok;
}

TAxisResult TGridAxis::Move(int From, int To) {
    if (From < 0 || From >= FCount || To < 0 || To >= FCount) return TAxisResult::IndexOutOfRange;
    if (From == To || !FHasExtents) return TAxisResult::Ok;
    int value = Extent(From);
    Store(From, FDefault);
    // The entries between keep their order when shifted by one, and leave To free.
    int low = std::min(From, To), high = std::max(From, To), step = From < To ? -1 : 1;
    auto it = FStored.begin() + (LowerBound(low) - FStored.cbegin());
    for (; it != FStored.end() && it->Index <= high; ++it) it->Index += step;
    Store(To, value);
    return TAxisResult::Ok;
}

void TGridAxis::SetLineWidth(int Value) {
    FLineWidth = Value;
    Changed();
}

long long TGridAxis::StartOf(int Index, int First) const {
    return Index < FFixedCount ? Start(Index) : FixedEnd() + Distance(First, Index);
}

int TGridAxis::CellAt(long long Pos, int First) const {
    if (Pos < 0) return -1;
    long long fixedEnd = FixedEnd();
    if (Pos < fixedEnd) return static_cast<int>(FirstEndBeyond(Pos));
    long long i = FirstEndBeyond(Start(First) + Pos - fixedEnd);
    return i < FCount ? static_cast<int>(i) : -1;
}

TGridAxisView TGridAxis::View(int First, int ClientExtent, const TPenWidth& PenWidth) const {
    TGridAxisView v;
    v.FixedEnd = v.GridEnd = v.FullVisibleEnd = FixedEnd();
    v.LastFullCell = First;
    if (First >= FCount) return v;
    long long origin = v.FixedEnd - Start(First);  // client pixel of Start(0)
    long long room = ClientExtent - v.FixedEnd;
    // The first entry that does not end inside the client area.
    long long i = room < 0 ? First : FirstEndBeyond(Start(First) + room);
    if (i >= FCount) {
        v.LastFullCell = FCount - 1;
        v.GridEnd = v.FullVisibleEnd = origin + Start(FCount);
        return v;
    }
    int cut = static_cast<int>(i);
    if (cut > First) {
        v.LastFullCell = cut - 1;
        v.FullVisibleEnd = origin + Start(cut);
    }
    // An entry of which only its own line is cut off still counts as fully visible.
    long long end = origin + Start(cut + 1LL);
    if (ClientExtent >= end - PenWidth(cut)) {
        v.LastFullCell = cut;
        v.FullVisibleEnd = end;
    }
    v.GridEnd = ClientExtent;
    return v;
}

int TGridAxis::MaxTopLeft(int Coord, int ClientExtent, int PenWidth) const {
    if (Coord < FFixedCount) return Coord;
    // Entry i fits when the entries i..Coord take at most the room below the fixed ones, that is
    // when Start(i) >= least.
    long long least = Start(Coord + 1LL) - (ClientExtent + static_cast<long long>(PenWidth) - FixedEnd());
    long long first = Start(FFixedCount) >= least ? FFixedCount : 1 + FirstEndBeyond(least - 1);
    return first > Coord ? Coord : static_cast<int>(first);
}

long long TGridAxis::Span(int Extent) const {
    return Hidden(Extent) ? 0 : std::max(Extent, 0) + static_cast<long long>(std::max(FLineWidth, 0));
}

std::vector<TGridAxis::TStored>::const_iterator TGridAxis::LowerBound(int Index) const {
    return std::lower_bound(FStored.cbegin(), FStored.cend(), Index,
                            [](const TStored& s, int i) { return s.Index < i; });
}

void TGridAxis::Store(int Index, int Value) {
    if (FStored.empty() || FStored.back().Index < Index) {  // beyond every stored entry
        if (Value != FDefault) FStored.push_back({Index, Value});
        Changed();
        return;
    }
    auto it = FStored.begin() + (LowerBound(Index) - FStored.cbegin());
    bool present = it != FStored.end() && it->Index == Index;
    if (Value == FDefault) {
        if (present) FStored.erase(it);
    } else if (present) {
        it->Extent = Value;
    } else {
        FStored.insert(it, {Index, Value});
    }
    Changed();
}

void TGridAxis::ClampFixedCount() { FFixedCount = std::min(FFixedCount, std::max(FCount - 1, 0)); }

void TGridAxis::BuildIndex() const {
    if (FIndexValid) return;
    long long span = Span(FDefault);
    FPrefix.assign(FStored.size() + 1, 0);
    for (std::size_t j = 0; j < FStored.size(); ++j) FPrefix[j + 1] = FPrefix[j] + Span(FStored[j].Extent) - span;
    FIndexValid = true;
}

long long TGridAxis::Start(long long Index) const {
    BuildIndex();
    auto stored = std::lower_bound(FStored.cbegin(), FStored.cend(), Index,
                                   [](const TStored& s, long long i) { return s.Index < i; });
    return Index * Span(FDefault) + FPrefix[stored - FStored.cbegin()];
}

long long TGridAxis::FirstEndBeyond(long long Pos) const {
    BuildIndex();
    long long span = Span(FDefault);
    // End of the j-th stored entry: Start(Index + 1), which grows with j.
    auto endOf = [&](std::size_t j) { return (FStored[j].Index + 1LL) * span + FPrefix[j + 1]; };
    std::size_t lo = 0, hi = FStored.size();
    while (lo < hi) {
        std::size_t mid = lo + (hi - lo) / 2;
        if (endOf(mid) > Pos) hi = mid;
        else lo = mid + 1;
    }
    // The answer is in the run of default entries before stored entry lo, or is that entry.
    long long stored = lo < FStored.size() ? FStored[lo].Index : FarAway;
    if (span == 0) return stored;
    long long runStart = lo > 0 ? FStored[lo - 1].Index + 1LL : 0;
    long long inRun = runStart + (Pos - (runStart * span + FPrefix[lo])) / span;
    return std::min(inRun, stored);
}
