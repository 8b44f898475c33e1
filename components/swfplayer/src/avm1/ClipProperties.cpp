// The display properties of a clip as scripts see them: _x in pixels,
// _xscale and _alpha in percent, _rotation in degrees, all read from and
// written to the instance's matrix and colour transform.

#include "avm1/ClipControl.h"
#include "avm1/Native.h"
#include "avm1/Selection.h"
#include "avm1/TextFieldProperties.h"
#include "avm1/Vm.h"
#include "player/DisplayBounds.h"
#include "player/MovieClip.h"
#include "swf/Limits.h"

#include <algorithm>
#include <cmath>
#include <numbers>
#include <optional>

namespace vidorama::swf::avm1 {

namespace {

constexpr double kDegrees = 180.0 / std::numbers::pi;

// _highquality is the older view of the stage quality: 0 low, 1 high,
// 2 best; medium reads as 0, since it does not smooth bitmaps.
double HighQualityNumber(StageQuality quality) {
    return quality == StageQuality::Best ? 2 : quality == StageQuality::High ? 1 : 0;
}

std::optional<StageQuality> QualityFromHighQuality(double number) {
    if (!std::isfinite(number))
        return std::nullopt;
    return number >= 2 ? StageQuality::Best : number >= 1 ? StageQuality::High : StageQuality::Low;
}

struct Decomposed {
    double xScale, yScale, xRotation, yRotation;
};

Decomposed Decompose(const Matrix& m) {
    return {std::hypot(m.a, m.b), std::hypot(m.c, m.d), std::atan2(m.b, m.a),
            std::atan2(-m.c, m.d)};
}

void Compose(Matrix& m, const Decomposed& d) {
    m.a = d.xScale * std::cos(d.xRotation);
    m.b = d.xScale * std::sin(d.xRotation);
    m.c = -d.yScale * std::sin(d.yRotation);
    m.d = d.yScale * std::cos(d.yRotation);
}

double Clean(double n) {
    // Matrices hold 16.16 terms; printing 99.99999 for 100 would be wrong.
    double rounded = std::round(n * 1e6) / 1e6;
    return rounded == 0 ? 0 : rounded;
}

// "/a/b" as _target gives it.
std::string SlashPath(const DisplayObject& object) {
    std::string path;
    for (const DisplayObject* at = &object; at && at->parent(); at = at->parent())
        path = "/" + at->properties().name + path;
    return path.empty() ? "/" : path;
}

Value BoundsSize(const DisplayObject& object, bool width) {
    Rect bounds = BoundsInParent(object);
    if (bounds.empty())
        return Value::number(0);
    return Value::number(Clean((width ? bounds.width() : bounds.height()) / kTwipsPerPixel));
}

// scrollRect, from Flash 8 on: a flash.geom.Rectangle in pixels, or
// undefined when the object shows all of itself.
bool IsScrollRect(Vm& vm, std::string_view name) {
    return vm.version() >= 8 && vm.sameName(name, "scrollRect");
}

Value ScrollRectValue(Vm& vm, const std::optional<Rect>& scroll) {
    if (!scroll)
        return {};
    return Value::object(
        NewRectangle(vm, scroll->xMin / kTwipsPerPixel, scroll->yMin / kTwipsPerPixel,
                     scroll->width() / kTwipsPerPixel, scroll->height() / kTwipsPerPixel));
}

// Anything but an object with finite x, y, width and height takes the
// rectangle away.
std::optional<Rect> ScrollRectFrom(Vm& vm, const Value& value) {
    Object* rectangle = value.asObject();
    if (!rectangle)
        return std::nullopt;
    double pixels[4];
    const char* names[] = {"x", "y", "width", "height"};
    for (int i = 0; i < 4; ++i) {
        pixels[i] = vm.toNumber(vm.getMember(rectangle, names[i]));
        if (!std::isfinite(pixels[i]))
            return std::nullopt;
        pixels[i] = std::clamp(pixels[i], double(-Limits::kMaxScriptFieldPixels),
                               double(Limits::kMaxScriptFieldPixels));
    }
    auto twips = [](double v) {
        return static_cast<std::int32_t>(std::lround(v * kTwipsPerPixel));
    };
    return Rect{twips(pixels[0]), twips(pixels[0] + std::max(pixels[2], 0.0)), twips(pixels[1]),
                twips(pixels[1] + std::max(pixels[3], 0.0))};
}

bool GetDisplayProperty(Vm& vm, DisplayObject& object, std::string_view name, Value& out) {
    const DisplayProperties& p = object.properties();
    MovieClip* clip = object.asClip();
    auto is = [&](const char* property) {
        return vm.sameName(name, property);
    };
    if (IsScrollRect(vm, name)) {
        out = ScrollRectValue(vm, p.scrollRect);
        return true;
    }
    if (GetFlash8Property(vm, object, name, out))
        return true;
    if (name.empty() || name[0] != '_')
        return false;
    if (is("_x"))
        out = Value::number(Clean(p.matrix.tx / kTwipsPerPixel));
    else if (is("_y"))
        out = Value::number(Clean(p.matrix.ty / kTwipsPerPixel));
    else if (is("_xscale"))
        out = Value::number(Clean(Decompose(p.matrix).xScale * 100));
    else if (is("_yscale"))
        out = Value::number(Clean(Decompose(p.matrix).yScale * 100));
    else if (is("_rotation"))
        out = Value::number(Clean(Decompose(p.matrix).xRotation * kDegrees));
    else if (is("_alpha"))
        out = Value::number(Clean(p.colorTransform.aMul * 100.0));
    else if (is("_visible"))
        out = Value::boolean(p.visible);
    else if (is("_width"))
        out = BoundsSize(object, true);
    else if (is("_height"))
        out = BoundsSize(object, false);
    else if (is("_name"))
        out = Value::string(p.name);
    else if (is("_currentframe"))
        out = Value::number(clip ? clip->currentFrame() : 0);
    else if (is("_totalframes") || is("_framesloaded"))
        out = Value::number(clip ? clip->totalFrames() : 0);
    else if (is("_target"))
        out = Value::string(SlashPath(object));
    else if (is("_parent"))
        out = object.parent() ? Value::object(vm.clipObject(*object.parent())) : Value();
    else if (is("_root") || is("_level0"))
        out = Value::object(vm.clipObject(vm.host().rootClip()));
    else if (is("_global"))
        out = Value::object(vm.builtins().global);
    else if (is("_url") || is("_droptarget"))
        out = Value::string("");
    else if (is("_quality"))
        out = Value::string(std::string(StageQualityName(vm.host().quality())));
    else if (is("_highquality"))
        out = Value::number(HighQualityNumber(vm.host().quality()));
    else if (is("_focusrect"))
        out = Value::number(1);
    else if (is("_soundbuftime"))
        out = Value::number(5);
    else if (is("_xmouse") || is("_ymouse"))
        out = Value::number(0);
    else
        return false;
    return true;
}

void SetScale(Vm& vm, DisplayObject& object, const Value& value, bool x) {
    double percent = vm.toNumber(value);
    if (std::isnan(percent))
        return;
    Matrix& m = object.properties().matrix;
    Decomposed d = Decompose(m);
    (x ? d.xScale : d.yScale) = percent / 100;
    Compose(m, d);
}

void SetSize(Vm& vm, DisplayObject& object, const Value& value, bool width) {
    double pixels = vm.toNumber(value);
    if (TextFieldOf(object)) {
        ResizeTextField(object, pixels, width);
        return;
    }
    Rect local = BoundsOf(object, Matrix());
    double size = width ? local.width() : local.height();
    if (std::isnan(pixels) || pixels < 0 || local.empty() || size <= 0)
        return;
    SetScale(vm, object, Value::number(pixels * kTwipsPerPixel / size * 100), width);
}

bool SetDisplayProperty(Vm& vm, DisplayObject& object, std::string_view name, const Value& value) {
    DisplayProperties& p = object.properties();
    auto is = [&](const char* property) {
        return vm.sameName(name, property);
    };
    if (IsScrollRect(vm, name)) {
        p.scrollRect = ScrollRectFrom(vm, value);
        return true;
    }
    if (SetFlash8Property(vm, object, name, value))
        return true;
    if (name.empty() || name[0] != '_')
        return false;
    auto number = [&]() {
        return vm.toNumber(value);
    };
    if (is("_x")) {
        if (double n = number(); std::isfinite(n))
            p.matrix.tx = n * kTwipsPerPixel;
    } else if (is("_y")) {
        if (double n = number(); std::isfinite(n))
            p.matrix.ty = n * kTwipsPerPixel;
    } else if (is("_xscale") || is("_yscale")) {
        SetScale(vm, object, value, is("_xscale"));
    } else if (is("_rotation")) {
        double degrees = number();
        if (!std::isfinite(degrees))
            return true;
        Decomposed d = Decompose(p.matrix);
        double delta = degrees / kDegrees - d.xRotation;
        d.xRotation += delta;
        d.yRotation += delta;
        Compose(p.matrix, d);
    } else if (is("_alpha")) {
        if (double n = number(); !std::isnan(n))
            p.colorTransform.aMul = static_cast<float>(n / 100);
    } else if (is("_visible")) {
        p.visible = vm.toBoolean(value);
        // Hidden objects cannot keep the focus.
        if (!p.visible)
            LoseFocusWith(vm, object);
    } else if (is("_width") || is("_height")) {
        SetSize(vm, object, value, is("_width"));
    } else if (is("_name")) {
        p.name = vm.toString(value);
    } else if (is("_quality")) {
        if (auto quality = StageQualityNamed(vm.toString(value)))
            vm.host().setQuality(*quality);
    } else if (is("_highquality")) {
        if (auto quality = QualityFromHighQuality(number()))
            vm.host().setQuality(*quality);
    } else {
        // The others are read-only; writing them is ignored.
        return is("_currentframe") || is("_totalframes") || is("_framesloaded") || is("_target") ||
               is("_url") || is("_droptarget") || is("_xmouse") || is("_ymouse");
    }
    return true;
}

} // namespace

ClipObject::~ClipObject() {
    if (auto object = clip.lock(); object && object->scriptObject() == this)
        object->setScriptObject(nullptr);
}

bool ClipObject::getSpecial(Vm& vm, std::string_view name, Value& out) {
    auto object = clip.lock();
    if (!object || object->removed())
        return false;
    if (MovieClip* movieClip = object->asClip()) {
        vm.chargeNameSearch(movieClip->children().size());
        DisplayObject* child = movieClip->childByName(name, vm.version() >= 7);
        if (Object* found = child ? ScriptFacingObject(vm, *child) : nullptr) {
            out = Value::object(found);
            return true;
        }
    }
    return GetDisplayProperty(vm, *object, name, out);
}

bool ClipObject::setSpecial(Vm& vm, std::string_view name, const Value& value) {
    auto object = clip.lock();
    if (!object || object->removed())
        return false;
    return SetDisplayProperty(vm, *object, name, value);
}

void ClipObject::specialNames(Vm&, std::vector<std::string>& out) {
    auto object = clip.lock();
    MovieClip* movieClip = object ? object->asClip() : nullptr;
    if (!movieClip)
        return;
    for (auto it = movieClip->children().rbegin(); it != movieClip->children().rend(); ++it)
        if (!it->second->properties().name.empty())
            out.push_back(it->second->properties().name);
}

} // namespace vidorama::swf::avm1
