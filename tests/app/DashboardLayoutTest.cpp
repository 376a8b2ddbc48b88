#include "app/DashboardLayout.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

std::vector<wxRect> Gauges(const DashboardLayout& l)
{
    std::vector<wxRect> all = {l.dial};
    all.insert(all.end(), l.digital, l.digital + l.digitalCount);
    if (!l.lamps.IsEmpty())
        all.push_back(l.lamps);
    return all;
}

} // namespace

// The 240 x 320 frame's client area gets exactly the reference picture.
TEST(DashboardLayout, ReferenceAtTheHandheldSize)
{
    const DashboardLayout l = LayOutDashboard(wxSize(240, 295));
    EXPECT_FALSE(l.landscape);
    EXPECT_EQ(l.dial, wxRect(15, 5, 210, 210));
    const wxRect want[] = {{1, 220, 118, 37}, {121, 220, 118, 37}, {1, 258, 118, 37},
                           {121, 258, 118, 37}};
    for (int i = 0; i < kDigitalGaugeCount; ++i)
        EXPECT_EQ(l.digital[i], want[i]) << i;
    EXPECT_TRUE(l.strip.IsEmpty());
}

// At every size from the handheld's to a full HD screen, with and without a
// strip: everything inside the client area (above the strip), nothing
// overlapping, the dial square, the digital gauges in their proportions.
TEST(DashboardLayout, EverySizeFitsWithoutOverlap)
{
    for (int strip : {0, 24}) {
        for (int w = 240; w <= 1920; w += 56) {
            for (int h = 295; h <= 1055; h += 38) {
                SCOPED_TRACE(testing::Message() << w << "x" << h << " strip " << strip);
                // A front page of seven digital gauges and many lamps fits as well.
                const DashboardLayout full = LayOutDashboard(wxSize(w, h), strip, {7, 40});
                const std::vector<wxRect> fullAll = Gauges(full);
                for (size_t i = 0; i < fullAll.size(); ++i) {
                    ASSERT_TRUE(wxRect(0, 0, w, h - strip).Contains(fullAll[i])) << i;
                    for (size_t j = i + 1; j < fullAll.size(); ++j)
                        ASSERT_FALSE(fullAll[i].Intersects(fullAll[j])) << i << " " << j;
                }
                const DashboardLayout l = LayOutDashboard(wxSize(w, h), strip);
                const wxRect room(0, 0, w, h - strip);
                const std::vector<wxRect> all = Gauges(l);
                for (size_t i = 0; i < all.size(); ++i) {
                    ASSERT_TRUE(room.Contains(all[i])) << i;
                    for (size_t j = i + 1; j < all.size(); ++j)
                        ASSERT_FALSE(all[i].Intersects(all[j])) << i << " " << j;
                }
                ASSERT_EQ(l.dial.width, l.dial.height);
                for (const DashboardLayout* one : {&full, &l})
                    for (int i = 0; i < one->digitalCount; ++i) {
                        const wxRect& d = one->digital[i];
                        ASSERT_GE(d.height + 1 + d.width / 100, d.width * kDigitalHeightPerWidth) << i;
                        ASSERT_LE(d.height, d.width * kTallestDigitalPerWidth + 1) << i;
                    }
                // Height to spare goes to the gauges: no wide band of white
                // (up to a phone's proportions).
                if (room.height * 10 > room.width * 17 || room.width * 5 > room.height * 7)
                    continue;
                const int top = std::min(l.dial.y, l.digital[0].y);
                int bottom = l.dial.GetBottom();
                for (int i = 0; i < l.digitalCount; ++i)
                    bottom = std::max(bottom, l.digital[i].GetBottom());
                ASSERT_LE(room.height - (bottom - top + 1), std::max(12, room.height / 6));
                ASSERT_EQ(l.strip, strip ? wxRect(0, h - strip, w, strip) : wxRect());
                // Nothing shrinks below the reference picture.
                if (strip == 0) {
                    ASSERT_GE(l.dial.width, 205);
                    ASSERT_GE(l.digital[0].width, 112);
                }
            }
        }
    }
}

TEST(DashboardLayout, LandscapePutsTheDialLeftAtFullHeight)
{
    struct Case {
        wxSize client;
        bool column; // the digital gauges one above the other
    } cases[] = {{{800, 455}, true}, {{1024, 575}, true}, {{1920, 1055}, true},
                 {{320, 215}, true}, {{1200, 300}, false}};
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.client.x << "x" << c.client.y);
        const DashboardLayout l = LayOutDashboard(c.client);
        EXPECT_TRUE(l.landscape);
        EXPECT_GE(l.dial.height, c.client.y * 19 / 20);
        EXPECT_NEAR(l.dial.x, l.dial.y, 2);
        EXPECT_LE(l.dial.x, c.client.y / 50 + 2) << "a narrow margin only";
        for (int i = 0; i < l.digitalCount; ++i)
            EXPECT_GT(l.digital[i].x, l.dial.GetRight());
        EXPECT_EQ(l.digital[1].x == l.digital[0].x, c.column);
    }
    // Only a little wider than tall: the proportional picture.
    EXPECT_FALSE(LayOutDashboard(wxSize(400, 380)).landscape);
    EXPECT_TRUE(LayOutDashboard(wxSize(1024, 729)).landscape) << "1024 x 768 below its menu bar";
    EXPECT_FALSE(LayOutDashboard(wxSize(480, 775)).landscape);
    EXPECT_TRUE(LayOutDashboard(wxSize(0, 0)).dial.IsEmpty());
}

// All the front page's gauges only from an 800 x 480 window up (its client
// area below the menu bar: 800 x 455, or 480 x 775); a handheld keeps four.
TEST(DashboardLayout, FrontPageGaugesWhereThereIsRoom)
{
    const struct {
        wxSize client;
        int wanted, shown;
    } cases[] = {{{240, 295}, 7, 4}, {{760, 455}, 7, 4}, {{800, 430}, 7, 4}, {{800, 455}, 7, 7},
                 {{800, 455}, 5, 5},  {{800, 455}, 12, 7}, {{800, 455}, 2, 4}, {{480, 775}, 6, 6},
                 {{1920, 1055}, 7, 7}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.client.x << "x" << c.client.y << " " << c.wanted);
        const DashboardLayout l = LayOutDashboard(c.client, 14, {c.wanted, 0});
        EXPECT_EQ(l.digitalCount, c.shown);
        for (int i = 0; i < l.digitalCount; ++i)
            EXPECT_FALSE(l.digital[i].IsEmpty()) << i;
    }
}

// The lamps: a band between the gauges and the strip, one row on a handheld,
// up to three where there is room; none without indicators.
TEST(DashboardLayout, LampBand)
{
    const DashboardLayout none = LayOutDashboard(wxSize(240, 295), 14);
    EXPECT_TRUE(none.lamps.IsEmpty());
    const DashboardLayout small = LayOutDashboard(wxSize(240, 295), 14, {4, 30});
    EXPECT_EQ(small.lampRows, 1);
    EXPECT_EQ(small.lampColumns, 240 / kLampMinWidth);
    EXPECT_EQ(small.lamps.GetBottom() + 1, small.strip.y);
    EXPECT_LE(small.digital[3].GetBottom(), small.lamps.y);
    const DashboardLayout big = LayOutDashboard(wxSize(800, 455), 14, {7, 30});
    EXPECT_EQ(big.lampRows, 3);
    EXPECT_EQ(big.lampColumns, 800 / kLampMinWidth);
    EXPECT_EQ(LayOutDashboard(wxSize(800, 455), 14, {7, 5}).lampRows, 1) << "five lamps fill one row";
}
