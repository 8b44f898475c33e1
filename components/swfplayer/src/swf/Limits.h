#pragma once

#include <cstddef>
#include <cstdint>

namespace vidorama::swf {

// Every limit that keeps a hostile or broken movie harmless, in one place.
// A movie over a limit is refused or cut with a clear message.
struct Limits {
    // Largest uncompressed movie we inflate (the header's declared length is
    // also honoured: decompression never writes past it).
    static constexpr std::size_t kMaxMovieBytes = 256u * 1024 * 1024;
    // Sprites inside sprites, as defined and as placed.
    static constexpr int kMaxSpriteNesting = 64;
    // Objects on the whole display tree, every clip's together; placements
    // beyond it are skipped. (One timeline's depths are 16-bit numbers.)
    static constexpr std::size_t kMaxDisplayObjects = 65536;
    // Position and size of a field a script creates, in pixels each way, so
    // that its box stays within twips that 32 bits hold.
    static constexpr std::int32_t kMaxScriptFieldPixels = 1000000;
    // Shape records (edges and style changes) in one shape.
    static constexpr std::size_t kMaxShapeRecords = 1u << 20;
    // Fill or line styles in one style array.
    static constexpr std::size_t kMaxStyles = 65535;
    // Bitmap side and decoded pixels of one bitmap: Flash Player 10's own
    // limits. All bitmaps of a movie together stay within 512 MB of pixels;
    // a few bytes of zlib or JPEG header can claim the largest size.
    static constexpr std::int32_t kMaxBitmapSide = 8191;
    static constexpr std::uint64_t kMaxBitmapPixels = 16777215;
    static constexpr std::uint64_t kMaxTotalBitmapPixels = 128ull * 1024 * 1024;
    // Bitmaps scripts make (BitmapData): before SWF 10 Flash allows sides up
    // to 2880 pixels, later the limits above. The live ones of a movie hold
    // 256 MB of pixels at most; past that a new one fails as a bad size does.
    static constexpr std::int32_t kMaxScriptBitmapSideSwf9 = 2880;
    static constexpr std::uint64_t kMaxScriptBitmapPixels = 64ull * 1024 * 1024;
    // Frames in one timeline.
    static constexpr std::uint32_t kMaxFrames = 1u << 20;
    // New display objects made in one frame step (or one goto); bounds the
    // work of a sprite that places copies of itself.
    static constexpr std::size_t kMaxInstancesPerStep = 100000;
    // Actions run for one frame before the rest are dropped.
    static constexpr std::size_t kMaxActionsPerFrame = 100000;
    // Script instructions run in one frame, every script together. A script
    // that would run more is cut, and the frame's other scripts are dropped:
    // an endless loop costs one frame's budget, never a hang.
    static constexpr std::uint64_t kMaxScriptStepsPerFrame = 2'000'000;
    // Script instructions one conversion may run for each second of its
    // output (and one second's worth to start with), on top of the frame's
    // own budget: a movie at 256 frames a second that spends each frame's
    // budget would otherwise cost minutes for seconds of video. Once spent,
    // scripts stop for the rest of the movie.
    static constexpr std::uint64_t kMaxScriptStepsPerOutputSecond = 40'000'000;
    // A conversion's frame rate when none is asked for: the movie's own, at
    // most this. A faster movie (a header may claim 256 frames a second) is
    // taken one frame in two, in three..., as Flash Player in a browser
    // showed no more than the screen's 60 frames a second; every frame of
    // it is drawn, filtered and encoded, so this bounds a conversion's time.
    static constexpr std::int64_t kMaxDefaultOutputFps = 60;
    // Memory of the whole movie's scripts at once: strings, objects and
    // their properties, array elements, as measured after each garbage
    // collection. Past it, scripts stop for the rest of the movie. A
    // collection is due once this much over a quarter of it was made anew.
    static constexpr std::uint64_t kMaxScriptMemoryBytes = 512ull * 1024 * 1024;
    // Values on the script operand stack, every call together.
    static constexpr std::size_t kMaxScriptStackValues = 65536;
    // Nested script function calls (Flash itself stops at 256).
    static constexpr int kMaxScriptCallDepth = 96;
    // Script objects alive at once, and their properties and array elements
    // together; garbage is collected before either is refused.
    static constexpr std::size_t kMaxScriptObjects = 1'000'000;
    static constexpr std::uint64_t kMaxScriptCells = 8'000'000;
    // setInterval/setTimeout timers alive at once, and the calls one timer
    // may catch up on in one frame when its interval is shorter than it.
    static constexpr std::size_t kMaxScriptTimers = 1024;
    static constexpr int kMaxTimerCallsPerFrame = 16;
    // Object.watch() handlers on one object.
    static constexpr std::size_t kMaxScriptWatchersPerObject = 256;
    // Bytes of one script string, and of all strings made in one frame.
    static constexpr std::size_t kMaxScriptStringBytes = 16u * 1024 * 1024;
    static constexpr std::uint64_t kMaxScriptStringBytesPerFrame = 256ull * 1024 * 1024;
    // ActionScript 3 blocks: entries of each constant pool and of the method,
    // class and script tables of one block; the bytes of one method's code;
    // the operand stack, locals and scope stack one method may declare. A
    // block over any of them is refused whole.
    static constexpr std::size_t kMaxAbcPoolEntries = 1u << 20;
    static constexpr std::size_t kMaxAbcTraits = 1u << 16;
    static constexpr std::size_t kMaxAbcMethodCodeBytes = 1u << 24;
    static constexpr std::uint32_t kMaxAbcMethodStack = 1u << 16;
    static constexpr std::uint32_t kMaxAbcMethodLocals = 1u << 16;
    static constexpr std::uint32_t kMaxAbcScopeDepth = 1u << 12;
    // Bytes of one ActionScript 3 ByteArray.
    static constexpr std::size_t kMaxScriptByteArrayBytes = 64u * 1024 * 1024;
    // ActionScript 3 regular expressions: groups nested in a pattern, the
    // backtracking depth and the steps of one search. A search past either
    // finds nothing, as a pattern that backtracks without end would hang.
    static constexpr int kMaxRegExpNesting = 64;
    static constexpr int kMaxRegExpDepth = 4000;
    static constexpr std::uint64_t kMaxRegExpSteps = 1'000'000;
    // Elements nested in one ActionScript 3 XML tree: the parser refuses
    // deeper markup and the methods that walk trees stop there, so hostile
    // markup cannot exhaust the stack.
    static constexpr int kMaxXmlDepth = 512;
    // Classes ActionScript 3 code may derive from each other in a chain.
    static constexpr int kMaxAbcClassDepth = 256;
    // Path elements the drawing methods may add to one clip; further
    // drawing is ignored until clear().
    static constexpr std::size_t kMaxDrawingElementsPerClip = 1u << 20;
    // Frames that gotos may pass through in one frame, all clips together;
    // further gotos are not made. Room for a few gotos across the longest
    // timeline (kMaxFrames).
    static constexpr std::uint64_t kMaxGotoFramesPerFrame = 4ull << 20;
    // Names (children and frame labels) that scripts may look through in one
    // frame to find their targets; once spent, the frame's scripts are cut.
    static constexpr std::size_t kMaxNamesSearchedPerFrame = 1u << 24;
    // Nested clip depths (masks inside masks) drawn for one frame; deeper
    // masks are ignored.
    static constexpr int kMaxMaskNesting = 64;
    // Objects with a blend mode or filters inside each other, each drawn
    // through a layer of its own; deeper ones are drawn as plain objects.
    static constexpr int kMaxLayerNesting = 64;
    // Memory of all the layers (masks, blend modes, filters) held at once
    // while a frame is drawn: a mask takes 5 bytes a pixel of the frame, any
    // other layer 4. Layers that would pass it are not made.
    static constexpr std::uint64_t kMaxLayerBytes = 512ull * 1024 * 1024;
    // A blur box in target pixels (Flash's own limit is 255 stage pixels, so
    // this leaves room for a view that doubles the stage), and blur passes.
    static constexpr int kMaxBlurPixels = 512;
    static constexpr int kMaxBlurPasses = 15;
    // How far a drop shadow or bevel may be offset, in target pixels.
    static constexpr int kMaxFilterDistancePixels = 16384;
    // Filter work of one frame, in pixels touched times the passes over them
    // (a convolution counts its matrix entries); filters beyond it are not run.
    static constexpr std::uint64_t kMaxFilterWorkPerFrame = 1ull << 28;
    // Filter work one conversion may do for each second of its output (and
    // one second's worth to start with), counted as above: frames that each
    // spend their own budget at a high --fps on the largest stage would
    // otherwise cost minutes for seconds of video. Once spent, objects are
    // drawn without their filters for the rest of the movie. A whole-stage
    // blur of high quality at 1920 x 1080 and 30 frames a second uses a
    // third of it.
    static constexpr std::uint64_t kMaxFilterWorkPerOutputSecond = 1ull << 29;
    // Pixels one conversion may paint for each second of its output (and
    // one second's worth to start with), fills, bitmaps and layers together:
    // ten full 1920 x 1080 pictures at 50 frames a second. A movie that paints
    // more keeps its last picture on screen until the allowance catches up,
    // as Flash drops frames it cannot draw in time.
    static constexpr std::uint64_t kMaxDrawnPixelsPerOutputSecond = 1ull << 30;
    // Path elements (moves, lines, curves) of all shapes drawn for one frame;
    // shapes beyond it are not drawn.
    static constexpr std::size_t kMaxPathElementsPerFrame = 1u << 22;
    // Glyphs of one text character (static text's records, or a text field
    // once laid out); the glyphs beyond it are not shown.
    static constexpr std::size_t kMaxTextGlyphs = 1u << 16;
    // Characters of a text field's initial text that are laid out, after its
    // HTML is read; and how deeply its HTML tags may nest.
    static constexpr std::size_t kMaxTextFieldChars = 1u << 16;
    static constexpr std::size_t kMaxHtmlNesting = 64;
    // Tab stops a script's TextFormat keeps.
    static constexpr std::size_t kMaxScriptTabStops = 64;
    // OpenType data of one DefineFont4; FreeType reads it from memory each
    // time a text field needs glyphs of it.
    static constexpr std::size_t kMaxOpenTypeFontBytes = 16u * 1024 * 1024;
    // Glyphs drawn for one frame, all texts together; text beyond it is not
    // drawn. (Each glyph is a shape of its own.)
    static constexpr std::size_t kMaxGlyphsPerFrame = 1u << 18;
    // Pixels of one picture made of the stage, on every path (a converted
    // frame, a snapshot, the desktop program's capture): a stage may claim
    // 100,000 pixels a side, which no picture can have. This is the largest
    // stage Flash authoring allows (2880 x 2880), and as much as a 4K UHD
    // frame: such a frame with its layers and the encoder's copies keeps a
    // conversion well under 2 GB.
    static constexpr std::uint64_t kMaxPicturePixels = 2880ull * 2880;
    // Decoded length of one event sound in 44.1 kHz sample frames (ten
    // minutes); a longer sound is cut there.
    static constexpr std::size_t kMaxSoundFrames = 44100u * 600;
    // Decoded event sounds one player keeps, in 44.1 kHz sample frames;
    // beyond it, sounds that are not playing are decoded again when needed.
    static constexpr std::size_t kMaxCachedSoundFrames = 44100u * 1200;
    // Sounds playing at once; further starts are ignored until one ends.
    static constexpr std::size_t kMaxVoices = 32;
    // Stream sound decoded ahead of the playhead for one clip (ten seconds);
    // blocks that would hold more are cut.
    static constexpr std::size_t kMaxStreamBufferFrames = 44100u * 10;
    // Embedded video. A stream's picture may be at most 4096 pixels a side
    // and 2^22 pixels (the declared box and every decoded picture alike);
    // larger streams are not shown. A movie keeps at most 2^20 video frames
    // of at most 16 MB each; further frames are dropped.
    static constexpr std::int32_t kMaxVideoSide = 4096;
    static constexpr std::uint64_t kMaxVideoPixels = 1u << 22;
    static constexpr std::size_t kMaxVideoFramesPerMovie = 1u << 20;
    static constexpr std::size_t kMaxVideoFrameBytes = 16u * 1024 * 1024;
    // Pictures that the decoders of one player's video instances may hold
    // at once. Each decoder is allowed four times its stream's box (at least
    // 256 x 256 pixels, at most kMaxVideoPixels), which a coded picture may
    // not exceed; instances whose allowance no longer fits show nothing.
    static constexpr std::uint64_t kMaxLiveVideoPixels = 1u << 25;
    static constexpr std::uint64_t kMinVideoDecoderPixels = 1u << 16;
    // Video decoded for one drawn frame, all instances together, counted in
    // the pixels of each frame's stream box (at least 128 x 128 a frame):
    // some 400 frames of 640 x 480. A seek that needs more (back from far
    // past a keyframe) goes on with the next frame drawn.
    static constexpr std::uint64_t kMaxVideoPixelsDecodedPerFrame = 1u << 27;
    static constexpr std::uint64_t kMinVideoDecodeCost = 1u << 14;
};

} // namespace vidorama::swf
