#pragma once
// Where the dial, the four digital gauges and an optional status strip go in
// the frame's client area (below the menu bar), for any size. No window
// needed: the frame applies the result whenever its size changes.
//
// The reference is the 240 x 320 frame: its client area is 240 x 295, with
// the 210 px dial at (15, 5) and two rows of two 118 x 37 gauges under it.
// - Portrait (not wider than tall): that picture scaled in proportion, as
//   large as fits, centred.
// - Landscape: the dial on the left at full height, the digital gauges on the
//   right in a column or a 2 x 2 block, whichever lets them be larger (unless
//   the proportional picture gives larger digital gauges still, as on a
//   window only a little wider than tall).
// The strip takes the full width at the bottom; the gauges share the rest.
#include <wx/gdicmn.h>

constexpr int kDigitalGaugeCount = 4;

struct DashboardLayout {
    wxRect dial;                          // square
    wxRect digital[kDigitalGaugeCount];   // map, spark, lambda, dwell
    wxRect strip;                         // empty without a strip
    bool landscape = false;
};

// Client area of the reference layout, and the digital gauges' proportions.
constexpr int kReferenceClientWidth = 240;
constexpr int kReferenceClientHeight = 295;
constexpr double kDigitalHeightPerWidth = 0.31666666666666665;

// `stripHeight` of 0 means no strip. Sizes of 0 or less give empty rectangles.
DashboardLayout LayOutDashboard(const wxSize& client, int stripHeight = 0);
