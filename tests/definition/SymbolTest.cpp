#include "definition/SymbolTable.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

TEST(Symbol, DescribeFollowsKind)
{
    Symbol fresh;

    Symbol bits;
    bits.setIdentity("idleMode", "", true, 1, 7);
    bits.setBits(2, 3, 1, wxArrayString());
    bits.BitFields.Add("off");
    bits.BitFields.Add("on");

    Symbol array;
    array.setIdentity("veTable", "%", true, 2, 10);
    array.setType(false, 1);
    array.setScaling(0.5, 0, 0, 127, 1);
    array.setArray(false, 2, 16, 12);

    Symbol expression;
    expression.setIdentity("ignored", "x", false, 3, 4);
    expression.setExpression("afr", "lambda * 14.7 ");

    struct Case {
        const char* label;
        const Symbol& symbol;
        const char* want;
    } cases[] = {
        {"fresh", fresh,
         "Name :  ; Units :  ;Const : 0 ;PageNo : 0 ;Offset : -1 ; SizeOf : 1 ; Signed : 0 ; "
         "Scale : 1.000000 ; Trans : 0.000000 ; Lo : 0.000000 ; Hi : 0.000000 ; Digits : 0 ; "},
        {"bit field has no scaling part", bits,
         "Name : idleMode ; Units :  ;Const : 1 ;PageNo : 1 ;Offset : 7 ; SizeOf : 1 ; Signed : 0 ; "
         "BitLo : 2 ; BitHi : 3 ; BitOfs : 1 ; BitFields : off, on, "},
        {"array adds its shape", array,
         "Name : veTable ; Units : % ;Const : 1 ;PageNo : 2 ;Offset : 10 ; SizeOf : 1 ; Signed : 0 ; "
         "Scale : 0.500000 ; Trans : 0.000000 ; Lo : 0.000000 ; Hi : 127.000000 ; Digits : 1 ; "
         "xOrder : 0 ; order : 2 ; shape[0] : 16 ; shpae[1] : 12 ; "},
        {"expression says nothing else", expression, "name: afr, expr: lambda * 14.7 "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        EXPECT_EQ(c.symbol.describe(), wxString(c.want));
    }
}

TEST(Symbol, KindsAreTestedInOrder)
{
    Symbol s;
    EXPECT_TRUE(s.isScalarChannel());
    s.setBits(0, 1, 0, wxArrayString());
    EXPECT_TRUE(s.isBitField());
    EXPECT_TRUE(s.isScalarChannel()) << "bit fields decode as plain values";
    s.setArray(true, 1, 12, 1);
    EXPECT_FALSE(s.isScalarChannel());
    s.setExpression("x", "1");
    EXPECT_TRUE(s.isExpression());
}

static Symbol* Named(const char* name, int offset = 0)
{
    Symbol* s = new Symbol;
    s->setIdentity(name, "", false, 0, offset);
    return s;
}

TEST(SymbolTable, DuplicateNameReplacesInMapAndStaysInList)
{
    LogCapture log;
    SymbolTable table;
    Symbol* first = Named("rpm", 0);
    Symbol* second = Named("rpm", 2);
    table.addSymbol("rpm", first);
    table.addSymbol("rpm", second);

    EXPECT_EQ(table.findSymbol("rpm"), second);
    ASSERT_EQ(table.getAllSymbols().size(), 2u);
    EXPECT_EQ(table.getAllSymbols()[0].get(), first);
    EXPECT_EQ(table.getSymbols().size(), 1u);
    EXPECT_TRUE(log.contains("Duplicate Symbol!: rpm"));
}

TEST(SymbolTable, KeysAreExactAndOwnNameCounts)
{
    LogCapture log;
    SymbolTable table;
    table.addSymbol("whatever", Named("RPM"));
    table.addSymbol("rpm", Named("rpm"));
    table.addSymbol("x", nullptr);

    EXPECT_NE(table.findSymbol("RPM"), table.findSymbol("rpm"));
    EXPECT_NE(table.findSymbol("RPM"), nullptr);
    EXPECT_EQ(table.findSymbol("whatever"), nullptr);
    EXPECT_EQ(table.findSymbol("Rpm"), nullptr);
    EXPECT_EQ(table.getAllSymbols().size(), 2u);
    EXPECT_TRUE(log.contains("NULL Symbol!: "));
    EXPECT_FALSE(log.containsPrefix("Duplicate"));
}

TEST(SymbolTable, GaugesAndDatalogEntriesKeepFileOrder)
{
    SymbolTable table;
    for (const char* name : {"b", "a", "b"}) {
        auto desc = std::make_unique<TARNGaugeDesc>();
        desc->setName(name);
        table.addGauge(std::move(desc));
    }
    table.addDatalogEntry("rpm", "RPM", "int", "%d");
    table.addDatalogEntry("map", "MAP", "", "");

    ASSERT_EQ(table.getGauges().size(), 3u);
    EXPECT_EQ(table.getGauges()[0]->getName(), "b");
    EXPECT_EQ(table.getGauges()[1]->getName(), "a");
    ASSERT_EQ(table.getDatalogEntries().size(), 2u);
    EXPECT_EQ(table.getDatalogEntries()[0].d, "%d");
    EXPECT_EQ(table.getDatalogEntries()[1].a, "map");
}

TEST(SymbolTable, InstalledTableIsNeverNull)
{
    SymbolTable* before = currentSymbolTable();
    ASSERT_NE(before, nullptr);
    EXPECT_EQ(before->findSymbol("rpm"), nullptr);
    EXPECT_TRUE(before->getSymbols().empty());

    SymbolTable* loaded = new SymbolTable;
    loaded->addSymbol("rpm", Named("rpm"));
    installSymbolTable(loaded);
    EXPECT_EQ(currentSymbolTable(), loaded);
    EXPECT_NE(currentSymbolTable()->findSymbol("rpm"), nullptr);

    installSymbolTable(nullptr);
    ASSERT_NE(currentSymbolTable(), nullptr);
    EXPECT_EQ(currentSymbolTable()->findSymbol("rpm"), nullptr);
}
