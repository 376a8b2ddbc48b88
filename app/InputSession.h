#pragma once
// What the main frame runs while an input is chosen: the input the
// dispatcher reads, its refresh period, the work around each tick, its line
// in the status strip and the commands it answers (menu items and keys, by
// the ids of app/MenuIds.h). The frame keeps the menus, the layout and the
// timer and knows no more of an input than this.
#include "app/CommandLine.h"
#include "app/StatusStrip.h"
#include "base/ValueMap.h"

#include <wx/intl.h>

#include <memory>

class RTDataMgr;
class SymbolTable;
class wxKeyEvent;

class InputSession {
public:
    virtual ~InputSession() = default;

    // For the dispatcher; null: no input.
    virtual RTDataMgr* GetInput() = 0;
    // Milliseconds between ticks; 0: no ticks.
    virtual int GetPeriodMs() const = 0;
    // Before the dispatcher's tick.
    virtual void BeforeTick() {}
    // After it, with the values the tick served the gauges; true when the
    // state of a command changed by itself (the menus then show it).
    virtual bool AfterTick(const ValueMap& /*served*/) { return false; }
    virtual void ShowStatus(StatusStrip& strip) = 0;
    // Why this input cannot serve at all (a file that is no log); empty when
    // it can. The frame then keeps the input it had.
    virtual wxString GetRefusal() const { return wxString(); }
    // After the tick: true when the definition's gauge descriptions changed
    // (new values of constants), so that the gauges take them up again.
    virtual bool TakeDefinitionChange() { return false; }
    // The definition file was read again (other settings): goes on over
    // `table` (not owned), which replaces the one it had; that one still
    // exists during the call and is gone after it. False, with nothing
    // changed, when this input cannot: it must then be started anew.
    virtual bool TakeDefinition(SymbolTable* /*table*/) { return false; }

    // Runs the command `id` (`checked`: the state of a check item); true
    // when the values must reach the gauges at once rather than next tick.
    virtual bool OnCommand(long /*id*/, bool /*checked*/) { return false; }
    // The command a key stands for; wxID_NONE: none of this session's.
    virtual long CommandOfKey(const wxKeyEvent& /*key*/) const { return wxID_NONE; }
    // How the menus show the command `id`.
    virtual bool IsCommandEnabled(long /*id*/) { return false; }
    virtual bool IsCommandChecked(long /*id*/) { return false; }
};

// The input "None": no values, no ticks.
class NoInputSession : public InputSession {
public:
    RTDataMgr* GetInput() override { return nullptr; }
    int GetPeriodMs() const override { return 0; }
    bool TakeDefinition(SymbolTable*) override { return true; }
    void ShowStatus(StatusStrip& strip) override { strip.SetStatus(StatusStrip::Mark::Off, _("No input")); }
};

// The session of `input`, over the installed definition `table` (not owned).
std::unique_ptr<InputSession> MakeInputSession(InputChoice input, SymbolTable* table,
                                               const DashboardOptions& options);
