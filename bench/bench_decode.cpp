// Decoding a whole runtime data block of a large definition file: the
// rusEFI file's 1,248-byte block with its 1,100 scalar and bit channels
// (from ../shared/realworld beside the repository, or TARN_REALWORLD_DIR;
// skipped when absent). "decode" is the per-tick decoding of every scalar
// channel; "decode_and_serve" adds the value of every output channel,
// expressions included, as `tarntool decode` asks for them. "take" is what
// the GUI thread does with a record the worker decoded: every expression
// channel computed once, in the file's own dialect, compiled at load.
#include "bench/BenchMain.h" // main()
#include "definition/IniParser.h"
#include "ecu/BlockDecoder.h"

#include <benchmark/benchmark.h>
#include <wx/init.h>
#include <wx/log.h>

#include <cstdlib>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

// Null, with the benchmark skipped, when the file is not here.
std::unique_ptr<SymbolTable> LoadRusefi(benchmark::State& state)
{
    const char* env = std::getenv("TARN_REALWORLD_DIR");
    const std::string dir = env && *env ? env : TARN_SOURCE_DIR "/../shared/realworld";
    int result = -1;
    std::unique_ptr<SymbolTable> table(
        loadDefinitionFileFrom(dir + "/ini/rusefi_mre_f4.ini", nullptr, &result));
    if (result == 0)
        return table;
    state.SkipWithError("rusefi_mre_f4.ini is not here");
    return nullptr;
}

std::vector<unsigned char> RandomBlock(size_t size)
{
    std::mt19937 random(1248);
    std::vector<unsigned char> block(size);
    for (unsigned char& b : block)
        b = static_cast<unsigned char>(random());
    return block;
}

void BM_DecodeRusefiBlock(benchmark::State& state, bool serve)
{
    wxLogNull quiet;
    std::unique_ptr<SymbolTable> table = LoadRusefi(state);
    if (!table)
        return;
    const std::vector<unsigned char> block = RandomBlock(table->getBlockSize());
    std::vector<wxString> names;
    for (const auto& entry : table->getSymbols())
        if (!entry.second->Const && (entry.second->isScalarChannel() || entry.second->isExpression()))
            names.push_back(entry.first);
    BlockDecoder decoder(table.get());
    for (auto _ : state) {
        decoder.decode(block.data(), block.size());
        if (serve)
            for (const wxString& name : names)
                benchmark::DoNotOptimize(decoder.value(name));
    }
    state.counters["channels"] = static_cast<double>(names.size());
    state.counters["block_bytes"] = static_cast<double>(block.size());
}

void BM_TakeRusefiRecord(benchmark::State& state)
{
    wxLogNull quiet;
    std::unique_ptr<SymbolTable> table = LoadRusefi(state);
    if (!table)
        return;
    const std::vector<unsigned char> block = RandomBlock(table->getBlockSize());
    BlockDecoder decoder(table.get());
    ValueMap record;
    decoder.decode(block.data(), block.size(), record);
    for (auto _ : state)
        decoder.take(record);
    size_t expressions = 0;
    for (const auto& entry : table->getSymbols())
        expressions += !entry.second->Const && entry.second->isExpression();
    state.counters["expression_channels"] = static_cast<double>(expressions);
}

} // namespace

BENCHMARK(BM_TakeRusefiRecord)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeRusefiBlock, decode, false)->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(BM_DecodeRusefiBlock, decode_and_serve, true)->Unit(benchmark::kMicrosecond);
