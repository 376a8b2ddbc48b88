#include "gauges/TarnGaugeDigital.h"

#include "base/DebugLog.h"
#include "dispatch/GaugeUpdater.h"
#include "gauges/DefaultLook.h"
#include "gauges/GaugeChoiceOffer.h"
#include "gaugemodel/DigitalLayout.h"
#include "gaugemodel/NumberFormat.h"
#include "gauges/GaugeChoiceEvent.h"
#include "gauges/wxStaticTextEx.h"

#include <wx/font.h>
#include <wx/intl.h>

#include <algorithm>
#include <cmath>

// Shared by all digital gauges; allocated once, before the event table below.
const long TarnGaugeDigital::ID_STATICTEXT1 = wxNewId();
const long TarnGaugeDigital::ID_STATICTEXT2 = wxNewId();
const long TarnGaugeDigital::ID_STATICTEXT3 = wxNewId();
// A meter's "overload": letters the seven-segment face can draw.
const char* const TarnGaugeDigital::kOverflowMark = "OL";

wxIMPLEMENT_CLASS(TarnGaugeDigital, wxControl);

wxBEGIN_EVENT_TABLE(TarnGaugeDigital, wxControl)
    EVT_LEFT_DOWN(TarnGaugeDigital::OnLeftDown)
    // A quick second tap arrives as a double click only.
    EVT_LEFT_DCLICK(TarnGaugeDigital::OnLeftDown)
    EVT_SIZE(TarnGaugeDigital::OnSize)
wxEND_EVENT_TABLE()

namespace {
const double kHeightPerWidth = 0.31666666666666665;
// The digits when there is no value.
const char* const kNoValueText = "---";
// Upper bound of every font search; far above anything a screen needs.
const int kLargestPoints = 400;
const int kSmallestTextPoints = 4;
// The title and units grow with the gauge's height up to this much beyond
// its usual proportion.
const double kTallestTextShare = 1.25;

// Made from wxFontInfo: the older constructor reads 70 points as "default".
wxFont DigitFont(int points)
{
    return wxFont(wxFontInfo(std::max(1, points)).Family(wxFONTFAMILY_SWISS).FaceName("7 Segment"));
}

wxFont Scaled(const wxFont& font, int points)
{
    wxFont scaled = font;
    scaled.SetPointSize(std::max(1, points));
    return scaled;
}
} // namespace

TarnGaugeDigital::TarnGaugeDigital(wxWindow* parent, const GaugeDescList* descs,
                                   const wxString& symbolName, int x, int y, int width)
{
    const int w = width;
    const int h = static_cast<int>(w * kHeightPerWidth);
    Create(parent, wxID_ANY, wxPoint(x, y), wxSize(w, h), 0, wxDefaultValidator, "control");
    m_baseFont = GetFont();

    m_titleText = new wxStaticTextEx(this, ID_STATICTEXT1, _("Label"), wxPoint(0, 0),
                                   wxSize(w, 14), wxST_NO_AUTORESIZE | wxALIGN_CENTRE_HORIZONTAL,
                                   "ID_STATICTEXT1");
    m_valueText = new wxStaticTextEx(this, ID_STATICTEXT2, _("Label"), wxPoint(2, 13),
                                   wxSize(std::max(1, w - 45), std::max(1, h)),
                                   wxST_NO_AUTORESIZE | wxALIGN_RIGHT, "ID_STATICTEXT2");
    m_unitsText = new wxStaticTextEx(this, ID_STATICTEXT3, _("Label"),
                                   wxPoint(std::max(0, w - 45), std::max(0, h - 14)),
                                   wxSize(45, 15), wxST_NO_AUTORESIZE | wxALIGN_LEFT,
                                   "ID_STATICTEXT3");
    m_digitFont = DigitFont(m_digitPoints);
    m_valueText->SetFont(m_digitFont);

    m_flashTimer.SetOwner(this);
    m_peaksTimer.SetOwner(this);
    Bind(wxEVT_TIMER, &TarnGaugeDigital::OnFlash, this, m_flashTimer.GetId());
    Bind(wxEVT_TIMER, &TarnGaugeDigital::OnPeaksTimer, this, m_peaksTimer.GetId());

    m_chooser.SetList(descs);
    SetDefaultGaugeDesc(std::max(0, m_chooser.FindBySymbol(symbolName)));
    if (!m_desc) {
        // Nothing to show: a definition file without gauge configurations.
        m_titleText->SetLabel(wxString());
        m_valueText->SetLabel(wxString());
        m_unitsText->SetLabel(wxString());
    }
    SetValue(0.0);
    ApplyPalette();
    m_alarm.Peaks().Reset(); // the 0 above is no value the engine had

    m_selector = new GaugeValueSelector(this, wxID_ANY);
    m_selector->SetTarget(this);
    SetWindowStyle(wxNO_BORDER);
    KeepDefaultLook(this);
}

void TarnGaugeDigital::SetValue(double v)
{
    if (!m_desc)
        return;
    ShowValueText(std::isnan(v) ? wxString(kNoValueText) : FormatNumber(m_desc->valueFormat(), v));
    if (m_alarm.TakeValue(v))
        ApplyValueColour();
}

void TarnGaugeDigital::ShowValueText(const wxString& text, bool boxChanged)
{
    // A steady value costs no measuring.
    if (!boxChanged && text == m_valueText->GetLabel())
        return;
    const auto extentAt = [this](const wxString& t, int points) {
        int w = 0, h = 0;
        const wxFont font = points == m_digitPoints ? m_digitFont : DigitFont(points);
        GetTextExtent(t, &w, &h, nullptr, nullptr, &font);
        return TextExtent{w, h};
    };
    wxString shown = text;
    int points = m_digitPoints;
    TextExtent e = extentAt(shown, points);
    if (e.width > m_valueBox.width || e.height > m_valueBox.height) {
        points = LargestFittingPoints(kSmallestDigitPoints, m_digitPoints, m_valueBox.width,
                                      m_valueBox.height,
                                      [&](int p) { return extentAt(shown, p); }, m_digitPoints);
        if (points == 0) {
            shown = kOverflowMark;
            points = std::max(1, LargestFittingPoints(1, m_digitPoints, m_valueBox.width,
                                                      m_valueBox.height,
                                                      [&](int p) { return extentAt(shown, p); },
                                                      m_digitPoints));
        }
        e = extentAt(shown, points);
    }
    if (m_valueText->GetFont().GetPointSize() != points)
        m_valueText->SetFont(points == m_digitPoints ? m_digitFont : DigitFont(points));
    // Exactly as high as the text, in the middle of its box: nothing to cut.
    const int height = std::min(e.height, m_valueBox.height);
    m_valueText->SetSize(m_valueBox.x, m_valueBox.y + (m_valueBox.height - height) / 2,
                         m_valueBox.width,
                       std::max(1, height));
    if (m_valueText->GetLabel() != shown)
        m_valueText->SetLabel(shown);
}

void TarnGaugeDigital::LayOutTexts()
{
    const wxSize size = GetClientSize();
    const auto extentWith = [this](const wxFont& base, const wxString& text) {
        // An empty text still decides the line's height.
        const wxString measured = text.empty() ? wxString("Ag") : text;
        return [this, base, measured](int points) {
            int w = 0, h = 0;
            const wxFont font = Scaled(base, points);
            GetTextExtent(measured, &w, &h, nullptr, nullptr, &font);
            return TextExtent{w, h};
        };
    };
    const wxString title = m_desc ? m_desc->getTitle() : wxString();
    const wxString units = m_desc ? m_desc->getUnits() : wxString();

    // The sizes of the last layout are measured already: cheap references.
    // A gauge taller than its proportion gives the height to the digits.
    const int textHeight = std::min(size.y, int(size.x * kHeightPerWidth * kTallestTextShare));
    const int titlePoints = std::max(
        1, LargestFittingPoints(kSmallestTextPoints, kLargestPoints, size.x,
                                TitleHeightFor(textHeight), extentWith(m_baseFont, title),
                                m_titleText->GetFont().GetPointSize()));
    const TextExtent titleSize = extentWith(m_baseFont, title)(titlePoints);
    TextExtent unitsSize;
    int unitsPoints = titlePoints;
    if (!units.empty()) {
        unitsPoints = std::max(
            1, LargestFittingPoints(kSmallestTextPoints, titlePoints, UnitsWidthFor(size.x),
                                    UnitsHeightFor(textHeight), extentWith(m_baseFont, units),
                                    m_unitsText->GetFont().GetPointSize()));
        unitsSize = extentWith(m_baseFont, units)(unitsPoints);
    }
    const DigitalLayout l = LayOutDigitalGauge(size.x, size.y, std::min(titleSize.height, size.y),
                                               unitsSize.width, unitsSize.height);
    m_titleText->SetFont(Scaled(m_baseFont, titlePoints));
    m_titleText->SetSize(l.title.x, l.title.y, std::max(1, l.title.width),
                         std::max(1, l.title.height));
    m_unitsText->SetFont(Scaled(m_baseFont, unitsPoints));
    m_unitsText->SetSize(l.units.x, l.units.y, std::max(1, l.units.width),
                         std::max(1, l.units.height));
    m_valueBox = wxRect(l.value.x, l.value.y, l.value.width, l.value.height);

    // One size for every value of the range, so the digits do not jump.
    const int lastDigitPoints = m_digitPoints;
    m_digitPoints = 1;
    if (m_desc) {
        const wxString format = m_desc->valueFormat();
        const wxString ends[] = {FormatNumber(format, m_desc->getMinValue()),
                                 FormatNumber(format, m_desc->getMaxValue())};
        m_digitPoints = std::max(
            1, LargestFittingPoints(kSmallestDigitPoints, kLargestPoints, m_valueBox.width,
                                    m_valueBox.height, [&](int points) {
                                        TextExtent widest;
                                        const wxFont font = DigitFont(points);
                                        for (const wxString& end : ends) {
                                            int w = 0, h = 0;
                                            GetTextExtent(end, &w, &h, nullptr, nullptr, &font);
                                            widest.width = std::max(widest.width, w);
                                            widest.height = std::max(widest.height, h);
                                        }
                                        return widest;
                                    },
                                    lastDigitPoints));
    }
    m_digitFont = DigitFont(m_digitPoints);
    ShowValueText(m_valueText->GetLabel(), true);
}

void TarnGaugeDigital::OnSize(wxSizeEvent& event)
{
    if (m_titleText)
        LayOutTexts();
    event.Skip();
}

void TarnGaugeDigital::RefreshSymbol(const ValueMap& values)
{
    ValueMap::const_iterator it = values.find(GetSymbolName());
    if (it != values.end())
        SetValue(it->second);
}

wxString TarnGaugeDigital::GetSymbolName()
{
    return m_desc ? m_desc->getSymbolName() : wxString();
}

// Titles and units come from the definition file: shown as they are written,
// an '&' included.
void TarnGaugeDigital::ShowDescTexts()
{
    m_titleText->SetLabelText(m_desc->getTitle());
    m_unitsText->SetLabelText(m_desc->getUnits());
    LayOutTexts();
}

void TarnGaugeDigital::SetDefaultGaugeDesc(int i)
{
    if (m_chooser.Count() == 0)
        return;
    if (!m_chooser.At(i))
        i = 0;
    if (!m_chooser.At(i))
        return;
    m_defGaugeId = i;
    m_desc = m_chooser.At(i);
    DebugLog(0, wxString::Format("TarnGaugeDigital::SetDefaultGaugeDesc ID: %i P: %p", i,
                                 static_cast<const void*>(m_desc)));
    ShowDescTexts();
    TakeAlarmBounds();
}

void TarnGaugeDigital::RetakeGaugeDesc()
{
    if (m_desc) {
        ShowDescTexts();
        TakeAlarmBounds();
    }
}

void TarnGaugeDigital::SetValueIdx(int i)
{
    DebugLog(0, wxString::Format("SetValueIdx recived index: %i", i));
    const int id = m_chooser.IndexOfRow(i);
    if (id < 0)
        return;
    m_defGaugeId = id;
    DebugLog(0, wxString::Format("m_defGaugeId: %i", m_defGaugeId));
    m_desc = m_chooser.At(m_defGaugeId);
    ShowDescTexts();
    TakeAlarmBounds();
    SendGaugeDescChosen(this, id);
}

void TarnGaugeDigital::OnLeftDown(wxMouseEvent& event)
{
    DebugLog(0, "TarnGaugeDigital::OnLeftDown");
    if (event.AltDown()) {
        ShowPeaks();
        return;
    }
    m_chooser.Offer(ValuesServedBy(m_dispatcher));
    ShowChoice(m_selector, this, this, m_chooser, m_desc ? m_defGaugeId : -1, _("gauge"));
}
