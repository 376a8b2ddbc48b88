// The whole dashboard walked through window sizes from the handheld's to a
// full HD screen, both ways round: at each, no digital gauge's digits are
// under half the height of the largest, and no text is cut or overlaps
// another. TARN_SIZE_WALK_STEP=40 walks every 40 px; each walk prints what a
// re-layout (the frame resized, laid out and painted) cost the GUI thread.
#include "app/LogFileChooser.h"
#include "app/MainFrame.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/listbox.h>
#include <wx/stattext.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <vector>

namespace {

int WalkStep()
{
    const char* step = std::getenv("TARN_SIZE_WALK_STEP");
    return step && std::atoi(step) > 0 ? std::atoi(step) : 280;
}

// CPU time of this thread: on a loaded machine the wall clock says little.
long ThreadMicroseconds()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return long(t.tv_sec) * 1000000 + t.tv_nsec / 1000;
}

bool Inside(const wxRect& inner, const wxSize& outer)
{
    return wxRect(outer).Contains(inner);
}

} // namespace

TEST(WindowSizes, DigitsNeverCollapseNorGetCut)
{
    const TempDir dir;
    ASSERT_TRUE(wxSetWorkingDirectory(dir.path));
    FrameStart start;
    start.options.iniFile = TARN_SAMPLE_DIR "/tarnv3.ini";
    MainFrame* frame = new MainFrame("V3 GUI for WinCE", start);
    frame->Show();
    ASSERT_TRUE(WaitFor([&] { return frame->IsShownOnScreen(); }));

    const int step = WalkStep();
    std::vector<long> costs;
    long slowest = 0;
    wxSize slowestAt;
    for (int w = 240; w <= 1920; w += step) {
        for (int h = 320; h <= 1080; h += step) {
            SCOPED_TRACE(testing::Message() << w << "x" << h);
            const long before = ThreadMicroseconds();
            frame->SetSize(w, h);
            TarnGauge* dial = frame->GetAnalogGauge();
            ASSERT_TRUE(WaitFor([&] {
                if (frame->GetSize() != wxSize(w, h))
                    return false;
                frame->Update(); // paints now: the dial's layers are rebuilt for the size
                return !dial->GetSnapshot().needsRebuild &&
                       dial->GetSnapshot().layout.width == frame->GetLayout().dial.width;
            }));
            costs.push_back(ThreadMicroseconds() - before);
            if (costs.back() > slowest) {
                slowest = costs.back();
                slowestAt = wxSize(w, h);
            }

            int largest = 0, smallest = 1 << 20;
            for (int i = 0; i < frame->GetDigitalGaugeCount(); ++i) {
                TarnGaugeDigital* gauge = frame->GetDigitalGauge(i);
                if (!gauge->IsShown())
                    continue;
                const wxSize room = gauge->GetClientSize();
                const auto text = [&](long id) {
                    return static_cast<wxStaticText*>(gauge->FindWindow(id));
                };
                wxStaticText* title = text(TarnGaugeDigital::ID_STATICTEXT1);
                wxStaticText* value = text(TarnGaugeDigital::ID_STATICTEXT2);
                wxStaticText* units = text(TarnGaugeDigital::ID_STATICTEXT3);
                for (wxStaticText* t : {title, value, units}) {
                    if (!t->GetLabel().empty()) {
                        ASSERT_TRUE(Inside(t->GetRect(), room)) << i << " " << t->GetName();
                    }
                }
                ASSERT_FALSE(value->GetRect().Intersects(title->GetRect())) << i;
                if (!units->GetLabel().empty()) {
                    ASSERT_FALSE(value->GetRect().Intersects(units->GetRect())) << i;
                }
                int tw = 0, th = 0;
                const wxFont digits = value->GetFont();
                gauge->GetTextExtent(value->GetLabel(), &tw, &th, nullptr, nullptr, &digits);
                ASSERT_LE(tw, value->GetSize().x) << i << " '" << value->GetLabel() << "' cut";
                ASSERT_LE(th, value->GetSize().y) << i << " '" << value->GetLabel() << "' cut";
                ASSERT_NE(value->GetLabel(), TarnGaugeDigital::kOverflowMark) << i;
                largest = std::max(largest, th);
                smallest = std::min(smallest, th);
            }
            ASSERT_GE(2 * smallest, largest) << "digits " << smallest << " px beside " << largest;
        }
    }
    std::sort(costs.begin(), costs.end());
    std::printf("%d sizes, step %d px: re-layout CPU median %.1f ms, 90th %.1f ms, slowest %.1f ms "
                "at %dx%d\n",
                int(costs.size()), step, costs[costs.size() / 2] / 1000.0,
                costs[costs.size() * 9 / 10] / 1000.0, slowest / 1000.0, slowestAt.x, slowestAt.y);
    frame->Destroy();
    wxYield();
}

TEST(WindowSizes, LogChooserGrowsWithTheWindow)
{
    wxFrame* frame = new wxFrame(nullptr, wxID_ANY, "sizes");
    const auto listPoints = [frame](const wxSize& size) {
        frame->SetSize(size);
        const LogFileChooser chooser(frame, LogFileChooser::AreaOver(*frame), wxString());
        return chooser.GetList()->GetFont().GetFractionalPointSize();
    };
    const double handheld = listPoints(wxSize(240, 320));
    const struct {
        wxSize size;
        double times; // the handheld's text
    } cases[] = {{{480, 320}, 1.0}, {{800, 480}, 1.5}, {{1920, 1080}, 2.5}};
    for (const auto& c : cases)
        EXPECT_NEAR(listPoints(c.size), handheld * c.times, 0.5) << c.size.x << "x" << c.size.y;
    frame->Destroy();
    wxYield();
}
