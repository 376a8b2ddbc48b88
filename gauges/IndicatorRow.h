#pragma once
// The definition file's indicator lamps, in a band of the dashboard: a grid
// of columns x rows cells, each lamp its on or off text in the file's
// colours (as the palette has them), grey while its expression has no value. When there are more lamps
// than cells, the lit ones come first (LampsShown).
#include "gaugemodel/FrontPage.h"
#include "gaugemodel/LampRow.h"

#include <wx/window.h>

#include <vector>

class RTDataMgr;

class IndicatorRow : public wxWindow {
public:
    // `lamps` (not owned) must outlive the row.
    IndicatorRow(wxWindow* parent, const std::vector<Indicator>* lamps);

    // Cells of the band; repaints when they change.
    void SetGrid(int columns, int rows);
    // Computes every lamp's expression with `input` (null: none has a value);
    // `stale`: the values are old, every lamp is grey. Repaints only on a change.
    void TakeValues(RTDataMgr* input, bool stale = false);
    // Night colours or day colours; repaints on a change.
    void SetNight(bool night);
    const std::vector<LampState>& GetStates() const { return m_states; }
    // Positions of the lamps in the cells, in order.
    std::vector<int> ShownLamps() const;

private:
    void OnPaint(wxPaintEvent& event);

    const std::vector<Indicator>* m_lamps;
    std::vector<LampState> m_states;
    int m_columns = 1;
    int m_rows = 1;
    bool m_night = false;
};
