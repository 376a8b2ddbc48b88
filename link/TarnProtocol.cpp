#include "link/TarnProtocol.h"

#include "base/StderrTrace.h"
#include "link/RuntimeData.h"
#include "serial/LineTiming.h"

#include <algorithm>
#include <cstdarg>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// Replies outside this open range are never taken as the new reply length;
// the upper end keeps length + 2 within the runtime data block.
constexpr int kShortestAdopted = 40;
constexpr int kLongestAdopted = 75;
static_assert(kLongestAdopted - 1 + 2 <= static_cast<int>(kRuntimeDataCapacity),
              "the runtime data block must hold the longest read");

// Drains before each probe and between probes (bytes per pass, passes).
constexpr int kDrainBytes = 4;
constexpr int kDrainBeforeProbe = 64;
constexpr int kDrainBetweenProbes = 5;

} // namespace

TarnProtocol::TarnProtocol(SerialPortHandler* port) : sp(port)
{
    signatures[kModeBoot] = "AVREFI1";
    signatures[kModeRun] = "TARN Corecard v3";
    signatures[kModeMenu] = "Yes, menu and comm worx";
    baudRates[kModeBoot] = 19200;
    baudRates[kModeRun] = 9600;
    baudRates[kModeMenu] = 9600;
    setQuietMs(kShortestQuietMs);
    statusTexts[200] = "Unknown";
    statusTexts[150] = "Ecu Not Connected";
    statusTexts[100] = "Cannot open port!";
    statusTexts[kModeBoot] = "Boot";
    statusTexts[kModeRun] = "Megatune";
    statusTexts[kModeMenu] = "Man";
}

TarnProtocol::~TarnProtocol()
{
    trace("TarnProtocol DTOR\n");
    close();
    signatures.clear();
}

TarnProtocol* TarnProtocol::getInstance()
{
    // Deliberately never deleted: it serves until the process ends.
    static TarnProtocol* protocol = new TarnProtocol(SerialPortHandler::getInstance());
    return protocol;
}

void TarnProtocol::trace(const char* format, ...)
{
    va_list args;
    va_start(args, format);
    StderrTraceV(format, args);
    va_end(args);
}

void TarnProtocol::close()
{
    if (sp)
        trace("TarnProtocol close\n");
    else
        trace("TarnProtocol::close() sp is NULL!!!!!!!!!!!!!!\n");
}

const char* TarnProtocol::getSignature(int mode) const
{
    auto it = signatures.find(mode);
    return it == signatures.end() ? "" : it->second.c_str();
}

wxString TarnProtocol::getStatusText(int code) const
{
    auto it = statusTexts.find(std::abs(code));
    return it == statusTexts.end() ? wxString("Unknown") : it->second;
}

int TarnProtocol::genericTest(const char* probe, const char* signature, int mode)
{
    auto rate = baudRates.find(mode);
    trace("TarnProtocol::genericTest() state: %i, baudRate: %i\n", mode,
          rate == baudRates.end() ? 0 : rate->second);
    trace("TarnProtocol::genericTest SP: %p\n", static_cast<void*>(sp));
    if (!sp)
        return SerialPortHandler::kNoPort;
    sp->setBaudRate(mode == kModeBoot ? 19200 : 9600);
    const int drained = sp->Drain(kDrainBytes, kDrainBeforeProbe);
    heardInFetch = heardInFetch || drained > 0 || drained == SerialPortHandler::kDrainNeverQuiet;
    if (drained < 0)
        return drained;

    const int n = signature ? static_cast<int>(std::strlen(signature)) : 0;
    sp->SendString(probe);
    // Up to two bytes after the signature are read and ignored; a reply of
    // the signature's length ends once the line is quiet after it.
    std::vector<char> reply(static_cast<size_t>(n) + 2);
    const int received = sp->ReadReply(reply.data(), n + 2, n);
    heardInFetch = heardInFetch || received > 0;
    trace("TarnProtocol::genericTest() recLen %d, expLen %d\n", received, n);
    if (received < 0)
        return received;
    if (received < n)
        return 1;
    if (std::memcmp(reply.data(), signature, static_cast<size_t>(n)) == 0) {
        trace("TarnProtocol::genericTest() MATCH!\n");
        return 0;
    }
    trace("TarnProtocol::genericTest() NO MATCH!\n");
    return 1;
}

int TarnProtocol::detectMode()
{
    // Menu first, then the running firmware (both 9600 baud), then the boot
    // loader (19200). Only the first probe's errors end the detection.
    identifiedOpen = -1;
    int r = genericTest("mxc", getSignature(kModeMenu), kModeMenu);
    if (r == 0) {
        answeredInFetch = true;
        return kModeMenu;
    }
    if (r < 0)
        return r;
    if (!sp)
        return kNoMode;
    sp->Drain(kDrainBytes, kDrainBetweenProbes);
    r = genericTest("S", getSignature(kModeRun), kModeRun);
    sp->Drain(kDrainBytes, kDrainBetweenProbes);
    if (r == 0) {
        answeredInFetch = true;
        identifiedOpen = sp->getOpenCount();
        return kModeRun;
    }
    r = genericTest("S", getSignature(kModeBoot), kModeBoot);
    sp->Drain(kDrainBytes, kDrainBetweenProbes);
    if (r == 0)
        answeredInFetch = true;
    return r == 0 ? kModeBoot : kNoMode;
}

bool TarnProtocol::isIdentified() const
{
    // A closed port is opened anew before the next request: whatever answers
    // there then has not been recognised yet.
    return sp && identifiedOpen >= 0 && identifiedOpen == sp->getOpenCount() && sp->getPort() &&
           sp->getPort()->IsOpen();
}

void TarnProtocol::setBlockSize(int declared, int end)
{
    declaredBlockSize = declared > kShortestAdopted && declared < kLongestAdopted ? declared : 0;
    channelsEnd = end > 0 ? end : 0;
    candidateLength = 0;
    if (declaredBlockSize > 0)
        expectedLength = declaredBlockSize;
    else if (expectedLength < channelsEnd && channelsEnd < kLongestAdopted)
        expectedLength = channelsEnd;
}

void TarnProtocol::adoptLength(int received)
{
    if (received <= kShortestAdopted || received >= kLongestAdopted)
        return;
    // A declared size is the truth; a reply too short for the channels is a
    // stalled or cut one; a single odd length may be noise.
    if (declaredBlockSize > 0 || received < channelsEnd || received == expectedLength)
        return;
    if (received != candidateLength) {
        candidateLength = received;
        return;
    }
    candidateLength = 0;
    expectedLength = received;
}

int TarnProtocol::switchStep(const char* switchCommand, int dropBytes, int expectedMode)
{
    if (!sp)
        return SerialPortHandler::kNoPort;
    const int sent = sp->SendString(switchCommand);
    if (sent < 0)
        return sent;
    sp->Discard(dropBytes);
    return detectMode() == expectedMode ? expectedMode : kNoMode;
}

int TarnProtocol::switchToMode(int target)
{
    const int current = detectMode();
    if (current < 0 || current == target)
        return current;
    int r;
    switch (current) {
    case kModeBoot:
        // The boot loader is left straight into the running firmware.
        r = switchStep("E", 32, kModeRun);
        if (r <= 0 || r == target)
            return r;
        return switchStep("Man", 4, kModeMenu);
    case kModeRun:
        // The boot loader is reached only through the menu.
        r = switchStep("Man", 4, kModeMenu);
        if (r <= 0 || r == target || target != kModeBoot)
            return r;
        return switchStep("Manqd47qd", 4, kModeBoot);
    case kModeMenu:
        if (target == kModeBoot)
            return switchStep("Manqd47qd", 4, kModeBoot);
        if (target == kModeRun)
            return switchStep("mmbye", 4, kModeRun);
        return kModeMenu;
    default:
        return kNoMode;
    }
}

void TarnProtocol::setQuietMs(int leastMs)
{
    quiet.setLeastMs(std::max(leastMs, quietGapMs(baudRates[kModeRun])));
}

void TarnProtocol::withdrawBlock()
{
    trace("TarnProtocol: bytes after the last block: withdrawn\n");
    withdrawn = true;
    blockOpen = false;
    quiet.lateBytes();
}

void TarnProtocol::lookAfterBlock()
{
    if (blockOpen && sp && sp->getPort() && sp->getPort()->IsOpen() && sp->DiscardPending() > 0)
        withdrawBlock();
}

bool TarnProtocol::takeWithdrawal()
{
    const bool was = withdrawn;
    withdrawn = false;
    return was;
}

int TarnProtocol::getRuntimeData()
{
    std::vector<unsigned char> block;
    const int result = fetchRuntimeData(block);
    if (result == 0)
        loadRuntimeData(block.data(), block.size());
    return result;
}

int TarnProtocol::fetchRuntimeData(std::vector<unsigned char>& block)
{
    if (!sp)
        return SerialPortHandler::kNoPort;
    answeredInFetch = false;
    heardInFetch = false;
    refusedInFetch = 0;
    // The probes below would swallow what came after the last block.
    lookAfterBlock();
    // Later attempts of this call still expect L; an adopted length applies
    // from the next call on.
    const int expected = expectedLength;
    // Two bytes more than expected, so that a longer reply shows as one.
    std::vector<char> reply(static_cast<size_t>(expected) + 2);
    int attempts = 0;
    do {
        ++attempts;
        // Only a reply of an ECU that gave its running signature on this
        // opening of the port can be runtime data: anything else that talks
        // on the line (another device, a modem's echo) never gets decoded.
        if (!isIdentified()) {
            const int mode = switchToMode(kModeRun);
            if (mode == SerialPortHandler::kInterrupted || mode == SerialPortHandler::kCannotOpen ||
                mode == SerialPortHandler::kNoPort)
                return mode;
            if (!isIdentified())
                continue;
        } else {
            answeredInFetch = true;
        }
        // The last probe may have left the line at the boot loader's speed.
        sp->setBaudRate(9600);
        // Bytes that came before the request cannot be part of its reply.
        if (sp->DiscardPending() > 0 && blockOpen)
            withdrawBlock();
        blockOpen = false;
        sp->SendString(command.c_str());
        const int received = sp->ReadReply(reply.data(), expected + 2, expected, quiet);
        if (received == SerialPortHandler::kInterrupted)
            return received; // stopped from outside: nothing to report
        heardInFetch = heardInFetch || received > 0;
        trace("TarnProtocol::getRuntimeData() Received: %d, expected: %d\n", received, expected);
        if (received == expected) {
            block.assign(reply.begin(), reply.begin() + expected);
            blockOpen = true;
            // "In a row": a reply of the right length in between ends the run.
            candidateLength = 0;
            return 0;
        }
        if (received < 0)
            return received;
        if (received > 0)
            ++refusedInFetch;
        detectMode();
        switchToMode(kModeRun);
        adoptLength(received);
    } while (attempts < attemptLimit);
    return kGaveUp;
}
