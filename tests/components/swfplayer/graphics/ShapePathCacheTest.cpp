// A shape's paths are made once while it is drawn frame after frame, match
// what making them afresh gives, and are let go once the shape is no longer
// drawn or its definition is gone.

#include "graphics/ShapePathCache.h"

#include "graphics/QtPath.h"
#include "graphics/ShapeDef.h"

#include <gtest/gtest.h>
#include <memory>

namespace vidorama::test {
namespace {

std::shared_ptr<const swf::ShapeDef> Square(std::int32_t size, bool openStroke) {
    swf::ShapePath path;
    path.moveTo({0, 0});
    path.lineTo({size, 0});
    path.quadTo({size, size}, {0, size});
    path.close();
    swf::ShapeDef::Data data;
    data.fillStyles.resize(1);
    data.lineStyles.resize(1);
    data.lineStyles[0].noClose = openStroke;
    data.nonZeroWinding = true;
    data.layers.push_back({{{0, path}}, {{0, path}}});
    return std::make_shared<const swf::ShapeDef>(1, std::move(data));
}

// A fill's path as drawing makes it afresh: the squares fill by nonzero
// winding.
QPainterPath FillPath(const swf::ShapeDef& shape) {
    QPainterPath path = swf::ToQPainterPath(shape.layers()[0].fills[0].path);
    path.setFillRule(Qt::WindingFill);
    return path;
}

TEST(ShapePathCache, PathsAreMadeOnceAndMatchMakingThemAfresh) {
    swf::ShapePathCache cache;
    const auto shape = Square(400, true);
    const swf::ShapePath& outline = shape->layers()[0].fills[0].path;
    EXPECT_EQ(cache.pathsOf(*shape).fills[0][0], FillPath(*shape));
    // The stroke's style leaves its contour open.
    EXPECT_EQ(cache.pathsOf(*shape).strokes[0][0], ToQPainterPath(outline, false));
    const QPainterPath* kept = &cache.pathsOf(*shape).fills[0][0];
    for (int frame = 0; frame < 100; ++frame) {
        EXPECT_EQ(&cache.pathsOf(*shape).fills[0][0], kept) << frame;
        cache.endFrame();
    }
    EXPECT_EQ(cache.shapesKept(), 1u);
}

TEST(ShapePathCache, ShapesNoLongerDrawnOrFreedAreLetGo) {
    swf::ShapePathCache cache;
    auto shape = Square(400, false);
    cache.pathsOf(*shape);
    for (int frame = 0; frame < 100; ++frame)
        cache.endFrame();
    EXPECT_EQ(cache.shapesKept(), 0u);
    cache.pathsOf(*shape);
    shape.reset();
    cache.endFrame();
    EXPECT_EQ(cache.shapesKept(), 0u);
    // A shape that nothing shares, made for one draw, is not kept.
    const auto owned = Square(200, false);
    const swf::ShapeDef copy(2, {owned->bounds(), owned->edgeBounds(), true, owned->fillStyles(),
                                 owned->lineStyles(), owned->layers()});
    EXPECT_EQ(cache.pathsOf(copy).fills[0][0], FillPath(*owned));
    EXPECT_EQ(cache.shapesKept(), 0u);
}

TEST(ShapePathCache, AnotherShapeAtAFreedOnesAddressGetsItsOwnPaths) {
    swf::ShapePathCache cache;
    // Freeing a shape and making another of the same size tends to reuse its
    // memory; whether or not it does, each must get its own paths.
    for (std::int32_t size = 100; size < 1000; size += 100) {
        const auto shape = Square(size, false);
        EXPECT_EQ(cache.pathsOf(*shape).fills[0][0], FillPath(*shape)) << size;
    }
}

} // namespace
} // namespace vidorama::test
