#pragma once
#include <cstdlib>
#include <string>

// Points "COM1:" at `path` while it lives.
class SerialPortEnv {
public:
    explicit SerialPortEnv(const std::string& path)
    {
        const char* old = std::getenv("TARN_SERIAL_PORT");
        hadOld = old != nullptr;
        if (old)
            previous = old;
        ::setenv("TARN_SERIAL_PORT", path.c_str(), 1);
    }
    ~SerialPortEnv()
    {
        if (hadOld)
            ::setenv("TARN_SERIAL_PORT", previous.c_str(), 1);
        else
            ::unsetenv("TARN_SERIAL_PORT");
    }

private:
    bool hadOld = false;
    std::string previous;
};
