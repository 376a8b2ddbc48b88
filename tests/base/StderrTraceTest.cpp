#include "base/StderrTrace.h"
#include "tests/support/LogCapture.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <string>

TEST(StderrTrace, GoesWhereItIsRouted)
{
    const std::string longName(300, 'n');
    LogCapture log;
    {
        TraceCapture stream;
        StderrTrace("TarnProtocol::genericTest() MATCH!\n");
        EXPECT_EQ(stream.text(), "TarnProtocol::genericTest() MATCH!\n");
        EXPECT_TRUE(log.messages().empty());

        RouteStderrTraces({nullptr, true});
        StderrTrace("TarnProtocol::genericTest() recLen %d, expLen %d\n", 3, 56);
        StderrTrace("TARNGaugeDesc::SetGaugeNumbers() %f\n", 2.5);
        StderrTrace("%s\n", longName.c_str());
        EXPECT_EQ(stream.text(), "TarnProtocol::genericTest() MATCH!\n");
    } // the capture puts the route back
    EXPECT_EQ(log.messages(), (std::vector<wxString>{"TarnProtocol::genericTest() recLen 3, expLen 56",
                                                     "TARNGaugeDesc::SetGaugeNumbers() 2.500000",
                                                     longName}));
    const StderrTraceRoute now = RouteStderrTraces({});
    EXPECT_EQ(now.stream, stderr);
    EXPECT_FALSE(now.toDebugLog);
}
