set(_text ${CMAKE_CURRENT_LIST_DIR})
find_package(Freetype REQUIRED)
find_package(Fontconfig REQUIRED)
add_library(vidorama_swf_text STATIC
    ${_text}/DeviceFonts.cpp
    ${_text}/EditTextRecord.cpp
    ${_text}/FontDef.cpp
    ${_text}/FontLibrary.cpp
    ${_text}/FontParser.cpp
    ${_text}/FreeTypeGlyphs.cpp
    ${_text}/OpenTypeFont.cpp
    ${_text}/StaticTextParser.cpp
    ${_text}/StyledText.cpp
    ${_text}/TextFieldBuilder.cpp
    ${_text}/TextLayout.cpp
)
target_link_libraries(vidorama_swf_text PUBLIC vidorama_swf_graphics
    PRIVATE Freetype::Freetype Fontconfig::Fontconfig)
