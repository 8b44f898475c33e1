#include "graphics/PathBuilder.h"

#include <map>
#include <set>
#include <unordered_map>
#include <utility>

namespace vidorama::swf {

namespace {

// A vertex is the same in a start and an end shape only if both positions
// match, so chaining morph edges keeps contours closed at every ratio.
struct VertexKey {
    TwipPoint start, end;
    bool operator==(const VertexKey&) const = default;
};

struct VertexKeyHash {
    std::size_t operator()(const VertexKey& k) const {
        std::uint64_t h = static_cast<std::uint32_t>(k.start.x);
        h = h * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint32_t>(k.start.y);
        h = h * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint32_t>(k.end.x);
        h = h * 0x9E3779B97F4A7C15ull ^ static_cast<std::uint32_t>(k.end.y);
        return static_cast<std::size_t>(h ^ (h >> 29));
    }
};

// An edge as walked along a contour: possibly reversed.
struct DirectedEdge {
    const ShapeEdge* edge;
    bool reversed;

    VertexKey head() const {
        return reversed ? VertexKey{edge->to, edge->endTo} : VertexKey{edge->from, edge->endFrom};
    }
    VertexKey tail() const {
        return reversed ? VertexKey{edge->from, edge->endFrom} : VertexKey{edge->to, edge->endTo};
    }
};

bool Degenerate(const ShapeEdge& e) {
    return !e.curved && e.from == e.to && e.endFrom == e.endTo;
}

// Appends one edge to a path pair. Morph paths always use curves so that the
// start and end shapes share their verbs whatever kind each edge has.
void AppendEdge(MorphShapeDef::MorphPath& out, const DirectedEdge& d, bool withEnd) {
    const ShapeEdge& e = *d.edge;
    TwipPoint to = d.reversed ? e.from : e.to;
    TwipPoint endTo = d.reversed ? e.endFrom : e.endTo;
    if (!withEnd) {
        if (e.curved)
            out.start.quadTo(e.control, to);
        else
            out.start.lineTo(to);
        return;
    }
    out.start.quadTo(e.control, to);
    out.end.quadTo(e.endControl, endTo);
}

void MoveTo(MorphShapeDef::MorphPath& out, const VertexKey& at, bool withEnd) {
    out.start.moveTo(at.start);
    if (withEnd)
        out.end.moveTo(at.end);
}

void Close(MorphShapeDef::MorphPath& out, bool withEnd) {
    out.start.close();
    if (withEnd)
        out.end.close();
}

// Chains the directed edges of one fill style into closed contours. Which
// edge is taken at a vertex that several leave does not change the filled
// area, so the first one left in edge order is used.
MorphShapeDef::MorphPath ChainContours(const std::vector<DirectedEdge>& edges, bool withEnd) {
    std::unordered_map<VertexKey, std::vector<std::size_t>, VertexKeyHash> leaving;
    for (std::size_t i = 0; i < edges.size(); ++i)
        leaving[edges[i].head()].push_back(i);
    // Each vertex remembers how far its list has been used up, so that a walk
    // costs linear time however many edges meet at one point.
    std::unordered_map<VertexKey, std::size_t, VertexKeyHash> cursor;
    std::vector<bool> used(edges.size(), false);
    MorphShapeDef::MorphPath out;
    for (std::size_t first = 0; first < edges.size(); ++first) {
        if (used[first])
            continue;
        VertexKey start = edges[first].head();
        MoveTo(out, start, withEnd);
        std::size_t current = first;
        while (true) {
            used[current] = true;
            AppendEdge(out, edges[current], withEnd);
            VertexKey tail = edges[current].tail();
            if (tail == start)
                break;
            auto found = leaving.find(tail);
            if (found == leaving.end())
                break;
            std::size_t& pos = cursor[tail];
            while (pos < found->second.size() && used[found->second[pos]])
                ++pos;
            if (pos == found->second.size())
                break;
            current = found->second[pos];
        }
    }
    return out;
}

} // namespace

void PathBuilder::addEdge(const ShapeEdge& edge) {
    if (!Degenerate(edge) && (edge.fill0 || edge.fill1 || edge.line))
        m_edges.push_back(edge);
}

void PathBuilder::endGroup() {
    if (m_edges.empty())
        return;
    BuiltLayer layer;
    buildFills(layer);
    buildStrokes(layer);
    m_layers.push_back(std::move(layer));
    m_edges.clear();
}

std::vector<BuiltLayer> PathBuilder::takeLayers() {
    endGroup();
    return std::move(m_layers);
}

void PathBuilder::buildFills(BuiltLayer& layer) const {
    // A style with its edges in record order; styles are drawn by index.
    std::map<std::uint32_t, std::vector<DirectedEdge>> byStyle;
    for (const ShapeEdge& e : m_edges) {
        // An edge with the same style on both sides lies inside the area and
        // adds nothing to its outline.
        if (e.fill0 == e.fill1)
            continue;
        if (e.fill1)
            byStyle[e.fill1].push_back({&e, false});
        if (e.fill0)
            byStyle[e.fill0].push_back({&e, true});
    }
    for (auto& [style, edges] : byStyle) {
        MorphShapeDef::MorphPath path = ChainContours(edges, m_withEnd);
        path.style = style - 1;
        layer.fills.push_back(std::move(path));
    }
}

void PathBuilder::buildStrokes(BuiltLayer& layer) const {
    std::map<std::uint32_t, MorphShapeDef::MorphPath> byStyle;
    // Where each style's current contour started and where it is now.
    std::map<std::uint32_t, std::pair<VertexKey, VertexKey>> pen;
    auto closeIfReturned = [&](std::uint32_t style) {
        auto it = pen.find(style);
        if (it != pen.end() && it->second.first == it->second.second)
            Close(byStyle[style], m_withEnd);
    };
    for (const ShapeEdge& e : m_edges) {
        if (!e.line)
            continue;
        DirectedEdge d{&e, false};
        auto it = pen.find(e.line);
        if (it == pen.end() || !(it->second.second == d.head())) {
            closeIfReturned(e.line);
            MoveTo(byStyle[e.line], d.head(), m_withEnd);
            pen[e.line] = {d.head(), d.head()};
        }
        AppendEdge(byStyle[e.line], d, m_withEnd);
        pen[e.line].second = d.tail();
    }
    for (auto& [style, path] : byStyle) {
        closeIfReturned(style);
        path.style = style - 1;
        layer.strokes.push_back(std::move(path));
    }
}

} // namespace vidorama::swf
