#pragma once
// Where a replay stands in a datalog, and the controls that move it: pause,
// speed, seek. It has no clock: each refresh tick passes the seconds it
// stands for, so tests run without waiting.
//
// Pacing:
// - by time (a log with a Time column whose last record is later than its
//   first): the log's clock runs `speed` times as fast as the ticks' seconds,
//   and each tick shows the last record that is due. A step back in time is
//   no wait;
// - by tick (every other log, and on request): one record per tick at x1,
//   two at x2, one every fourth tick at x1/4. Elapsed seconds play no part,
//   so the dashboard's own log plays exactly one line per tick.
//
// Position and seeking go by the log's clock, or 100 ms a record when paced
// by tick. A seek moves at least one record. The first tick shows the first
// record; at the last record the replay stops there and IsAtEnd() says so.
#include "datalog/Datalog.h"

#include <wx/string.h>

#include <cstddef>
#include <vector>

class LogReplay {
public:
    enum class Pacing { ByTime, ByTick };

    // The log must outlive the replay.
    explicit LogReplay(const Datalog& log);

    void SetPacing(Pacing pacing);
    Pacing GetPacing() const { return pacing; }

    // One refresh tick that stands for `elapsedSeconds` of real time.
    void Tick(double elapsedSeconds);

    void Pause() { paused = true; }
    void Resume() { paused = false; }
    void TogglePause() { paused = !paused; }
    bool IsPaused() const { return paused; }

    // x1/4, x1/2, x1, x2, x4, x8; false when already at the end of the range.
    bool Faster();
    bool Slower();
    double GetSpeed() const;
    wxString GetSpeedText() const; // "x1/4" ... "x8"

    void SeekBy(double seconds);
    void SeekToStart();

    // Whether a record is current: false before the first tick and for a log
    // without records.
    bool HasRecord() const { return started && count > 0; }
    size_t GetRecord() const { return record; }
    bool IsAtEnd() const { return HasRecord() && record + 1 == count; }

    double GetPositionSeconds() const;
    double GetTotalSeconds() const;
    // "1:02 / 5:30" (hours when the log is that long).
    wxString GetPositionText() const;
    static wxString FormatDuration(double seconds);

    // Seconds between two records on the log's clock: the median step
    // forward in time, or kTickSeconds when paced by tick.
    double GetRecordSeconds() const { return recordSeconds; }

    // Indexes into the log's markers that the last Tick() moved past.
    const std::vector<size_t>& GetPassedMarkers() const { return passedMarkers; }

    // Seconds a record stands for when paced by tick (the 100 ms tick).
    static constexpr double kTickSeconds = 0.1;

private:
    double ClockOf(size_t index) const; // seconds since the first record
    double MedianStep() const;
    // Moves forward to `index`, noting the markers passed on the way.
    void MoveTo(size_t index, bool fromNothing);
    void Start();

    const Datalog& log;
    const size_t count;
    Pacing pacing = Pacing::ByTick;
    bool started = false;
    bool paused = false;
    size_t record = 0;
    int speedStep;        // index into the speed table
    double recordSeconds = kTickSeconds;
    double owedSeconds = 0.0; // log time due but not yet played
    int owedQuarters = 0;     // quarter records due when paced by tick
    std::vector<size_t> passedMarkers;
};
