set(_graphics ${CMAKE_CURRENT_LIST_DIR})
add_library(vidorama_swf_graphics STATIC
    ${_graphics}/AreaCoverage.cpp
    ${_graphics}/BitmapDef.cpp
    ${_graphics}/BitmapParser.cpp
    ${_graphics}/BlendCompositor.cpp
    ${_graphics}/BoxBlur.cpp
    ${_graphics}/CharacterParsers.cpp
    ${_graphics}/ColorFilters.cpp
    ${_graphics}/EmbeddedImage.cpp
    ${_graphics}/FillGroup.cpp
    ${_graphics}/FillShader.cpp
    ${_graphics}/FilterScale.cpp
    ${_graphics}/FilterRunner.cpp
    ${_graphics}/GradientRamp.cpp
    ${_graphics}/LayerCompositor.cpp
    ${_graphics}/LosslessDecoder.cpp
    ${_graphics}/MorphBlend.cpp
    ${_graphics}/MorphShapeDef.cpp
    ${_graphics}/MorphShapeParser.cpp
    ${_graphics}/PathBuilder.cpp
    ${_graphics}/PathFiller.cpp
    ${_graphics}/PixelLanes.cpp
    ${_graphics}/QPainterRenderer.cpp
    ${_graphics}/QtPath.cpp
    ${_graphics}/ShadowFilters.cpp
    ${_graphics}/ShapePathCache.cpp
    ${_graphics}/ShapeParser.cpp
    ${_graphics}/ShapeRecordReader.cpp
    ${_graphics}/StrokeOutline.cpp
    ${_graphics}/StyleReader.cpp
)
target_link_libraries(vidorama_swf_graphics PUBLIC vidorama_swf_core Qt6::Gui ZLIB::ZLIB)
