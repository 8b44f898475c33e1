// TextSnapshot: the characters of a clip's static text, in depth order, for
// scripts to count and search.

#include "avm1/Native.h"
#include "player/MovieClip.h"
#include "text/TextDef.h"

#include <QList>
#include <QString>

namespace vidorama::swf::avm1 {

namespace {

class TextSnapshotObject final : public Object {
public:
    explicit TextSnapshotObject(Object* proto) : Object(proto) {}
    std::weak_ptr<DisplayObject> clip;
};

// The static text of the snapshot's clip; nothing once the clip is gone.
std::u32string SnapshotText(const Value& self) {
    auto* snapshot = dynamic_cast<TextSnapshotObject*>(self.asObject());
    auto clip = snapshot ? snapshot->clip.lock() : nullptr;
    std::u32string text;
    if (!clip || !clip->asClip())
        return text;
    for (const auto& [depth, child] : clip->asClip()->children()) {
        if (child->character().kind() != CharacterDef::Kind::Text)
            continue;
        const auto& def = static_cast<const TextDef&>(child->character());
        if (def.data().field)
            continue;
        for (const GlyphRun& run : def.data().runs)
            for (const PlacedGlyph& glyph : run.glyphs)
                if (run.font && glyph.index < run.font->glyphs().size())
                    text.push_back(run.font->glyphs()[glyph.index].code);
    }
    return text;
}

bool IsSnapshot(const Value& self) {
    return dynamic_cast<TextSnapshotObject*>(self.asObject()) != nullptr;
}

char32_t Folded(char32_t c) {
    return QChar::toLower(c);
}

Value GetCount(Vm&, const Value& self, std::span<const Value> args) {
    if (!IsSnapshot(self) || !args.empty())
        return {};
    return Value::number(double(SnapshotText(self).size()));
}

// getText(from, to[, includeLineEndings]): the characters [from, to).
Value GetText(Vm& vm, const Value& self, std::span<const Value> args) {
    if (!IsSnapshot(self) || args.size() < 2 || args.size() > 3)
        return {};
    std::u32string text = SnapshotText(self);
    auto clampIndex = [&](const Value& v) {
        return static_cast<std::size_t>(
            std::clamp<double>(ToInt32(vm.toNumber(v)), 0, double(text.size())));
    };
    std::size_t from = clampIndex(args[0]);
    std::size_t to = std::max(from, clampIndex(args[1]));
    std::u32string part = text.substr(from, to - from);
    return Value::string(QString::fromUcs4(part.data(), qsizetype(part.size())).toStdString());
}

// findText(start, text, caseSensitive): where the text first occurs from
// start on, or -1.
Value FindText(Vm& vm, const Value& self, std::span<const Value> args) {
    if (!IsSnapshot(self) || args.size() != 3)
        return {};
    int start = ToInt32(vm.toNumber(args[0]));
    QString needleText = QString::fromStdString(vm.toString(args[1]));
    std::u32string needle;
    for (char32_t c : needleText.toUcs4())
        needle.push_back(c);
    bool caseSensitive = vm.toBoolean(args[2]);
    std::u32string text = SnapshotText(self);
    if (start < 0 || needle.empty())
        return Value::number(-1);
    if (!caseSensitive) {
        for (char32_t& c : text)
            c = Folded(c);
        for (char32_t& c : needle)
            c = Folded(c);
    }
    std::size_t found = text.find(needle, static_cast<std::size_t>(start));
    return Value::number(found == std::u32string::npos ? -1 : double(found));
}

Value Nothing(Vm&, const Value&, std::span<const Value>) {
    return {};
}

Value Construct(Vm& vm, const Value&, std::span<const Value> args) {
    auto* snapshot = vm.make<TextSnapshotObject>(vm.builtins().textSnapshot);
    if (args.size() == 1)
        if (MovieClip* clip = vm.clipOf(args[0]))
            snapshot->clip = clip->weak_from_this();
    return Value::object(snapshot);
}

// clip.getTextSnapshot(): whatever TextSnapshot names now, made on the clip.
Value ClipSnapshot(Vm& vm, const Value& self, std::span<const Value>) {
    if (!vm.clipOf(self))
        return {};
    Value constructor = vm.getMember(vm.builtins().global, "TextSnapshot");
    return vm.construct(constructor, std::span(&self, 1));
}

} // namespace

void InstallTextSnapshotClass(Vm& vm, Builtins& b) {
    Class(vm, "TextSnapshot", b.textSnapshot, Nothing, Construct);
    const std::pair<const char*, NativeFunction> methods[] = {
        {"getCount", GetCount}, {"setSelected", Nothing},     {"getSelected", Nothing},
        {"getText", GetText},   {"getSelectedText", Nothing}, {"hitTestTextNearPos", Nothing},
        {"findText", FindText}, {"setSelectColor", Nothing},  {"getTextRunInfo", Nothing},
    };
    std::uint8_t flags = vm.version() < 6 ? kVersionHidden : 0;
    for (const auto& [name, native] : methods)
        vm.defineValue(b.textSnapshot, name, Value::object(vm.newNative(native)), flags);
    std::uint8_t clipFlags = kDontEnum | kDontDelete | (vm.version() < 6 ? kVersionHidden : 0);
    vm.defineValue(b.movieClip, "getTextSnapshot", Value::object(vm.newNative(ClipSnapshot)),
                   clipFlags);
}

} // namespace vidorama::swf::avm1
