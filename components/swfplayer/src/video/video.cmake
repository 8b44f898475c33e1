# Embedded video: the stream definitions, decoding through FFmpeg, Flash's
# colour conversion and post filter, and the playback of one instance.
set(_video ${CMAKE_CURRENT_LIST_DIR})
add_library(vidorama_swf_video STATIC
    ${_video}/H263Deblocker.cpp
    ${_video}/VideoDecoder.cpp
    ${_video}/VideoDef.cpp
    ${_video}/VideoPacket.cpp
    ${_video}/VideoPlayback.cpp
    ${_video}/YuvPicture.cpp
)
target_link_libraries(vidorama_swf_video PUBLIC vidorama_swf_core Qt6::Gui PRIVATE PkgConfig::FFMPEG)
