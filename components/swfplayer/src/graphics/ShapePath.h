#pragma once

#include <cstdint>
#include <vector>

namespace vidorama::swf {

struct TwipPoint {
    std::int32_t x = 0, y = 0;
    bool operator==(const TwipPoint&) const = default;
};

// One run of connected edges in twips, as moves, lines and quadratic curves.
// A fill path holds closed contours; a stroke path may hold open ones.
struct ShapePath {
    // Close ends a stroke contour that returns to its start, so that the
    // stroke joins there instead of ending with two caps.
    enum class Verb : std::uint8_t { Move, Line, Quad, Close };

    std::vector<Verb> verbs;
    // Move and Line use one point each, Quad two (control, anchor), Close none.
    std::vector<TwipPoint> points;

    bool empty() const { return verbs.empty(); }
    void moveTo(TwipPoint p) {
        verbs.push_back(Verb::Move);
        points.push_back(p);
    }
    void lineTo(TwipPoint p) {
        verbs.push_back(Verb::Line);
        points.push_back(p);
    }
    void quadTo(TwipPoint control, TwipPoint anchor) {
        verbs.push_back(Verb::Quad);
        points.push_back(control);
        points.push_back(anchor);
    }
    void close() { verbs.push_back(Verb::Close); }
    bool operator==(const ShapePath&) const = default;
};

// Index into a shape's style tables; the tables hold every style group's
// styles one after the other.
struct StyledPath {
    std::uint32_t style = 0;
    ShapePath path;
    bool operator==(const StyledPath&) const = default;
};

// Everything one style group draws: its fills first, then its strokes.
struct ShapeLayer {
    std::vector<StyledPath> fills;
    std::vector<StyledPath> strokes;
    bool operator==(const ShapeLayer&) const = default;
};

} // namespace vidorama::swf
