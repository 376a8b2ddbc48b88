#pragma once
// Binary logs ("MLVLG" magic), versions 1 and 2. Big-endian throughout.
//
//   header       magic, version, start time, info text offset (2 bytes in
//                version 1, 4 in version 2), first data block offset, record
//                length, field count
//   descriptors  55 bytes each (89 in version 2): type, name, units, style,
//                scale and transform (F32) and digits for scalars, bit layout
//                for bit fields
//   bit names, info text
//   data blocks  type 0: counter, 16-bit time, the record, a check byte (the
//                sum of the record's bytes); type 1: counter, time, 50 bytes
//                of marker text
//
// A scalar reads (raw + transform) * scale, rounded to its digits; a bit
// field reads its raw value. A header that contradicts itself or the file's
// size refuses the log; reading stops at a damaged or cut-off block, keeping
// every whole record before it and counting the bytes left over. A record
// whose check byte does not match is skipped.
#include "datalog/Datalog.h"

class BinaryLog : public Datalog {
public:
    BinaryLog(std::string fileBytes, const wxString& fileName);

    Format GetFormat() const override { return Format::Binary; }
    wxString Describe() const override;
    size_t RecordCount() const override { return records.size(); }
    double Value(size_t record, size_t column) const override;

    static const char kMagic[6];

private:
    struct Field {
        uint8_t type;
        uint32_t offset; // within the record
        double scale;
        double transform;
        int digits;
    };

    bool ReadHeader();
    void ReadBlocks();

    int version = 0;
    uint32_t dataOffset = 0;
    uint32_t recordLength = 0;
    std::vector<Field> fields;
    std::vector<uint32_t> records; // offset of each record block
};
