#include "base/DebugLog.h"
#include "tests/support/LogCapture.h"

#include <gtest/gtest.h>

namespace {
class LevelCapture : public wxLog {
public:
    LevelCapture() { previous = wxLog::SetActiveTarget(this); }
    ~LevelCapture() override { wxLog::SetActiveTarget(previous); }
    std::vector<std::pair<wxLogLevel, wxString>> seen;

protected:
    void DoLogRecord(wxLogLevel level, const wxString& msg, const wxLogRecordInfo&) override
    {
        seen.emplace_back(level, msg);
    }

private:
    wxLog* previous = nullptr;
};
} // namespace

TEST(DebugLog, LevelsAndLiteralText)
{
    struct Case {
        unsigned level;
        const char* text;
        wxLogLevel want;
    } cases[] = {
        {0, "plain", wxLOG_Message},      {1, "careful", wxLOG_Warning},
        {2, "broken", wxLOG_Error},       {3, "other", wxLOG_Message},
        {0, "100% %s %d %n", wxLOG_Message},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.text);
        LevelCapture log;
        DebugLog(c.level, c.text);
        ASSERT_EQ(log.seen.size(), 1u);
        EXPECT_EQ(log.seen[0].first, c.want);
        EXPECT_EQ(log.seen[0].second, c.text);
    }
}
