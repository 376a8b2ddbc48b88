// Values on the dial: clamping, pointer, readout, invalidated areas, painting,
// and the cases a definition file can make degenerate.
#include "tests/gauges/TarnGaugeFixture.h"
#include "tests/support/WaitFor.h"

#include <wx/dcclient.h>

#include <cstdlib>
#include <limits>

namespace {

const double kInf = std::numeric_limits<double>::infinity();
const double kNaN = std::numeric_limits<double>::quiet_NaN();

class DialValue : public DialFixture {
protected:
    // A 210 x 210 rpm gauge, painted once so that its geometry is set.
    void MakeRpmGauge()
    {
        Add(RpmDesc());
        MakeGauge();
        gauge->SetDefaultGaugeDesc("rpm");
        Render();
        gauge->rects.clear();
        gauge->fullRefreshes = 0;
        log.clear();
    }
    wxSize TextSize(const wxString& text)
    {
        wxMemoryDC measure;
        measure.SetFont(gauge->GetSnapshot().font);
        return measure.GetTextExtent(text);
    }
};

TEST_F(DialValue, PointerStraightUpAtHalfScale)
{
    MakeRpmGauge();
    gauge->SetValue(4000);
    const auto p = gauge->GetSnapshot().pointer;
    EXPECT_EQ(p[0], (DialPoint{-3, -17}));
    EXPECT_EQ(p[1], (DialPoint{0, -81}));
    EXPECT_EQ(p[2], (DialPoint{3, -17}));
}

// The pointer stops at the ends; the readout shows the value itself.
TEST_F(DialValue, ClampsAtBothEndsAndNaNMeansNoValue)
{
    MakeRpmGauge();
    struct Step {
        double sent;
        double shown;
        const char* text;
    } steps[] = {
        {3000, 3000, "3000"},   {9000, 8000, "9000"},  {8000.0001, 8000, "8000"},
        {kNaN, 8000, "---"},    {-5, 0, "-5"},         {kInf, 8000, "OL"},
        {-kInf, 0, "OL"},       {7999.5, 7999.5, "8000"}, // "%.0f" rounds the readout only
        {0.25, 0.25, "0"},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.sent);
        gauge->SetValue(s.sent);
        EXPECT_EQ(gauge->GetSnapshot().value, s.shown);
        EXPECT_EQ(gauge->GetSnapshot().valueText, s.text);
    }
    // Pointer at the ends: 8000 at 405 degrees (tip 57.28 right and down), 0 at 135.
    gauge->SetValue(1e9);
    EXPECT_EQ(gauge->GetSnapshot().pointer[1], (DialPoint{57, 57}));
    gauge->SetValue(-1e9);
    EXPECT_EQ(gauge->GetSnapshot().pointer[1], (DialPoint{-57, 57}));
}

TEST_F(DialValue, TracesOfSetValue)
{
    MakeRpmGauge();
    gauge->SetValue(9000);
    EXPECT_TRUE(log.contains("call SetValue(9000.000000)"));
    EXPECT_TRUE(log.contains("using value : 8000.000000)"));
    EXPECT_TRUE(log.contains("TarnGauge::UpdatePointer() START"));
    EXPECT_TRUE(log.contains("TarnGauge::UpdateGaugeValue() START"));
}

TEST_F(DialValue, ReadoutFormatFollowsTheSpan)
{
    struct Case {
        double lo, hi, value;
        const char* text;
    } cases[] = {
        {0, 8000, 4000, "4000"}, {0, 500, 123.44, "123.4"}, {0, 15, 7.5, "7.50"},
        {0, 5, 1.234, "1.23"},   {0, 0.05, 0.02, "0"},      {-40, 120, -12.5, "-12.5"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.hi);
        Add(PlainDesc("x", "X", c.lo, c.hi));
        MakeGauge();
        gauge->SetDefaultGaugeDesc(int(list.size()) - 1);
        gauge->SetValue(c.value);
        EXPECT_EQ(gauge->GetSnapshot().valueText, c.text);
        frame->Destroy();
        frame = nullptr;
    }
}

// A change invalidates the old and new pointer boxes (grown by 1 pixel) and
// the old and new readout boxes, without erasing; the same value, nothing.
TEST_F(DialValue, InvalidatesOnlyWhatChanged)
{
    MakeRpmGauge();
    gauge->SetValue(4000);
    // The third: the new peak's mark.
    ASSERT_EQ(gauge->rects.size(), 3u);
    // Rest at 0: box (48, 115, 47, 47); at 4000: (102, 24, 6, 64); union
    // (48, 24, 60, 138), grown: (47, 23, 62, 140).
    EXPECT_EQ(gauge->rects[0], wxRect(47, 23, 62, 140));
    // No readout before: the new text's box alone, centred 54 below the centre.
    const wxSize t4000 = TextSize("4000");
    const wxRect readout(105 - t4000.x / 2, int(105 + 54 - t4000.y / 2), t4000.x, t4000.y);
    EXPECT_EQ(gauge->rects[1], readout);
    EXPECT_EQ(gauge->fullRefreshes, 0);

    gauge->rects.clear();
    gauge->SetValue(4000);
    gauge->SetValue(4000.0);
    EXPECT_TRUE(gauge->rects.empty());

    // 4000 -> 200: pointer (102, 24, 6, 64) with the one of 200 (141.75
    // degrees: tip (-63.61, 50.15) -> (-63, 50); base at 131.75 and 151.75:
    // (-11.99, 13.43) and (-15.86, 8.52)): box (42, 113, 52, 42); union (42, 24, 66, 131).
    gauge->SetValue(200);
    ASSERT_EQ(gauge->rects.size(), 2u);
    EXPECT_EQ(gauge->rects[0], wxRect(41, 23, 68, 133));
    // Readout: old "4000" box and new "200" box.
    const wxSize t200 = TextSize("200");
    const wxRect now(105 - t200.x / 2, int(105 + 54 - t200.y / 2), t200.x, t200.y);
    EXPECT_EQ(gauge->rects[1], readout.Union(now));
}

TEST_F(DialValue, RefreshSymbolTakesTheMapValue)
{
    MakeRpmGauge();
    EXPECT_EQ(gauge->GetSymbolName(), "rpm");
    ValueMap values;
    values["map"] = 95;
    gauge->RefreshSymbol(values);
    EXPECT_EQ(gauge->GetSnapshot().value, 0);
    EXPECT_TRUE(log.contains("symbol : rpm not found"));

    values["rpm"] = 2500;
    gauge->RefreshSymbol(values);
    EXPECT_EQ(gauge->GetSnapshot().value, 2500);
    EXPECT_TRUE(log.contains("refresh symbol : rpm = 2500.000000"));

    values["rpm"] = 12000; // logged as received, shown clamped
    gauge->RefreshSymbol(values);
    EXPECT_EQ(gauge->GetSnapshot().value, 8000);
    EXPECT_TRUE(log.contains("refresh symbol : rpm = 12000.000000"));
}

TEST_F(DialValue, WithoutDescriptionValuesAreRejected)
{
    Add(RpmDesc());
    MakeGauge(); // no description chosen yet
    EXPECT_EQ(gauge->GetSymbolName(), "");
    testing::internal::CaptureStderr();
    gauge->SetValue(5);
    const std::string err = testing::internal::GetCapturedStderr();
    EXPECT_NE(err.find("m_gd is NULL! \n"), std::string::npos) << err;
    EXPECT_EQ(gauge->GetSnapshot().value, 0);
    EXPECT_TRUE(gauge->GetSnapshot().valueText.empty());
    EXPECT_TRUE(gauge->rects.empty());
}

// The paint handler itself, on screen: the pointer shows, and painting does
// not queue another paint (the dial would then repaint for ever).
TEST_F(DialValue, PaintsOnScreenAndThenRests)
{
    MakeRpmGauge();
    int paints = 0;
    gauge->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
        paints++;
        e.Skip();
    });
    // A window below the dial, repainted on demand: each of its paints ends
    // a paint cycle, which a repaint the dial had asked for would join.
    wxWindow* below = new wxWindow(frame, wxID_ANY, wxPoint(0, 260), wxSize(20, 20));
    int belowPaints = 0;
    below->Bind(wxEVT_PAINT, [&](wxPaintEvent&) {
        wxPaintDC dc(below);
        belowPaints++;
    });
    auto paintCycle = [&] {
        const int before = belowPaints;
        below->Refresh();
        return WaitFor([&] { return belowPaints > before; }) && WaitForQueuedEvents();
    };
    gauge->SetValue(4000);
    frame->Show();
    ASSERT_TRUE(WaitFor([&] { return paints > 0; }));
    ASSERT_TRUE(paintCycle());
    const int settled = paints;
    ASSERT_TRUE(paintCycle() && paintCycle());
    EXPECT_EQ(paints, settled) << "the gauge keeps repainting itself";

    wxBitmap shot(210, 210, 24);
    {
        wxClientDC from(gauge);
        wxMemoryDC to(shot);
        to.Blit(0, 0, 210, 210, &from, 0, 0);
    }
    const wxImage image = shot.ConvertToImage();
    EXPECT_TRUE(IsColour(image, 105, 60, Rgb{253, 204, 0}));
    EXPECT_TRUE(IsColour(image, 65, 125, Rgb{12, 12, 12}));

    // A value change repaints (once) and moves the pointer on screen.
    const int before = paints;
    gauge->SetValue(8000);
    ASSERT_TRUE(WaitFor([&] { return paints > before; }));
    {
        wxClientDC from(gauge);
        wxMemoryDC to(shot);
        to.Blit(0, 0, 210, 210, &from, 0, 0);
    }
    const wxImage moved = shot.ConvertToImage();
    moved.SaveFile(wxString(TARN_BINARY_DIR) + "/dial_on_screen_8000.png", wxBITMAP_TYPE_PNG);
    EXPECT_TRUE(IsColour(moved, 105, 60, Rgb{12, 12, 12}));
    // 8000 at 405 degrees: 40 px out along the pointer is (133.3, 133.3).
    EXPECT_TRUE(IsColour(moved, 133, 133, Rgb{253, 204, 0}));
}

// Cases the format leaves open must neither crash nor draw garbage.
TEST_F(DialValue, DegenerateDescriptionsAndWindows)
{
    // Equal limits: no band, pointer at the start angle whatever the value.
    auto flat = PlainDesc("flat", "Flat", 5, 5);
    flat->addRedRange(5, 5);
    Add(std::move(flat));
    MakeGauge();
    gauge->SetDefaultGaugeDesc(0);
    Render();
    gauge->SetValue(5);
    EXPECT_EQ(gauge->GetSnapshot().value, 5);
    const wxImage image = Render();
    EXPECT_EQ(gauge->GetSnapshot().pointer[1], (DialPoint{-57, 57})); // 135 degrees
    // No band anywhere on the sweep: sample the band ring midway between ticks.
    EXPECT_TRUE(IsColour(image, 108, 24, Rgb{12, 12, 12}));
}

TEST_F(DialValue, ExtremeValuesFromAFile)
{
    struct Case {
        const char* what;
        double lo, hi;
        int major, minor;
    } cases[] = {
        {"huge limits", -1e300, 1e300, 10, 5},
        {"infinite span", -1e308, 1e308, 10, 5},
        {"infinite limits", -kInf, kInf, 10, 5},
        {"huge divisions", 0, 100, 1000000, 1000000},
        {"no divisions", 0, 100, 0, 0},
        {"negative divisions", 0, 100, -3, -7},
        {"reversed limits", 100, 0, 10, 5},
        {"NaN limit", kNaN, 100, 10, 5},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        auto d = PlainDesc("x", c.what, c.lo, c.hi);
        d->setMajorDivisions(c.major);
        d->setMinorDivisions(c.minor);
        d->addRedRange(c.lo, c.hi);
        d->addOrangeRange(0, 50);
        Add(std::move(d));
        MakeGauge();
        gauge->SetDefaultGaugeDesc(int(list.size()) - 1);
        Render();
        gauge->SetValue(42);
        gauge->SetValue(kNaN);
        gauge->SetValue(-kInf);
        const wxImage image = Render();
        for (const DialPoint& p : gauge->GetSnapshot().pointer) {
            EXPECT_LE(std::abs(p.x), 81);
            EXPECT_LE(std::abs(p.y), 81);
        }
        // The bezel and the face are still there. (Labels of 1e300 are 300
        // digits long and cross the face: sample between two label rows.)
        EXPECT_TRUE(IsColour(image, 60, 110, Rgb{12, 12, 12}));
        EXPECT_GT(PixelAt(image, 206, 105).r, 200);
        frame->Destroy();
        frame = nullptr;
    }
}

TEST_F(DialValue, TooSmallForAFaceDrawsOnlyTheBackground)
{
    Add(RpmDesc());
    for (int side : {30, 20, 1}) {
        SCOPED_TRACE(side);
        MakeGauge(wxSize(side, side));
        gauge->SetDefaultGaugeDesc(0);
        gauge->SetValue(4000);
        const wxImage image = Render();
        for (int y = 0; y < image.GetHeight(); ++y)
            for (int x = 0; x < image.GetWidth(); ++x)
                ASSERT_TRUE(IsColour(image, x, y, Rgb{255, 255, 255}));
        frame->Destroy();
        frame = nullptr;
    }
}

TEST_F(DialValue, EmptyDescriptionListDrawsAnEmptyDial)
{
    MakeGauge(); // the list stays empty
    gauge->SetDefaultGaugeDesc("rpm");
    gauge->SetDefaultGaugeDesc(3);
    EXPECT_EQ(gauge->GetSnapshot().desc, nullptr);
    gauge->SetValue(10);
    gauge->SetValueIdx(0);
    const wxImage image = Render();
    EXPECT_TRUE(IsColour(image, 65, 125, Rgb{12, 12, 12}));
    EXPECT_TRUE(IsColour(image, 105, 60, Rgb{12, 12, 12})); // no pointer
    EXPECT_TRUE(gauge->GetSnapshot().titleText.empty());
}

TEST_F(DialValue, PaintBeforeAnyDescriptionIsChosen)
{
    Add(RpmDesc());
    MakeGauge();
    const wxImage image = Render();
    EXPECT_FALSE(gauge->GetSnapshot().needsRebuild);
    EXPECT_TRUE(IsColour(image, 65, 125, Rgb{12, 12, 12}));
    // Chosen later: the name lookup asks for a rebuild and the dial appears.
    gauge->SetDefaultGaugeDesc("rpm");
    EXPECT_TRUE(gauge->GetSnapshot().needsRebuild);
    const wxImage later = Render();
    EXPECT_TRUE(IsColour(later, 176, 143, Rgb{255, 0, 0}));
}

} // namespace

TEST_F(DialValue, StalePointerAndReadoutAreGrey)
{
    MakeRpmGauge();
    gauge->SetValue(4000); // straight up
    const DialLayout layout = gauge->GetSnapshot().layout;
    const int x = layout.cx, y = layout.cy - 25; // inside the pointer, above the hub
    const Rgb live = PixelAt(Render(), x, y);
    EXPECT_FALSE(IsColour(Render(), x, y, {128, 128, 128}));

    gauge->SetStale(true);
    EXPECT_TRUE(IsColour(Render(), x, y, {128, 128, 128}));
    EXPECT_FALSE(gauge->rects.empty()) << "the pointer and readout are repainted";
    gauge->SetValue(kNaN);
    EXPECT_EQ(gauge->GetSnapshot().valueText, "---");
    EXPECT_FALSE(gauge->GetSnapshot().hasValue);
    gauge->SetValue(4000); // the same value as before the gap: shown again
    EXPECT_EQ(gauge->GetSnapshot().valueText, "4000");
    gauge->SetStale(false);
    EXPECT_TRUE(IsColour(Render(), x, y, live));
}
