#pragma once
// Reads the ECU definition file into a SymbolTable: section headers, a small
// #if/#ifdef/#ifndef/#elif/#else/#endif preprocessor over setting names, and
// the handlers of [Constants], [OutputChannels], [GaugeConfigurations] and
// [Datalog]. Each processed line writes one trace line ("Line : %4d -> ...")
// to the debug log; problems become warnings and never stop the load.
#include "definition/LineReader.h"
#include "definition/LineTokenizer.h"
#include "definition/ParserException.h"
#include "definition/SymbolTable.h"

#include <wx/arrstr.h>

#include <map>
#include <memory>

// What the user chooses for a load: setting names for #if that count as set
// (besides CELSIUS, always set), and a tune file whose values the constants
// take (the XML ".msq" that tuning suites save; empty for none).
struct DefinitionOptions {
    wxArrayString setFlags;
    wxArrayString clearFlags; // count as not set (CELSIUS too); setFlags win
    wxString tuneFile;
};

// The section names the format knows; these have handlers.
extern const wxChar* const kSectionMegaTune;
extern const wxChar* const kSectionConstants;
extern const wxChar* const kSectionMenu;
extern const wxChar* const kSectionTableEditor;
extern const wxChar* const kSectionGaugeConfigurations;
extern const wxChar* const kSectionFrontPage;
extern const wxChar* const kSectionRunTime;
extern const wxChar* const kSectionTuning;
extern const wxChar* const kSectionUserDefined;
extern const wxChar* const kSectionOutputChannels;
extern const wxChar* const kSectionDatalog;
extern const wxChar* const kSectionTunerStudio;
extern const wxChar* const kSectionPcVariables;
extern const wxChar* const kSectionConstantsExtensions;

// One open #if. A chain through `enclosing` forms the stack; the parser owns it.
class IfBlock {
public:
    IfBlock(bool cond, IfBlock* outer) : condition(cond), taken(cond), enclosing(outer) {}
    virtual ~IfBlock() = default;

    // The branch being read is the taken one.
    bool letsThrough() const { return condition != inElse; }

    bool condition;
    bool inElse = false;
    bool taken; // some branch so far was read (#elif)
    IfBlock* enclosing;
};

class IniParser : public LineReader {
public:
    IniParser();
    // `setFlags`: setting names for #if that count as set, whatever the file
    // says with #set or #unset.
    explicit IniParser(const wxArrayString& setFlags, const wxArrayString& clearFlags = {});
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
    enum class Handler {
        None,
        Constants,
        OutputChannels,
        GaugeConfigurations,
        Datalog,
        Settings,
        PcVariables,
        ConstantsExtensions,
        FrontPage
    };

    void openBlock(const LineTokenizer& tokens);
    // #ifdef (whenSet) / #ifndef NAME: whether the setting is set.
    void openDefinedBlock(const LineTokenizer& tokens, bool whenSet);
    void openCondition(bool condition);
    void elseBlock();
    void elifBlock(const LineTokenizer& tokens);
    // #set / #unset: the file's own choice, unless the user made one.
    void setFlag(const LineTokenizer& tokens, bool value);
    bool flagValue(const wxString& name);
    void closeBlock();
    void setSection(const wxString& name);
    // trace = "Line : %4d -> " for `lineNumber`, without a format call per line.
    void setTracePrefix(int64_t lineNumber);

    void handleConstants(const LineTokenizer& tokens);
    void handleOutputChannels(const LineTokenizer& tokens);
    void handleGaugeConfigurations(const LineTokenizer& tokens);
    void handleDatalog(const LineTokenizer& tokens);
    void handlePcVariables(const LineTokenizer& tokens);
    void handleConstantsExtensions(const LineTokenizer& tokens);
    void handleFrontPage(const LineTokenizer& tokens);
    // A gaugeCategory line: the category of the gauges that follow it.
    bool readGaugeCategory(const LineTokenizer& tokens);
    // True when the line was a link setting (taken or refused with a warning).
    bool handleLinkSetting(const LineTokenizer& tokens);
    // Duplicate warning, then into the table (which takes ownership).
    void addToTable(Symbol* symbol);
    // The file so far names another firmware than the dashboard's own: its
    // numbers may have exponents, its fields be {expressions}, and a field
    // that is not a number is named in a warning. The dashboard's own file
    // reads as it always has (absent or text fields read 0).
    bool readsOtherFirmware() const;
    // The offset in token `field`; for another firmware "lastOffset" too, and
    // -1 (no value) with a warning when it is not a number.
    int32_t readOffset(const LineTokenizer& tokens, int field);
    // A bit field from token `field` on; another firmware's labels may name
    // #define lists ("$name"), which stand for their labels.
    void readBits(const LineTokenizer& tokens, int field, Symbol& symbol);
    void appendLabels(const LineTokenizer& tokens, int first, wxArrayString& labels);
    void defineLabels(const LineTokenizer& directive);
    // Units (token `unitsField`) and scale, translate, lo, hi, digits from token `first` on.
    void readScaling(const LineTokenizer& tokens, int unitsField, int first, Symbol& symbol);

    // Labels matter to the dashboard as a tune's value of a bit field and as
    // units or titles; lists of thousands (every CAN address) are for the
    // tuner's menus, and a copy per field would cost megabytes.
    static constexpr size_t kMaxLabels = 1024;
    std::map<wxString, wxArrayString> labelLists; // #define name = labels
    std::map<wxString, bool> settingFlags;
    wxArrayString userFlags;
    std::unique_ptr<SymbolTable> table;
    int32_t currentPage = -1;
    // The offset of the last entry that has one: the value of "lastOffset".
    int32_t lastOffset = 0;
    wxString currentSection;
    wxString gaugeCategory;
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
// The same with the user's choices: flags for #if, and a tune file. A tune
// file that cannot be read adds a warning; the file's defaults stay.
// Lookup tables (".inc") are read from the definition file's folder.
SymbolTable* loadDefinitionFileFrom(const wxString& path, const DefinitionOptions& options,
                                    wxArrayString* warnings = nullptr, int* result = nullptr);
void loadDefinitionFile(const DefinitionOptions& options);
// What a load does once the lines are read: the constants take the tune's
// values over the file's defaults, the lookup tables are read from
// `directory`, and the gauges' expressions are computed. Problems (a tune
// file that cannot be read) are appended to `warnings`.
void completeDefinition(SymbolTable& table, const DefinitionOptions& options,
                        const wxString& directory, wxArrayString& warnings);
