#pragma once
// The dial's popup menu: "Change Gauge To" with one check item per
// description and, last, after a separator, "Close window" (unless left out). More descriptions than the
// screen has rows go into submenus: one per gaugeCategory of the definition
// file, else of consecutive descriptions, each cut to fit.
//
// The items' events are taken from the owner window (a test or the toolkit
// may send them there); a chosen item is handed on with its description's
// position in the list. The menu owns its wxMenu and ids, not the owner.
#include "gaugemodel/GaugeDescChooser.h"
#include "gaugemodel/MenuGroups.h"

#include <wx/hashmap.h>
#include <wx/menu.h>

#include <functional>
#include <map>
#include <vector>

WX_DECLARE_HASH_MAP(int, int, wxIntegerHash, wxIntegerEqual, MenuIdToDescMap);

class GaugeDescMenu {
public:
    // Item `id` was chosen; `index` is its description's position.
    using Chosen = std::function<void(int id, int index)>;

    // `closeId` is the id of "Close window", which the owner handles itself.
    GaugeDescMenu(wxWindow* owner, long closeId, Chosen chosen);
    GaugeDescMenu(const GaugeDescMenu&) = delete;
    GaugeDescMenu& operator=(const GaugeDescMenu&) = delete;
    ~GaugeDescMenu();

    // Most rows of one menu; takes effect at the next Build.
    void SetRowLimit(int rows) { m_menuRows = rows; }
    // Without "Close window" (a kiosk); takes effect at the next Build.
    void SetCloseItem(bool shown) { m_closeItem = shown; }
    // Makes the menu anew for the chooser's list, with `shown` (a position,
    // or -1) checked.
    void Build(const GaugeDescChooser& chooser, int shown);
    // Checks the item of position `shown` (-1: none), and only that one.
    void MarkShown(int shown);
    // Enables the items of the descriptions in the chooser's last offer, and
    // disables the others.
    void EnableOffered(const GaugeDescChooser& chooser);

    // Descriptions past this many are left out of the menu (the toolkit has
    // too few menu ids for more); the value selector still offers them.
    static constexpr int kMostItems = 10000;

    wxMenu* GetMenu() const { return m_menu; }
    wxMenu* GetSubMenu() const { return m_subMenu; }
    // Item id -> description position.
    const MenuIdToDescMap& GetIdMap() const { return m_menuIdToDesc; }

private:
    void Clear();
    // Ids for `count` items (as many as there are, at most kMostItems).
    int ReserveIds(int count);
    static constexpr int kLastMenuId = 0x7fff;
    // The submenus of the list, in order; one untitled section: a flat list.
    std::vector<MenuSection> Sections(const GaugeDescChooser& chooser) const;
    void OnItem(wxCommandEvent& event);
    // What a search by label compares.
    static wxString LabelKey(const wxString& title);

    wxWindow* m_owner;
    long m_closeId;
    Chosen m_chosen;
    int m_menuRows = 0;
    bool m_closeItem = true;
    wxMenu* m_menu = nullptr;    // owns m_subMenu
    wxMenu* m_subMenu = nullptr;
    MenuIdToDescMap m_menuIdToDesc;
    std::map<wxString, int> m_firstItemOfLabel; // label -> first item
    struct IdBlock {
        int first, count;
    };
    std::vector<IdBlock> m_idBlocks; // bound to OnItem
    std::vector<int> m_ids;          // item ids, reused by each Build
};
