#pragma once
// A way of getting runtime data blocks from an ECU over a line. The worker
// (EcuWorker) drives one link on its own thread: it asks for one fetch at a
// time, reports the link's state and stops it; the link hides its protocol.
#include "link/LinkState.h"

#include <functional>
#include <vector>

class EcuLink {
public:
    // Called by the link, on the worker's thread, whenever its state changes
    // during a fetch (e.g. to Searching while it looks for the ECU).
    using StateReport = std::function<void(const LinkState&)>;

    virtual ~EcuLink() = default;

    // One fetch. On success sets `block` to a record that passed every check
    // of the link and returns 0; otherwise leaves `block` alone and returns a
    // negative code. A link opens and reopens its port by itself as needed.
    virtual int fetch(std::vector<unsigned char>& block, const StateReport& report) = 0;

    // Ends a fetch in progress as soon as possible (any thread); every fetch
    // fails at once until resume().
    virtual void interrupt() = 0;
    virtual void resume() = 0;
};
