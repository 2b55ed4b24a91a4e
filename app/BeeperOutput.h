#pragma once
// The Spectrum's beeper on the default audio output, where the machine has
// one and the build has Qt Multimedia. Without either the game plays
// silently: nothing is reported, nothing waits.

#include <memory>

namespace zq {

namespace emu {
class Machine48;
}

class BeeperOutput {
public:
    BeeperOutput();
    ~BeeperOutput();

    // Opens the default output; false (silent) when there is none.
    bool start();
    void stop();
    bool active() const;

    // The sound of the machine's last frame; dropped when the output's
    // buffer is full rather than waiting for it.
    void play(const emu::Machine48& machine);

private:
    struct Device;
    std::unique_ptr<Device> device_;
};

} // namespace zq
