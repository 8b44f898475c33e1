#pragma once

#include "avm2/Vm.h"

#include <memory>
#include <set>
#include <string>

namespace vidorama::swf {

class Movie;
class MovieClip;
namespace avm1 {
class ScriptHost;
}

namespace avm2 {

class DisplayScriptObject;

// The ActionScript 3 side of one playback: loads the movie's blocks, makes
// the document class for the root and the linked classes for what the
// timelines place, and runs a frame's scripts in Flash's order: the
// timelines' step, enterFrame, construction, frameConstructed, frame
// scripts, exitFrame.
class MovieScripts final : private VmHost {
public:
    MovieScripts(const Movie& movie, avm1::ScriptHost& host);
    ~MovieScripts() override;

    // Runs the blocks' entry scripts and constructs the root as its class;
    // the root's first frame has been entered.
    void start();
    void beginFrame() { m_vm.beginFrame(); }
    // Before the timelines step.
    void enterFrame();
    // After the timelines stepped (or a goto by the host).
    void frameEntered();
    bool frameCut() const { return m_vm.frameCut(); }
    bool memoryCut() const { return m_vm.memoryCut(); }
    const HeapFigures& heapFigures() const { return m_vm.heapFigures(); }
    // The timeline takes the child off its list.
    void timelineRemoving(DisplayObject& child);
    // Classes, methods and instructions the scripts reached that the player
    // does not have, once each, sorted.
    const std::set<std::string>& missing() const { return m_vm.missing(); }

private:
    void trace(const std::string& line) override;
    double timerMs() const override;
    TimelineHost& timelineHost() override;
    MovieClip& rootClip() override;
    std::shared_ptr<DisplayObject> newClip(const MovieClip& parent) override;
    std::shared_ptr<DisplayObject> newTextField(const Rect& bounds) override;
    std::shared_ptr<DisplayObject> newLinkedInstance(const std::string& className) override;
    std::optional<CharacterId> linkedCharacter(const std::string& className) const override;
    std::shared_ptr<const CharacterDef> libraryCharacter(CharacterId id) const override;
    PlayerSound& sounds() override;
    double stageWidth() const override;
    double stageHeight() const override;
    double frameRate() const override;
    int swfVersion() const override;
    std::size_t movieFileLength() const override;

    void constructChildren(MovieClip& clip) override;
    void runPendingFrameScripts() override { runFrameScripts(); }
    void constructChild(MovieClip& parent, const std::shared_ptr<DisplayObject>& child);
    void setNamedChild(MovieClip& parent, DisplayObject& child);
    void construct(ClassObject* cls, const std::shared_ptr<DisplayObject>& object);
    void runFrameScripts();
    void collectScripted(DisplayObject& object, std::vector<Object*>& out);
    void broadcast(const std::string& type);

    const Movie& m_movie;
    avm1::ScriptHost& m_host;
    Vm m_vm;
};

} // namespace avm2
} // namespace vidorama::swf
