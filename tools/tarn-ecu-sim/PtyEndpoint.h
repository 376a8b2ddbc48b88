#pragma once
// The simulator's end of a pseudo-terminal: the master side, plus the slave
// side held open so that a client closing its end is not a hang-up. A pty
// moves bytes instantly and has no line speed of its own; the speed the client
// set on its end can be read back from the master, which is how the simulator
// tells whether the client "talks at the right speed".
#include <string>

class PtyEndpoint {
public:
    PtyEndpoint() = default;
    PtyEndpoint(const PtyEndpoint&) = delete;
    PtyEndpoint& operator=(const PtyEndpoint&) = delete;
    ~PtyEndpoint();

    // Opens a new pseudo-terminal in raw mode. False, with `error`, on failure.
    bool open(std::string& error);
    // Closes both ends: a client still on the device sees a hang-up.
    void close();

    bool isOpen() const { return master >= 0; }
    int masterFd() const { return master; }
    const std::string& devicePath() const { return path; }

    // The baud rate the client set for both directions; 0 when its input
    // and output speeds differ or the settings cannot be read.
    int clientBaud() const;
    // Bytes written towards the client that it has not read yet.
    int unreadByClient() const;

private:
    int master = -1;
    int slave = -1;
    std::string path;
};

// Makes `link` a symbolic link to `target`, replacing whatever link or file
// is there (atomically, so a client never finds the name missing).
bool PointLink(const std::string& link, const std::string& target, std::string& error);
// Removes `link` if it still points to `target` (another simulator may have
// taken the name over since).
void RemoveLinkTo(const std::string& link, const std::string& target);
