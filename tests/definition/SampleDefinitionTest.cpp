// The shipped sample definition file: other parts (the simulator, the sample
// datalog, the default gauges) are built against its layout.
#include "definition/IniParser.h"

#include <gtest/gtest.h>
#include <wx/log.h>

#include <memory>
#include <set>
#include <string>
#include <vector>

namespace {

const int kBlockSize = 56;

class SampleDefinition : public testing::Test {
protected:
    void SetUp() override
    {
        wxLogNull quiet;
        int result = -99;
        table.reset(loadDefinitionFileFrom(TARN_SAMPLE_DIR "/tarnv3.ini", &warnings, &result));
        ASSERT_EQ(result, 0);
    }

    std::vector<const Symbol*> channels(bool expressions) const
    {
        std::vector<const Symbol*> list;
        for (const auto& s : table->getAllSymbols())
            if (!s->Const && s->isExpression() == expressions)
                list.push_back(s.get());
        return list;
    }

    std::unique_ptr<SymbolTable> table;
    wxArrayString warnings;
};

// The identifiers of an expression, as the evaluator reads names.
std::vector<std::string> Identifiers(const std::string& text)
{
    std::vector<std::string> names;
    for (size_t i = 0; i < text.size();) {
        if (isalpha(static_cast<unsigned char>(text[i]))) {
            size_t j = i;
            while (j < text.size() && (isalnum(static_cast<unsigned char>(text[j])) || text[j] == '_'))
                ++j;
            names.push_back(text.substr(i, j - i));
            i = j;
        } else {
            ++i;
        }
    }
    return names;
}

} // namespace

TEST_F(SampleDefinition, LoadsWithoutWarnings)
{
    for (const wxString& w : warnings)
        ADD_FAILURE() << w;
    EXPECT_GE(table->getGauges().size(), 12u);
    EXPECT_FALSE(table->getDatalogEntries().empty());
}

TEST_F(SampleDefinition, ScalarChannelsOthersRelyOn)
{
    const struct {
        const char* name;
        int sizeOf;
        bool isSigned;
        double scale;
    } cases[] = {
        {"secl", 1, false, 1},          {"rpm", 2, false, 1},         {"map", 2, false, 0.1},
        {"baro", 2, false, 0.1},        {"mat", 2, false, 0.1},       {"coolant", 2, false, 0.1},
        {"tps", 2, false, 0.1},         {"batteryVoltage", 2, false, 0.01},
        {"pulseWidth", 2, false, 0.001}, {"spark", 2, true, 0.1},     {"dwell", 1, false, 0.1},
        {"afr", 1, false, 0.1},         {"egoCorrection", 2, false, 0.1},
        {"knockRetard", 1, false, 0.1}, {"vss", 1, false, 1},         {"gear", 1, false, 1},
        {"oilPressure", 2, false, 0.1}, {"fuelPressure", 2, false, 0.1},
        {"idleDuty", 1, false, 0.5},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const Symbol* s = table->findSymbol(c.name);
        ASSERT_NE(s, nullptr);
        EXPECT_FALSE(s->Const);
        EXPECT_TRUE(s->isScalarChannel());
        EXPECT_EQ(s->SizeOf, c.sizeOf);
        EXPECT_EQ(s->Signed, c.isSigned);
        EXPECT_EQ(s->Scale, c.scale);
    }
    // The dashboard reads CELSIUS as set.
    EXPECT_EQ(table->findSymbol("coolant")->Units, wxString::FromUTF8("\xC2\xB0" "C"));
    EXPECT_EQ(table->findSymbol("coolant")->Trans, -400);
}

TEST_F(SampleDefinition, ChannelsFitTheBlockWithoutOverlap)
{
    std::vector<int> owner(kBlockSize, -1);
    const auto scalars = channels(false);
    for (size_t i = 0; i < scalars.size(); ++i) {
        const Symbol* s = scalars[i];
        SCOPED_TRACE(s->Name.utf8_string());
        EXPECT_TRUE(s->SizeOf == 1 || s->SizeOf == 2); // what the decoding reads
        ASSERT_GE(s->Offset, 0);
        ASSERT_LE(s->Offset + s->SizeOf, kBlockSize);
        for (int b = s->Offset; b < s->Offset + s->SizeOf; ++b) {
            EXPECT_EQ(owner[b], -1) << "byte " << b;
            owner[b] = int(i);
        }
    }
}

TEST_F(SampleDefinition, ExpressionsReadScalarChannelsAndUseEveryOperator)
{
    std::string all;
    for (const char* name : {"lambda", "boost", "dutyCycle"}) {
        SCOPED_TRACE(name);
        const Symbol* s = table->findSymbol(name);
        ASSERT_NE(s, nullptr);
        EXPECT_TRUE(s->isExpression());
    }
    for (const Symbol* s : channels(true)) {
        const std::string text = s->expr.utf8_string();
        SCOPED_TRACE(text);
        all += text + " ";
        for (const std::string& name : Identifiers(text)) {
            const Symbol* used = table->findSymbol(name);
            ASSERT_NE(used, nullptr) << name;
            EXPECT_TRUE(used->isScalarChannel() && !used->Const) << name;
        }
    }
    // "<" and ">" count only where they are not part of a shift.
    std::string compares = all;
    for (const char* shift : {"<<", ">>"})
        for (size_t at; (at = compares.find(shift)) != std::string::npos;)
            compares.replace(at, 2, "  ");
    for (const char* op : {"+", "-", "*", "/", "?", ":", "(", ")", "<<", ">>"})
        EXPECT_NE(all.find(op), std::string::npos) << op;
    for (const char* op : {"<", ">"})
        EXPECT_NE(compares.find(op), std::string::npos) << op;
    for (const char* missing : {"<=", ">=", "==", "!=", "&&", "||", "%"})
        EXPECT_EQ(all.find(missing), std::string::npos) << missing;
}

TEST_F(SampleDefinition, GaugesAreSensible)
{
    std::set<std::string> shown;
    for (const TARNGaugeDesc* g : table->getGauges()) {
        SCOPED_TRACE(g->getName().utf8_string());
        shown.insert(g->getSymbolName().utf8_string());
        EXPECT_NE(table->findSymbol(g->getSymbolName()), nullptr);
        EXPECT_LT(g->getMinValue(), g->getMaxValue());
        // Bands in order inside the range: min, low danger, low warning,
        // high warning, high danger, max.
        const auto& r = g->getRanges();
        ASSERT_EQ(r.size(), 4u);
        const double limits[] = {g->getMinValue(), r[0].hi, r[1].hi, r[2].lo, r[2].hi, g->getMaxValue()};
        for (int i = 0; i < 5; ++i)
            EXPECT_LE(limits[i], limits[i + 1]) << "limit " << i;
        EXPECT_GT(g->getMajorDivisions(), 0);
        EXPECT_GT(g->getMinorDivisions(), 0);
    }
    for (const char* name : {"rpm", "map", "spark", "lambda", "dwell"})
        EXPECT_EQ(shown.count(name), 1u) << name;

    const TARNGaugeDesc* tach = table->getGauges()[0];
    EXPECT_EQ(tach->getSymbolName(), "rpm");
    EXPECT_EQ(tach->getMinValue(), 0);
    EXPECT_EQ(tach->getMaxValue(), 8000);
    EXPECT_EQ(tach->getScaleFactor(), 1000);
}
