#include "definition/LineReader.h"

#include "base/DebugLog.h"
#include "base/RegularFile.h"

#include <limits>

bool LineReader::isValidUtf8(const std::string& bytes)
{
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t n = bytes.size();
    size_t i = 0;
    while (i < n) {
        const unsigned c = p[i];
        if (c < 0x80) {
            ++i;
            continue;
        }
        size_t extra;
        uint32_t cp;
        if (c >= 0xC2 && c <= 0xDF) {
            extra = 1;
            cp = c & 0x1F;
        } else if (c >= 0xE0 && c <= 0xEF) {
            extra = 2;
            cp = c & 0x0F;
        } else if (c >= 0xF0 && c <= 0xF4) {
            extra = 3;
            cp = c & 0x07;
        } else {
            return false;
        }
        if (n - i <= extra)
            return false;
        for (size_t k = 1; k <= extra; ++k) {
            if ((p[i + k] & 0xC0) != 0x80)
                return false;
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        // overlong forms, UTF-16 surrogates, beyond U+10FFFF
        if ((extra == 2 && cp < 0x800) || (extra == 3 && (cp < 0x10000 || cp > 0x10FFFF)) ||
            (cp >= 0xD800 && cp <= 0xDFFF))
            return false;
        i += extra + 1;
    }
    return true;
}

int32_t LineReader::countLines(const std::string& bytes)
{
    int64_t lines = 0;
    const size_t n = bytes.size();
    size_t lineStart = 0;
    for (size_t i = 0; i < n; ++i) {
        if (bytes[i] == '\n' || bytes[i] == '\r') {
            ++lines;
            if (bytes[i] == '\r' && i + 1 < n && bytes[i + 1] == '\n')
                ++i;
            lineStart = i + 1;
        }
    }
    if (lineStart < n)
        ++lines;
    return lines > std::numeric_limits<int32_t>::max() ? std::numeric_limits<int32_t>::max()
                                                        : static_cast<int32_t>(lines);
}

int LineReader::open(const wxString& fileName)
{
    if (fileName.empty())
        return -1;
    std::string bytes;
    std::string error;
    if (!ReadRegularFile(std::string(fileName.fn_str()), bytes, error)) {
        DebugLog(2, fileName + ": cannot read (" + wxString(error) + ")");
        return -2;
    }
    return openBytes(std::move(bytes));
}

int LineReader::openBytes(std::string bytes)
{
    static const char kBom[] = "\xEF\xBB\xBF";
    if (bytes.compare(0, 3, kBom) == 0)
        bytes.erase(0, 3);
    fileBytes = std::move(bytes);
    utf8 = isValidUtf8(fileBytes);
    lineCount = countLines(fileBytes);
    nextPos = 0;
    linesTaken = 0;
    lineIndex = 0;
    firstLine = true;
    currentLine.clear();
    return 0;
}

int LineReader::readAll(const wxString& fileName)
{
    const int result = open(fileName);
    if (result != 0)
        return result;
    while (readNext()) {
    }
    close();
    return 0;
}

bool LineReader::readNext()
{
    if (linesTaken >= lineCount || nextPos > fileBytes.size())
        return false;
    const size_t n = fileBytes.size();
    size_t end = nextPos;
    while (end < n && fileBytes[end] != '\n' && fileBytes[end] != '\r')
        ++end;
    const char* start = fileBytes.data() + nextPos;
    size_t length = end - nextPos;
    cutLineBytes = 0;
    if (length > kMaxLineBytes) {
        cutLineBytes = length;
        length = kMaxLineBytes;
        // Never half a character: back to the start of the one cut through.
        while (utf8 && length > 0 && (static_cast<unsigned char>(start[length]) & 0xC0) == 0x80)
            --length;
    }
    if (length == 0)
        currentLine.clear();
    else if (utf8)
        currentLine = wxString::FromUTF8Unchecked(start, length);
    else
        currentLine = wxString(start, wxConvISO8859_1, length);
    nextPos = end;
    if (nextPos < n) {
        if (fileBytes[nextPos] == '\r' && nextPos + 1 < n && fileBytes[nextPos + 1] == '\n')
            ++nextPos;
        ++nextPos;
    }
    lineIndex = firstLine ? 0 : lineIndex + 1;
    firstLine = false;
    ++linesTaken;
    if (cutLineBytes != 0)
        DebugLog(1, wxString::Format("line %d is %zu bytes long; only its first %zu bytes are read",
                                     lineIndex + 1, cutLineBytes, kMaxLineBytes));
    processLine();
    return true;
}

void LineReader::close()
{
    std::string().swap(fileBytes);
    nextPos = 0;
    linesTaken = lineCount;
}
