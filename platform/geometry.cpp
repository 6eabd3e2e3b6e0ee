#include "platform/geometry.h"

#include <algorithm>

std::vector<TRect> SubtractRects(const TRect& from, const std::vector<TRect>& holes) {
    std::vector<TRect> left;
    if (from.Left < from.Right && from.Top < from.Bottom) left.push_back(from);
    for (const TRect& hole : holes) {
        std::vector<TRect> next;
        for (const TRect& r : left) {
            const int32_t top = std::max(r.Top, hole.Top), bottom = std::min(r.Bottom, hole.Bottom);
            const int32_t leftEdge = std::max(r.Left, hole.Left), rightEdge = std::min(r.Right, hole.Right);
            if (top >= bottom || leftEdge >= rightEdge) {
                next.push_back(r);
                continue;
            }
            // Above and below the hole at full width, beside it in its rows.
            if (r.Top < top) next.push_back(TRect{r.Left, r.Top, r.Right, top});
            if (bottom < r.Bottom) next.push_back(TRect{r.Left, bottom, r.Right, r.Bottom});
            if (r.Left < leftEdge) next.push_back(TRect{r.Left, top, leftEdge, bottom});
            if (rightEdge < r.Right) next.push_back(TRect{rightEdge, top, r.Right, bottom});
        }
        left = std::move(next);
    }
    return left;
}
