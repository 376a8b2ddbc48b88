#pragma once
// The ECU's serial command language: finds which mode the firmware is in by
// probing for its signature, moves it between modes, and fetches the runtime
// data block with "A" in mode 12. Results: 0 or a mode on success, -1 when
// the ECU did not answer as expected, -80 when a fetch gave up, or a port
// error of SerialPortHandler. Traces go to the standard-error trace sink
// (base/StderrTrace.h).
//
// A fetch decodes nothing itself: it hands over a reply only when it passed
// every check (the ECU was found answering in mode 12 on this opening of the
// port, and the reply has the expected length). One thread at a time.
#include "serial/QuietWindow.h"
#include "serial/SerialPortHandler.h"

#include <wx/string.h>

#include <string>
#include <unordered_map>
#include <vector>

class TarnProtocol {
public:
    enum Mode { kModeBoot = 11, kModeRun = 12, kModeMenu = 13 };
    static constexpr int kNoMode = -1;
    static constexpr int kGaveUp = -80;
    static constexpr int kInitialReplyLength = 56;

    // Talks over `port` (not owned).
    explicit TarnProtocol(SerialPortHandler* port = nullptr);
    TarnProtocol(const TarnProtocol&) = delete;
    TarnProtocol& operator=(const TarnProtocol&) = delete;
    virtual ~TarnProtocol();

    // The one protocol of the process, bound to the process's serial port.
    static TarnProtocol* getInstance();

    // Fills the runtime data block: 0, a port error as soon as a read fails,
    // or -80 after 5 failed attempts. On failure the block keeps what it held.
    int getRuntimeData();
    // The same fetch into `block` (set to the reply on success, untouched otherwise).
    int fetchRuntimeData(std::vector<unsigned char>& block);
    // The reply to "A" carries no check byte: it is taken only after the line
    // stayed quiet for a window of at least `leastMs` (never less than 3
    // character times), wider when the line shows longer gaps.
    void setQuietMs(int leastMs);
    int quietWindowMs() const { return quiet.ms(); }
    // Whether bytes came after a block handed over, before the next request
    // (see EcuLink::previousWithdrawn); told once.
    bool takeWithdrawal();
    // Replies to "A" that the last fetch refused (wrong length).
    int refusedLastFetch() const { return refusedInFetch; }
    // 11, 12 or 13; -1 when no mode answered; or a port error of the first probe.
    int detectMode();
    // The target on success, -1 when the ECU ended up elsewhere, or a port error.
    int switchToMode(int target);
    // One probe: 0 when the reply starts with the signature, 1 when not, or an error.
    int genericTest(const char* command, const char* signature, int mode);
    // Only traces; the port stays open.
    void close();

    // The reply length the next fetch expects: 56 at first. With a declared
    // block size that is the length, always. Otherwise a reply of 41..74
    // bytes that is long enough for every channel (`channelsEnd`) and came
    // twice in a row is taken as the new length: noise or a stall rarely
    // spoils two replies alike.
    int getExpectedLength() const { return expectedLength; }
    void setBlockSize(int declared, int channelsEnd);
    // Whether the ECU was found in mode 12 since the port was last opened and
    // has not failed a fetch attempt since.
    bool isIdentified() const;
    // Whether any mode's signature answered during the last fetch, and
    // whether anything at all came from the line.
    bool ecuAnsweredLastFetch() const { return answeredInFetch; }
    bool lineTalkedLastFetch() const { return heardInFetch; }
    SerialPortHandler* getPort() const { return sp; }
    // "Boot", "Megatune", "Man" for the modes, texts for the port errors, else "Unknown".
    wxString getStatusText(int code) const;
    const char* getSignature(int mode) const;

private:
    int switchStep(const char* command, int dropBytes, int expectedMode);
    void adoptLength(int received);
    // Withdraws the block handed over last when bytes came after it.
    void lookAfterBlock();
    void withdrawBlock();
    void trace(const char* format, ...) __attribute__((format(printf, 2, 3)));

    SerialPortHandler* sp;
    std::unordered_map<int, std::string> signatures;
    std::unordered_map<int, int> baudRates;
    int expectedLength = kInitialReplyLength;
    int declaredBlockSize = 0;
    int channelsEnd = 0;
    int candidateLength = 0; // the last odd length seen, waiting to come again
    int identifiedOpen = -1; // the port's open count when mode 12 last answered
    bool answeredInFetch = false;
    bool heardInFetch = false;
    QuietWindow quiet;
    bool blockOpen = false; // a block was handed over; its request's successor not sent yet
    bool withdrawn = false;
    int refusedInFetch = 0;
    std::string command = "A";
    int attemptLimit = 5;
    std::unordered_map<int, wxString> statusTexts;
};
