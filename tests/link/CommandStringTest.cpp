#include "link/CommandString.h"

#include <gtest/gtest.h>

TEST(CommandString, BytesAndRefusals)
{
    const struct {
        const char* label;
        const char* text;
        ByteOrder order;
        std::string want; // empty with an error
        const char* error;
    } cases[] = {
        {"plain", "A", ByteOrder::Big, "A", ""},
        {"hex bytes", "r\\x00\\x07\\x00\\x00\\x00\\xA9", ByteOrder::Big,
         std::string("r\0\x07\0\0\0\xA9", 7), ""},
        {"can id, offset and count little-endian", "r\\$tsCanId\\x30%2o%2c", ByteOrder::Little,
         std::string("r\0\x30\x10\0\x82\0", 7), ""},
        {"offset and count big-endian", "O%2o%2c", ByteOrder::Big, std::string("O\0\x10\0\x82", 5), ""},
        {"one-byte forms and percent", "W%o%c%%", ByteOrder::Big, std::string("W\x10\x82%", 4), ""},
        {"backslash", "a\\\\b", ByteOrder::Big, "a\\b", ""},
        {"unknown escape", "r\\q", ByteOrder::Big, "", "bad escape \\q at character 2"},
        {"one hex digit", "\\x4", ByteOrder::Big, "", "\\x needs two hex digits at character 1"},
        {"not hex", "\\xG0", ByteOrder::Big, "", "\\x needs two hex digits at character 1"},
        {"lone backslash", "A\\", ByteOrder::Big, "", "a lone \\ ends the command at character 2"},
        {"other can name", "\\$canId", ByteOrder::Big, "", "bad escape \\$ at character 1"},
        {"page placeholder", "p%2i", ByteOrder::Big, "", "unsupported placeholder %2i at character 2"},
        {"lone percent", "A%", ByteOrder::Big, "", "unsupported placeholder % at character 2"},
        {"count too big for a byte", "%c", ByteOrder::Big, "", "count 300 does not fit in 1 byte at character 1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.label);
        CommandParameters parameters;
        parameters.offset = 16;
        parameters.count = c.text == std::string("%c") ? 300 : 130;
        parameters.order = c.order;
        std::string bytes;
        wxString error;
        const bool ok = parseCommandString(wxString::FromUTF8(c.text), parameters, bytes, error);
        EXPECT_EQ(ok, std::string(c.error).empty()) << error;
        if (ok)
            EXPECT_EQ(bytes, c.want);
        else
            EXPECT_EQ(error.utf8_string(), c.error);
    }
}
