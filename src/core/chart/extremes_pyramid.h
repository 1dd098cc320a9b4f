#pragma once
// The lowest and highest drawable point of any run of a series, found block by block over blocks
// of blocks: a zoomed chart reduces its pixel columns in time that grows with the columns, not
// with the points in view.

#include <cstddef>
#include <span>
#include <utility>
#include <vector>

class TExtremesPyramid {
public:
    static constexpr std::size_t npos = static_cast<std::size_t>(-1);

    TExtremesPyramid() = default;
    // Built once per change of the series; queries take the same X and Y.
    TExtremesPyramid(std::span<const double> X, std::span<const double> Y);

    // The first drawable point with the smallest Y and the first with the largest Y among the
    // points From to To (exclusive); npos for both when none of them is drawable.
    std::pair<std::size_t, std::size_t> Extremes(std::span<const double> X,
                                                 std::span<const double> Y, std::size_t From,
                                                 std::size_t To) const;

    // Point Index of X and Y changed: the blocks holding it are found again, one per level, so
    // that a point dragged along a long series costs no pass over it.
    void Update(std::span<const double> X, std::span<const double> Y, std::size_t Index);

    // The number of points it was built for.
    std::size_t Count() const { return count_; }

private:
    // A point with its Y beside it, so that comparing blocks reads no Y from the series.
    struct TPoint {
        std::size_t Index = npos;
        double Y = 0;
        void TakeLowest(TPoint Candidate);
        void TakeHighest(TPoint Candidate);
    };
    struct TLevel {
        std::vector<TPoint> Lowest; // per block, npos where no point of it is drawable
        std::vector<TPoint> Highest;
    };
    std::size_t count_ = 0;
    std::vector<TLevel> levels_; // levels_[l] holds blocks of kBranching^(l+1) points
};
