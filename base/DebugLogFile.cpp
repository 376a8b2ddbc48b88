#include "base/DebugLogFile.h"

#include "base/LogTimeStamp.h"

#include <fcntl.h>
#include <sys/syscall.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <ctime>

namespace {

constexpr uint64_t kClaimedBytes = 0xffffffffu;
constexpr uint64_t kGeneration = uint64_t{1} << 32;
static_assert(DebugLogFile::kBufferBytes <= kClaimedBytes, "a claim holds a buffer's size");

// A raw system call: safe in a signal handler, unlike most of the C library.
long threadId()
{
    return ::syscall(SYS_gettid);
}

void sleepMillisecond()
{
    const timespec millisecond = {0, 1000000};
    ::nanosleep(&millisecond, nullptr);
}

// Never blocks, not even on a FIFO without a reader (that open fails).
int openForWriting(const std::string& path, int flags)
{
    return ::open(path.c_str(), O_WRONLY | O_CLOEXEC | O_NONBLOCK | flags, 0666);
}

} // namespace

DebugLogFile::DebugLogFile(const std::string& folder, uint64_t limitBytes)
    : path(folder.empty() ? kFileName : folder + "/" + kFileName),
      olderPath(folder.empty() ? kOlderFileName : folder + "/" + kOlderFileName),
      limit(limitBytes)
{
    for (int buffer = 0; buffer < 2; ++buffer) {
        filled[buffer] = 0;
        claimed[buffer] = 0;
        written[buffer] = 0;
    }
    // The two files hold this run only.
    ::unlink(olderPath.c_str());
    if (limit == 0) {
        const int old = openForWriting(path, O_TRUNC);
        if (old >= 0)
            ::close(old);
        return;
    }
    const int opened = openForWriting(path, O_CREAT | O_TRUNC);
    if (opened < 0) {
        const int error = errno;
        std::fprintf(stderr, "%s: cannot open (%s); the debug log stays off\n", path.c_str(),
                     std::strerror(error));
        return;
    }
    fd = opened;
    buffers[0].reset(new char[kBufferBytes]);
    buffers[1].reset(new char[kBufferBytes]);
    on = true;
    writer = std::thread(&DebugLogFile::writerLoop, this);
}

DebugLogFile::~DebugLogFile()
{
    close();
}

void DebugLogFile::close()
{
    shutdown();
    std::lock_guard<std::mutex> disk(diskLock);
    on = false;
    const int open = fd.exchange(-1);
    if (open >= 0)
        ::close(open);
}

void DebugLogFile::append(unsigned level, const wxString& text)
{
    if (!isOn())
        return;
    // Everything but the copy into the buffer happens outside the lock.
    const wxScopedCharBuffer utf8 = text.utf8_str();
    size_t stampLength = 0;
    const char* stamp = LogTimeStamp(stampLength);
    const char* levelPrefix = level == 1 ? "Warning: " : level == 2 ? "Error: " : "";
    const size_t prefixLength = std::strlen(levelPrefix);
    const size_t textLength = utf8.length();
    // As the toolkit's stream target: a line feed only when the text has none at its end.
    const bool needsFeed = textLength == 0 || utf8.data()[textLength - 1] != '\n';
    size_t need = stampLength + prefixLength + textLength + (needsFeed ? 1 : 0);
    if (need > kBufferBytes)
        need = kBufferBytes; // cut: the end of a huge line is lost, the line feed is not

    bool wakeWriter = false;
    {
        std::lock_guard<std::mutex> hold(bufferLock);
        int index = current.load(std::memory_order_relaxed);
        size_t used = filled[index].load(std::memory_order_relaxed);
        if (used + need > kBufferBytes) {
            const int other = index ^ 1;
            if (filled[other].load(std::memory_order_relaxed) != 0) {
                ++droppedLines; // both buffers wait for the disk
                wake.notify_one();
                return;
            }
            current.store(other, std::memory_order_relaxed);
            index = other;
            used = 0;
            wakeWriter = true;
        }
        char* to = buffers[index].get() + used;
        if (droppedLines != 0) {
            char note[160];
            const int n = std::snprintf(note, sizeof note,
                                        "%sWarning: %llu lines of the debug log were lost: the "
                                        "disk did not keep up\n",
                                        stamp, static_cast<unsigned long long>(droppedLines));
            if (n > 0 && used + static_cast<size_t>(n) + need <= kBufferBytes) {
                std::memcpy(to, note, static_cast<size_t>(n));
                to += n;
                used += static_cast<size_t>(n);
                droppedLines = 0;
            }
        }
        size_t room = need;
        const auto put = [&](const char* from, size_t size) {
            const size_t n = size < room ? size : room;
            std::memcpy(to, from, n);
            to += n;
            room -= n;
        };
        put(stamp, stampLength);
        put(levelPrefix, prefixLength);
        const bool cut = stampLength + prefixLength + textLength > need;
        if (needsFeed || cut) {
            put(utf8.data(), room - 1);
            *to = '\n';
        } else {
            put(utf8.data(), textLength);
        }
        const size_t half = kBufferBytes / 2;
        wakeWriter = wakeWriter || (used <= half && used + need > half);
        filled[index].store(used + need, std::memory_order_release);
    }
    if (writerGone.load(std::memory_order_relaxed))
        drain();
    else if (wakeWriter)
        wake.notify_one();
}

void DebugLogFile::flush()
{
    drain();
}

void DebugLogFile::shutdown()
{
    {
        std::lock_guard<std::mutex> hold(bufferLock);
        stopping = true;
    }
    wake.notify_all();
    if (writer.joinable())
        writer.join();
    writerGone = true;
    drain();
}

void DebugLogFile::writerLoop()
{
    std::unique_lock<std::mutex> hold(bufferLock);
    while (!stopping) {
        wake.wait_for(hold, std::chrono::milliseconds(kFlushMilliseconds));
        if (stopping)
            break;
        hold.unlock();
        drain();
        hold.lock();
    }
}

void DebugLogFile::drain()
{
    std::lock_guard<std::mutex> disk(diskLock);
    // At most the older buffer, then the one being filled: what was appended
    // before the call is on disk when it returns.
    for (int round = 0; round < 2; ++round) {
        int victim;
        {
            std::lock_guard<std::mutex> hold(bufferLock);
            const int index = current.load(std::memory_order_relaxed);
            if (filled[index ^ 1].load(std::memory_order_relaxed) != 0) {
                victim = index ^ 1;
            } else if (filled[index].load(std::memory_order_relaxed) != 0) {
                victim = index;
                current.store(index ^ 1, std::memory_order_relaxed);
            } else {
                return;
            }
        }
        // No line goes into `victim` any more: its size is final.
        const size_t size = filled[victim].load(std::memory_order_acquire);
        size_t from = 0;
        size_t to = 0;
        diskThread.store(threadId(), std::memory_order_release);
        if (claim(victim, from, to)) {
            if (isOn())
                writeBounded(buffers[victim].get() + from, to - from);
            written[victim].fetch_add(to - from, std::memory_order_release);
        }
        diskThread.store(0, std::memory_order_release);
        // A signal handler on another thread may be writing lines it claimed.
        while (written[victim].load(std::memory_order_acquire) < size)
            sleepMillisecond();
        {
            std::lock_guard<std::mutex> hold(bufferLock);
            // Emptied before the new generation starts, so that a handler
            // never pairs the old claim with a new size.
            filled[victim].store(0, std::memory_order_release);
            written[victim].store(0, std::memory_order_relaxed);
            const uint64_t old = claimed[victim].load(std::memory_order_relaxed);
            claimed[victim].store((old & ~kClaimedBytes) + kGeneration, std::memory_order_release);
        }
    }
}

bool DebugLogFile::claim(int buffer, size_t& from, size_t& to)
{
    uint64_t seen = claimed[buffer].load(std::memory_order_acquire);
    for (;;) {
        const size_t end = filled[buffer].load(std::memory_order_acquire);
        const size_t start = static_cast<size_t>(seen & kClaimedBytes);
        if (end <= start)
            return false;
        if (claimed[buffer].compare_exchange_weak(seen, (seen & ~kClaimedBytes) | end,
                                                  std::memory_order_acq_rel,
                                                  std::memory_order_acquire)) {
            from = start;
            to = end;
            return true;
        }
    }
}

void DebugLogFile::writeBounded(const char* data, size_t size)
{
    size_t pos = 0;
    while (pos < size && isOn()) {
        const uint64_t used = fileBytes.load(std::memory_order_relaxed);
        const uint64_t room = limit > used ? limit - used : 0;
        const char* from = data + pos;
        const size_t rest = size - pos;
        if (rest <= room) {
            if (writeAll(from, rest))
                fileHasLines = true;
            return;
        }
        // The whole lines that still fit, then a new file.
        if (const void* last = room > 0 ? ::memrchr(from, '\n', room) : nullptr) {
            const size_t n = static_cast<const char*>(last) - from + 1;
            if (!writeAll(from, n))
                return;
            pos += n;
            fileHasLines = true;
            rotate();
            continue;
        }
        if (fileHasLines) {
            rotate();
            continue;
        }
        // One line longer than a whole file: as much of it as fits.
        const void* end = std::memchr(from, '\n', rest);
        const size_t lineLength = end ? static_cast<const char*>(end) - from + 1 : rest;
        if (room >= 2 && writeAll(from, room - 1) && writeAll("\n", 1))
            fileHasLines = true;
        pos += lineLength;
    }
}

bool DebugLogFile::writeAll(const char* data, size_t size)
{
    const int out = fd.load(std::memory_order_relaxed);
    while (size > 0) {
        const ssize_t n = ::write(out, data, size);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            stop("cannot write", n < 0 ? errno : ENOSPC);
            return false;
        }
        data += n;
        size -= static_cast<size_t>(n);
        fileBytes.fetch_add(static_cast<uint64_t>(n), std::memory_order_relaxed);
    }
    return true;
}

void DebugLogFile::rotate()
{
    const int old = fd.exchange(-1);
    if (old >= 0)
        ::close(old);
    if (::rename(path.c_str(), olderPath.c_str()) != 0) {
        stop("cannot rename it", errno);
        return;
    }
    const int opened = openForWriting(path, O_CREAT | O_TRUNC);
    if (opened < 0) {
        stop("cannot open", errno);
        return;
    }
    fileBytes = 0;
    fileHasLines = false;
    fd = opened;
    size_t stampLength = 0;
    const char* stamp = LogTimeStamp(stampLength);
    char note[200];
    const int n = std::snprintf(note, sizeof note,
                                "%.*s%s reached its limit of %llu bytes; the lines before are in "
                                "%s\n",
                                static_cast<int>(stampLength), stamp, kFileName,
                                static_cast<unsigned long long>(limit), kOlderFileName);
    // Only where it leaves room for the lines themselves.
    if (n > 0 && static_cast<uint64_t>(n) <= limit / 2)
        writeAll(note, static_cast<size_t>(n));
}

void DebugLogFile::stop(const char* what, int error)
{
    if (!on.exchange(false))
        return;
    std::fprintf(stderr, "%s: %s (%s); the debug log stops\n", path.c_str(), what,
                 std::strerror(error));
    const int open = fd.exchange(-1);
    if (open >= 0)
        ::close(open);
}

void DebugLogFile::flushFromSignal()
{
    const int out = fd.load(std::memory_order_relaxed);
    if (!isOn() || out < 0)
        return;
    // The older buffer first.
    const int index = current.load(std::memory_order_relaxed);
    for (const int buffer : {index ^ 1, index}) {
        size_t from = 0;
        size_t to = 0;
        if (!claim(buffer, from, to))
            continue;
        size_t size = to - from;
        const uint64_t used = fileBytes.load(std::memory_order_relaxed);
        const uint64_t room = limit > used ? limit - used : 0;
        if (size > room)
            size = static_cast<size_t>(room);
        const char* data = buffers[buffer].get() + from;
        while (size > 0) {
            const ssize_t n = ::write(out, data, size);
            if (n < 0 && errno == EINTR)
                continue;
            if (n <= 0)
                break;
            data += n;
            size -= static_cast<size_t>(n);
            fileBytes.fetch_add(static_cast<uint64_t>(n), std::memory_order_relaxed);
        }
        // Written or given up: the buffer may be emptied.
        written[buffer].fetch_add(to - from, std::memory_order_release);
    }
    // Lines the writer thread claimed are its own to write: unless this
    // handler interrupted it, give it a moment to finish them.
    const long self = threadId();
    for (int waited = 0; waited < 500; ++waited) {
        const long writing = diskThread.load(std::memory_order_acquire);
        if (writing == 0 || writing == self)
            break;
        sleepMillisecond();
    }
}
