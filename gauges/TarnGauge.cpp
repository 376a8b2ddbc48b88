// The analog gauge as a window: construction, description choice, mouse
// handlers and the parent's circular shape.
#include "gauges/TarnGauge.h"

#include "base/DebugLog.h"
#include "base/StderrTrace.h"
#include "dispatch/GaugeUpdater.h"
#include "gauges/GaugeChoiceEvent.h"
#include "gauges/DefaultLook.h"
#include "gauges/GaugeChoiceOffer.h"
#include "gauges/GaugeValueSelector.h"
#include "gaugemodel/MenuGroups.h"
#include "gaugemodel/TARNGaugeDesc.h"

#include <wx/dcmemory.h>
#include <wx/intl.h>
#include <wx/region.h>
#include <wx/toplevel.h>

// Drawn before the event table below is built from it.
const long TarnGauge::closeId = wxNewId();

// Height of one popup menu row with the toolkit's default theme, with a
// little to spare.
static const int kMenuRowHeight = 26;

// Larger than any window: the rectangle that stands for "no shape".
static const int kMaxWindowSide = 32767;

wxIMPLEMENT_DYNAMIC_CLASS(TarnGauge, wxControl);

// clang-format off
wxBEGIN_EVENT_TABLE(TarnGauge, wxControl)
    EVT_PAINT(TarnGauge::OnPaint)
    EVT_SIZE(TarnGauge::OnSize)
    EVT_MOUSEWHEEL(TarnGauge::OnMouseWheel)
    EVT_RIGHT_DOWN(TarnGauge::OnMouseRightClick)
    EVT_MENU(TarnGauge::closeId, TarnGauge::OnPopupMenuClose)
    EVT_LEFT_DOWN(TarnGauge::OnLeftDown)
    EVT_LEFT_UP(TarnGauge::OnLeftUp)
    EVT_MOTION(TarnGauge::OnMotion)
    EVT_LEFT_DCLICK(TarnGauge::OnDoubleClick)
wxEND_EVENT_TABLE()
// clang-format on

TarnGauge::TarnGauge()
{
    InitFields();
}

TarnGauge::TarnGauge(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                     bool fitToParent, const GaugeDescList* descs)
{
    InitFields();
    Create(parent, id, pos, size, fitToParent, descs);
}

void TarnGauge::InitFields()
{
    m_dial = DialLayout();
    m_initialSize = wxSize(0, 0);
    m_fitToParent = false;
    m_titleX = m_titleY = 0;
    m_needRebuild = false;
    m_gd = nullptr;
    m_value = 0.0;
    m_readout = 0.0;
    m_night = false;
    m_hasValue = false;
    m_stale = false;
    m_points = {};
    m_valueX = m_valueY = 0;
    m_valueSize = wxSize(0, 0);
    m_titleSize = wxSize(0, 0);
    m_parentWindow = nullptr;
    m_chooser.SetList(nullptr);
    m_defGaugeId = 0;
    m_hasShape = false;
    m_menu = std::make_unique<GaugeDescMenu>(
        this, closeId, [this](int id, int index) { OnPopupMenuSelectSymbol(id, index); });
    m_selector = nullptr;
}

bool TarnGauge::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                       bool fitToParent, const GaugeDescList* descs)
{
    // GTK fixes a window's border when it is created (a later style change
    // leaves a 1-pixel frame that eats into the dial), so no border from the start.
    if (!wxControl::Create(parent, id, pos, size, wxBORDER_NONE, wxDefaultValidator, "control"))
        return false;
    // Every paint covers the whole client area from the cached layers.
    SetBackgroundStyle(wxBG_STYLE_PAINT);
    DebugLog(0, "TarnGauge::TarnGauge() START");

    m_parentWindow = parent;
    if (parent)
        parent->GetClientSize(&m_dial.width, &m_dial.height);
    setSize(m_dial.width);

    m_flashTimer.SetOwner(this);
    Bind(wxEVT_TIMER, &TarnGauge::OnFlash, this, m_flashTimer.GetId());
    ApplyPalette();

    m_menu->SetRowLimit(MenuRowsThatFit(wxGetDisplaySize().y, kMenuRowHeight));
    SetGaugeDescArray(descs);

    m_initialSize = size;
    m_fitToParent = fitToParent;

    SetValue(0.0);
    m_alarm.Peaks().Reset(); // the 0 above is no value the engine had
    m_hasShape = false;
    m_needRebuild = true;

    const wxSize display = wxGetDisplaySize();
    const int depth = wxDisplayDepth();
    m_faceBitmap.Create(display.x, display.y, depth);
    m_bezelBitmap.Create(display.x, display.y, depth);

    m_selector = new GaugeValueSelector(this, wxID_ANY);
    m_selector->SetTarget(this);

    KeepDefaultLook(this);
    DebugLog(0, "TarnGauge::TarnGauge() END");
    SetWindowStyle(wxBORDER_NONE);
    ApplyPalette();
    return true;
}

TarnGauge::~TarnGauge() = default;

void TarnGauge::SetGaugeDescArray(const GaugeDescList* list)
{
    m_chooser.SetList(list);
    BuildPopupMenu();
}

void TarnGauge::SetMenuRowLimit(int rows)
{
    m_menu->SetRowLimit(rows);
    BuildPopupMenu();
}

void TarnGauge::ShowCloseItem(bool shown)
{
    m_menu->SetCloseItem(shown);
    BuildPopupMenu();
}

void TarnGauge::BuildPopupMenu()
{
    m_menu->Build(m_chooser, ShownIndex());
}

void TarnGauge::UpdateAvailableGauges()
{
    m_chooser.Offer(ValuesServedBy(m_dispatcher));
    m_menu->EnableOffered(m_chooser);
}

TarnGauge::Snapshot TarnGauge::GetSnapshot() const
{
    Snapshot s;
    s.layout = m_dial;
    s.desc = m_gd;
    s.descIndex = m_defGaugeId;
    s.value = m_value;
    s.readout = m_readout;
    s.hasValue = m_hasValue;
    s.stale = m_stale;
    s.pointer = m_points;
    s.valueText = m_valueText;
    s.valuePosition = wxPoint(m_valueX, m_valueY);
    s.titleText = m_titleText;
    s.titlePosition = wxPoint(m_titleX, m_titleY);
    s.nameText = m_nameText;
    s.nameRect = m_nameRect;
    s.labels = m_labels;
    s.font = m_font;
    s.needsRebuild = m_needRebuild;
    s.hasShape = m_hasShape;
    s.shape = m_shapeBitmap;
    s.face = m_faceBitmap;
    s.menu = m_menu.get();
    s.offeredTitles = m_chooser.GetOfferedTitles();
    s.offeredIndexes = m_chooser.GetOfferedIndexes();
    s.hasPeakMark = PeakMark(&s.peakInner, &s.peakOuter);
    return s;
}

void TarnGauge::UseGaugeDesc(int index)
{
    m_defGaugeId = index;
    m_gd = m_chooser.At(index);
    if (m_gd)
        m_labels = m_gd->GaugeNumbers();
    m_menu->MarkShown(ShownIndex());
    TakeAlarmBounds();
}

void TarnGauge::SetDefaultGaugeDesc(int index)
{
    const int count = m_chooser.Count();
    if (count == 0) {
        // Nothing to show: the dial stays empty.
        m_defGaugeId = 0;
        m_gd = nullptr;
        return;
    }
    if (index < 0 || index > count - 1)
        index = 0;
    UseGaugeDesc(index);
    DebugLog(0, wxString::Format("TarnGauge::SetDefaultGaugeDesc ID: %i P: %p", index,
                                 static_cast<const void*>(m_gd)));
}

void TarnGauge::RetakeGaugeDesc()
{
    if (!m_gd)
        return;
    UseGaugeDesc(m_defGaugeId);
    m_needRebuild = true;
    Refresh();
}

void TarnGauge::SetDefaultGaugeDesc(const wxString& name)
{
    const int index = m_chooser.FindBySymbol(name);
    if (index >= 0) {
        SetDefaultGaugeDesc(index);
        m_needRebuild = true;
        return;
    }
    SetDefaultGaugeDesc(0);
}

void TarnGauge::SetValueIdx(int row)
{
    DebugLog(0, wxString::Format("SetValueIdx recived index: %i", row));
    // Also -1 when the offer is older than the description list it came from.
    const int index = m_chooser.IndexOfRow(row);
    if (index < 0)
        return;
    DebugLog(0, wxString::Format("m_defGaugeId: %i", index));
    UseGaugeDesc(index);
    paintGaugeBg(0);
    Refresh(true);
    SendGaugeDescChosen(this, index);
}

void TarnGauge::OnPopupMenuSelectSymbol(int id, int index)
{
    StderrTrace("TarnGauge::OnPopupMenuSelectSymbol id: %d\n", id);
    if (!m_chooser.At(index))
        return;
    UseGaugeDesc(index);
    DebugLog(0, m_gd->describe());
    m_needRebuild = true;
    Refresh(true);
    SendGaugeDescChosen(this, index);
}

void TarnGauge::OnPopupMenuClose(wxCommandEvent&)
{
    if (m_dispatcher)
        m_dispatcher->RemoveGauge(this);
    if (m_parentWindow)
        m_parentWindow->Close(true);
}

void TarnGauge::OnLeftDown(wxMouseEvent&)
{
    UpdateAvailableGauges();
    ShowChoice(m_selector, this, this, m_chooser, m_gd ? m_defGaugeId : -1, _("dial"));
}

void TarnGauge::OnLeftUp(wxMouseEvent&)
{
}

void TarnGauge::OnMotion(wxMouseEvent&)
{
}

void TarnGauge::OnMouseRightClick(wxMouseEvent& event)
{
    DebugLog(0, "OnMouseRightClick");
    if (FindFocus() != this)
        SetFocus();
    UpdateAvailableGauges();
    if (m_menu->GetMenu())
        PopupMenu(m_menu->GetMenu(), event.GetPosition());
    event.Skip();
}

void TarnGauge::OnMouseWheel(wxMouseEvent& event)
{
    if (event.GetWheelRotation() > 0)
        SetValue(m_value + kWheelStep);
    else
        SetValue(m_value - kWheelStep);
    Refresh(true);
}

// The window's size is the dial's: a new size rebuilds the layers once, at the
// next paint (several size events before it cost one rebuild).
void TarnGauge::OnSize(wxSizeEvent&)
{
    DebugLog(0, "TarnGauge::OnSize START");
    int w = 0, h = 0;
    GetClientSize(&w, &h);
    DebugLog(0, wxString::Format("TarnGauge::OnSize WINCE:  x=%i, y=%i", w, h));
    if (m_fitToParent || (w == m_dial.width && h == m_dial.height) || w <= 0 || h <= 0)
        return;
    m_initialSize = wxSize(w, h);
    m_needRebuild = true;
    Refresh(false);
}

// The shape region is in the coordinates of the top-level window, whose client
// area starts below its menu bar; the circle goes where the dial is.
static wxPoint OffsetInTopLevel(wxWindow* win, wxTopLevelWindow* top)
{
    return win->ClientToScreen(wxPoint(0, 0)) - top->GetScreenPosition();
}

// GTK takes a new shape for a window on screen only when the window is mapped
// again (it reports success and changes nothing otherwise).
static bool ApplyShape(wxTopLevelWindow* top, const wxRegion& region)
{
    const bool shown = top->IsShown();
    if (shown)
        top->Hide();
    const bool applied = top->SetShape(region);
    if (shown)
        top->Show();
    return applied;
}

void TarnGauge::OnDoubleClick(wxMouseEvent&)
{
    DebugLog(0, "OnDoubleClick");
    StderrTrace("TarnGauge::OnDoubleClick\n");
    int w = 0, h = 0;
    wxTopLevelWindow* top = wxDynamicCast(m_parentWindow, wxTopLevelWindow);
    if (m_hasShape) {
        StderrTrace("TarnGauge::OnDoubleClick: m_hasShape\n");
        GetClientSize(&w, &h);
        setSize(w);
        SetSize(wxSize(w, w));
        // An empty region does not reset a shape the toolkit has already
        // applied (it only forgets one still pending): give back the whole
        // window, with room for it to grow.
        if (top && top->HasFlag(wxFRAME_SHAPED))
            ApplyShape(top, wxRegion(0, 0, kMaxWindowSide, kMaxWindowSide));
        m_hasShape = false;
        if (m_parentWindow)
            m_parentWindow->SetWindowStyleFlag(m_parentWindow->GetWindowStyleFlag() | wxRESIZE_BORDER);
    } else {
        StderrTrace("TarnGauge::OnDoubleClick: no m_hasShape\n");
        GetClientSize(&w, &h);
        setSize(w);
        SetSize(wxSize(w, w));
        // The toolkit refuses (with an assertion) to shape a window created
        // without wxFRAME_SHAPED: count that as a refused shape.
        if (top && top->HasFlag(wxFRAME_SHAPED) && m_shapeBitmap.IsOk()) {
            wxRegion circle(m_shapeBitmap, *wxBLACK, 0);
            const wxPoint at = OffsetInTopLevel(this, top);
            circle.Offset(at.x, at.y);
            m_hasShape = ApplyShape(top, circle);
        } else {
            m_hasShape = false;
        }
        if (m_parentWindow)
            m_parentWindow->SetWindowStyleFlag(m_parentWindow->GetWindowStyleFlag() & ~long(wxRESIZE_BORDER));
    }
}

void TarnGauge::setSize(int width)
{
    StderrTrace("setSize: %d\n", width);
    if (width < 1) {
        // No square to make a disc of; a later double click finds no mask.
        m_shapeBitmap = wxBitmap();
        return;
    }
    m_shapeBitmap = wxBitmap(width, width, wxDisplayDepth());
    wxMemoryDC dc(m_shapeBitmap);
    dc.SetBackground(*wxBLACK_BRUSH);
    dc.Clear();
    dc.SetPen(*wxBLACK_PEN);
    dc.SetBrush(*wxWHITE_BRUSH);
    const int d = (width / 2) * 2;
    dc.DrawEllipse(0, 0, d, d);
    dc.SelectObject(wxNullBitmap);
}
