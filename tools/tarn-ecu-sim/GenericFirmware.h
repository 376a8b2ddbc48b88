#pragma once
// A firmware as a definition file describes it, for every file but the
// dashboard's own: it answers queryCommand with the file's signature,
// versionInfo with a title, and ochGetCommand with the part of the runtime
// data block that its offset and count ask for (the whole block when the
// command names no part). The block is taken anew whenever a request starts
// at offset 0, so that the parts of one fetch belong together. Given pages,
// it answers each page's pageReadCommand with the part asked for (status
// 0x02 when framed) and its pageActivate with "ok" (nothing when raw).
//
// Raw bytes, or, when the file says so, every command and reply in the framed
// envelope: there a request with a bad CRC is answered with status 0x82, an
// unknown command with 0x83 and a part beyond the block with 0x84; a raw
// request for a part beyond the block gets no answer. Frame faults of the
// FaultInjector spoil the frames of runtime data.
#include "definition/LinkSettings.h"
#include "link/CommandString.h"
#include "tools/tarn-ecu-sim/FaultInjector.h"
#include "tools/tarn-ecu-sim/SerialFirmware.h"

#include <functional>
#include <string>
#include <vector>

class GenericFirmware : public SerialFirmware {
public:
    using BlockFunction = std::function<std::string()>;

    // Longest request payload taken in the framed envelope.
    static constexpr size_t kLargestRequest = 256;

    // `block` gives a whole block of `blockSize` bytes. problem() tells what
    // makes the settings unusable (then nothing is ever answered).
    // `pages[i]` is page i + 1; none: page commands are unknown.
    GenericFirmware(const LinkSettings& settings, size_t blockSize, int baud, BlockFunction block,
                    FaultInjector& faults, std::vector<std::string> pages = {});

    const std::string& problem() const { return settingsProblem; }

    int lineSpeed() const override { return baud; }
    std::string stateName() const override;
    size_t longestCommand() const override;
    CommandStart match(const uint8_t* bytes, size_t count) const override;
    FirmwareReply serve(const uint8_t* bytes, size_t length, SimLog& log) override;

private:
    enum class Kind { Query, Version, RuntimeData, PageRead, PageActivate };
    struct Known {
        Kind kind;
        CommandTemplate command;
        size_t page = 0;
    };
    struct Found {
        const Known* known = nullptr;
        size_t length = 0;
        uint32_t offset = 0;
        uint32_t count = 0;
        bool prefix = false; // the bytes are the start of some command
    };

    void addCommand(Kind kind, const wxString& text, const char* key, size_t page = 0,
                    const std::string* identifier = nullptr);
    void addPageCommands();
    // The bytes the command asks from: the block or its page.
    size_t sizeOf(const Known& known) const;
    // The command at the start of `bytes`; with `whole`, only one that takes
    // exactly `count` bytes.
    Found find(const uint8_t* bytes, size_t count, bool whole) const;
    // The answer's status and data, or false for no answer.
    bool answer(const Found& found, SimLog& log, uint8_t& status, std::string& data);
    std::string frameReply(uint8_t status, std::string data, bool spoilable, SimLog& log);

    LinkSettings settings;
    size_t blockSize;
    int baud;
    BlockFunction nextBlock;
    FaultInjector& spoiler;
    std::vector<Known> commands;
    std::vector<std::string> pages;
    std::string current; // the block being handed out in parts
    // Where the last part asked for began: a part that does not lie further
    // on starts the next block (a tool may fetch only some parts).
    int64_t lastPartOffset = -1;
    std::string settingsProblem;
};
