#pragma once
// Whole-file reads for the tools, by byte path (a name need not be valid in
// any encoding). Only regular files are read: named pipes, devices and
// directories are refused without blocking (base/RegularFile.h).
#include <string>

// `path` "-" reads standard input, whatever it is. On failure `error` says why.
bool ReadWholeFile(const std::string& path, std::string& bytes, std::string& error);
