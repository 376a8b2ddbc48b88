#pragma once
// The values of a definition file's [Constants] from the bytes of its pages:
// scalars, bit fields and arrays decoded as output channels are
// (ecu/ChannelDecoder.h), in the file's byte order, each from the page its
// "page = N" line names. A page never read gives nothing; a constant that
// does not lie wholly inside its page gets no value and is named.
#include "base/ValueMap.h"

#include <wx/string.h>

#include <map>
#include <vector>

class ConstantValues;
class SymbolTable;

struct PageValues {
    ValueMap numbers;
    std::map<wxString, std::vector<double>> arrays;
    std::vector<wxString> pastPage;
};

// `pages[i]` holds page i + 1; empty when it was never read.
PageValues decodePages(const SymbolTable& table, const std::vector<std::vector<unsigned char>>& pages);

// Puts the values over the earlier ones (a tune's, the defaults) and takes
// any value from the constants past their page.
void applyPageValues(const PageValues& values, ConstantValues& constants);
