#pragma once
// The ECU's own serial protocol as a link: one fetch is one runtime data
// request of TarnProtocol, with its mode detection and switching.
#include "link/EcuLink.h"

class TarnProtocol;

class TarnLink : public EcuLink {
public:
    // The protocol is not owned. The block's declared size (0 when not
    // declared) and where its last channel ends anchor the reply length; they
    // are handed to the protocol on the worker's thread, at the first fetch.
    TarnLink(TarnProtocol& protocol, int declaredBlockSize, int channelsEnd);

    int fetch(std::vector<unsigned char>& block, const StateReport& report) override;
    void interrupt() override;
    void resume() override;

private:
    TarnProtocol& protocol;
    int declaredBlockSize;
    int channelsEnd;
    bool anchored = false;
    LinkState current;
};
