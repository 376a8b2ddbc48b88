#pragma once
// Whole-file reads for the tools, by byte path (a name need not be valid in
// any encoding). Directories and read errors fail.
#include <string>

// `path` "-" reads standard input.
bool ReadWholeFile(const std::string& path, std::string& bytes);
