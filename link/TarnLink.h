#pragma once
// The ECU's own serial protocol as a link: one fetch is one runtime data
// request of TarnProtocol, with its mode detection and switching.
#include "link/EcuLink.h"
#include "serial/LineTiming.h"

class TarnProtocol;

class TarnLink : public EcuLink {
public:
    // The protocol is not owned. The block's declared size (0 when not
    // declared) and where its last channel ends anchor the reply length; they
    // are handed to the protocol on the worker's thread, at the first fetch,
    // with the least quiet window after a reply (TarnProtocol::setQuietMs).
    TarnLink(TarnProtocol& protocol, int declaredBlockSize, int channelsEnd,
             int quietMs = kShortestQuietMs);

    int fetch(std::vector<unsigned char>& block, const StateReport& report) override;
    bool previousWithdrawn() override;
    int refusedReplies() const override;
    void interrupt() override;
    void resume() override;

private:
    TarnProtocol& protocol;
    int declaredBlockSize;
    int channelsEnd;
    int quietMs;
    bool anchored = false;
    LinkState current;
};
