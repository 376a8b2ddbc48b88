#pragma once
// The --log file: one line per event, "YYYY-MM-DD HH:MM:SS.mmm text", written
// through at once so that a test or a user can follow it while it runs.
#include <cstdio>
#include <string>

class SimLog {
public:
    SimLog() = default;
    SimLog(const SimLog&) = delete;
    SimLog& operator=(const SimLog&) = delete;
    ~SimLog();

    // Creates (truncates) the file. False, with `error`, when it cannot.
    bool open(const std::string& fileName, std::string& error);
    bool isOpen() const { return file != nullptr; }
    void line(const std::string& text);

private:
    FILE* file = nullptr;
};

// Bytes as readable text: printable ASCII as is, anything else as \xNN.
std::string Printable(const std::string& bytes);
