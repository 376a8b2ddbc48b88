#pragma once
// A serial device whose far end is a function: every write is handed to it
// and what it returns becomes readable. Nothing waits: a read that finds
// nothing ends its time limit at once.
#include "serial/wxIOBase.h"

#include <functional>
#include <string>
#include <vector>

struct ScriptedLineState {
    std::function<std::string(const std::string& written)> answer;
    std::vector<std::string> written;
    std::vector<int> speeds;
    std::string pending;
    bool open = false;
    int opens = 0;
    int refuseSpeeds = 0; // so many next speed settings fail, as on a device that went away
};

class ScriptedLine : public wxIOBase {
public:
    explicit ScriptedLine(ScriptedLineState& state) : line(state) {}

    int CloseDevice() override
    {
        line.open = false;
        return 0;
    }
    int OpenDevice(const char*, const SerialSettings*) override
    {
        line.open = true;
        ++line.opens;
        return 0;
    }
    bool IsOpen() const override { return line.open; }
    int Read(char* buffer, size_t n) override
    {
        const size_t take = n < line.pending.size() ? n : line.pending.size();
        line.pending.copy(buffer, take);
        line.pending.erase(0, take);
        return static_cast<int>(take);
    }
    int Write(const char* buffer, size_t n) override
    {
        line.written.emplace_back(buffer, n);
        if (line.answer)
            line.pending += line.answer(line.written.back());
        return static_cast<int>(n);
    }
    int SetBaudRate(int rate) override
    {
        line.speeds.push_back(rate);
        if (line.refuseSpeeds > 0) {
            --line.refuseSpeeds;
            return -1;
        }
        return 0;
    }
    int WaitReadable(IoTimer::Flag* flag) override
    {
        if (flag)
            flag->store(1);
        return 0;
    }

private:
    ScriptedLineState& line;
};
