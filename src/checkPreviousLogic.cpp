#include "src/checkPreviousLogic.h"

#include <limits>

std::string MapNameFromPath(const std::string& path) {
    std::string name;
    name.reserve(path.size());
    for (char c : path) {
        if (c != '\\') name.push_back(c);
    }
    return name;
}

std::string LockNameFor(const std::string& mapName) { return mapName + "#lock"; }

namespace {

uint32_t ReadLe32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) | (static_cast<uint32_t>(p[2]) << 16) |
           (static_cast<uint32_t>(p[3]) << 24);
}

void WriteLe32(uint8_t* p, uint32_t value) {
    p[0] = static_cast<uint8_t>(value & 0xFFu);
    p[1] = static_cast<uint8_t>((value >> 8) & 0xFFu);
    p[2] = static_cast<uint8_t>((value >> 16) & 0xFFu);
    p[3] = static_cast<uint8_t>((value >> 24) & 0xFFu);
}

}  // namespace

TInstanceInfo ReadInstanceInfo(const uint8_t* block) {
    TInstanceInfo info;
    info.Wnd = ReadLe32(block);
    info.Count = static_cast<int32_t>(ReadLe32(block + 4));
    return info;
}

void WriteInstanceInfo(uint8_t* block, const TInstanceInfo& info) {
    WriteLe32(block, info.Wnd);
    WriteInstanceCount(block, info.Count);
}

void WriteInstanceCount(uint8_t* block, int32_t count) { WriteLe32(block + 4, static_cast<uint32_t>(count)); }

TInstanceInfo FirstInstance(uint32_t wnd) { return TInstanceInfo{wnd, 1}; }

TStartDecision DecideStart(const TInstanceInfo& block, uint32_t wnd, int32_t limit) {
    TStartDecision decision;
    decision.Block = block;
    // limit > Count keeps Count + 1 within range.
    if (limit > block.Count) {
        decision.Register = true;
        decision.Block.Wnd = wnd;
        decision.Block.Count = block.Count + 1;
    } else {
        decision.BringForward = block.Wnd;
    }
    return decision;
}

int32_t CountAfterRelease(int32_t count) {
    // Another program may have written anything into the block.
    if (count == std::numeric_limits<int32_t>::min()) return count;
    return count - 1;
}
