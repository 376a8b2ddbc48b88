#include "gauges/GaugeDescMenu.h"

#include "base/DebugLog.h"
#include "gaugemodel/MenuGroups.h"

#include <wx/intl.h>
#include <wx/window.h>

#include <algorithm>
#include <vector>

GaugeDescMenu::GaugeDescMenu(wxWindow* owner, long closeId, Chosen chosen)
    : m_owner(owner), m_closeId(closeId), m_chosen(std::move(chosen))
{
}

GaugeDescMenu::~GaugeDescMenu()
{
    Clear();
    for (const IdBlock& block : m_idBlocks)
        m_owner->Unbind(wxEVT_MENU, &GaugeDescMenu::OnItem, this, block.first,
                        block.first + block.count - 1);
}

// The toolkit takes menu ids below 0x7fff only, and never gives one back: a
// rebuilt menu reuses the ids of the one before, bound once as ranges.
int GaugeDescMenu::ReserveIds(int count)
{
    count = std::min(count, kMostItems);
    while (int(m_ids.size()) < count) {
        const int first = wxNewId();
        if (first >= kLastMenuId)
            break;
        int more = 1;
        m_ids.push_back(first);
        while (int(m_ids.size()) < count) {
            const int id = wxNewId();
            if (id != first + more || id >= kLastMenuId)
                break; // another block starts with the next call
            m_ids.push_back(id);
            ++more;
        }
        m_owner->Bind(wxEVT_MENU, &GaugeDescMenu::OnItem, this, first, first + more - 1);
        m_idBlocks.push_back(IdBlock{first, more});
        if (first + more >= kLastMenuId)
            break;
    }
    return std::min(count, int(m_ids.size()));
}

wxString GaugeDescMenu::LabelKey(const wxString& title)
{
    return wxMenuItem::GetLabelText(title);
}

void GaugeDescMenu::Clear()
{
    m_firstItemOfLabel.clear();
    m_menuIdToDesc.clear();
    delete m_menu;
    m_menu = nullptr;
    m_subMenu = nullptr;
}

std::vector<MenuSection> GaugeDescMenu::Sections(const GaugeDescChooser& chooser) const
{
    const int count = chooser.Count();
    const std::vector<MenuGroup> groups = SplitIntoMenuGroups(count, m_menuRows);
    std::vector<MenuSection> sections;
    if (groups.size() > 1) {
        // A long list goes by the file's categories where it has them.
        std::vector<wxString> categories(count);
        for (int i = 0; i < count; ++i)
            if (const TARNGaugeDesc* desc = chooser.At(i))
                categories[i] = desc->getCategory();
        sections = GroupByCategory(categories, m_menuRows, _("Other gauges"));
        if (!sections.empty())
            return sections;
    }
    for (const MenuGroup& group : groups) {
        MenuSection section;
        if (groups.size() > 1)
            section.title = wxString::Format(_("Gauges %d-%d"), group.first + 1,
                                             group.first + group.count);
        for (int i = group.first; i < group.first + group.count; ++i)
            section.items.push_back(i);
        sections.push_back(section);
    }
    return sections;
}

void GaugeDescMenu::Build(const GaugeDescChooser& chooser, int shown)
{
    Clear();
    const int count = chooser.Count();
    DebugLog(0, wxString::Format("m_gaugeDescA->Count() : %i", count));

    m_menu = new wxMenu;
    m_subMenu = new wxMenu;
    const int items = ReserveIds(count);
    int next = 0;
    const std::vector<MenuSection> sections = Sections(chooser);
    // More sections than rows (many categories): they go into menus of
    // consecutive sections in turn, titled by their first and last.
    const std::vector<MenuGroup> shelves =
        SplitIntoMenuGroups(int(sections.size()), std::max(1, m_menuRows));
    for (const MenuGroup& shelf : shelves) {
        wxMenu* shelfMenu = m_subMenu;
        if (shelves.size() > 1) {
            shelfMenu = new wxMenu;
            m_subMenu->AppendSubMenu(shelfMenu,
                                     sections[shelf.first].title + wxString::FromUTF8(" \u2026 ") +
                                         sections[shelf.first + shelf.count - 1].title);
        }
        for (int s = shelf.first; s < shelf.first + shelf.count; ++s) {
            const MenuSection& section = sections[s];
            wxMenu* target = shelfMenu;
            if (!section.title.empty()) {
                target = new wxMenu;
                shelfMenu->AppendSubMenu(target, section.title);
            }
            for (int i : section.items) {
                if (next == items)
                    break;
                const int id = m_ids[next++];
                const TARNGaugeDesc* desc = chooser.At(i);
                // Check items, not radio items: a radio group cannot span
                // submenus, and the mark must sit on exactly one description.
                target->AppendCheckItem(
                    id, desc ? GaugeDescChooser::DisplayTitle(*desc) : wxString(), "");
                m_menuIdToDesc[id] = i;
                m_firstItemOfLabel.emplace(target->FindItem(id)->GetItemLabelText(), id);
            }
        }
    }
    m_menu->AppendSubMenu(m_subMenu, _("Change Gauge To"), "");
    // Last, after a separator: away from the item a tap on the dial most
    // likely meant.
    if (m_closeItem) {
        m_menu->AppendSeparator();
        m_menu->Append(m_closeId, _("Close window"), "");
    }
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
    std::vector<bool> offered(std::max(0, chooser.Count()), false);
    for (int index : chooser.GetOfferedIndexes())
        if (index >= 0 && index < chooser.Count())
            offered[index] = true;
    for (int i = 0; i < chooser.Count(); ++i) {
        const TARNGaugeDesc* desc = chooser.At(i);
        if (!desc)
            continue;
        // As a search by label would: two descriptions with one title share
        // the first item.
        const auto item = m_firstItemOfLabel.find(LabelKey(GaugeDescChooser::DisplayTitle(*desc)));
        if (item != m_firstItemOfLabel.end())
            m_subMenu->Enable(item->second, offered[i]);
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
