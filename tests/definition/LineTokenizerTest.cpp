#include "definition/LineTokenizer.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

namespace {

struct Want {
    TokenType type;
    const char* text;
    double value;
};

void ExpectTokens(const wxString& line, const std::vector<Want>& want,
                  NumberSyntax syntax = NumberSyntax::Plain)
{
    LineTokenizer tokens(syntax);
    EXPECT_EQ(tokens.tokenize(line), int(want.size()));
    ASSERT_EQ(tokens.count(), int(want.size()));
    for (size_t i = 0; i < want.size(); ++i) {
        SCOPED_TRACE(testing::Message() << "token " << i);
        EXPECT_EQ(tokens.type(int(i)), want[i].type);
        EXPECT_EQ(tokens.text(int(i)), wxString::FromUTF8(want[i].text));
        EXPECT_DOUBLE_EQ(tokens.number(int(i)), want[i].value);
    }
}

struct Case {
    const char* label;
    const char* line;
    std::vector<Want> want;
};

void RunCases(const std::vector<Case>& cases, NumberSyntax syntax = NumberSyntax::Plain)
{
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ExpectTokens(wxString::FromUTF8(c.line), c.want, syntax);
    }
}

} // namespace

TEST(LineTokenizer, EntryLines)
{
    RunCases({
        {"scalar constant line",
         "reqFuel = scalar, U08, 10, \"ms\", 0.1, -40",
         {{TokenIdent, "reqFuel", 0}, {TokenIdent, "scalar", 0}, {TokenIdent, "U08", 0},
          {TokenNumber, "10", 10}, {TokenString, "ms", 0}, {TokenNumber, "0.1", 0.1},
          {TokenNumber, "-40", -40}}},
        {"whitespace alone separates", "a b\t7",
         {{TokenIdent, "a", 0}, {TokenIdent, "b", 0}, {TokenNumber, "7", 7}}},
        {"two commas add nothing", "a,,b", {{TokenIdent, "a", 0}, {TokenIdent, "b", 0}}},
        {"two commas with whitespace between", "a, ,b", {{TokenIdent, "a", 0}, {TokenIdent, "b", 0}}},
        {"equals then comma", "a =, b", {{TokenIdent, "a", 0}, {TokenIdent, "b", 0}}},
        {"identifier keeps digits and underscores", "x_1a9 _hidden",
         {{TokenIdent, "x_1a9", 0}, {TokenIdent, "hidden", 0}}},
        {"colon is its own token", "a:b", {{TokenIdent, "a", 0}, {TokenColon, ":", 0}, {TokenIdent, "b", 0}}},
        {"line ending in a separator", "a =", {{TokenIdent, "a", 0}}},
        {"line ending in two separators", "a ,=", {{TokenIdent, "a", 0}}},
        {"empty line", "", {}},
        {"only separators and blanks", " = , , =", {}},
    });
}

TEST(LineTokenizer, QuotesBracketsAndBraces)
{
    RunCases({
        {"section header", "[Constants]", {{TokenBracket, "Constants", 0}}},
        {"bracket keeps inner spaces", "[ 8x8 ]", {{TokenBracket, " 8x8 ", 0}}},
        {"brace holds a semicolon", "v = { a ; b } ; gone",
         {{TokenIdent, "v", 0}, {TokenBrace, " a ; b ", 0}}},
        {"quote keeps separators, hash and semicolon", "\"a, b = #c; d\"",
         {{TokenString, "a, b = #c; d", 0}}},
        {"unterminated quote runs to the end", "u = \"deg C", {{TokenIdent, "u", 0}, {TokenString, "deg C", 0}}},
        {"unterminated bracket runs to the end", "[Const", {{TokenBracket, "Const", 0}}},
        {"unterminated brace runs to the end", "{ a + b", {{TokenBrace, " a + b", 0}}},
        {"first closing bracket ends, no nesting", "[a[b]c]",
         {{TokenBracket, "a[b", 0}, {TokenIdent, "c", 0}}},
        {"first closing brace ends", "{a{b}c}", {{TokenBrace, "a{b", 0}, {TokenIdent, "c", 0}}},
        {"empty quote", "\"\"", {{TokenString, "", 0}}},
        {"lone quote at the end", "a \"", {{TokenIdent, "a", 0}, {TokenString, "", 0}}},
        {"no escapes in quotes", "\"a\\\" b\"",
         {{TokenString, "a\\", 0}, {TokenIdent, "b", 0}, {TokenString, "", 0}}},
        {"non-ASCII text inside quotes", "\"\xC2\xB0" "C\"", {{TokenString, "\xC2\xB0" "C", 0}}},
    });
}

TEST(LineTokenizer, Numbers)
{
    RunCases({
        {"number then comment", "42 ; 17", {{TokenNumber, "42", 42}}},
        {"number directly followed by a comment", "42; 17", {{TokenNumber, "42", 42}}},
        {"lone minus reads 0", "-", {{TokenNumber, "-", 0}}},
        {"two dots: longest number", "1.2.3", {{TokenNumber, "1.2.3", 1.2}}},
        {"exponent is not part of a number", "1e3", {{TokenNumber, "1", 1}, {TokenIdent, "e3", 0}}},
        {"leading dot dropped", ".5", {{TokenNumber, "5", 5}}},
        {"leading plus dropped", "+5", {{TokenNumber, "5", 5}}},
        {"hex is zero then a word", "0x1F", {{TokenNumber, "0", 0}, {TokenIdent, "x1F", 0}}},
        {"minus dot digits", "-.5", {{TokenNumber, "-.5", -0.5}}},
        {"trailing dot", "7.", {{TokenNumber, "7.", 7}}},
        {"minus minus", "--5", {{TokenNumber, "-", 0}, {TokenNumber, "-5", -5}}},
        {"minus inside a word splits it", "a-b", {{TokenIdent, "a", 0}, {TokenNumber, "-", 0}, {TokenIdent, "b", 0}}},
        {"number glued to a word", "12abc", {{TokenNumber, "12", 12}, {TokenIdent, "abc", 0}}},
    });
}

TEST(LineTokenizer, NumbersOfOtherFirmwares)
{
    RunCases(
        {
            {"negative exponent", "1.0E-4", {{TokenNumber, "1.0E-4", 1.0e-4}}},
            {"plain exponent", "1e3", {{TokenNumber, "1e3", 1000}}},
            {"signed exponent, negative number", "-2.5e+2", {{TokenNumber, "-2.5e+2", -250}}},
            {"e without digits is a word", "1e", {{TokenNumber, "1", 1}, {TokenIdent, "e", 0}}},
            {"e with a bare sign", "1e-x",
             {{TokenNumber, "1", 1}, {TokenIdent, "e", 0}, {TokenNumber, "-", 0}, {TokenIdent, "x", 0}}},
            {"no mantissa digit", "-e5", {{TokenNumber, "-", 0}, {TokenIdent, "e5", 0}}},
            {"word, dot, digit", "v_1.0", {{TokenIdent, "v_1", 0}, {TokenNumber, "0", 0}}},
        },
        NumberSyntax::WithExponent);
}

TEST(LineTokenizer, CommentsAndDirectives)
{
    RunCases({
        {"if directive", "#if CELSIUS",
         {{TokenHash, "#", 0}, {TokenIdent, "if", 0}, {TokenIdent, "CELSIUS", 0}}},
        {"directive word may start with a digit", "#if 12X12",
         {{TokenHash, "#", 0}, {TokenIdent, "if", 0}, {TokenIdent, "12X12", 0}}},
        {"directive words ignore semicolons", "#else ; normal",
         {{TokenHash, "#", 0}, {TokenIdent, "else", 0}, {TokenIdent, "normal", 0}}},
        {"odd characters in a directive are dropped", "#define a = \"b(c)\" -1.5",
         {{TokenHash, "#", 0}, {TokenIdent, "define", 0}, {TokenIdent, "a", 0}, {TokenIdent, "b", 0},
          {TokenIdent, "c", 0}, {TokenIdent, "1", 0}, {TokenIdent, "5", 0}}},
        {"line ending in a hash", "a #", {{TokenIdent, "a", 0}, {TokenHash, "#", 0}}},
        {"hash in the middle turns the rest into words", "x = 5 # y, \"z\"",
         {{TokenIdent, "x", 0}, {TokenNumber, "5", 5}, {TokenHash, "#", 0}, {TokenIdent, "y", 0},
          {TokenIdent, "z", 0}}},
        {"comment after whitespace", "a ; b", {{TokenIdent, "a", 0}}},
        {"comment right after a token", "a;b", {{TokenIdent, "a", 0}}},
        {"semicolon right after equals is dropped", "a =;b", {{TokenIdent, "a", 0}, {TokenIdent, "b", 0}}},
        {"semicolon right after comma is dropped", "a ,; 5", {{TokenIdent, "a", 0}, {TokenNumber, "5", 5}}},
        {"whole-line comment", "; a = b", {}},
        {"punctuation makes nothing", "]}.+_!@$%^&*()", {}},
        {"non-ASCII outside quotes makes nothing", "\xC2\xB0 a", {{TokenIdent, "a", 0}}},
    });
}

TEST(LineTokenizer, AccessorsPastTheEnd)
{
    LineTokenizer tokens;
    ASSERT_EQ(tokens.tokenize("a 2 \"s\""), 3);
    for (int i : {3, 5, -1, std::numeric_limits<int>::max()}) {
        SCOPED_TRACE(i);
        EXPECT_EQ(tokens.type(i), TokenNone);
        EXPECT_EQ(tokens.number(i), 0.0);
        EXPECT_EQ(tokens.integer(i), 0);
        EXPECT_TRUE(tokens.text(i).empty());
    }
    EXPECT_EQ(tokens.integer(1), 2);
    // A second line is appended.
    EXPECT_EQ(tokens.tokenize("b"), 4);
    EXPECT_EQ(tokens.text(3), "b");
}

TEST(LineTokenizer, IntegerTruncatesAndClamps)
{
    const double inf = std::numeric_limits<double>::infinity();
    const struct {
        double value;
        int32_t want;
    } cases[] = {
        {2.9, 2},
        {-2.9, -2},
        {-0.5, 0},
        {2147483647.0, 2147483647},
        {2147483647.9, 2147483647},
        {2147483648.0, 2147483647},
        {1e300, 2147483647},
        {inf, 2147483647},
        {-2147483648.0, -2147483647 - 1},
        {-2147483648.9, -2147483647 - 1},
        {-2147483649.0, -2147483647 - 1},
        {-inf, -2147483647 - 1},
        {std::nan(""), 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        EXPECT_EQ(LineTokenizer::toInt32(c.value), c.want);
    }
}

TEST(LineTokenizer, HugeNumbersStayDefined)
{
    LineTokenizer tokens;
    const wxString digits(wxUniChar('9'), 400);
    tokens.tokenize(digits + " -" + digits + " 99999999999");
    ASSERT_EQ(tokens.count(), 3);
    EXPECT_EQ(tokens.number(0), std::numeric_limits<double>::infinity());
    EXPECT_EQ(tokens.integer(0), std::numeric_limits<int32_t>::max());
    EXPECT_EQ(tokens.integer(1), std::numeric_limits<int32_t>::min());
    EXPECT_EQ(tokens.number(2), 99999999999.0);
    EXPECT_EQ(tokens.integer(2), std::numeric_limits<int32_t>::max());
}
