#include "datalog/BinaryLog.h"

#include <wx/arrstr.h>

#include <cmath>
#include <cstring>
#include <limits>

const char BinaryLog::kMagic[6] = {'M', 'L', 'V', 'L', 'G', '\0'};

namespace {

const size_t kBlockHeader = 4;    // type, counter, 16-bit time stamp
const size_t kMarkerText = 50;
const uint8_t kRecordBlock = 0;
const uint8_t kMarkerBlock = 1;
const size_t kNameSize = 34;
const size_t kUnitsSize = 10;
const size_t kCategorySize = 34;  // version 2 only
const size_t kScalarPart = 55;    // a descriptor without its category
const int kMaxDigitsRounded = 9;

// Bytes of a value of `type` in a record; 0 for an unknown type.
size_t TypeSize(uint8_t type)
{
    switch (type) {
    case 0: case 1: case 10: return 1;       // U08, S08, U08 bits
    case 2: case 3: case 11: return 2;       // U16, S16, U16 bits
    case 4: case 5: case 7: case 12: return 4; // U32, S32, F32, U32 bits
    case 6: return 8;                        // S64
    default: return 0;
    }
}

bool IsBitField(uint8_t type)
{
    return type >= 10;
}

uint64_t ReadUnsigned(const unsigned char* p, size_t size)
{
    uint64_t value = 0;
    for (size_t i = 0; i < size; ++i)
        value = value << 8 | p[i];
    return value;
}

float ReadFloat(const unsigned char* p)
{
    const uint32_t bits = static_cast<uint32_t>(ReadUnsigned(p, 4));
    float value;
    std::memcpy(&value, &bits, sizeof value);
    return value;
}

// A fixed-size text field: up to its first NUL, blanks around removed.
wxString FixedText(const char* p, size_t size)
{
    const char* end = static_cast<const char*>(std::memchr(p, '\0', size));
    return wxString(p, wxConvISO8859_1, end ? static_cast<size_t>(end - p) : size).Trim(true).Trim(false);
}

} // namespace

BinaryLog::BinaryLog(std::string fileBytes, const wxString& fileName)
    : Datalog(std::move(fileBytes), fileName)
{
    if (ReadHeader())
        ReadBlocks();
    FinishLoading(true);
}

wxString BinaryLog::Describe() const
{
    return wxString::Format("binary log version %d", version);
}

bool BinaryLog::ReadHeader()
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    if (size < sizeof kMagic || std::memcmp(b, kMagic, sizeof kMagic) != 0) {
        Refuse(GetName() + ": offset 0: not a binary log (no \"MLVLG\" magic)");
        return false;
    }
    if (size < 8) {
        Refuse(wxString::Format("%s: offset 6: the file ends inside the header", GetName()));
        return false;
    }
    version = static_cast<int16_t>(ReadUnsigned(b + 6, 2));
    if (version != 1 && version != 2) {
        Refuse(wxString::Format("%s: offset 6: binary log version %d is not known (only 1 and 2 are)",
                                GetName(), version));
        return false;
    }
    const size_t infoSize = version == 1 ? 2 : 4;
    const size_t fixedHeader = 12 + infoSize + 8;
    if (size < fixedHeader) {
        Refuse(wxString::Format("%s: offset %zu: the file ends inside the header (%zu bytes, the header needs %zu)",
                                GetName(), size, size, fixedHeader));
        return false;
    }
    const uint32_t infoOffset = static_cast<uint32_t>(ReadUnsigned(b + 12, infoSize));
    const size_t lengths = 12 + infoSize;
    dataOffset = static_cast<uint32_t>(ReadUnsigned(b + lengths, 4));
    recordLength = static_cast<uint32_t>(ReadUnsigned(b + lengths + 4, 2));
    const size_t fieldCount = ReadUnsigned(b + lengths + 6, 2);

    const size_t descriptorSize = kScalarPart + (version == 2 ? kCategorySize : 0);
    const size_t descriptorsEnd = fixedHeader + fieldCount * descriptorSize;
    if (descriptorsEnd > size) {
        Refuse(wxString::Format("%s: offset %zu: the descriptors of %zu fields (%zu bytes) run past the end "
                                "of the file (%zu bytes)",
                                GetName(), fixedHeader, fieldCount, fieldCount * descriptorSize, size));
        return false;
    }
    // A type this reader does not know is skipped by its size, which the
    // record length tells when it is the only unknown type.
    std::vector<size_t> sizes(fieldCount);
    size_t known = 0;
    size_t unknownCount = 0;
    size_t firstUnknown = 0;
    for (size_t i = 0; i < fieldCount; ++i) {
        const uint8_t type = b[fixedHeader + i * descriptorSize];
        sizes[i] = TypeSize(type);
        known += sizes[i];
        if (sizes[i] == 0 && unknownCount++ == 0)
            firstUnknown = i;
    }
    if (unknownCount > 0) {
        const uint8_t type = b[fixedHeader + firstUnknown * descriptorSize];
        const size_t left = recordLength > known ? recordLength - known : 0;
        bool oneType = true;
        for (size_t i = 0; i < fieldCount; ++i)
            oneType = oneType && (sizes[i] != 0 || b[fixedHeader + i * descriptorSize] == type);
        if (!oneType || left == 0 || left % unknownCount != 0) {
            const size_t at = fixedHeader + firstUnknown * descriptorSize;
            Refuse(wxString::Format("%s: offset %zu: field %zu (\"%s\") has the unknown type %u", GetName(), at,
                                    firstUnknown + 1, FixedText(bytes.data() + at + 1, kNameSize), type));
            return false;
        }
        for (size_t& fieldSize : sizes)
            if (fieldSize == 0)
                fieldSize = left / unknownCount;
    }
    size_t sum = 0;
    fields.reserve(fieldCount);
    columns.reserve(fieldCount);
    for (size_t i = 0; i < fieldCount; ++i) {
        const size_t at = fixedHeader + i * descriptorSize;
        const unsigned char* d = b + at;
        const char* text = bytes.data() + at;
        const uint8_t type = d[0];
        const wxString fieldName = FixedText(text + 1, kNameSize);
        if (TypeSize(type) == 0)
            AddOffsetProblem(at, wxString::Format("field %zu (\"%s\") has the unknown type %u; its %zu bytes are "
                                                  "skipped and it has no value",
                                                  i + 1, fieldName, type, sizes[i]));
        Field field{type, static_cast<uint32_t>(sum), 1.0, 0.0, -1};
        if (!IsBitField(type) && TypeSize(type) != 0) {
            field.scale = ReadFloat(d + 46);
            field.transform = ReadFloat(d + 50);
            field.digits = static_cast<int8_t>(d[54]);
        }
        fields.push_back(field);
        columns.push_back({fieldName, FixedText(text + 1 + kNameSize, kUnitsSize)});
        sum += sizes[i];
    }
    if (sum != recordLength) {
        Refuse(wxString::Format("%s: offset %zu: the %zu fields take %zu bytes, but the record length is %u",
                                GetName(), lengths + 4, fieldCount, sum, recordLength));
        return false;
    }
    if (dataOffset < descriptorsEnd || dataOffset > size) {
        Refuse(wxString::Format("%s: offset %zu: the first data block at offset %u lies outside the file's data "
                                "(%zu to %zu)",
                                GetName(), lengths, dataOffset, descriptorsEnd, size));
        return false;
    }
    if (infoOffset >= descriptorsEnd && infoOffset <= dataOffset) {
        const char* info = bytes.data() + infoOffset;
        const char* infoEnd = bytes.data() + dataOffset;
        if (const char* nul = static_cast<const char*>(std::memchr(info, '\0', infoEnd - info)))
            infoEnd = nul;
        for (wxString line : wxSplit(DecodeText(info, infoEnd), '\n', '\0')) {
            line.Trim(true).Trim(false);
            if (line.length() >= 2 && line.StartsWith("\"") && line.EndsWith("\""))
                line = line.Mid(1, line.length() - 2);
            if (!line.empty())
                titles.push_back(line);
        }
    } else {
        AddOffsetProblem(12, wxString::Format("the info text offset %u lies outside the header; no info text",
                                              infoOffset));
    }
    return true;
}

void BinaryLog::ReadBlocks()
{
    const auto* b = reinterpret_cast<const unsigned char*>(bytes.data());
    const size_t size = bytes.size();
    const size_t recordBlock = kBlockHeader + recordLength + 1;
    records.reserve((size - dataOffset) / recordBlock + 1);
    size_t at = dataOffset;
    while (at < size) {
        const uint8_t type = b[at];
        const size_t left = size - at;
        if (type != kRecordBlock && type != kMarkerBlock) {
            leftoverBytes = left;
            AddOffsetProblem(at, wxString::Format("unknown block type %u: the file is damaged from here on; "
                                                  "%zu bytes left over",
                                                  type, left));
            break;
        }
        const size_t blockSize = type == kRecordBlock ? recordBlock : kBlockHeader + kMarkerText;
        if (left < blockSize) {
            leftoverBytes = left;
            AddOffsetProblem(at, wxString::Format("the last block is cut off; %zu bytes left over", left));
            break;
        }
        if (type == kMarkerBlock) {
            markers.push_back({records.size(), FixedText(bytes.data() + at + kBlockHeader, kMarkerText)});
        } else {
            const unsigned char* values = b + at + kBlockHeader;
            unsigned sum = 0;
            for (size_t i = 0; i < recordLength; ++i)
                sum += values[i];
            const unsigned check = values[recordLength];
            if ((sum & 0xFF) == check)
                records.push_back(static_cast<uint32_t>(at));
            else
                AddOffsetProblem(at, wxString::Format("check byte %u, but the values add up to %u; record skipped",
                                                      check, sum & 0xFF));
        }
        at += blockSize;
    }
    if (records.empty())
        AddOffsetProblem(dataOffset, "no record");
}

double BinaryLog::Value(size_t record, size_t column) const
{
    if (record >= records.size() || column >= fields.size())
        return std::numeric_limits<double>::quiet_NaN();
    const Field& field = fields[column];
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.data()) + records[record] + kBlockHeader +
                    field.offset;
    const size_t valueSize = TypeSize(field.type);
    if (valueSize == 0) // a type skipped when read
        return std::numeric_limits<double>::quiet_NaN();
    double raw;
    switch (field.type) {
    case 1: raw = static_cast<int8_t>(p[0]); break;
    case 3: raw = static_cast<int16_t>(ReadUnsigned(p, 2)); break;
    case 5: raw = static_cast<int32_t>(ReadUnsigned(p, 4)); break;
    case 6: raw = static_cast<double>(static_cast<int64_t>(ReadUnsigned(p, 8))); break;
    case 7: raw = ReadFloat(p); break;
    default: raw = static_cast<double>(ReadUnsigned(p, valueSize)); break;
    }
    if (IsBitField(field.type))
        return raw;
    const double value = (raw + field.transform) * field.scale;
    if (field.digits < 0 || field.digits > kMaxDigitsRounded || !std::isfinite(value))
        return value;
    // Binary scales are F32: 147 * 0.1f is 14.700000219..., shown as 14.7.
    const double unit = std::pow(10.0, field.digits);
    const double rounded = std::round(value * unit) / unit;
    return std::isfinite(rounded) ? rounded : value;
}
