// The digits ask for the face "7 Segment", which no package provides under that
// name: the test main registers the same alias as the dashboard. These tests
// show the alias reaches the toolkit's text rendering, and draw the four
// digital gauges as the dashboard places them.
#include "dispatch/GaugeUpdater.h"
#include "gauges/SevenSegmentFont.h"
#include "gauges/TarnGaugeDigital.h"
#include "tests/support/FakeInput.h"
#include "tests/support/LogCapture.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/dcmemory.h>
#include <wx/dcclient.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <map>
#include <memory>
#include <vector>

namespace {

wxFont Face(int points, const wxString& face)
{
    return wxFont(points, wxFONTFAMILY_SWISS, wxFONTSTYLE_NORMAL, wxFONTWEIGHT_NORMAL, false, face);
}

struct Rendering {
    wxImage image;
    wxSize extent;
};

Rendering Render(const wxString& text, const wxFont& font)
{
    wxBitmap bitmap(160, 60);
    wxMemoryDC dc(bitmap);
    dc.SetBackground(*wxWHITE_BRUSH);
    dc.Clear();
    dc.SetFont(font);
    dc.SetTextForeground(*wxBLACK);
    dc.DrawText(text, 4, 4);
    Rendering r{wxImage(), dc.GetTextExtent(text)};
    dc.SelectObject(wxNullBitmap);
    r.image = bitmap.ConvertToImage();
    return r;
}

bool SamePixels(const wxImage& a, const wxImage& b)
{
    return a.GetSize() == b.GetSize()
           && memcmp(a.GetData(), b.GetData(), size_t(a.GetWidth()) * a.GetHeight() * 3) == 0;
}

int CountColour(const wxImage& image, const wxRect& area, const wxColour& colour)
{
    int n = 0;
    for (int y = area.GetTop(); y <= area.GetBottom(); ++y)
        for (int x = area.GetLeft(); x <= area.GetRight(); ++x)
            n += image.GetRed(x, y) == colour.Red() && image.GetGreen(x, y) == colour.Green()
                 && image.GetBlue(x, y) == colour.Blue();
    return n;
}

} // namespace

TEST(SevenSegmentFace, AliasDrawsTheSevenSegmentFont)
{
    const char* texts[] = {"12.8", "88.8", "-0.99", "1234"};
    const int sizes[] = {17, 28};
    for (int points : sizes) {
        for (const char* text : texts) {
            SCOPED_TRACE(testing::Message() << text << " at " << points << " pt");
            const Rendering alias = Render(text, Face(points, "7 Segment"));
            const Rendering dseg = Render(text, Face(points, kSevenSegmentFamily));
            const Rendering plain = Render(text, Face(points, wxString()));
            EXPECT_EQ(alias.extent, dseg.extent);
            EXPECT_TRUE(SamePixels(alias.image, dseg.image)) << "drawn in the DSEG7 face";
            EXPECT_NE(alias.extent, plain.extent);
            EXPECT_FALSE(SamePixels(alias.image, plain.image)) << "not the default face";
        }
    }
}

TEST(SevenSegmentFace, FourGaugesOnTheDashboardStrip)
{
    LogCapture quiet;
    struct Row {
        const char* symbol;
        const char* title;
        const char* units;
        double lo, hi, value;
        const char* shown;
    } rows[] = {
        {"map", "MAP", "kPa", 0, 255, 98.76, "98.8"},
        {"spark", "Spark Advance", "deg", -10, 50, 23.456, "23.46"},
        {"lambda", "Lambda", "", 0.5, 1.5, 0.987, "0.99"},
        {"dwell", "Dwell", "ms", 0, 10, 3.14159, "3.14"},
    };
    std::vector<std::unique_ptr<TARNGaugeDesc>> owned;
    GaugeDescList descs;
    FakeInput input;
    for (const Row& r : rows) {
        owned.push_back(std::make_unique<TARNGaugeDesc>());
        TARNGaugeDesc* d = owned.back().get();
        d->setSymbolName(r.symbol);
        d->setTitle(r.title);
        d->setUnits(r.units);
        d->setMinValue(r.lo);
        d->setMaxValue(r.hi);
        descs.push_back(d);
        input.served[r.symbol] = r.value;
    }

    // The dashboard's strip below the dial: two rows of two 118 px gauges.
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "digital strip", wxPoint(500, 100), wxSize(240, 85));
    const wxPoint places[] = {wxPoint(1, 0), wxPoint(121, 0), wxPoint(1, 40), wxPoint(121, 40)};
    GaugeUpdater updater;
    updater.SetInput(&input);
    TarnGaugeDigital* gauges[4];
    for (int i = 0; i < 4; ++i) {
        gauges[i] =
            new TarnGaugeDigital(frame, &descs, rows[i].symbol, places[i].x, places[i].y, 118);
        gauges[i]->m_dispatcher = &updater;
        updater.AddGauge(gauges[i]);
    }
    updater.Update();
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(rows[i].symbol);
        EXPECT_EQ(gauges[i]->FindWindow("ID_STATICTEXT2")->GetLabel(), rows[i].shown);
    }
    frame->Show();

    // Grab the strip from the screen once its digits are drawn in blue.
    wxImage shot;
    auto valueArea = [&](int i) {
        wxRect r = gauges[i]->FindWindow("ID_STATICTEXT2")->GetRect();
        r.Offset(places[i]);
        return r;
    };
    auto digitsDrawn = [&] {
        wxBitmap bitmap(240, 85);
        wxMemoryDC dc(bitmap);
        wxClientDC window(frame);
        dc.Blit(0, 0, 240, 85, &window, 0, 0);
        dc.SelectObject(wxNullBitmap);
        shot = bitmap.ConvertToImage();
        for (int i = 0; i < 4; ++i)
            if (CountColour(shot, valueArea(i), wxColour(0, 0, 255)) < 20)
                return false;
        return true;
    };
    EXPECT_TRUE(WaitFor(digitsDrawn)) << "every gauge shows blue digits";
    shot.SaveFile(TARN_BINARY_DIR "/digital-gauges.png", wxBITMAP_TYPE_PNG);

    // The digits (all the blue) lie whole inside the gauge, below the title,
    // left of the units, right-aligned in their box: nothing of them cut.
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(rows[i].symbol);
        const wxRect gauge(places[i], gauges[i]->GetSize());
        wxRect ink;
        for (int y = gauge.y; y <= gauge.GetBottom(); ++y)
            for (int x = gauge.x; x <= gauge.GetRight(); ++x)
                if (CountColour(shot, wxRect(x, y, 1, 1), wxColour(0, 0, 255)))
                    ink = ink.IsEmpty() ? wxRect(x, y, 1, 1) : ink.Union(wxRect(x, y, 1, 1));
        ASSERT_FALSE(ink.IsEmpty());
        wxRect title = gauges[i]->FindWindow("ID_STATICTEXT1")->GetRect();
        wxRect units = gauges[i]->FindWindow("ID_STATICTEXT3")->GetRect();
        title.Offset(places[i]);
        units.Offset(places[i]);
        EXPECT_GT(ink.y, title.GetBottom());
        EXPECT_LT(ink.GetBottom(), gauge.GetBottom()) << "the digits' bottom is cut";
        EXPECT_GT(ink.x, gauge.x);
        if (!wxString(rows[i].units).empty()) {
            EXPECT_LT(ink.GetRight(), units.x);
        }
        EXPECT_GE(ink.GetRight(), valueArea(i).GetRight() - 8);
    }

    frame->Destroy();
    wxTheApp->ProcessIdle();
}
