#pragma once

#include "movie/Actions.h"
#include "player/TimelineHost.h"

namespace vidorama::swf {

class MovieClip;

// Runs the simple timeline actions of one action block. The block's own clip
// is the target until SetTarget names another; actions aimed at a target that
// cannot be found do nothing, as in Flash.
class ActionRunner {
public:
    ActionRunner(TimelineHost& host, bool caseSensitiveNames)
        : m_host(host), m_caseSensitive(caseSensitiveNames) {}

    void run(MovieClip& clip, const ActionList& actions);

private:
    void runOne(MovieClip& target, const Action& action);
    void gotoExpression(MovieClip& target, const Action& action);

    TimelineHost& m_host;
    bool m_caseSensitive;
};

// Resolves a target path from a clip: slash syntax ("/a/b", "../a") and dot
// syntax ("_root.a", "_parent.b", "this"). nullptr when nothing matches.
MovieClip* ResolveTarget(MovieClip& from, std::string_view path, bool caseSensitive);

} // namespace vidorama::swf
