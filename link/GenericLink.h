#pragma once
// The serial link a definition file describes, for every firmware but the
// dashboard's own. The firmware is recognised by its reply to queryCommand;
// then ochGetCommand fetches the runtime data block: in parts of at most
// blockingFactor bytes when the command names the part it wants (%o, %c),
// as raw bytes or in the framed envelope (link/EnvelopeFrame.h), at the line
// speed the user chose. The pages of constants are read the same way, each
// in parts of at most blockingFactor bytes (link/PageSetup.h).
//
// A reply is taken only whole. Refused, and never handed on: a frame with a
// bad CRC, an impossible length or an error status; a frame or raw reply that
// brings more or fewer bytes than asked; a signature other than the file's.
// After any failure, and whenever the port was opened anew, the firmware is
// identified again before the next block is taken from it.
//
// Time limits come from the file: blockReadTimeout for a reply (never less
// than the reply's time on the line plus 20 ms; without it, the line time
// plus 100 ms), delayAfterPortOpen before the first command on a freshly
// opened port, interWriteDelay between two commands (none with tsWriteBlocks on).
#include "definition/LinkSettings.h"
#include "link/ByteRanges.h"
#include "link/EcuLink.h"
#include "link/GenericLinkSetup.h"
#include "link/PageSetup.h"

#include <chrono>
#include <cstdint>
#include <mutex>
#include <string>
#include <vector>

class SerialPortHandler;

struct GenericLinkOptions {
    int baud = 115200;
    uint8_t canId = 0; // the \$tsCanId byte: 0 for the ECU on the serial line
};

class GenericLink : public EcuLink {
public:
    // Results besides 0 and the port's own errors (SerialPortHandler, its
    // kInterrupted included).
    static constexpr int kBadSettings = -400;   // the file's link settings cannot be used
    static constexpr int kNoReply = -401;       // nothing, or too little, came in time
    static constexpr int kBadReply = kReplyRefused; // a reply was refused
    static constexpr int kWrongFirmware = -403; // the signature is not the file's

    static constexpr int kDefaultReadSlackMs = 100;

    // The port is not owned. `blockSize` is the runtime data block's size
    // (SymbolTable::getBlockSize()). The settings are checked here:
    // settingsProblem() tells what makes them unusable.
    GenericLink(SerialPortHandler& port, const LinkSettings& settings, int32_t blockSize,
                GenericLinkOptions options = {});
    GenericLink(const GenericLink&) = delete;
    GenericLink& operator=(const GenericLink&) = delete;

    // One fetch of the whole block. On success `block` becomes the block
    // (blockSize bytes) and the result is 0; otherwise `block` is left alone
    // and lastProblem() says why.
    int fetch(std::vector<unsigned char>& block);
    // The same for the worker, which hears of every change of the link's
    // state: Refused, WrongFirmware and Unusable carry lastProblem() as
    // their reason, NoReply the part of it that tells what was missing.
    int fetch(std::vector<unsigned char>& block, const StateReport& report) override;

    // The parts of the block the next fetches ask for (any thread); empty:
    // the whole block. They are cut to the block and merged where the bytes
    // between two of them cost less than a request (requestOverhead()).
    // A command without %o and %c always fetches the whole block.
    void setWantedRanges(const ByteRanges& ranges);
    // Whether ochGetCommand names the part it asks for (%o, %c).
    bool fetchesParts() const { return setup.blockCommand.asksForPart(); }
    // What the last good fetch brought, in order (the fetching thread only);
    // the rest of its block is zeros, which are no values.
    const ByteRanges& fetchedRanges() const { return fetched; }
    // Bytes a request costs on the line besides the data it brings: its
    // command, and the envelopes of command and reply.
    int32_t requestOverhead() const;

    // Pages the file's settings let it read; 0 when they cannot be used
    // (pageProblem() says why).
    int pageCount() const override { return static_cast<int>(pages.pages.size()); }
    int readPage(int index, std::vector<unsigned char>& bytes, std::string& why,
                 const BetweenParts& betweenParts = {}) override;
    const std::string& pageProblem() const { return pages.problem; }

    // Ends the port's transfer or a wait of this link at once (any thread);
    // every fetch fails with SerialPortHandler::kInterrupted until resume().
    void interrupt() override;
    void resume() override;

    // Why the last fetch failed, for people; empty after a success.
    const std::string& lastProblem() const { return problem; }
    const std::string& settingsProblem() const { return setup.problem; }
    bool isIdentified() const { return identified; }
    int baud() const { return options.baud; }
    int32_t blockSize() const { return size; }
    // Bytes asked for by one command (the whole block, or a blockingFactor's worth).
    int32_t partSize() const { return setup.part; }

private:
    using Clock = std::chrono::steady_clock;

    int prepareLine();
    int identify();
    // The line ready and the firmware known.
    int connect();
    // One part of a whole of `largest` bytes: the command of `command` filled
    // for it, its reply checked and copied to `out`. `what` names the request.
    int readPart(const CommandTemplate& command, int32_t offset, int32_t count, size_t largest,
                 std::string what, unsigned char* out);
    // Sends one command, raw or framed, after the pause interWriteDelay asks for.
    int send(const std::string& command);
    // Reads exactly n bytes before `deadline`; the count read, or a port error.
    int readUntil(unsigned char* buffer, int n, Clock::time_point deadline);
    // Drops bytes until the line stays quiet for a moment; how many were dropped.
    int dropUntilQuiet();
    // Reads one reply frame carrying at most `largestData` bytes of data.
    int readFrame(std::vector<unsigned char>& frame, size_t largestData, const std::string& what,
                  size_t& dataOffset, size_t& dataLength);
    // The time limit of a reply when `bytes` go over the line for it.
    int replyLimitMs(size_t bytes) const;
    // The ranges the next fetch asks for.
    ByteRanges rangesToFetch() const;
    // "nothing came within N ms of `what`"
    std::string silence(size_t bytes, const std::string& what) const;
    int fail(int code, const std::string& why);
    int portFailure(int code, const std::string& what);

    SerialPortHandler& port;
    LinkSettings settings;
    GenericLinkOptions options;
    int32_t size;
    GenericLinkSetup setup;
    PageSetup pages;

    bool identified = false;
    bool lineReady = false;
    int openCount = -1; // the port's open count when the line was set up
    LinkState current;
    Clock::time_point lastWrite;
    bool wrote = false;
    std::string problem;

    mutable std::mutex wantedMutex; // guards `wanted`, set from any thread
    ByteRanges wanted;
    ByteRanges fetched;
};
