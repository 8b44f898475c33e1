// The drawing methods of MovieClip. Coordinates are pixels, turned into
// twips; alphas are percent; gradients take Flash's colour, alpha and ratio
// arrays and a box or matrix object.

#include "avm1/Native.h"
#include "player/MovieClip.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf::avm1 {

namespace {

// The gradient square is 32768 twips wide: 1638.4 pixels.
constexpr double kGradientSquarePixels = 1638.4;

DrawingCanvas* Canvas(Vm& vm, const Value& self) {
    MovieClip* clip = vm.clipOf(self);
    return clip ? &clip->drawing() : nullptr;
}

std::int32_t Twips(Vm& vm, const Value& pixels) {
    double n = vm.toNumber(pixels);
    if (!std::isfinite(n))
        return 0;
    return static_cast<std::int32_t>(std::clamp(n * kTwipsPerPixel, -1e9, 1e9));
}

TwipPoint Point(Vm& vm, std::span<const Value> args, std::size_t first) {
    return {Twips(vm, Arg(args, first)), Twips(vm, Arg(args, first + 1))};
}

Rgba Color(Vm& vm, const Value& rgb, double alphaPercent) {
    auto value = static_cast<std::uint32_t>(ToInt32(vm.toNumber(rgb)));
    double alpha = std::isnan(alphaPercent) ? 0 : std::clamp(alphaPercent, 0.0, 100.0);
    auto a = static_cast<std::uint8_t>(alpha * 255 / 100 + 0.5);
    return {std::uint8_t(value >> 16), std::uint8_t(value >> 8), std::uint8_t(value), a};
}

// An alpha argument that may be left out: then the colour is opaque.
Rgba Color(Vm& vm, const Value& rgb, const Value& alphaPercent) {
    return Color(vm, rgb, alphaPercent.isUndefined() ? 100 : vm.toNumber(alphaPercent));
}

double Member(Vm& vm, Object* object, const char* name) {
    double n = vm.toNumber(vm.getMember(object, name));
    return std::isfinite(n) ? n : 0;
}

// {matrixType: "box", x, y, w, h, r}, {a, b, d, e, g, h} (3x3 form) or
// {a, b, c, d, tx, ty}: gradient square to twips.
Matrix GradientMatrix(Vm& vm, const Value& value) {
    Object* m = value.asObject();
    if (!m)
        return {};
    if (vm.toString(vm.getMember(m, "matrixType")) == "box") {
        // The square is rotated first and then stretched to the box, so a
        // rotated gradient in a wide box is sheared, as in Flash.
        double w = Member(vm, m, "w"), h = Member(vm, m, "h"), r = Member(vm, m, "r");
        double x = Member(vm, m, "x"), y = Member(vm, m, "y");
        Matrix scale = Matrix::scale(w / kGradientSquarePixels, h / kGradientSquarePixels);
        Matrix rotate{std::cos(r), std::sin(r), -std::sin(r), std::cos(r), 0, 0};
        return Matrix::translate((x + w / 2) * kTwipsPerPixel, (y + h / 2) * kTwipsPerPixel) *
               scale * rotate;
    }
    if (vm.hasProperty(m, "tx"))
        return {Member(vm, m, "a"),
                Member(vm, m, "b"),
                Member(vm, m, "c"),
                Member(vm, m, "d"),
                Member(vm, m, "tx") * kTwipsPerPixel,
                Member(vm, m, "ty") * kTwipsPerPixel};
    return {Member(vm, m, "a") / kGradientSquarePixels, Member(vm, m, "b") / kGradientSquarePixels,
            Member(vm, m, "d") / kGradientSquarePixels, Member(vm, m, "e") / kGradientSquarePixels,
            Member(vm, m, "g") * kTwipsPerPixel,        Member(vm, m, "h") * kTwipsPerPixel};
}

// The colour, alpha and ratio lists may be any objects with a length.
double Length(Vm& vm, const Value& list) {
    Object* object = list.asObject();
    return object ? ToInt32(vm.toNumber(vm.getMember(object, "length"))) : -1;
}

// The list's element, or nullopt where the list has none.
std::optional<Value> Element(Vm& vm, const Value& list, std::size_t index) {
    // Conversions run script code, which may have shortened the list.
    std::string name = std::to_string(index);
    if (!list.asObject() || !vm.hasProperty(list.asObject(), name))
        return std::nullopt;
    return vm.getMember(list.asObject(), name);
}

// A gradient from Flash's arguments (type, colors, alphas, ratios, matrix,
// spread, interpolation, focal point). Flash ignores a call it cannot read:
// too many arguments (more than the five of SWF 7 before SWF 8), an unknown
// type, arrays of different lengths or a ratio outside 0..255.
std::optional<FillStyle> GradientFill(Vm& vm, std::span<const Value> args) {
    if (args.size() < 5 || args.size() > (vm.version() >= 8 ? 8u : 5u))
        return std::nullopt;
    std::string type = vm.toString(args[0]);
    if (type != "linear" && type != "radial")
        return std::nullopt;
    double count = Length(vm, args[1]);
    if (count != Length(vm, args[2]) || count != Length(vm, args[3]) || !(count >= 0))
        return std::nullopt;
    FillStyle fill;
    if (count == 0) {
        fill.color = {0, 0, 0, 255}; // a gradient of no colours fills black
        return fill;
    }
    fill.type = type == "linear" ? FillType::LinearGradient : FillType::RadialGradient;
    fill.matrix = GradientMatrix(vm, args[4]);
    std::size_t stops = std::min<double>(count, vm.version() >= 8 ? 15 : 8);
    for (std::size_t i = 0; i < stops; ++i) {
        // A list without the element falls back on the one before it: the
        // alpha on the colour value, the ratio on the alpha.
        Value color = Element(vm, args[1], i).value_or(Value::number(0));
        auto alphaElement = Element(vm, args[2], i);
        double alpha = vm.toNumber(alphaElement ? *alphaElement : color);
        auto ratioElement = Element(vm, args[3], i);
        double ratio = ratioElement ? vm.toNumber(*ratioElement) : std::clamp(alpha, 0.0, 255.0);
        if (ratio <= -1 || ratio >= 256)
            return std::nullopt;
        fill.gradient.stops.push_back(
            {static_cast<std::uint8_t>(std::isnan(ratio) ? 0 : std::max(ratio, 0.0)),
             Color(vm, color, alpha)});
    }
    std::string spread = vm.toString(Arg(args, 5));
    fill.gradient.spread = spread == "reflect"  ? SpreadMode::Reflect
                           : spread == "repeat" ? SpreadMode::Repeat
                                                : SpreadMode::Pad;
    if (vm.toString(Arg(args, 6)) == "linearRGB")
        fill.gradient.interpolation = InterpolationMode::LinearRgb;
    double focal = vm.toNumber(Arg(args, 7));
    if (fill.type == FillType::RadialGradient && std::isfinite(focal) && focal != 0) {
        fill.type = FillType::FocalGradient;
        fill.gradient.focalPoint = std::clamp(focal, -1.0, 1.0);
    }
    return fill;
}

Value BeginFill(Vm& vm, const Value& self, std::span<const Value> args) {
    DrawingCanvas* canvas = Canvas(vm, self);
    if (!canvas)
        return {};
    if (Arg(args, 0).isUndefined()) {
        canvas->endFill();
        return {};
    }
    FillStyle fill;
    fill.color = Color(vm, Arg(args, 0), Arg(args, 1));
    canvas->beginFill(fill);
    return {};
}

Value BeginGradientFill(Vm& vm, const Value& self, std::span<const Value> args) {
    DrawingCanvas* canvas = Canvas(vm, self);
    if (!canvas)
        return {};
    // Without a type there is no fill; a call Flash cannot read keeps the
    // fill there was.
    if (Arg(args, 0).isUndefined())
        canvas->endFill();
    else if (auto fill = GradientFill(vm, args))
        canvas->beginFill(*fill);
    return {};
}

// Keeps the last line style so that lineGradientStyle can give it a fill.
Value LineStyle(Vm& vm, const Value& self, std::span<const Value> args) {
    MovieClip* clip = vm.clipOf(self);
    if (!clip)
        return {};
    if (Arg(args, 0).isUndefined()) {
        clip->drawing().lineStyle(std::nullopt);
        return {};
    }
    swf::LineStyle line;
    double width = std::clamp(vm.toNumber(Arg(args, 0)), 0.0, 255.0);
    line.width = static_cast<std::uint16_t>((std::isnan(width) ? 0 : width) * kTwipsPerPixel);
    line.color = Color(vm, Arg(args, 1), Arg(args, 2));
    line.pixelHinting = vm.toBoolean(Arg(args, 3));
    std::string scale = vm.toString(Arg(args, 4));
    line.noHScale = scale == "none" || scale == "horizontal";
    line.noVScale = scale == "none" || scale == "vertical";
    std::string caps = vm.toString(Arg(args, 5));
    line.startCap = line.endCap = caps == "none"     ? CapStyle::None
                                  : caps == "square" ? CapStyle::Square
                                                     : CapStyle::Round;
    std::string joint = vm.toString(Arg(args, 6));
    line.join = joint == "miter"   ? JoinStyle::Miter
                : joint == "bevel" ? JoinStyle::Bevel
                                   : JoinStyle::Round;
    if (!Arg(args, 7).isUndefined())
        line.miterLimit = std::clamp(vm.toNumber(Arg(args, 7)), 1.0, 255.0);
    clip->setLastLineStyle(line);
    clip->drawing().lineStyle(line);
    return {};
}

Value LineGradientStyle(Vm& vm, const Value& self, std::span<const Value> args) {
    MovieClip* clip = vm.clipOf(self);
    auto fill = GradientFill(vm, args);
    if (!clip || !fill || !clip->lastLineStyle())
        return {};
    swf::LineStyle line = *clip->lastLineStyle();
    line.hasFill = true;
    line.fill = *fill;
    clip->drawing().lineStyle(line);
    return {};
}

Value MoveTo(Vm& vm, const Value& self, std::span<const Value> args) {
    if (DrawingCanvas* canvas = Canvas(vm, self))
        canvas->moveTo(Point(vm, args, 0));
    return {};
}

Value LineTo(Vm& vm, const Value& self, std::span<const Value> args) {
    if (DrawingCanvas* canvas = Canvas(vm, self))
        canvas->lineTo(Point(vm, args, 0));
    return {};
}

Value CurveTo(Vm& vm, const Value& self, std::span<const Value> args) {
    if (DrawingCanvas* canvas = Canvas(vm, self); canvas && args.size() >= 4)
        canvas->curveTo(Point(vm, args, 0), Point(vm, args, 2));
    return {};
}

Value EndFill(Vm& vm, const Value& self, std::span<const Value>) {
    if (DrawingCanvas* canvas = Canvas(vm, self))
        canvas->endFill();
    return {};
}

Value Clear(Vm& vm, const Value& self, std::span<const Value>) {
    if (DrawingCanvas* canvas = Canvas(vm, self))
        canvas->clear();
    return {};
}

} // namespace

void InstallDrawingMethods(Vm& vm, Object* p) {
    Method(vm, p, "beginFill", BeginFill);
    Method(vm, p, "beginGradientFill", BeginGradientFill);
    Method(vm, p, "lineStyle", LineStyle);
    Method(vm, p, "lineGradientStyle", LineGradientStyle);
    Method(vm, p, "moveTo", MoveTo);
    Method(vm, p, "lineTo", LineTo);
    Method(vm, p, "curveTo", CurveTo);
    Method(vm, p, "endFill", EndFill);
    Method(vm, p, "clear", Clear);
}

} // namespace vidorama::swf::avm1
