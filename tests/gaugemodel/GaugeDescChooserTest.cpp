#include "gaugemodel/GaugeDescChooser.h"

#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace {

struct Row {
    const char* name;
    const char* symbol;
    const char* title;
};

// Position 1 and 3 share the value "map"; position 2 has a blank title.
const Row kRows[] = {
    {"tach", "rpm", "Engine Speed"},
    {"mapGauge", "map", "MAP"},
    {"cltGauge", "clt", "  "},
    {"mapPsi", "map", "MAP (psi)"},
    {"", "egt", ""},
};

struct Descs {
    Descs()
    {
        for (const Row& r : kRows) {
            owned.push_back(std::make_unique<TARNGaugeDesc>());
            owned.back()->setName(r.name);
            owned.back()->setSymbolName(r.symbol);
            owned.back()->setTitle(r.title);
            list.push_back(owned.back().get());
        }
    }
    std::vector<std::unique_ptr<TARNGaugeDesc>> owned;
    GaugeDescChooser::DescList list;
};

GaugeDescChooser::ServesValue Serving(std::set<wxString> names)
{
    return [names](const wxString& name) { return names.count(name) > 0; };
}

std::vector<wxString> Titles(const GaugeDescChooser& c)
{
    return std::vector<wxString>(c.GetOfferedTitles().begin(), c.GetOfferedTitles().end());
}

} // namespace

TEST(GaugeDescChooser, FindsTheFirstByNameOrSymbol)
{
    Descs d;
    const GaugeDescChooser chooser(&d.list);
    struct Case {
        const char* text;
        int bySymbol, byName;
    } cases[] = {{"map", 1, -1}, {"rpm", 0, -1}, {"mapPsi", -1, 3}, {"MAP", -1, -1},
                 {"tach", -1, 0}, {"", -1, 4},   {"nope", -1, -1}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        EXPECT_EQ(chooser.FindBySymbol(c.text), c.bySymbol);
        EXPECT_EQ(chooser.FindByName(c.text), c.byName);
    }
    const GaugeDescChooser empty;
    EXPECT_EQ(empty.FindBySymbol("rpm"), -1);
    EXPECT_EQ(empty.At(0), nullptr);
}

TEST(GaugeDescChooser, OffersWhatTheInputServesAndMapsRowsBack)
{
    Descs d;
    GaugeDescChooser chooser(&d.list);
    chooser.Offer(Serving({"map", "clt", "egt"}));
    // Blank titles are offered under the entry name, then the value name.
    EXPECT_EQ(Titles(chooser), (std::vector<wxString>{"MAP", "cltGauge", "MAP (psi)", "egt"}));
    struct Case {
        int row, index;
    } rows[] = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {4, -1}, {-1, -1}};
    for (const Case& c : rows) {
        SCOPED_TRACE(c.row);
        EXPECT_EQ(chooser.IndexOfRow(c.row), c.index);
    }
    EXPECT_EQ(chooser.RowOfIndex(3), 2);
    EXPECT_EQ(chooser.RowOfIndex(0), -1) << "rpm is not offered";
    EXPECT_TRUE(chooser.EmptyOfferHint().empty());

    // The list shrank under the old offer: its rows no longer map.
    d.list.resize(2);
    EXPECT_EQ(chooser.IndexOfRow(0), 1);
    EXPECT_EQ(chooser.IndexOfRow(2), -1);
}

TEST(GaugeDescChooser, EmptyOffersSayWhy)
{
    Descs d;
    GaugeDescChooser chooser(&d.list);
    chooser.Offer(Serving({"map"}));
    chooser.Offer(nullptr); // the input went away: the old rows are gone too
    EXPECT_TRUE(chooser.GetOfferedTitles().empty());
    EXPECT_EQ(chooser.IndexOfRow(0), -1);
    const wxString noInput = chooser.EmptyOfferHint();
    chooser.Offer(Serving({"tps"}));
    const wxString nothingServed = chooser.EmptyOfferHint();
    GaugeDescChooser::DescList none;
    chooser.SetList(&none);
    chooser.Offer(Serving({"map"}));
    const wxString noGauges = chooser.EmptyOfferHint();
    EXPECT_NE(noInput.Find("Select Input"), wxNOT_FOUND) << noInput;
    EXPECT_FALSE(nothingServed.empty());
    EXPECT_FALSE(noGauges.empty());
    EXPECT_NE(noInput, nothingServed);
    EXPECT_NE(nothingServed, noGauges);
}
