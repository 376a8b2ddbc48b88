#include "definition/LinkSettings.h"

#include "definition/LineTokenizer.h"

#include <cmath>

const char* const kBuiltInSignature = "TARN Corecard v3";

bool LinkSettings::isBuiltInFirmware() const
{
    return !hasSignature || signature == kBuiltInSignature;
}

bool operator==(const LinkSettings& a, const LinkSettings& b)
{
    return a.queryCommand == b.queryCommand && a.signature == b.signature && a.hasSignature == b.hasSignature &&
           a.versionInfo == b.versionInfo && a.ochGetCommand == b.ochGetCommand &&
           a.ochBlockSize == b.ochBlockSize && a.blockingFactor == b.blockingFactor &&
           a.endianness == b.endianness && a.messageEnvelopeFormat == b.messageEnvelopeFormat &&
           a.blockReadTimeout == b.blockReadTimeout && a.delayAfterPortOpen == b.delayAfterPortOpen &&
           a.interWriteDelay == b.interWriteDelay && a.writeBlocks == b.writeBlocks && a.nPages == b.nPages &&
           a.pageSizes == b.pageSizes && a.pageIdentifiers == b.pageIdentifiers &&
           a.pageReadCommands == b.pageReadCommands && a.pageActivates == b.pageActivates;
}

namespace {

// Characters up to U+00FF are one byte each (the files are ASCII or
// Latin-1); anything wider goes in as UTF-8.
std::string bytesOf(const wxString& text)
{
    std::string bytes;
    for (wxString::const_iterator it = text.begin(); it != text.end(); ++it) {
        const wxUniChar c = *it;
        if (c.GetValue() <= 0xFF)
            bytes += static_cast<char>(c.GetValue());
        else
            bytes += wxString(c).utf8_string();
    }
    return bytes;
}

// A whole number in [lo, hi] as token 1.
bool readWhole(const LineTokenizer& tokens, int32_t lo, int32_t hi, int32_t& value)
{
    if (tokens.type(1) != TokenNumber)
        return false;
    const double v = tokens.number(1);
    if (!(v >= lo && v <= hi) || std::floor(v) != v)
        return false;
    value = static_cast<int32_t>(v);
    return true;
}

// Tokens 1.. as texts, one per page ("a", "b", ...).
std::vector<wxString> textsOf(const LineTokenizer& tokens)
{
    std::vector<wxString> texts;
    for (int i = 1; i < tokens.count(); ++i)
        texts.push_back(tokens.text(i));
    return texts;
}

// pageSize = 128, 288, ...: every size must be possible, or none is taken.
wxString readPageSizes(const LineTokenizer& tokens, std::vector<int32_t>& sizes)
{
    std::vector<int32_t> read;
    for (int i = 1; i < tokens.count(); ++i) {
        const double v = tokens.type(i) == TokenNumber ? tokens.number(i) : -1.0;
        if (!(v >= 1 && v <= LinkSettings::kMaxPageSize) || std::floor(v) != v)
            return wxString::Format("pageSize %s of page %d is impossible: a page holds 1 to %d "
                                    "bytes",
                                    tokens.text(i), i, LinkSettings::kMaxPageSize);
        read.push_back(static_cast<int32_t>(v));
    }
    if (read.empty())
        return "pageSize gives no size";
    sizes.swap(read);
    return wxString();
}

} // namespace

bool readLinkSetting(const LineTokenizer& tokens, LinkSettings& settings, wxString& problem)
{
    problem.clear();
    if (tokens.type(0) != TokenIdent)
        return false;
    const wxString& key = tokens.text(0);
    const wxString& value = tokens.text(1);
    if (key == wxS("queryCommand")) {
        settings.queryCommand = value;
    } else if (key == wxS("versionInfo")) {
        settings.versionInfo = value;
    } else if (key == wxS("ochGetCommand")) {
        settings.ochGetCommand = value;
    } else if (key == wxS("messageEnvelopeFormat")) {
        // Unquoted, msEnvelope_1.0 reads as the word msEnvelope_1 and the number 0.
        settings.messageEnvelopeFormat = value;
        if (tokens.type(1) == TokenIdent && tokens.type(2) == TokenNumber)
            settings.messageEnvelopeFormat += "." + tokens.text(2);
    } else if (key == wxS("signature")) {
        if (tokens.type(1) == TokenNumber) {
            int32_t byte = 0;
            if (!readWhole(tokens, 0, 255, byte)) {
                problem = "signature " + value + " is not a byte (0 to 255)";
                return true;
            }
            settings.signature = std::string(1, static_cast<char>(byte));
        } else {
            settings.signature = bytesOf(value);
        }
        settings.hasSignature = true;
    } else if (key == wxS("endianness")) {
        if (value == wxS("big"))
            settings.endianness = ByteOrder::Big;
        else if (value == wxS("little"))
            settings.endianness = ByteOrder::Little;
        else
            problem = "endianness '" + value + "' is neither big nor little";
    } else if (key == wxS("ochBlockSize")) {
        int32_t size = 0;
        if (readWhole(tokens, 1, LinkSettings::kMaxBlockSize, size))
            settings.ochBlockSize = size;
        else
            problem = wxString::Format("ochBlockSize %s is impossible: a runtime data block holds "
                                       "1 to %d bytes",
                                       value, LinkSettings::kMaxBlockSize);
    } else if (key == wxS("blockingFactor")) {
        int32_t size = 0;
        if (readWhole(tokens, 1, LinkSettings::kMaxBlockSize, size))
            settings.blockingFactor = size;
        else
            problem = wxString::Format("blockingFactor %s is impossible: a read holds 1 to %d bytes",
                                       value, LinkSettings::kMaxBlockSize);
    } else if (key == wxS("nPages")) {
        int32_t pages = 0;
        if (readWhole(tokens, 0, LinkSettings::kMaxPages, pages))
            settings.nPages = pages;
        else
            problem = wxString::Format("nPages %s is impossible: a file has 0 to %d pages", value,
                                       LinkSettings::kMaxPages);
    } else if (key == wxS("pageSize")) {
        problem = readPageSizes(tokens, settings.pageSizes);
    } else if (key == wxS("pageIdentifier")) {
        settings.pageIdentifiers = textsOf(tokens);
    } else if (key == wxS("pageReadCommand")) {
        settings.pageReadCommands = textsOf(tokens);
    } else if (key == wxS("pageActivate")) {
        settings.pageActivates = textsOf(tokens);
    } else if (key == wxS("tsWriteBlocks")) {
        settings.writeBlocks = value == wxS("on");
    } else if (key == wxS("blockReadTimeout") || key == wxS("delayAfterPortOpen") ||
               key == wxS("interWriteDelay")) {
        int32_t ms = 0;
        if (!readWhole(tokens, 0, 600000, ms)) {
            problem = key + " " + value + " is not a time in milliseconds (0 to 600000)";
            return true;
        }
        if (key == wxS("blockReadTimeout"))
            settings.blockReadTimeout = ms;
        else if (key == wxS("delayAfterPortOpen"))
            settings.delayAfterPortOpen = ms;
        else
            settings.interWriteDelay = ms;
    } else {
        return false;
    }
    return true;
}
