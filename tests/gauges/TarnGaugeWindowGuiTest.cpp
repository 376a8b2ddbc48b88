// The dial as a window: class information, popup menu, description choice,
// availability, mouse wheel, double click shape, close, selector.
#include "dispatch/GaugeUpdater.h"
#include "gauges/GaugeValueSelector.h"
#include "tests/gauges/GuiClick.h"
#include "tests/gauges/TarnGaugeFixture.h"
#include "tests/support/FakeInput.h"
#include "tests/support/WaitFor.h"

#include <wx/button.h>
#include <wx/listbox.h>
#include <wx/stattext.h>
#include <wx/timer.h>
#include <wx/uiaction.h>
#include <wx/weakref.h>

#include <set>
#include <string>

namespace {

class DialWindow : public DialFixture {
protected:
    // rpm, map, clt, and two descriptions titled "Dup" (symbols a and b).
    void AddFive()
    {
        Add(RpmDesc());
        Add(PlainDesc("map", "Manifold", 0, 250));
        Add(PlainDesc("clt", "Coolant", -40, 120));
        Add(PlainDesc("a", "Dup", 0, 10));
        Add(PlainDesc("b", "Dup", 0, 20));
    }
    void Connect(std::set<wxString> served)
    {
        input = std::make_unique<FakeInput>();
        for (const wxString& name : served)
            input->served[name] = 0.0;
        dispatcher.SetInput(input.get());
        dispatcher.AddGauge(gauge);
        gauge->m_dispatcher = &dispatcher;
    }
    void SendMenu(int id)
    {
        wxCommandEvent event(wxEVT_MENU, id);
        event.SetEventObject(gauge);
        gauge->ProcessWindowEvent(event);
    }
    void SendWheel(int rotation)
    {
        wxMouseEvent event(wxEVT_MOUSEWHEEL);
        event.m_wheelRotation = rotation;
        event.m_wheelDelta = 120;
        event.SetEventObject(gauge);
        gauge->ProcessWindowEvent(event);
    }
    void SendDoubleClick()
    {
        wxMouseEvent event(wxEVT_LEFT_DCLICK);
        event.SetEventObject(gauge);
        gauge->ProcessWindowEvent(event);
    }
    static void PressOk(GaugeValueSelector* selector)
    {
        wxButton* ok = dynamic_cast<wxButton*>(selector->FindWindow("ID_BUTTON1"));
        ASSERT_NE(ok, nullptr);
        wxCommandEvent press(wxEVT_BUTTON, ok->GetId());
        press.SetEventObject(ok);
        ok->ProcessWindowEvent(press);
    }
    // Submenu item ids in list order.
    std::vector<int> ItemIds()
    {
        std::vector<int> ids;
        for (wxMenuItem* item : gauge->GetSnapshot().menu->GetSubMenu()->GetMenuItems())
            ids.push_back(item->GetId());
        return ids;
    }

    GaugeUpdater dispatcher;
    std::unique_ptr<FakeInput> input;
};

TEST_F(DialWindow, ClassInformationAndCreation)
{
    AddFive();
    testing::internal::CaptureStderr();
    MakeGauge();
    const std::string err = testing::internal::GetCapturedStderr();
    // The shape mask follows the parent's width; no description takes the 0.0 yet.
    EXPECT_NE(err.find("setSize: 240\n"), std::string::npos) << err;
    EXPECT_NE(err.find("m_gd is NULL! \n"), std::string::npos) << err;
    EXPECT_STREQ(gauge->GetClassInfo()->GetClassName(), L"TarnGauge");
    const wxClassInfo* info = wxClassInfo::FindClass("TarnGauge");
    ASSERT_NE(info, nullptr);
    EXPECT_STREQ(info->GetBaseClassName1(), L"wxControl");
    EXPECT_TRUE(gauge->IsKindOf(wxCLASSINFO(wxControl)));
    EXPECT_EQ(gauge->GetName(), "control");
    EXPECT_EQ(gauge->GetBackgroundColour(), *wxWHITE);
    EXPECT_EQ(gauge->GetBackgroundStyle(), wxBG_STYLE_PAINT);
    EXPECT_FALSE(gauge->GetSnapshot().hasShape);
    EXPECT_TRUE(gauge->GetSnapshot().needsRebuild);
    EXPECT_EQ(gauge->GetSnapshot().desc, nullptr);
    EXPECT_TRUE(log.contains("TarnGauge::TarnGauge() START"));
    EXPECT_TRUE(log.contains("TarnGauge::TarnGauge() END"));
    ASSERT_NE(gauge->GetSelector(), nullptr);
    EXPECT_FALSE(gauge->GetSelector()->IsShown());

    // The run-time class makes an uncreated gauge.
    wxObject* made = info->CreateObject();
    TarnGauge* blank = wxDynamicCast(made, TarnGauge);
    ASSERT_NE(blank, nullptr);
    EXPECT_EQ(blank->GetHandle(), nullptr);
    EXPECT_EQ(blank->GetSnapshot().desc, nullptr);
    EXPECT_EQ(blank->GetSnapshot().value, 0.0);
    blank->SetValue(3); // rejected, no crash
    delete blank;
}

TEST_F(DialWindow, TakesTheDescriptionsItIsGiven)
{
    AddFive();
    const GaugeDescList two = {list[0], list[2]}; // rpm, clt
    frame = new wxFrame(nullptr, wxID_ANY, "dial test", wxPoint(0, 0), wxSize(240, 320),
                        wxFRAME_SHAPED | wxBORDER_NONE);
    TarnGauge* own = new TarnGauge(frame, wxID_ANY, wxPoint(15, 5), wxSize(210, 210), false, &two);
    EXPECT_EQ(own->GetSnapshot().menu->GetSubMenu()->GetMenuItemCount(), 2u);
    EXPECT_TRUE(log.contains("m_gaugeDescA->Count() : 2"));
    own->SetDefaultGaugeDesc("clt");
    EXPECT_EQ(own->GetSnapshot().descIndex, 1);
    frame->Destroy();
    frame = nullptr;
    wxTheApp->ProcessIdle();
}

// "Change Gauge To" never needs scrolling: past the rows the screen has, it
// splits into submenus of consecutive descriptions that each fit.
TEST_F(DialWindow, ChangeGaugeToFitsTheScreen)
{
    struct Case {
        int descriptions;
        int rows;                // most rows one menu may have
        std::vector<int> groups; // items per submenu; empty: one flat list
    } cases[] = {{45, 11, {9, 9, 9, 9, 9}}, // 45 on a 240 x 320 screen
                 {45, 28, {23, 22}},        {20, 20, {}}, {21, 20, {11, 10}},
                 {1, 11, {}},               {0, 11, {}}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.descriptions << " in rows of " << c.rows);
        list.clear();
        owned.clear();
        for (int i = 0; i < c.descriptions; ++i)
            Add(PlainDesc(wxString::Format("s%d", i), wxString::Format("Gauge %d", i), 0, 100));
        log.clear();
        MakeGauge();
        gauge->SetMenuRowLimit(c.rows);
        EXPECT_TRUE(log.contains(wxString::Format("m_gaugeDescA->Count() : %d", c.descriptions)));
        wxMenu* sub = gauge->GetSnapshot().menu->GetSubMenu();
        EXPECT_EQ(gauge->GetSnapshot().menu->GetIdMap().size(), size_t(c.descriptions));

        // The description items in order, wherever they sit.
        std::vector<wxMenuItem*> items;
        std::vector<int> groups;
        for (wxMenuItem* item : sub->GetMenuItems()) {
            if (wxMenu* group = item->GetSubMenu()) {
                EXPECT_LE(group->GetMenuItemCount(), size_t(c.rows));
                groups.push_back(int(group->GetMenuItemCount()));
                for (wxMenuItem* inner : group->GetMenuItems())
                    items.push_back(inner);
            } else {
                items.push_back(item);
            }
        }
        EXPECT_LE(sub->GetMenuItemCount(), size_t(std::max(c.rows, 1)));
        EXPECT_EQ(groups, c.groups);
        ASSERT_EQ(items.size(), size_t(c.descriptions));
        for (int i = 0; i < c.descriptions; ++i) {
            SCOPED_TRACE(i);
            EXPECT_TRUE(items[i]->IsCheckable());
            EXPECT_EQ(items[i]->GetItemLabelText(), wxString::Format("Gauge %d", i));
            const MenuIdToDescMap& idMap = gauge->GetSnapshot().menu->GetIdMap();
            const MenuIdToDescMap::const_iterator found = idMap.find(items[i]->GetId());
            ASSERT_TRUE(found != idMap.end());
            EXPECT_EQ(found->second, i);
        }
        // The one shown is marked, and only it, in whichever group it sits.
        if (c.descriptions > 0) {
            gauge->SetDefaultGaugeDesc(c.descriptions - 1);
            for (int i = 0; i < c.descriptions; ++i)
                EXPECT_EQ(items[i]->IsChecked(), i == c.descriptions - 1) << i;
        }
        // The popup: the submenu, a separator and "Close window".
        wxMenu* menu = gauge->GetSnapshot().menu->GetMenu();
        ASSERT_EQ(menu->GetMenuItemCount(), 3u);
        const wxMenuItemList& top = menu->GetMenuItems();
        EXPECT_EQ(top[0]->GetItemLabelText(), "Change Gauge To");
        EXPECT_EQ(top[0]->GetSubMenu(), sub);
        EXPECT_TRUE(top[1]->IsSeparator());
        EXPECT_EQ(top[2]->GetItemLabelText(), "Close window");
        EXPECT_EQ(top[2]->GetId(), TarnGauge::closeId);
        frame->Destroy();
        frame = nullptr;
        wxTheApp->ProcessIdle();
    }
}

// A long list by the file's categories: one submenu each, cut to fit; the
// categories themselves in menus of consecutive ones when they are many.
TEST_F(DialWindow, LongMenusGoByCategory)
{
    const char* const categories[] = {"", "Main", "Main", "Main", "PID", "PID", "CAN"};
    for (int i = 0; i < 7; ++i) {
        std::unique_ptr<TARNGaugeDesc> desc =
            PlainDesc(wxString::Format("s%d", i), wxString::Format("Gauge %d", i), 0, 100);
        desc->setCategory(categories[i]);
        Add(std::move(desc));
    }
    MakeGauge();
    auto labels = [](wxMenu* menu) {
        std::vector<wxString> all;
        for (wxMenuItem* item : menu->GetMenuItems())
            all.push_back(item->GetItemLabelText());
        return all;
    };
    gauge->SetMenuRowLimit(7);
    wxMenu* sub = gauge->GetSnapshot().menu->GetSubMenu();
    EXPECT_EQ(sub->GetMenuItemCount(), 7u) << "all fit: no groups";

    gauge->SetMenuRowLimit(4);
    sub = gauge->GetSnapshot().menu->GetSubMenu();
    EXPECT_EQ(labels(sub), (std::vector<wxString>{"Other gauges", "Main", "PID", "CAN"}));
    EXPECT_EQ(labels(sub->GetMenuItems()[1]->GetSubMenu()),
              (std::vector<wxString>{"Gauge 1", "Gauge 2", "Gauge 3"}));

    gauge->SetMenuRowLimit(3);
    sub = gauge->GetSnapshot().menu->GetSubMenu();
    ASSERT_EQ(sub->GetMenuItemCount(), 2u) << "four categories on shelves of at most three rows";
    wxMenu* first = sub->GetMenuItems()[0]->GetSubMenu();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(labels(first), (std::vector<wxString>{"Other gauges", "Main"}));
    // Choosing still reaches the description behind the item.
    gauge->SetDefaultGaugeDesc(3);
    const wxMenuItem* main2 = first->GetMenuItems()[1]->GetSubMenu()->GetMenuItems()[2];
    EXPECT_TRUE(main2->IsChecked());
    EXPECT_EQ(gauge->GetSnapshot().menu->GetIdMap().find(main2->GetId())->second, 3);
}

TEST_F(DialWindow, AvailabilityFollowsTheInput)
{
    AddFive();
    MakeGauge();
    struct Case {
        const char* what;
        std::set<wxString> served;
        std::vector<bool> enabled; // per submenu item
        std::vector<wxString> titles;
        std::vector<int> indexes;
    } cases[] = {
        {"rpm, clt, b", {"rpm", "clt", "b"}, {true, false, true, true, true},
         {"Engine Speed", "Coolant", "Dup"}, {0, 2, 4}},
        // a is served, b is not: the search by title finds the first "Dup" item
        // both times, so the second answer (disable) wins on it.
        {"a only", {"a"}, {false, false, false, false, true}, {"Dup"}, {3}},
        {"nothing", {}, {false, false, false, false, true}, {}, {}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Connect(c.served);
        gauge->UpdateAvailableGauges();
        const std::vector<int> ids = ItemIds();
        const TarnGauge::Snapshot s = gauge->GetSnapshot();
        for (size_t i = 0; i < ids.size(); ++i) {
            SCOPED_TRACE(i);
            EXPECT_EQ(s.menu->GetSubMenu()->IsEnabled(ids[i]), c.enabled[i]);
        }
        EXPECT_EQ(std::vector<wxString>(s.offeredTitles.begin(), s.offeredTitles.end()), c.titles);
        EXPECT_EQ(std::vector<int>(s.offeredIndexes.begin(), s.offeredIndexes.end()), c.indexes);
    }
    // No input at all, or no dispatcher: nothing is available.
    dispatcher.SetInput(nullptr);
    gauge->UpdateAvailableGauges();
    EXPECT_TRUE(gauge->GetSnapshot().offeredTitles.IsEmpty());
    EXPECT_FALSE(gauge->GetSnapshot().menu->GetSubMenu()->IsEnabled(ItemIds()[0]));
    gauge->m_dispatcher = nullptr;
    gauge->UpdateAvailableGauges();
    EXPECT_TRUE(gauge->GetSnapshot().offeredIndexes.IsEmpty());
}

TEST_F(DialWindow, SelectionByNameAndIndex)
{
    AddFive();
    MakeGauge();
    Render();
    struct ByName {
        const char* name;
        int index;
        bool rebuild;
    } names[] = {{"clt", 2, true}, {"rpm", 0, true}, {"b", 4, true},
                 {"CLT", 0, false}, {"", 0, false},  {"nope", 0, false}};
    for (const ByName& c : names) {
        SCOPED_TRACE(c.name);
        Render(); // clears the rebuild request
        ASSERT_FALSE(gauge->GetSnapshot().needsRebuild);
        log.clear();
        gauge->SetDefaultGaugeDesc(wxString(c.name));
        EXPECT_EQ(gauge->GetSnapshot().descIndex, c.index);
        EXPECT_EQ(gauge->GetSnapshot().desc, list[c.index]);
        EXPECT_EQ(gauge->GetSnapshot().needsRebuild, c.rebuild);
        EXPECT_TRUE(log.containsPrefix(
            wxString::Format("TarnGauge::SetDefaultGaugeDesc ID: %d P: ", c.index)));
        EXPECT_EQ(gauge->GetSnapshot().labels, list[c.index]->GaugeNumbers());
    }
    struct ByIndex {
        int given, used;
    } indexes[] = {{3, 3}, {4, 4}, {5, 0}, {-1, 0}, {99, 0}};
    for (const ByIndex& c : indexes) {
        SCOPED_TRACE(c.given);
        gauge->SetDefaultGaugeDesc(c.given);
        EXPECT_EQ(gauge->GetSnapshot().descIndex, c.used);
        EXPECT_EQ(gauge->GetSnapshot().desc, list[c.used]);
    }
}

TEST_F(DialWindow, SelectorRowsSwitchTheFaceAtOnce)
{
    AddFive();
    MakeGauge();
    gauge->SetDefaultGaugeDesc("rpm");
    Render();
    Connect({"rpm", "clt", "b"});
    gauge->UpdateAvailableGauges(); // rows: rpm, clt, b
    gauge->fullRefreshes = 0;
    log.clear();
    // 7750 rpm (396.56 degrees) on the danger band, between the ticks of
    // both scales: (170.1, 153.3).
    EXPECT_TRUE(IsColour(gauge->GetSnapshot().face.ConvertToImage(), 170, 153, Rgb{255, 0, 0}));

    for (int ignored : {-1, 3, 100}) {
        SCOPED_TRACE(ignored);
        gauge->SetValueIdx(ignored);
        EXPECT_EQ(gauge->GetSnapshot().descIndex, 0);
        EXPECT_TRUE(log.contains(wxString::Format("SetValueIdx recived index: %d", ignored)));
        EXPECT_EQ(gauge->fullRefreshes, 0);
    }
    gauge->SetValueIdx(1);
    EXPECT_EQ(gauge->GetSnapshot().descIndex, 2);
    EXPECT_EQ(gauge->GetSnapshot().desc, list[2]);
    EXPECT_TRUE(log.contains("m_defGaugeId: 2"));
    EXPECT_FALSE(gauge->GetSnapshot().needsRebuild); // face layer only, already redrawn
    EXPECT_EQ(gauge->fullRefreshes, 1);
    // The face layer lost the rpm danger band.
    const wxImage face = gauge->GetSnapshot().face.ConvertToImage();
    EXPECT_TRUE(IsColour(face, 170, 153, Rgb{12, 12, 12}));
    EXPECT_EQ(gauge->GetSymbolName(), "clt");
}

TEST_F(DialWindow, PopupSelectionMarksTheItemAndRebuilds)
{
    AddFive();
    MakeGauge();
    gauge->SetDefaultGaugeDesc("rpm");
    Render();
    const std::vector<int> ids = ItemIds();
    testing::internal::CaptureStderr();
    SendMenu(ids[2]);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find(wxString::Format("TarnGauge::OnPopupMenuSelectSymbol id: %d\n", ids[2])
                           .ToStdString()),
              std::string::npos);
    EXPECT_TRUE(gauge->GetSnapshot().menu->GetSubMenu()->IsChecked(ids[2]));
    EXPECT_FALSE(gauge->GetSnapshot().menu->GetSubMenu()->IsChecked(ids[0]));
    EXPECT_EQ(gauge->GetSnapshot().descIndex, 2);
    EXPECT_TRUE(gauge->GetSnapshot().needsRebuild);
    EXPECT_TRUE(log.contains(list[2]->describe()));
    EXPECT_EQ(gauge->fullRefreshes, 1);

    // The one already shown still rebuilds.
    Render();
    SendMenu(ids[2]);
    EXPECT_TRUE(gauge->GetSnapshot().needsRebuild);
    EXPECT_EQ(gauge->GetSnapshot().descIndex, 2);

    // A second build of the menu reuses its ids (the toolkit has few to
    // give), each for the same position.
    gauge->SetGaugeDescArray(&list);
    EXPECT_EQ(ItemIds(), ids);
    SendMenu(ids[4]);
    EXPECT_EQ(gauge->GetSnapshot().descIndex, 4);
}

TEST_F(DialWindow, CloseWindowUnregistersAndClosesTheParent)
{
    AddFive();
    MakeGauge();
    gauge->SetDefaultGaugeDesc("rpm");
    Connect({"rpm"});
    RecordingGauge* other = new RecordingGauge(frame, wxSize(50, 50), false, &list);
    dispatcher.AddGauge(other);
    ASSERT_EQ(dispatcher.GetGaugeCount(), 2u);
    frame->Show();
    wxWeakRef<wxFrame> parent(frame);
    frame = nullptr; // closed by the gauge
    SendMenu(TarnGauge::closeId);
    EXPECT_EQ(dispatcher.GetGaugeCount(), 1u);
    dispatcher.RemoveGauge(other); // it goes with the frame
    ASSERT_TRUE(WaitFor([&] { return !parent; }));
    dispatcher.SetInput(nullptr);
}

TEST_F(DialWindow, WheelStepsByHundredWithinTheScale)
{
    AddFive();
    MakeGauge();
    gauge->SetDefaultGaugeDesc("rpm");
    Render();
    gauge->SetValue(50);
    struct Step {
        int rotation;
        double want;
    } steps[] = {{-120, 0}, {-120, 0}, {120, 100}, {120, 200}, {240, 300}, {-1, 200}};
    for (const Step& s : steps) {
        SCOPED_TRACE(s.rotation);
        const int before = gauge->fullRefreshes;
        SendWheel(s.rotation);
        EXPECT_EQ(gauge->GetSnapshot().value, s.want);
        EXPECT_EQ(gauge->fullRefreshes, before + 1);
    }
    gauge->SetValue(7950);
    SendWheel(120);
    EXPECT_EQ(gauge->GetSnapshot().value, 8000);
    SendWheel(120);
    EXPECT_EQ(gauge->GetSnapshot().value, 8000);
    SendWheel(-120);
    EXPECT_EQ(gauge->GetSnapshot().value, 7900);
}

TEST_F(DialWindow, DoubleClickTogglesTheCircularShape)
{
    struct Case {
        const char* what;
        long frameStyle;
        bool shapeAccepted;
    } cases[] = {
        {"shaped frame", wxFRAME_SHAPED | wxBORDER_NONE, true},
        {"shaped frame with resize border", wxFRAME_SHAPED | wxRESIZE_BORDER, true},
        {"frame without shapes", wxBORDER_NONE, false},
    };
    AddFive();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        frame = new wxFrame(nullptr, wxID_ANY, "dial test", wxPoint(0, 0), wxSize(240, 320),
                            c.frameStyle);
        gauge = new RecordingGauge(frame, wxSize(210, 210), false, &list);
        gauge->SetDefaultGaugeDesc("rpm");
        Render();

        testing::internal::CaptureStderr();
        SendDoubleClick();
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_NE(err.find("TarnGauge::OnDoubleClick\n"), std::string::npos);
        EXPECT_NE(err.find("TarnGauge::OnDoubleClick: no m_hasShape\n"), std::string::npos);
        EXPECT_NE(err.find("setSize: 210\n"), std::string::npos);
        EXPECT_EQ(gauge->GetSnapshot().hasShape, c.shapeAccepted);
        EXPECT_FALSE(frame->HasFlag(wxRESIZE_BORDER));
        EXPECT_EQ(gauge->GetClientSize(), wxSize(210, 210));
        // The mask: a white disc with black corners.
        const wxImage mask = gauge->GetSnapshot().shape.ConvertToImage();
        EXPECT_EQ(mask.GetWidth(), 210);
        EXPECT_TRUE(IsColour(mask, 105, 105, Rgb{255, 255, 255}));
        EXPECT_TRUE(IsColour(mask, 1, 1, Rgb{0, 0, 0}));
        EXPECT_TRUE(IsColour(mask, 208, 208, Rgb{0, 0, 0}));

        testing::internal::CaptureStderr();
        SendDoubleClick();
        err = testing::internal::GetCapturedStderr();
        EXPECT_FALSE(gauge->GetSnapshot().hasShape);
        if (c.shapeAccepted) {
            EXPECT_NE(err.find("TarnGauge::OnDoubleClick: m_hasShape\n"), std::string::npos);
            EXPECT_TRUE(frame->HasFlag(wxRESIZE_BORDER)); // the rectangle is back
        } else {
            // Refused: the next click tries the shape again, and drops the bit again.
            EXPECT_NE(err.find("TarnGauge::OnDoubleClick: no m_hasShape\n"), std::string::npos);
            EXPECT_FALSE(frame->HasFlag(wxRESIZE_BORDER));
        }
        frame->Destroy();
        frame = nullptr;
        wxTheApp->ProcessIdle();
    }
}

// A new window size rebuilds the dial for it, once, at the next paint; the
// layers grow when the dial outgrows the display they were made for.
TEST_F(DialWindow, ResizeRebuildsTheDialOnceAtTheNewSize)
{
    AddFive();
    MakeGauge();
    gauge->SetDefaultGaugeDesc("rpm");
    Render();
    auto resize = [&](int side) {
        gauge->SetSize(wxSize(side, side));
        wxSizeEvent event(wxSize(side, side), gauge->GetId());
        event.SetEventObject(gauge);
        gauge->ProcessWindowEvent(event);
    };
    log.clear();
    resize(300);
    EXPECT_TRUE(log.contains("TarnGauge::OnSize WINCE:  x=300, y=300"));
    EXPECT_TRUE(gauge->GetSnapshot().needsRebuild);
    EXPECT_EQ(gauge->GetSnapshot().layout.radius, 90) << "rebuilt at the paint, not before";
    Render();
    EXPECT_FALSE(gauge->GetSnapshot().needsRebuild);
    EXPECT_EQ(gauge->GetSnapshot().layout.radius, 135);
    EXPECT_EQ(gauge->GetClientSize(), wxSize(300, 300));
    resize(300); // the same size again: nothing to do
    EXPECT_FALSE(gauge->GetSnapshot().needsRebuild);

    const int beyond = wxGetDisplaySize().y + 100;
    resize(beyond);
    const wxImage image = Render();
    EXPECT_GE(gauge->GetSnapshot().face.GetHeight(), beyond);
    // The bezel's lit right edge and the face at the centre, at the new size.
    EXPECT_TRUE(IsColour(image, beyond / 2, beyond / 2 + beyond / 8, Rgb{12, 12, 12}));
}

// The dial's selector may be destroyed under it (a forced close); the next
// click makes a new one instead of using the old one after its end.
TEST_F(DialWindow, SelectorClosedUnderTheDialIsMadeAgain)
{
    AddFive();
    MakeGauge();
    gauge->SetDefaultGaugeDesc("rpm");
    Connect({"rpm", "clt"});
    frame->Show();
    ASSERT_TRUE(WaitShownOnScreen(gauge));
    ASSERT_TRUE(ClickOn(gauge, wxPoint(150, 150)));
    ASSERT_TRUE(WaitFor([&] { return gauge->GetSelector() && gauge->GetSelector()->IsShown(); }));
    gauge->GetSelector()->Close(true);
    ASSERT_TRUE(WaitFor([&] { return gauge->GetSelector() == nullptr; }, 1000));

    ASSERT_TRUE(ClickOn(gauge, wxPoint(60, 150)));
    ASSERT_TRUE(WaitFor([&] { return gauge->GetSelector() && gauge->GetSelector()->IsShown(); }));
    GaugeValueSelector* selector = gauge->GetSelector();
    ASSERT_EQ(selector->GetListBox()->GetCount(), 2u);
    selector->GetListBox()->SetSelection(1);
    PressOk(selector);
    EXPECT_EQ(gauge->GetSnapshot().descIndex, 2) << "the new selector reports to the dial";
    dispatcher.SetInput(nullptr);
}

// A real click on the dial offers the available titles in the selector; the
// chosen row comes back and switches the gauge. A later click offers afresh.
TEST_F(DialWindow, ClickOffersTheAvailableDescriptions)
{
    AddFive();
    MakeGauge();
    gauge->SetDefaultGaugeDesc("rpm");
    Connect({"rpm", "clt"});
    frame->Show();
    ASSERT_TRUE(WaitShownOnScreen(gauge));
    GaugeValueSelector* selector = gauge->GetSelector();

    ASSERT_TRUE(ClickOn(gauge, wxPoint(150, 150)));
    ASSERT_TRUE(WaitFor([&] { return selector->IsShown(); }));
    wxListBox* listBox = selector->GetListBox();
    ASSERT_EQ(listBox->GetCount(), 2u);
    EXPECT_EQ(listBox->GetString(0), "Engine Speed");
    EXPECT_EQ(listBox->GetString(1), "Coolant");
    // It says which gauge it is for and marks what that gauge shows now.
    EXPECT_TRUE(selector->GetHeading()->IsShown());
    EXPECT_NE(selector->GetHeading()->GetLabelText().Find("dial"), wxNOT_FOUND);
    EXPECT_NE(selector->GetHeading()->GetLabelText().Find("Engine Speed"), wxNOT_FOUND);
    EXPECT_EQ(listBox->GetSelection(), 0);

    listBox->SetSelection(1);
    PressOk(selector);
    EXPECT_EQ(gauge->GetSnapshot().descIndex, 2);
    EXPECT_FALSE(selector->IsShown());

    input->served = {{"map", 0.0}};
    // Elsewhere on the dial, so the two clicks do not make a double click.
    ASSERT_TRUE(ClickOn(gauge, wxPoint(60, 150)));
    ASSERT_TRUE(WaitFor([&] { return selector->IsShown(); }));
    ASSERT_EQ(listBox->GetCount(), 1u);
    EXPECT_EQ(listBox->GetString(0), "Manifold");
    EXPECT_EQ(listBox->GetSelection(), wxNOT_FOUND) << "Coolant is shown, not offered";
    selector->Hide();

    // Without an input the selector says what to do instead of an empty list.
    dispatcher.SetInput(nullptr);
    ASSERT_TRUE(ClickOn(gauge, wxPoint(150, 150)));
    ASSERT_TRUE(WaitFor([&] { return selector->IsShown(); }));
    EXPECT_EQ(listBox->GetCount(), 0u);
    EXPECT_FALSE(listBox->IsShown());
    EXPECT_TRUE(selector->GetHint()->IsShown());
    EXPECT_NE(selector->GetHint()->GetLabelText().Find("Select Input"), wxNOT_FOUND);
    selector->Hide();
}

// A right click re-reads the availability and pops the menu up; Escape closes it.
TEST_F(DialWindow, RightClickPopsUpTheMenu)
{
    AddFive();
    MakeGauge();
    gauge->SetDefaultGaugeDesc("rpm");
    Connect({"clt"});
    frame->Show();
    ASSERT_TRUE(WaitShownOnScreen(gauge));
    bool opened = false;
    gauge->Bind(wxEVT_MENU_OPEN, [&](wxMenuEvent& e) {
        opened = true;
        e.Skip();
    });
    // The popup runs its own loop until it is closed: keep pressing Escape
    // until the click handler has returned.
    wxTimer escape;
    escape.Bind(wxEVT_TIMER, [](wxTimerEvent&) { wxUIActionSimulator().Char(WXK_ESCAPE); });
    escape.Start(400);
    wxUIActionSimulator sim;
    const wxPoint at = gauge->ClientToScreen(wxPoint(100, 100));
    sim.MouseMove(at);
    ASSERT_TRUE(WaitFor([&] { return wxGetMousePosition() == at; }));
    sim.MouseClick(wxMOUSE_BTN_RIGHT);
    const bool traced = WaitFor([&] { return log.contains("OnMouseRightClick"); });
    escape.Stop();
    ASSERT_TRUE(traced);
    EXPECT_TRUE(opened);
    // Availability was re-read on the click: only Coolant is enabled.
    const std::vector<int> ids = ItemIds();
    EXPECT_FALSE(gauge->GetSnapshot().menu->GetSubMenu()->IsEnabled(ids[0]));
    EXPECT_TRUE(gauge->GetSnapshot().menu->GetSubMenu()->IsEnabled(ids[2]));
    EXPECT_EQ(gauge->GetSnapshot().offeredTitles.GetCount(), 1u);
    dispatcher.SetInput(nullptr);
}

} // namespace
