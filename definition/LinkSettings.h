#pragma once
// What a definition file says about the serial link of its firmware: how to
// recognise it, how to ask for the runtime data block, how big that block is,
// its byte order and framing, and the time limits. Read from [MegaTune],
// [TunerStudio], [Constants] and [OutputChannels] (the files put these keys in
// any of them); command strings are kept as written, escapes and all. Also
// how the pages of constants are read: one entry per page, in page order.
#include <wx/string.h>

#include <cstdint>
#include <string>
#include <vector>

class LineTokenizer;

enum class ByteOrder { Big, Little };

struct LinkSettings {
    wxString queryCommand;
    // Expected reply to the query: the text's bytes, or one byte when the file
    // gives a number.
    std::string signature;
    bool hasSignature = false;
    wxString versionInfo;
    wxString ochGetCommand;
    // Bytes of the runtime data block; 0 when the file gives none (or an
    // impossible one, which the reader refuses with a warning).
    int32_t ochBlockSize = 0;
    // Largest part the firmware hands over in one read; 0 when not limited.
    int32_t blockingFactor = 0;
    ByteOrder endianness = ByteOrder::Big;
    wxString messageEnvelopeFormat;
    // Milliseconds; -1 when the file gives none.
    int32_t blockReadTimeout = -1;
    int32_t delayAfterPortOpen = -1;
    int32_t interWriteDelay = -1;
    // tsWriteBlocks = on: the firmware takes commands whole, so no
    // interWriteDelay is kept between them.
    bool writeBlocks = false;

    // Pages of constants: nPages (0 when the file gives none or an impossible
    // one), then per page its size (pageSize), the bytes that stand for %2i
    // in its commands (pageIdentifier), the command that reads a part of it
    // (pageReadCommand, with %2i, %2o, %2c) and the one sent before it is
    // read (pageActivate). A list the file gives shorter than nPages leaves
    // the pages after it without.
    int32_t nPages = 0;
    std::vector<int32_t> pageSizes;
    std::vector<wxString> pageIdentifiers;
    std::vector<wxString> pageReadCommands;
    std::vector<wxString> pageActivates;

    // The dashboard's own firmware: no signature, or its signature. Its
    // protocol (modes, "A", 9600 baud) applies then, whatever else is set.
    bool isBuiltInFirmware() const;
    bool isFramed() const { return messageEnvelopeFormat == wxS("msEnvelope_1.0"); }

    // Largest block a two-byte count can ask for.
    static constexpr int32_t kMaxBlockSize = 65535;
    // A page's offsets and counts are two-byte numbers too.
    static constexpr int32_t kMaxPageSize = 65535;
    static constexpr int32_t kMaxPages = 255;
};

// Every field alike: a link set up for one serves the other.
bool operator==(const LinkSettings& a, const LinkSettings& b);
inline bool operator!=(const LinkSettings& a, const LinkSettings& b) { return !(a == b); }

extern const char* const kBuiltInSignature; // "TARN Corecard v3"

// Takes the line when token 0 is one of the keys above and returns true;
// `problem` is then non-empty when the value was refused (the setting keeps
// its previous value). Lines with other keys are left alone (false).
bool readLinkSetting(const LineTokenizer& tokens, LinkSettings& settings, wxString& problem);
