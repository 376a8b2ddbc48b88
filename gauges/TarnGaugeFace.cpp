// The static dial: geometry from the window size, and the two cached layers
// (bezel; bezel plus face, bands, ticks, labels and hub).
#include "base/DebugLog.h"
#include "base/StderrTrace.h"
#include "gaugemodel/TARNGaugeDesc.h"
#include "gauges/TarnGauge.h"

#include <wx/dcclient.h>
#include <wx/dcmemory.h>

#include <algorithm>

// Most degrees by which a band's face-coloured cover overlaps its radii.
static const double kMaxBandCoverMargin = 10.0;

// Widest title line, in dial radii: the room between the scale labels at the
// height of the title (labels at 0.7 R, the line about 0.3 R above the centre).
static const double kNameWidthPerRadius = 1.0;
// The title line is dropped rather than shrunk below this.
static const int kSmallestNamePoints = 6;

void TarnGauge::SetFaceColour(const wxColour& colour)
{
    m_faceColour = colour;
    m_faceBrush = wxBrush(colour, wxBRUSHSTYLE_SOLID);
}

void TarnGauge::SetPointerColour(const wxColour& colour)
{
    m_pointerBrush = wxBrush(colour, wxBRUSHSTYLE_SOLID);
    m_pointerPen = wxPen(colour, 1, wxPENSTYLE_SOLID);
}

void TarnGauge::SetScaleColour(const wxColour& colour)
{
    m_scaleColour = colour;
    m_tickPen = wxPen(colour, 1, wxPENSTYLE_SOLID);
}

void TarnGauge::SetHubColour(const wxColour& colour)
{
    m_hubBrush = wxBrush(colour, wxBRUSHSTYLE_SOLID);
    m_hubPen = wxPen(colour, 1, wxPENSTYLE_SOLID);
}

wxSize TarnGauge::LayerArea() const
{
    if (!m_faceBitmap.IsOk())
        return wxSize(0, 0);
    return wxSize(std::max(0, std::min(m_dial.width, m_faceBitmap.GetWidth())),
                  std::max(0, std::min(m_dial.height, m_faceBitmap.GetHeight())));
}

void TarnGauge::CalculateSize()
{
    DebugLog(0, "TarnGauge::CalculateSize() START");
    StderrTrace("TarnGauge::CalculateSize()\n");
    wxClientDC dc(this);
    GetClientSize(&m_dial.width, &m_dial.height);
    if (!m_fitToParent) {
        m_dial.width = m_initialSize.x;
        m_dial.height = m_initialSize.y;
    } else if (m_parentWindow) {
        m_parentWindow->GetClientSize(&m_dial.width, &m_dial.height);
    }
    StderrTrace("TarnGauge::CalculateSize x=%i, y=%i!!\n", m_dial.width, m_dial.height);

    SquareSize(&m_dial.width, &m_dial.height);
    GrowLayers(m_dial.width, m_dial.height);
    SetSize(wxSize(m_dial.width, m_dial.height));
    // The size the window really got. GTK applies a new size to the drawing
    // surface only at its next layout pass, so the context would still report
    // the old one; the window's client size is current at once.
    GetClientSize(&m_dial.width, &m_dial.height);
    StderrTrace("TarnGauge::CalculateSize x=%i, y=%i!!\n", m_dial.width, m_dial.height);

    m_dial = ComputeDialLayout(m_dial.width, m_dial.height);
    // A dial under 12 pixels of radius has no readable text; a font needs a
    // positive size all the same.
    m_font = wxFont(std::max(1, m_dial.fontSize), wxFONTFAMILY_DEFAULT, wxFONTSTYLE_NORMAL,
                    wxFONTWEIGHT_NORMAL, false, wxEmptyString);
    dc.SetFont(m_font);

    int w = 0, h = 0;
    if (!m_valueText.empty())
        dc.GetTextExtent(m_valueText, &w, &h);
    m_valueSize = wxSize(w, h);
    m_valueX = m_dial.cx - w / 2 - 2;
    m_valueY = TruncToInt(m_dial.cy + m_dial.valueOffset - (h / 2));

    m_titleSize = wxSize(0, 0); // measured again with the new font
    UpdateTitle(dc);
}

void TarnGauge::GrowLayers(int width, int height)
{
    // Allocated at display size once; a dial larger than the display (a
    // window bigger than the screen) needs more.
    if (m_faceBitmap.IsOk() && m_faceBitmap.GetWidth() >= width
        && m_faceBitmap.GetHeight() >= height)
        return;
    const wxSize display = wxGetDisplaySize();
    const int w = std::max(width, display.x);
    const int h = std::max(height, display.y);
    m_faceBitmap.Create(w, h, wxDisplayDepth());
    m_bezelBitmap.Create(w, h, wxDisplayDepth());
}

void TarnGauge::UpdateTitle(wxDC& dc)
{
    if (!m_gd) {
        m_titleText.clear();
        m_nameText.clear();
        m_nameRect = wxRect();
        return;
    }
    const wxString title = m_gd->getUnits() + wxString::Format(" x %i", m_gd->getScaleFactor());
    // Every paint asks; the extent changes only with the text and the font.
    if (title != m_titleText || m_titleSize == wxSize(0, 0)) {
        m_titleText = title;
        m_titleSize = dc.GetTextExtent(m_titleText);
    }
    const int h = m_titleSize.y;
    m_titleX = m_dial.cx - m_titleSize.x / 2;
    m_titleY = TruncToInt(m_dial.cy - m_dial.titleOffset - (h / 2));

    // The gauge's own title on the line below, where it fits between the
    // scale labels: two gauges may share units (coolant and intake air, both
    // in degrees), never their titles.
    const wxString name = m_gd->getTitle();
    // What the fit depends on.
    const wxRect placeFor(m_dial.cx, m_titleY + h, m_dial.radius, m_dial.fontSize);
    if (name == m_nameFitted && placeFor == m_nameFittedFor)
        return; // every paint asks; the answer only changes with these
    m_nameFitted = name;
    m_nameFittedFor = placeFor;
    m_nameText.clear();
    m_nameRect = wxRect();
    if (name.empty() || !m_font.IsOk())
        return;
    const int maxWidth = TruncToInt(kNameWidthPerRadius * m_dial.radius);
    const int smallest = std::max(kSmallestNamePoints, TruncToInt(0.7 * m_dial.fontSize));
    for (int points = std::max(1, m_dial.fontSize); points >= smallest; --points) {
        wxFont font = m_font;
        font.SetPointSize(points);
        int nw = 0, nh = 0;
        dc.GetTextExtent(name, &nw, &nh, nullptr, nullptr, &font);
        if (nw <= maxWidth) {
            m_nameText = name;
            m_nameFont = font;
            m_nameRect = wxRect(m_dial.cx - nw / 2, m_titleY + h, nw, nh);
            return;
        }
    }
}

void TarnGauge::paintGaugeBg(int flags)
{
    DebugLog(0, "paintGaugeBg() START");
    const wxSize area = LayerArea();
    wxMemoryDC dc;
    dc.SetBackground(wxBrush(GetBackgroundColour()));

    if (flags & 1) {
        dc.SelectObject(m_bezelBitmap);
        dc.Clear();
        if (m_dial.radius > 0)
            DrawBezel(dc);
        dc.SelectObject(wxNullBitmap);
    }

    if (m_faceBitmap.IsOk()) {
        dc.SelectObject(m_faceBitmap);
        {
            wxMemoryDC bezel;
            bezel.SelectObjectAsSource(m_bezelBitmap);
            dc.Blit(0, 0, area.x, area.y, &bezel, 0, 0);
        }
        if (m_dial.radius > 0) {
            const int r = m_dial.radius;
            dc.SetPen(*wxBLACK_PEN);
            dc.SetBrush(m_faceBrush);
            dc.DrawEllipse(m_dial.cx - r, m_dial.cy - r, 2 * r, 2 * r);
            if (m_gd) {
                DrawBands(dc);
                DrawTicks(dc);
                DrawLabels(dc);
            }
            const int hub = TruncToInt(m_dial.hubRadius);
            dc.SetPen(m_hubPen);
            dc.SetBrush(m_hubBrush);
            dc.DrawEllipse(m_dial.cx - hub, m_dial.cy - hub, 2 * hub, 2 * hub);
        }
        dc.SetPen(wxNullPen);
        dc.SetBrush(wxNullBrush);
        dc.SelectObject(wxNullBitmap);
    }
    DebugLog(0, "paintGaugeBg() END");
}

void TarnGauge::DrawSector(wxDC& dc, double a1, double a2, double radius)
{
    const int d = TruncToInt(radius);
    double sa = 0, ea = 0;
    ToToolkitArc(a1, a2, &sa, &ea);
    dc.DrawEllipticArc(m_dial.cx - d, m_dial.cy - d, 2 * d, 2 * d, sa, ea);
}

void TarnGauge::DrawBezel(wxDC& dc)
{
    // Two rings of overlapping sectors: light from the right on the outer
    // ring, from the left on the inner one, so the face looks sunk in.
    const double radii[2] = {double(m_dial.radius + kBezelWidth), double(m_dial.radius + 7)};
    for (int ring = 0; ring < 2; ++ring) {
        const std::array<int, kBezelSectors> greys = BezelGreys(ring == 0);
        for (int s = 0; s < kBezelSectors; ++s) {
            const RgbColour lit = Dimmed({static_cast<unsigned char>(greys[s]),
                                    static_cast<unsigned char>(greys[s]),
                                    static_cast<unsigned char>(greys[s])},
                                   PaletteFor(m_night).bezelLevel);
            const wxColour grey(lit.red, lit.green, lit.blue);
            dc.SetPen(wxPen(grey, 1, wxPENSTYLE_SOLID));
            dc.SetBrush(wxBrush(grey, wxBRUSHSTYLE_SOLID));
            const double angle = 2.0 * s;
            DrawSector(dc, angle - kBezelSectorSpan, angle, radii[ring]);
        }
    }
}

void TarnGauge::DrawBands(wxDC& dc)
{
    const double start = m_gd->getStartAngle();
    const double sweep = m_gd->getSweepAngle();
    // Wide enough to hide the seam 1.5 pixels either side even at the hub.
    const double margin = std::min(
        kMaxBandCoverMargin, std::max(1.0, 1.5 / std::max(1.0, m_dial.hubRadius) / kDegToRad));
    for (const GaugeRange& range : m_gd->getRanges()) {
        double aL = 0, aH = 0;
        if (!range.colour
            || !BandAngles(range.lo, range.hi, m_gd->getMinValue(), m_gd->getMaxValue(), start,
                           sweep, &aL, &aH))
            continue;
        const RgbColour band = BandColour(PaletteFor(m_night), *range.colour);
        const wxColour colour(band.red, band.green, band.blue);
        dc.SetPen(*wxBLACK_PEN);
        dc.SetBrush(wxBrush(colour, wxBRUSHSTYLE_SOLID));
        DrawSector(dc, aL, aH, m_dial.tickOuter);
        // The face-coloured cover reaches past the band's radii: with
        // antialiasing, two sectors sharing an edge leave a faint coloured
        // line from the hub to the band. Inside 0.85 R all is face anyway;
        // the cover's black arc is then drawn over the band's angles only.
        dc.SetPen(*wxTRANSPARENT_PEN);
        dc.SetBrush(m_faceBrush);
        DrawSector(dc, aL - margin, aH + margin, m_dial.tickInner);
        dc.SetPen(*wxBLACK_PEN);
        dc.SetBrush(*wxTRANSPARENT_BRUSH);
        DrawSector(dc, aL, aH, m_dial.tickInner);
    }
}

void TarnGauge::DrawTicks(wxDC& dc)
{
    const wxPen minorPen = m_tickPen;
    const wxPen majorPen(m_scaleColour, 3, wxPENSTYLE_SOLID);
    const std::vector<DialTick> ticks =
        DialTicks(m_dial.cx, m_dial.cy, m_dial.tickInner, m_dial.tickOuter, m_gd->getStartAngle(),
                  m_gd->getSweepAngle(), m_gd->getMajorDivisions(), m_gd->getMinorDivisions());
    for (const DialTick& t : ticks) {
        dc.SetPen(t.major ? majorPen : minorPen);
        dc.DrawLine(t.inner.x, t.inner.y, t.outer.x, t.outer.y);
    }
}

void TarnGauge::DrawLabels(wxDC& dc)
{
    dc.SetFont(m_font);
    dc.SetTextForeground(m_scaleColour);
    dc.SetTextBackground(m_faceColour);
    dc.SetBackgroundMode(wxBRUSHSTYLE_TRANSPARENT);
    const double step = LabelStep(m_gd->getSweepAngle(), m_gd->getMajorDivisions());
    double a = m_gd->getStartAngle();
    for (const wxString& text : m_labels) {
        int w = 0, h = 0;
        dc.GetTextExtent(text, &w, &h);
        const DialPoint p = LabelTopLeft(m_dial.cx, m_dial.cy, m_dial.labelRadius, a, w, h);
        dc.DrawText(text, p.x, p.y);
        a += step;
    }
}
