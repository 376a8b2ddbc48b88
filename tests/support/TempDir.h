#pragma once
#include <cstdlib>
#include <filesystem>
#include <string>
#include <system_error>

#include <unistd.h>

// A fresh temporary directory, removed with what it holds.
class TempDir {
public:
    TempDir()
    {
        char pattern[] = "/tmp/tarn-ecu-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        path = made ? made : "/tmp";
    }
    ~TempDir()
    {
        std::error_code ignored;
        if (path != "/tmp")
            std::filesystem::remove_all(path, ignored);
    }
    std::string file(const char* name) const { return path + "/" + name; }

    std::string path;
};
