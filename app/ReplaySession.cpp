#include "app/ReplaySession.h"

#include "app/MenuIds.h"
#include "definition/SymbolTable.h"

#include <wx/event.h>
#include <wx/filefn.h>

#include <algorithm>

constexpr int ReplaySession::kPeriodMs;
constexpr int ReplaySession::kFastestPeriodMs;
constexpr double ReplaySession::kSeekSeconds;

namespace {

// A stalled event loop must not make a replay jump: longer gaps count as this.
const double kLongestTickSeconds = 0.5;

bool IsReplayControl(long id)
{
    for (long control : {ID_REPLAY_PAUSE, ID_REPLAY_SLOWER, ID_REPLAY_FASTER, ID_REPLAY_BACK, ID_REPLAY_FORWARD,
                         ID_REPLAY_START})
        if (id == control)
            return true;
    return false;
}

} // namespace

ReplaySession::ReplaySession(const wxString& datalogFile, const SymbolTable* table)
    : file(datalogFile), input(datalogFile, table), refusal(RefusalOf(input, table))
{
}

wxString ReplaySession::RefusalOf(const RTDataMgrFile& log, const SymbolTable* table)
{
    if (!log.GetLog().GetRefusal().empty())
        return log.GetLog().GetRefusal();
    if (log.GetColumnCount() == 0)
        return _("No columns in ") + log.GetLog().GetName();
    if (!table || table->getGauges().empty())
        return wxString();
    for (const TARNGaugeDesc* gauge : table->getGauges())
        if (gauge && log.FindSource(gauge->getSymbolName()).match.column >= 0)
            return wxString();
    return wxString::Format(_("%s: no column serves a gauge; not a log of this engine"), log.GetLog().GetName());
}

int ReplaySession::GetPeriodMs() const
{
    const LogReplay& replay = input.GetReplay();
    const double ms = 1000.0 * replay.GetRecordSeconds() / replay.GetSpeed();
    if (!(ms < kPeriodMs))
        return kPeriodMs;
    return std::max(kFastestPeriodMs, static_cast<int>(ms));
}

void ReplaySession::BeforeTick()
{
    input.SetTickSeconds(std::min(sinceTick.Time() / 1000.0, kLongestTickSeconds));
    sinceTick.Start();
}

void ReplaySession::ShowStatus(StatusStrip& strip)
{
    if (!refusal.empty()) {
        strip.SetStatus(StatusStrip::Mark::Bad, refusal);
        return;
    }
    const LogReplay& replay = input.GetReplay();
    // The state goes last: a long file name is shortened at its start.
    wxString text = wxFileNameFromPath(file) + "  " + replay.GetPositionText() + "  " + replay.GetSpeedText();
    StatusStrip::Mark mark = StatusStrip::Mark::Good;
    if (replay.IsAtEnd() || input.GetLog().RecordCount() == 0) {
        text += "  " + (input.GetLog().IsGrowing() ? _("End of what was written: open it again for the rest")
                                                   : _("End of log"));
        mark = StatusStrip::Mark::Off;
    } else if (replay.IsPaused()) {
        text += "  " + _("Paused");
        mark = StatusStrip::Mark::Busy;
    }
    strip.SetStatus(mark, text);
}

bool ReplaySession::TakeDefinition(SymbolTable* table)
{
    input.SetTable(table);
    refusal = RefusalOf(input, table);
    // The record it stands on, with the new columns, rather than the next one.
    input.HoldForNextUpdate();
    return true;
}

bool ReplaySession::OnCommand(long id, bool)
{
    LogReplay& replay = input.GetReplay();
    if (id == ID_REPLAY_PAUSE)
        replay.TogglePause();
    else if (id == ID_REPLAY_SLOWER)
        replay.Slower();
    else if (id == ID_REPLAY_FASTER)
        replay.Faster();
    else if (id == ID_REPLAY_BACK)
        replay.SeekBy(-kSeekSeconds);
    else if (id == ID_REPLAY_FORWARD)
        replay.SeekBy(kSeekSeconds);
    else if (id == ID_REPLAY_START)
        replay.SeekToStart();
    else
        return false;
    // A seek shows its record at once, also while paused or at the end.
    const bool seek = id != ID_REPLAY_PAUSE && id != ID_REPLAY_SLOWER && id != ID_REPLAY_FASTER;
    if (seek)
        input.HoldForNextUpdate();
    return seek;
}

long ReplaySession::CommandOfKey(const wxKeyEvent& key) const
{
    if (key.HasModifiers())
        return wxID_NONE;
    const int code = key.GetKeyCode();
    const wxChar typed = key.GetUnicodeKey();
    if (code == WXK_SPACE)
        return ID_REPLAY_PAUSE;
    if (code == '-' || code == WXK_SUBTRACT || code == WXK_NUMPAD_SUBTRACT || typed == '-')
        return ID_REPLAY_SLOWER;
    if (code == '+' || code == '=' || code == WXK_ADD || code == WXK_NUMPAD_ADD || typed == '+')
        return ID_REPLAY_FASTER;
    if (code == WXK_LEFT || code == WXK_NUMPAD_LEFT)
        return ID_REPLAY_BACK;
    if (code == WXK_RIGHT || code == WXK_NUMPAD_RIGHT)
        return ID_REPLAY_FORWARD;
    if (code == WXK_HOME || code == WXK_NUMPAD_HOME)
        return ID_REPLAY_START;
    return wxID_NONE;
}

bool ReplaySession::IsCommandEnabled(long id)
{
    return IsReplayControl(id);
}

bool ReplaySession::IsCommandChecked(long id)
{
    return id == ID_REPLAY_PAUSE && input.GetReplay().IsPaused();
}
