#include "ecu/CommandString.h"

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

} // namespace

bool parseCommandString(const wxString& text, const CommandParameters& parameters,
                        std::string& bytes, wxString& error)
{
    static const wxString canId = wxS("$tsCanId");
    bytes.clear();
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
                bytes += '\\';
                ++i;
            } else if (e == 'x') {
                const int high = i + 2 < n ? hexDigit(text[i + 2]) : -1;
                const int low = i + 3 < n ? hexDigit(text[i + 3]) : -1;
                if (high < 0 || low < 0) {
                    error = "\\x needs two hex digits" + at(i);
                    return false;
                }
                bytes += static_cast<char>(high << 4 | low);
                i += 3;
            } else if (text.compare(i + 1, canId.length(), canId) == 0) {
                bytes += static_cast<char>(parameters.canId);
                i += canId.length();
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
                bytes += '%';
            } else if (kind == 'o' || kind == 'c') {
                const uint32_t value = kind == 'o' ? parameters.offset : parameters.count;
                if (!putNumber(value, width, parameters.order, bytes)) {
                    error = wxString::Format("%s %u does not fit in %d byte%s",
                                             kind == 'o' ? "offset" : "count", value, width,
                                             width == 1 ? "" : "s") +
                            at(i);
                    return false;
                }
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
            bytes += static_cast<char>(c.GetValue());
        }
    }
    return true;
}
