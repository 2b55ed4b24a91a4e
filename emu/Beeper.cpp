#include "emu/Machine48.h"

#include <algorithm>

namespace zq::emu {

void Machine48::beeperSamples(int rate, std::vector<std::int16_t>& out) const
{
    const int n = std::clamp(rate / 50, 0, kFrameTStates);
    out.assign(std::size_t(n), 0);
    bool level = lastStartLevel_;
    std::size_t e = 0;
    for (int i = 0; i < n; ++i) {
        // Sample i covers T-states [t0, t1) of the frame.
        const std::int64_t t0 = std::int64_t(i) * kFrameTStates / n;
        const std::int64_t t1 = std::int64_t(i + 1) * kFrameTStates / n;
        std::int64_t high = 0;
        std::int64_t t = t0;
        for (; e < lastEdges_.size() && lastEdges_[e].tstate < t1; ++e) {
            if (level)
                high += lastEdges_[e].tstate - t;
            t = lastEdges_[e].tstate;
            level = lastEdges_[e].level;
        }
        if (level)
            high += t1 - t;
        out[std::size_t(i)] = std::int16_t(high * kBeeperAmplitude / (t1 - t0));
    }
}

} // namespace zq::emu
