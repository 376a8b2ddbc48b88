#include "link/TarnLink.h"

#include "link/TarnProtocol.h"

TarnLink::TarnLink(TarnProtocol& ecuProtocol, int declared, int end, int leastQuietMs)
    : protocol(ecuProtocol), declaredBlockSize(declared), channelsEnd(end), quietMs(leastQuietMs)
{
}

bool TarnLink::previousWithdrawn()
{
    return protocol.takeWithdrawal();
}

int TarnLink::refusedReplies() const
{
    return protocol.refusedLastFetch();
}

int TarnLink::fetch(std::vector<unsigned char>& block, const StateReport& report)
{
    if (!anchored) {
        protocol.setBlockSize(declaredBlockSize, channelsEnd);
        protocol.setQuietMs(quietMs);
        anchored = true;
    }
    SerialPortHandler* port = protocol.getPort();
    // At the start, or when a connected ECU must be found again, say that we
    // look for it. After a failure the state stays until the next outcome,
    // so that it does not flicker with every attempt.
    if (current.kind == LinkState::Idle ||
        (current.kind == LinkState::Connected && !protocol.isIdentified())) {
        current = LinkState();
        current.kind = LinkState::Searching;
        current.device = port ? port->getDevicePath() : std::string();
        if (report)
            report(current);
    }
    const int result = protocol.fetchRuntimeData(block);
    if (result == SerialPortHandler::kInterrupted)
        return result;
    LinkState after;
    after.device = port ? port->getDevicePath() : std::string();
    if (result == 0) {
        after.kind = LinkState::Connected;
        after.baud = port ? port->getBaudRate() : 0;
    } else if (result == SerialPortHandler::kCannotOpen || result == SerialPortHandler::kNoPort) {
        after.kind = LinkState::CannotOpen;
        after.reason = port ? port->getOpenError() : std::string();
    } else if (protocol.ecuAnsweredLastFetch()) {
        after.kind = LinkState::Searching;
    } else {
        after.kind = LinkState::NoReply;
        if (protocol.lineTalkedLastFetch())
            after.reason = "it talks, but not as the ECU";
    }
    if (after != current) {
        current = after;
        if (report)
            report(current);
    }
    return result;
}

void TarnLink::interrupt()
{
    if (SerialPortHandler* port = protocol.getPort())
        port->interrupt();
}

void TarnLink::resume()
{
    if (SerialPortHandler* port = protocol.getPort())
        port->resume();
}
