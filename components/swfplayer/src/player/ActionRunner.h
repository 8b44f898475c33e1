#pragma once

#include "movie/Actions.h"
#include "player/TimelineHost.h"
#include "swf/Limits.h"

#include <optional>
#include <string_view>

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
    MovieClip* resolve(MovieClip& from, std::string_view path);
    std::optional<FrameNumber> findLabel(const MovieClip& clip, std::string_view label);

    TimelineHost& m_host;
    bool m_caseSensitive;
    // Names still to be looked at by this runner, which serves one frame:
    // every search for a target or a label goes through a list of names.
    std::size_t m_searchBudget = Limits::kMaxNamesSearchedPerFrame;
};

// Resolves a target path from a clip: slash syntax ("/a/b", "../a") and dot
// syntax ("_root.a", "_parent.b", "this"). nullptr when nothing matches.
// searchBudget, when given, is how many children may still be looked at by
// name; it is spent as they are, and nothing is found once it runs out.
MovieClip* ResolveTarget(MovieClip& from, std::string_view path, bool caseSensitive,
                         std::size_t* searchBudget = nullptr);

} // namespace vidorama::swf
