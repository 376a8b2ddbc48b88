#pragma once
// The bytes of a definition file's pages of constants as the simulator
// serves them: every [Constants] scalar, bit field and array that has a
// value (a tune file's, else the file's default) written at its offset, in
// the file's byte order, as raw = value / scale - translate; the rest zeros.
#include <cstddef>
#include <string>
#include <vector>

class SymbolTable;

// One string per page (nPages of pageSize bytes). `written` counts the
// constants that had a value to write.
std::vector<std::string> BuildPageImage(const SymbolTable& table, size_t* written = nullptr);
