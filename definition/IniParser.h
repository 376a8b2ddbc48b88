#pragma once
// Reads the ECU definition file into a SymbolTable: section headers, a small
// #if/#else/#endif preprocessor over fixed setting names, and the handlers of
// [Constants], [OutputChannels], [GaugeConfigurations] and [Datalog]. Each
// processed line writes one trace line ("Line : %4d -> ...") to the debug
// log; problems become warnings and never stop the load.
#include "definition/LineReader.h"
#include "definition/LineTokenizer.h"
#include "definition/ParserException.h"
#include "definition/SymbolTable.h"

#include <wx/arrstr.h>

#include <map>
#include <memory>

// The section names the format knows; four of them have handlers.
extern const char* const kSectionMegaTune;
extern const char* const kSectionConstants;
extern const char* const kSectionMenu;
extern const char* const kSectionTableEditor;
extern const char* const kSectionGaugeConfigurations;
extern const char* const kSectionFrontPage;
extern const char* const kSectionRunTime;
extern const char* const kSectionTuning;
extern const char* const kSectionUserDefined;
extern const char* const kSectionOutputChannels;
extern const char* const kSectionDatalog;

// One open #if. A chain through `enclosing` forms the stack; the parser owns it.
class IfBlock {
public:
    IfBlock(bool cond, IfBlock* outer) : condition(cond), enclosing(outer) {}
    virtual ~IfBlock() = default;

    // The branch being read is the taken one.
    bool letsThrough() const { return condition != inElse; }

    bool condition;
    bool inElse = false;
    IfBlock* enclosing;
};

class IniParser : public LineReader {
public:
    IniParser();
    ~IniParser() override;
    IniParser(const IniParser&) = delete;
    IniParser& operator=(const IniParser&) = delete;

    void processLine() override;

    // Problems found so far, in order ("... in line :N" and the like).
    const wxArrayString& getWarnings() const { return warnings; }
    // The table being built; still owned by the parser.
    SymbolTable* getTable() const { return table.get(); }
    // Hands the table over (the caller deletes it); the parser then holds none.
    SymbolTable* releaseTable() { return table.release(); }

    int32_t getCurrentPage() const { return currentPage; }
    const wxString& getCurrentSection() const { return currentSection; }
    // Whether an entry line read now would go to its section's handler.
    bool isActive() const { return blockingBlocks == 0; }

private:
    enum class Handler { None, Constants, OutputChannels, GaugeConfigurations, Datalog };

    void openBlock(const LineTokenizer& tokens);
    void elseBlock();
    void closeBlock();
    void setSection(const wxString& name);

    void handleConstants(const LineTokenizer& tokens);
    void handleOutputChannels(const LineTokenizer& tokens);
    void handleGaugeConfigurations(const LineTokenizer& tokens);
    void handleDatalog(const LineTokenizer& tokens);
    // Duplicate warning, then into the table (which takes ownership).
    void addToTable(Symbol* symbol);

    std::map<wxString, bool> settingFlags;
    std::unique_ptr<SymbolTable> table;
    int32_t currentPage = -1;
    wxString currentSection;
    Handler sectionHandler = Handler::None;
    IfBlock* innermost = nullptr;
    // Open blocks whose branch is not taken: a line is active when there are none.
    // Kept as a count so a deep nest costs nothing per line.
    int blockingBlocks = 0;
    bool lastCondition = false;
    wxString trace;
    wxArrayString warnings;
};

// Replaces the installed symbol table with one read from "tarnv3.ini" in the
// working directory; a missing or unreadable file installs an empty table.
void loadDefinitionFile();

// Reads the definition file at `path` as loadDefinitionFile() does, without
// installing it. Returns a new table (never null, empty when the file could not
// be read) that the caller owns. `warnings` (optional) receives the parser's
// warnings; `result` (optional) LineReader::readAll's result: 0 when the file
// was read, -1 for an empty path, -2 when it could not be opened or read.
SymbolTable* loadDefinitionFileFrom(const wxString& path, wxArrayString* warnings = nullptr,
                                    int* result = nullptr);
