#pragma once

namespace vidorama::swf {

// How much of each input channel goes to each output channel, in percent,
// as a script's Sound object sets it: ll is left to left, lr left to right,
// rl right to left, rr right to right; the volume scales them all.
struct SoundTransform {
    double volume = 100;
    double ll = 100, lr = 0, rl = 0, rr = 100;

    bool identity() const { return volume == 100 && ll == 100 && lr == 0 && rl == 0 && rr == 100; }
    bool operator==(const SoundTransform&) const = default;
};

} // namespace vidorama::swf
