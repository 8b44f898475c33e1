#include "swf/Geometry.h"

#include "swf/ByteReader.h"

#include <cmath>

namespace vidorama::swf {

Matrix Matrix::operator*(const Matrix& o) const {
    return {a * o.a + c * o.b, b * o.a + d * o.b,        a * o.c + c * o.d,
            b * o.c + d * o.d, a * o.tx + c * o.ty + tx, b * o.tx + d * o.ty + ty};
}

bool Matrix::invertible() const {
    double det = a * d - b * c;
    return std::isfinite(det) && std::abs(det) > 1e-12;
}

Matrix Matrix::inverted() const {
    double det = a * d - b * c;
    if (!invertible())
        return {};
    double ia = d / det, ib = -b / det, ic = -c / det, id = a / det;
    return {ia, ib, ic, id, -(ia * tx + ic * ty), -(ib * tx + id * ty)};
}

Rect ReadRect(ByteReader& reader) {
    reader.alignBits();
    unsigned bits = reader.ub(5);
    Rect r;
    r.xMin = reader.sb(bits);
    r.xMax = reader.sb(bits);
    r.yMin = reader.sb(bits);
    r.yMax = reader.sb(bits);
    reader.alignBits();
    return r;
}

Matrix ReadMatrix(ByteReader& reader) {
    reader.alignBits();
    Matrix m;
    if (reader.flag()) {
        unsigned bits = reader.ub(5);
        m.a = reader.fb(bits);
        m.d = reader.fb(bits);
    }
    if (reader.flag()) {
        unsigned bits = reader.ub(5);
        m.b = reader.fb(bits);
        m.c = reader.fb(bits);
    }
    unsigned bits = reader.ub(5);
    m.tx = reader.sb(bits);
    m.ty = reader.sb(bits);
    reader.alignBits();
    return m;
}

} // namespace vidorama::swf
