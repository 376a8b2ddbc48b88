// tarntool decode and live, run as the built program.
#include "tests/support/SimProcess.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <nlohmann/json.hpp>

#include <fstream>
#include <regex>
#include <string>
#include <vector>

using nlohmann::ordered_json;

namespace {

const std::string kDecodeIni = TARN_TEST_DATA_DIR "/ecu/fixtures/decode.ini";
const std::string kSampleIni = TARN_SAMPLE_DIR "/tarnv3.ini";
const std::string kOneRecord = TARN_TEST_DATA_DIR "/ecu/fixtures/one-record.log";

struct ToolRun {
    int status = -1;
    std::string out, err;
};

ToolRun Tarntool(const std::vector<std::string>& args)
{
    ToolRun run;
    std::vector<std::string> all = {TARN_BINARY_DIR "/tools/tarntool/tarntool"};
    all.insert(all.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& arg : all)
        argv.push_back(&arg[0]);
    argv.push_back(nullptr);
    int out[2], err[2];
    if (::pipe(out) != 0 || ::pipe(err) != 0)
        return run;
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, out[1], 1);
    posix_spawn_file_actions_adddup2(&actions, err[1], 2);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    posix_spawn_file_actions_addclose(&actions, err[0]);
    pid_t pid;
    const bool spawned = posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ) == 0;
    posix_spawn_file_actions_destroy(&actions);
    ::close(out[1]);
    ::close(err[1]);
    pollfd fds[2] = {{out[0], POLLIN, 0}, {err[0], POLLIN, 0}};
    std::string* sinks[2] = {&run.out, &run.err};
    int open = 2;
    while (spawned && open > 0 && ::poll(fds, 2, 20000) > 0) {
        for (int i = 0; i < 2; ++i) {
            if (!fds[i].revents)
                continue;
            char buffer[4096];
            const ssize_t r = ::read(fds[i].fd, buffer, sizeof buffer);
            if (r > 0) {
                sinks[i]->append(buffer, static_cast<size_t>(r));
            } else {
                fds[i].fd = -1;
                --open;
            }
        }
    }
    ::close(out[0]);
    ::close(err[0]);
    int status = 0;
    if (spawned && ::waitpid(pid, &status, 0) == pid && WIFEXITED(status))
        run.status = WEXITSTATUS(status);
    return run;
}

std::vector<std::string> Lines(const std::string& text)
{
    std::vector<std::string> lines;
    size_t start = 0;
    for (size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    return lines;
}

} // namespace

TEST(TarntoolDecode, EveryOutputChannelSorted)
{
    const ToolRun run =
        Tarntool({"decode", kDecodeIni, "C8 A0 F6 07 00 00 12 34 FF FE\t00 01 E2 40\nFF FF FF FF"});
    ASSERT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 1u) << run.out;
    const ordered_json got = ordered_json::parse(lines[0]);
    // Constants and arrays are no output channels; the output channel reqFuel
    // replaced the constant of that name.
    const double none = std::nan("");
    const std::vector<std::pair<std::string, double>> want = {
        {"Zeta", 0.0},       // upper case sorts first
        {"advance", -5.0},   // S08 0xF6 = -10, x 0.5
        {"bitsLine", 0.0},   // bits 0..1 of byte 4
        {"coolant", 60.0},   // (160 - 40) x 0.5
        {"hotAndLean", 0.0}, // coolant > 90 ? 1 : 0
        {"lastByte", 0.0},
        {"map", 466.0},      // 0x1234 x 0.1
        {"odometer", 123456.0},
        {"offset32", -1.0},  // S32 0xFFFFFFFF
        {"pastEnd", none},   // would cross the block's end: no value
        {"reqFuel", 7.0},
        {"rpm100", 20000.0}, // secl x 100
        {"secl", 200.0},
        {"trim", -0.02},     // S16 0xFFFE = -2, x 0.01
    };
    ASSERT_EQ(got.size(), want.size()) << lines[0];
    size_t i = 0;
    for (auto it = got.begin(); it != got.end(); ++it, ++i) {
        SCOPED_TRACE(want[i].first);
        EXPECT_EQ(it.key(), want[i].first);
        if (std::isnan(want[i].second))
            EXPECT_TRUE(it.value().is_null());
        else
            EXPECT_DOUBLE_EQ(it.value().get<double>(), want[i].second);
    }
}

TEST(TarntoolDecode, BadInput)
{
    struct Case {
        const char* label;
        std::vector<std::string> args;
        int want;
    };
    const std::string max(2 * 76, 'a');
    const Case cases[] = {
        {"76 bytes fit", {"decode", kDecodeIni, max}, 0},
        {"no bytes: a zero block", {"decode", kDecodeIni, " "}, 0},
        {"77 bytes", {"decode", kDecodeIni, max + "00"}, 2},
        {"odd digit count", {"decode", kDecodeIni, "C8A"}, 2},
        {"not a hex digit", {"decode", kDecodeIni, "C8 G0"}, 2},
        {"0x prefix", {"decode", kDecodeIni, "0xC8"}, 2},
        {"missing file", {"decode", kDecodeIni + ".missing", "C8"}, 2},
        {"no HEX", {"decode", kDecodeIni}, 2},
        {"too many operands", {"decode", kDecodeIni, "C8", "A0"}, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const ToolRun run = Tarntool(c.args);
        EXPECT_EQ(run.status, c.want) << run.err;
        EXPECT_EQ(run.out.empty(), c.want != 0);
        EXPECT_EQ(run.err.empty(), c.want == 0) << run.err;
    }
    const ToolRun zero = Tarntool({"decode", kDecodeIni, ""});
    EXPECT_EQ(zero.status, 0);
    EXPECT_NE(zero.out.find("\"pastEnd\":null"), std::string::npos) << zero.out;
}

TEST(TarntoolLive, TicksAgainstTheSimulator)
{
    SimProcess sim({"--ini", kSampleIni, "--datalog", kOneRecord});
    ASSERT_TRUE(sim.ok());
    const ToolRun run =
        Tarntool({"live", kSampleIni, "rpm", "--ticks", "3", "--period", "50", "lambda", "nosuch"});
    EXPECT_EQ(run.status, 0) << run.err;
    const std::vector<std::string> lines = Lines(run.out);
    ASSERT_EQ(lines.size(), 3u) << run.out;
    for (const std::string& line : lines) {
        SCOPED_TRACE(line);
        const ordered_json got = ordered_json::parse(line);
        ASSERT_EQ(got.size(), 3u);
        auto it = got.begin();
        EXPECT_EQ(it.key(), "rpm"); // in the order given
        EXPECT_DOUBLE_EQ(it.value().get<double>(), 3000.0);
        ++it;
        EXPECT_EQ(it.key(), "lambda");
        EXPECT_NEAR(it.value().get<double>(), 1.0, 1e-9);
        ++it;
        EXPECT_EQ(it.key(), "nosuch");
        EXPECT_TRUE(it.value().is_null()) << "no value: not a made-up -1";
    }
    // Only the protocol's traces on standard error, not the debug log.
    EXPECT_EQ(run.err.find("Symbol"), std::string::npos);
}

TEST(TarntoolLive, FailedFetchesAndMisuse)
{
    TempDir dir;
    SerialPortEnv env(dir.file("no-adapter"));
    struct Case {
        const char* label;
        std::vector<std::string> args;
        int want;
        size_t lines;
    };
    const Case cases[] = {
        {"no device", {"live", kSampleIni, "--ticks", "2", "--period", "0", "rpm"}, 1, 2},
        {"no ticks", {"live", kSampleIni, "--ticks", "0", "rpm"}, 0, 0},
        {"no name", {"live", kSampleIni}, 2, 0},
        {"bad tick count", {"live", kSampleIni, "--ticks", "-1", "rpm"}, 2, 0},
        {"bad period", {"live", kSampleIni, "--period", "soon", "rpm"}, 2, 0},
        {"missing file", {"live", kSampleIni + ".missing", "rpm"}, 2, 0},
        {"not a line speed", {"live", kSampleIni, "--baud", "115201", "rpm"}, 2, 0},
        {"rate 0", {"live", kSampleIni, "--rate", "0", "rpm"}, 2, 0},
        {"negative rate", {"live", kSampleIni, "--rate=-5", "rpm"}, 2, 0},
        {"huge rate", {"live", kSampleIni, "--rate", "1001", "rpm"}, 2, 0},
        {"rate not a number", {"live", kSampleIni, "--rate", "fast", "rpm"}, 2, 0},
        {"record: rate 0", {"record", kSampleIni, "--out", dir.file("r.msl"), "--rate", "0"}, 2, 0},
        {"record: huge rate", {"record", kSampleIni, "--out", dir.file("r.msl"), "--rate", "1e9"}, 2, 0},
        {"record: no --out", {"record", kSampleIni, "--seconds", "1"}, 2, 0},
        {"record: no seconds", {"record", kSampleIni, "--out", dir.file("r.msl"), "--seconds", "0"}, 2, 0},
        {"record: no device", {"record", kSampleIni, "--out", dir.file("r.msl"), "--seconds", "1"}, 1, 1},
        // The run before left its (empty) log behind.
        {"record: file exists", {"record", kSampleIni, "--out", dir.file("r.msl"), "--seconds", "1"}, 2, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        const ToolRun run = Tarntool(c.args);
        EXPECT_EQ(run.status, c.want) << run.err;
        EXPECT_EQ(Lines(run.out).size(), c.lines) << run.out;
    }
    // Without a device nothing was ever fetched: no value, marked stale, and
    // standard error names the device and the system's reason.
    const ToolRun none = Tarntool({"live", kSampleIni, "--ticks", "1", "rpm"});
    EXPECT_EQ(none.out, "{\"rpm\":null,\"(stale)\":true}\n");
    EXPECT_NE(none.err.find(dir.file("no-adapter") + ": No such file or directory"),
              std::string::npos)
        << none.err;
}

TEST(TarntoolLive, OtherFirmwaresOverTheLinkTheirFilesDescribe)
{
    const char* env = std::getenv("TARN_REALWORLD_DIR");
    const std::string dir = std::string(env && *env ? env : TARN_REALWORLD_DIR) + "/ini/";
    const std::string fixed = TARN_TEST_DATA_DIR "/ecu/fixtures/real-ecus.log";
    const struct {
        const char* file;
        std::vector<std::string> simOptions;
        std::vector<std::string> liveOptions;
        int status;
        const char* out; // each tick
        const char* err;
    } cases[] = {
        {"speeduino_reference.ini", {}, {"rpm", "map"}, 0, "{\"rpm\":1870,\"map\":87}", ""},
        {"rusefi_mre_f4.ini", {"--baud", "38400"}, {"--baud", "38400", "RPMValue"}, 0,
         "{\"RPMValue\":1870}", ""},
        {"ms2extra_Serial321.ini", {}, {"rpm", "map"}, 0, "{\"rpm\":1870,\"map\":87}", ""},
        {"ms1_megasquirt-I_BnG_2.0-3.0.ini", {}, {"rpm"}, 0, "{\"rpm\":1800}", ""},
        {"speeduino_reference.ini", {"--signature", "speeduino 202310"}, {"rpm"}, 1,
         "{\"rpm\":null,\"(stale)\":true}",
         "no runtime data (-403: wrong firmware: it answers \"speeduino 202310\" to the query "
         "\"Q\", the definition file expects \"speeduino 202405-dev\")"},
        {"speeduino_reference.ini", {"--bad-crc", "1"}, {"rpm"}, 1,
         "{\"rpm\":null,\"(stale)\":true}", "refused: CRC mismatch (sent 0x"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.file) + " " + c.err);
        if (::access((dir + c.file).c_str(), R_OK) != 0)
            GTEST_SKIP() << "no real definition files at " << dir;
        std::vector<std::string> simOptions = {"--ini", dir + c.file, "--datalog", fixed};
        simOptions.insert(simOptions.end(), c.simOptions.begin(), c.simOptions.end());
        SimProcess sim(simOptions);
        ASSERT_TRUE(sim.ok());
        std::vector<std::string> args = {"live", dir + c.file, "--ticks", "2", "--period", "50"};
        args.insert(args.end(), c.liveOptions.begin(), c.liveOptions.end());
        const ToolRun run = Tarntool(args);
        EXPECT_EQ(run.status, c.status) << run.err;
        EXPECT_EQ(run.out, std::string(c.out) + "\n" + c.out + "\n");
        EXPECT_NE(run.err.find(c.err), std::string::npos) << run.err;
    }
}

TEST(TarntoolPages, ATuneOnTheEcuBackedUpAndReadBack)
{
    const char* env = std::getenv("TARN_REALWORLD_DIR");
    const std::string ini =
        std::string(env && *env ? env : TARN_REALWORLD_DIR) + "/ini/ms2extra_Serial321.ini";
    if (::access(ini.c_str(), R_OK) != 0)
        GTEST_SKIP() << "no real definition files at " << ini;
    TempDir dir;
    // A label of a bit field, and a scaled number: 12.345 ms is 12345 steps of 0.001.
    const std::string tune = dir.write("car.msq", "<msq><constant name=\"nCylinders\">\"6\"</constant>"
                                                  "<constant name=\"reqFuel\">12.345</constant></msq>");
    const std::string backup = dir.file("backup.msq");
    {
        SimProcess sim({"--ini", ini, "--tune", tune});
        ASSERT_TRUE(sim.ok());
        const ToolRun run = Tarntool({"pages", ini, "--out", backup});
        EXPECT_EQ(run.status, 0) << run.err;
        EXPECT_NE(run.err.find("read 6 of 6 pages (6144 bytes)"), std::string::npos) << run.err;
    }
    // The backup serves the same pages as the tune it was taken from.
    SimProcess again({"--ini", ini, "--tune", backup});
    ASSERT_TRUE(again.ok());
    const ToolRun read = Tarntool({"pages", ini});
    ASSERT_EQ(read.status, 0) << read.err;
    const ordered_json values = ordered_json::parse(read.out);
    EXPECT_EQ(values["nCylinders"], 6);
    EXPECT_NEAR(values["reqFuel"].get<double>(), 12.345, 1e-9);

    const ToolRun builtIn = Tarntool({"pages", kSampleIni});
    EXPECT_EQ(builtIn.status, 2);
    EXPECT_NE(builtIn.err.find("is the built-in firmware's: it has no pages"), std::string::npos)
        << builtIn.err;
}

// Every record the worker fetched, in order, each with its own fetch time.
TEST(TarntoolRecord, LogsEveryRecordAndSaysHowMany)
{
    SimProcess sim({"--ini", kSampleIni, "--datalog", kOneRecord});
    ASSERT_TRUE(sim.ok());
    const std::string log = sim.dir.file("run.msl");
    const ToolRun run = Tarntool({"record", kSampleIni, "--out", log, "--seconds", "2", "--rate", "8"});
    ASSERT_EQ(run.status, 0) << run.err;
    std::smatch summary;
    const std::regex format("^(\\d+) records, (\\d+\\.\\d\\d) s, (\\d+\\.\\d) records/s, (\\d+) failed fetches\n$");
    ASSERT_TRUE(std::regex_match(run.out, summary, format)) << run.out;
    const size_t records = std::stoul(summary[1]);
    EXPECT_GE(records, 3u);
    EXPECT_NEAR(std::stod(summary[3]), records / std::stod(summary[2]), 0.1);

    std::ifstream file(log);
    std::vector<std::string> lines;
    for (std::string line; std::getline(file, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), records + 4) << "title, date, names, units, then one line per record";
    EXPECT_EQ(lines[2].compare(0, 5, "Time\t"), 0) << lines[2];
    std::vector<double> gaps;
    for (size_t i = 4; i < lines.size(); ++i) {
        const double time = std::stod(lines[i]);
        if (i > 4)
            gaps.push_back(time - std::stod(lines[i - 1]));
        EXPECT_NE(lines[i].find("\t3000\t"), std::string::npos) << lines[i]; // rpm of the one record
    }
    ASSERT_FALSE(gaps.empty());
    EXPECT_GT(*std::min_element(gaps.begin(), gaps.end()), 0.0) << "each record once, in order";
    // A late fetch is followed by one at once, so only the mean keeps to the rate.
    const double meanGap = (std::stod(lines.back()) - std::stod(lines[4])) / double(gaps.size());
    EXPECT_GE(meanGap, 0.1) << "never faster than asked: 125 ms apart";
}
