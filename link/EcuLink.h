#pragma once
// A way of getting runtime data blocks from an ECU over a line. The worker
// (EcuWorker) drives one link on its own thread: it asks for one fetch at a
// time, reports the link's state and stops it; the link hides its protocol.
#include "link/LinkState.h"

#include <functional>
#include <string>
#include <vector>

class EcuLink {
public:
    // Called by the link, on the worker's thread, whenever its state changes
    // during a fetch (e.g. to Searching while it looks for the ECU).
    using StateReport = std::function<void(const LinkState&)>;

    // A reply refused (CRC, length, status) on a line that works.
    static constexpr int kReplyRefused = -402;

    virtual ~EcuLink() = default;

    // One fetch. On success sets `block` to a record that passed every check
    // of the link and returns 0; otherwise leaves `block` alone and returns a
    // negative code. A link opens and reopens its port by itself as needed.
    virtual int fetch(std::vector<unsigned char>& block, const StateReport& report) = 0;

    // The pages of constants the link reads (the built-in firmware's: none).
    virtual int pageCount() const { return 0; }
    // Reads page `index` (from 0) whole. On success sets `bytes` to it and
    // returns 0; otherwise leaves `bytes` alone, returns a negative code
    // (kReplyRefused when the line still works) and says why in `problem`.
    // `betweenParts` (may be empty) runs between two parts of the page; it
    // may fetch on this link.
    using BetweenParts = std::function<void()>;
    virtual int readPage(int /*index*/, std::vector<unsigned char>& /*bytes*/, std::string& problem,
                         const BetweenParts& /*betweenParts*/ = {})
    {
        problem = "the link reads no pages";
        return -1;
    }

    // Asked after each fetch: whether bytes came after the block handed over
    // before it, ahead of the next request (the fetch looks at its start, a
    // page read at its requests): without a check byte, that block may have
    // been the front of a longer reply, shifted by noise, and must not be
    // used. Told once. A link whose replies carry a check always says no.
    virtual bool previousWithdrawn() { return false; }
    // Replies of the last fetch that came but were refused (noise, length, CRC).
    virtual int refusedReplies() const { return 0; }

    // Ends a fetch in progress as soon as possible (any thread); every fetch
    // fails at once until resume().
    virtual void interrupt() = 0;
    virtual void resume() = 0;
};
