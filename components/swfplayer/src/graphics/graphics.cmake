add_library(vidorama_swf_graphics STATIC
    ${CMAKE_CURRENT_LIST_DIR}/Placeholder.cpp
)
target_link_libraries(vidorama_swf_graphics PUBLIC vidorama_swf_core Qt6::Gui ZLIB::ZLIB)
