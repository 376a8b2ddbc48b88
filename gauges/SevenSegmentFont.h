#pragma once
// The digital gauges ask for the face "7 Segment". Registers a fontconfig alias
// from that name to Debian's DSEG7 face in the process's font configuration.
// Must run before the toolkit initialises (before wxEntry / wxEntryStart).
// Returns false when no seven-segment face is installed (the toolkit then
// substitutes its default face).
bool RegisterSevenSegmentFace();

// The face the alias points to.
extern const char* const kSevenSegmentFamily;
