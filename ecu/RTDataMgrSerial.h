#pragma once
// The ECU input of the gauge update dispatcher. Each tick it has the protocol
// fetch the runtime data block, decodes every scalar output channel as
// (raw + Trans) x Scale, and answers names: scalar channels from the decoded
// values, expression channels by evaluating their expression over them.
// Names it cannot serve read -1.0.
//
// Raw values: U08/U16/U32 unsigned, S08/S16/S32 sign-extended, multi-byte
// fields big-endian. A channel of another width, or one that does not lie
// wholly inside the runtime data block, reads raw 0.
#include "dispatch/RTDataMgr.h"
#include "base/ValueMap.h"
#include "expr/Evaluation.h"

#include <cstddef>
#include <cstdint>

class Symbol;
class SymbolTable;
class TarnProtocol;

class RTDataMgrSerial : public RTDataMgr {
public:
    // Neither is owned. Without a protocol Update() decodes the block as it is.
    RTDataMgrSerial(TarnProtocol* protocol, SymbolTable* table);
    RTDataMgrSerial(const RTDataMgrSerial&) = delete;
    RTDataMgrSerial& operator=(const RTDataMgrSerial&) = delete;

    void Update() override;
    double GetValue(const wxString& name) override;
    bool HasValue(const wxString&) override { return true; }
    int GetKind() override { return KindSerial; }

    void fillScalarValues();

    // What the last Update()'s fetch returned (0 success; see TarnProtocol).
    int getLastFetchResult() const { return lastFetchResult; }
    const ValueMap& getScalarValues() const { return scalarValues; }

    // The raw value of a field of `size` bytes at `offset` of `block`.
    static int64_t rawValue(const unsigned char* block, size_t capacity, int32_t offset,
                            int32_t size, bool isSigned);

private:
    TarnProtocol* protocol;
    ValueMap scalarValues;
    Evaluation evaluator;
    SymbolTable* symbolTable;
    int lastFetchResult = 0;
};
