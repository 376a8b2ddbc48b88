#pragma once
// The analog dial gauge: a bezel, a dark face with coloured bands, ticks and
// labels, a title, a triangular pointer and a numeric readout.
//
// The static dial is cached in two display-sized bitmaps (bezel, and bezel
// plus face) rebuilt only on request; a paint blits the face layer and draws
// the title, readout and pointer on top. A value change invalidates only the
// old and new pointer and readout boxes. Descriptions, the dispatcher and the
// parent are not owned; the gauge owns its pens, brushes, bitmaps and menu.
//
// Files: TarnGauge.cpp (window, description choice, mouse, shape),
// TarnGaugeFace.cpp (dial layers), TarnGaugeValue.cpp (value, pointer,
// readout, paint); the popup menu is GaugeDescMenu.
#include "dispatch/GaugeListener.h"
#include "gaugemodel/AlarmState.h"
#include "gaugemodel/DialGeometry.h"
#include "gaugemodel/GaugeDescChooser.h"
#include "gauges/GaugeDescMenu.h"

#include <wx/bitmap.h>
#include <wx/brush.h>
#include <wx/colour.h>
#include <wx/control.h>
#include <wx/font.h>
#include <wx/pen.h>
#include <wx/timer.h>
#include <wx/weakref.h>

#include <array>
#include <memory>

class GaugeValueSelector;
class TARNGaugeDesc;
class wxDC;

class TarnGauge : public wxControl, public GaugeListener {
public:
    // An uncreated window; call Create before use.
    TarnGauge();
    // With fitToParent the dial takes its size from the parent's client area
    // at each rebuild, otherwise from `size`. `descs` are the descriptions to
    // choose from (not owned; may be null); none is selected until
    // SetDefaultGaugeDesc.
    TarnGauge(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
              bool fitToParent, const GaugeDescList* descs);
    bool Create(wxWindow* parent, wxWindowID id, const wxPoint& pos, const wxSize& size,
                bool fitToParent, const GaugeDescList* descs);
    ~TarnGauge() override;

    // GaugeListener. SetValue clamps the pointer to the description's range;
    // the readout shows the value itself, in the danger colour past either end
    // (a value that is no finite number reads "OL"). NaN means no value (the
    // readout shows dashes, the pointer stays). An unchanged value
    // invalidates nothing.
    void SetValue(double value) override;
    // A stale value has its readout and pointer drawn grey, whatever its
    // alarm; a doubtful one its readout in a colour of its own. A value in a
    // warning band has its readout in the warning colour, in a danger band in
    // the danger colour, flashing.
    void SetStale(bool stale) override;
    void SetDoubtful(bool doubtful) override;
    // Dark colours for the face, bezel, bands and labels.
    void SetNight(bool night);
    AlarmLevel GetAlarmLevel() const { return m_alarm.LiveLevel(); }
    const AlarmState& GetAlarmState() const { return m_alarm; }
    // The readout's colour now (the flash included).
    wxColour GetReadoutColour() const;
    // The peak mark on the scale goes until the next value.
    void ResetPeaks();
    void RefreshSymbol(const ValueMap& values) override;
    wxString GetSymbolName() override;
    // Row of the last list offered to the selector; rows outside it are ignored.
    void SetValueIdx(int row) override;

    // The descriptions to choose from (not owned; may be empty or null).
    void SetGaugeDescArray(const GaugeDescList* list);
    // A new list after the definition was read again: shows description
    // `index` of it.
    void SetGaugeDescArray(const GaugeDescList* list, int index);
    // First description whose symbol name is `name`, else the first one.
    void SetDefaultGaugeDesc(const wxString& name);
    // An index outside the list selects the first description.
    void SetDefaultGaugeDesc(int index);
    // Asks the dispatcher which descriptions the current input can serve;
    // enables their submenu items and remembers them for the selector.
    void UpdateAvailableGauges();
    // Takes the description shown up again after it changed (its limits).
    void RetakeGaugeDesc();
    // Rebuilds the circular shape mask for a square of side `width`.
    void setSize(int width);
    // Most rows of one popup menu (normally what fits the display); the
    // "Change Gauge To" list is split into submenus of at most this many.
    void SetMenuRowLimit(int rows);
    // Leaves "Close window" out of the popup menu (a kiosk), or puts it back.
    void ShowCloseItem(bool shown);

    // Dial geometry from the window size (normally run by the paint handler
    // when a rebuild is pending).
    void CalculateSize();
    // Renders the face layer; bit 0 of `flags` re-renders the bezel layer too.
    void paintGaugeBg(int flags);
    // Title text and position, measured with the font selected in `dc`.
    void UpdateTitle(wxDC& dc);
    void UpdatePointer();
    void UpdateGaugeValue();
    // Draws the complete gauge into `dc` (client coordinates), exactly as the
    // paint handler does, rebuilding the layers first when a rebuild is pending.
    void PaintTo(wxDC& dc);

    void SetFaceColour(const wxColour& colour);
    void SetPointerColour(const wxColour& colour);
    void SetScaleColour(const wxColour& colour);
    void SetHubColour(const wxColour& colour);

    // What the dial holds and shows at one moment, for checks from outside.
    struct Snapshot {
        DialLayout layout;
        const TARNGaugeDesc* desc = nullptr;
        int descIndex = 0;
        double value = 0;   // where the pointer stands
        double readout = 0; // the value the readout shows
        bool hasValue = false;
        bool stale = false;
        std::array<DialPoint, 3> pointer{};
        wxString valueText;
        wxPoint valuePosition;
        wxString titleText;
        wxPoint titlePosition;
        // The description's title, drawn below the units line; empty when it
        // does not fit between the scale labels.
        wxString nameText;
        wxRect nameRect;
        wxArrayString labels;
        wxFont font;
        bool needsRebuild = false;
        bool hasShape = false;
        wxBitmap shape;
        wxBitmap face;
        // The popup menu as it is now; it lives as long as the gauge.
        const GaugeDescMenu* menu = nullptr;
        // The last offer: titles, and the position behind each.
        wxArrayString offeredTitles;
        wxArrayInt offeredIndexes;
        // The peak mark's ends, relative to the centre; none without peaks.
        bool hasPeakMark = false;
        DialPoint peakInner;
        DialPoint peakOuter;
    };
    Snapshot GetSnapshot() const;
    // Null after a forced close destroyed it; the next click makes a new one.
    GaugeValueSelector* GetSelector() const { return m_selector; }

    // Id of the "Close window" item of every analog gauge.
    static const long closeId;
    // Mouse wheel step, in value units.
    static constexpr double kWheelStep = 100.0;
    // Pen width of the peak mark, in pixels.
    static constexpr int kPeakMarkWidth = 3;

private:
    void InitFields();
    void BuildPopupMenu();
    // Position of the description shown, or -1.
    int ShownIndex() const { return m_gd ? m_defGaugeId : -1; }
    // Selects description `index` (valid): its labels, its menu mark.
    void UseGaugeDesc(int index);
    // Pointer triangle for the current value and geometry; invalidates the
    // old and new boxes when `invalidate` is set.
    void UpdatePointerPoints(bool invalidate);
    // Invalidates the readout and pointer boxes as they are now.
    void RefreshValueArea();
    // Text extent with m_font, through a client context as the screen sees it.
    wxSize MeasureText(const wxString& text);
    // Used area of the cached layers: the dial, limited to the layer size.
    wxSize LayerArea() const;
    // Makes the cached layers at least width x height.
    void GrowLayers(int width, int height);

    void DrawBezel(wxDC& dc);
    void DrawBands(wxDC& dc);
    void DrawTicks(wxDC& dc);
    void DrawLabels(wxDC& dc);
    // Pie sector from a1 to a2 (screen-clockwise degrees) at `radius`.
    void DrawSector(wxDC& dc, double a1, double a2, double radius);

    // The description's limits; its peaks start again.
    void TakeAlarmBounds();
    void ApplyPalette();
    void OnFlash(wxTimerEvent& event);
    // Runs the flash timer exactly while the readout flashes.
    void UpdateFlashTimer();
    // Ends of the peak mark relative to the centre; false without peaks.
    bool PeakMark(DialPoint* inner, DialPoint* outer) const;
    // The box of the peak mark as it is now; empty without one.
    DialBox PeakMarkBox() const;
    void DrawPeakMark(wxDC& dc);

    void OnPaint(wxPaintEvent& event);
    void OnSize(wxSizeEvent& event);
    void OnMouseWheel(wxMouseEvent& event);
    void OnMouseRightClick(wxMouseEvent& event);
    void OnPopupMenuClose(wxCommandEvent& event);
    // Item `id` of the popup menu was chosen; `index` is its description's position.
    void OnPopupMenuSelectSymbol(int id, int index);
    void OnLeftDown(wxMouseEvent& event);
    void OnLeftUp(wxMouseEvent& event);
    void OnMotion(wxMouseEvent& event);
    void OnDoubleClick(wxMouseEvent& event);

    // Geometry (rebuilt by CalculateSize).
    DialLayout m_dial;
    wxSize m_initialSize;
    bool m_fitToParent;
    wxFont m_font;
    wxString m_titleText;
    wxSize m_titleSize; // its extent with m_font; zero until measured
    int m_titleX;
    int m_titleY;
    wxString m_nameText;
    wxFont m_nameFont;
    wxRect m_nameRect;
    wxString m_nameFitted;  // the title and place m_nameText was fitted for
    wxRect m_nameFittedFor;

    // Colours, pens and brushes.
    wxColour m_faceColour;
    wxBrush m_faceBrush;
    wxPen m_pointerPen;
    wxBrush m_pointerBrush;
    wxColour m_scaleColour;
    wxPen m_tickPen;
    wxPen m_hubPen;
    wxBrush m_hubBrush;

    // Cached layers, display-sized, allocated once.
    wxBitmap m_bezelBitmap;
    wxBitmap m_faceBitmap;
    bool m_needRebuild;

    // Value and pointer.
    const TARNGaugeDesc* m_gd;
    wxArrayString m_labels; // of m_gd
    double m_value;
    bool m_hasValue;
    bool m_stale;
    std::array<DialPoint, 3> m_points;
    double m_readout; // the value itself, unclamped
    wxString m_valueText;
    int m_valueX;
    int m_valueY;
    wxSize m_valueSize; // extent of m_valueText where it was last measured
    AlarmState m_alarm;
    bool m_night;
    wxTimer m_flashTimer;

    // Window behaviour.
    wxWindow* m_parentWindow;
    // The descriptions (m_gaugeDescA) and what the current input can serve of
    // them (the available titles and their indexes).
    GaugeDescChooser m_chooser;
    int m_defGaugeId;
    bool m_hasShape;
    wxBitmap m_shapeBitmap;
    std::unique_ptr<GaugeDescMenu> m_menu;
    // A child window, tracked so that one destroyed by a forced close is made
    // again instead of being used after its end.
    wxWeakRef<GaugeValueSelector> m_selector;

    wxDECLARE_DYNAMIC_CLASS(TarnGauge);
    wxDECLARE_EVENT_TABLE();
};
