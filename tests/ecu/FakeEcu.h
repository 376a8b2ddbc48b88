#pragma once
// An ECU and its serial line simulated in memory, for tests of the port
// handler and the protocol without a terminal: no real I/O, no real waiting.
// A read that finds nothing ends its time limit at once (the device sets the
// time-out flag), so time passes in "read windows" instead of milliseconds.
#include "serial/wxIOBase.h"
#include "serial/wxSerialPort.h"

#include <deque>
#include <string>
#include <utility>
#include <vector>

struct FakeEcu {
    // The ECU. It answers only at the line speed of its mode (19200 in the
    // boot loader, 9600 otherwise), like the real one.
    int mode = 12;
    bool present = true;          // false: nothing ever answers
    int replyLength = 56;         // bytes of a reply to "A"
    std::deque<int> replyLengths; // lengths of the next "A" replies, then replyLength
    std::vector<unsigned char> block; // reply bytes; byte i beyond it is i & 0xff
    std::string signatureSuffix;  // sent right after a signature
    int switchReplyBytes = 4;     // bytes answered to "Man", "mmbye", "Manqd47qd"
    int bootExitReplyBytes = 32;  // bytes answered to "E"
    bool obeysSwitches = true;    // false: answers mode switches but stays in its mode
    // When not empty, the next command is answered with the front entry
    // instead of the ECU's own answer (at any line speed).
    std::deque<std::string> scripted;
    bool chatter = false; // the line never stops sending
    // Bytes of the next reply that arrive in time; the rest arrive only after
    // the read window has closed (a stall). -1: no stall.
    int stallAfter = -1;

    // The line.
    bool unplugged = false;       // the device cannot be opened
    int failOpens = 0;            // so many next opens fail
    int hangupAfterReplies = -1;  // the device goes away after so many replies
    int writeLimit = -1;          // total bytes the line takes (-1 no limit)

    // What happened.
    std::vector<std::pair<std::string, int>> commands; // command and line speed
    std::vector<int> baudRequests;
    int openCalls = 0;
    int closeCalls = 0;
    int replies = 0;
    int expiredWindows = 0;
    bool deviceOpen = false;
    int baud = 0;
    int settingsBaud = 19200; // the device's settings record: kept across reopening

    struct Chunk {
        std::string bytes;
        int window;
    };
    std::deque<Chunk> input;
    int window = 0;

    std::vector<std::string> commandTexts() const
    {
        std::vector<std::string> texts;
        for (const auto& c : commands)
            texts.push_back(c.first);
        return texts;
    }
    int count(const std::string& command) const
    {
        int n = 0;
        for (const auto& c : commands)
            n += c.first == command;
        return n;
    }

    static int modeBaud(int m) { return m == 11 ? 19200 : 9600; }

    void reply(const std::string& bytes)
    {
        if (bytes.empty())
            return;
        ++replies;
        if (stallAfter >= 0 && stallAfter < static_cast<int>(bytes.size())) {
            input.push_back({bytes.substr(0, static_cast<size_t>(stallAfter)), window});
            input.push_back({bytes.substr(static_cast<size_t>(stallAfter)), window + 1});
            stallAfter = -1;
            return;
        }
        input.push_back({bytes, window});
    }

    std::string runtimeReply()
    {
        int length = replyLength;
        if (!replyLengths.empty()) {
            length = replyLengths.front();
            replyLengths.pop_front();
        }
        std::string bytes;
        for (int i = 0; i < length; ++i)
            bytes += static_cast<char>(static_cast<size_t>(i) < block.size() ? block[i] : i & 0xff);
        return bytes;
    }

    void receive(const std::string& command)
    {
        commands.emplace_back(command, baud);
        if (!scripted.empty()) {
            reply(scripted.front());
            scripted.pop_front();
            return;
        }
        if (!present || baud != modeBaud(mode))
            return;
        switch (mode) {
        case 11:
            if (command == "S")
                reply("AVREFI1" + signatureSuffix);
            else if (command == "E") {
                reply(std::string(static_cast<size_t>(bootExitReplyBytes), '.'));
                if (obeysSwitches)
                    mode = 12;
            }
            break;
        case 12:
            if (command == "S")
                reply("TARN Corecard v3" + signatureSuffix);
            else if (command == "A")
                reply(runtimeReply());
            else if (command == "Man") {
                reply(std::string(static_cast<size_t>(switchReplyBytes), '>'));
                if (obeysSwitches)
                    mode = 13;
            }
            break;
        case 13:
            if (command == "mxc")
                reply("Yes, menu and comm worx" + signatureSuffix);
            else if (command == "mmbye") {
                reply(std::string(static_cast<size_t>(switchReplyBytes), '<'));
                if (obeysSwitches)
                    mode = 12;
            } else if (command == "Manqd47qd") {
                reply(std::string(static_cast<size_t>(switchReplyBytes), '#'));
                if (obeysSwitches)
                    mode = 11;
            }
            break;
        }
    }
};

class FakeEcuDevice : public wxIOBase {
public:
    explicit FakeEcuDevice(FakeEcu& model) : ecu(model) {}

    const char* GetClassName() const override { return "FakeEcuDevice"; }

    int CloseDevice() override
    {
        ++ecu.closeCalls;
        ecu.deviceOpen = false;
        return 0;
    }
    int OpenDevice(const char*, const SerialSettings* settings) override
    {
        ++ecu.openCalls;
        if (settings)
            ecu.settingsBaud = settings->baud;
        if (ecu.unplugged)
            return -1;
        if (ecu.failOpens > 0) {
            --ecu.failOpens;
            return -1;
        }
        ecu.deviceOpen = true;
        ecu.baud = ecu.settingsBaud;
        return 0;
    }
    bool IsOpen() const override { return ecu.deviceOpen; }

    int Read(char* buffer, size_t n) override
    {
        if (!ecu.deviceOpen)
            return -1;
        if (ecu.chatter) {
            for (size_t i = 0; i < n; ++i)
                buffer[i] = 'x';
            return static_cast<int>(n);
        }
        size_t got = 0;
        while (got < n && !ecu.input.empty() && ecu.input.front().window <= ecu.window) {
            std::string& bytes = ecu.input.front().bytes;
            const size_t take = std::min(n - got, bytes.size());
            bytes.copy(buffer + got, take);
            bytes.erase(0, take);
            got += take;
            if (bytes.empty())
                ecu.input.pop_front();
        }
        return static_cast<int>(got);
    }

    int Write(const char* buffer, size_t n) override
    {
        if (!ecu.deviceOpen)
            return -1;
        if (ecu.hangupAfterReplies >= 0 && ecu.replies >= ecu.hangupAfterReplies) {
            // The adapter is pulled: the device closes itself, as the real one does.
            ecu.unplugged = true;
            ecu.hangupAfterReplies = -1;
            ecu.input.clear();
            CloseDevice();
            return -1;
        }
        if (ecu.writeLimit >= 0) {
            n = std::min(n, static_cast<size_t>(ecu.writeLimit));
            ecu.writeLimit -= static_cast<int>(n);
            if (n == 0)
                return 0;
        }
        ecu.receive(std::string(buffer, n));
        return static_cast<int>(n);
    }

    int SetBaudRate(int rate) override
    {
        ecu.baudRequests.push_back(rate);
        if (!wxSerialPort::IsAcceptedRate(rate) || !ecu.deviceOpen)
            return -1;
        ecu.baud = rate;
        ecu.settingsBaud = rate;
        return 0;
    }

    // Nothing more arrives in this window: its time limit runs out now.
    int WaitReadable(IoTimer::Flag* flag) override { return expire(flag); }
    int WaitWritable(IoTimer::Flag* flag) override { return expire(flag); }

private:
    int expire(IoTimer::Flag* flag)
    {
        if (!ecu.deviceOpen)
            return -1;
        ++ecu.window;
        ++ecu.expiredWindows;
        if (flag)
            flag->store(1);
        return 0;
    }

    FakeEcu& ecu;
};
