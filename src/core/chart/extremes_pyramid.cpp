#include "extremes_pyramid.h"

#include <algorithm>

#include "teechart_basics.h"

namespace {

constexpr std::size_t kBranching = 8;

} // namespace

// Keeps the earlier of two points with equal Y: candidates arrive in index order.
void TExtremesPyramid::TPoint::TakeLowest(TPoint Candidate) {
    if (Candidate.Index != npos && (Index == npos || Candidate.Y < Y)) {
        *this = Candidate;
    }
}

void TExtremesPyramid::TPoint::TakeHighest(TPoint Candidate) {
    if (Candidate.Index != npos && (Index == npos || Candidate.Y > Y)) {
        *this = Candidate;
    }
}

TExtremesPyramid::TExtremesPyramid(std::span<const double> X, std::span<const double> Y)
    : count_(std::min(X.size(), Y.size())) {
    std::size_t below = count_; // entries of the level below, points for the first level
    while (below > 1) {
        const std::size_t blocks = (below + kBranching - 1) / kBranching;
        TLevel level{std::vector<TPoint>(blocks), std::vector<TPoint>(blocks)};
        for (std::size_t b = 0; b < blocks; ++b) {
            const std::size_t end = std::min(below, (b + 1) * kBranching);
            for (std::size_t i = b * kBranching; i < end; ++i) {
                if (levels_.empty()) {
                    if (IsDrawable(X[i], Y[i])) {
                        level.Lowest[b].TakeLowest({i, Y[i]});
                        level.Highest[b].TakeHighest({i, Y[i]});
                    }
                } else {
                    level.Lowest[b].TakeLowest(levels_.back().Lowest[i]);
                    level.Highest[b].TakeHighest(levels_.back().Highest[i]);
                }
            }
        }
        levels_.push_back(std::move(level));
        below = blocks;
    }
}

void TExtremesPyramid::Update(std::span<const double> X, std::span<const double> Y,
                              std::size_t Index) {
    std::size_t block = Index;
    for (std::size_t l = 0; l < levels_.size() && Index < count_; ++l) {
        block /= kBranching;
        TPoint lowest;
        TPoint highest;
        const std::size_t below = l == 0 ? count_ : levels_[l - 1].Lowest.size();
        const std::size_t end = std::min(below, (block + 1) * kBranching);
        for (std::size_t i = block * kBranching; i < end; ++i) {
            if (l == 0) {
                if (IsDrawable(X[i], Y[i])) {
                    lowest.TakeLowest({i, Y[i]});
                    highest.TakeHighest({i, Y[i]});
                }
            } else {
                lowest.TakeLowest(levels_[l - 1].Lowest[i]);
                highest.TakeHighest(levels_[l - 1].Highest[i]);
            }
        }
        levels_[l].Lowest[block] = lowest;
        levels_[l].Highest[block] = highest;
    }
}

std::pair<std::size_t, std::size_t> TExtremesPyramid::Extremes(std::span<const double> X,
                                                               std::span<const double> Y,
                                                               std::size_t From,
                                                               std::size_t To) const {
    To = std::min(To, count_);
    TPoint lowest;
    TPoint highest;
    // Level 0 is the points themselves; level l > 0 has blocks of kBranching^l points.
    const auto take = [&](std::size_t level, std::size_t at) {
        if (level == 0) {
            if (IsDrawable(X[at], Y[at])) {
                lowest.TakeLowest({at, Y[at]});
                highest.TakeHighest({at, Y[at]});
            }
            return;
        }
        const TLevel& blocks = levels_[level - 1];
        lowest.TakeLowest(blocks.Lowest[at]);
        highest.TakeHighest(blocks.Highest[at]);
    };
    // Up while whole blocks of the next level fit, then down through the rest.
    std::size_t at = From;
    std::size_t level = 0;
    std::size_t size = 1;
    while (level < levels_.size()) {
        const std::size_t next = size * kBranching;
        while (at % next != 0 && at + size <= To) {
            take(level, at / size);
            at += size;
        }
        if (at % next != 0 || at + next > To) {
            break;
        }
        ++level;
        size = next;
    }
    for (;;) {
        while (at + size <= To) {
            take(level, at / size);
            at += size;
        }
        if (level == 0) {
            break;
        }
        --level;
        size /= kBranching;
    }
    return {lowest.Index, highest.Index};
}
