#include "app/EcuSession.h"

#include "app/MenuIds.h"
#include "base/DebugLog.h"
#include "definition/SymbolTable.h"
#include "ecu/PageDecoder.h"
#include "ecu/RTDataMgrSerial.h"
#include "link/TarnProtocol.h"

#include <wx/filename.h>

#include <chrono>

constexpr int EcuSession::kPeriodMs;
constexpr int EcuSession::kFastPeriodMs;

namespace {

// The line speed is the user's for another firmware's link; the built-in
// firmware keeps the speeds of its modes.
GenericLinkOptions LinkOptionsOf(const DashboardOptions& options)
{
    GenericLinkOptions link;
    if (options.baud)
        link.baud = *options.baud;
    if (options.quietMs)
        link.quietMs = *options.quietMs;
    return link;
}

// What the strip says of a round of page reads.
wxString ConstantsStatus(const EcuWorker::Pages& pages, const PageValues& values)
{
    const int count = static_cast<int>(pages.bytes.size());
    wxString text;
    if (pages.readNow == count)
        text = wxString::Format(_("Constants read from the ECU (%d pages)"), count);
    else
        text = wxString::Format(_("Constants: %d of %d pages read from the ECU (%s); the others "
                                  "keep their earlier values"),
                                pages.readNow, count, wxString::FromUTF8(pages.problem));
    if (!values.pastPage.empty())
        text += wxString::Format(_("; %zu constants lie past their page (%s first) and have no value"),
                                 values.pastPage.size(), values.pastPage.front());
    return text;
}

} // namespace

EcuSession::EcuSession(SymbolTable* definition, const DashboardOptions& dashboard)
    : table(definition), options(dashboard),
      input(new RTDataMgrSerial(TarnProtocol::getInstance(), definition, {}, LinkOptionsOf(dashboard),
                                SamplingOf(dashboard, *definition)))
{
    input->setRecordListener([this] {
        tookRecord = true;
        if (recording.IsRecording())
            AddRecord(recording, *input);
    });
    if (options.record)
        StartRecording();
}

RTDataMgrSerial::Sampling EcuSession::SamplingOf(const DashboardOptions& dashboard, const SymbolTable& definition)
{
    RTDataMgrSerial::Sampling sampling;
    if (dashboard.rate) {
        sampling.mode = RTDataMgrSerial::Sampling::Rate;
        sampling.hz = *dashboard.rate;
    } else if (!definition.getLinkSettings().isBuiltInFirmware()) {
        sampling.mode = RTDataMgrSerial::Sampling::Continuous;
    }
    return sampling;
}

int EcuSession::GetPeriodMs() const
{
    return input->samplesFasterThan(std::chrono::milliseconds(kPeriodMs)) ? kFastPeriodMs : kPeriodMs;
}

EcuSession::~EcuSession()
{
    StopRecording();
}

RTDataMgr* EcuSession::GetInput()
{
    return input.get();
}

bool EcuSession::AddRecord(LiveRecording& to, const RTDataMgrSerial& ecu)
{
    const double fetched = std::chrono::duration<double>(ecu.getRecordTime().time_since_epoch()).count();
    return to.Add(ecu.getRecordSequence(), fetched, ecu.getScalarValues());
}

LiveRecording::Compute EcuSession::ComputeOf(RTDataMgrSerial& ecu)
{
    return [&ecu](const wxString& name) { return ecu.recordValue(name); };
}

bool EcuSession::AfterTick(const ValueMap&)
{
    const bool fresh = tookRecord;
    tookRecord = false;
    // The records went in as the tick took them; a failure among them stopped the recording.
    if (recording.IsRecording() && (fresh || recording.Flush()))
        return false;
    if (recording.GetError().empty() || recording.GetError() == recordingProblem)
        return false;
    StopRecording();
    return true;
}

void EcuSession::ShowStatus(StatusStrip& strip)
{
    if (!recordingProblem.empty()) {
        strip.SetStatus(StatusStrip::Mark::Bad, recordingProblem);
        return;
    }
    const LinkState state = input->getLinkState();
    StatusStrip::Mark mark = StatusStrip::Mark::Bad;
    if (state.kind == LinkState::Connected)
        mark = StatusStrip::Mark::Good;
    else if (state.kind == LinkState::Searching || state.kind == LinkState::Idle)
        mark = StatusStrip::Mark::Busy;
    wxString text = wxString::FromUTF8(state.describe());
    if (!text.empty())
        text[0] = wxToupper(text[0]);
    if (recording.IsRecording() && !recording.GetError().empty()) {
        // The file had to move: say where, in red, until the recording ends.
        strip.SetStatus(StatusStrip::Mark::Bad, recording.GetError() + _(", recording"));
        return;
    }
    // In front: the values on the gauges may be false.
    const int refused = input->getRefusedPercent();
    if (refused > RTDataMgrSerial::kDoubtfulPercent) {
        text = wxString::Format(_("Line noisy: %d %% of replies refused"), refused) +
               wxString::FromUTF8(" \xC2\xB7 ") + text;
        if (mark == StatusStrip::Mark::Good)
            mark = StatusStrip::Mark::Busy;
    }
    if (state.kind == LinkState::Connected && input->samplesOnItsOwn())
        text += wxString::Format(_(", %.0f records/s"), input->getRecordRate());
    if (recording.IsRecording())
        text += _(", recording");
    if (!constantsStatus.empty())
        text += wxString::FromUTF8(" \xC2\xB7 ") + constantsStatus;
    strip.SetStatus(mark, text);
}

bool EcuSession::TakeDefinitionChange()
{
    const std::shared_ptr<const EcuWorker::Pages> pages = input->takePages();
    if (!pages) {
        if (constantsStatus.empty() && !input->getPageProblem().empty())
            constantsStatus = _("Constants not read: ") + wxString::FromUTF8(input->getPageProblem());
        return false;
    }
    const PageValues values = applyPages(*table, pages->bytes);
    const bool changed = table->constantsChanged();
    input->refreshConstants();
    constantsStatus = ConstantsStatus(*pages, values);
    DebugLog(pages->problem.empty() && values.pastPage.empty() ? 0 : 1, constantsStatus);
    return changed;
}

bool EcuSession::TakeDefinition(SymbolTable* definition)
{
    // The ECU's constants are as read, whatever the file's settings.
    if (const std::shared_ptr<const EcuWorker::Pages> read = input->latestPages()) {
        applyPages(*definition, read->bytes);
        definition->constantsChanged();
    }
    const bool recorded = recording.IsRecording();
    if (!input->setTable(definition))
        return false;
    table = definition;
    if (recorded) {
        StopRecording();
        StartRecording();
    }
    return true;
}

bool EcuSession::OnCommand(long id, bool checked)
{
    if (id == ID_READ_CONSTANTS) {
        input->requestPages();
        constantsStatus = _("Reading constants from the ECU");
        return false;
    }
    if (id != ID_RECORD)
        return false;
    if (checked)
        StartRecording();
    else
        StopRecording();
    return false;
}

bool EcuSession::IsCommandEnabled(long id)
{
    return id == ID_RECORD || (id == ID_READ_CONSTANTS && input->pageCount() > 0);
}

bool EcuSession::IsCommandChecked(long id)
{
    return id == ID_RECORD && recording.IsRecording();
}

void EcuSession::StartRecording()
{
    recordingProblem.clear();
    // The recording holds every channel.
    input->setWholeBlock(true);
    // Absolute, so that messages say where the recording is.
    const wxString named =
        options.logDir.empty() ? wxString(SessionRecorder::kDefaultFolder) : options.logDir;
    wxFileName folder = wxFileName::DirName(named);
    folder.MakeAbsolute();
    if (recording.Start(folder.GetPath(), wxFileNameFromPath(options.iniFile), *table,
                        input->getRecordSequence(), ComputeOf(*input))) {
        DebugLog(0, "recording to " + recording.GetPath());
        return;
    }
    input->setWholeBlock(false);
    recordingProblem = recording.GetError();
    DebugLog(2, recordingProblem);
}

void EcuSession::StopRecording()
{
    input->setWholeBlock(false);
    if (recording.IsRecording()) {
        recording.Stop();
        DebugLog(0, "recorded " + recording.GetPath());
    }
    // Closing can still fail (the last write, the last sync).
    const wxString& problem = recording.GetError();
    if (!problem.empty() && problem != recordingProblem) {
        recordingProblem = problem;
        DebugLog(2, problem);
    }
}
