#pragma once
// A serial device whose far end is a function: every write is handed to it
// and what it returns becomes readable. Nothing waits: a read that finds
// nothing ends its time limit at once. A device that is not open fails every
// read, write and speed setting, as a pulled adapter does.
#include "serial/wxIOBase.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

struct ScriptedLineState {
    std::function<std::string(const std::string& written)> answer;
    std::vector<std::string> written;
    std::vector<int> speeds;
    std::string pending;
    std::string late; // readable after the next wait, behind what is pending
    size_t lateBytes = 0; // so many bytes at the end of the next answer come late
    bool open = false;
    int opens = 0;
    int refuseOpens = 0; // so many next opens fail, as while an adapter is unplugged
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
        if (line.refuseOpens > 0) {
            --line.refuseOpens;
            return -1;
        }
        line.open = true;
        ++line.opens;
        return 0;
    }
    bool IsOpen() const override { return line.open; }
    int Read(char* buffer, size_t n) override
    {
        if (!line.open)
            return -1;
        const size_t take = n < line.pending.size() ? n : line.pending.size();
        line.pending.copy(buffer, take);
        line.pending.erase(0, take);
        return static_cast<int>(take);
    }
    int Write(const char* buffer, size_t n) override
    {
        if (!line.open)
            return -1;
        line.written.emplace_back(buffer, n);
        if (line.answer)
            arrive(line.answer(line.written.back()));
        return line.open ? static_cast<int>(n) : -1;
    }
    int SetBaudRate(int rate) override
    {
        line.speeds.push_back(rate);
        if (!line.open || rate <= 0)
            return -1;
        if (line.refuseSpeeds > 0) {
            --line.refuseSpeeds;
            return -1;
        }
        return 0;
    }
    int WaitReadable(IoTimer::Flag* flag) override
    {
        if (!line.open)
            return -1;
        line.pending += line.late;
        line.late.clear();
        if (flag)
            flag->store(1);
        return 0;
    }

private:
    void arrive(const std::string& reply)
    {
        const size_t now = reply.size() - std::min(line.lateBytes, reply.size());
        line.lateBytes = 0;
        (line.late.empty() ? line.pending : line.late).append(reply, 0, now);
        line.late.append(reply, now);
    }

    ScriptedLineState& line;
};
