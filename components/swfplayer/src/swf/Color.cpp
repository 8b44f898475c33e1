#include "swf/Color.h"

#include "swf/ByteReader.h"

#include <algorithm>
#include <cmath>

namespace vidorama::swf {

Rgba ReadRgb(ByteReader& reader) {
    Rgba c;
    c.r = reader.u8();
    c.g = reader.u8();
    c.b = reader.u8();
    return c;
}

Rgba ReadRgba(ByteReader& reader) {
    Rgba c = ReadRgb(reader);
    c.a = reader.u8();
    return c;
}

ColorTransform ColorTransform::operator*(const ColorTransform& in) const {
    ColorTransform out;
    out.rMul = rMul * in.rMul;
    out.gMul = gMul * in.gMul;
    out.bMul = bMul * in.bMul;
    out.aMul = aMul * in.aMul;
    out.rAdd = rMul * in.rAdd + rAdd;
    out.gAdd = gMul * in.gAdd + gAdd;
    out.bAdd = bMul * in.bAdd + bAdd;
    out.aAdd = aMul * in.aAdd + aAdd;
    return out;
}

static std::uint8_t Channel(float value, float mul, float add) {
    float v = std::floor(value * mul + add);
    return static_cast<std::uint8_t>(std::clamp(v, 0.0f, 255.0f));
}

Rgba ColorTransform::apply(Rgba c) const {
    return {Channel(c.r, rMul, rAdd), Channel(c.g, gMul, gAdd), Channel(c.b, bMul, bAdd),
            Channel(c.a, aMul, aAdd)};
}

ColorTransform ReadColorTransform(ByteReader& reader, bool withAlpha) {
    reader.alignBits();
    bool hasAdd = reader.flag();
    bool hasMul = reader.flag();
    unsigned bits = reader.ub(4);
    ColorTransform t;
    if (hasMul) {
        t.rMul = reader.sb(bits) / 256.0f;
        t.gMul = reader.sb(bits) / 256.0f;
        t.bMul = reader.sb(bits) / 256.0f;
        if (withAlpha)
            t.aMul = reader.sb(bits) / 256.0f;
    }
    if (hasAdd) {
        t.rAdd = static_cast<float>(reader.sb(bits));
        t.gAdd = static_cast<float>(reader.sb(bits));
        t.bAdd = static_cast<float>(reader.sb(bits));
        if (withAlpha)
            t.aAdd = static_cast<float>(reader.sb(bits));
    }
    reader.alignBits();
    return t;
}

} // namespace vidorama::swf
