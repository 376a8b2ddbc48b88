#pragma once
// The time stamp that starts each line of the debug log.
#include <cstddef>

// "HH:MM:SS: ", the toolkit's default time stamp ("%X" in the C locale), made
// once a second per thread; `length` gets its length. The text stays valid
// until the calling thread asks again.
const char* LogTimeStamp(size_t& length);
