#include "ecu/RTDataMgrSerial.h"

#include "base/DebugLog.h"
#include "definition/SymbolTable.h"
#include "link/RuntimeData.h"
#include "link/TarnLink.h"
#include "link/TarnProtocol.h"

#include <wx/log.h>

#include <algorithm>

constexpr std::chrono::milliseconds RTDataMgrSerial::kStaleAfter;
constexpr std::chrono::milliseconds RTDataMgrSerial::kRateWindow;

RTDataMgrSerial::RTDataMgrSerial(TarnProtocol* ecuProtocol, SymbolTable* table,
                                 ClockFunction clockFunction, const GenericLinkOptions& options,
                                 const Sampling& howToSample)
    : protocol(ecuProtocol), symbolTable(table), decoder(std::make_shared<BlockDecoder>(table)),
      clock(std::move(clockFunction)), sampling(howToSample)
{
    if (!clock)
        clock = [] { return Clock::now(); };
    started = clock();
    decoder->setTimeSource(timeSource());
    if (!protocol)
        return;
    if (symbolTable) {
        linkSettings = symbolTable->getLinkSettings();
        blockSize = symbolTable->getBlockSize();
    }
    std::unique_ptr<EcuLink> link;
    if (symbolTable && !symbolTable->getLinkSettings().isBuiltInFirmware() && protocol->getPort()) {
        GenericLink* generic = new GenericLink(*protocol->getPort(), symbolTable->getLinkSettings(),
                                               symbolTable->getBlockSize(), options);
        link.reset(generic);
        partLink = generic;
        // A file without pages says so only when it names some.
        if (symbolTable->getLinkSettings().nPages > 0)
            pageProblem = generic->pageProblem();
    } else
        link.reset(new TarnLink(*protocol, symbolTable ? symbolTable->getLinkSettings().ochBlockSize : 0,
                                decoder->channelsEnd(), options.quietMs));
    worker.reset(new EcuWorker(std::move(link), decodingBy(decoder), clock));
    if (sampling.mode == Sampling::Continuous)
        worker->fetchEvery(std::chrono::microseconds(0));
    else if (sampling.mode == Sampling::Rate && sampling.hz > 0)
        worker->fetchEvery(std::chrono::microseconds(static_cast<long long>(1e6 / sampling.hz)));
}

std::function<double()> RTDataMgrSerial::timeSource()
{
    // timeNow: the fetch time of the record taken, from the input's start.
    return [this] { return std::chrono::duration<double>((record ? record->fetchedAt : clock()) - started).count(); };
}

EcuWorker::Decoder RTDataMgrSerial::decodingBy(std::shared_ptr<const BlockDecoder> onWorker) const
{
    // Two trace lines per channel of every record would swamp the debug log
    // at dozens of records a second: the ticks still trace what they serve.
    const bool traced = sampling.mode == Sampling::PerTick;
    const GenericLink* fetcher = partLink;
    // Runs on the worker's thread right after the fetch that brought `block`.
    return [onWorker, traced, fetcher](const std::vector<unsigned char>& block, ValueMap& values) {
        onWorker->decode(block.data(), block.size(), values, traced, fetcher ? &fetcher->fetchedRanges() : nullptr);
    };
}

bool RTDataMgrSerial::setTable(SymbolTable* table)
{
    if (!worker || !table || table->getLinkSettings() != linkSettings || table->getBlockSize() != blockSize)
        return false;
    auto fresh = std::make_shared<BlockDecoder>(table);
    // The built-in firmware's link measures its reply by where the channels end.
    if (!partLink && fresh->channelsEnd() != decoder->channelsEnd())
        return false;
    fresh->setTimeSource(timeSource());
    for (std::shared_ptr<const EcuWorker::Record>& pending : worker->setDecoder(decodingBy(fresh)))
        takeRecord(std::move(pending));
    decoder = std::move(fresh);
    symbolTable = table;
    record.reset();
    askForNeeded();
    return true;
}

bool RTDataMgrSerial::samplesFasterThan(std::chrono::milliseconds period) const
{
    if (!worker || sampling.mode == Sampling::PerTick)
        return false;
    return sampling.mode == Sampling::Continuous || sampling.hz * period.count() > 1000.0;
}

double RTDataMgrSerial::getRecordRate()
{
    const Clock::time_point now = clock();
    while (!recentFetches.empty() && now - recentFetches.front() > kRateWindow)
        recentFetches.pop_front();
    if (recentFetches.empty())
        return 0.0;
    // A young input counts over its age, not over the whole window.
    const double window =
        std::chrono::duration<double>(std::min<Clock::duration>(kRateWindow, now - firstFetch)).count();
    return window > 0 ? static_cast<double>(recentFetches.size()) / window : 0.0;
}

RTDataMgrSerial::~RTDataMgrSerial()
{
    stop();
}

void RTDataMgrSerial::stop()
{
    if (worker)
        worker->stop();
}

void RTDataMgrSerial::fillScalarValues()
{
    decoder->decode(g_runtimeData, kRuntimeDataCapacity, true);
}

bool RTDataMgrSerial::requestFetch()
{
    return worker && worker->requestFetch();
}

void RTDataMgrSerial::requestPages()
{
    if (worker)
        worker->requestPages();
}

std::shared_ptr<const EcuWorker::Pages> RTDataMgrSerial::takePages()
{
    std::shared_ptr<const EcuWorker::Pages> latest = worker ? worker->latestPages() : nullptr;
    if (!latest || latest == pages)
        return nullptr;
    pages = latest;
    return latest;
}

int RTDataMgrSerial::waitForFetch()
{
    return worker ? worker->waitForFetch() : 0;
}

int RTDataMgrSerial::getLastFetchResult() const
{
    return worker ? worker->lastResult() : 0;
}

LinkState RTDataMgrSerial::getLinkState() const
{
    return worker ? worker->linkState() : LinkState();
}

void RTDataMgrSerial::Update()
{
    if (!worker) {
        fillScalarValues();
    } else {
        if (valueMap) {
            std::vector<wxString> names;
            names.reserve(valueMap->size());
            for (const auto& entry : *valueMap)
                names.push_back(entry.first);
            std::vector<wxString> expressions;
            expressions.swap(expressionsAsked);
            setNeededChannels(std::move(names), std::move(expressions));
        }
        requestFetch();
    }
    fillValueMap();
}

void RTDataMgrSerial::setNeededChannels(std::vector<wxString> names, std::vector<wxString> expressions)
{
    for (std::vector<wxString>* list : {&names, &expressions}) {
        std::sort(list->begin(), list->end());
        list->erase(std::unique(list->begin(), list->end()), list->end());
    }
    if (names == neededNames && expressions == neededExpressions)
        return;
    neededNames.swap(names);
    neededExpressions.swap(expressions);
    askForNeeded();
}

void RTDataMgrSerial::setWholeBlock(bool whole)
{
    if (whole == wholeBlock)
        return;
    wholeBlock = whole;
    askForNeeded();
}

void RTDataMgrSerial::askForNeeded()
{
    if (!partLink || !partLink->fetchesParts())
        return;
    wantedRanges.clear();
    if (!wholeBlock)
        wantedRanges = mergeRanges(decoder->rangesOf(neededNames, neededExpressions), partLink->blockSize(),
                                   partLink->requestOverhead());
    partLink->setWantedRanges(wantedRanges);
}

void RTDataMgrSerial::takeLatest()
{
    if (!worker)
        return;
    // Each in turn, so that expression channels with a history see every record.
    for (std::shared_ptr<const EcuWorker::Record>& fresh : worker->takeRecords())
        takeRecord(std::move(fresh));
    // A record the worker withdrew after it was taken is served no longer:
    // the one before it is, or none.
    const std::shared_ptr<const EcuWorker::Record> latest = worker->latest();
    if (record && (!latest || latest->sequence < record->sequence)) {
        record = latest;
        if (record)
            decoder->take(record->values);
    }
}

void RTDataMgrSerial::takeRecord(std::shared_ptr<const EcuWorker::Record> fresh)
{
    if (record && fresh->sequence <= record->sequence)
        return;
    if (!record && recentFetches.empty()) // a new table is no new input
        firstFetch = fresh->fetchedAt;
    record = std::move(fresh);
    decoder->take(record->values);
    recentFetches.push_back(record->fetchedAt);
    while (record->fetchedAt - recentFetches.front() > kRateWindow)
        recentFetches.pop_front();
    if (recordListener)
        recordListener();
}

bool RTDataMgrSerial::IsStale()
{
    if (!worker)
        return false;
    return !record || clock() - record->fetchedAt >= kStaleAfter;
}

void RTDataMgrSerial::fillValueMap()
{
    takeLatest();
    if (!valueMap)
        return;
    for (auto& entry : *valueMap) {
        double value;
        entry.second = serve(entry.first, value) ? value : NoValue();
    }
}

bool RTDataMgrSerial::serve(const wxString& name, double& value, bool traced)
{
    if (traced && DebugLogEnabled())
        DebugLog(0, "----DataMgrSerial::getValue()---- Symbol: " + name);
    // Before the first record nothing is known, derived values included.
    if (worker && !record)
        return false;
    const std::optional<double> served = decoder->value(name, traced);
    if (!served)
        return false;
    value = *served;
    return true;
}

double RTDataMgrSerial::ExpressionValue(const wxString& expression)
{
    if (std::find(expressionsAsked.begin(), expressionsAsked.end(), expression) == expressionsAsked.end())
        expressionsAsked.push_back(expression);
    if (worker && !record)
        return NoValue();
    wxLogNull untraced;
    return decoder->evaluate(expression).value_or(NoValue());
}

double RTDataMgrSerial::recordValue(const wxString& name)
{
    // The evaluator's traces too: the tick traced this record's values once.
    wxLogNull untraced;
    double value;
    return serve(name, value, false) ? value : NoValue();
}

double RTDataMgrSerial::GetValue(const wxString& name)
{
    const Symbol* symbol = symbolTable ? symbolTable->findSymbol(name) : nullptr;
    double value;
    if (serve(name, value))
        return value;
    // Constants and channels not decoded yet read 0.0; unknown names and arrays -1.0.
    return symbol && symbol->isScalarChannel() ? 0.0 : -1.0;
}
