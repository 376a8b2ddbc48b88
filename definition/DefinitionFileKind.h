#pragma once
// Tells a file that cannot be a definition file from one that merely has
// faults: UTF-16 text, binary data, or text without a single [section]. Such
// a file would load as an empty table with no warning at all.
#include <string>

// Why `bytes` is not a definition file ("UTF-16 text", "binary data", "no
// [section] in it"); empty when it may be one.
std::string NotADefinitionFile(const std::string& bytes);
