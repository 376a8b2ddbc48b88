// The indicator lamps: each in its colours, grey without a value, the lit
// ones first when not all fit.
#include "gauges/IndicatorRow.h"
#include "gauges/PaletteColour.h"

#include "tests/support/FakeInput.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/dcclient.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>

namespace {

Indicator Lamp(const char* expression, LampColour offBack, LampColour onBack)
{
    Indicator lamp;
    lamp.expression = expression;
    lamp.offText = "off";
    lamp.onText = "on";
    lamp.offBackground = offBack;
    lamp.onBackground = onBack;
    return lamp;
}

} // namespace

TEST(IndicatorRow, ColoursByStateAndLitLampsFirst)
{
    const LampColour white{255, 255, 255}, red{255, 0, 0}, green{0, 200, 0}, blue{0, 0, 255};
    const std::vector<Indicator> lamps = {Lamp("a", white, red), Lamp("b", blue, green),
                                          Lamp("c > 1", white, red)};
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "lamps", wxPoint(0, 0), wxSize(300, 60));
    IndicatorRow* row = new IndicatorRow(frame, &lamps);
    row->SetSize(0, 0, 300, 20);
    row->SetGrid(3, 1);
    int paints = 0;
    row->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) { ++paints; e.Skip(); });
    frame->Show();

    FakeInput input;
    input.expressions = {{"a", 0.0}, {"b", 1.0}}; // "c > 1" has no value
    row->TakeValues(&input);
    EXPECT_EQ(row->GetStates(), (std::vector<LampState>{LampState::Off, LampState::On, LampState::NoValue}));
    EXPECT_EQ(row->ShownLamps(), (std::vector<int>{0, 1, 2})) << "all fit: file order";
    row->Update();
    ASSERT_TRUE(WaitFor([&] { return paints > 0; }));

    // A point of each cell away from its text and border.
    wxClientDC screen(row);
    wxBitmap shot(300, 20);
    wxMemoryDC memory(shot);
    memory.Blit(0, 0, 300, 20, &screen, 0, 0);
    memory.SelectObject(wxNullBitmap);
    const wxImage image = shot.ConvertToImage();
    auto colourAt = [&](int x) {
        return wxColour(image.GetRed(x, 10), image.GetGreen(x, 10), image.GetBlue(x, 10));
    };
    EXPECT_EQ(colourAt(4), wxColour(255, 255, 255)) << "a: off";
    EXPECT_EQ(colourAt(104), wxColour(0, 200, 0)) << "b: on";
    EXPECT_EQ(colourAt(204), Colour(DayPalette().noValueLamp.back)) << "c: no value";

    row->SetGrid(1, 1);
    EXPECT_EQ(row->ShownLamps(), (std::vector<int>{1})) << "one place: the lit lamp";
    input.stale = true;
    row->TakeValues(&input, true);
    EXPECT_EQ(row->GetStates(), std::vector<LampState>(3, LampState::NoValue)) << "old values: grey";
    row->TakeValues(nullptr);
    EXPECT_EQ(row->GetStates(), std::vector<LampState>(3, LampState::NoValue));
    frame->Destroy();
    wxTheApp->ProcessIdle();
}
