#include "app/DashboardLayout.h"

#include <algorithm>
#include <cmath>

namespace {

const wxRect kReferenceDial(15, 5, 210, 210);
const wxRect kReferenceDigital[kDigitalGaugeCount] = {
    {1, 220, 118, 37}, {121, 220, 118, 37}, {1, 258, 118, 37}, {121, 258, 118, 37}};

// Scales a rectangle's edges (not its size), so neighbours stay apart.
wxRect ScaleRect(const wxRect& r, double s, int ox, int oy)
{
    const int x0 = int(std::lround(r.x * s)), y0 = int(std::lround(r.y * s));
    const int x1 = int(std::lround((r.x + r.width) * s));
    const int y1 = int(std::lround((r.y + r.height) * s));
    return wxRect(ox + x0, oy + y0, std::max(0, x1 - x0), std::max(0, y1 - y0));
}

DashboardLayout Portrait(int width, int height)
{
    DashboardLayout l;
    const double s = std::min(double(width) / kReferenceClientWidth,
                              double(height) / kReferenceClientHeight);
    const int ox = int((width - kReferenceClientWidth * s) / 2);
    const int oy = int((height - kReferenceClientHeight * s) / 2);
    l.dial = ScaleRect(kReferenceDial, s, ox, oy);
    l.dial.height = l.dial.width = std::min(l.dial.width, l.dial.height);
    for (int i = 0; i < kDigitalGaugeCount; ++i)
        l.digital[i] = ScaleRect(kReferenceDigital[i], s, ox, oy);
    return l;
}

DashboardLayout Landscape(int width, int height)
{
    DashboardLayout l;
    l.landscape = true;
    const int margin = std::max(2, int(std::lround(height * 5.0 / kReferenceClientHeight)));
    const int side = std::max(0, std::min(height, width) - 2 * margin);
    l.dial = wxRect(margin, margin, side, side);

    const int rx = margin + side + margin;
    const int rw = std::max(0, width - rx - margin);
    const int rh = side;
    const int gap = margin;
    auto widthFor = [](int across, int down, int roomW, int roomH, int spacing) {
        const int byWidth = (roomW - (across - 1) * spacing) / across;
        const int byHeight =
            int(((roomH - (down - 1) * spacing) / double(down)) / kDigitalHeightPerWidth);
        return std::max(0, std::min(byWidth, byHeight));
    };
    const int columnWidth = widthFor(1, 4, rw, rh, gap);
    const int blockWidth = widthFor(2, 2, rw, rh, gap);
    const int across = columnWidth >= blockWidth ? 1 : 2;
    const int down = kDigitalGaugeCount / across;
    const int gw = across == 1 ? columnWidth : blockWidth;
    const int gh = int(gw * kDigitalHeightPerWidth);
    const int blockW = across * gw + (across - 1) * gap;
    const int blockH = down * gh + (down - 1) * gap;
    const int bx = rx + (rw - blockW) / 2;
    const int by = margin + (rh - blockH) / 2;
    for (int i = 0; i < kDigitalGaugeCount; ++i) {
        const int col = i % across, row = i / across;
        l.digital[i] = wxRect(bx + col * (gw + gap), by + row * (gh + gap), gw, gh);
    }
    return l;
}

} // namespace

DashboardLayout LayOutDashboard(const wxSize& client, int stripHeight)
{
    const int width = std::max(0, client.x);
    stripHeight = std::clamp(stripHeight, 0, std::max(0, client.y));
    const int height = std::max(0, client.y - stripHeight);
    DashboardLayout l;
    if (width > 0 && height > 0) {
        l = Portrait(width, height);
        if (width > height) {
            const DashboardLayout wide = Landscape(width, height);
            if (wide.digital[0].width >= l.digital[0].width)
                l = wide;
        }
    }
    if (stripHeight > 0)
        l.strip = wxRect(0, height, width, stripHeight);
    return l;
}
