#pragma once

#include "avm2/Vm.h"

#include <functional>
#include <memory>
#include <set>
#include <string>

namespace vidorama::swf {

class Movie;
class MovieClip;

namespace avm2 {

// The ActionScript 3 side of one playback: loads the movie's blocks, makes
// the document class for the root and keeps what the scripts reached that is
// not built.
class MovieScripts final : private VmHost {
public:
    using TraceHandler = std::function<void(const std::string&)>;
    using Clock = std::function<double()>;

    MovieScripts(const Movie& movie, TraceHandler trace, Clock clock);
    ~MovieScripts() override;

    // Runs the blocks' entry scripts and constructs the root as its class.
    void start(MovieClip& root);
    void beginFrame() { m_vm.beginFrame(); }
    bool frameCut() const { return m_vm.frameCut(); }
    // Classes, methods and instructions the scripts reached that the player
    // does not have, once each, sorted.
    const std::set<std::string>& missing() const { return m_vm.missing(); }

private:
    void trace(const std::string& line) override;
    double timerMs() const override { return m_clock(); }

    const Movie& m_movie;
    TraceHandler m_trace;
    Clock m_clock;
    Vm m_vm;
};

} // namespace avm2
} // namespace vidorama::swf
