#pragma once
// The simulator's firmware and fault injector on a serial line held in
// memory, for runs of the real ECU input that must not wait in real time.
//
// The line behaves as the simulator's terminal does: the firmware hears a
// command only at its mode's line speed, a reply goes out at the speed the
// command came in at and is lost to a client that changes speed before
// reading it, answers are spoiled as the fault settings ask, and the adapter
// can be pulled after every N answers. Time passes in read windows: a read
// or write that finds nothing to do ends its time limit at once (the device
// sets the time-out flag). A stalled reply sends its second half only after
// the window it began in has closed; a command's first bytes wait for the
// rest until the window ends.
//
// The line is driven from one thread at a time (the ECU worker's); its
// counters are read by others only after a fetch has ended.
#include "serial/wxIOBase.h"
#include "tools/tarn-ecu-sim/EcuFirmware.h"
#include "tools/tarn-ecu-sim/FaultInjector.h"

#include <cstdint>
#include <deque>
#include <functional>
#include <random>
#include <string>

class SimulatedLine {
public:
    struct Counts {
        long answers = 0;   // answers that went out (spoiled or not)
        long dropped = 0;   // answers lost entirely
        long noisy = 0;     // answers with garbage bytes before them
        long shortened = 0; // answers cut at the end
        long lengthened = 0; // answers with extra bytes at the end
        long stalled = 0;   // answers that paused in the middle
        long shifted = 0;   // noisy and cut by as many bytes: the length is right
        long hangups = 0;
        long failedOpens = 0;
        long wrongSpeedBytes = 0; // bytes the firmware could not hear
    };

    // Neither is owned; both must outlive the line.
    SimulatedLine(EcuFirmware& firmware, FaultInjector& faults);

    // A device on this line, for SerialPortHandler's factory (owned by the caller).
    wxIOBase* newDevice();

    // The adapter is pulled once `answers` answers have gone out (0: never),
    // and then fails between 0 and `maxFailedOpens` opens before it is back.
    void setHangups(long answers, int maxFailedOpens, uint64_t seed);

    // Called with every runtime data reply that goes out spoiled yet as long
    // as the block (noise in front, as many bytes cut at the end): a line
    // without a check byte cannot tell it from a good one.
    using SpoiledBlockWatch = std::function<void(const std::string& delivered)>;
    void watchSpoiledBlocks(SpoiledBlockWatch watch) { spoiledBlock = std::move(watch); }

    const Counts& counts() const { return tally; }

private:
    friend class SimulatedLineDevice;

    struct Chunk {
        std::string bytes;
        int baud;
        long window; // readable once this window has begun
    };

    int open();
    void close();
    bool isOpen() const { return plugged; }
    int read(char* buffer, size_t n);
    int write(const char* buffer, size_t n);
    int setBaud(int rate);
    int expireWindow(IoTimer::Flag* flag);

    void serve();
    void send(const FirmwareReply& reply, EcuCommand command, int baud);
    void hangUp();

    EcuFirmware& firmware;
    FaultInjector& faults;
    Counts tally;

    bool plugged = false;
    int clientBaud = 19200; // kept across openings, as a port's settings are
    long window = 0;
    std::string heard; // bytes at the firmware's speed, not yet a command
    std::deque<Chunk> pending;

    long hangupAfter = 0;
    int maxFailedOpens = 0;
    long answersSinceHangup = 0;
    bool hangupDue = false;
    int opensToFail = 0;
    std::mt19937_64 replugRandom;
    SpoiledBlockWatch spoiledBlock;
};
