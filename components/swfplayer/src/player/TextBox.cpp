#include "player/TextBox.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf {

namespace {

// Box shapes are made in twentieths of a target pixel.
constexpr double kUnitsPerPixel = 20;

void AddRect(ShapePath& path, double x0, double y0, double x1, double y1) {
    auto p = [](double x, double y) {
        return TwipPoint{static_cast<std::int32_t>(std::lround(x * kUnitsPerPixel)),
                         static_cast<std::int32_t>(std::lround(y * kUnitsPerPixel))};
    };
    if (x1 <= x0 || y1 <= y0)
        return;
    path.moveTo(p(x0, y0));
    path.lineTo(p(x1, y0));
    path.lineTo(p(x1, y1));
    path.lineTo(p(x0, y1));
    path.lineTo(p(x0, y0));
}

// Flash puts a border that falls half way between pixels on the upper or
// left one.
double SnapToPixel(double v) {
    return std::ceil(v - 0.5);
}

bool AxisAligned(const Matrix& m) {
    return std::abs(m.b) < 1e-9 && std::abs(m.c) < 1e-9;
}

TextBox PixelBox(const Rect& bounds, const Matrix& matrix, std::optional<Rgba> background,
                 std::optional<Rgba> border) {
    double ax = 0, ay = 0, bx = 0, by = 0;
    matrix.map(bounds.xMin, bounds.yMin, ax, ay);
    matrix.map(bounds.xMax, bounds.yMax, bx, by);
    double x0 = SnapToPixel(std::min(ax, bx)), x1 = SnapToPixel(std::max(ax, bx));
    double y0 = SnapToPixel(std::min(ay, by)), y1 = SnapToPixel(std::max(ay, by));
    ShapeDef::Data data;
    data.nonZeroWinding = true;
    ShapeLayer layer;
    if (background) {
        FillStyle fill;
        fill.color = *background;
        data.fillStyles.push_back(fill);
        StyledPath path{static_cast<std::uint32_t>(data.fillStyles.size() - 1), {}};
        AddRect(path.path, x0, y0, x1 + 1, y1 + 1);
        layer.fills.push_back(std::move(path));
    }
    if (border) {
        FillStyle fill;
        fill.color = *border;
        data.fillStyles.push_back(fill);
        StyledPath path{static_cast<std::uint32_t>(data.fillStyles.size() - 1), {}};
        AddRect(path.path, x0, y0, x1 + 1, y0 + 1);
        AddRect(path.path, x1, y0, x1 + 1, y1);
        AddRect(path.path, x0, y1, x1, y1 + 1);
        AddRect(path.path, x0, y0, x0 + 1, y1 + 1);
        layer.fills.push_back(std::move(path));
    }
    data.layers.push_back(std::move(layer));
    return {std::move(data), Matrix::scale(1 / kUnitsPerPixel, 1 / kUnitsPerPixel)};
}

TextBox TransformedBox(const Rect& bounds, const Matrix& matrix, std::optional<Rgba> background,
                       std::optional<Rgba> border) {
    ShapePath outline;
    outline.moveTo({bounds.xMin, bounds.yMin});
    outline.lineTo({bounds.xMax, bounds.yMin});
    outline.lineTo({bounds.xMax, bounds.yMax});
    outline.lineTo({bounds.xMin, bounds.yMax});
    outline.lineTo({bounds.xMin, bounds.yMin});
    ShapeDef::Data data;
    ShapeLayer layer;
    if (background) {
        FillStyle fill;
        fill.color = *background;
        data.fillStyles.push_back(fill);
        layer.fills.push_back({0, outline});
    }
    if (border) {
        LineStyle line;
        line.color = *border;
        data.lineStyles.push_back(line);
        layer.strokes.push_back({0, outline});
    }
    data.layers.push_back(std::move(layer));
    return {std::move(data), matrix};
}

} // namespace

TextBox MakeTextBox(const Rect& bounds, const Matrix& matrix, std::optional<Rgba> background,
                    std::optional<Rgba> border) {
    if (AxisAligned(matrix))
        return PixelBox(bounds, matrix, background, border);
    return TransformedBox(bounds, matrix, background, border);
}

ShapeDef::Data MakeRectsShape(const std::vector<std::pair<Rect, Rgba>>& rects) {
    ShapeDef::Data data;
    ShapeLayer layer;
    for (const auto& [rect, color] : rects) {
        FillStyle fill;
        fill.color = color;
        data.fillStyles.push_back(fill);
        ShapePath path;
        path.moveTo({rect.xMin, rect.yMin});
        path.lineTo({rect.xMax, rect.yMin});
        path.lineTo({rect.xMax, rect.yMax});
        path.lineTo({rect.xMin, rect.yMax});
        path.lineTo({rect.xMin, rect.yMin});
        layer.fills.push_back({static_cast<std::uint32_t>(data.fillStyles.size() - 1), path});
    }
    data.layers.push_back(std::move(layer));
    return data;
}

TextBox MakeTextClip(const Rect& bounds, const Matrix& matrix) {
    if (!AxisAligned(matrix))
        return TransformedBox(bounds, matrix, Rgba{255, 255, 255, 255}, std::nullopt);
    double ax = 0, ay = 0, bx = 0, by = 0;
    matrix.map(bounds.xMin, bounds.yMin, ax, ay);
    matrix.map(bounds.xMax, bounds.yMax, bx, by);
    ShapeDef::Data data;
    data.fillStyles.push_back(FillStyle{});
    StyledPath path{0, {}};
    AddRect(path.path, SnapToPixel(std::min(ax, bx)), SnapToPixel(std::min(ay, by)),
            SnapToPixel(std::max(ax, bx)), SnapToPixel(std::max(ay, by)));
    data.layers.push_back({{std::move(path)}, {}});
    return {std::move(data), Matrix::scale(1 / kUnitsPerPixel, 1 / kUnitsPerPixel)};
}

} // namespace vidorama::swf
