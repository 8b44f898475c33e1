# The entry functions that the fuzz targets and their regression tests share,
# so that a saved input is replayed through exactly the code that broke.
set(_fuzz ${CMAKE_CURRENT_LIST_DIR})
add_library(vidorama_fuzz_entries STATIC
    ${_fuzz}/entries/AbcEntries.cpp
    ${_fuzz}/entries/ActionEntry.cpp
    ${_fuzz}/entries/FuzzEntries.cpp
    ${_fuzz}/entries/ProbeEntry.cpp
    ${_fuzz}/entries/RecordEntries.cpp
    ${_fuzz}/entries/SwfEntries.cpp
)
target_include_directories(vidorama_fuzz_entries PUBLIC ${_fuzz})
target_link_libraries(vidorama_fuzz_entries PUBLIC
    vidorama_swf vidorama_flash_host vidorama_capture vidorama_settings)
