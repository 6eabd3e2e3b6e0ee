#include "src/bandShape.h"

#include <algorithm>

namespace {

struct TRows {
    int32_t Top, Bottom;
    bool operator==(const TRows&) const = default;
};

// rows less [cutTop, cutBottom), in order.
std::vector<TRows> Without(const std::vector<TRows>& rows, int32_t cutTop, int32_t cutBottom) {
    if (cutTop >= cutBottom) return rows;
    std::vector<TRows> left;
    for (const TRows& r : rows) {
        if (cutBottom <= r.Top || cutTop >= r.Bottom) {
            left.push_back(r);
            continue;
        }
        if (r.Top < cutTop) left.push_back(TRows{r.Top, cutTop});
        if (cutBottom < r.Bottom) left.push_back(TRows{cutBottom, r.Bottom});
    }
    return left;
}

// rows with another range added, kept in order and merged where they touch.
std::vector<TRows> Joined(std::vector<TRows> rows, TRows added) {
    std::vector<TRows> joined;
    for (const TRows& r : rows) {
        if (r.Bottom < added.Top || r.Top > added.Bottom) {
            joined.push_back(r);
            continue;
        }
        added = TRows{std::min(r.Top, added.Top), std::max(r.Bottom, added.Bottom)};
    }
    joined.push_back(added);
    std::sort(joined.begin(), joined.end(), [](const TRows& a, const TRows& b) { return a.Top < b.Top; });
    return joined;
}

}  // namespace

int32_t ClampKeepClear(int32_t rows, int32_t monitorHeight) {
    if (rows <= 0 || monitorHeight <= 0) return 0;
    return std::min(rows, monitorHeight / 4);
}

std::vector<TRect> BandPieces(const TRect& band, const std::vector<TRect>& monitors, int32_t keepTop,
                              int32_t keepBottom) {
    if (band.Left >= band.Right || band.Top >= band.Bottom) return {};
    if ((keepTop <= 0 && keepBottom <= 0) || monitors.empty()) return {band};
    // Every column edge where a monitor begins or ends inside the band.
    std::vector<int32_t> edges{band.Left, band.Right};
    for (const TRect& m : monitors) {
        for (int32_t x : {m.Left, m.Right}) {
            if (x > band.Left && x < band.Right) edges.push_back(x);
        }
    }
    std::sort(edges.begin(), edges.end());
    edges.erase(std::unique(edges.begin(), edges.end()), edges.end());

    std::vector<TRect> pieces;
    // Rows of the previous column, to join a column to it when they match.
    std::vector<TRows> previous;
    std::vector<size_t> previousPieces;
    for (size_t i = 0; i + 1 < edges.size(); ++i) {
        const int32_t left = edges[i], right = edges[i + 1];
        // The band's rows that some monitor shows in this column...
        std::vector<TRows> rows;
        for (const TRect& m : monitors) {
            if (m.Right <= left || m.Left >= right) continue;
            const int32_t top = std::max(m.Top, band.Top), bottom = std::min(m.Bottom, band.Bottom);
            if (top < bottom) rows = Joined(rows, TRows{top, bottom});
        }
        // ...less every strip there: a strip stays clear even where another
        // monitor overlaps it.
        for (const TRect& m : monitors) {
            if (m.Right <= left || m.Left >= right || m.Top >= m.Bottom) continue;
            const int32_t height = m.Bottom - m.Top;
            rows = Without(rows, m.Top, m.Top + ClampKeepClear(keepTop, height));
            rows = Without(rows, m.Bottom - ClampKeepClear(keepBottom, height), m.Bottom);
        }
        if (i > 0 && rows == previous) {
            for (size_t p : previousPieces) pieces[p].Right = right;
            continue;
        }
        previous = rows;
        previousPieces.clear();
        for (const TRows& r : rows) {
            previousPieces.push_back(pieces.size());
            pieces.push_back(TRect{left, r.Top, right, r.Bottom});
        }
    }
    return pieces;
}
