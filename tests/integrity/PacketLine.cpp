#include "tests/integrity/PacketLine.h"

#include "serial/LineTiming.h"

#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <map>

PacketLine::PacketLine(const std::string& link, const Faults& lineFaults, Firmware ecu)
    : peer(link), faults(lineFaults), firmware(std::move(ecu)), random(lineFaults.seed)
{
    if (peer.ok())
        thread = std::thread([this] { run(); });
}

PacketLine::~PacketLine()
{
    stopping = true;
    if (thread.joinable())
        thread.join();
}

std::vector<PacketLine::Reply> PacketLine::replies() const
{
    std::lock_guard<std::mutex> lock(mutex);
    return sent;
}

PacketLine::Clock::time_point PacketLine::packetAfter(Clock::time_point t) const
{
    const auto packet = std::chrono::milliseconds(faults.packetMs);
    const auto packets = (t - start + packet - Clock::duration(1)) / packet;
    return start + packets * packet;
}

void PacketLine::answer(const std::string& command, Clock::time_point now)
{
    const std::string own = firmware(command);
    if (own.empty())
        return;
    Reply reply;
    reply.own = own;
    std::uniform_real_distribution<double> chance(0.0, 1.0);
    if (chance(random) < faults.noise)
        reply.line += static_cast<char>(random() & 0xFF);
    reply.line += own;
    // The ECU answers once it has sent what it was asked before.
    const Clock::time_point begin = std::max(now, lineFree);
    const auto character = characterTime(faults.baud);
    std::map<Clock::time_point, std::string> packets;
    std::map<Clock::time_point, size_t> firstIndex;
    Clock::time_point endOfOwn = begin;
    std::uniform_int_distribution<int> hold(0, faults.holdBackMs);
    const auto heldBack = std::chrono::milliseconds(hold(random));
    for (size_t i = 0; i < reply.line.size(); ++i) {
        const Clock::time_point atAdapter = begin + character * static_cast<long long>(i + 1);
        Clock::time_point due = packetAfter(atAdapter);
        if (i + 1 == own.size())
            endOfOwn = due;
        if (i >= own.size())
            due = std::max(due, endOfOwn + heldBack);
        firstIndex.emplace(due, i);
        packets[due] += reply.line[i];
        lineFree = atAdapter;
    }
    const size_t index = sent.size();
    {
        std::lock_guard<std::mutex> lock(mutex);
        sent.push_back(reply);
        endWritten.emplace_back();
    }
    for (const auto& packet : packets)
        pending.push_back({packet.first, packet.second, index, firstIndex[packet.first]});
    std::stable_sort(pending.begin(), pending.end(),
                     [](const Chunk& a, const Chunk& b) { return a.due < b.due; });
}

void PacketLine::deliver(const Chunk& chunk)
{
    peer.send(chunk.bytes);
    const Clock::time_point written = Clock::now();
    std::lock_guard<std::mutex> lock(mutex);
    const size_t own = sent[chunk.reply].own.size();
    const size_t end = chunk.first + chunk.bytes.size();
    if (chunk.first < own && end >= own)
        endWritten[chunk.reply] = written;
    if (end > own && sent[chunk.reply].tail < Clock::duration::zero())
        sent[chunk.reply].tail = chunk.first < own ? Clock::duration::zero()
                                                   : written - endWritten[chunk.reply];
}

void PacketLine::run()
{
    while (!stopping) {
        const Clock::time_point now = Clock::now();
        while (!pending.empty() && pending.front().due <= now) {
            deliver(pending.front());
            pending.pop_front();
        }
        int waitMs = 5;
        if (!pending.empty()) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(pending.front().due - now);
            waitMs = static_cast<int>(std::min<long long>(left.count(), waitMs));
        }
        pollfd p = {peer.masterFd(), POLLIN, 0};
        if (::poll(&p, 1, waitMs) <= 0 || !(p.revents & POLLIN))
            continue;
        char buffer[256];
        const ssize_t r = ::read(peer.masterFd(), buffer, sizeof buffer);
        // A client writes each command whole, and waits for its reply.
        if (r > 0)
            answer(std::string(buffer, static_cast<size_t>(r)), Clock::now());
    }
}
