// flash.display.Graphics: the drawing API, drawn by the clip's canvas.

#include "avm2/DisplayBinding.h"
#include "avm2/Native.h"
#include "player/MovieClip.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf::avm2 {

namespace {

constexpr double kTwips = 20;

MovieClip* CanvasClip(Vm& vm, const Value& self) {
    if (!self.isObject() || self.object->kind() != Object::Kind::Boxed)
        vm.throwError("TypeError", 1009, ErrorMessage(1009));
    return ClipOf(vm, static_cast<BoxObject*>(self.object)->value);
}

std::int32_t Twips(Vm& vm, const Value& v) {
    double n = vm.toNumber(v);
    if (!std::isfinite(n))
        return 0;
    return static_cast<std::int32_t>(std::clamp(n * kTwips, -1e9, 1e9));
}

TwipPoint Point(Vm& vm, Args args, std::size_t first) {
    return {Twips(vm, Arg(args, first)), Twips(vm, Arg(args, first + 1))};
}

Rgba Color(Vm& vm, const Value& rgb, const Value& alpha) {
    std::uint32_t c = ToUint32(vm.toNumber(rgb));
    double a = alpha.isUndefined() ? 1.0 : vm.toNumber(alpha);
    a = std::isnan(a) ? 0 : std::clamp(a, 0.0, 1.0);
    return Rgba{std::uint8_t(c >> 16), std::uint8_t(c >> 8), std::uint8_t(c),
                std::uint8_t(std::lround(a * 255))};
}

Value BeginFill(Vm& vm, const Value& self, Args args) {
    if (MovieClip* clip = CanvasClip(vm, self)) {
        FillStyle fill;
        fill.color = Color(vm, Arg(args, 0), Arg(args, 1));
        clip->drawing().beginFill(fill);
    }
    return Value();
}

Value EndFill(Vm& vm, const Value& self, Args) {
    if (MovieClip* clip = CanvasClip(vm, self))
        clip->drawing().endFill();
    return Value();
}

Value LineStyle(Vm& vm, const Value& self, Args args) {
    MovieClip* clip = CanvasClip(vm, self);
    if (!clip)
        return Value();
    double width = vm.toNumber(Arg(args, 0));
    if (Arg(args, 0).isUndefined() || std::isnan(width)) {
        clip->drawing().lineStyle(std::nullopt);
        return Value();
    }
    swf::LineStyle line;
    line.width = static_cast<std::uint16_t>(std::clamp(width, 0.0, 255.0) * kTwips);
    line.color = Color(vm, Arg(args, 1), Arg(args, 2));
    clip->setLastLineStyle(line);
    clip->drawing().lineStyle(line);
    return Value();
}

Value MoveTo(Vm& vm, const Value& self, Args args) {
    if (MovieClip* clip = CanvasClip(vm, self))
        clip->drawing().moveTo(Point(vm, args, 0));
    return Value();
}

Value LineTo(Vm& vm, const Value& self, Args args) {
    if (MovieClip* clip = CanvasClip(vm, self))
        clip->drawing().lineTo(Point(vm, args, 0));
    return Value();
}

Value CurveTo(Vm& vm, const Value& self, Args args) {
    if (MovieClip* clip = CanvasClip(vm, self))
        clip->drawing().curveTo(Point(vm, args, 0), Point(vm, args, 2));
    return Value();
}

Value Clear(Vm& vm, const Value& self, Args) {
    if (MovieClip* clip = CanvasClip(vm, self))
        clip->drawing().clear();
    return Value();
}

Value DrawRect(Vm& vm, const Value& self, Args args) {
    MovieClip* clip = CanvasClip(vm, self);
    if (!clip)
        return Value();
    TwipPoint at = Point(vm, args, 0);
    TwipPoint size = Point(vm, args, 2);
    DrawingCanvas& canvas = clip->drawing();
    canvas.moveTo(at);
    canvas.lineTo({at.x + size.x, at.y});
    canvas.lineTo({at.x + size.x, at.y + size.y});
    canvas.lineTo({at.x, at.y + size.y});
    canvas.lineTo(at);
    return Value();
}

// An ellipse as eight quadratic curves, as Flash draws one.
void Ellipse(DrawingCanvas& canvas, double cx, double cy, double rx, double ry) {
    const double step = M_PI / 4;
    const double control = 1 / std::cos(step / 2);
    auto twips = [](double v) {
        return static_cast<std::int32_t>(std::clamp(v * kTwips, -1e9, 1e9));
    };
    canvas.moveTo({twips(cx + rx), twips(cy)});
    for (int i = 1; i <= 8; ++i) {
        double a = i * step;
        double m = a - step / 2;
        canvas.curveTo(
            {twips(cx + rx * control * std::cos(m)), twips(cy + ry * control * std::sin(m))},
            {twips(cx + rx * std::cos(a)), twips(cy + ry * std::sin(a))});
    }
}

Value DrawCircle(Vm& vm, const Value& self, Args args) {
    if (MovieClip* clip = CanvasClip(vm, self)) {
        double r = vm.toNumber(Arg(args, 2));
        Ellipse(clip->drawing(), vm.toNumber(Arg(args, 0)), vm.toNumber(Arg(args, 1)), r, r);
    }
    return Value();
}

Value DrawEllipse(Vm& vm, const Value& self, Args args) {
    if (MovieClip* clip = CanvasClip(vm, self)) {
        double w = vm.toNumber(Arg(args, 2)) / 2, h = vm.toNumber(Arg(args, 3)) / 2;
        Ellipse(clip->drawing(), vm.toNumber(Arg(args, 0)) + w, vm.toNumber(Arg(args, 1)) + h, w,
                h);
    }
    return Value();
}

Value NotBuilt(Vm& vm, const Value&, Args) {
    vm.noteMissing("flash.display.Graphics gradient, bitmap and path fills");
    return Value();
}

} // namespace

Value GraphicsOf(Vm& vm, const Value& self, Args) {
    if (!self.isObject() || self.object->kind() != Object::Kind::Display)
        vm.throwError("TypeError", 1009, ErrorMessage(1009));
    auto* script = static_cast<DisplayScriptObject*>(self.object);
    if (!script->graphics) {
        Name name;
        name.local = "Graphics";
        name.namespaces.push_back(Ns{Ns::Group::Public, "flash.display", 0});
        ClassObject* cls = vm.classByName(name);
        auto* graphics =
            vm.make<BoxObject>(Object::Kind::Boxed, cls, &cls->instanceTraits, cls->prototype);
        graphics->value = self;
        script->graphics = graphics;
    }
    return Value(script->graphics);
}

void InstallGraphics(Vm& vm) {
    ClassObject* graphics =
        vm.defineClass("flash.display", "Graphics", vm.natives.object, nullptr, nullptr);
    const std::pair<const char*, NativeFn> methods[] = {{"beginFill", BeginFill},
                                                        {"endFill", EndFill},
                                                        {"lineStyle", LineStyle},
                                                        {"moveTo", MoveTo},
                                                        {"lineTo", LineTo},
                                                        {"curveTo", CurveTo},
                                                        {"clear", Clear},
                                                        {"drawRect", DrawRect},
                                                        {"drawCircle", DrawCircle},
                                                        {"drawEllipse", DrawEllipse},
                                                        {"drawRoundRect", DrawRect},
                                                        {"beginGradientFill", NotBuilt},
                                                        {"beginBitmapFill", NotBuilt},
                                                        {"lineGradientStyle", NotBuilt},
                                                        {"drawPath", NotBuilt},
                                                        {"drawTriangles", NotBuilt},
                                                        {"drawGraphicsData", NotBuilt}};
    for (const auto& [name, fn] : methods)
        vm.defineMethod(graphics, name, fn);
}

} // namespace vidorama::swf::avm2
