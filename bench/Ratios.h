#pragma once
// The ratios the redraw targets are stated in, printed after the usual
// table: each benchmark's real time over its baseline's, both from this run
// (with repetitions, the median of each).

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace zq::bench {

// `measured` over `baseline`, or, without a baseline, the counter that the
// measured benchmark computes itself.
struct Ratio {
    const char* what;
    const char* measured;
    const char* baseline;
    double target; // at most (at least, with atLeast)
    const char* counter = nullptr;
    const char* unit = "x"; // printed after the figure and the target
    bool atLeast = false;
};

class RatioReporter : public benchmark::ConsoleReporter {
public:
    explicit RatioReporter(std::vector<Ratio> ratios) : ratios_(std::move(ratios)) {}

    void ReportRuns(const std::vector<Run>& runs) override
    {
        for (const Run& run : runs)
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
                seconds_[run.run_name.function_name].push_back(run.real_accumulated_time / double(run.iterations));
                for (const auto& [name, counter] : run.counters)
                    counters_[run.run_name.function_name + "/" + name].push_back(counter.value);
            }
        ConsoleReporter::ReportRuns(runs);
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-58s %8s %8s\n", "Ratio (this run)", "measured", "target");
        for (const Ratio& r : ratios_) {
            double ratio = 0;
            if (!ratioOf(r, ratio))
                continue;
            const bool met = r.atLeast ? ratio >= r.target : ratio <= r.target;
            std::printf("%-58s %7.3g%s %7.3g%s%s\n", r.what, ratio, r.unit, r.target, r.unit,
                        met ? "" : r.atLeast ? "  under" : "  over");
        }
    }

private:
    using Values = std::map<std::string, std::vector<double>>;

    // The median of the repetitions of `name` (the lower middle one of an
    // even count); false if there is none.
    static bool medianOf(const Values& values, const std::string& name, double& median)
    {
        const auto at = values.find(name);
        if (at == values.end() || at->second.empty())
            return false;
        std::vector<double> v = at->second;
        std::nth_element(v.begin(), v.begin() + std::ptrdiff_t((v.size() - 1) / 2), v.end());
        median = v[(v.size() - 1) / 2];
        return true;
    }

    bool ratioOf(const Ratio& r, double& ratio) const
    {
        if (r.counter)
            return medianOf(counters_, std::string(r.measured) + "/" + r.counter, ratio);
        double measured = 0, baseline = 0;
        if (!medianOf(seconds_, r.measured, measured) || !medianOf(seconds_, r.baseline, baseline) || baseline <= 0)
            return false;
        ratio = measured / baseline;
        return true;
    }

    std::vector<Ratio> ratios_;
    Values seconds_;
    Values counters_; // "benchmark/counter"
};

} // namespace zq::bench
