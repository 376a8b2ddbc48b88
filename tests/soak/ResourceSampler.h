#pragma once
// Watches a long run: the process's resident memory, open descriptors and
// threads (from /proc/self), and how much the debug log holds on disk
// ("filelog.txt" and "filelog.txt.1" in its folder).
#include <cstdint>
#include <string>

struct ProcessSample {
    long rssKiB = -1;
    long descriptors = -1;
    long terminals = 0; // of `descriptors`, those open on a terminal (/dev/pts, /dev/tty)
    long threads = -1;
    std::string descriptorFiles; // what they are open on, "fd:file " each
};

// The debug log's own descriptor is not counted: its writer thread closes
// and reopens it when the file reaches its limit, at any moment.
ProcessSample SampleProcess(const std::string& logFolder);

class ResourceSampler {
public:
    // `logFolder` holds the debug log; empty: none is watched.
    explicit ResourceSampler(std::string logFolder);

    // The end of the warm-up: what the run is measured against from here on.
    void warmedUp();
    // One sample during the run (any time; before warmedUp() only the log counts).
    void sample();
    // The last sample, at the end of the run.
    void finish();

    bool isWarm() const { return warm; }
    const ProcessSample& atWarmUp() const { return baseline; }
    const ProcessSample& atEnd() const { return last; }
    long largestRssKiB() const { return largestRss; }
    uint64_t largestLogBytes() const { return largestLog; }
    uint64_t logBytesNow() const;
    // Times "filelog.txt" was seen to start again (at most one per sample).
    long logRestartsSeen() const { return restarts; }

private:
    std::string folder;
    bool warm = false;
    ProcessSample baseline;
    ProcessSample last;
    long largestRss = 0;
    uint64_t largestLog = 0;
    uint64_t lastLogFile = 0;
    long restarts = 0;

    void sampleLog();
};
