// tarntool tokens, dump and check, run as the built program.
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>
#include <nlohmann/json.hpp>

#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>
#include <map>
#include <string>
#include <vector>

using nlohmann::ordered_json;

namespace {

struct ToolRun {
    int status = -1;
    std::string out, err;
};

std::string Quote(const std::string& arg)
{
    std::string quoted = "'";
    for (char c : arg)
        quoted += (c == '\'') ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

std::string ReadFile(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

// Runs `program` with `args`, standard input from `input`.
ToolRun RunProgram(const std::string& program, const std::vector<std::string>& args,
            const std::string& input = "")
{
    const TempDir scratch;
    const std::string in = scratch.write("stdin", input);
    std::string command = Quote(program);
    for (const std::string& arg : args)
        command += " " + Quote(arg);
    command += " <" + Quote(in) + " >" + Quote(scratch.file("out")) + " 2>" + Quote(scratch.file("err"));
    ToolRun run;
    const int raw = std::system(command.c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    run.out = ReadFile(scratch.file("out"));
    run.err = ReadFile(scratch.file("err"));
    return run;
}

ToolRun Tarntool(const std::vector<std::string>& args, const std::string& input = "")
{
    return RunProgram(TARN_TARNTOOL, args, input);
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

const std::string kData = TARN_TEST_DATA_DIR "/tools/data";

} // namespace

TEST(TarntoolDump, GoldenFile)
{
    const ToolRun run = Tarntool({"dump", kData + "/golden.ini"});
    ASSERT_EQ(run.status, 0) << run.err;
    ASSERT_EQ(run.out.back(), '\n');
    EXPECT_EQ(run.out.find('\n'), run.out.size() - 1) << "one document on one line";
    const ordered_json got = ordered_json::parse(run.out);
    const ordered_json want = ordered_json::parse(ReadFile(kData + "/golden.expected.json"));
    // Ordered: the keys must also come in the documented order.
    EXPECT_EQ(got, want) << got.dump(1);
}

TEST(TarntoolDump, EmptyFileIsReadAndEmpty)
{
    const TempDir scratch;
    const ToolRun run = Tarntool({"dump", scratch.write("empty.ini", "")});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out.rfind("{\"symbols\":[],\"gauges\":[],\"datalog\":[],\"warnings\":[],\"link\":{", 0), 0u)
        << run.out;
}

TEST(TarntoolTokens, SplitsLinesAsTheReaderDoes)
{
    // CR, LF and CR LF end lines; blank and comment lines print empty arrays.
    const std::string input = "a = 1\r\n\r; c\n[S]\r#if CELSIUS\n\"\xB0" "C\"";
    const std::vector<std::string> want = {
        R"([{"type":1,"text":"a","value":0},{"type":2,"text":"1","value":1}])",
        "[]",
        "[]",
        R"([{"type":4,"text":"S","value":0}])",
        R"([{"type":0,"text":"#","value":0},{"type":1,"text":"if","value":0},{"type":1,"text":"CELSIUS","value":0}])",
        "[{\"type\":3,\"text\":\"\xC2\xB0" "C\",\"value\":0}]",
    };
    const TempDir scratch;
    const std::string file = scratch.write("in.ini", input);
    const struct {
        const char* label;
        std::vector<std::string> args;
        std::string input;
    } cases[] = {
        {"file", {"tokens", file}, ""},
        {"standard input", {"tokens"}, input},
        {"dash", {"tokens", "-"}, input},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const ToolRun run = Tarntool(c.args, c.input);
        EXPECT_EQ(run.status, 0) << run.err;
        const std::vector<std::string> lines = SplitLines(run.out);
        ASSERT_EQ(lines.size(), want.size()) << run.out;
        for (size_t i = 0; i < want.size(); ++i)
            EXPECT_EQ(lines[i], want[i]) << "line " << i; // the text itself is the contract
    }
}

TEST(TarntoolTokens, NumbersAndEmptyInput)
{
    const ToolRun run = Tarntool({"tokens"}, "- 1.2.3 12345678901234567890\n");
    ASSERT_EQ(run.status, 0);
    const ordered_json line = ordered_json::parse(run.out);
    ASSERT_EQ(line.size(), 3u);
    EXPECT_EQ(line[0]["value"], 0.0);
    EXPECT_EQ(line[1]["value"], 1.2);
    EXPECT_EQ(line[2]["value"], 12345678901234567890.0);

    EXPECT_EQ(Tarntool({"tokens"}, "").out, "");
}

TEST(TarntoolCheck, SampleHasNoWarnings)
{
    const ToolRun run = Tarntool({"check", TARN_SAMPLE_DIR "/tarnv3.ini"});
    EXPECT_EQ(run.status, 0) << run.out;
    const std::vector<std::string> lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 1u) << run.out;
    EXPECT_NE(lines[0].find(" datalog entries, 0 warnings"), std::string::npos);
}

TEST(TarntoolCheck, BrokenFilesListTheirWarnings)
{
    const TempDir scratch;
    const struct {
        const char* label;
        std::string text;
        std::vector<std::string> warnings;
        const char* summary;
    } cases[] = {
        {"golden fixture", ReadFile(kData + "/golden.ini"),
         {"Type field error! in line :6", "LAMBDA no matching condition!  - line: 12",
          "Duplicate symbol! : reqFuel - line : 17", "IF statement missing! in line :25",
          "alarm limits: gauge short (line 22) has no scale to warn on (0 to 0); no alarms"},
         "7 symbols, 2 gauges, 2 datalog entries, 4 warnings"},
        {"bad shapes and bits",
         "[Constants]\nt = array, U08, 0, [x8]\nu = bits, U08, 1, [ 0:1]\nv = array, U08, 2, [2x99999999999]\n"
         "ok = scalar, U08, 3\n",
         {"Array Shape error! in line :1", "BitField error! in line :2", "Array size 2 error! in line :3"},
         "1 symbols, 0 gauges, 0 datalog entries, 3 warnings"},
        {"expression nested too deep",
         "[OutputChannels]\nrpm = scalar, U16, 0\nok = { " + std::string(400, '(') + "rpm" +
             std::string(400, ')') + " }\ndeep = { " + std::string(401, '(') + "rpm" +
             std::string(401, ')') + " }\n",
         {"Channel deep: expression nested deeper than 400 levels reads 0!"},
         "3 symbols, 0 gauges, 0 datalog entries, 1 warnings"},
        {"another firmware's expressions, with their lines",
         "[MegaTune]\nsignature = \"x\"\n[OutputChannels]\nrpm = scalar, U16, 0\nok = { rpm == 0x10 ? 1 : 0 }\n"
         "bad = { rpm + }\nfn = { frob(rpm) }\nname = { rpm + ghost }\ndeep = {" +
             std::string(101, '(') + "1" + std::string(101, ')') + "}\n",
         {"unsupported: expression of channel bad (line 6): unexpected end of the text { rpm + }",
          "unsupported: function frob() in channel fn (line 7)",
          "unknown name ghost in channel name (line 8) (no value)",
          "unsupported: expression of channel deep (line 9): nested deeper than 100 levels {" +
              std::string(101, '(') + "1" + std::string(101, ')') + "}"},
         "6 symbols, 0 gauges, 0 datalog entries, 0 warnings"},
        {"stray else and unknown setting",
         "#else\n#if TURBO\n[OutputChannels]\nrpm = scalar, U16, 0\n#endif\n[Datalog]\nentry = rpm\n",
         {"IF statement missing! in line :0", "TURBO no matching condition!  - line: 1"},
         "0 symbols, 0 gauges, 1 datalog entries, 2 warnings"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = scratch.write("broken.ini", c.text);
        const ToolRun run = Tarntool({"check", path});
        EXPECT_EQ(run.status, 1);
        std::vector<std::string> want;
        for (const std::string& w : c.warnings)
            want.push_back(path + ": " + w);
        want.push_back(c.summary);
        EXPECT_EQ(SplitLines(run.out), want);
    }
}

// What is no definition file at all is named so, never checked as an empty one.
TEST(TarntoolCheck, NotADefinitionFile)
{
    const TempDir scratch;
    std::string utf16 = "\xFF\xFE";
    for (char c : std::string("[OutputChannels]\nrpm = scalar, U16, 0\n"))
        utf16 += std::string(1, c) + '\0';
    const struct {
        const char* label;
        std::string text;
        const char* why;
    } cases[] = {
        {"UTF-16 with byte order mark", utf16, "UTF-16 text"},
        {"UTF-16 without it", utf16.substr(2), "UTF-16 text"},
        {"binary", std::string("\x7F" "ELF\x02\x01\x01\0\0\0[x]\n", 14), "binary data"},
        {"text without a section", "rpm = scalar, U16, 0\n", "no [section] in it"},
        {"empty", "", "no [section] in it"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const std::string path = scratch.write("not.ini", c.text);
        const ToolRun run = Tarntool({"check", path});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err, "tarntool: " + path + " is not a definition file: " + c.why + "\n");
    }
}

// Channels outside the runtime data block never have a value.
TEST(TarntoolCheck, ChannelsOutsideTheBlock)
{
    const TempDir scratch;
    const std::string path = scratch.write(
        "outside.ini", "[OutputChannels]\nochBlockSize = 8\nrpm = scalar, U16, 0\nneg = scalar, U08, -5\n"
                       "huge = scalar, U08, 4294967295\npast = scalar, U16, 7\nlast = scalar, U16, 6\n");
    const ToolRun run = Tarntool({"check", path});
    EXPECT_EQ(run.status, 1);
    const std::string block = " lies outside the 8-byte runtime data block; it has no value";
    EXPECT_EQ(SplitLines(run.out), (std::vector<std::string>{
                                       path + ": Channel neg: offset -5 (1 bytes)" + block,
                                       path + ": Channel huge: offset too large (1 bytes)" + block,
                                       path + ": Channel past: offset 7 (2 bytes)" + block,
                                       "5 symbols, 0 gauges, 0 datalog entries, 0 warnings"}));
}

TEST(TarntoolDefinition, FileNamesNeedNoEncoding)
{
    const TempDir scratch;
    const std::string path = scratch.write("b\xff" "d.ini", "[Constants]\na = scalar, U08, 0\n");
    const ToolRun run = Tarntool({"check", path});
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_EQ(run.out, "1 symbols, 0 gauges, 0 datalog entries, 0 warnings\n");
    EXPECT_EQ(Tarntool({"tokens", path}).status, 0);
}

TEST(TarntoolDefinition, UnreadableFilesAndMisuse)
{
    const TempDir scratch;
    const std::string missing = scratch.file("missing.ini");
    const struct {
        const char* label;
        std::vector<std::string> args;
    } cases[] = {
        {"dump of a missing file", {"dump", missing}},
        {"check of a missing file", {"check", missing}},
        {"check of a directory", {"check", scratch.path}},
        {"tokens of a missing file", {"tokens", missing}},
        {"tokens of a directory", {"tokens", scratch.path}},
        {"dump of a directory", {"dump", scratch.path}},
        {"dump without a file", {"dump"}},
        {"check with two files", {"check", missing, missing}},
        {"unknown option", {"dump", "--fast", TARN_SAMPLE_DIR "/tarnv3.ini"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        const ToolRun run = Tarntool(c.args);
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(run.out, "");
        EXPECT_FALSE(run.err.empty());
    }
}

TEST(TarntoolDump, RealWorldFilesLoad)
{
    const char* env = std::getenv("TARN_REALWORLD_DIR");
    const std::string dir = std::string(env && *env ? env : TARN_REALWORLD_DIR) + "/ini";
    struct stat info;
    if (stat(dir.c_str(), &info) != 0)
        GTEST_SKIP() << dir << " is not here";
    const char* files[] = {"ms1_megasquirt-I_BnG_2.0-3.0.ini", "ms2extra_Serial321.ini",
                           "rusefi_mre_f4.ini", "speeduino_reference.ini"};
    for (const char* file : files) {
        SCOPED_TRACE(file);
        const ToolRun run = Tarntool({"dump", dir + "/" + file});
        ASSERT_EQ(run.status, 0) << run.err;
        const ordered_json document = ordered_json::parse(run.out);
        EXPECT_GT(document["symbols"].size(), 50u);
        EXPECT_GT(document["gauges"].size(), 10u);
        EXPECT_GT(document["datalog"].size(), 10u);
    }
}

// Named pipes without a writer used to hold the tools in open() for good.
TEST(TarntoolDefinition, NamedPipesAreRefusedAtOnce)
{
    const TempDir scratch;
    const std::string fifo = scratch.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::vector<std::vector<std::string>> commands = {
        {"check", fifo}, {"dump", fifo}, {"tokens", fifo}, {"decode", fifo, "00"},
        {"replay", fifo, "rpm"}};
    for (const auto& args : commands) {
        SCOPED_TRACE(args[0]);
        std::vector<std::string> timed = {"10", TARN_TARNTOOL};
        timed.insert(timed.end(), args.begin(), args.end());
        const ToolRun run = RunProgram("timeout", timed);
        EXPECT_EQ(run.status, 2) << "124 means it blocked";
        EXPECT_EQ(run.out, "");
        EXPECT_NE(run.err.find("cannot read " + fifo), std::string::npos) << run.err;
    }
}

// A 16 MB definition file on one line: peak memory within twice the file and a
// fixed margin, where every character used to become four bytes and more.
TEST(TarntoolDefinition, OneHugeLineStaysWithinItsMemory)
{
    const TempDir scratch;
    const size_t size = 16u << 20;
    std::string text = "[OutputChannels]\nx = ";
    text.append(size, 'a');
    const std::string path = scratch.write("huge.ini", text);
    const ToolRun run = Tarntool({"check", path});
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.out.find(path + ": Line cut at 65536 bytes! in line :1"), std::string::npos)
        << run.out;
    struct rusage children;
    ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &children), 0);
    const long peakMb = children.ru_maxrss / 1024;
    EXPECT_LE(peakMb, 2 * 16 + 40) << "peak resident memory in MB";
}
TEST(TarntoolDump, RealWorldGaugesHaveTitlesChannelsAndScales)
{
    const char* env = std::getenv("TARN_REALWORLD_DIR");
    const std::string dir = std::string(env && *env ? env : TARN_REALWORLD_DIR) + "/ini";
    struct stat info;
    if (stat(dir.c_str(), &info) != 0)
        GTEST_SKIP() << dir << " is not here";
    const struct {
        const char* file;
        size_t gauges; // without the category lines
        const char* endianness;
        int blockSize;
    } files[] = {
        {"ms1_megasquirt-I_BnG_2.0-3.0.ini", 25, "big", 22},
        {"ms2extra_Serial321.ini", 86, "big", 169},
        {"rusefi_mre_f4.ini", 194, "little", 1248},
        {"speeduino_reference.ini", 90, "little", 130},
    };
    for (const auto& f : files) {
        SCOPED_TRACE(f.file);
        const ToolRun run = Tarntool({"dump", dir + "/" + f.file});
        ASSERT_EQ(run.status, 0) << run.err;
        const ordered_json document = ordered_json::parse(run.out);
        EXPECT_EQ(document["link"]["endianness"], f.endianness);
        EXPECT_EQ(document["link"]["blockSize"], f.blockSize);
        std::map<std::string, ordered_json> symbols;
        for (const ordered_json& symbol : document["symbols"])
            symbols[symbol["Name"].get<std::string>()] = symbol;
        EXPECT_EQ(document["gauges"].size(), f.gauges);
        for (const ordered_json& gauge : document["gauges"]) {
            const std::string name = gauge["name"].get<std::string>();
            SCOPED_TRACE(name);
            EXPECT_FALSE(gauge["title"].get<std::string>().empty());
            const auto channel = symbols.find(gauge["symbolName"].get<std::string>());
            if (channel == symbols.end())
                continue; // the file's gauge names a channel the file does not declare
            EXPECT_FALSE(channel->second["Const"].get<bool>());
            EXPECT_EQ(channel->second["order"], 0);
        }
    }
    // Limits given as {expressions} over constants with defaults.
    const ToolRun run = Tarntool({"dump", dir + "/speeduino_reference.ini"});
    const ordered_json document = ordered_json::parse(run.out);
    for (const ordered_json& gauge : document["gauges"]) {
        if (gauge["name"] == "tachometer") {
            EXPECT_EQ(gauge["maxValue"], 8000);
            EXPECT_EQ(gauge["expressions"]["maxValue"], "rpmhigh");
        } else if (gauge["name"] == "afrTargetGauge") {
            EXPECT_NEAR(gauge["ranges"][0][1].get<double>(), 12.0, 1e-9);
            EXPECT_NEAR(gauge["ranges"][3][0].get<double>(), 16.0, 1e-9);
        }
    }
}

// A tune file of 16 MB, most of it one array the definition declares: peak
// memory within four times the file (the sanitizers' own memory aside).
TEST(TarntoolDefinition, BigTuneFileStaysWithinItsMemory)
{
    const TempDir scratch;
    const int side = 1700;
    const std::string ini = scratch.write(
        "ecu.ini", "[Constants]\nve = array, U16, 0, [" + std::to_string(side) + "x" + std::to_string(side) +
                       "], \"%\", 0.1, 0\n[OutputChannels]\nrpm = scalar, U16, 0\n");
    // Written as it is made: this process's own peak counts among its children's.
    const std::string path = scratch.file("big.msq");
    {
        std::ofstream tune(path);
        tune << "<msq><page><constant name=\"ve\">\n";
        for (int i = 0; i < side * side; ++i)
            tune << 100 + i % 500 << '.' << i % 10 << (i % side == side - 1 ? '\n' : ' ');
        tune << "</constant></page></msq>\n";
    }
    const long fileMb = long(std::ifstream(path, std::ios::ate).tellg() >> 20);
    const ToolRun run = Tarntool({"check", ini, "--tune", path});
    EXPECT_EQ(run.status, 0) << run.out << run.err;
    struct rusage children;
    ASSERT_EQ(::getrusage(RUSAGE_CHILDREN, &children), 0);
    const long peakMb = children.ru_maxrss / 1024;
#ifdef TARN_SANITIZED_BUILD
    const long sanitizers = 200;
#else
    const long sanitizers = 0;
#endif
    EXPECT_GE(fileMb, 16);
    EXPECT_LE(peakMb, 4 * fileMb + sanitizers) << "peak resident memory in MB";
}
