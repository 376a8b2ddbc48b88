#include "ecu/RTDataMgrSerial.h"

#include "base/DebugLog.h"
#include "definition/DefinitionExpressions.h"
#include "definition/SymbolTable.h"
#include "ecu/ChannelDecoder.h"
#include "ecu/RuntimeData.h"
#include "ecu/TarnProtocol.h"

RTDataMgrSerial::RTDataMgrSerial(TarnProtocol* ecuProtocol, SymbolTable* table)
    : protocol(ecuProtocol), symbolTable(table)
{
    evaluator.setTable(&scalarValues);
    if (symbolTable)
        symbolTable->expressions().prepare(evaluator, scalarValues);
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

void RTDataMgrSerial::Update()
{
    // A failed fetch still decodes: the block keeps what it last received.
    if (protocol)
        lastFetchResult = protocol->getRuntimeData();
    fillScalarValues();
    if (!valueMap)
        return;
    for (auto& entry : *valueMap)
        entry.second = GetValue(entry.first);
}

void RTDataMgrSerial::fillScalarValues()
{
    if (!symbolTable)
        return;
    for (const auto& entry : symbolTable->getSymbols()) {
        const Symbol* symbol = entry.second;
        if (!symbol || symbol->Const || !symbol->isScalarChannel())
            continue;
        const std::optional<double> decoded = decodeChannel(
            *symbol, g_runtimeData, kRuntimeDataCapacity, symbolTable->getLinkSettings().endianness);
        DebugLog(0, wxString::Format("Offset: %d, Size: %d, Scale: %f Tr: %f", symbol->Offset,
                                     symbol->SizeOf, symbol->Scale, symbol->Trans));
        if (!decoded)
            continue; // not in the block: never a value the ECU did not send
        const double value = *decoded;
        scalarValues[symbol->Name] = value;
        DebugLog(0, "RTDataMgrSerial::fillScalarValues() Symbol: " + symbol->Name +
                        wxString::Format(", Value: %f", value));
    }
}

double RTDataMgrSerial::GetValue(const wxString& name)
{
    DebugLog(0, "----DataMgrSerial::getValue()---- Symbol: " + name);
    const Symbol* symbol = symbolTable ? symbolTable->findSymbol(name) : nullptr;
    if (!symbol)
        return -1.0;
    if (symbol->isScalarChannel()) {
        // Constants are never decoded, so they read 0.0.
        const double value = scalarValues[name];
        DebugLog(0, "Symbol (scalar): " + name +
                        wxString::Format(", Value: %f !!!!!!!!!!!!!", value));
        return value;
    }
    if (symbol->expr.empty())
        return -1.0;
    const double value = evaluator.evaluate(symbol->expr);
    DebugLog(0, "Symbol: " + name + "Expr: " + symbol->expr +
                    wxString::Format(", Value: %f !!!!!!!!!!!!!", value));
    return value;
}
