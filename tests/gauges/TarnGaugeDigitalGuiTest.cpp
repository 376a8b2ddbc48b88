#include "gauges/TarnGaugeDigital.h"

#include "dispatch/GaugeUpdater.h"
#include "tests/gauges/GuiClick.h"
#include "tests/support/FakeInput.h"
#include "tests/support/LogCapture.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/frame.h>
#include <wx/listbox.h>
#include <wx/stattext.h>

#include <limits>
#include <map>
#include <memory>
#include <vector>

namespace {

struct DescRow {
    const char* symbol;
    const char* title;
    const char* units;
    double lo, hi;
};

// Positions matter: the gauge identifies a description by its list position.
const DescRow kDescs[] = {
    {"rpm", "Engine Speed", "RPM", 0, 8000},      // 0: span 8000 -> "%.0f"
    {"map", "MAP", "kPa", 0, 255},                // 1: span 255  -> "%3.1f"
    {"spark", "Spark Advance", "deg", -10, 50},   // 2: span 60   -> "%2.2f"
    {"lambda", "Lambda", "", 0.5, 1.5},           // 3: span 1    -> "%1.2f"
    {"dwell", "Dwell", "ms", 0, 10},              // 4: span 10   -> "%1.2f"
    {"egt", "A&F", "x&y", 0, 0.05},               // 5: span 0.05 -> "%.0f"
    {"map", "MAP twin", "psi", 0, 30},            // 6: a second description of "map"
};

std::vector<std::unique_ptr<TARNGaugeDesc>> MakeDescs(const DescRow* rows, size_t count)
{
    std::vector<std::unique_ptr<TARNGaugeDesc>> descs;
    for (size_t i = 0; i < count; ++i) {
        auto d = std::make_unique<TARNGaugeDesc>();
        d->setName(wxString(rows[i].symbol) + "Gauge");
        d->setSymbolName(rows[i].symbol);
        d->setTitle(rows[i].title);
        d->setUnits(rows[i].units);
        d->setMinValue(rows[i].lo);
        d->setMaxValue(rows[i].hi);
        descs.push_back(std::move(d));
    }
    return descs;
}

std::vector<wxString> Items(wxListBox* list)
{
    std::vector<wxString> items;
    for (unsigned i = 0; i < list->GetCount(); ++i)
        items.push_back(list->GetString(i));
    return items;
}

size_t CountOf(const LogCapture& log, const wxString& text)
{
    size_t n = 0;
    for (const wxString& line : log.messages())
        n += line == text;
    return n;
}

class DigitalGaugeTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        owned = MakeDescs(kDescs, WXSIZEOF(kDescs));
        for (const auto& d : owned)
            descs.push_back(d.get());
        input.served = {{"rpm", 3456.7}, {"map", 98.76}, {"lambda", 0.987}, {"dwell", 3.14159}};
        updater.SetInput(&input);
        frame = new wxFrame(nullptr, wxID_ANY, "digital host", wxPoint(400, 400), wxSize(240, 80));
        frame->Show();
    }
    void TearDown() override
    {
        frame->Destroy();
        wxTheApp->ProcessIdle();
    }
    TarnGaugeDigital* MakeGauge(const char* symbol, int width = 118)
    {
        auto* gauge = new TarnGaugeDigital(frame, &descs, symbol, 1, 5, width);
        gauge->Bind(wxEVT_PAINT, [this, gauge](wxPaintEvent& e) {
            ++paints[gauge];
            e.Skip();
        });
        gauge->m_dispatcher = &updater;
        updater.AddGauge(gauge);
        return gauge;
    }
    void DropGauge(TarnGaugeDigital* gauge)
    {
        updater.RemoveGauge(gauge);
        gauge->Destroy();
    }
    static wxStaticText* Text(TarnGaugeDigital* gauge, const char* name)
    {
        return dynamic_cast<wxStaticText*>(gauge->FindWindow(name));
    }
    static wxPoint CentreOf(TarnGaugeDigital* gauge, const char* name)
    {
        const wxRect r = gauge->FindWindow(name)->GetRect();
        return wxPoint(r.x + r.width / 2, r.y + r.height / 2);
    }
    static wxString Title(TarnGaugeDigital* g) { return Text(g, "ID_STATICTEXT1")->GetLabelText(); }
    static wxString Value(TarnGaugeDigital* g) { return Text(g, "ID_STATICTEXT2")->GetLabelText(); }
    static wxString Units(TarnGaugeDigital* g) { return Text(g, "ID_STATICTEXT3")->GetLabelText(); }

    // The texts take their final place only when the gauge is first drawn;
    // a click before that may land on the wrong one.
    bool WaitPainted(TarnGaugeDigital* gauge)
    {
        return WaitFor([this, gauge] { return paints[gauge] > 0; });
    }
    // A point of the gauge that none of its texts covers.
    static wxPoint BareSpot(TarnGaugeDigital* gauge)
    {
        const wxSize size = gauge->GetClientSize();
        for (int y = size.y - 1; y >= 0; --y)
            for (int x = 0; x < size.x; ++x) {
                bool covered = false;
                for (const char* name : {"ID_STATICTEXT1", "ID_STATICTEXT2", "ID_STATICTEXT3"})
                    covered = covered || gauge->FindWindow(name)->GetRect().Contains(x, y);
                if (!covered)
                    return wxPoint(x, y);
            }
        return wxPoint(-1, -1);
    }
    // Clicks the gauge (a bare spot of it) and waits for its selector.
    bool OpenSelector(TarnGaugeDigital* gauge)
    {
        if (!WaitPainted(gauge) || !ClickOn(gauge, BareSpot(gauge)))
            return false;
        return WaitFor([gauge] { return gauge->GetSelector() && gauge->GetSelector()->IsShown(); });
    }

    // Keeps the gauges' trace away from the toolkit's default log target, which
    // would open a message box; tests capture their own lines on top of it.
    LogCapture background;
    std::map<wxWindow*, int> paints;
    FakeInput input;
    GaugeUpdater updater;
    wxFrame* frame = nullptr;
    std::vector<std::unique_ptr<TARNGaugeDesc>> owned;
    GaugeDescList descs;
};

} // namespace

// Whether `text` shows whole: its label is the given text, and the text at
// its font fits its window, which lies inside the gauge.
::testing::AssertionResult ShowsWhole(TarnGaugeDigital* gauge, wxStaticText* text,
                                      const wxString& want)
{
    if (text->GetLabelText() != want)
        return ::testing::AssertionFailure() << "shows '" << text->GetLabelText() << "'";
    int w = 0, h = 0;
    const wxFont font = text->GetFont();
    text->GetTextExtent(want, &w, &h, nullptr, nullptr, &font);
    const wxRect box = text->GetRect();
    if (w > box.width || h > box.height)
        return ::testing::AssertionFailure() << w << "x" << h << " text in a " << box.width << "x"
                                             << box.height << " window";
    if (!wxRect(gauge->GetClientSize()).Contains(box))
        return ::testing::AssertionFailure() << "window sticks out of the gauge";
    return ::testing::AssertionSuccess();
}

// Title on top, digits below it, units in the lower right corner: apart from
// each other, inside the gauge, each text whole, at any width.
TEST_F(DigitalGaugeTest, TextsNeverOverlapNorGetCut)
{
    for (int width : {118, 160, 236, 345, 832, 60}) {
        SCOPED_TRACE(width);
        TarnGaugeDigital* gauge = MakeGauge("spark", width); // "Spark Advance", "deg"
        EXPECT_EQ(gauge->GetSize(), wxSize(width, int(width * 0.31666666666666665)));
        gauge->SetValue(-9.87);
        wxStaticText* title = Text(gauge, "ID_STATICTEXT1");
        wxStaticText* value = Text(gauge, "ID_STATICTEXT2");
        wxStaticText* units = Text(gauge, "ID_STATICTEXT3");
        EXPECT_FALSE(title->GetRect().Intersects(value->GetRect()));
        EXPECT_FALSE(value->GetRect().Intersects(units->GetRect()));
        EXPECT_FALSE(title->GetRect().Intersects(units->GetRect()));
        EXPECT_LT(value->GetRect().GetRight() + 1, units->GetRect().x) << "digits touch the units";
        if (width >= 118) {
            EXPECT_TRUE(ShowsWhole(gauge, title, "Spark Advance"));
            EXPECT_TRUE(ShowsWhole(gauge, value, "-9.87"));
            EXPECT_TRUE(ShowsWhole(gauge, units, "deg")); // the "g" keeps its tail
        }
        for (wxStaticText* text : {title, value, units}) {
            EXPECT_TRUE(text->GetWindowStyleFlag() & wxST_NO_AUTORESIZE);
            EXPECT_TRUE(wxRect(gauge->GetClientSize()).Contains(text->GetRect()));
        }
        EXPECT_EQ(value->GetFont().GetFaceName(), "7 Segment");
        EXPECT_TRUE(value->GetWindowStyleFlag() & wxALIGN_RIGHT);
        DropGauge(gauge);
    }
}

// A number wider than the gauge is shown smaller, never without a digit; one
// that fits at no size shows the overflow mark. The digits keep one size for
// the whole range of the description.
TEST_F(DigitalGaugeTest, NumbersNeverLoseADigit)
{
    TarnGaugeDigital* gauge = MakeGauge("rpm"); // 0..8000, "%.0f"
    wxStaticText* value = Text(gauge, "ID_STATICTEXT2");
    gauge->SetValue(8000);
    const int rangeSize = value->GetFont().GetPointSize();
    struct Case {
        double v;
        const char* shown;
    } cases[] = {{6064, "6064"}, {1000, "1000"}, {0, "0"}, {99999999, "99999999"},
                 {-1e300, TarnGaugeDigital::kOverflowMark}, {7999.6, "8000"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.shown);
        gauge->SetValue(c.v);
        EXPECT_TRUE(ShowsWhole(gauge, value, c.shown));
        if (c.v >= 0 && c.v <= 8000) {
            EXPECT_EQ(value->GetFont().GetPointSize(), rangeSize);
        }
    }
    gauge->SetValue(99999999);
    EXPECT_LT(value->GetFont().GetPointSize(), rangeSize);
    EXPECT_GE(value->GetFont().GetPointSize(), TarnGaugeDigital::kSmallestDigitPoints);
}

// A new size lays the texts out again at once, fonts included.
TEST_F(DigitalGaugeTest, ResizeLaysTheTextsOutAgain)
{
    TarnGaugeDigital* gauge = MakeGauge("map");
    gauge->SetValue(98.76);
    const int small = Text(gauge, "ID_STATICTEXT2")->GetFont().GetPointSize();
    gauge->SetSize(wxSize(354, 112));
    EXPECT_GT(Text(gauge, "ID_STATICTEXT2")->GetFont().GetPointSize(), 2 * small);
    EXPECT_TRUE(ShowsWhole(gauge, Text(gauge, "ID_STATICTEXT2"), "98.8"));
    EXPECT_TRUE(ShowsWhole(gauge, Text(gauge, "ID_STATICTEXT1"), "MAP"));
}

TEST_F(DigitalGaugeTest, WindowIdentityColoursAndBorder)
{
    TarnGaugeDigital* gauge = MakeGauge("map");
    TarnGaugeDigital* other = MakeGauge("dwell");
    EXPECT_TRUE(gauge->IsKindOf(wxCLASSINFO(TarnGaugeDigital)));
    EXPECT_TRUE(gauge->IsKindOf(wxCLASSINFO(wxControl)));
    EXPECT_EQ(gauge->GetName(), "control");
    EXPECT_EQ(gauge->GetWindowStyleFlag() & wxBORDER_MASK, wxBORDER_NONE);
    EXPECT_EQ(Text(gauge, "ID_STATICTEXT2")->GetForegroundColour(), wxColour(0, 0, 255));
    EXPECT_EQ(Text(gauge, "ID_STATICTEXT3")->GetForegroundColour(), wxColour(30, 75, 24));
    EXPECT_NE(Text(gauge, "ID_STATICTEXT1")->GetFont(), Text(gauge, "ID_STATICTEXT2")->GetFont())
        << "the title keeps the default font";

    const char* names[] = {"ID_STATICTEXT1", "ID_STATICTEXT2", "ID_STATICTEXT3"};
    for (const char* name : names) {
        SCOPED_TRACE(name);
        EXPECT_EQ(Text(gauge, name)->GetId(), Text(other, name)->GetId()) << "ids shared by all gauges";
    }
    EXPECT_NE(Text(gauge, names[0])->GetId(), Text(gauge, names[1])->GetId());
    EXPECT_NE(Text(gauge, names[1])->GetId(), Text(gauge, names[2])->GetId());

    ASSERT_NE(gauge->GetSelector(), nullptr);
    EXPECT_EQ(gauge->GetSelector()->GetParent(), gauge);
    EXPECT_FALSE(gauge->GetSelector()->IsShown());
    EXPECT_NE(gauge->GetSelector(), other->GetSelector()) << "one selector per gauge";
}

TEST_F(DigitalGaugeTest, StartsWithTheDescriptionOfItsSymbol)
{
    struct Case {
        const char* symbol;
        int id;
        const char* title;
        const char* units;
        const char* value; // 0 in the description's value format
    } cases[] = {
        {"map", 1, "MAP", "kPa", "0.0"},                  // first of two "map" descriptions
        {"dwell", 4, "Dwell", "ms", "0.00"},
        {"spark", 2, "Spark Advance", "deg", "0.00"},
        {"lambda", 3, "Lambda", "", "0.00"},
        {"egt", 5, "A&F", "x&y", "0"},                    // '&' shown as written
        {"nosuch", 0, "Engine Speed", "RPM", "0"},        // unknown: the first description
        {"MAP", 0, "Engine Speed", "RPM", "0"},           // names compare case-sensitively
        {"", 0, "Engine Speed", "RPM", "0"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.symbol);
        LogCapture log;
        TarnGaugeDigital* gauge = MakeGauge(c.symbol);
        EXPECT_EQ(gauge->GetDefaultGaugeId(), c.id);
        EXPECT_EQ(gauge->GetSymbolName(), kDescs[c.id].symbol);
        EXPECT_EQ(Title(gauge), c.title);
        EXPECT_EQ(Units(gauge), c.units);
        EXPECT_EQ(Value(gauge), c.value);
        EXPECT_TRUE(log.contains(wxString::Format("TarnGaugeDigital::SetDefaultGaugeDesc ID: %i P: %p",
                                                  c.id, descs[c.id])));
        DropGauge(gauge);
    }
}

TEST_F(DigitalGaugeTest, ValueFormatFollowsTheSpan)
{
    struct Case {
        const char* symbol;
        double value;
        const char* want;
    } cases[] = {
        {"rpm", 1234.25, "1234"},   {"rpm", 7999.6, "8000"},   {"map", 123.456, "123.5"},
        {"map", -0.04, "-0.0"},     {"spark", -5.678, "-5.68"}, {"lambda", 0.987, "0.99"},
        {"dwell", 9.999, "10.00"},  {"egt", 0.04, "0"},
        {"map", std::numeric_limits<double>::infinity(), "inf"},
        {"rpm", -std::numeric_limits<double>::infinity(), "-inf"},
        {"spark", std::numeric_limits<double>::quiet_NaN(), "---"}, // no value
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.symbol << " " << c.value);
        TarnGaugeDigital* gauge = MakeGauge(c.symbol);
        gauge->SetValue(c.value);
        EXPECT_EQ(Value(gauge), c.want);
        DropGauge(gauge);
    }
}

TEST_F(DigitalGaugeTest, RefreshSymbolTakesOnlyItsOwnName)
{
    TarnGaugeDigital* gauge = MakeGauge("map");
    gauge->SetValue(42.0);
    struct Case {
        const char* label;
        std::vector<std::pair<const char*, double>> entries;
        const char* want;
    } cases[] = {
        {"other names only", {{"rpm", 1000}, {"dwell", 2}}, "42.0"},
        {"empty map", {}, "42.0"},
        {"name in another case", {{"MAP", 77}}, "42.0"},
        {"own name", {{"rpm", 1000}, {"map", 101.25}}, "101.2"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ValueMap values;
        for (const auto& e : c.entries)
            values[e.first] = e.second;
        gauge->RefreshSymbol(values);
        EXPECT_EQ(Value(gauge), c.want);
    }
}

TEST_F(DigitalGaugeTest, SetDefaultGaugeDescFallsBackToTheFirst)
{
    TarnGaugeDigital* gauge = MakeGauge("map");
    gauge->SetValue(12.5);
    struct Case {
        int index, want;
    } cases[] = {{4, 4}, {6, 6}, {7, 0}, {-1, 0}, {3, 3}, {1000, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        gauge->SetDefaultGaugeDesc(c.index);
        EXPECT_EQ(gauge->GetDefaultGaugeId(), c.want);
        EXPECT_EQ(Title(gauge), kDescs[c.want].title);
        EXPECT_EQ(Units(gauge), kDescs[c.want].units);
        EXPECT_EQ(gauge->GetSymbolName(), kDescs[c.want].symbol);
        EXPECT_EQ(Value(gauge), "12.5") << "the value waits for the next SetValue";
    }
}

TEST_F(DigitalGaugeTest, ClickOnGaugeOrAnyTextOpensTheSelector)
{
    TarnGaugeDigital* gauge = MakeGauge("map");
    // The value text reaches below the gauge's 37 px and the units text
    // overlaps its right end; these points hit one window each.
    struct Case {
        const char* label;
        wxPoint at; // gauge client coordinates
        bool viaText;
    } cases[] = {
        {"bare gauge", BareSpot(gauge), false},
        {"title", CentreOf(gauge, "ID_STATICTEXT1"), true},
        {"value", CentreOf(gauge, "ID_STATICTEXT2"), true},
        {"units", CentreOf(gauge, "ID_STATICTEXT3"), true},
    };
    const std::vector<wxString> want = {"Engine Speed", "MAP", "Lambda", "Dwell", "MAP twin"};
    ASSERT_TRUE(WaitPainted(gauge));
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        gauge->GetSelector()->Hide();
        LogCapture log;
        ASSERT_TRUE(ClickOn(gauge, c.at));
        ASSERT_TRUE(WaitFor([&] { return gauge->GetSelector()->IsShown(); }));
        EXPECT_EQ(Items(gauge->GetSelector()->GetListBox()), want);
        EXPECT_EQ(CountOf(log, "TarnGaugeDigital::OnLeftDown"), 1u);
        EXPECT_EQ(CountOf(log, "wxStaticTextEx::OnLeftDown"), c.viaText ? 1u : 0u);
    }
}

TEST_F(DigitalGaugeTest, QuickSecondTapOpensAgain)
{
    // A user who closes the selector and taps again at once makes a double click.
    TarnGaugeDigital* gauge = MakeGauge("map");
    ASSERT_TRUE(WaitPainted(gauge));
    struct Case {
        const char* label;
        wxPoint at;
    } cases[] = {{"bare gauge", BareSpot(gauge)}, {"value text", CentreOf(gauge, "ID_STATICTEXT2")}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(ClickOn(gauge, c.at));
        ASSERT_TRUE(WaitFor([&] { return gauge->GetSelector()->IsShown(); }));
        gauge->GetSelector()->Hide();
        LogCapture log;
        ASSERT_TRUE(ClickOn(gauge, c.at));
        EXPECT_TRUE(WaitFor([&] { return gauge->GetSelector()->IsShown(); }));
        EXPECT_EQ(CountOf(log, "TarnGaugeDigital::OnLeftDown"), 1u);
        gauge->GetSelector()->Hide(); // the rows' points lie too far apart for a double click
    }
}

TEST_F(DigitalGaugeTest, ChoosingARowSwitchesAtOnce)
{
    TarnGaugeDigital* gauge = MakeGauge("map");
    updater.Update();
    ASSERT_EQ(Value(gauge), "98.8");
    ASSERT_TRUE(OpenSelector(gauge));
    GaugeValueSelector* selector = gauge->GetSelector();

    LogCapture log;
    ASSERT_TRUE(ClickOn(selector->GetListBox(), RowCentre(selector->GetListBox(), 2))); // "Lambda"
    ASSERT_TRUE(WaitFor([&] { return !selector->IsShown(); }));
    EXPECT_EQ(gauge->GetDefaultGaugeId(), 3);
    EXPECT_EQ(gauge->GetSymbolName(), "lambda");
    EXPECT_EQ(Title(gauge), "Lambda");
    EXPECT_EQ(Units(gauge), "");
    EXPECT_EQ(Value(gauge), "98.8") << "the value follows at the next tick";
    EXPECT_TRUE(log.contains("SetValueIdx recived index: 2"));
    EXPECT_TRUE(log.contains("m_defGaugeId: 3"));

    updater.Update();
    EXPECT_EQ(Value(gauge), "0.99");
}

TEST_F(DigitalGaugeTest, CancelAndEmptyOkLeaveTheGauge)
{
    TarnGaugeDigital* gauge = MakeGauge("dwell");
    struct Case {
        const char* label;
        const char* button;
        bool unmark;          // take the mark off the row shown before OK
        const char* indexLog; // SetValueIdx's line, if it is called
    } cases[] = {{"Cancel", "ID_BUTTON2", false, nullptr},
                 {"OK with no row", "ID_BUTTON1", true, "SetValueIdx recived index: -1"},
                 {"OK on the marked row", "ID_BUTTON1", false, "SetValueIdx recived index: 3"}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        ASSERT_TRUE(OpenSelector(gauge));
        GaugeValueSelector* selector = gauge->GetSelector();
        // Offered: rpm, map, lambda, dwell, map twin; dwell is shown.
        EXPECT_EQ(selector->GetListBox()->GetSelection(), 3);
        if (c.unmark)
            selector->GetListBox()->SetSelection(wxNOT_FOUND);
        LogCapture log;
        ASSERT_TRUE(ClickOn(selector->FindWindow(c.button)));
        ASSERT_TRUE(WaitFor([&] { return !selector->IsShown(); }));
        EXPECT_EQ(gauge->GetDefaultGaugeId(), 4);
        EXPECT_EQ(Title(gauge), "Dwell");
        EXPECT_EQ(log.containsPrefix("SetValueIdx"), c.indexLog != nullptr);
        if (c.indexLog) {
            EXPECT_TRUE(log.contains(c.indexLog));
        }
        EXPECT_EQ(log.containsPrefix("m_defGaugeId"), !c.unmark && c.indexLog != nullptr);
    }
}

TEST_F(DigitalGaugeTest, SetValueIdxOutsideTheOfferIsIgnored)
{
    TarnGaugeDigital* gauge = MakeGauge("spark");
    const int beforeAnyOffer[] = {0, -1};
    for (int index : beforeAnyOffer) {
        SCOPED_TRACE(index);
        gauge->SetValueIdx(index);
        EXPECT_EQ(gauge->GetDefaultGaugeId(), 2);
    }

    input.served = {{"dwell", 1}, {"rpm", 2}}; // offer: rows 0 -> position 0, 1 -> 4
    ASSERT_TRUE(OpenSelector(gauge));
    gauge->GetSelector()->Hide();
    struct Case {
        int index, want;
    } cases[] = {{2, 2}, {-1, 2}, {1, 4}, {-2, 4}, {0, 0}, {1000, 0}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        gauge->SetValueIdx(c.index);
        EXPECT_EQ(gauge->GetDefaultGaugeId(), c.want);
        EXPECT_EQ(Title(gauge), kDescs[c.want].title);
    }
}

TEST_F(DigitalGaugeTest, EachClickOffersAFreshList)
{
    TarnGaugeDigital* gauge = MakeGauge("map");
    struct Case {
        const char* label;
        std::map<wxString, double> served;
        std::vector<wxString> want;
    } cases[] = {
        {"all but spark and egt", input.served, {"Engine Speed", "MAP", "Lambda", "Dwell", "MAP twin"}},
        {"fewer names: replaced, not appended", {{"spark", 1}}, {"Spark Advance"}},
        {"the input serves none", {}, {}},
        {"more again", {{"egt", 1}, {"rpm", 1}}, {"Engine Speed", "A&F"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        input.served = c.served;
        ASSERT_TRUE(OpenSelector(gauge));
        EXPECT_EQ(Items(gauge->GetSelector()->GetListBox()), c.want);
        ASSERT_TRUE(ClickOn(gauge->GetSelector()->FindWindow("ID_BUTTON2")));
        ASSERT_TRUE(WaitFor([&] { return !gauge->GetSelector()->IsShown(); }));
    }

    // The rows map to the latest offer: row 1 of {"Engine Speed", "A&F"} is egt.
    ASSERT_TRUE(OpenSelector(gauge));
    gauge->SetValueIdx(1);
    EXPECT_EQ(gauge->GetSymbolName(), "egt");
}

TEST_F(DigitalGaugeTest, WithoutInputOrDispatcherTheListIsEmpty)
{
    struct Case {
        const char* label;
        bool dropInput, dropDispatcher;
    } cases[] = {{"no input selected", true, false}, {"not registered", false, true}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        TarnGaugeDigital* gauge = MakeGauge("map");
        updater.SetInput(c.dropInput ? nullptr : &input);
        if (c.dropDispatcher)
            gauge->m_dispatcher = nullptr;
        ASSERT_TRUE(OpenSelector(gauge)) << "the selector opens, empty";
        EXPECT_EQ(gauge->GetSelector()->GetListBox()->GetCount(), 0u);
        gauge->SetValueIdx(0);
        EXPECT_EQ(gauge->GetDefaultGaugeId(), 1);
        DropGauge(gauge);
    }
}

TEST_F(DigitalGaugeTest, ClosedSelectorIsReused)
{
    TarnGaugeDigital* gauge = MakeGauge("map");
    ASSERT_TRUE(OpenSelector(gauge));
    GaugeValueSelector* first = gauge->GetSelector();
    first->Close(); // the caption's close box
    wxTheApp->ProcessIdle();
    ASSERT_EQ(gauge->GetSelector(), first);
    EXPECT_FALSE(first->IsShown());

    ASSERT_TRUE(OpenSelector(gauge));
    EXPECT_EQ(gauge->GetSelector(), first);
    EXPECT_EQ(first->GetListBox()->GetCount(), 5u);

    // A forced close destroys it; the next click makes a new one.
    first->Close(true);
    ASSERT_TRUE(WaitFor([&] { return gauge->GetSelector() == nullptr; }, 1000));
    ASSERT_TRUE(OpenSelector(gauge));
    EXPECT_EQ(gauge->GetSelector()->GetListBox()->GetCount(), 5u);
    ASSERT_TRUE(ClickOn(gauge->GetSelector()->GetListBox(), RowCentre(gauge->GetSelector()->GetListBox(), 4)));
    ASSERT_TRUE(WaitFor([&] { return !gauge->GetSelector()->IsShown(); }));
    EXPECT_EQ(gauge->GetDefaultGaugeId(), 6) << "the new selector reports to the gauge";
}

TEST_F(DigitalGaugeTest, EmptyDescriptionListShowsAnEmptyFace)
{
    descs.clear();
    TarnGaugeDigital* gauge = MakeGauge("map");
    auto expectEmpty = [&](const char* after) {
        SCOPED_TRACE(after);
        EXPECT_EQ(Title(gauge), "");
        EXPECT_EQ(Value(gauge), "");
        EXPECT_EQ(Units(gauge), "");
        EXPECT_EQ(gauge->GetSymbolName(), "");
    };
    expectEmpty("construction");
    gauge->SetValue(12.0);
    expectEmpty("SetValue");
    gauge->SetDefaultGaugeDesc(0);
    expectEmpty("SetDefaultGaugeDesc");
    gauge->SetValueIdx(0);
    expectEmpty("SetValueIdx");
    updater.Update(); // the dispatcher enters the empty name; the input cannot serve it
    ValueMap withEmptyName;
    withEmptyName[""] = 5.0;
    gauge->RefreshSymbol(withEmptyName);
    expectEmpty("refresh");

    ASSERT_TRUE(OpenSelector(gauge));
    EXPECT_EQ(gauge->GetSelector()->GetListBox()->GetCount(), 0u);
    ASSERT_TRUE(ClickOn(gauge->GetSelector()->FindWindow("ID_BUTTON1")));
    ASSERT_TRUE(WaitFor([&] { return !gauge->GetSelector()->IsShown(); }));
    expectEmpty("OK on the empty list");
}

TEST_F(DigitalGaugeTest, NoValueShowsDashesAndStaleDigitsAreGrey)
{
    TarnGaugeDigital* gauge = MakeGauge("map");
    const wxColour live(0, 0, 255), grey(128, 128, 128);
    struct Step {
        const char* label;
        double value;
        bool stale;
        const char* text;
        wxColour colour;
    };
    const Step steps[] = {
        {"live", 98.76, false, "98.8", live},
        {"stale keeps the value", 98.76, true, "98.8", grey},
        {"no value at all", RTDataMgr::NoValue(), true, "---", grey},
        {"a fresh value is live at once", 50, false, "50.0", live},
        {"no value while live", RTDataMgr::NoValue(), false, "---", live},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.label);
        gauge->SetValue(s.value);
        gauge->SetStale(s.stale);
        EXPECT_EQ(Value(gauge), s.text);
        EXPECT_EQ(Text(gauge, "ID_STATICTEXT2")->GetForegroundColour(), s.colour);
    }
}
