// One axis of a grid, its columns or its rows: the count, the extents (widths or heights), the
// fixed leading entries, the grid-line width, and the pixel arithmetic over them. No Windows here:
// both grids build their layout on it, and it also builds natively.
//
// Extents are stored sparsely: a default extent plus the entries that differ from it, sorted by
// index. The grids' extent array stays observable through HasExtents (an array was written since
// the default last changed) and Extent (the value of any index). Pixel queries go through a
// prefix sum over the differing entries, rebuilt on the first query after an edit, so a query
// costs O(log k) for k differing entries whatever the count. Memory is 8 bytes per differing
// entry plus 8 for the index: a million entries with a handful of custom extents take a few
// hundred bytes, a million entries that all differ 16 MB.
#pragma once
#include <cstddef>
#include <functional>
#include <vector>

// A count of this or more is refused.
constexpr long long GridAxisCountLimit = 0x7FFFFFE;

// How a grid hides an entry: only extent 0, or every extent up to 0.
enum class THiddenExtents { Zero, ZeroOrNegative };

// Outcome of a change; on anything but Ok the axis is left as it was.
enum class TAxisResult { Ok, IndexOutOfRange, TooManyDeleted, TooLarge };

// The layout of one axis for a client extent and a first scrollable entry.
struct TGridAxisView {
    long long FixedEnd = 0;        // pixel end of the fixed entries
    long long GridEnd = 0;         // pixel end of the last drawn entry, at most the client extent
    int LastFullCell = 0;          // last entry counted as fully visible
    long long FullVisibleEnd = 0;  // pixel end of LastFullCell
};

class TGridAxis {
public:
    // The width of the line drawn after an entry (its own pen, else the grid's line width).
    using TPenWidth = std::function<int(int Index)>;

    explicit TGridAxis(int DefaultExtent, THiddenExtents Hidden = THiddenExtents::Zero);

    int Count() const { return FCount; }
    // New entries at the end take the default; the fixed count stays below the count.
    [[nodiscard]] TAxisResult Resize(long long NewCount);
    // Amount > 0 inserts default entries before Index, Amount < 0 deletes -Amount entries from
    // Index; the entries after them keep their extents.
    [[nodiscard]] TAxisResult Change(int Index, int Amount);
    // Whether an axis may hold NewCount entries.
    static TAxisResult CheckCount(long long NewCount);

    int DefaultExtent() const { return FDefault; }
    // Every entry takes the new default; the extent array is discarded.
    void SetDefaultExtent(int Value);
    bool HasExtents() const { return FHasExtents; }
    // The default for an index outside the axis, negative ones included.
    int Extent(int Index) const;
    // Calls f(index, extent) for every entry in order, in one pass (a stream writes them all).
    template <typename F>
    void ForEachExtent(F f) const {
        auto stored = FStored.cbegin();
        for (int i = 0; i < FCount; ++i) {
            if (stored != FStored.cend() && stored->Index == i) f(i, (stored++)->Extent);
            else f(i, FDefault);
        }
    }
    // Room for Count stored extents before a caller sets them in order (a stream being read), and
    // giving it back when most of it stayed unused.
    void ReserveExtents(int Count) { FStored.reserve(std::size_t(Count)); }
    void FitExtents() {
        if (FStored.capacity() / 2 > FStored.size()) FStored.shrink_to_fit();
    }
    // Creates the extent array on first use. Setting entries in ascending order costs no search.
    [[nodiscard]] TAxisResult SetExtent(int Index, int Value);
    // The entry at From goes to To with its extent; the ones between shift by one.
    [[nodiscard]] TAxisResult Move(int From, int To);
    bool IsHidden(int Index) const { return Hidden(Extent(Index)); }

    int LineWidth() const { return FLineWidth; }
    void SetLineWidth(int Value);
    int FixedCount() const { return FFixedCount; }
    // The caller checks 0 <= Value < Count.
    void SetFixedCount(int Value) { FFixedCount = Value; }

    // Pixels taken by the entries From..To-1, each visible one with its line (negative when
    // To < From). Indices outside the axis count with the default extent.
    long long Distance(int From, int To) const { return Start(To) - Start(From); }
    long long FixedEnd() const { return Start(FFixedCount); }
    // Client pixel where Index starts when the scrollable part starts at First.
    long long StartOf(int Index, int First) const;
    // The entry under pixel Pos of the client area when the scrollable part starts at First,
    // -1 when there is none (also for a negative Pos).
    int CellAt(long long Pos, int First) const;
    TGridAxisView View(int First, int ClientExtent, const TPenWidth& PenWidth) const;
    // The smallest first scrollable entry that still shows Coord whole; PenWidth is Coord's.
    int MaxTopLeft(int Coord, int ClientExtent, int PenWidth) const;

    // Entries whose extent differs from the default (what the axis allocates per entry).
    std::size_t StoredExtents() const { return FStored.size(); }

private:
    struct TStored {
        int Index;
        int Extent;
    };
    bool Hidden(int Extent) const {
        return Extent == 0 || (Extent < 0 && FHiddenRule == THiddenExtents::ZeroOrNegative);
    }
    long long Span(int Extent) const;
    // First stored entry at or after Index.
    std::vector<TStored>::const_iterator LowerBound(int Index) const;
    void Store(int Index, int Value);
    void Changed() { FIndexValid = false; }
    void ClampFixedCount();
    void BuildIndex() const;
    // Pixel start of Index counted from entry 0.
    long long Start(long long Index) const;
    // The smallest index whose end lies beyond pixel Pos >= 0 of an axis that runs on with the
    // default extent after its count; FarAway when no end does.
    long long FirstEndBeyond(long long Pos) const;

    THiddenExtents FHiddenRule;
    int FCount = 0;
    int FDefault;
    int FLineWidth = 0;
    int FFixedCount = 0;
    bool FHasExtents = false;
    std::vector<TStored> FStored;  // sorted by Index, Extent != FDefault
    // FPrefix[j]: pixels the stored entries before the j-th add over the default span.
    mutable std::vector<long long> FPrefix;
    mutable bool FIndexValid = false;
};
