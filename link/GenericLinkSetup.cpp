#include "link/GenericLinkSetup.h"

#include <algorithm>

GenericLinkSetup setUpGenericLink(const LinkSettings& settings, int32_t size, int baud,
                                  uint8_t canId)
{
    GenericLinkSetup setup;
    auto refuse = [&setup](const std::string& why) {
        if (setup.problem.empty())
            setup.problem = why;
    };
    if (baud <= 0)
        refuse("line speed " + std::to_string(baud) + " baud is impossible");
    if (size <= 0 || size > LinkSettings::kMaxBlockSize)
        refuse("the runtime data block's size " + std::to_string(size) +
               " is impossible (the file gives no usable ochBlockSize)");
    if (!settings.hasSignature || settings.signature.empty())
        refuse("the definition file gives no signature to recognise its firmware by");
    if (settings.queryCommand.empty())
        refuse("the definition file gives no queryCommand to ask for the signature");
    if (settings.ochGetCommand.empty())
        refuse("the definition file gives no ochGetCommand to ask for the runtime data");
    if (!settings.messageEnvelopeFormat.empty() && !settings.isFramed())
        refuse("messageEnvelopeFormat " + settings.messageEnvelopeFormat.utf8_string() +
               " is not supported (msEnvelope_1.0 is)");
    if (!setup.problem.empty())
        return setup;

    wxString error;
    CommandTemplate query;
    if (!parseCommandTemplate(settings.queryCommand, canId, query, error) ||
        !fillCommand(query, 0, static_cast<uint32_t>(size), settings.endianness, setup.queryBytes,
                     error)) {
        refuse("queryCommand " + settings.queryCommand.utf8_string() + ": " + error.utf8_string());
        return setup;
    }
    if (!parseCommandTemplate(settings.ochGetCommand, canId, setup.blockCommand, error)) {
        refuse("ochGetCommand " + settings.ochGetCommand.utf8_string() + ": " +
               error.utf8_string());
        return setup;
    }
    setup.part = size;
    if (setup.blockCommand.asksForPart() && settings.blockingFactor > 0)
        setup.part = std::min(size, settings.blockingFactor);
    // The largest offset and count that will be asked must fit their places.
    std::string bytes;
    const int32_t lastOffset = (size - 1) / setup.part * setup.part;
    if (!fillCommand(setup.blockCommand, static_cast<uint32_t>(lastOffset),
                     static_cast<uint32_t>(setup.part), settings.endianness, bytes, error))
        refuse("ochGetCommand " + settings.ochGetCommand.utf8_string() + ": " +
               error.utf8_string());
    return setup;
}
