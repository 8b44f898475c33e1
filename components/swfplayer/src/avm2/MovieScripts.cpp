#include "avm2/MovieScripts.h"

#include "avm1/ScriptHost.h"
#include "avm2/DisplayBinding.h"
#include "movie/Movie.h"
#include "player/MovieClip.h"

namespace vidorama::swf::avm2 {

namespace {

// Frame scripts that send their clip to other frames run those frames'
// scripts too; this bounds how often that may chain in one frame.
constexpr int kMaxFrameScriptRounds = 16;

} // namespace

MovieScripts::MovieScripts(const Movie& movie, avm1::ScriptHost& host)
    : m_movie(movie), m_host(host), m_vm(*this) {}

MovieScripts::~MovieScripts() = default;

void MovieScripts::trace(const std::string& line) {
    m_host.trace(line);
}
double MovieScripts::timerMs() const {
    return m_host.timerMs();
}
TimelineHost& MovieScripts::timelineHost() {
    return m_host.timelineHost();
}
MovieClip& MovieScripts::rootClip() {
    return m_host.rootClip();
}

std::shared_ptr<DisplayObject> MovieScripts::newClip(const MovieClip& parent) {
    return m_host.emptyClip(0, parent);
}

std::shared_ptr<DisplayObject> MovieScripts::newTextField(const Rect& bounds) {
    return m_host.textField(0, m_host.rootClip(), bounds);
}

std::shared_ptr<DisplayObject> MovieScripts::newLinkedInstance(const std::string& className) {
    auto id = linkedCharacter(className);
    if (!id || *id == 0)
        return nullptr;
    MovieClip& root = m_host.rootClip();
    auto object = m_host.timelineHost().instantiate(*id, 0, root);
    if (!object)
        return nullptr;
    if (MovieClip* clip = object->asClip()) {
        m_host.timelineHost().startClip(*clip);
        constructLinked(*clip);
    }
    return object;
}

std::optional<CharacterId> MovieScripts::linkedCharacter(const std::string& className) const {
    return m_movie.symbolClass(className);
}

PlayerSound& MovieScripts::sounds() {
    return m_host.sounds();
}

double MovieScripts::stageWidth() const {
    return (m_movie.frameRect().xMax - m_movie.frameRect().xMin) / 20.0;
}

double MovieScripts::stageHeight() const {
    return (m_movie.frameRect().yMax - m_movie.frameRect().yMin) / 20.0;
}

double MovieScripts::frameRate() const {
    return m_movie.frameRate();
}

void MovieScripts::start() {
    for (const Movie::AbcBlock& block : m_movie.abcBlocks()) {
        auto abc = ReadAbc(block.code);
        if (!abc) {
            m_vm.noteMissing(abc.error().message);
            continue;
        }
        m_vm.loadAbc(std::move(abc.value()), block.lazy);
    }
    MovieClip& root = m_host.rootClip();
    auto rootObject = root.shared_from_this();
    constructLinked(root);
    auto documentClass = m_movie.symbolClassName(0);
    ClassObject* cls = documentClass ? m_vm.findClass(*documentClass) : nullptr;
    if (cls && cls->allocator)
        construct(cls, rootObject);
    else
        m_vm.runReported([&] { ScriptObjectOf(m_vm, &root); });
    // Flash's debugger logs a document class that is no display object.
    if (cls && !cls->allocator)
        m_vm.host().trace("TypeError: Error #2023: " +
                          ErrorMessage(2023, cls->qualifiedName() + "$"));
    // The root joins the stage once made, and its first frame ends as any
    // other does.
    auto script = m_vm.displayObjects.find(&root);
    if (script != m_vm.displayObjects.end())
        for (const char* type : {"added", "addedToStage"})
            m_vm.runReported([&] { DispatchSimple(m_vm, script->second, type); });
    broadcast("frameConstructed");
    runFrameScripts();
    broadcast("exitFrame");
    m_vm.collectIfDue();
}

// Makes the script object first, bound to its display object, so that the
// constructor already finds its timeline and its named children in their
// variables.
void MovieScripts::construct(ClassObject* cls, const std::shared_ptr<DisplayObject>& object) {
    m_vm.runReported([&] {
        auto* script = static_cast<DisplayScriptObject*>(cls->allocator(m_vm, cls));
        Bind(m_vm, script, object);
        if (MovieClip* clip = object->asClip()) {
            std::vector<std::shared_ptr<DisplayObject>> children;
            for (const auto& [depth, child] : clip->children())
                children.push_back(child);
            for (const auto& child : children)
                setNamedChild(*clip, *child);
        }
        m_vm.invoke(cls->instanceInit, Value(static_cast<Object*>(script)), {}, cls->scope, cls);
    });
}

// Children the timelines placed whose symbols are linked to classes are
// constructed as those classes, the innermost first.
void MovieScripts::constructLinked(MovieClip& clip) {
    std::vector<std::shared_ptr<DisplayObject>> children;
    for (const auto& [depth, child] : clip.children())
        children.push_back(child);
    for (const auto& child : children) {
        NameInstance(m_vm, *child);
        if (MovieClip* childClip = child->asClip())
            constructLinked(*childClip);
        auto bound = m_vm.displayObjects.find(child.get());
        if (bound == m_vm.displayObjects.end() || bound->second->display.lock() != child) {
            auto name = m_movie.symbolClassName(child->character().id());
            ClassObject* cls = name ? m_vm.findClass(*name) : nullptr;
            if (cls && cls->allocator)
                construct(cls, child);
        }
        setNamedChild(clip, *child);
    }
}

// A named instance the timeline placed is stored in the variable of that
// name its parent's class declares, as Flash's authoring tool expects.
void MovieScripts::setNamedChild(MovieClip& parent, DisplayObject& child) {
    const std::string& name = child.properties().name;
    if (name.empty())
        return;
    auto owner = m_vm.displayObjects.find(&parent);
    if (owner == m_vm.displayObjects.end() || owner->second->display.lock().get() != &parent)
        return;
    Object* script = owner->second;
    const Trait* trait =
        script->traits() ? script->traits()->find(Name::publicName(name)) : nullptr;
    if (!trait || trait->kind != Trait::Kind::Slot)
        return;
    m_vm.runReported([&] {
        Value value = ScriptObjectOf(m_vm, &child);
        if (!m_vm.strictEquals(script->fields[trait->slot], value))
            m_vm.setProperty(Value(script), Name::publicName(name), value);
    });
}

void MovieScripts::broadcast(const std::string& type) {
    std::vector<Object*> targets = m_vm.enterFrameOrder;
    for (Object* target : targets)
        m_vm.runReported([&] { DispatchSimple(m_vm, target, type); });
}

void MovieScripts::enterFrame() {
    m_vm.runScheduled(m_host.timerMs());
    broadcast("enterFrame");
}

void MovieScripts::frameEntered() {
    constructLinked(m_host.rootClip());
    broadcast("frameConstructed");
    runFrameScripts();
    broadcast("exitFrame");
    m_vm.collectIfDue();
}

void MovieScripts::runFrameScripts() {
    for (int round = 0; round < kMaxFrameScriptRounds && !m_vm.frameCut(); ++round) {
        bool ran = false;
        std::vector<Object*> objects;
        for (const auto& [display, script] : m_vm.displayObjects)
            objects.push_back(script);
        for (Object* object : objects) {
            auto* script = static_cast<DisplayScriptObject*>(object);
            auto display = script->display.lock();
            MovieClip* clip = display ? display->asClip() : nullptr;
            if (!clip || clip->removed() || script->frameScripts.empty() ||
                clip->currentFrame() == script->scriptFrame)
                continue;
            script->scriptFrame = clip->currentFrame();
            auto found = script->frameScripts.find(clip->currentFrame());
            if (found == script->frameScripts.end())
                continue;
            Value fn = found->second;
            ran = true;
            m_vm.runReported([&] { m_vm.call(fn, Value(object), {}); });
        }
        if (!ran)
            return;
    }
}

} // namespace vidorama::swf::avm2
