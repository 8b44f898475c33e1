#include "avm1/TextFieldBinding.h"

#include "avm1/TextFieldProperties.h"
#include "avm1/Vm.h"
#include "player/MovieClip.h"
#include "text/TextFieldBuilder.h"

#include <string_view>
#include <vector>

namespace vidorama::swf::avm1 {

namespace {

struct VariableRef {
    Object* holder = nullptr;
    std::string member;
};

// "name", "a.b.name", "/a/b:name" or "_root.name" from the field's parent.
VariableRef Resolve(Vm& vm, DisplayObject& field, std::string_view name) {
    MovieClip* parent = field.parent();
    if (!parent || name.empty())
        return {};
    Object* start = vm.clipObject(*parent);
    std::size_t split = name.rfind(':');
    if (split == std::string_view::npos)
        split = name.rfind('.');
    if (split == std::string_view::npos)
        return {start, std::string(name)};
    return {vm.resolvePath(start, name.substr(0, split)), std::string(name.substr(split + 1))};
}

const EditTextRecord& Record(DisplayObject& field) {
    return TextFieldOf(field)->data().field->record;
}

void Remember(DisplayObject& field, std::optional<std::string> shown, bool bound) {
    const TextDef* text = TextFieldOf(field);
    field.setCharacter(ChangeTextField(*text->data().field, [&](EditTextRecord& r) {
        r.variableShown = std::move(shown);
        r.variableBound = bound;
    }));
}

// The field takes the variable's value as text (as HTML in an HTML field).
void Show(Vm& vm, DisplayObject& field, const std::string& value) {
    const TextDef* text = TextFieldOf(field);
    const EditTextRecord& r = text->data().field->record;
    TextFormat format = NewTextFormat(*text->data().field);
    StyledText content = r.html
                             ? HtmlText(value, format, {r.multiline, vm.version(), r.condenseWhite})
                             : PlainText(value, format);
    SetFieldContent(vm, field, std::move(content));
    Remember(field, value, true);
}

void Sync(Vm& vm, DisplayObject& field) {
    const EditTextRecord& r = Record(field);
    VariableRef ref = Resolve(vm, field, r.variableName);
    if (!ref.holder)
        return;
    // Only a timeline tells its fields when its variables change: a field
    // bound to an object's member shows the value it was bound with.
    if (r.variableBound && r.variableShown && ref.holder->kind() != ObjectKind::Clip)
        return;
    Value value = vm.getMember(ref.holder, ref.member);
    // An undefined variable takes the text the field's tag gave it, and the
    // field shows that text again.
    if (!r.variableBound && value.isUndefined() && !r.initialText.empty()) {
        std::string text = r.initialText;
        vm.setMember(ref.holder, ref.member, Value::string(text));
        Show(vm, field, text);
        return;
    }
    if (value.isUndefined()) {
        if (!r.variableBound)
            Remember(field, std::nullopt, true);
        return;
    }
    std::string shown = vm.toString(value);
    if (!r.variableBound || r.variableShown != shown)
        Show(vm, field, shown);
}

} // namespace

void BindToVariable(Vm& vm, DisplayObject& field) {
    if (!TextFieldOf(field))
        return;
    Remember(field, std::nullopt, false);
    if (!Record(field).variableName.empty())
        Sync(vm, field);
}

void UpdateBoundVariable(Vm& vm, DisplayObject& field) {
    if (!TextFieldOf(field) || Record(field).variableName.empty())
        return;
    VariableRef ref = Resolve(vm, field, Record(field).variableName);
    if (!ref.holder)
        return;
    std::string text = ScriptText(TextFieldOf(field)->data().chars);
    vm.setMember(ref.holder, ref.member, Value::string(text));
    Remember(field, text, true);
}

void SyncBoundField(Vm& vm, DisplayObject& field) {
    if (TextFieldOf(field) && !Record(field).variableName.empty())
        Sync(vm, field);
}

void SyncBoundTextFields(Vm& vm, MovieClip& root) {
    std::vector<MovieClip*> pending{&root};
    std::vector<std::shared_ptr<DisplayObject>> fields;
    while (!pending.empty()) {
        MovieClip* clip = pending.back();
        pending.pop_back();
        for (const auto& [depth, child] : clip->children()) {
            if (MovieClip* sub = child->asClip())
                pending.push_back(sub);
            else if (const TextDef* text = TextFieldOf(*child);
                     text && !text->data().field->record.variableName.empty())
                fields.push_back(child);
        }
    }
    // A getter on the variable may throw or spend the frame's budget; the
    // field then keeps what it shows.
    try {
        for (const auto& field : fields)
            if (!field->removed() && TextFieldOf(*field))
                Sync(vm, *field);
    } catch (const ScriptThrow&) {
    } catch (const ScriptCut&) {
    }
}

} // namespace vidorama::swf::avm1
