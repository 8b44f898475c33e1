# Sound: the sound tags, decoding through FFmpeg to 44.1 kHz stereo, and the
# mixer of event and stream sounds.
set(_sound ${CMAKE_CURRENT_LIST_DIR})
add_library(vidorama_swf_sound STATIC
    ${_sound}/AdpcmPacket.cpp
    ${_sound}/CodecDecoder.cpp
    ${_sound}/Envelope.cpp
    ${_sound}/EventSoundDecoder.cpp
    ${_sound}/EventVoice.cpp
    ${_sound}/Resampler.cpp
    ${_sound}/SoundDecoder.cpp
    ${_sound}/SoundDef.cpp
    ${_sound}/SoundFormat.cpp
    ${_sound}/SoundLibrary.cpp
    ${_sound}/SoundMixer.cpp
    ${_sound}/SoundTags.cpp
    ${_sound}/SpeexFrames.cpp
    ${_sound}/StreamDecoder.cpp
    ${_sound}/StreamVoice.cpp
)
target_link_libraries(vidorama_swf_sound PUBLIC vidorama_swf_core PRIVATE PkgConfig::FFMPEG)
