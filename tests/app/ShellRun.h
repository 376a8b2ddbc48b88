#pragma once
// Runs a shell command line and keeps its exit status and its output.
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>

struct ShellOutcome {
    int status = -1;
    std::string out; // standard output and error together
};

inline ShellOutcome RunShell(const std::string& command, const std::string& outputFile)
{
    ShellOutcome run;
    const int raw = std::system((command + " >'" + outputFile + "' 2>&1").c_str());
    run.status = WIFEXITED(raw) ? WEXITSTATUS(raw) : -1;
    std::ifstream in(outputFile);
    std::ostringstream text;
    text << in.rdbuf();
    run.out = text.str();
    return run;
}
