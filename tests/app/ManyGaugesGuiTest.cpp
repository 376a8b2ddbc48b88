// A definition file with tens of thousands of gauge configurations (written
// here, not kept in the tree): the dashboard starts without an assertion, and
// the dial's menu follows the input. Prints what the start and the menu cost.
#include "app/MainFrame.h"
#include "definition/SymbolTable.h"
#include "dispatch/GaugeUpdater.h"
#include "gauges/GaugeDescMenu.h"
#include "gauges/TarnGauge.h"
#include "tests/app/FrameDriver.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/stopwatch.h>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <fstream>
#include <sstream>

namespace {

// CPU time of this thread, in ms: on a loaded machine the wall clock says little.
long ThreadMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return long(t.tv_sec) * 1000 + t.tv_nsec / 1000000;
}

// The sample file with `count` more gauges of the sample's values, in
// categories of 100.
std::string WithManyGauges(int count)
{
    std::ifstream in(TARN_SAMPLE_DIR "/tarnv3.ini");
    std::ostringstream out;
    const char* const values[] = {"rpm", "map", "spark", "coolant", "tps"};
    for (std::string line; std::getline(in, line);) {
        out << line << '\n';
        if (line.rfind("[GaugeConfigurations]", 0) != 0)
            continue;
        for (int i = 0; i < count; ++i) {
            if (i % 100 == 0)
                out << "   gaugeCategory = \"Group " << i / 100 << "\"\n";
            out << "   many" << i << " = " << values[i % 5] << ", \"Gauge " << i
                << "\", \"u\", 0, 8000, 0, 0, 7000, 7500, 0, 0, 5, 8, 1, \"%.0f\"\n";
        }
    }
    return out.str();
}

} // namespace

TEST(ManyGauges, StartAndMenuFollowTheInput)
{
    for (int count : {5000, 40000}) {
        SCOPED_TRACE(count);
        const TempDir dir;
        dir.write("tarnv3.ini", WithManyGauges(count));
        dir.write("datalog.log", [] {
            std::ifstream in(TARN_SAMPLE_DIR "/datalog.log");
            std::ostringstream text;
            text << in.rdbuf();
            return text.str();
        }());
        ASSERT_TRUE(wxSetWorkingDirectory(dir.path));

        wxStopWatch watch;
        long cpu = ThreadMs();
        MainFrame* frame = new MainFrame("V3 GUI for WinCE");
        frame->Show();
        ASSERT_TRUE(WaitFor([&] { return frame->IsShownOnScreen(); }, 30000));
        const long started = watch.Time(), startedCpu = ThreadMs() - cpu;

        TarnGauge* dial = frame->GetAnalogGauge();
        SelectInput(frame, ID_INPUT_FILE);
        watch.Start();
        cpu = ThreadMs();
        dial->UpdateAvailableGauges();
        const long menu = watch.Time(), menuCpu = ThreadMs() - cpu;
        const GaugeDescMenu* popup = dial->GetSnapshot().menu;
        // Past the menu's limit the selector still offers every gauge.
        ASSERT_EQ(popup->GetIdMap().size(),
                  std::min(size_t(GaugeDescMenu::kMostItems), currentSymbolTable()->getGauges().size()));
        ASSERT_GE(dial->GetSnapshot().offeredTitles.size(), size_t(count));
        // Every added gauge's item is enabled: their values are all in the log.
        for (const auto& [id, index] : popup->GetIdMap()) {
            const wxMenuItem* item = popup->GetSubMenu()->FindItem(id);
            if (item->GetItemLabelText().StartsWith("Gauge "))
                ASSERT_TRUE(item->IsEnabled()) << index;
        }
        std::printf("%d gauges: shown in %ld ms (CPU %ld ms), dial's menu updated in %ld ms "
                    "(CPU %ld ms)\n",
                    count, started, startedCpu, menu, menuCpu);
        frame->Destroy();
        wxYield();
    }
}
