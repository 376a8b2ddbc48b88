// Loading a large definition file: 20,000 lines of every kind the reader
// handles, read with the parser as the dashboard reads "tarnv3.ini". The
// parser traces every line; the log goes to a file as in the dashboard
// (/dev/null here), or is switched off.
#include "bench/BenchMain.h" // main()
#include "definition/IniParser.h"
#include "tests/support/TempDir.h"

#include <benchmark/benchmark.h>
#include <wx/init.h>
#include <wx/log.h>

#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <string>

namespace {

const int kLines = 20000;

// One block of a realistic file: about 100 lines of sections, constants,
// arrays, bit fields, channels, expressions, gauges, datalog entries,
// comments and #if blocks. `n` keeps names unique across blocks.
std::string Block(int n)
{
    const std::string s = std::to_string(n);
    std::string text;
    text += "; ---- block " + s + " ----\n\n[MegaTune]\n   signature = \"TARN Corecard v3\"\n";
    text += "[Constants]\n   page = " + std::to_string(n % 8) + "\n";
    const char* types[] = {"U08", "S08", "U16", "S16", "U32", "S32"};
    for (int i = 0; i < 12; ++i)
        text += "   c" + s + "_" + std::to_string(i) + " = scalar, " + types[i % 6] + ", " +
                std::to_string(i * 2) + ", \"ms\", 0.1, -40, 0, 255, 1 ; a comment\n";
    text += "#if CELSIUS\n   temp" + s + " = scalar, S16, 30, \"degC\", 0.1, 0, -40, 150, 1\n";
    text += "#else\n   temp" + s + " = scalar, S16, 30, \"degF\", 0.18, 177.778, -40, 300, 1\n#endif\n";
    text += "   ve" + s + " = array, U08, 40, [16x12], \"%\", 1, 0, 0, 255, 0\n";
    text += "   rpmBins" + s + " = array, U08, 232, [X:16], \"rpm\", 100, 0, 100, 25500, 0\n";
    text += "   mapBins" + s + " = array, U08, 248, [Y: 12], \"kPa\", 1, 0, 10, 255, 0\n";
    text += "   mode" + s + " = bits, U08, 260, [0:1], \"Off\", \"On\", \"Auto\", \"Invalid\"\n";
    text += "   cyl" + s + " = bits, U08, 261, [0:3+1], \"1\", \"2\", \"3\", \"4\", \"5\", \"6\", \"7\", \"8\"\n";
    text += "#if VER2\n#if 12X12\n   skipped" + s + " = array, U08, 0, [12x12], \"%\", 1, 0\n#endif\n#endif\n";
    text += "[Menu]\n   menu = \"&Fuel\"\n      subMenu = dialog" + s + ", \"Settings\"\n";
    text += "[TableEditor]\n   table = ve" + s + "Tbl, ve" + s + "Map, \"VE\", 1\n      xBins = rpmBins" + s +
            ", rpm\n      zBins = ve" + s + "\n";
    text += "[OutputChannels]\n   ochBlockSize = 56\n";
    for (int i = 0; i < 16; ++i)
        text += "   o" + s + "_" + std::to_string(i) + " = scalar, " + (i % 3 ? "U08" : "U16") + ", " +
                std::to_string(i * 2) + ", \"kPa\", 0.1, 0\n";
    text += "   e" + s + "_a = { o" + s + "_1 / 14.7 }\n";
    text += "   e" + s + "_b = { o" + s + "_2 > o" + s + "_3 ? o" + s + "_2 - o" + s + "_3 : 0 }\n";
    text += "   e" + s + "_c = { (o" + s + "_4 >> 2) - (o" + s + "_4 >> 3 << 1) }\n";
    text += "[GaugeConfigurations]\n";
    for (int i = 0; i < 12; ++i)
        text += "   g" + s + "_" + std::to_string(i) + " = o" + s + "_" + std::to_string(i) +
                ", \"Gauge title\", \"kPa\", 0, 250, 10, 20, 200, 230, 0, 0, 5, 5, 1, \"%.0f\"\n";
    text += "[Datalog]\n";
    for (int i = 0; i < 12; ++i)
        text += "   entry = o" + s + "_" + std::to_string(i) + ", \"Label\", float, \"%.1f\"\n";
    return text;
}

std::string MakeFile()
{
    std::string text;
    int lines = 0, n = 0;
    while (lines < kLines) {
        const std::string block = Block(n++);
        for (char c : block) {
            text += c;
            if (c == '\n' && ++lines == kLines)
                break;
        }
    }
    // Removed with its folder when the program ends.
    static const TempDir folder;
    const std::string name = folder.file("bench.ini");
    std::ofstream(name, std::ios::binary) << text;
    return name;
}

const std::string& File()
{
    static const std::string path = MakeFile();
    return path;
}

void Load(benchmark::State& state)
{
    size_t symbols = 0;
    for (auto _ : state) {
        IniParser parser;
        parser.readAll(File());
        symbols = parser.getTable()->getAllSymbols().size();
        benchmark::DoNotOptimize(symbols);
    }
    state.counters["symbols"] = double(symbols);
    state.counters["lines"] = kLines;
}

// As the dashboard: every trace line written to a file.
void BM_LoadDefinitionTracedToFile(benchmark::State& state)
{
    FILE* sink = std::fopen("/dev/null", "w");
    wxLog* old = wxLog::SetActiveTarget(new wxLogStderr(sink));
    Load(state);
    delete wxLog::SetActiveTarget(old);
    std::fclose(sink);
}
BENCHMARK(BM_LoadDefinitionTracedToFile)->Unit(benchmark::kMillisecond);

// As the tools: logging off.
void BM_LoadDefinitionQuiet(benchmark::State& state)
{
    wxLogNull quiet;
    Load(state);
}
BENCHMARK(BM_LoadDefinitionQuiet)->Unit(benchmark::kMillisecond);

} // namespace
