#pragma once
// The values of a runtime data block, the one way they are computed: every
// scalar output channel decoded as ecu/ChannelDecoder.h tells, in the file's
// byte order, and every expression channel evaluated over them with the
// file's constants and functions. The ECU input's worker, `tarntool decode`,
// the soak and the benchmarks all decode through it.
//
// A channel that does not lie wholly inside the block gets no value: never a
// value the ECU did not send.
//
// The built-in firmware's expression channels are evaluated by name when
// asked (Evaluation). Another firmware's are compiled once, here, in its
// dialect (CompiledExpression) and all computed once per block, each after
// the channels it reads: a channel reading one without a value has none, and
// so do the channels of a cycle. Their history (pastValue...) moves one
// sample per block.
#include "base/ValueMap.h"
#include "definition/DefinitionScope.h"
#include "definition/LinkSettings.h"
#include "definition/Symbol.h"
#include "expr/CompiledExpression.h"
#include "expr/Evaluation.h"
#include "link/ByteRanges.h"

#include <wx/arrstr.h>

#include <cstddef>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

class SymbolTable;

class BlockDecoder {
public:
    // `table` (null: no channels, no names) must outlive the decoder.
    explicit BlockDecoder(const SymbolTable* table);
    BlockDecoder(const BlockDecoder&) = delete;
    BlockDecoder& operator=(const BlockDecoder&) = delete;

    // Decodes every scalar output channel from `length` bytes at `block`
    // into `values`. Reads only the decoder's own copies of the channels, so
    // it may run on another thread while the owner serves names. `traced`:
    // the ECU input's two lines per channel, when the debug log takes them.
    // `fetched` (null: all of it): the parts of the block the ECU sent; a
    // channel not wholly inside one of them gets no value.
    void decode(const unsigned char* block, size_t length, ValueMap& values,
                bool traced = false, const ByteRanges* fetched = nullptr) const;
    // The same into the decoder's values, which value() then answers from;
    // nothing of an earlier block stays.
    void decode(const unsigned char* block, size_t length, bool traced = false);
    // Takes channel values decoded by the first decode() as the current block's.
    void take(const ValueMap& channelValues);

    // timeNow in another firmware's expressions: seconds since the start of
    // the connection (default: since the decoder was made).
    void setTimeSource(std::function<double()> seconds) { m_seconds = std::move(seconds); }
    // Reads the constants' values again, after the table's changed: a
    // constant that lost its value has none here either. The channels'
    // scales and units are taken again too; a decode() running meanwhile on
    // another thread finishes with the old ones.
    void refreshConstants();

    // The value of a name over the current block: a scalar channel's decoded
    // value, an expression channel's value; none for a constant, an array
    // without expression, an unknown name or a channel outside the block.
    // `traced`: the ECU input's trace of the value.
    std::optional<double> value(const wxString& name, bool traced = false);

    // An expression that is no channel, computed as an expression channel
    // over the current block (another firmware's compiled once); none when
    // it reads a value the block lacks.
    std::optional<double> evaluate(const wxString& expression);

    // The bytes of the block that the values of `names` and `expressions`
    // are computed from: the plain channels among them and those that the
    // expression channels among them read, however deep (unmerged, in no
    // order). Constants and unknown names need none.
    ByteRanges rangesOf(const std::vector<wxString>& names, const std::vector<wxString>& expressions);

    // The scalar channels' values of the current block (constants too).
    const ValueMap& values() const { return m_values; }
    // Where the last plain channel of up to 4 bytes ends in the block.
    int channelsEnd() const { return m_channelsEnd; }

private:
    struct ComputedChannel {
        int slot;
        CompiledExpression program;
    };
    void compileChannels();
    // Another firmware's expression channels over the channel slots of the current block.
    void computeChannels();
    // Adds the names `expression` reads to `names`.
    void appendReads(const wxString& expression, std::vector<wxString>& names);
    // Another firmware's program of `expression`, compiled at its first use.
    const CompiledExpression& programOf(const wxString& expression);

    const SymbolTable* m_table;
    // Copies, so that a decode on another thread never touches the table.
    // refreshConstants() swaps in new copies whole (scales may be expressions
    // over constants); the decode on the worker takes them atomically.
    std::shared_ptr<const std::vector<Symbol>> m_channels =
        std::make_shared<const std::vector<Symbol>>();
    ByteOrder m_order = ByteOrder::Big;
    int m_channelsEnd = 0;
    ValueMap m_values;
    Evaluation m_evaluation;
    // Other firmwares only (null for the built-in one).
    std::unique_ptr<DefinitionScope> m_scope;
    std::vector<int> m_channelSlots; // by m_channels
    std::vector<ComputedChannel> m_computed; // readers after what they read
    std::function<double()> m_seconds;
    // What each expression given to evaluate() reads (the built-in firmware),
    // or its program (the others), made at its first evaluation.
    std::map<wxString, wxArrayString> m_expressionNames;
    std::map<wxString, CompiledExpression> m_programs;
};
