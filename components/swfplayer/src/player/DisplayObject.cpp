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

void DisplayObject::applyPlacement(const PlaceObject& place) {
    if (!m_transformedByScript) {
        m_properties.apply(place);
        return;
    }
    PlaceObject rest = place;
    rest.matrix.reset();
    rest.colorTransform.reset();
    m_properties.apply(rest);
}

void DisplayObject::resetPlacement(const PlaceObject& place) {
    DisplayProperties fresh;
    fresh.name = std::move(m_properties.name);
    if (m_transformedByScript) {
        fresh.matrix = m_properties.matrix;
        fresh.colorTransform = m_properties.colorTransform;
    }
    m_properties = std::move(fresh);
    applyPlacement(place);
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
