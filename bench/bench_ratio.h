#pragma once
// Runs the registered benchmarks and prints ratios of measured cases against baselines of the
// same run, so that a slow or noisy machine shifts both sides alike.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

struct RatioGoal {
    std::string label;    // what the ratio says, e.g. "load / raw read"
    std::string measured; // benchmark function name with its arguments, e.g. "BM_Sort/100000"
    std::string baseline; // the same for the baseline
    double goal;          // the ratio should stay at or below this; 0: printed as information
};

// A time per iteration with a goal of its own, printed beside the baseline's time.
struct TimeGoal {
    std::string label;
    std::string measured;
    std::string baseline;
    double goalMs;
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    void ReportRuns(const std::vector<Run>& runs) override {
        for (const Run& run : runs) {
            if (run.error_occurred || run.run_type != Run::RT_Iteration || run.iterations == 0) {
                continue;
            }
            const double seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
            const auto& name = run.run_name;
            const std::string key = name.function_name + (name.args.empty() ? "" : "/" + name.args);
            auto [it, fresh] = seconds_.emplace(key, seconds);
            if (!fresh) {
                it->second = std::min(it->second, seconds); // best of the repetitions
            }
        }
        ConsoleReporter::ReportRuns(runs);
    }

    // Seconds per iteration of a benchmark, or a negative number when it did not run.
    double Seconds(const std::string& name) const {
        const auto it = seconds_.find(name);
        return it == seconds_.end() ? -1.0 : it->second;
    }

private:
    std::map<std::string, double> seconds_;
};

// The main() of every benchmark program: runs them all, then prints one line per ratio.
inline int RunWithRatios(int argc, char** argv, const std::vector<RatioGoal>& goals,
                         const std::vector<TimeGoal>& times = {}) {
    benchmark::Initialize(&argc, argv);
    RatioReporter reporter;
    benchmark::RunSpecifiedBenchmarks(&reporter);
    for (const RatioGoal& goal : goals) {
        const double measured = reporter.Seconds(goal.measured);
        const double baseline = reporter.Seconds(goal.baseline);
        if (measured < 0 || baseline <= 0) {
            continue;
        }
        const double ratio = measured / baseline;
        if (goal.goal <= 0) {
            std::printf("ratio %s: %.2f (information, no goal)\n", goal.label.c_str(), ratio);
            continue;
        }
        std::printf("ratio %s: %.2f (goal <= %.1f) %s\n", goal.label.c_str(), ratio, goal.goal,
                    ratio <= goal.goal ? "ok" : "OVER GOAL");
    }
    for (const TimeGoal& time : times) {
        const double measured = reporter.Seconds(time.measured) * 1e3;
        const double baseline = reporter.Seconds(time.baseline) * 1e3;
        if (measured < 0 || baseline < 0) {
            continue;
        }
        std::printf("%s: %.3f ms, baseline %.3f ms (goal <= %.1f ms) %s\n", time.label.c_str(),
                    measured, baseline, time.goalMs, measured <= time.goalMs ? "ok" : "OVER GOAL");
    }
    benchmark::Shutdown();
    return 0;
}
