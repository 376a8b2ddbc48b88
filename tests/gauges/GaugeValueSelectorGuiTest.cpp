#include "gauges/GaugeValueSelector.h"

#include "dispatch/GaugeListener.h"
#include "tests/gauges/GuiClick.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/button.h>
#include <wx/choice.h>
#include <wx/listbox.h>
#include <wx/weakref.h>

#include <vector>

namespace {

class RecordingTarget : public GaugeListener {
public:
    void SetValue(double) override {}
    void RefreshSymbol(const ValueMap&) override {}
    wxString GetSymbolName() override { return wxString(); }
    void SetValueIdx(int index) override { received.push_back(index); }

    std::vector<int> received;
};

class SelectorTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        frame = new wxFrame(nullptr, wxID_ANY, "selector host", wxPoint(300, 300), wxSize(200, 100));
        frame->Show();
        selector = new GaugeValueSelector(frame, wxID_ANY);
        selector->SetTarget(&target);
    }
    void TearDown() override
    {
        frame->Destroy();
        wxTheApp->ProcessIdle();
    }
    wxArrayString Titles(std::initializer_list<const char*> items)
    {
        wxArrayString titles;
        for (const char* item : items)
            titles.Add(item);
        return titles;
    }
    wxButton* Button(const char* name)
    {
        return dynamic_cast<wxButton*>(selector->FindWindow(name));
    }
    wxPoint RowCentre(int row) { return ::RowCentre(selector->GetListBox(), row); }

    wxFrame* frame = nullptr;
    GaugeValueSelector* selector = nullptr;
    RecordingTarget target;
};

} // namespace

TEST_F(SelectorTest, WindowProperties)
{
    EXPECT_FALSE(selector->IsShown()) << "hidden until a gauge offers a list";
    EXPECT_EQ(selector->GetTitle(), "Gauge Value Selector");
    EXPECT_EQ(selector->GetName(), "wxFrame");
    EXPECT_EQ(selector->GetPosition(), wxPoint(35, 40));
    // List 150 x 190 plus 5 px around it; buttons 60 + 60 wide plus 5 px around
    // each, 20 high plus 5 px above and below: the sizer asks 160 x 230.
    EXPECT_EQ(selector->GetMinSize(), wxSize(160, 230));
    EXPECT_EQ(selector->GetClientSize(), wxSize(160, 230)) << "fitted to the sizer, not 170 x 240";

    const long style = selector->GetWindowStyleFlag();
    struct Flag {
        const char* label;
        long flag;
        bool want;
    } flags[] = {{"stay on top", wxSTAY_ON_TOP, true},   {"caption", wxCAPTION, true},
                 {"close box", wxCLOSE_BOX, true},       {"system menu", wxSYSTEM_MENU, true},
                 {"minimize box", wxMINIMIZE_BOX, true}, {"maximize box", wxMAXIMIZE_BOX, true},
                 {"clip children", wxCLIP_CHILDREN, true}, {"resize border", wxRESIZE_BORDER, false}};
    for (const Flag& f : flags) {
        SCOPED_TRACE(f.label);
        EXPECT_EQ((style & f.flag) != 0, f.want);
    }
}

TEST_F(SelectorTest, ChildrenNamesLabelsAndSizes)
{
    wxListBox* list = dynamic_cast<wxListBox*>(selector->FindWindow("ID_LISTBOX1"));
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list, selector->GetListBox());
    EXPECT_EQ(list->GetCount(), 0u);
    EXPECT_EQ(list->GetWindowStyleFlag() & (wxLB_MULTIPLE | wxLB_EXTENDED), 0) << "single selection";
    EXPECT_EQ(list->GetSize(), wxSize(150, 190));
    EXPECT_EQ(list->GetPosition(), wxPoint(5, 5));

    struct Case {
        const char* name;
        const char* label;
        long id;
        wxPoint pos;
    } cases[] = {// the 140 px button row is centred in the 160 px column
                 {"ID_BUTTON1", "OK", GaugeValueSelector::ID_BUTTON1, wxPoint(15, 205)},
                 {"ID_BUTTON2", "Cancel", GaugeValueSelector::ID_BUTTON2, wxPoint(85, 205)}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        wxButton* button = Button(c.name);
        ASSERT_NE(button, nullptr);
        EXPECT_EQ(button->GetLabel(), c.label);
        EXPECT_EQ(button->GetId(), c.id);
        EXPECT_EQ(button->GetSize(), wxSize(60, 20));
        EXPECT_EQ(button->GetPosition(), c.pos);
    }
}

TEST_F(SelectorTest, IdsAreAllocatedOncePerRun)
{
    const long ids[] = {GaugeValueSelector::ID_LISTBOX1, GaugeValueSelector::ID_BUTTON1,
                        GaugeValueSelector::ID_BUTTON2};
    EXPECT_NE(ids[0], ids[1]);
    EXPECT_NE(ids[1], ids[2]);
    EXPECT_NE(ids[0], ids[2]);
    for (long id : ids)
        EXPECT_GT(id, 0) << "drawn from the id generator, not wxID_ANY";

    GaugeValueSelector second(frame, wxID_ANY);
    EXPECT_EQ(second.GetListBox()->GetId(), selector->GetListBox()->GetId());
    EXPECT_EQ(second.FindWindow("ID_BUTTON2")->GetId(), Button("ID_BUTTON2")->GetId());
}

TEST_F(SelectorTest, OfferReplacesTheListAndShows)
{
    selector->Offer(Titles({"Engine Speed", "MAP", "Spark Advance"}));
    EXPECT_TRUE(selector->IsShown());
    selector->GetListBox()->SetSelection(2);
    selector->Hide();

    selector->Offer(Titles({"Dwell"}));
    EXPECT_TRUE(selector->IsShown());
    ASSERT_EQ(selector->GetListBox()->GetCount(), 1u) << "replaced, not appended";
    EXPECT_EQ(selector->GetListBox()->GetString(0), "Dwell");
    EXPECT_EQ(selector->GetListBox()->GetSelection(), wxNOT_FOUND);

    selector->Offer(wxArrayString());
    EXPECT_TRUE(selector->IsShown()) << "an empty offer still opens the window";
    EXPECT_EQ(selector->GetListBox()->GetCount(), 0u);
}

TEST_F(SelectorTest, ButtonsReportTheRowAndHide)
{
    struct Case {
        const char* label;
        const char* button;
        int select; // -1: leave unselected
        std::vector<int> want;
    } cases[] = {
        {"OK with a row", "ID_BUTTON1", 2, {2}},
        {"OK with no row passes -1", "ID_BUTTON1", -1, {-1}},
        {"Cancel tells nothing", "ID_BUTTON2", 1, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.label);
        target.received.clear();
        selector->Offer(Titles({"a", "b", "c"}));
        ASSERT_TRUE(WaitShownOnScreen(selector));
        if (c.select >= 0)
            selector->GetListBox()->SetSelection(c.select);
        ASSERT_TRUE(ClickOn(Button(c.button)));
        EXPECT_TRUE(WaitFor([&] { return !selector->IsShown(); }));
        EXPECT_EQ(target.received, c.want);
    }
}

// A long list with the file's categories: a choice of category above the
// list, which shows that category's titles; the gauge hears the whole row.
TEST_F(SelectorTest, LongListsGoByGroup)
{
    wxArrayString titles, groups;
    for (int i = 0; i < 12; ++i) {
        titles.Add(wxString::Format("t%d", i));
        groups.Add(i < 5 ? "Main" : i < 9 ? "PID" : "Main");
    }
    selector->Offer(titles, 6, "", "", groups);
    ASSERT_TRUE(WaitShownOnScreen(selector));
    ASSERT_NE(selector->GetGroupChoice(), nullptr);
    EXPECT_EQ(selector->GetGroupChoice()->GetCount(), 2u);
    EXPECT_EQ(selector->GetGroupChoice()->GetStringSelection(), "PID") << "the shown one's group";
    EXPECT_EQ(selector->GetListBox()->GetStrings(), Titles({"t5", "t6", "t7", "t8"}));
    EXPECT_EQ(selector->GetListBox()->GetSelection(), 1);
    selector->ShowGroup("Main");
    EXPECT_EQ(selector->GetListBox()->GetStrings(),
              Titles({"t0", "t1", "t2", "t3", "t4", "t9", "t10", "t11"}));
    selector->GetListBox()->SetSelection(5);
    ASSERT_TRUE(ClickOn(Button("ID_BUTTON1")));
    EXPECT_TRUE(WaitFor([&] { return !selector->IsShown(); }));
    EXPECT_EQ(target.received, std::vector<int>{9});

    // Short, or one group only: the plain list.
    selector->Offer(Titles({"a", "b"}), -1, "", "", Titles({"x", "y"}));
    EXPECT_EQ(selector->GetGroupChoice(), nullptr);
    EXPECT_EQ(selector->GetListBox()->GetCount(), 2u);
    selector->Offer(titles, -1, "", "", wxArrayString(12, wxString("Main")));
    EXPECT_EQ(selector->GetGroupChoice(), nullptr);
    EXPECT_EQ(selector->GetListBox()->GetCount(), 12u);
}

TEST_F(SelectorTest, TappingARowChoosesAtOnce)
{
    for (int row : {1, 0, 2}) {
        SCOPED_TRACE(row);
        target.received.clear();
        selector->Offer(Titles({"a", "b", "c"}));
        ASSERT_TRUE(WaitShownOnScreen(selector));
        const wxPoint at = RowCentre(row);
        ASSERT_GE(at.y, 0);
        ASSERT_TRUE(ClickOn(selector->GetListBox(), at));
        ASSERT_TRUE(WaitFor([&] { return !selector->IsShown(); })) << "no OK needed";
        EXPECT_EQ(target.received, std::vector<int>{row}) << "reported once, the tapped row";
    }
}

TEST_F(SelectorTest, ShowingChoosesNothing)
{
    // The list selects a row of its own when it takes the focus; that is not a
    // choice and must neither tell the gauge nor close the window.
    selector->Offer(Titles({"a", "b", "c"}));
    ASSERT_TRUE(WaitShownOnScreen(selector));
    // The focus settles inside the window; a row it selected on the way has
    // been reported by then.
    ASSERT_TRUE(WaitFor([&] {
        wxWindow* focus = wxWindow::FindFocus();
        return focus && wxGetTopLevelParent(focus) == selector;
    }));
    ASSERT_TRUE(WaitForQueuedEvents());
    EXPECT_TRUE(selector->IsShown());
    EXPECT_TRUE(target.received.empty());
    EXPECT_EQ(selector->GetListBox()->GetSelection(), wxNOT_FOUND);
}

TEST_F(SelectorTest, TappingTheSelectedRowChoosesIt)
{
    selector->Offer(Titles({"a", "b", "c"}));
    ASSERT_TRUE(WaitShownOnScreen(selector));
    ASSERT_TRUE(ClickOn(selector->GetListBox(), RowCentre(1)));
    ASSERT_TRUE(WaitFor([&] { return !selector->IsShown(); }));
    target.received.clear();

    selector->Offer(Titles({"a", "b", "c"}));
    ASSERT_TRUE(WaitShownOnScreen(selector));
    selector->GetListBox()->SetSelection(2);
    ASSERT_TRUE(ClickOn(selector->GetListBox(), RowCentre(2)));
    ASSERT_TRUE(WaitFor([&] { return !selector->IsShown(); }));
    EXPECT_EQ(target.received, std::vector<int>{2});
}

TEST_F(SelectorTest, ArrowKeyChoosesTheRowMovedTo)
{
    selector->Offer(Titles({"a", "b", "c"}));
    ASSERT_TRUE(WaitShownOnScreen(selector));
    wxListBox* list = selector->GetListBox();
    // Keys go to the window under the pointer.
    wxUIActionSimulator sim;
    const wxPoint over = list->ClientToScreen(wxPoint(40, list->GetClientSize().y - 5));
    sim.MouseMove(over);
    ASSERT_TRUE(WaitFor([&] { return wxGetMousePosition() == over; }));
    list->SetFocus(); // selects the first row: not a choice
    ASSERT_TRUE(WaitFor([&] { return list->HasFocus(); }));
    ASSERT_TRUE(WaitFor([&] { return list->GetSelection() == 0; }, 500));
    EXPECT_TRUE(selector->IsShown());
    EXPECT_TRUE(target.received.empty());

    sim.Char(WXK_DOWN);
    ASSERT_TRUE(WaitFor([&] { return !selector->IsShown(); }));
    EXPECT_EQ(target.received, std::vector<int>{1});
}

TEST_F(SelectorTest, NoTargetIsHarmless)
{
    selector->SetTarget(nullptr);
    selector->Offer(Titles({"a"}));
    ASSERT_TRUE(WaitShownOnScreen(selector));
    ASSERT_TRUE(ClickOn(Button("ID_BUTTON1")));
    EXPECT_TRUE(WaitFor([&] { return !selector->IsShown(); }));
}

TEST_F(SelectorTest, CloseBoxHidesAndKeepsTheWindow)
{
    wxWeakRef<GaugeValueSelector> alive(selector);
    selector->Offer(Titles({"a", "b"}));
    ASSERT_TRUE(WaitShownOnScreen(selector));

    selector->Close(); // what the caption's close box does
    wxTheApp->ProcessIdle();
    ASSERT_TRUE(alive) << "the gauge reuses its selector";
    EXPECT_FALSE(selector->IsShown());
    EXPECT_TRUE(target.received.empty());

    selector->Offer(Titles({"x"}));
    EXPECT_TRUE(selector->IsShown()) << "the same window opens again";
    EXPECT_EQ(selector->GetListBox()->GetCount(), 1u);
}

TEST_F(SelectorTest, ForcedCloseDestroys)
{
    wxWeakRef<GaugeValueSelector> alive(selector);
    selector->Close(true);
    WaitFor([&] { return !alive; }, 1000);
    EXPECT_FALSE(alive);
}
