#pragma once
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <stdexcept>
#include <string>
#include <system_error>

#include <unistd.h>

// A fresh temporary directory, removed with what it holds. Without one a test
// cannot run, so failing to make it throws (a test that throws fails).
class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/tarn-ecu-XXXXXX";
        if (!::mkdtemp(pattern))
            throw std::runtime_error("no temporary directory");
        path = pattern;
    }
    ~TempDir()
    {
        std::error_code ignored;
        std::filesystem::remove_all(path, ignored);
    }
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;

    std::string file(const std::string& name) const { return path + "/" + name; }
    // The bytes as given, no line-end translation; returns the file's path.
    std::string write(const std::string& name, const std::string& bytes) const
    {
        const std::string where = file(name);
        std::ofstream(where, std::ios::binary) << bytes;
        return where;
    }

    std::string path;
};
