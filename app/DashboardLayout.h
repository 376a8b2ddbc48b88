#pragma once
// Where the dial, the digital gauges, the indicator lamps and an optional
// status strip go in the frame's client area (below the menu bar), for any
// size. No window needed: the frame applies the result whenever its size
// changes.
//
// The reference is the 240 x 320 frame: its client area is 240 x 295, with
// the 210 px dial at (15, 5) and two rows of two 118 x 37 gauges under it.
// - Portrait (up to 1.2 times wider than tall): that picture scaled in proportion, as
//   large as fits, centred; height to spare makes the digital gauges taller.
// - Landscape (at least 1.2 times wider than tall): the dial on the left at full height (at most
//   two thirds of the width), the digital gauges on the right in a column or
//   two, whichever lets them be larger, as tall as the room allows.
// Four digital gauges, or up to seven (all the definition file's front page
// names) where there is room: an 800 x 480 window or larger.
// The strip takes the full width at the bottom, the lamps a band above it;
// the gauges share the rest.
#include <wx/gdicmn.h>

constexpr int kDigitalGaugeCount = 4;
constexpr int kMaxDigitalGauges = 7;

struct DashboardLayout {
    wxRect dial;                          // square
    wxRect digital[kMaxDigitalGauges];    // the first digitalCount are used
    int digitalCount = kDigitalGaugeCount;
    wxRect lamps;                         // empty without indicators
    int lampColumns = 0, lampRows = 0;    // lamps in one row, rows of lamps
    wxRect strip;                         // empty without a strip
    bool landscape = false;
};

// Client area of the reference layout, and the digital gauges' proportions.
constexpr int kReferenceClientWidth = 240;
constexpr int kReferenceClientHeight = 295;
constexpr double kDigitalHeightPerWidth = 0.31666666666666665;
// Where the window has height to spare, a digital gauge may grow up to this.
constexpr double kTallestDigitalPerWidth = 0.6;
// The client area of an 800 x 480 window below its menu bar, or more, either
// way round (800 x 455, or 480 x 775): room for every front-page gauge and
// more rows of lamps.
constexpr int kRoomyClientLong = 775;
constexpr int kRoomyClientShort = 440;
// A lamp is never narrower than this; more lamps than fit are left out.
constexpr int kLampMinWidth = 96;
constexpr int kMaxLampRowsWhenRoomy = 3;

// What the layout places besides the dial.
struct DashboardContent {
    int digitalWanted = kDigitalGaugeCount; // 4 to 7; only 4 without room
    int lampCount = 0;                      // indicators of the definition file
};

// `stripHeight` of 0 means no strip. Sizes of 0 or less give empty rectangles.
DashboardLayout LayOutDashboard(const wxSize& client, int stripHeight = 0,
                                const DashboardContent& content = DashboardContent());
