#include "avm2/MovieScripts.h"

#include "avm1/ScriptHost.h"
#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "movie/Movie.h"
#include "player/MovieClip.h"

#include <algorithm>

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
    // Named when made, before the children its first frame places.
    NameInstance(m_vm, *object);
    if (MovieClip* clip = object->asClip())
        m_host.timelineHost().startClip(*clip);
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
std::shared_ptr<const CharacterDef> MovieScripts::libraryCharacter(CharacterId id) const {
    return m_movie.character(id);
}
std::size_t MovieScripts::movieFileLength() const {
    return m_movie.fileLength();
}

int MovieScripts::swfVersion() const {
    return m_movie.version();
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
    root.setScriptConstructed();
    if (root.properties().name.empty())
        root.properties().name = "root1";
    auto documentClass = m_movie.symbolClassName(0);
    ClassObject* cls = documentClass ? m_vm.findClass(*documentClass) : nullptr;
    if (cls && cls->allocator)
        construct(cls, root.shared_from_this());
    else
        m_vm.runReported([&] { ScriptObjectOf(m_vm, &root); });
    // Flash's debugger logs a document class that is no display object.
    if (cls && !cls->allocator)
        m_vm.host().trace("TypeError: Error #2023: " +
                          ErrorMessage(2023, cls->qualifiedName() + "$"));
    // A constructor that never reached its super() leaves the children to
    // the frame's construction.
    constructChildren(root);
    // The root joins the stage once made, and its first frame ends as any
    // other does.
    if (Object* script = BoundScriptObject(m_vm, root))
        for (const char* type : {"added", "addedToStage"})
            m_vm.runReported([&] { DispatchSimple(m_vm, script, type); });
    broadcast("frameConstructed");
    runFrameScripts();
    broadcast("exitFrame");
    AnnounceMovieLoaded(m_vm);
    m_vm.collectIfDue();
}

// Makes the script object first, bound to its display object, so that the
// constructor already finds its timeline; the native constructor that its
// super() reaches constructs the children.
void MovieScripts::construct(ClassObject* cls, const std::shared_ptr<DisplayObject>& object) {
    // A symbol linked to a class that is no display object (a BitmapData of
    // a bitmap symbol) has no script object of that class.
    if (!cls->isSubclassOf(FlashClass(m_vm, "flash.display", "DisplayObject")))
        return;
    m_vm.runReported([&] {
        auto* script = static_cast<DisplayScriptObject*>(cls->allocator(m_vm, cls));
        Bind(m_vm, script, object);
        m_vm.invoke(cls->instanceInit, Value(static_cast<Object*>(script)), {}, cls->scope, cls);
    });
}

// The children the timelines placed are constructed in list order, each as
// the class its symbol is linked to, and each then hears that it was added;
// the children of those made before go on being visited for the newcomers
// among theirs.
void MovieScripts::constructChildren(MovieClip& clip) {
    std::vector<std::shared_ptr<DisplayObject>> children;
    for (const auto& [depth, child] : clip.children())
        children.push_back(child);
    for (const auto& child : children) {
        if (child->parent() != &clip || child->removed())
            continue;
        // A timeline child a script's insertion moved up a depth is still
        // the timeline's to construct.
        bool madeByScript = child->createdByScript() && BoundScriptObject(m_vm, *child);
        if (!child->scriptConstructed() && !madeByScript)
            constructChild(clip, child);
        else if (MovieClip* childClip = child->asClip())
            constructChildren(*childClip);
    }
}

void MovieScripts::constructChild(MovieClip& parent, const std::shared_ptr<DisplayObject>& child) {
    child->setScriptConstructed();
    NameInstance(m_vm, *child);
    if (!BoundScriptObject(m_vm, *child)) {
        auto name = m_movie.symbolClassName(child->character().id());
        ClassObject* cls = name ? m_vm.findClass(*name) : nullptr;
        if (cls && cls->allocator)
            construct(cls, child);
    }
    if (MovieClip* childClip = child->asClip())
        constructChildren(*childClip);
    setNamedChild(parent, *child);
    m_vm.runReported([&] { AnnounceAdded(m_vm, *child, AddedReach::Self); });
}

void MovieScripts::timelineRemoving(DisplayObject& child) {
    m_vm.runReported([&] { AnnounceRemoved(m_vm, child); });
}

// A named instance the timeline placed is stored in the variable of that
// name its parent's class declares, as Flash's authoring tool expects.
void MovieScripts::setNamedChild(MovieClip& parent, DisplayObject& child) {
    const std::string& name = child.properties().name;
    if (name.empty())
        return;
    Object* script = BoundScriptObject(m_vm, parent);
    if (!script)
        return;
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
    m_vm.gotoScriptsWait = m_movie.version() <= 9;
    broadcast("enterFrame");
    m_vm.gotoScriptsWait = false;
}

void MovieScripts::frameEntered() {
    constructChildren(m_host.rootClip());
    broadcast("frameConstructed");
    runFrameScripts();
    broadcast("exitFrame");
    m_vm.collectIfDue();
}

// Frame scripts run down the display tree, each clip before its children;
// clips off the tree follow, oldest first.
void MovieScripts::collectScripted(DisplayObject& object, std::vector<Object*>& out) {
    if (Object* script = BoundScriptObject(m_vm, object))
        if (!static_cast<DisplayScriptObject*>(script)->frameScripts.empty())
            out.push_back(script);
    if (MovieClip* clip = object.asClip())
        for (const auto& [depth, child] : clip->children())
            collectScripted(*child, out);
}

void MovieScripts::runFrameScripts() {
    for (int round = 0; round < kMaxFrameScriptRounds && !m_vm.frameCut(); ++round) {
        bool ran = false;
        std::vector<Object*> objects;
        collectScripted(m_host.rootClip(), objects);
        std::vector<Object*> offTree;
        for (const auto& [display, script] : m_vm.displayObjects) {
            auto* scripted = static_cast<DisplayScriptObject*>(script);
            auto bound = scripted->display.lock();
            if (bound && bound.get() == display && !scripted->frameScripts.empty() &&
                !OnStage(m_vm, *bound))
                offTree.push_back(script);
        }
        std::sort(offTree.begin(), offTree.end(), [](Object* a, Object* b) {
            return a->display.lock()->serial() < b->display.lock()->serial();
        });
        objects.insert(objects.end(), offTree.begin(), offTree.end());
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
