#pragma once
// Reads a whole file that must be a regular file. Anything else (a named
// pipe, a device, a directory, a socket) is refused before a byte is read,
// and opening never blocks: a named pipe without a writer would otherwise
// hold the caller forever, a device could feed it without end.
#include <string>

// The file's bytes into `bytes`; false with the reason in `error` (the
// system's text, or "not a regular file") when it cannot be read.
bool ReadRegularFile(const std::string& path, std::string& bytes, std::string& error);
// Opens it for reading in parts; -1 with the reason in `error`, as above.
// The caller closes the descriptor.
int OpenRegularFile(const std::string& path, std::string& error);
