#pragma once
// A dial gauge on a plain shaped frame, with descriptions owned by the test.
#include "gaugemodel/TARNGaugeDesc.h"
#include "gauges/TarnGauge.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>
#include <wx/app.h>
#include <wx/dcmemory.h>
#include <wx/frame.h>
#include <wx/image.h>

#include <memory>
#include <vector>

// Records every invalidated rectangle.
class RecordingGauge : public TarnGauge {
public:
    RecordingGauge(wxWindow* parent, const wxSize& size, bool fitToParent,
                   const GaugeDescList* descs)
        : TarnGauge(parent, wxID_ANY, wxPoint(15, 5), size, fitToParent, descs)
    {
    }
    void Refresh(bool eraseBackground = true, const wxRect* rect = nullptr) override
    {
        if (rect)
            rects.push_back(*rect);
        else
            fullRefreshes++;
        TarnGauge::Refresh(eraseBackground, rect);
    }

    std::vector<wxRect> rects;
    int fullRefreshes = 0;
};

// Revolutions 0..8000, labels 0..8 (scale 1000), warning 6000..7000, danger 7000..8000.
inline std::unique_ptr<TARNGaugeDesc> RpmDesc()
{
    auto d = std::make_unique<TARNGaugeDesc>();
    d->setName("tachometer");
    d->setSymbolName("rpm");
    d->setTitle("Engine Speed");
    d->setUnits("RPM");
    d->setMinValue(0);
    d->setMaxValue(8000);
    d->setMajorDivisions(8);
    d->setScaleFactor(1000);
    d->addRedRange(0, 0);
    d->addOrangeRange(0, 0);
    d->addOrangeRange(6000, 7000);
    d->addRedRange(7000, 8000);
    return d;
}

inline std::unique_ptr<TARNGaugeDesc> PlainDesc(const wxString& symbol, const wxString& title,
                                                double lo, double hi)
{
    auto d = std::make_unique<TARNGaugeDesc>();
    d->setName(symbol);
    d->setSymbolName(symbol);
    d->setTitle(title);
    d->setUnits(symbol);
    d->setMinValue(lo);
    d->setMaxValue(hi);
    return d;
}

class DialFixture : public ::testing::Test {
protected:
    void TearDown() override
    {
        if (frame)
            frame->Destroy();
        wxTheApp->ProcessIdle();
    }

    void Add(std::unique_ptr<TARNGaugeDesc> d)
    {
        list.push_back(d.get());
        owned.push_back(std::move(d));
    }

    // A 240 x 320 frame that accepts a window shape, and a gauge on it.
    RecordingGauge* MakeGauge(const wxSize& size = wxSize(210, 210), bool fitToParent = false)
    {
        frame = new wxFrame(nullptr, wxID_ANY, "dial test", wxPoint(0, 0), wxSize(240, 320),
                            wxFRAME_SHAPED | wxBORDER_NONE);
        // A frame with a single child stretches it over its client area; a
        // second, tiny one keeps the dial at the size the test gives it.
        new wxWindow(frame, wxID_ANY, wxPoint(0, 0), wxSize(1, 1));
        gauge = new RecordingGauge(frame, size, fitToParent, &list);
        return gauge;
    }

    // The gauge as its paint handler draws it, read back pixel by pixel.
    wxImage Render()
    {
        const wxSize size = gauge->GetClientSize();
        wxBitmap bmp(size.x, size.y, 24);
        {
            wxMemoryDC dc(bmp);
            gauge->PaintTo(dc);
        }
        return bmp.ConvertToImage();
    }

    // The gauge traces to the debug log; the toolkit's default target would
    // gather the lines into a modal window.
    LogCapture log;
    wxFrame* frame = nullptr;
    RecordingGauge* gauge = nullptr;
    std::vector<std::unique_ptr<TARNGaugeDesc>> owned;
    GaugeDescList list;
};

struct Rgb {
    int r, g, b;
};

inline Rgb PixelAt(const wxImage& image, int x, int y)
{
    return Rgb{image.GetRed(x, y), image.GetGreen(x, y), image.GetBlue(x, y)};
}

inline ::testing::AssertionResult IsColour(const wxImage& image, int x, int y, Rgb want)
{
    const Rgb got = PixelAt(image, x, y);
    if (got.r == want.r && got.g == want.g && got.b == want.b)
        return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "pixel (" << x << ", " << y << ") is (" << got.r << ", " << got.g << ", " << got.b
           << "), want (" << want.r << ", " << want.g << ", " << want.b << ")";
}
