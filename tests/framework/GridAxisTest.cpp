#include <gtest/gtest.h>

#include <algorithm>
#include <random>
#include <vector>

#include "GridAxis.h"

namespace {

// The plain layout: a dense array of extents walked entry by entry.
struct TPlainAxis {
    std::vector<int> Extents;
    int LineWidth = 0;
    int Fixed = 0;
    bool NegativeHides = false;
    std::vector<int> Pens;  // pen width per entry

    int Count() const { return static_cast<int>(Extents.size()); }
    long long Span(int i) const {
        int e = Extents[i];
        if (e == 0 || (e < 0 && NegativeHides)) return 0;
        return std::max(e, 0) + LineWidth;
    }
    long long FixedEnd() const {
        long long end = 0;
        for (int i = 0; i < Fixed; ++i) end += Span(i);
        return end;
    }
    int CellAt(long long pos, int first) const {
        if (pos < 0) return -1;
        long long fixedEnd = FixedEnd();
        int from = pos < fixedEnd ? 0 : first, to = pos < fixedEnd ? Fixed : Count();
        long long end = pos < fixedEnd ? 0 : fixedEnd;
        for (int i = from; i < to; ++i) {
            end += Span(i);
            if (end > pos) return i;
        }
        return -1;
    }
    TGridAxisView View(int first, int client) const {
        TGridAxisView v;
        v.FixedEnd = v.GridEnd = v.FullVisibleEnd = FixedEnd();
        v.LastFullCell = first;
        for (int i = first; i < Count(); ++i) {
            v.GridEnd += Span(i);
            if (client >= v.GridEnd) {
                v.LastFullCell = i;
                v.FullVisibleEnd = v.GridEnd;
                continue;
            }
            if (client >= v.GridEnd - Pens[i]) {
                v.LastFullCell = i;
                v.FullVisibleEnd = v.GridEnd;
            }
            v.GridEnd = client;
            break;
        }
        return v;
    }
    int MaxTopLeft(int coord, int client) const {
        if (coord < Fixed) return coord;
        long long budget = client + Pens[coord], fixedEnd = FixedEnd();
        int result = coord;
        for (int i = coord; i >= Fixed; --i) {
            budget -= Span(i);
            if (budget < fixedEnd) break;
            result = i;
        }
        return result;
    }
};

TGridAxis::TPenWidth PensOf(const TPlainAxis& plain) {
    return [&plain](int i) { return plain.Pens[i]; };
}

// An axis of 64-pixel entries with 1-pixel lines, as a new grid has them.
TGridAxis MakeAxis(int count, int fixed, std::vector<std::pair<int, int>> extents = {}) {
    TGridAxis axis(64);
    EXPECT_EQ(axis.Resize(count), TAxisResult::Ok);
    axis.SetLineWidth(1);
    axis.SetFixedCount(fixed);
    for (auto [index, extent] : extents) EXPECT_EQ(axis.SetExtent(index, extent), TAxisResult::Ok);
    return axis;
}

TEST(GridAxis, LayoutOfSmallAxes) {
    struct Case {
        const char* what;
        std::vector<std::pair<int, int>> extents;
        int pen;  // pen width of every entry
        int first, client;
        long long fixedEnd, gridEnd;
        int lastFull;
        long long fullEnd;
        int maxTopLeft;  // of the last entry
    };
    const Case cases[] = {
        {"plain", {}, 1, 1, 200, 65, 200, 2, 195, 3},
        {"all fit", {}, 1, 1, 400, 65, 325, 4, 325, 1},
        {"scrolled", {}, 1, 3, 200, 65, 195, 4, 195, 3},
        {"a hidden entry takes no pixels", {{2, 0}}, 1, 1, 200, 65, 200, 3, 195, 2},
        {"only the line cut off", {{3, 5}}, 5, 1, 200, 65, 200, 3, 201, 2},
        {"fixed part wider than the client", {{0, 300}}, 1, 1, 200, 301, 200, 1, 301, 4},
        {"a wide entry first", {{1, 500}}, 1, 1, 200, 65, 200, 1, 65, 3},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        TGridAxis axis = MakeAxis(5, 1, c.extents);
        TGridAxisView v = axis.View(c.first, c.client, [&](int) { return c.pen; });
        EXPECT_EQ(v.FixedEnd, c.fixedEnd);
        EXPECT_EQ(v.GridEnd, c.gridEnd);
        EXPECT_EQ(v.LastFullCell, c.lastFull);
        EXPECT_EQ(v.FullVisibleEnd, c.fullEnd);
        EXPECT_EQ(axis.MaxTopLeft(4, c.client, c.pen), c.maxTopLeft);
    }
}

TEST(GridAxis, CellAtPixel) {
    // Entry 2 hidden: 0 | 1 | 3 | 4 with ends 65, 130, 195, 260 counted from the first.
    TGridAxis axis = MakeAxis(5, 1, {{2, 0}});
    const struct {
        long long pos;
        int first, cell;
    } cases[] = {{-1, 1, -1}, {0, 1, 0},   {64, 1, 0},   {65, 1, 1},   {129, 1, 1}, {130, 1, 3},
                 {259, 1, 4}, {260, 1, -1}, {65, 3, 3}, {129, 3, 3}, {130, 3, 4}, {195, 3, -1}};
    for (auto c : cases) EXPECT_EQ(axis.CellAt(c.pos, c.first), c.cell) << c.pos << " from " << c.first;
    EXPECT_EQ(axis.StartOf(0, 3), 0);
    EXPECT_EQ(axis.StartOf(4, 3), 130);
    EXPECT_EQ(axis.StartOf(1, 3), 0);  // scrolled away under the fixed part
}

TEST(GridAxis, NegativeExtentsFollowTheGridsRule) {
    for (auto rule : {THiddenExtents::Zero, THiddenExtents::ZeroOrNegative}) {
        TGridAxis axis(10, rule);
        ASSERT_EQ(axis.Resize(3), TAxisResult::Ok);
        axis.SetLineWidth(1);
        ASSERT_EQ(axis.SetExtent(1, -5), TAxisResult::Ok);
        bool hides = rule == THiddenExtents::ZeroOrNegative;
        EXPECT_EQ(axis.IsHidden(1), hides);
        // Shown, a negative extent takes no pixels of its own but keeps its line.
        EXPECT_EQ(axis.Distance(0, 3), hides ? 22 : 23);
    }
}

TEST(GridAxis, RefusedChangesLeaveTheAxisAlone) {
    const struct {
        const char* what;
        std::function<TAxisResult(TGridAxis&)> change;
        TAxisResult result;
    } cases[] = {
        {"count at the limit", [](TGridAxis& a) { return a.Resize(GridAxisCountLimit); }, TAxisResult::TooLarge},
        {"200 million", [](TGridAxis& a) { return a.Resize(200'000'000); }, TAxisResult::TooLarge},
        {"negative count", [](TGridAxis& a) { return a.Resize(-1); }, TAxisResult::TooManyDeleted},
        {"insert past the limit", [](TGridAxis& a) { return a.Change(5, 0x7FFFFFF0); }, TAxisResult::TooLarge},
        {"insert before the start", [](TGridAxis& a) { return a.Change(-1, 1); }, TAxisResult::IndexOutOfRange},
        {"insert after the end", [](TGridAxis& a) { return a.Change(6, 1); }, TAxisResult::IndexOutOfRange},
        {"delete past the end", [](TGridAxis& a) { return a.Change(4, -2); }, TAxisResult::TooManyDeleted},
        {"delete everything and more", [](TGridAxis& a) { return a.Change(0, -0x7FFFFFFF - 1); },
         TAxisResult::TooManyDeleted},
        {"extent at -1", [](TGridAxis& a) { return a.SetExtent(-1, 3); }, TAxisResult::IndexOutOfRange},
        {"extent at the count", [](TGridAxis& a) { return a.SetExtent(5, 3); }, TAxisResult::IndexOutOfRange},
        {"move from -1", [](TGridAxis& a) { return a.Move(-1, 2); }, TAxisResult::IndexOutOfRange},
        {"move to the count", [](TGridAxis& a) { return a.Move(1, 5); }, TAxisResult::IndexOutOfRange},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        TGridAxis axis = MakeAxis(5, 4, {{3, 7}});
        EXPECT_EQ(c.change(axis), c.result);
        EXPECT_EQ(axis.Count(), 5);
        EXPECT_EQ(axis.FixedCount(), 4);
        EXPECT_EQ(axis.Extent(3), 7);
        EXPECT_EQ(axis.Distance(0, 5), 4 * 65 + 8);
    }
    EXPECT_EQ(MakeAxis(5, 1).Resize(GridAxisCountLimit - 1), TAxisResult::Ok);
}

TEST(GridAxis, ExtentsMoveWithTheirEntries) {
    TGridAxis axis = MakeAxis(6, 1, {{1, 10}, {3, 30}, {5, 50}});
    auto extents = [&] {
        std::vector<int> e;
        for (int i = -1; i <= axis.Count(); ++i) e.push_back(axis.Extent(i));
        return e;
    };
    ASSERT_EQ(axis.Change(2, 2), TAxisResult::Ok);  // the later entries keep their extents
    EXPECT_EQ(extents(), (std::vector<int>{64, 64, 10, 64, 64, 64, 30, 64, 50, 64}));
    ASSERT_EQ(axis.Change(1, -2), TAxisResult::Ok);
    EXPECT_EQ(extents(), (std::vector<int>{64, 64, 64, 64, 30, 64, 50, 64}));
    ASSERT_EQ(axis.Move(3, 0), TAxisResult::Ok);
    EXPECT_EQ(extents(), (std::vector<int>{64, 30, 64, 64, 64, 64, 50, 64}));
    ASSERT_EQ(axis.Resize(4), TAxisResult::Ok);
    ASSERT_EQ(axis.Resize(6), TAxisResult::Ok);  // re-added entries take the default
    EXPECT_EQ(extents(), (std::vector<int>{64, 30, 64, 64, 64, 64, 64, 64}));
    axis.SetDefaultExtent(20);
    EXPECT_FALSE(axis.HasExtents());
    EXPECT_EQ(axis.Extent(0), 20);
}

TEST(GridAxis, WithoutAnArrayOnlyTheCountChanges) {
    TGridAxis axis = MakeAxis(3, 2);
    EXPECT_EQ(axis.Move(0, 2), TAxisResult::Ok);
    EXPECT_EQ(axis.Resize(1'000'000), TAxisResult::Ok);
    EXPECT_FALSE(axis.HasExtents());
    EXPECT_EQ(axis.Distance(0, 1'000'000), 65'000'000);
    EXPECT_EQ(axis.Resize(2), TAxisResult::Ok);
    EXPECT_EQ(axis.FixedCount(), 1);  // fixed entries stay below the count
}

TEST(GridAxis, AMillionEntriesStoreOnlyTheirDeviations) {
    TGridAxis axis = MakeAxis(1'000'000, 1, {{10, 0}, {500'000, 200}, {999'999, 0}});
    EXPECT_EQ(axis.StoredExtents(), 3u);
    int last = axis.MaxTopLeft(999'999, 650, 1);
    EXPECT_EQ(axis.View(last, 650, [](int) { return 1; }).LastFullCell, 999'999);
    EXPECT_EQ(axis.CellAt(axis.StartOf(500'001, 1), 1), 500'001);
}

// Every query of randomly built and edited axes against the plain walk.
TEST(GridAxis, AgreesWithThePlainWalk) {
    std::mt19937 random(14);
    auto pick = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    for (int round = 0; round < 2000; ++round) {
        bool negativeHides = pick(0, 1) == 1;
        int defaultExtent = pick(0, 4) == 0 ? 0 : pick(1, 30);
        TGridAxis axis(defaultExtent, negativeHides ? THiddenExtents::ZeroOrNegative : THiddenExtents::Zero);
        TPlainAxis plain;
        plain.NegativeHides = negativeHides;
        auto randomExtent = [&] {
            int kind = pick(0, 5);
            if (kind == 0) return 0;
            if (kind == 1) return defaultExtent;
            if (kind == 2) return -pick(1, 5);
            return pick(1, 40);
        };
        bool hasArray = false;
        for (int edit = pick(1, 8); edit > 0; --edit) {
            int count = plain.Count();
            switch (pick(0, 4)) {
            case 0: {
                int n = pick(0, 40);
                ASSERT_EQ(axis.Resize(n), TAxisResult::Ok);
                plain.Extents.resize(n, defaultExtent);
                break;
            }
            case 1: {
                int index = pick(0, count), amount = pick(-(count - index), 6);
                ASSERT_EQ(axis.Change(index, amount), TAxisResult::Ok);
                if (amount > 0) plain.Extents.insert(plain.Extents.begin() + index, amount, defaultExtent);
                else plain.Extents.erase(plain.Extents.begin() + index, plain.Extents.begin() + index - amount);
                break;
            }
            case 2:
                if (count > 0) {
                    int from = pick(0, count - 1), to = pick(0, count - 1);
                    ASSERT_EQ(axis.Move(from, to), TAxisResult::Ok);
                    int value = plain.Extents[from];
                    plain.Extents.erase(plain.Extents.begin() + from);
                    plain.Extents.insert(plain.Extents.begin() + to, value);
                }
                break;
            default:
                for (int n = pick(0, 6); n > 0 && count > 0; --n) {
                    int index = pick(0, count - 1), value = randomExtent();
                    ASSERT_EQ(axis.SetExtent(index, value), TAxisResult::Ok);
                    plain.Extents[index] = value;
                    hasArray = true;
                }
            }
        }
        int count = plain.Count();
        ASSERT_EQ(axis.Count(), count);
        ASSERT_EQ(axis.HasExtents(), hasArray);
        for (int i = -1; i <= count; ++i)
            ASSERT_EQ(axis.Extent(i), i >= 0 && i < count ? plain.Extents[i] : defaultExtent) << i;
        if (count == 0) continue;

        plain.LineWidth = pick(0, 3);
        plain.Fixed = pick(0, count - 1);
        axis.SetLineWidth(plain.LineWidth);
        axis.SetFixedCount(plain.Fixed);
        plain.Pens.clear();
        for (int i = 0; i < count; ++i) plain.Pens.push_back(pick(0, 6) == 0 ? pick(0, 5) : plain.LineWidth);
        ASSERT_EQ(axis.FixedEnd(), plain.FixedEnd());
        long long total = axis.Distance(0, count);
        for (int query = 0; query < 10; ++query) {
            int first = pick(plain.Fixed, count - 1), client = pick(0, static_cast<int>(total) + 20);
            SCOPED_TRACE(::testing::Message() << "round " << round << " first " << first << " client " << client);
            TGridAxisView expected = plain.View(first, client), actual = axis.View(first, client, PensOf(plain));
            ASSERT_EQ(actual.FixedEnd, expected.FixedEnd);
            ASSERT_EQ(actual.GridEnd, expected.GridEnd);
            ASSERT_EQ(actual.LastFullCell, expected.LastFullCell);
            ASSERT_EQ(actual.FullVisibleEnd, expected.FullVisibleEnd);
            int coord = pick(0, count - 1);
            ASSERT_EQ(axis.MaxTopLeft(coord, client, plain.Pens[coord]), plain.MaxTopLeft(coord, client)) << coord;
            long long pos = pick(-2, static_cast<int>(total) + 2);
            ASSERT_EQ(axis.CellAt(pos, first), plain.CellAt(pos, first)) << pos;
        }
    }
}

}  // namespace
