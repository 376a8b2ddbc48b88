#pragma once
// Reads a whole text file into memory and hands its lines, one at a time, to
// processLine(). Lines end at CR, LF or CR LF; a last line without terminator
// counts. The text is UTF-8 when it is valid UTF-8 and ISO-8859-1 otherwise,
// so no file is lost to its encoding. The bytes are kept as read (a 100 MB
// datalog costs 100 MB) and each line is decoded only when it is taken.
// Only regular files are read (base/RegularFile.h). A line longer than
// kMaxLineBytes is cut there, with a warning in the debug log, so that no
// line costs more memory than that.
#include <wx/string.h>

#include <cstdint>
#include <string>

class LineReader {
public:
    static constexpr size_t kMaxLineBytes = 64 * 1024;

    virtual ~LineReader() = default;
    virtual void processLine() = 0;

    // 0 when read, -1 for an empty name, -2 when the file cannot be opened or
    // read or is not a regular file (the reason goes to the debug log).
    int open(const wxString& fileName);
    // The same from bytes already in memory (standard input, fuzzing); always 0.
    int openBytes(std::string bytes);
    // open(), then processLine() once per line in order, then close(). Returns
    // open()'s result without processing anything when it fails.
    int readAll(const wxString& fileName);
    // Takes the next line and processes it; false when every line was taken.
    bool readNext();
    void close();

    int32_t getLineIndex() const { return lineIndex; }
    int32_t getLineCount() const { return lineCount; }
    const wxString& getCurrentLine() const { return currentLine; }
    // The current line was longer than kMaxLineBytes: this many bytes, of
    // which only the first kMaxLineBytes (less a split character) are in it.
    size_t getCutLineBytes() const { return cutLineBytes; }
    bool isUtf8() const { return utf8; }

    // The number of lines in `bytes` by the rules above.
    static int32_t countLines(const std::string& bytes);
    static bool isValidUtf8(const std::string& bytes);

protected:
    int32_t lineIndex = 0;
    int32_t lineCount = 0;
    wxString currentLine;

private:
    std::string fileBytes;
    size_t nextPos = 0;
    int32_t linesTaken = 0;
    bool firstLine = true;
    bool utf8 = true;
    size_t cutLineBytes = 0;
};
