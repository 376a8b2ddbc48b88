#pragma once
// Writes binary logs ("MLVLG", versions 1 and 2) for tests and benchmarks.
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

struct BinaryField {
    uint8_t type; // 0 U08, 1 S08, 2 U16, 3 S16, 4 U32, 5 S32, 6 S64, 7 F32, 10-12 bits
    std::string name;
    std::string units;
    float scale = 1.0f;
    float transform = 0.0f;
    int8_t digits = 0;
};

class BinaryLogBuilder {
public:
    BinaryLogBuilder(int logVersion, std::vector<BinaryField> fieldList)
        : version(logVersion), fields(std::move(fieldList))
    {
    }

    static size_t SizeOf(uint8_t type)
    {
        return type == 6 ? 8 : type == 2 || type == 3 || type == 11 ? 2 : type >= 4 && type != 10 ? 4 : 1;
    }
    size_t RecordLength() const
    {
        size_t length = 0;
        for (const BinaryField& field : fields)
            length += SizeOf(field.type);
        return length;
    }
    size_t HeaderSize() const { return (version == 1 ? 22 : 24) + fields.size() * (version == 1 ? 55 : 89); }
    size_t DataOffset() const { return HeaderSize() + info.size(); }
    size_t RecordBlockSize() const { return 4 + RecordLength() + 1; }

    // One raw value per field (an F32 takes the value itself).
    void AddRecord(const std::vector<double>& raws)
    {
        std::string values;
        for (size_t i = 0; i < fields.size(); ++i) {
            const uint8_t type = fields[i].type;
            if (type == 7) {
                const float f = static_cast<float>(raws[i]);
                uint32_t bits;
                std::memcpy(&bits, &f, 4);
                Put(values, bits, 4);
            } else {
                Put(values, static_cast<uint64_t>(static_cast<int64_t>(raws[i])), SizeOf(type));
            }
        }
        unsigned sum = 0;
        for (unsigned char c : values)
            sum += c;
        blocks += std::string{'\0', static_cast<char>(counter++), '\x12', '\x34'} + values +
                  static_cast<char>(sum & 0xFF);
    }
    void AddMarker(const std::string& text)
    {
        std::string block{'\x01', static_cast<char>(counter++), '\0', '\0'};
        block += text.substr(0, 50);
        block.resize(4 + 50, '\0');
        blocks += block;
    }

    std::string Bytes() const
    {
        std::string out("MLVLG\0", 6);
        Put(out, static_cast<uint64_t>(version), 2);
        Put(out, 1600000000, 4);
        Put(out, HeaderSize(), version == 1 ? 2 : 4);
        Put(out, DataOffset(), 4);
        Put(out, RecordLength(), 2);
        Put(out, fields.size(), 2);
        for (const BinaryField& field : fields) {
            std::string d(1, static_cast<char>(field.type));
            d += Fixed(field.name, 34) + Fixed(field.units, 10);
            d += '\0'; // display style
            if (field.type >= 10) {
                d += std::string(1, '\0') + std::string(4, '\0') + '\x08' + std::string(3, '\0');
            } else {
                uint32_t bits;
                std::memcpy(&bits, &field.scale, 4);
                Put(d, bits, 4);
                std::memcpy(&bits, &field.transform, 4);
                Put(d, bits, 4);
                d += static_cast<char>(field.digits);
            }
            if (version == 2)
                d += Fixed("category", 34);
            out += d;
        }
        return out + info + blocks;
    }

    std::string info = "\"test firmware 1.0\"\n\"Capture Date: Tue Sep 01 21:25:42 UTC 2020\"\n";

private:
    static void Put(std::string& out, uint64_t value, size_t size)
    {
        for (size_t i = size; i-- > 0;)
            out += static_cast<char>(value >> (8 * i) & 0xFF);
    }
    static std::string Fixed(const std::string& text, size_t size)
    {
        std::string out = text.substr(0, size);
        out.resize(size, '\0');
        return out;
    }

    int version;
    std::vector<BinaryField> fields;
    std::string blocks;
    unsigned counter = 0;
};
