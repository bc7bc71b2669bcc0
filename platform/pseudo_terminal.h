#pragma once
// A pseudo-terminal pair standing in for a serial line: the program opens the slave path like
// a port; the simulator (or a test) holds the master. Both ends are raw, so no byte is echoed,
// translated or held back.

#include <string>

namespace tarvisk {

class PseudoTerminal {
  public:
    PseudoTerminal() = default;
    ~PseudoTerminal();
    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    // Opens a new pair. With keepSlaveOpen the master holds its own slave descriptor, so the
    // line survives the program closing and reopening the port (otherwise the master reads
    // EIO once the last slave closes). With packetMode the master also learns when the slave
    // side flushes its queues (TIOCPKT): every master read then starts with a status byte.
    bool Open(bool keepSlaveOpen = true, bool packetMode = false);
    void Close();
    bool IsOpen() const { return master_ >= 0; }

    int MasterFd() const { return master_; }
    const std::string& SlavePath() const { return slavePath_; }

  private:
    int master_ = -1;
    int slave_ = -1;
    std::string slavePath_;
};

// Puts a terminal descriptor in raw mode (no echo, no translation, VMIN 1).
bool MakeRaw(int fd);

}  // namespace tarvisk
