#pragma once
// The debug log on disk: "filelog.txt" in the toolkit's line format
// ("HH:MM:SS: text", with "Warning: " or "Error: " before the text of those
// levels), bounded in size and written through a buffer by a thread of its
// own, so that no caller waits for the disk.
//
// When the file would pass its limit it is renamed "filelog.txt.1"
// (replacing an older one) and a new "filelog.txt" starts with a line that
// says so: the two never hold more than twice the limit. A file that cannot
// be opened or written is reported once on standard error and the log stops;
// the program goes on without it.
#include <wx/string.h>

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

class DebugLogFile {
public:
    static constexpr const char* kFileName = "filelog.txt";
    static constexpr const char* kOlderFileName = "filelog.txt.1";
    // Lines waiting for the disk: two buffers of this size take turns.
    static constexpr size_t kBufferBytes = 256 * 1024;
    // The writer thread empties the buffer at least this often.
    static constexpr int kFlushMilliseconds = 500;

    // Truncates `folder`/filelog.txt (a left-over filelog.txt.1 of an earlier
    // run is removed) and starts the writer thread. A limit of 0 writes nothing.
    DebugLogFile(const std::string& folder, uint64_t limitBytes);
    // Writes what is buffered and stops the writer thread.
    ~DebugLogFile();
    DebugLogFile(const DebugLogFile&) = delete;
    DebugLogFile& operator=(const DebugLogFile&) = delete;

    // False once the log stopped, or when it never started.
    bool isOn() const { return on.load(std::memory_order_relaxed); }

    // One line: level 1 a warning, 2 an error, anything else a message. A
    // line feed is added unless the text ends with one. Safe from any thread;
    // waits only for other callers, never for the disk. When the disk falls
    // so far behind that both buffers are full, lines are dropped and counted
    // in a warning written once there is room again.
    void append(unsigned level, const wxString& text);
    // Puts everything appended so far on disk before it returns.
    void flush();
    // Stops the writer thread after a last flush; from then on every line is
    // written at once, by its caller (for the traces of the process's exit).
    void shutdown();
    // Shuts down and lets go of the file; later lines are dropped.
    void close();
    // Writes the buffered lines with nothing but write(2) and atomics: for a
    // signal handler, when no lock may be taken. A line goes to the file once
    // whoever gets to it first, this or the writer thread; a line being copied
    // into the buffer at that moment may be lost.
    void flushFromSignal();

    uint64_t getLimit() const { return limit; }

private:
    void writerLoop();
    // Takes the filled buffer away from the callers and writes it.
    void drain();
    // Claims the lines of `buffer` that no one has claimed yet, [from, to),
    // for the caller alone to write; false when there are none.
    bool claim(int buffer, size_t& from, size_t& to);
    void writeBounded(const char* data, size_t size);
    bool writeAll(const char* data, size_t size);
    void rotate();
    void stop(const char* what, int error);

    const std::string path;
    const std::string olderPath;
    const uint64_t limit;

    // Per buffer: bytes of whole lines in it; the generation of its content
    // (high half) with the bytes claimed for writing (low half), taken by
    // compare-and-swap so that a line has one writer; bytes written by the
    // claimants. A buffer is emptied only when every byte in it was written.
    std::unique_ptr<char[]> buffers[2];
    std::atomic<size_t> filled[2];
    std::atomic<uint64_t> claimed[2];
    std::atomic<size_t> written[2];
    std::atomic<int> current{0}; // the buffer that takes new lines
    std::atomic<bool> on{false};
    std::atomic<bool> writerGone{false};
    std::atomic<int> fd{-1};
    std::atomic<uint64_t> fileBytes{0};
    // The thread drain() is writing from, 0 when none: a signal handler on
    // another thread gives it a moment to get its lines onto the disk.
    std::atomic<long> diskThread{0};
    uint64_t droppedLines = 0;

    std::mutex bufferLock; // the buffers, `current`, droppedLines
    std::mutex diskLock;   // the file: one writer at a time, in order
    std::condition_variable wake;
    bool stopping = false;
    bool fileHasLines = false; // beyond the line that opens a rotated file
    std::thread writer;
};
