#include "player/ActionRunner.h"

#include "player/MovieClip.h"

#include <charconv>

namespace vidorama::swf {

namespace {

MovieClip& RootOf(MovieClip& clip) {
    MovieClip* root = &clip;
    while (root->parent())
        root = root->parent();
    return *root;
}

bool IsName(std::string_view part, std::string_view name) {
    if (part.size() != name.size())
        return false;
    for (std::size_t i = 0; i < part.size(); ++i)
        if ((part[i] >= 'A' && part[i] <= 'Z' ? part[i] - 'A' + 'a' : part[i]) != name[i])
            return false;
    return true;
}

// Takes cost from the budget, if there is one; false when it does not fit.
bool Spend(std::size_t* budget, std::size_t cost) {
    if (!budget)
        return true;
    if (*budget < cost) {
        *budget = 0;
        return false;
    }
    *budget -= cost;
    return true;
}

MovieClip* Step(MovieClip* clip, std::string_view part, bool caseSensitive,
                std::size_t* searchBudget) {
    if (part.empty() || part == "." || IsName(part, "this"))
        return clip;
    if (part == ".." || IsName(part, "_parent"))
        return clip->parent();
    if (IsName(part, "_root") || IsName(part, "_level0"))
        return &RootOf(*clip);
    if (!Spend(searchBudget, clip->children().size()))
        return nullptr;
    DisplayObject* child = clip->childByName(part, caseSensitive);
    return child ? child->asClip() : nullptr;
}

std::optional<FrameNumber> ParseFrameNumber(std::string_view text) {
    FrameNumber frame = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), frame);
    if (error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return frame;
}

} // namespace

MovieClip* ResolveTarget(MovieClip& from, std::string_view path, bool caseSensitive,
                         std::size_t* searchBudget) {
    MovieClip* clip = &from;
    std::size_t start = 0;
    if (!path.empty() && path.front() == '/') {
        clip = &RootOf(from);
        start = 1;
    }
    bool slashes = path.find('/') != std::string_view::npos;
    char separator = slashes ? '/' : '.';
    while (clip && start < path.size()) {
        std::size_t end = path.find(separator, start);
        if (end == std::string_view::npos)
            end = path.size();
        std::string_view part = path.substr(start, end - start);
        // In dot syntax ".." cannot occur, so an empty part there is a typo.
        if (slashes || !part.empty())
            clip = Step(clip, part, caseSensitive, searchBudget);
        start = end + 1;
    }
    return clip;
}

void ActionRunner::run(MovieClip& clip, const ActionList& actions) {
    MovieClip* target = &clip;
    for (const Action& action : actions) {
        if (action.op == Action::Op::SetTarget) {
            target = action.text.empty() ? &clip : resolve(clip, action.text);
            continue;
        }
        MovieClip* receiver = target;
        if (receiver && !action.path.empty())
            receiver = resolve(*receiver, action.path);
        if (receiver && !receiver->removed())
            runOne(*receiver, action);
    }
}

void ActionRunner::runOne(MovieClip& target, const Action& action) {
    switch (action.op) {
    case Action::Op::Stop:
        target.stop();
        break;
    case Action::Op::Play:
        target.play();
        break;
    case Action::Op::NextFrame:
        target.gotoFrame(m_host, target.currentFrame() + 1, false);
        break;
    case Action::Op::PreviousFrame:
        if (target.currentFrame() > 1)
            target.gotoFrame(m_host, target.currentFrame() - 1, false);
        else
            target.stop();
        break;
    case Action::Op::GotoFrame:
        target.gotoFrame(m_host, action.frame + 1, false);
        break;
    case Action::Op::GotoLabel:
        if (auto frame = findLabel(target, action.text))
            target.gotoFrame(m_host, *frame, false);
        break;
    case Action::Op::GotoExpression:
        gotoExpression(target, action);
        break;
    case Action::Op::StopSounds:
        m_host.stopAllSounds();
        break;
    case Action::Op::SetTarget:
        break;
    }
}

// A frame given by value: a number, a label, or either after "path:".
void ActionRunner::gotoExpression(MovieClip& target, const Action& action) {
    if (action.text.empty()) {
        target.gotoFrame(m_host, action.frame, action.play);
        return;
    }
    std::string_view text = action.text;
    MovieClip* clip = &target;
    if (auto colon = text.rfind(':'); colon != std::string_view::npos) {
        clip = resolve(target, text.substr(0, colon));
        text = text.substr(colon + 1);
    }
    if (!clip)
        return;
    auto frame = ParseFrameNumber(text);
    if (!frame)
        frame = findLabel(*clip, text);
    if (frame && *frame >= 1)
        clip->gotoFrame(m_host, *frame, action.play);
}

MovieClip* ActionRunner::resolve(MovieClip& from, std::string_view path) {
    return ResolveTarget(from, path, m_caseSensitive, &m_searchBudget);
}

std::optional<FrameNumber> ActionRunner::findLabel(const MovieClip& clip, std::string_view label) {
    if (!Spend(&m_searchBudget, clip.timeline().labelCount()))
        return std::nullopt;
    return clip.timeline().findLabel(label);
}

} // namespace vidorama::swf
