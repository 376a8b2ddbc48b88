// A replayed log that crosses the rev counter's danger limit (7000 in the
// sample file): the tick that brings the value draws it in the danger colour
// at the dial's next paint, the alarm command runs once, and peaks do not
// outlive the input.
#include "app/AlarmCommand.h"
#include "app/MainFrame.h"
#include "dispatch/GaugeUpdater.h"
#include "gaugemodel/Palette.h"
#include "gauges/TarnGauge.h"
#include "gauges/TarnGaugeDigital.h"
#include "tests/app/FrameDriver.h"
#include "tests/support/TempDir.h"
#include "tests/support/WaitFor.h"

#include <gtest/gtest.h>
#include <wx/filefn.h>
#include <wx/stopwatch.h>

#include <fstream>

namespace {

double Rpm(MainFrame* frame)
{
    const ValueMap& values = frame->GetDispatcher()->GetValues();
    const auto it = values.find("rpm");
    return it == values.end() ? 0.0 : it->second;
}

} // namespace

TEST(AlarmReplay, DangerShowsAtTheNextPaintAndRunsTheCommand)
{
    TempDir dir;
    ASSERT_TRUE(wxCopyFile(TARN_SOURCE_DIR "/sample/tarnv3.ini", wxString::FromUTF8(dir.file("tarnv3.ini"))));
    {
        std::ofstream log(dir.file("pull.log"));
        log << "pull\nTime\tRPM\n";
        for (int i = 0; i < 40; ++i)
            log << i * 0.1 << "\t" << (i < 20 ? 5000 + 50 * i : 7600) << "\n";
    }
    ASSERT_TRUE(wxSetWorkingDirectory(dir.path));
    FrameStart start;
    start.options.datalogFile = "pull.log";
    start.options.alarmCommand = "echo alarm >> '" + wxString::FromUTF8(dir.file("alarm.txt")) + "'";
    MainFrame* frame = new MainFrame("alarms", start);
    frame->Show();
    TarnGauge* dial = frame->GetAnalogGauge();
    ASSERT_TRUE(WaitFor([&] { return !dial->GetSnapshot().needsRebuild; }));
    SelectInput(frame, ID_INPUT_FILE);
    frame->GetTimer().Stop();

    wxColour painted;
    int paints = 0;
    dial->Bind(wxEVT_PAINT, [&](wxPaintEvent& e) {
        painted = dial->GetReadoutColour();
        ++paints;
        e.Skip();
    });
    const wxColour danger(DayPalette().danger.red, DayPalette().danger.green, DayPalette().danger.blue);
    int ticks = 0;
    while (!(Rpm(frame) > 7000)) {
        ASSERT_LT(++ticks, 200) << "the replay never crossed the limit";
        // Replay goes by real time: wait for the next record to be due.
        wxMilliSleep(20);
        Tick(frame);
        if (Rpm(frame) <= 7000)
            EXPECT_NE(dial->GetAlarmLevel(), AlarmLevel::Danger);
    }
    // The tick that brought the value decided the colour...
    EXPECT_EQ(dial->GetAlarmLevel(), AlarmLevel::Danger);
    const int before = paints;
    wxStopWatch sinceTick;
    // ...and the first paint after it draws it.
    ASSERT_TRUE(WaitFor([&] { return paints > before; }));
    std::printf("first paint after the danger record: %ld ms after the tick\n", sinceTick.Time());
    EXPECT_EQ(painted, danger);
    EXPECT_TRUE(WaitFor([&] { return wxFileExists(wxString::FromUTF8(dir.file("alarm.txt"))); }));
    EXPECT_EQ(frame->GetAlarmCommand()->GetRuns(), 1);

    // Peaks belong to the input that made them.
    EXPECT_TRUE(dial->GetAlarmState().Peaks().HasPeaks());
    SelectInput(frame, ID_INPUT_NONE);
    EXPECT_FALSE(dial->GetAlarmState().Peaks().HasPeaks());
    frame->Destroy();
    wxYield();
}
