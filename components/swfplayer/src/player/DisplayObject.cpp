#include "player/DisplayObject.h"

namespace vidorama::swf {

void DisplayProperties::apply(const PlaceObject& place) {
    if (place.matrix)
        matrix = *place.matrix;
    if (place.colorTransform)
        colorTransform = *place.colorTransform;
    if (place.ratio)
        ratio = *place.ratio;
    if (place.name)
        name = *place.name;
    if (place.clipDepth)
        clipDepth = *place.clipDepth;
    if (place.blendMode)
        blendMode = *place.blendMode;
    if (place.filters)
        filters = *place.filters;
    if (place.cacheAsBitmap)
        cacheAsBitmap = *place.cacheAsBitmap;
    if (place.visible)
        visible = *place.visible;
    if (place.backgroundColor)
        backgroundColor = place.backgroundColor;
}

bool DisplayObject::isScriptMask() const {
    auto maskee = m_maskee.lock();
    return maskee && !maskee->removed() && maskee->scriptMask().lock().get() == this;
}

void DisplayObject::markRemoved() {
    m_removed = true;
    m_parent = nullptr;
}

} // namespace vidorama::swf
