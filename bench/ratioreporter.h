#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

// Prints, after the usual table, each measured figure against the floor it is held
// to (both measured in the same run) and whether it keeps within its limit. A
// target without a limit is only shown, for a figure watched but held elsewhere.
class RatioReporter final : public benchmark::ConsoleReporter
{
public:
    struct Target
    {
        std::string name;
        std::string floor;
        double limit; // 0: shown, not held
    };

    explicit RatioReporter(std::vector<Target> targets) : m_targets(std::move(targets)) {}

    void ReportRuns(const std::vector<Run> &runs) override
    {
        ConsoleReporter::ReportRuns(runs);
        for (const Run &run : runs)
            m_nanos[run.benchmark_name()] = run.GetAdjustedRealTime();
    }

    void Finalize() override
    {
        ConsoleReporter::Finalize();
        std::printf("\n%-44s %-36s %8s %6s\n", "measured", "against", "ratio", "limit");
        for (const Target &target : m_targets) {
            if (!m_nanos.count(target.name) || !m_nanos.count(target.floor))
                continue;
            const double ratio = m_nanos[target.name] / m_nanos[target.floor];
            if (target.limit <= 0) {
                std::printf("%-44s %-36s %8.2f %6s shown only\n", target.name.c_str(),
                            target.floor.c_str(), ratio, "-");
                continue;
            }
            std::printf("%-44s %-36s %8.2f %5.1fx %s\n", target.name.c_str(), target.floor.c_str(),
                        ratio, target.limit, ratio <= target.limit ? "ok" : "OVER");
        }
    }

    bool has(const std::string &name) const { return m_nanos.count(name) != 0; }
    // The adjusted real time of a run, in the run's own unit.
    double time(const std::string &name) const { return m_nanos.at(name); }

private:
    std::vector<Target> m_targets;
    std::map<std::string, double> m_nanos;
};
