// Runs the built `tarntool eval` and checks its output streams and exit code.
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

extern char** environ;

namespace {

struct Result {
    int exitCode = -1;
    std::string out;
    std::string err;
};

std::string slurp(const std::string& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream content;
    content << in.rdbuf();
    return content.str();
}

Result runTool(const std::vector<std::string>& args)
{
    const std::string tool = std::string(TARN_BINARY_DIR) + "/tools/tarntool/tarntool";
    const TempDir dir;
    const std::string outPath = dir.file("out");
    const std::string errPath = dir.file("err");
    Result result;

    std::vector<std::string> words = {tool, "eval"};
    words.insert(words.end(), args.begin(), args.end());
    std::vector<char*> argv;
    for (std::string& word : words)
        argv.push_back(word.data());
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, outPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    posix_spawn_file_actions_addopen(&actions, 2, errPath.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    pid_t pid = 0;
    if (posix_spawn(&pid, tool.c_str(), &actions, nullptr, argv.data(), environ) == 0) {
        int status = 0;
        if (waitpid(pid, &status, 0) == pid && WIFEXITED(status))
            result.exitCode = WEXITSTATUS(status);
    }
    posix_spawn_file_actions_destroy(&actions);
    result.out = slurp(outPath);
    result.err = slurp(errPath);
    return result;
}

std::vector<std::string> lines(const std::string& text)
{
    std::vector<std::string> found;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        found.push_back(line);
    return found;
}

bool hasLine(const std::string& text, const std::string& line)
{
    for (const std::string& l : lines(text))
        if (l == line)
            return true;
    return false;
}

} // namespace

TEST(EvalCommand, PrintsTheResultAsJson)
{
    const struct {
        std::vector<std::string> args;
        const char* out;
    } cases[] = {
        {{"1+2*3"}, "7\n"},
        {{"rpm=3000", "cyl=4", "rpm / cyl"}, "750\n"},
        {{"x=-2.5e1", "x"}, "-25\n"},
        {{"x=1.5", "x=2", "x * 3"}, "6\n"}, // the later pair wins
        {{"x=.5", "--no-table", "1 ? 0.25 : 9"}, "0.25\n"}, // options stand anywhere
        {{"rpm=2", "--no-table", "rpm"}, "0\n"},
        {{"--", "--3"}, "3\n"},
        {{"8/0"}, "0\n"},
        {{"0 ? 1/0 : 6"}, "6\n"},
        {{std::string(400, '9')}, "null\n"}, // too large for a double
        {{"1 << 31"}, "-2147483648\n"},
        {{"2 / 10"}, "0.2\n"}, // shortest text that reads back the same double
        {{"1 / 3"}, "0.3333333333333333\n"},
        // The dialect of other firmwares' files: no value where the built-in one gives a number.
        {{"--dialect", "ini", "1 == 2"}, "0\n"},
        {{"--dialect=ini", "seconds=300", "seconds % 256"}, "44\n"},
        {{"--dialect", "ini", "0x10 | 0b1"}, "17\n"},
        {{"--dialect", "ini", "8/0"}, "null\n"},
        {{"--dialect", "ini", "rpm=2", "--no-table", "rpm"}, "null\n"},
        {{"--dialect", "ini", "nosuch(1)"}, "null\n"},
        {{"--dialect", "builtin", "1 == 2"}, "1\n"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.back());
        const Result got = runTool(c.args);
        EXPECT_EQ(got.exitCode, 0);
        EXPECT_EQ(got.out, c.out);
    }
}

TEST(EvalCommand, LogGoesToStandardErrorAsBareLines)
{
    Result got = runTool({"1+2*3"});
    const std::vector<std::string> traces = {
        "logical(false)", "shift(false)", "addition(false)", "term(false)",
        "prim(false)",    "term(true)",   "prim(true)",      "prim(true)",
    };
    EXPECT_EQ(lines(got.err), traces);

    got = runTool({"--no-table", "x"});
    const std::vector<std::string> noTable = {
        "Evaluation::getName(): x", "logical(false)", "shift(false)", "addition(false)",
        "term(false)", "prim(false)", "syntax error: table is not set!) ",
    };
    EXPECT_EQ(lines(got.err), noTable);
    EXPECT_EQ(got.exitCode, 0);

    // The message's own line feed ends its line; no empty line follows.
    got = runTool({"8/0"});
    EXPECT_TRUE(hasLine(got.err, "attempt to divide by zero "));
    EXPECT_EQ(got.err.find("\n\n"), std::string::npos);
    EXPECT_EQ(got.err.back(), '\n');

    got = runTool({"a=1", "y + a"});
    EXPECT_TRUE(hasLine(got.err, "Evaluation::prim() variable not found in hash table!!! y"));
    EXPECT_FALSE(hasLine(got.err, "Evaluation::prim() variable not found in hash table!!! a"));
    EXPECT_EQ(got.out, "1\n");
}

TEST(EvalCommand, MisuseExitsWithTwo)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"x", "1"},          // no '='
        {"=1", "1"},         // no name
        {"x=", "1"},         // no value
        {"x=abc", "1"},
        {"x=0x10", "1"},     // decimal only
        {"x=1e999", "1"},    // not finite
        {"x=nan", "1"},
        {"x=1.5kPa", "1"},
        {"1x=2", "1"},       // not a name the evaluator could read
        {"--bogus", "1"},
        {"--dialect", "c", "1"},
    };
    for (const auto& args : cases) {
        SCOPED_TRACE(args.empty() ? std::string("(none)") : args.front());
        const Result got = runTool(args);
        EXPECT_EQ(got.exitCode, 2);
        EXPECT_EQ(got.out, "");
        EXPECT_EQ(got.err.compare(0, 10, "tarntool: "), 0) << got.err;
    }
}
