// The static dial: geometry from the window, and the rendered layers.
#include "tests/gauges/TarnGaugeFixture.h"

#include <cmath>

#include <string>

namespace {

class DialFace : public DialFixture {};

TEST_F(DialFace, GeometryOf210Square)
{
    Add(RpmDesc());
    MakeGauge();
    gauge->SetDefaultGaugeDesc("rpm");
    gauge->CalculateSize();
    const DialLayout l = gauge->GetSnapshot().layout;
    EXPECT_EQ(l.width, 210);
    EXPECT_EQ(l.height, 210);
    EXPECT_EQ(l.cx, 105);
    EXPECT_EQ(l.cy, 105);
    EXPECT_EQ(l.radius, 90);
    EXPECT_DOUBLE_EQ(l.tickInner, 76.5);
    EXPECT_DOUBLE_EQ(l.tickOuter, 85.5);
    EXPECT_DOUBLE_EQ(l.labelRadius, 63);
    EXPECT_DOUBLE_EQ(l.titleOffset, 36);
    EXPECT_DOUBLE_EQ(l.valueOffset, 54);
    EXPECT_DOUBLE_EQ(l.hubRadius, 18);
    EXPECT_DOUBLE_EQ(l.pointerLength, 81);
    EXPECT_EQ(l.fontSize, 7);
    EXPECT_EQ(gauge->GetSnapshot().font.GetPointSize(), 7);

    // The title is centred 36 pixels above the centre.
    EXPECT_EQ(gauge->GetSnapshot().titleText, "RPM x 1000");
    wxMemoryDC measure;
    measure.SetFont(gauge->GetSnapshot().font);
    const wxSize title = measure.GetTextExtent("RPM x 1000");
    EXPECT_EQ(gauge->GetSnapshot().titlePosition,
              wxPoint(105 - title.x / 2, int(105 - 36 - title.y / 2)));
}

TEST_F(DialFace, WindowIsMadeSquare)
{
    struct Case {
        wxSize given;
        int side;
    } cases[] = {{{200, 300}, 200}, {{300, 200}, 200}, {{150, 150}, 150}};
    Add(RpmDesc());
    for (const Case& c : cases) {
        SCOPED_TRACE(c.given.x * 1000 + c.given.y);
        MakeGauge(c.given);
        gauge->SetDefaultGaugeDesc(0);
        testing::internal::CaptureStderr();
        gauge->CalculateSize();
        const std::string err = testing::internal::GetCapturedStderr();
        // The size asked for, then the size the window got.
        const std::string want = wxString::Format(
            "TarnGauge::CalculateSize()\nTarnGauge::CalculateSize x=%d, y=%d!!\n"
            "TarnGauge::CalculateSize x=%d, y=%d!!\n",
            c.given.x, c.given.y, c.side, c.side).ToStdString();
        EXPECT_EQ(err, want);
        EXPECT_EQ(gauge->GetClientSize(), wxSize(c.side, c.side));
        EXPECT_EQ(gauge->GetSnapshot().layout.cx, c.side / 2);
        EXPECT_EQ(gauge->GetSnapshot().layout.radius, c.side / 2 - 15);
        frame->Destroy();
        frame = nullptr;
    }
}

TEST_F(DialFace, FitToParentTakesTheParentsClientArea)
{
    Add(RpmDesc());
    MakeGauge(wxSize(50, 50), true);
    gauge->SetDefaultGaugeDesc(0);
    gauge->CalculateSize();
    EXPECT_EQ(gauge->GetClientSize(), wxSize(240, 240)); // 240 x 320 squared
    EXPECT_EQ(gauge->GetSnapshot().layout.radius, 105);
}

TEST_F(DialFace, TitleAlwaysCarriesTheScaleFactor)
{
    Add(PlainDesc("clt", "Coolant", -40, 120)); // scale factor 1
    MakeGauge();
    gauge->SetDefaultGaugeDesc(0);
    gauge->CalculateSize();
    EXPECT_EQ(gauge->GetSnapshot().titleText, "clt x 1");
}

// Two gauges in the same units (coolant and intake air, both degrees) tell
// themselves apart by their titles, drawn on the line below the units where
// they fit between the scale labels; a title too long for that is left out.
TEST_F(DialFace, TitleLineNamesTheGaugeWhereItFits)
{
    std::unique_ptr<TARNGaugeDesc> descs[] = {
        PlainDesc("clt", "Coolant", -40, 120), PlainDesc("mat", "Intake air", -40, 120),
        PlainDesc("egt", "Exhaust gas temperature after the turbocharger", 0, 1000)};
    for (std::unique_ptr<TARNGaugeDesc>& d : descs) {
        d->setUnits(wxString::FromUTF8("\xc2\xb0" "C"));
        Add(std::move(d));
    }
    MakeGauge();
    struct Case {
        int index;
        const char* name; // drawn, or empty
    } cases[] = {{0, "Coolant"}, {1, "Intake air"}, {2, ""}};
    for (const Case& c : cases) {
        SCOPED_TRACE(c.index);
        gauge->SetDefaultGaugeDesc(c.index);
        const wxImage image = Render();
        EXPECT_EQ(gauge->GetSnapshot().nameText, c.name);
        if (*c.name == 0)
            continue;
        // Below the units line, centred, and clear of every scale label.
        const wxRect name = gauge->GetSnapshot().nameRect;
        EXPECT_GE(name.y, gauge->GetSnapshot().titlePosition.y + 1);
        EXPECT_NEAR(name.x + name.width / 2, 105, 1);
        const DialLayout l = gauge->GetSnapshot().layout;
        for (const wxPoint corner : {name.GetTopLeft(), name.GetTopRight(), name.GetBottomLeft(),
                                     name.GetBottomRight()}) {
            const double dx = corner.x - l.cx, dy = corner.y - l.cy;
            EXPECT_LT(std::sqrt(dx * dx + dy * dy), l.labelRadius - 0.05 * l.radius);
        }
        // White text was drawn there.
        int white = 0;
        for (int y = name.y; y < name.GetBottom(); ++y)
            for (int x = name.x; x < name.GetRight(); ++x)
                white += image.GetRed(x, y) > 200 && image.GetGreen(x, y) > 200;
        EXPECT_GT(white, 10);
    }
}

// Colours at interior points of the rendered rpm dial (0..8000, 8 major and 5
// minor divisions, orange 6000..7000, red 7000..8000), 210 x 210, R = 90.
TEST_F(DialFace, RenderedColoursAtTheirAngles)
{
    Add(RpmDesc());
    MakeGauge();
    gauge->SetDefaultGaugeDesc("rpm");
    const wxImage image = Render();
    const Rgb face{12, 12, 12}, orange{255, 128, 0}, red{255, 0, 0}, white{255, 255, 255};
    struct Case {
        const char* what;
        int x, y;
        Rgb want;
    } cases[] = {
        // 6500 rpm: 135 + 6500 * 270 / 8000 = 354.375 degrees, midway between two
        // ticks; at 81 px (inside the 76.5..85.5 band): (185.6, 97.1).
        {"orange band at 6500", 185, 97, orange},
        // 7500 rpm: 388.125 degrees = 28.125: (176.4, 143.2).
        {"red band at 7500", 176, 143, red},
        // 3100 rpm: 239.625 degrees, midway between ticks 15 and 16; no band
        // there, only the face: (64.0, 35.1).
        {"no band at 3100", 64, 35, face},
        {"face left of the hub", 65, 125, face},
        {"face below the hub", 105, 130, face},
        {"hub centre", 105, 105, Rgb{31, 30, 31}},
        {"corner outside the bezel", 2, 2, white},
        {"corner outside the bezel", 207, 207, white},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_TRUE(IsColour(image, c.x, c.y, c.want));
    }
    // No trace of the band colour along its radius inside the band: the orange
    // band starts at 6000 = 337.5 degrees; at 40 px that is (142.0, 89.7).
    for (int dy = -2; dy <= 2; ++dy)
        for (int dx = -2; dx <= 2; ++dx) {
            SCOPED_TRACE(testing::Message() << "seam " << dx << "," << dy);
            EXPECT_TRUE(IsColour(image, 142 + dx, 89 + dy, face));
        }
}

// Danger bands outside the scale, empty or reversed, draw nothing; a band over
// the whole scale draws everywhere along the sweep.
TEST_F(DialFace, BandsOutsideTheScaleAreSkipped)
{
    auto d = PlainDesc("x", "X", 0, 100);
    d->addRedRange(-10, 50);  // starts below the minimum
    d->addRedRange(50, 110);  // ends above the maximum
    d->addRedRange(30, 30);   // empty
    d->addRedRange(80, 20);   // reversed
    Add(std::move(d));
    auto whole = PlainDesc("y", "Y", 0, 100);
    whole->addOrangeRange(0, 100);
    Add(std::move(whole));
    MakeGauge();

    // Sample midway between ticks (every 5.4 degrees from 135) at 81 px.
    struct Sample {
        double angle;
        int x, y;
    } samples[] = {
        {137.7, 45, 159},  // 81 (cos, sin) = (-59.9, 54.5)
        {272.7, 108, 24},  // (3.8, -80.9)
        {402.3, 164, 159}, // 42.3 degrees: (59.9, 54.5)
    };

    gauge->SetDefaultGaugeDesc(0);
    gauge->CalculateSize();
    gauge->paintGaugeBg(63);
    {
        const wxImage image = gauge->GetSnapshot().face.ConvertToImage();
        for (const Sample& s : samples) {
            SCOPED_TRACE(s.angle);
            EXPECT_TRUE(IsColour(image, s.x, s.y, Rgb{12, 12, 12}));
        }
    }
    gauge->SetDefaultGaugeDesc(1);
    gauge->paintGaugeBg(0);
    {
        const wxImage image = gauge->GetSnapshot().face.ConvertToImage();
        for (const Sample& s : samples) {
            SCOPED_TRACE(s.angle);
            EXPECT_TRUE(IsColour(image, s.x, s.y, Rgb{255, 128, 0}));
        }
    }
}

// The bezel's outer band (R+7..R+15) is lit on the right and dark on the left;
// the inner band (R..R+7) the other way round.
TEST_F(DialFace, BezelLitOnOppositeSides)
{
    Add(RpmDesc());
    MakeGauge();
    gauge->SetDefaultGaugeDesc("rpm");
    const wxImage image = Render();
    struct Case {
        const char* what;
        int x, y;
        bool bright;
    } cases[] = {
        {"outer ring, right", 105 + 101, 105, true},  {"outer ring, left", 105 - 101, 105, false},
        {"inner ring, right", 105 + 93, 105, false},  {"inner ring, left", 105 - 93, 105, true},
        {"outer ring, top", 105, 105 - 101, false},   {"outer ring, bottom", 105, 105 + 101, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        const Rgb p = PixelAt(image, c.x, c.y);
        EXPECT_EQ(p.r, p.g);
        EXPECT_EQ(p.g, p.b);
        if (c.bright)
            EXPECT_GT(p.r, 200);
        else
            EXPECT_LT(p.r, 150); // top and bottom are mid grey, the sides near black
    }
    // Top and bottom are mid-grey on the outer ring: about half way down the ramp.
    const Rgb top = PixelAt(image, 105, 105 - 101);
    EXPECT_GT(top.r, 100);
}

// A sweep over the whole dial: the lit half of the bezel outer ring darkens
// steadily from the right towards the left.
TEST_F(DialFace, BezelDarkensTowardsTheLeft)
{
    Add(RpmDesc());
    MakeGauge();
    gauge->SetDefaultGaugeDesc("rpm");
    const wxImage image = Render();
    int previous = 256;
    for (int deg = 10; deg <= 170; deg += 20) {
        SCOPED_TRACE(deg);
        const double a = deg * 0.0174532925;
        const int x = int(105 + 101 * std::cos(a));
        const int y = int(105 + 101 * std::sin(a));
        const int grey = PixelAt(image, x, y).r;
        EXPECT_LT(grey, previous);
        previous = grey;
    }
}

TEST_F(DialFace, PointerAndReadoutOnTheRenderedDial)
{
    Add(RpmDesc());
    MakeGauge();
    gauge->SetDefaultGaugeDesc("rpm");
    Render(); // first paint: geometry and layers
    gauge->SetValue(4000);
    const wxImage image = Render();
    // 4000 of 0..8000 points straight up: tip (105, 24), base (102, 88)..(108, 88).
    const Rgb pointer{253, 204, 0};
    EXPECT_TRUE(IsColour(image, 105, 40, pointer));
    EXPECT_TRUE(IsColour(image, 105, 60, pointer));
    EXPECT_TRUE(IsColour(image, 95, 40, Rgb{12, 12, 12}));
    EXPECT_EQ(gauge->GetSnapshot().valueText, "4000");

    // The readout is white: its brightest pixel is a light neutral grey (the
    // glyphs are antialiased, so pure white is not guaranteed at 7 points).
    wxMemoryDC measure;
    measure.SetFont(gauge->GetSnapshot().font);
    const wxSize text = measure.GetTextExtent("4000");
    const wxPoint at = gauge->GetSnapshot().valuePosition;
    Rgb brightest{0, 0, 0};
    for (int y = at.y; y < at.y + text.y; ++y)
        for (int x = at.x; x < at.x + text.x; ++x) {
            const Rgb p = PixelAt(image, x, y);
            if (p.r + p.g + p.b > brightest.r + brightest.g + brightest.b)
                brightest = p;
        }
    EXPECT_GT(brightest.r, 200);
    EXPECT_EQ(brightest.r, brightest.g);
    EXPECT_EQ(brightest.g, brightest.b);

    const wxString dir = TARN_BINARY_DIR;
    image.SaveFile(dir + "/dial_rpm_4000.png", wxBITMAP_TYPE_PNG);
}

} // namespace
