#include "app/DashboardLayout.h"

#include <algorithm>
#include <cmath>

namespace {

const wxRect kReferenceDial(15, 5, 210, 210);
// The reference rows of digital gauges: two 118 x 37 side by side, rows 38
// apart; a last gauge alone in its row is centred.
constexpr int kReferenceFirstRow = 220;
constexpr int kReferenceRowPitch = 38;

wxRect ReferenceDigital(int i, int count)
{
    const int row = i / 2;
    const int y = kReferenceFirstRow + row * kReferenceRowPitch;
    if (i == count - 1 && count % 2 == 1)
        return wxRect(61, y, 118, 37);
    return wxRect(i % 2 ? 121 : 1, y, 118, 37);
}

// Scales a rectangle's edges (not its size), so neighbours stay apart.
wxRect ScaleRect(const wxRect& r, double s, int ox, int oy)
{
    const int x0 = int(std::lround(r.x * s)), y0 = int(std::lround(r.y * s));
    const int x1 = int(std::lround((r.x + r.width) * s));
    const int y1 = int(std::lround((r.y + r.height) * s));
    return wxRect(ox + x0, oy + y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
}

// Taller digital gauges where the window has height to spare: each row grows
// by an equal share of it, up to kTallestDigitalPerWidth, so no band of white
// is left under the picture.
void GrowRows(DashboardLayout& l, int rows, int across, int spare)
{
    if (spare <= 0 || rows <= 0)
        return;
    const int most = int(l.digital[0].width * kTallestDigitalPerWidth) - l.digital[0].height;
    const int grow = std::clamp(spare / rows, 0, std::max(0, most));
    for (int i = 0; i < l.digitalCount; ++i) {
        l.digital[i].y += (i / across) * grow;
        l.digital[i].height += grow;
    }
}

DashboardLayout Portrait(int width, int height, int count)
{
    DashboardLayout l;
    l.digitalCount = count;
    const int rows = (count + 1) / 2;
    const int referenceHeight = kReferenceClientHeight + (rows - 2) * kReferenceRowPitch;
    const double s = std::min(double(width) / kReferenceClientWidth,
                              double(height) / referenceHeight);
    const int ox = int((width - kReferenceClientWidth * s) / 2);
    l.dial = ScaleRect(kReferenceDial, s, ox, 0);
    l.dial.height = l.dial.width = std::min(l.dial.width, l.dial.height);
    for (int i = 0; i < count; ++i)
        l.digital[i] = ScaleRect(ReferenceDigital(i, count), s, ox, 0);
    GrowRows(l, rows, 2, height - l.digital[count - 1].GetBottom() - 1);
    // What is still left over goes above and below, in equal parts.
    const int oy = std::max(0, (height - l.digital[count - 1].GetBottom() - 1) / 2);
    l.dial.y += oy;
    for (int i = 0; i < count; ++i)
        l.digital[i].y += oy;
    return l;
}

DashboardLayout Landscape(int width, int height, int count)
{
    DashboardLayout l;
    l.landscape = true;
    l.digitalCount = count;
    const int margin = std::max(2, int(std::lround(height * 5.0 / kReferenceClientHeight)));
    // The gauges keep a third of the width, also where the window is nearly square.
    const int side = std::max(0, std::min({height, width, width * 2 / 3}) - 2 * margin);
    l.dial = wxRect(margin, std::max(margin, (height - side) / 2), side, side);

    const int rx = margin + side + margin;
    const int rw = std::max(0, width - rx - margin);
    const int rh = std::max(0, height - 2 * margin);
    const int gap = margin;
    auto widthFor = [](int across, int down, int roomW, int roomH, int spacing) {
        const int byWidth = (roomW - (across - 1) * spacing) / across;
        const int byHeight =
            int(((roomH - (down - 1) * spacing) / double(down)) / kDigitalHeightPerWidth);
        return std::max(0, std::min(byWidth, byHeight));
    };
    const int columnWidth = widthFor(1, count, rw, rh, gap);
    const int blockWidth = widthFor(2, (count + 1) / 2, rw, rh, gap);
    const int across = columnWidth >= blockWidth ? 1 : 2;
    const int down = (count + across - 1) / across;
    const int gw = across == 1 ? columnWidth : blockWidth;
    // As tall as the room allows, up to the tallest proportion.
    const int gh = std::max(int(gw * kDigitalHeightPerWidth),
                            std::min(int(gw * kTallestDigitalPerWidth),
                                     (rh - (down - 1) * gap) / std::max(1, down)));
    const int blockW = across * gw + (across - 1) * gap;
    const int blockH = down * gh + (down - 1) * gap;
    const int bx = rx + (rw - blockW) / 2;
    const int by = margin + (rh - blockH) / 2;
    for (int i = 0; i < count; ++i) {
        const int col = i % across, row = i / across;
        // A last gauge alone in its row stands in the middle.
        const int x = across == 2 && i == count - 1 && count % 2 == 1
                          ? bx + (blockW - gw) / 2
                          : bx + col * (gw + gap);
        l.digital[i] = wxRect(x, by + row * (gh + gap), gw, gh);
    }
    return l;
}

// Nearly square windows keep the proportional picture: a dial at full height
// would leave the digital gauges a narrow strip.
bool IsLandscape(int width, int height)
{
    return width * 5 >= height * 6;
}

bool Roomy(const wxSize& client)
{
    return std::max(client.x, client.y) >= kRoomyClientLong &&
           std::min(client.x, client.y) >= kRoomyClientShort;
}

} // namespace

DashboardLayout LayOutDashboard(const wxSize& client, int stripHeight,
                                const DashboardContent& content)
{
    const int width = std::max(0, client.x);
    stripHeight = std::clamp(stripHeight, 0, std::max(0, client.y));
    const bool roomy = Roomy(client);
    const int count =
        roomy ? std::clamp(content.digitalWanted, kDigitalGaugeCount, kMaxDigitalGauges)
              : kDigitalGaugeCount;

    // The lamps' band: one row, more where there is room and lamps to fill them.
    int lampColumns = 0, lampRows = 0, lampHeight = 0;
    if (content.lampCount > 0 && width > 0) {
        lampColumns = std::clamp(width / kLampMinWidth, 1, content.lampCount);
        const int rowsNeeded = (content.lampCount + lampColumns - 1) / lampColumns;
        lampRows = std::min(rowsNeeded, roomy ? kMaxLampRowsWhenRoomy : 1);
        const int rowHeight = std::clamp(client.y / 20, 14, 24);
        lampHeight = std::min(lampRows * rowHeight, std::max(0, client.y - stripHeight) / 4);
    }

    const int height = std::max(0, client.y - stripHeight - lampHeight);
    DashboardLayout l;
    l.digitalCount = count;
    if (width > 0 && height > 0)
        l = IsLandscape(width, height) ? Landscape(width, height, count)
                                       : Portrait(width, height, count);
    if (lampHeight > 0) {
        l.lamps = wxRect(0, height, width, lampHeight);
        l.lampColumns = lampColumns;
        l.lampRows = lampRows;
    }
    if (stripHeight > 0)
        l.strip = wxRect(0, height + lampHeight, width, stripHeight);
    return l;
}
