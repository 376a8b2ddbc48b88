#include "gauges/GaugeDescMenu.h"

#include "base/DebugLog.h"
#include "gaugemodel/MenuGroups.h"

#include <wx/intl.h>
#include <wx/window.h>

#include <vector>

GaugeDescMenu::GaugeDescMenu(wxWindow* owner, long closeId, Chosen chosen)
    : m_owner(owner), m_closeId(closeId), m_chosen(std::move(chosen))
{
}

GaugeDescMenu::~GaugeDescMenu()
{
    Clear();
}

void GaugeDescMenu::Clear()
{
    for (MenuIdToDescMap::const_iterator it = m_menuIdToDesc.begin(); it != m_menuIdToDesc.end();
         ++it)
        m_owner->Unbind(wxEVT_MENU, &GaugeDescMenu::OnItem, this, it->first);
    m_menuIdToDesc.clear();
    delete m_menu;
    m_menu = nullptr;
    m_subMenu = nullptr;
}

void GaugeDescMenu::Build(const GaugeDescChooser& chooser, int shown)
{
    Clear();
    const int count = chooser.Count();
    DebugLog(0, wxString::Format("m_gaugeDescA->Count() : %i", count));

    m_menu = new wxMenu;
    m_subMenu = new wxMenu;
    const std::vector<MenuGroup> groups = SplitIntoMenuGroups(count, m_menuRows);
    for (const MenuGroup& group : groups) {
        wxMenu* target = m_subMenu;
        if (groups.size() > 1) {
            target = new wxMenu;
            m_subMenu->AppendSubMenu(target, wxString::Format(_("Gauges %d-%d"), group.first + 1,
                                                              group.first + group.count));
        }
        for (int i = group.first; i < group.first + group.count; ++i) {
            const int id = wxNewId();
            const TARNGaugeDesc* desc = chooser.At(i);
            // Check items, not radio items: a radio group cannot span submenus,
            // and the mark must sit on exactly one description.
            target->AppendCheckItem(id, desc ? GaugeDescChooser::DisplayTitle(*desc) : wxString(),
                                    "");
            m_menuIdToDesc[id] = i;
            m_owner->Bind(wxEVT_MENU, &GaugeDescMenu::OnItem, this, id);
        }
    }
    m_menu->AppendSubMenu(m_subMenu, _("Change Gauge To"), "");
    m_menu->AppendSeparator();
    m_menu->Append(m_closeId, _("Close window"), "");
    MarkShown(shown);
}

void GaugeDescMenu::MarkShown(int shown)
{
    if (!m_subMenu)
        return;
    for (MenuIdToDescMap::const_iterator it = m_menuIdToDesc.begin(); it != m_menuIdToDesc.end();
         ++it)
        m_subMenu->Check(it->first, it->second == shown);
}

void GaugeDescMenu::EnableOffered(const GaugeDescChooser& chooser)
{
    if (!m_subMenu)
        return;
    for (int i = 0; i < chooser.Count(); ++i) {
        const TARNGaugeDesc* desc = chooser.At(i);
        if (!desc)
            continue;
        // Search by label: two descriptions with one title share the first item.
        const int item = m_subMenu->FindItem(GaugeDescChooser::DisplayTitle(*desc));
        if (item != wxNOT_FOUND)
            m_subMenu->Enable(item, chooser.RowOfIndex(i) >= 0);
    }
}

void GaugeDescMenu::OnItem(wxCommandEvent& event)
{
    const int id = event.GetId();
    if (m_subMenu && m_subMenu->FindItem(id))
        m_subMenu->Check(id, true);
    const MenuIdToDescMap::const_iterator it = m_menuIdToDesc.find(id);
    m_chosen(id, it == m_menuIdToDesc.end() ? -1 : it->second);
}
