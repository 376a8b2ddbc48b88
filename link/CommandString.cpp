#include "link/CommandString.h"

namespace {

int hexDigit(wxUniChar c)
{
    if (c >= '0' && c <= '9')
        return c.GetValue() - '0';
    if (c >= 'a' && c <= 'f')
        return c.GetValue() - 'a' + 10;
    if (c >= 'A' && c <= 'F')
        return c.GetValue() - 'A' + 10;
    return -1;
}

wxString at(size_t position)
{
    return wxString::Format(" at character %zu", position + 1);
}

// `value` in `width` bytes of `order`; false when it does not fit.
bool putNumber(uint32_t value, int width, ByteOrder order, std::string& bytes)
{
    if (width == 1 ? value > 0xFF : value > 0xFFFF)
        return false;
    if (width == 1) {
        bytes += static_cast<char>(value);
    } else if (order == ByteOrder::Big) {
        bytes += static_cast<char>(value >> 8);
        bytes += static_cast<char>(value & 0xFF);
    } else {
        bytes += static_cast<char>(value & 0xFF);
        bytes += static_cast<char>(value >> 8);
    }
    return true;
}

void addByte(CommandTemplate& command, char byte)
{
    if (command.pieces.empty() || command.pieces.back().kind != CommandPiece::Bytes)
        command.pieces.push_back(CommandPiece());
    command.pieces.back().bytes += byte;
}

} // namespace

bool CommandTemplate::asksForPart() const
{
    for (const CommandPiece& piece : pieces)
        if (piece.kind != CommandPiece::Bytes)
            return true;
    return false;
}

size_t CommandTemplate::length() const
{
    size_t n = 0;
    for (const CommandPiece& piece : pieces)
        n += piece.kind == CommandPiece::Bytes ? piece.bytes.size() : static_cast<size_t>(piece.width);
    return n;
}

bool parseCommandTemplate(const wxString& text, uint8_t canId, CommandTemplate& command,
                          wxString& error, const std::string* pageIdentifier)
{
    static const wxString canIdName = wxS("$tsCanId");
    command.pieces.clear();
    const size_t n = text.length();
    for (size_t i = 0; i < n; ++i) {
        const wxUniChar c = text[i];
        if (c == '\\') {
            if (i + 1 >= n) {
                error = "a lone \\ ends the command" + at(i);
                return false;
            }
            const wxUniChar e = text[i + 1];
            if (e == '\\') {
                addByte(command, '\\');
                ++i;
            } else if (e == 'x') {
                const int high = i + 2 < n ? hexDigit(text[i + 2]) : -1;
                const int low = i + 3 < n ? hexDigit(text[i + 3]) : -1;
                if (high < 0 || low < 0) {
                    error = "\\x needs two hex digits" + at(i);
                    return false;
                }
                addByte(command, static_cast<char>(high << 4 | low));
                i += 3;
            } else if (text.compare(i + 1, canIdName.length(), canIdName) == 0) {
                addByte(command, static_cast<char>(canId));
                i += canIdName.length();
            } else {
                error = "bad escape \\" + wxString(e) + at(i);
                return false;
            }
        } else if (c == '%') {
            size_t j = i + 1;
            int width = 1;
            if (j < n && text[j] == '2') {
                width = 2;
                ++j;
            }
            const wxUniChar kind = j < n ? text[j] : wxUniChar(0);
            if (kind == '%' && width == 1) {
                addByte(command, '%');
            } else if (kind == 'o' || kind == 'c') {
                CommandPiece piece;
                piece.kind = kind == 'o' ? CommandPiece::Offset : CommandPiece::Count;
                piece.width = width;
                piece.position = i;
                command.pieces.push_back(piece);
            } else if (kind == 'i' && pageIdentifier) {
                if (pageIdentifier->size() != static_cast<size_t>(width)) {
                    error = wxString::Format("the page identifier has %zu bytes where %s takes %d",
                                             pageIdentifier->size(), text.substr(i, j + 1 - i),
                                             width) +
                            at(i);
                    return false;
                }
                for (char byte : *pageIdentifier)
                    addByte(command, byte);
            } else {
                error = "unsupported placeholder " + text.substr(i, j + 1 - i) + at(i);
                return false;
            }
            i = j;
        } else if (c.GetValue() > 0xFF) {
            error = "character U+" + wxString::Format("%04X", unsigned(c.GetValue())) +
                    " is not a byte" + at(i);
            return false;
        } else {
            addByte(command, static_cast<char>(c.GetValue()));
        }
    }
    return true;
}

bool fillCommand(const CommandTemplate& command, uint32_t offset, uint32_t count,
                 ByteOrder order, std::string& bytes, wxString& error)
{
    bytes.clear();
    for (const CommandPiece& piece : command.pieces) {
        if (piece.kind == CommandPiece::Bytes) {
            bytes += piece.bytes;
            continue;
        }
        const bool isOffset = piece.kind == CommandPiece::Offset;
        const uint32_t value = isOffset ? offset : count;
        if (!putNumber(value, piece.width, order, bytes)) {
            error = wxString::Format("%s %u does not fit in %d byte%s", isOffset ? "offset" : "count",
                                     value, piece.width, piece.width == 1 ? "" : "s") +
                    at(piece.position);
            return false;
        }
    }
    return true;
}

bool parseCommandString(const wxString& text, const CommandParameters& parameters,
                        std::string& bytes, wxString& error)
{
    CommandTemplate command;
    bytes.clear();
    return parseCommandTemplate(text, parameters.canId, command, error) &&
           fillCommand(command, parameters.offset, parameters.count, parameters.order, bytes,
                       error);
}
