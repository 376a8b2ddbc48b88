// The analog gauge as a window: construction, popup menu, description choice,
// mouse handlers and the parent's circular shape.
#include "gauges/TarnGauge.h"

#include "base/DebugLog.h"
#include "base/StderrTrace.h"
#include "dispatch/GaugeUpdater.h"
#include "gauges/GaugeValueSelector.h"
#include "gaugemodel/TARNGaugeDesc.h"

#include <wx/dcmemory.h>
#include <wx/region.h>
#include <wx/toplevel.h>

// Drawn before the event table below is built from it.
const long TarnGauge::closeId = wxNewId();

// Columns of the "Change Gauge To" submenu hold this many items.
static const int kItemsPerColumn = 20;

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
                     bool fitToParent)
{
    InitFields();
    Create(parent, id, pos, size, fitToParent);
}

void TarnGauge::InitFields()
{
    m_width = m_height = 0;
    m_initialSize = wxSize(0, 0);
    m_fitToParent = false;
    m_cx = m_cy = m_radius = 0;
    m_tickInner = m_tickOuter = m_labelRadius = 0;
    m_titleOffset = m_valueOffset = m_hubRadius = m_pointerLength = 0;
    m_fontSize = 0;
    m_titleX = m_titleY = 0;
    m_needRebuild = false;
    m_gd = nullptr;
    m_value = 0.0;
    m_points = {};
    m_valueX = m_valueY = 0;
    m_parentWindow = nullptr;
    m_gaugeDescA = nullptr;
    m_defGaugeId = 0;
    m_hasShape = false;
    m_menu = nullptr;
    m_subMenu = nullptr;
    m_selector = nullptr;
}

bool TarnGauge::Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                       bool fitToParent)
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
        parent->GetClientSize(&m_width, &m_height);
    setSize(m_width);

    SetFaceColour(wxColour(12, 12, 12));
    SetPointerColour(wxColour(253, 204, 0));
    SetScaleColour(wxColour(220, 230, 230));
    SetHubColour(wxColour(31, 30, 31));

    SetGaugeDescArray(&currentSymbolTable()->getGauges());

    m_initialSize = size;
    m_fitToParent = fitToParent;

    SetValue(0.0);
    m_hasShape = false;
    m_needRebuild = true;

    const wxSize display = wxGetDisplaySize();
    const int depth = wxDisplayDepth();
    m_faceBitmap.Create(display.x, display.y, depth);
    m_bezelBitmap.Create(display.x, display.y, depth);

    m_selector = new GaugeValueSelector(this, wxID_ANY);
    m_selector->SetTarget(this);

    DebugLog(0, "TarnGauge::TarnGauge() END");
    SetWindowStyle(wxBORDER_NONE);
    SetBackgroundColour(*wxWHITE);
    return true;
}

TarnGauge::~TarnGauge()
{
    DeletePopupMenu();
}

void TarnGauge::SetGaugeDescArray(const GaugeDescList* list)
{
    m_gaugeDescA = list;
    BuildPopupMenu();
}

void TarnGauge::DeletePopupMenu()
{
    for (MenuIdToDescMap::const_iterator it = m_menuIdToDesc.begin(); it != m_menuIdToDesc.end();
         ++it)
        Unbind(wxEVT_MENU, &TarnGauge::OnPopupMenuSelectSymbol, this, it->first);
    m_menuIdToDesc.clear();
    delete m_menu; // owns the submenu
    m_menu = nullptr;
    m_subMenu = nullptr;
}

void TarnGauge::BuildPopupMenu()
{
    DeletePopupMenu();
    const size_t count = m_gaugeDescA ? m_gaugeDescA->size() : 0;
    DebugLog(0, wxString::Format("m_gaugeDescA->Count() : %i", int(count)));

    m_menu = new wxMenu;
    m_subMenu = new ColumnMenu;
    for (size_t i = 0; i < count; ++i) {
        if (i % kItemsPerColumn == 0)
            m_subMenu->Break();
        const int id = wxNewId();
        const TARNGaugeDesc* desc = (*m_gaugeDescA)[i];
        m_subMenu->AppendRadioItem(id, desc ? desc->getTitle() : wxString(), "");
        m_menuIdToDesc[id] = int(i);
        Bind(wxEVT_MENU, &TarnGauge::OnPopupMenuSelectSymbol, this, id);
    }
    m_menu->AppendSubMenu(m_subMenu, _("Change Gauge To"), "");
    m_menu->AppendSeparator();
    m_menu->Append(closeId, _("Close window"), "");
}

void TarnGauge::UpdateAvailableGauges()
{
    m_availTitles.Clear();
    m_availIdx.Clear();
    if (!m_gaugeDescA || !m_subMenu)
        return;
    for (size_t i = 0; i < m_gaugeDescA->size(); ++i) {
        const TARNGaugeDesc* desc = (*m_gaugeDescA)[i];
        if (!desc)
            continue;
        // Search by label: two descriptions with one title share the first item.
        const int item = m_subMenu->FindItem(desc->getTitle());
        const bool available = m_dispatcher && m_dispatcher->IsValueAvailable(desc->getSymbolName());
        if (item != wxNOT_FOUND)
            m_subMenu->Enable(item, available);
        if (available) {
            m_availTitles.Add(desc->getTitle());
            m_availIdx.Add(int(i));
        }
    }
}

void TarnGauge::UseGaugeDesc(int index)
{
    m_defGaugeId = index;
    m_gd = (*m_gaugeDescA)[index];
    if (!m_gd)
        return;
    m_gd->resolveExpressions(); // limits and texts the file gives as {expressions}
    m_gd->SetGaugeNumbers();
}

void TarnGauge::SetDefaultGaugeDesc(int index)
{
    const int count = m_gaugeDescA ? int(m_gaugeDescA->size()) : 0;
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
                                 static_cast<void*>(m_gd)));
}

void TarnGauge::SetDefaultGaugeDesc(const wxString& name)
{
    if (m_gaugeDescA) {
        for (size_t i = 0; i < m_gaugeDescA->size(); ++i) {
            const TARNGaugeDesc* desc = (*m_gaugeDescA)[i];
            if (desc && desc->getSymbolName() == name) {
                SetDefaultGaugeDesc(int(i));
                m_needRebuild = true;
                return;
            }
        }
    }
    SetDefaultGaugeDesc(0);
}

void TarnGauge::SetValueIdx(int row)
{
    DebugLog(0, wxString::Format("SetValueIdx recived index: %i", row));
    if (row < 0 || row >= int(m_availIdx.GetCount()))
        return;
    const int index = m_availIdx[row];
    // The offered list may be older than the description list it came from.
    if (!m_gaugeDescA || index >= int(m_gaugeDescA->size()))
        return;
    m_defGaugeId = index;
    DebugLog(0, wxString::Format("m_defGaugeId: %i", m_defGaugeId));
    UseGaugeDesc(index);
    paintGaugeBg(0);
    Refresh(true);
}

void TarnGauge::OnPopupMenuSelectSymbol(wxCommandEvent& event)
{
    const int id = event.GetId();
    if (m_subMenu && m_subMenu->FindItem(id))
        m_subMenu->Check(id, true);
    StderrTrace("TarnGauge::OnPopupMenuSelectSymbol id: %d\n", id);
    MenuIdToDescMap::const_iterator it = m_menuIdToDesc.find(id);
    if (it == m_menuIdToDesc.end() || !m_gaugeDescA || it->second >= int(m_gaugeDescA->size()))
        return;
    UseGaugeDesc(it->second);
    if (m_gd)
        DebugLog(0, m_gd->describe());
    m_needRebuild = true;
    Refresh(true);
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
    if (m_selector)
        m_selector->Offer(m_availTitles);
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
    if (m_menu)
        PopupMenu(m_menu, event.GetPosition());
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

void TarnGauge::OnSize(wxSizeEvent&)
{
    DebugLog(0, "TarnGauge::OnSize START");
    int w = 0, h = 0;
    GetClientSize(&w, &h);
    DebugLog(0, wxString::Format("TarnGauge::OnSize WINCE:  x=%i, y=%i", w, h));
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
        if (top)
            top->SetShape(wxRegion());
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
        if (top && top->HasFlag(wxFRAME_SHAPED) && m_shapeBitmap.IsOk())
            m_hasShape = top->SetShape(wxRegion(m_shapeBitmap, *wxBLACK, 0));
        else
            m_hasShape = false;
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
