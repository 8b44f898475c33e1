#include "player/DisplayTreeDrawer.h"
#include "player/TextBox.h"
#include "swf/Limits.h"
#include "text/TextDef.h"

namespace vidorama::swf {

namespace {

// Glyph outlines are black; a colour transform that replaces their colour
// with the run's paints them, under the colour transform of the object.
ColorTransform PaintWith(Rgba color) {
    ColorTransform t;
    t.rMul = t.gMul = t.bMul = t.aMul = 0;
    t.rAdd = color.r;
    t.gAdd = color.g;
    t.bAdd = color.b;
    t.aAdd = color.a;
    return t;
}

} // namespace

void DisplayTreeDrawer::drawText(const TextDef& text, const Matrix& matrix,
                                 const ColorTransform& colors, bool asMask) {
    const TextDef::Data& data = text.data();
    if (data.background || data.border) {
        TextBox box = MakeTextBox(data.bounds, matrix, data.background, data.border);
        m_renderer.drawShape(ShapeDef(0, std::move(box.shape)), box.matrix, colors);
    }
    // A mask of its own would cut a text that is itself a mask to nothing.
    bool clip = data.clipToBounds && !asMask;
    if (clip) {
        TextBox area = MakeTextClip(data.bounds, matrix);
        m_renderer.pushMask(MaskKind::Area);
        m_renderer.drawShape(ShapeDef(0, std::move(area.shape)), area.matrix, colors);
        m_renderer.activateMask();
    }
    drawGlyphs(data, matrix, colors);
    if (!data.underlines.empty()) {
        ShapeDef underlines(0, MakeRectsShape(data.underlines));
        m_renderer.drawShape(underlines, matrix * data.matrix, colors);
    }
    if (clip)
        m_renderer.popMask();
}

void DisplayTreeDrawer::drawGlyphs(const TextDef::Data& data, const Matrix& matrix,
                                   const ColorTransform& colors) {
    Matrix textMatrix = matrix * data.matrix;
    for (const GlyphRun& run : data.runs) {
        ColorTransform runColors = colors * PaintWith(run.color);
        for (const PlacedGlyph& glyph : run.glyphs) {
            if (m_glyphsDrawn >= Limits::kMaxGlyphsPerFrame)
                return;
            ++m_glyphsDrawn;
            const ShapeDef& shape = *run.font->glyphs()[glyph.index].shape;
            if (!spendPathElements(PathElements(shape)))
                continue;
            Matrix place{run.scale, 0, 0, run.scale, glyph.x, run.y};
            m_renderer.drawShape(shape, textMatrix * place, runColors);
        }
    }
}

} // namespace vidorama::swf
