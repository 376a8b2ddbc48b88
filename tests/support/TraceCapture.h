#pragma once
// Collects the standard-error traces (base/StderrTrace.h) while it lives,
// then restores their earlier route.
#include "base/StderrTrace.h"

#include <cstdio>
#include <string>
#include <vector>

class TraceCapture {
public:
    TraceCapture() : file(std::tmpfile()), previous(RouteStderrTraces({file, false})) {}
    ~TraceCapture()
    {
        RouteStderrTraces(previous);
        if (file)
            std::fclose(file);
    }
    TraceCapture(const TraceCapture&) = delete;
    TraceCapture& operator=(const TraceCapture&) = delete;

    std::string text() const
    {
        std::string all;
        if (!file)
            return all;
        std::fflush(file);
        const long end = std::ftell(file);
        std::rewind(file);
        all.resize(static_cast<size_t>(end));
        if (end > 0 && std::fread(&all[0], 1, all.size(), file) != all.size())
            all.clear();
        std::fseek(file, 0, SEEK_END);
        return all;
    }
    std::vector<std::string> lines() const
    {
        std::vector<std::string> out;
        const std::string all = text();
        size_t start = 0;
        for (size_t nl; (nl = all.find('\n', start)) != std::string::npos; start = nl + 1)
            out.push_back(all.substr(start, nl - start));
        if (start < all.size())
            out.push_back(all.substr(start));
        return out;
    }
    int count(const std::string& line) const
    {
        int n = 0;
        for (const std::string& l : lines())
            n += l == line;
        return n;
    }

private:
    FILE* file;
    StderrTraceRoute previous;
};
