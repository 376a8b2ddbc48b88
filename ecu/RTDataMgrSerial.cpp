#include "ecu/RTDataMgrSerial.h"

#include "base/DebugLog.h"
#include "definition/DefinitionExpressions.h"
#include "definition/SymbolTable.h"
#include "ecu/ChannelDecoder.h"
#include "link/RuntimeData.h"
#include "link/TarnLink.h"
#include "link/TarnProtocol.h"

#include <wx/log.h>

#include <algorithm>

constexpr std::chrono::milliseconds RTDataMgrSerial::kStaleAfter;

RTDataMgrSerial::RTDataMgrSerial(TarnProtocol* ecuProtocol, SymbolTable* table,
                                 ClockFunction clockFunction, const GenericLinkOptions& options)
    : protocol(ecuProtocol), symbolTable(table), clock(std::move(clockFunction))
{
    if (!clock)
        clock = [] { return Clock::now(); };
    evaluator.setTable(&scalarValues);
    int channelsEnd = 0;
    if (symbolTable) {
        symbolTable->expressions().prepare(evaluator, scalarValues);
        byteOrder = symbolTable->getLinkSettings().endianness;
        for (const auto& entry : symbolTable->getSymbols()) {
            const Symbol* symbol = entry.second;
            if (!symbol || symbol->Const || !symbol->isScalarChannel())
                continue;
            channels.push_back(*symbol);
            if (symbol->Offset >= 0 && symbol->SizeOf > 0 && symbol->SizeOf <= 4)
                channelsEnd = std::max(channelsEnd, symbol->Offset + symbol->SizeOf);
        }
    }
    if (!protocol)
        return;
    std::unique_ptr<EcuLink> link;
    if (symbolTable && !symbolTable->getLinkSettings().isBuiltInFirmware() && protocol->getPort())
        link.reset(new GenericLink(*protocol->getPort(), symbolTable->getLinkSettings(),
                                   symbolTable->getBlockSize(), options));
    else
        link.reset(new TarnLink(*protocol, symbolTable ? symbolTable->getLinkSettings().ochBlockSize : 0,
                                channelsEnd));
    const std::vector<Symbol>* decoded = &channels;
    const ByteOrder order = byteOrder;
    worker.reset(new EcuWorker(
        std::move(link),
        [decoded, order](const std::vector<unsigned char>& block, ValueMap& values) {
            decode(*decoded, order, block.data(), block.size(), values);
        },
        clock));
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

int64_t RTDataMgrSerial::rawValue(const unsigned char* block, size_t capacity, int32_t offset,
                                  int32_t size, bool isSigned)
{
    if (!block || offset < 0 || (size != 1 && size != 2 && size != 4))
        return 0;
    // The definition file is trusted for nothing: never read past the block.
    if (static_cast<size_t>(offset) + static_cast<size_t>(size) > capacity)
        return 0;
    const unsigned char* p = block + offset;
    switch (size) {
    case 1:
        return isSigned ? static_cast<int64_t>(static_cast<int8_t>(p[0])) : p[0];
    case 2: {
        const uint16_t u = static_cast<uint16_t>(p[0] << 8 | p[1]);
        return isSigned ? static_cast<int64_t>(static_cast<int16_t>(u)) : u;
    }
    default: {
        const uint32_t u = static_cast<uint32_t>(p[0]) << 24 | static_cast<uint32_t>(p[1]) << 16 |
                           static_cast<uint32_t>(p[2]) << 8 | p[3];
        return isSigned ? static_cast<int64_t>(static_cast<int32_t>(u)) : u;
    }
    }
}

void RTDataMgrSerial::decode(const std::vector<Symbol>& channels, ByteOrder order,
                             const unsigned char* block, size_t length, ValueMap& out)
{
    // Formatting two lines per channel is most of a tick's cost: none with the trace off.
    const bool tracing = DebugLogEnabled();
    for (const Symbol& channel : channels) {
        const std::optional<double> decoded = decodeChannel(channel, block, length, order);
        if (tracing)
            DebugLog(0, wxString::Format("Offset: %d, Size: %d, Scale: %f Tr: %f", channel.Offset,
                                         channel.SizeOf, channel.Scale, channel.Trans));
        if (!decoded)
            continue; // not in the block: never a value the ECU did not send
        out[channel.Name] = *decoded;
        if (tracing)
            DebugLog(0, "RTDataMgrSerial::fillScalarValues() Symbol: " + channel.Name +
                            wxString::Format(", Value: %f", *decoded));
    }
}

void RTDataMgrSerial::fillScalarValues()
{
    decode(channels, byteOrder, g_runtimeData, kRuntimeDataCapacity, scalarValues);
}

bool RTDataMgrSerial::requestFetch()
{
    return worker && worker->requestFetch();
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
        requestFetch();
    }
    fillValueMap();
}

void RTDataMgrSerial::takeLatest()
{
    if (!worker)
        return;
    std::shared_ptr<const EcuWorker::Record> latest = worker->latest();
    if (!latest || latest == record)
        return;
    record = latest;
    scalarValues = record->values;
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
    const bool tracing = traced && DebugLogEnabled();
    if (tracing)
        DebugLog(0, "----DataMgrSerial::getValue()---- Symbol: " + name);
    const Symbol* symbol = symbolTable ? symbolTable->findSymbol(name) : nullptr;
    // Before the first record nothing is known, derived values included.
    if (!symbol || (worker && !record))
        return false;
    if (symbol->isScalarChannel()) {
        ValueMap::const_iterator found = scalarValues.find(name);
        if (symbol->Const || found == scalarValues.end())
            return false;
        value = found->second;
        if (tracing)
            DebugLog(0, "Symbol (scalar): " + name +
                            wxString::Format(", Value: %f !!!!!!!!!!!!!", value));
        return true;
    }
    if (symbol->expr.empty())
        return false;
    value = evaluator.evaluate(symbol->expr);
    if (tracing)
        DebugLog(0, "Symbol: " + name + "Expr: " + symbol->expr +
                        wxString::Format(", Value: %f !!!!!!!!!!!!!", value));
    return true;
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
