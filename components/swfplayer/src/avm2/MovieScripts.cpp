#include "avm2/MovieScripts.h"

#include "movie/Movie.h"
#include "player/MovieClip.h"

namespace vidorama::swf::avm2 {

MovieScripts::MovieScripts(const Movie& movie, TraceHandler trace, Clock clock)
    : m_movie(movie), m_trace(std::move(trace)), m_clock(std::move(clock)), m_vm(*this) {}

MovieScripts::~MovieScripts() = default;

void MovieScripts::trace(const std::string& line) {
    if (m_trace)
        m_trace(line);
}

void MovieScripts::start(MovieClip& root) {
    for (const Movie::AbcBlock& block : m_movie.abcBlocks()) {
        auto abc = ReadAbc(block.code);
        if (!abc) {
            m_vm.noteMissing(abc.error().message);
            continue;
        }
        m_vm.loadAbc(std::move(abc.value()), block.lazy);
    }
    auto documentClass = m_movie.symbolClassName(0);
    if (!documentClass)
        return;
    ClassObject* cls = m_vm.findClass(*documentClass);
    if (!cls)
        return;
    if (Object* instance = m_vm.constructReported(cls))
        instance->display = root.weak_from_this();
}

} // namespace vidorama::swf::avm2
