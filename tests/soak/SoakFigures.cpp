#include "tests/soak/SoakFigures.h"

#include <algorithm>
#include <cstdlib>

std::vector<std::string> MissedGoals(const PhaseFigures& phase, const SoakGoals& goals)
{
    std::vector<std::string> missed;
    const auto miss = [&](const std::string& what) { missed.push_back(phase.name + ": " + what); };
    if (!phase.completed)
        miss("ended before its count (" + phase.events + ")");
    if (phase.wrong > 0)
        miss(std::to_string(phase.wrong) + " ticks showed a value as live that was never sent");
    const long growth = phase.largestRssKiB - phase.warm.rssKiB;
    if (growth > goals.rssGrowthKiB)
        miss("resident memory grew by " + std::to_string(growth) + " KiB after the warm-up");
    // A hung-up port is closed until its reopen, so the serial device's own
    // descriptor may come and go between the samples; a change by more than
    // one is a leak, as every phase reopens its port many times.
    const bool sameFiles = phase.end.descriptors - phase.end.terminals ==
                           phase.warm.descriptors - phase.warm.terminals;
    if (!sameFiles || std::labs(phase.end.terminals - phase.warm.terminals) > 1)
        miss("open descriptors went from " + std::to_string(phase.warm.descriptors) + " (" +
             phase.warm.descriptorFiles + ") to " + std::to_string(phase.end.descriptors) + " (" +
             phase.end.descriptorFiles + ")");
    if (phase.end.threads != phase.warm.threads)
        miss("threads went from " + std::to_string(phase.warm.threads) + " to " +
             std::to_string(phase.end.threads));
    if (goals.logLimit > 0 && phase.largestLogBytes > 2 * goals.logLimit)
        miss("the debug log held " + std::to_string(phase.largestLogBytes) + " bytes on disk");
    return missed;
}

void PrintSoakTable(FILE* out, const std::vector<PhaseFigures>& phases, const SoakGoals& goals)
{
    std::fprintf(out,
                 "| phase | ticks | good | stale | wrong | spoiled to length | longest gap s "
                 "| RSS warm KiB | RSS growth KiB | fds warm/end | threads warm/end "
                 "| log max bytes | log restarts | wall s |\n"
                 "|---|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|\n");
    for (const PhaseFigures& p : phases)
        std::fprintf(out,
                     "| %s | %ld | %ld | %ld | %ld | %ld | %.1f | %ld | %ld | %ld/%ld | %ld/%ld "
                     "| %llu | %ld | %.1f |\n",
                     p.name.c_str(), p.ticks, p.good, p.stale, p.wrong, p.undetectable,
                     p.longestGapSeconds, p.warm.rssKiB, p.largestRssKiB - p.warm.rssKiB,
                     p.warm.descriptors, p.end.descriptors, p.warm.threads, p.end.threads,
                     static_cast<unsigned long long>(p.largestLogBytes), p.logRestarts, p.seconds);
    for (const PhaseFigures& p : phases)
        if (!p.events.empty())
            std::fprintf(out, "%s: %s\n", p.name.c_str(), p.events.c_str());
    std::fprintf(out,
                 "Goals: no wrong value; resident memory growth after warm-up <= %ld KiB; "
                 "descriptors (but the serial device's own) and threads equal at warm-up and end; "
                 "debug log on disk <= 2 x %llu bytes.\n",
                 goals.rssGrowthKiB, static_cast<unsigned long long>(goals.logLimit));
}
