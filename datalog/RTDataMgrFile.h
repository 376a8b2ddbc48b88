#pragma once
// Plays back a recorded datalog instead of asking the ECU.
//
// Any known format serves (see DatalogLoader): the dashboard's own (line 1 a
// title, line 2 the header, tab-separated records), the text logs of the
// tuning suites, binary logs. The whole file is held once, as read; values
// are decoded from it per tick.
//
// Each tick (Update) moves the replay (LogReplay) by the tick's seconds, then
// serves the current record:
// - the dashboard's own log plays one line per tick; a line whose field count
//   differs from the header's leaves the previous record current;
// - a log with a Time column is paced by it; other logs play one record per
//   tick.
// What it serves:
// - a name finds its column as ColumnMatcher says ([Datalog] entries of the
//   definition file, the name, the name loosely, its aliases);
// - a value whose column states a unit other than the channel's in the
//   definition file (°F for °C, psi for kPa) is converted (UnitConversion);
// - a name without a column gets RTDataMgr::NoValue() in the dispatcher's
//   map, so its gauges show no number; GetValue answers -1.0 for it. The
//   first time a tick asks for such a name the debug log says so;
// - a log that cannot be read or used has no columns: every name gets
//   NoValue() and HasValue answers false; its problems go to the debug log;
// - before the first record, or where a record holds no finite value, the
//   name gets NoValue() as well (nothing is invented) and GetValue answers -1.0;
// - at the last record the replay stops there; it never restarts.
#include "dispatch/RTDataMgr.h"
#include "datalog/ColumnMatcher.h"
#include "datalog/Datalog.h"
#include "datalog/DatalogLoader.h"
#include "datalog/LogReplay.h"
#include "datalog/UnitConversion.h"

#include <memory>
#include <string>
#include <unordered_map>

class SymbolTable;

class RTDataMgrFile : public RTDataMgr {
public:
    // Where a name's value comes from.
    struct Source {
        ColumnMatcher::Match match;
        UnitConversion conversion;
    };

    // Reads `fileName` whole; the first tick plays the first record. `table`
    // (may be null; must outlive the input) gives the [Datalog] entries and
    // the channels' units.
    explicit RTDataMgrFile(const wxString& fileName, const SymbolTable* table = nullptr);
    // The same over bytes already in memory; `name` names the log in messages.
    static std::unique_ptr<RTDataMgrFile> FromBytes(std::string bytes, const wxString& name = "datalog",
                                                    const SymbolTable* table = nullptr);

    void Update() override;
    double GetValue(const wxString& name) override;
    bool HasValue(const wxString& name) override;
    int GetKind() override { return KindFile; }

    // 0 when the file was read, -1 for an empty name, -2 when it cannot be read.
    int GetOpenResult() const { return openResult; }
    size_t GetColumnCount() const { return log->Columns().size(); }
    // Whether the current record has values.
    bool HasRecord() const;
    Source FindSource(const wxString& name) const;
    // Finds every column again for `table` (as at construction); the replay
    // stays where it is.
    void SetTable(const SymbolTable* table);

    const Datalog& GetLog() const { return *log; }
    // The replay controls (pause, speed, seek, position).
    LogReplay& GetReplay() { return replay; }
    const LogReplay& GetReplay() const { return replay; }
    // The real time each following tick stands for (default: the 100 ms tick).
    void SetTickSeconds(double seconds) { tickSeconds = seconds; }
    // The next Update() serves the current record again without moving the
    // replay: after a seek, to show the record sought at once.
    void HoldForNextUpdate() { holding = true; }

    // Lines of the file, and the zero-based line the dashboard's own log
    // stands on (its header line before the first tick); -1 in other formats.
    int32_t getLineCount() const { return static_cast<int32_t>(log->GetLineCount()); }
    int32_t getLineIndex() const;

    // The number at the start of `field` (optional blanks, sign, digits,
    // decimal point ".", exponent); trailing text is ignored and a field that
    // does not start with a number reads 0.0. Independent of the C locale;
    // always finite (overflow saturates).
    static double ParseNumber(const wxString& field);

private:
    RTDataMgrFile(DatalogLoader::Opened opened, const SymbolTable* table);
    // Where `name` is served from, remembering what each tick's names found.
    const Source& Lookup(const wxString& name);
    // The current record's value from `source`, or NaN.
    double CurrentValue(const Source& source) const;

    std::unique_ptr<Datalog> log;
    int openResult;
    const SymbolTable* table;
    ColumnMatcher matcher;
    LogReplay replay;
    double tickSeconds = LogReplay::kTickSeconds;
    bool endTraced = false;
    bool holding = false;
    std::unordered_map<std::wstring, Source> tickNames;
};
