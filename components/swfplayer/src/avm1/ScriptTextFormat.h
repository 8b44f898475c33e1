#pragma once

#include "avm1/Object.h"
#include "text/StyledText.h"

#include <optional>
#include <string>
#include <vector>

namespace vidorama::swf::avm1 {

class Vm;

enum class TextDisplay : std::uint8_t { Block, Inline, None };

// A TextFormat as scripts hold it: every setting may be unset (null), and
// lengths are pixels.
struct ScriptTextFormat {
    std::optional<std::string> font;
    std::optional<double> size;
    std::optional<double> color;
    std::optional<bool> bold, italic, underline;
    std::optional<std::string> url, target;
    std::optional<TextAlign> align;
    std::optional<double> leftMargin, rightMargin, indent, leading, blockIndent;
    std::optional<std::vector<double>> tabStops;
    std::optional<bool> bullet;
    TextDisplay display = TextDisplay::Block;
    std::optional<bool> kerning;
    std::optional<double> letterSpacing;
};

// The object `new TextFormat()` makes: its settings are read and written
// through accessors of TextFormat.prototype.
class TextFormatObject final : public Object {
public:
    explicit TextFormatObject(Object* proto) : Object(proto) {}
    ScriptTextFormat format;
};

// The settings of one run of a field's text.
ScriptTextFormat ScriptFormatOf(const TextFormat& format);
// The settings of a range: those that differ along it are unset.
ScriptTextFormat CommonFormat(const StyledText& text, std::size_t begin, std::size_t end);
// Writes the set settings over a run's format.
void ApplyScriptFormat(const ScriptTextFormat& script, TextFormat& format);

Object* NewTextFormatObject(Vm& vm, ScriptTextFormat format);
TextFormatObject* TextFormatOf(const Value& value);

void InstallTextFormatClass(Vm& vm);

} // namespace vidorama::swf::avm1
