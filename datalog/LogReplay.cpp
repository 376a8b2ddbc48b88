#include "datalog/LogReplay.h"

#include <algorithm>
#include <cmath>
#include <iterator>

namespace {

// Records per tick in quarters, slowest first: x1/4 ... x8.
const int kQuartersPerTick[] = {1, 2, 4, 8, 16, 32};
const char* const kSpeedTexts[] = {"x1/4", "x1/2", "x1", "x2", "x4", "x8"};
const int kSpeedSteps = static_cast<int>(std::size(kQuartersPerTick));
const int kNormalSpeed = 2;
// Times are read from decimal text; a record due "now" must not wait for rounding.
const double kTimeSlack = 1e-6;

} // namespace

LogReplay::LogReplay(const Datalog& datalog)
    : log(datalog), count(datalog.RecordCount()), speedStep(kNormalSpeed)
{
    SetPacing(Pacing::ByTime);
}

void LogReplay::SetPacing(Pacing wanted)
{
    pacing = Pacing::ByTick;
    if (wanted == Pacing::ByTime && log.GetTimeColumn() >= 0 && count >= 2) {
        const double span = log.Time(count - 1) - log.Time(0);
        if (std::isfinite(span) && span > 0)
            pacing = Pacing::ByTime;
    }
    recordSeconds = pacing == Pacing::ByTime ? MedianStep() : kTickSeconds;
    owedSeconds = 0.0;
    owedQuarters = 0;
}

double LogReplay::MedianStep() const
{
    // A log's pauses and restarts are not its rate: the typical step is.
    std::vector<double> steps;
    steps.reserve(count);
    for (size_t i = 1; i < count; ++i) {
        const double step = log.Time(i) - log.Time(i - 1);
        if (std::isfinite(step) && step > 0)
            steps.push_back(step);
    }
    if (steps.empty())
        return kTickSeconds;
    const auto middle = steps.begin() + static_cast<std::ptrdiff_t>(steps.size() / 2);
    std::nth_element(steps.begin(), middle, steps.end());
    return *middle;
}

double LogReplay::ClockOf(size_t index) const
{
    if (pacing == Pacing::ByTick)
        return static_cast<double>(index) * kTickSeconds;
    const double seconds = log.Time(index) - log.Time(0);
    return std::isfinite(seconds) ? seconds : 0.0;
}

void LogReplay::Start()
{
    started = true;
    record = 0;
    owedSeconds = 0.0;
    owedQuarters = 0;
}

void LogReplay::MoveTo(size_t index, bool fromNothing)
{
    // Markers after the last record are passed on arriving there.
    const size_t upTo = index + 1 == count ? SIZE_MAX : index;
    const std::vector<DatalogMarker>& markers = log.Markers();
    auto it = markers.begin();
    if (!fromNothing)
        it = std::partition_point(markers.begin(), markers.end(),
                                  [this](const DatalogMarker& m) { return m.beforeRecord <= record; });
    for (; it != markers.end() && it->beforeRecord <= upTo; ++it)
        passedMarkers.push_back(static_cast<size_t>(it - markers.begin()));
    record = index;
}

void LogReplay::Tick(double elapsedSeconds)
{
    passedMarkers.clear();
    if (count == 0)
        return;
    if (!started) {
        Start();
        MoveTo(0, true);
        return;
    }
    if (paused || IsAtEnd())
        return;
    size_t next = record;
    if (pacing == Pacing::ByTick) {
        owedQuarters += kQuartersPerTick[speedStep];
        next = std::min(count - 1, record + static_cast<size_t>(owedQuarters / 4));
        owedQuarters %= 4;
    } else {
        if (std::isfinite(elapsedSeconds) && elapsedSeconds > 0)
            owedSeconds += elapsedSeconds * GetSpeed();
        while (next + 1 < count) {
            double step = log.Time(next + 1) - log.Time(next);
            if (!(step > 0))
                step = 0; // a step back in time, or no time at all
            if (step > owedSeconds + kTimeSlack)
                break;
            owedSeconds -= step;
            ++next;
        }
        if (next + 1 == count)
            owedSeconds = 0.0;
    }
    if (next != record)
        MoveTo(next, false);
}

bool LogReplay::Faster()
{
    if (speedStep + 1 >= kSpeedSteps)
        return false;
    ++speedStep;
    return true;
}

bool LogReplay::Slower()
{
    if (speedStep == 0)
        return false;
    --speedStep;
    return true;
}

double LogReplay::GetSpeed() const
{
    return kQuartersPerTick[speedStep] / 4.0;
}

wxString LogReplay::GetSpeedText() const
{
    return kSpeedTexts[speedStep];
}

void LogReplay::SeekBy(double seconds)
{
    passedMarkers.clear();
    if (count == 0 || !std::isfinite(seconds))
        return;
    if (!started)
        Start();
    const double target = ClockOf(record) + seconds;
    size_t index = record;
    if (seconds > 0 && record + 1 < count) {
        index = record + 1;
        while (index + 1 < count && ClockOf(index + 1) <= target + kTimeSlack)
            ++index;
    } else if (seconds < 0 && record > 0) {
        index = record - 1;
        while (index > 0 && ClockOf(index) > target + kTimeSlack)
            --index;
    }
    record = index;
    owedSeconds = 0.0;
    owedQuarters = 0;
}

void LogReplay::SeekToStart()
{
    passedMarkers.clear();
    if (count > 0)
        Start();
}

double LogReplay::GetTotalSeconds() const
{
    return count == 0 ? 0.0 : std::max(0.0, ClockOf(count - 1));
}

double LogReplay::GetPositionSeconds() const
{
    if (!HasRecord())
        return 0.0;
    return std::min(std::max(0.0, ClockOf(record)), GetTotalSeconds());
}

wxString LogReplay::FormatDuration(double seconds)
{
    const long long whole = std::isfinite(seconds) && seconds > 0 ? static_cast<long long>(seconds) : 0;
    if (whole >= 3600)
        return wxString::Format("%lld:%02lld:%02lld", whole / 3600, whole / 60 % 60, whole % 60);
    return wxString::Format("%lld:%02lld", whole / 60, whole % 60);
}

wxString LogReplay::GetPositionText() const
{
    return FormatDuration(GetPositionSeconds()) + " / " + FormatDuration(GetTotalSeconds());
}
