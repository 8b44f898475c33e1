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

CapStyle CapArg(Vm& vm, const Value& v) {
    std::string name = v.isNullish() ? "round" : vm.toString(v);
    return name == "none" ? CapStyle::None : name == "square" ? CapStyle::Square : CapStyle::Round;
}

JoinStyle JoinArg(Vm& vm, const Value& v) {
    std::string name = v.isNullish() ? "round" : vm.toString(v);
    return name == "miter"   ? JoinStyle::Miter
           : name == "bevel" ? JoinStyle::Bevel
                             : JoinStyle::Round;
}

// lineStyle(thickness, color, alpha, pixelHinting, scaleMode, caps, joints,
// miterLimit); no thickness ends the stroke.
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
    line.pixelHinting = ToBoolean(Arg(args, 3));
    std::string scaleMode = Arg(args, 4).isNullish() ? "normal" : vm.toString(args[4]);
    line.noHScale = scaleMode == "none" || scaleMode == "vertical";
    line.noVScale = scaleMode == "none" || scaleMode == "horizontal";
    line.startCap = line.endCap = CapArg(vm, Arg(args, 5));
    line.join = JoinArg(vm, Arg(args, 6));
    if (args.size() > 7) {
        double limit = vm.toNumber(args[7]);
        line.miterLimit = std::isfinite(limit) ? std::clamp(limit, 1.0, 255.0) : 3.0;
    }
    clip->setLastLineStyle(line);
    clip->drawing().lineStyle(line);
    return Value();
}

// The n-th element of an array or vector argument.
Value Element(Vm& vm, const Value& list, std::size_t i) {
    return vm.getProperty(list, Name::publicName(std::to_string(i)));
}

// A gradient fill from beginGradientFill's or lineGradientStyle's
// arguments: type, colors, alphas, ratios, matrix, spreadMethod,
// interpolationMethod, focalPointRatio. The script's matrix maps the
// gradient square (-819.2..819.2 pixels) to the shape's pixels.
FillStyle GradientArg(Vm& vm, Args args) {
    FillStyle fill;
    std::string type = vm.toString(Arg(args, 0));
    if (type != "linear" && type != "radial")
        vm.throwError("ArgumentError", 2008, "Parameter type must be one of the accepted values.");
    double focal = vm.toNumber(Arg(args, 7));
    bool focused = type == "radial" && std::isfinite(focal) && focal != 0;
    fill.type = type == "linear" ? FillType::LinearGradient
                : focused        ? FillType::FocalGradient
                                 : FillType::RadialGradient;
    fill.gradient.focalPoint = focused ? std::clamp(focal, -1.0, 1.0) : 0;
    std::string spread = Arg(args, 5).isNullish() ? "pad" : vm.toString(args[5]);
    fill.gradient.spread = spread == "reflect"  ? SpreadMode::Reflect
                           : spread == "repeat" ? SpreadMode::Repeat
                                                : SpreadMode::Pad;
    fill.gradient.interpolation = !Arg(args, 6).isNullish() && vm.toString(args[6]) == "linearRGB"
                                      ? InterpolationMode::LinearRgb
                                      : InterpolationMode::Normal;
    const Value& colors = Arg(args, 1);
    const Value& alphas = Arg(args, 2);
    const Value& ratios = Arg(args, 3);
    if (colors.isNullish() || alphas.isNullish() || ratios.isNullish())
        vm.throwError("TypeError", 2007, "Parameter colors must be non-null.");
    double count = vm.toNumber(vm.getProperty(colors, Name::publicName("length")));
    std::size_t stops = std::isfinite(count) ? std::size_t(std::clamp(count, 0.0, 15.0)) : 0;
    for (std::size_t i = 0; i < stops; ++i) {
        GradientStop stop;
        stop.color = Color(vm, Element(vm, colors, i), Element(vm, alphas, i));
        double ratio = vm.toNumber(Element(vm, ratios, i));
        stop.ratio = std::uint8_t(std::isfinite(ratio) ? std::clamp(ratio, 0.0, 255.0) : 0);
        fill.gradient.stops.push_back(stop);
    }
    if (!Arg(args, 4).isNullish()) {
        fill.matrix = MatrixFrom(vm, args[4]);
        fill.matrix.tx = std::isfinite(fill.matrix.tx) ? fill.matrix.tx * kTwips : 0;
        fill.matrix.ty = std::isfinite(fill.matrix.ty) ? fill.matrix.ty * kTwips : 0;
    }
    return fill;
}

Value BeginGradientFill(Vm& vm, const Value& self, Args args) {
    if (MovieClip* clip = CanvasClip(vm, self))
        clip->drawing().beginFill(GradientArg(vm, args));
    return Value();
}

// Paints the strokes that follow with a gradient, keeping the line's width.
Value LineGradientStyle(Vm& vm, const Value& self, Args args) {
    MovieClip* clip = CanvasClip(vm, self);
    if (!clip || !clip->lastLineStyle())
        return Value();
    swf::LineStyle line = *clip->lastLineStyle();
    line.hasFill = true;
    line.fill = GradientArg(vm, args);
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

std::int32_t ToTwips(double v) {
    return std::isfinite(v) ? static_cast<std::int32_t>(std::clamp(v * kTwips, -1e9, 1e9)) : 0;
}

// Part of an ellipse as quadratic curves of an eighth turn each, as Flash
// draws one, from the current point at angle `from` (radians, clockwise on
// screen) over `eighths` steps.
void Arc(DrawingCanvas& canvas, double cx, double cy, double rx, double ry, double from,
         int eighths) {
    const double step = M_PI / 4;
    const double control = 1 / std::cos(step / 2);
    for (int i = 1; i <= eighths; ++i) {
        double a = from + i * step;
        double m = a - step / 2;
        canvas.curveTo(
            {ToTwips(cx + rx * control * std::cos(m)), ToTwips(cy + ry * control * std::sin(m))},
            {ToTwips(cx + rx * std::cos(a)), ToTwips(cy + ry * std::sin(a))});
    }
}

void Ellipse(DrawingCanvas& canvas, double cx, double cy, double rx, double ry) {
    canvas.moveTo({ToTwips(cx + rx), ToTwips(cy)});
    Arc(canvas, cx, cy, rx, ry, 0, 8);
}

// drawRoundRect(x, y, width, height, ellipseWidth, ellipseHeight): corners
// are quarters of an ellipse of that size, at most the rectangle's.
Value DrawRoundRect(Vm& vm, const Value& self, Args args) {
    MovieClip* clip = CanvasClip(vm, self);
    if (!clip)
        return Value();
    double x = vm.toNumber(Arg(args, 0)), y = vm.toNumber(Arg(args, 1));
    double w = vm.toNumber(Arg(args, 2)), h = vm.toNumber(Arg(args, 3));
    double ew = vm.toNumber(Arg(args, 4));
    double eh = args.size() > 5 && !args[5].isNullish() ? vm.toNumber(args[5]) : ew;
    double rx = std::clamp(std::isfinite(ew) ? ew / 2 : 0.0, 0.0, std::fabs(w) / 2);
    double ry = std::clamp(std::isfinite(eh) ? eh / 2 : 0.0, 0.0, std::fabs(h) / 2);
    if (rx == 0 || ry == 0)
        return DrawRect(vm, self, args);
    DrawingCanvas& canvas = clip->drawing();
    canvas.moveTo({ToTwips(x + w), ToTwips(y + h - ry)});
    Arc(canvas, x + w - rx, y + h - ry, rx, ry, 0, 2);
    canvas.lineTo({ToTwips(x + rx), ToTwips(y + h)});
    Arc(canvas, x + rx, y + h - ry, rx, ry, M_PI / 2, 2);
    canvas.lineTo({ToTwips(x), ToTwips(y + ry)});
    Arc(canvas, x + rx, y + ry, rx, ry, M_PI, 2);
    canvas.lineTo({ToTwips(x + w - rx), ToTwips(y)});
    Arc(canvas, x + w - rx, y + ry, rx, ry, 3 * M_PI / 2, 2);
    canvas.lineTo({ToTwips(x + w), ToTwips(y + h - ry)});
    return Value();
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
    vm.noteMissing("flash.display.Graphics bitmap fills and paths");
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
                                                        {"drawRoundRect", DrawRoundRect},
                                                        {"beginGradientFill", BeginGradientFill},
                                                        {"beginBitmapFill", NotBuilt},
                                                        {"lineGradientStyle", LineGradientStyle},
                                                        {"drawPath", NotBuilt},
                                                        {"drawTriangles", NotBuilt},
                                                        {"drawGraphicsData", NotBuilt}};
    for (const auto& [name, fn] : methods)
        vm.defineMethod(graphics, name, fn);
}

} // namespace vidorama::swf::avm2
