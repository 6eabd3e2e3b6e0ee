#include "src/bandGroups.h"

#include <algorithm>

std::vector<TMonitorGroup> GroupMonitors(const std::vector<TRect>& monitors) {
    std::vector<TMonitorGroup> groups;
    for (size_t i = 0; i < monitors.size(); ++i) {
        const TRect& m = monitors[i];
        if (m.Right <= m.Left || m.Bottom <= m.Top) continue;
        auto same = std::find_if(groups.begin(), groups.end(), [&](const TMonitorGroup& g) {
            return g.Rect.Top == m.Top && g.Rect.Bottom == m.Bottom;
        });
        if (same == groups.end()) {
            groups.push_back(TMonitorGroup{m, {i}});
            continue;
        }
        same->Rect.Left = std::min(same->Rect.Left, m.Left);
        same->Rect.Right = std::max(same->Rect.Right, m.Right);
        same->Monitors.push_back(i);
    }
    std::stable_sort(groups.begin(), groups.end(), [](const TMonitorGroup& a, const TMonitorGroup& b) {
        return a.Rect.Top != b.Rect.Top ? a.Rect.Top < b.Rect.Top : a.Rect.Left < b.Rect.Left;
    });
    return groups;
}
