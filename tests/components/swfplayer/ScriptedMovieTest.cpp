// Scripts as movies from the web use them, each on a movie made here: a goto
// inside with (clip), the main timeline's size, initialize handlers that a
// preloader depends on, Sound objects and the player's voice limit, and a
// video object without frames of its own.

#include "SwfSoundWriter.h"
#include "SwfTextWriter.h"
#include "SwfWriter.h"
#include "movie/Movie.h"
#include "player/Player.h"
#include "swf/Limits.h"

#include <algorithm>
#include <cstdlib>
#include <gtest/gtest.h>
#include <vector>

namespace vidorama::test {
namespace {

// Action records, as the authoring tool compiles the scripts quoted above
// each test.
Bytes Rec(std::uint8_t code, const Bytes& body = {}) {
    SwfBitWriter w;
    w.u8(code);
    if (code >= 0x80)
        w.u16(static_cast<std::uint16_t>(body.size())).bytes(body);
    return w.take();
}
Bytes Str(const std::string& text) {
    return Rec(0x96, SwfBitWriter().u8(0).string(text).take());
}
Bytes Int(std::int32_t value) {
    return Rec(0x96, SwfBitWriter().u8(7).u32(static_cast<std::uint32_t>(value)).take());
}
Bytes Join(const std::vector<Bytes>& parts) {
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}
constexpr std::uint8_t kGetVariable = 0x1c, kSetVariable = 0x1d, kTrace = 0x26, kGetMember = 0x4e,
                       kCallMethod = 0x52, kNewObject = 0x40, kPop = 0x17, kSetMember = 0x4f;
// trace(name) for a variable or a dotted path read member by member.
Bytes TraceVariable(const std::string& name) {
    return Join({Str(name), Rec(kGetVariable), Rec(kTrace)});
}
Bytes TraceMember(const std::string& object, const std::string& member) {
    return Join({Str(object), Rec(kGetVariable), Str(member), Rec(kGetMember), Rec(kTrace)});
}
// object.method(args...), its result dropped.
Bytes CallMethod(const std::string& object, const std::string& method,
                 const std::vector<Bytes>& args) {
    Bytes pushed;
    for (auto arg = args.rbegin(); arg != args.rend(); ++arg)
        pushed = Join({pushed, *arg});
    return Join({pushed, Int(static_cast<std::int32_t>(args.size())), Str(object),
                 Rec(kGetVariable), Str(method), Rec(kCallMethod), Rec(kPop)});
}
// name = new Sound(); with no target, the whole movie's sound.
Bytes NewGlobalSound(const std::string& name) {
    return Join({Str(name), Int(0), Str("Sound"), Rec(kNewObject), Rec(kSetVariable)});
}

Bytes ExportAssets(std::uint16_t id, const std::string& name) {
    return tags::Tag(56, SwfBitWriter().u16(1).u16(id).string(name).take());
}

// A second of a constant 16-bit level at 44.1 kHz, mono.
Bytes DefineTone(std::uint16_t id, std::int16_t level, std::uint32_t frames = 44100) {
    std::vector<std::int16_t> samples(frames, level);
    return tags::DefineSound(id, tags::Format{}, frames, tags::PcmBytes(samples));
}

std::shared_ptr<const swf::Movie> Load(const MovieWriter& writer) {
    auto movie = swf::Movie::load(writer.bytes());
    EXPECT_TRUE(movie.ok());
    return movie.ok() ? movie.value() : nullptr;
}

// The loudest sample of the next frame's sound (at 12 frames a second).
int LoudestOfNextFrame(swf::Player& player) {
    std::vector<std::int16_t> sound(2 * 3675);
    player.mixAudio(sound);
    int loudest = 0;
    for (std::int16_t s : sound)
        loudest = std::max(loudest, std::abs(int(s)));
    return loudest;
}

TEST(ScriptedMovie, GotoInsideWithActsOnTheClipNotTheMainTimeline) {
    // clip: frame 1 stop(); frame 2 trace("clip frame 2"); stop();
    // main: with (clip) { gotoAndPlay(2); } trace(clip._currentframe);
    //       trace(_currentframe)
    MovieWriter writer;
    writer.version = 6;
    writer.tag(tags::DefineSprite(
        1, {{tags::DoAction({tags::actions::Stop()})},
            {tags::DoAction({Join({Str("clip frame 2"), Rec(kTrace)}), tags::actions::Stop()})},
            {}}));
    Bytes body = Join({tags::actions::GotoFrame(1), tags::actions::Play()});
    Bytes with =
        Join({Str("clip"), Rec(kGetVariable),
              Rec(0x94, SwfBitWriter().u16(static_cast<std::uint16_t>(body.size())).take()), body});
    writer.frame({tags::Place(1).character(1).name("clip").tag(),
                  tags::DoAction({with, TraceMember("clip", "_currentframe"),
                                  TraceVariable("_currentframe"), tags::actions::Stop()})});
    writer.frame();
    std::string out;
    swf::Player player(Load(writer), [&out](const std::string& line) { out += line + "\n"; });
    EXPECT_EQ(out, "2\n1\nclip frame 2\n");
}

TEST(ScriptedMovie, RootSizeIsWhatTheMainTimelineShows) {
    // A text field of 100 x 20 pixels at (10, 5) is all the main timeline
    // shows; trace(_root._width); trace(_root._height)
    MovieWriter writer;
    writer.version = 6;
    tags::EditText field;
    field.id = 1;
    field.bounds = {0, 2000, 0, 400};
    field.text = "";
    writer.tag(tags::DefineEditText(field));
    writer.frame(
        {tags::PlaceAt(1, 1, swf::Matrix::translate(200, 100)),
         tags::DoAction({TraceMember("_root", "_width"), TraceMember("_root", "_height")})});
    std::string out;
    swf::Player player(Load(writer), [&out](const std::string& line) { out += line + "\n"; });
    EXPECT_EQ(out, "100\n20\n");
}

TEST(ScriptedMovie, InitializeHandlersRunBeforeAnyFrameScriptReadsThem) {
    // main frame 1: trace(loader.total); then the loader clip is placed with
    // onClipEvent(initialize) { total = 42; }, and its own first frame
    // traces the value too.
    MovieWriter writer;
    writer.version = 6;
    writer.tag(tags::DefineSprite(1, {{tags::DoAction({TraceVariable("total")})}}));
    Bytes handler = Join({Str("total"), Int(42), Rec(kSetVariable), Rec(0)});
    SwfBitWriter events;
    events.u16(0).u32(0x200).u32(0x200).u32(static_cast<std::uint32_t>(handler.size()));
    events.bytes(handler).u32(0);
    writer.frame({tags::DoAction({TraceMember("loader", "total")}),
                  tags::Place(1).character(1).name("loader").clipActions(events.take()).tag()});
    std::string out;
    swf::Player player(Load(writer), [&out](const std::string& line) { out += line + "\n"; });
    EXPECT_EQ(out, "42\n42\n");
}

TEST(ScriptedMovie, AttachedSoundsPlayAndReportTheirEnd) {
    // s = new Sound(); s.attachSound("tone"); s.onSoundComplete = ...;
    // s.start(); trace(s.duration)
    MovieWriter writer;
    writer.version = 6;
    writer.tag(DefineTone(5, 8000, 4410));
    writer.tag(ExportAssets(5, "tone"));
    Bytes complete = Join({Str("complete"), Rec(kTrace), Rec(0)});
    Bytes function = Rec(
        0x9b,
        SwfBitWriter().string("").u16(0).u16(static_cast<std::uint16_t>(complete.size())).take());
    writer.frame(
        {tags::DoAction({NewGlobalSound("s"), CallMethod("s", "attachSound", {Str("tone")}),
                         Join({Str("s"), Rec(kGetVariable), Str("onSoundComplete"), function,
                               complete, Rec(kSetMember)}),
                         CallMethod("s", "start", {}), TraceMember("s", "duration")})});
    writer.frame();
    writer.frame();
    std::string out;
    swf::Player player(Load(writer), [&out](const std::string& line) { out += line + "\n"; });
    EXPECT_EQ(out, "100\n");
    // A tenth of a second: the first frame's sound and part of the second.
    EXPECT_EQ(LoudestOfNextFrame(player), 8000);
    player.advanceFrame();
    EXPECT_EQ(LoudestOfNextFrame(player), 8000);
    EXPECT_EQ(out, "100\n");
    player.advanceFrame();
    EXPECT_EQ(out, "100\ncomplete\n");
    EXPECT_EQ(LoudestOfNextFrame(player), 0);
}

TEST(ScriptedMovie, TheMovieWideSoundSetsTheLevelOfTimelineSounds) {
    // A timeline sound starts; new Sound().setVolume(25) turns it down, and
    // setPan(100) leaves only the right side.
    MovieWriter writer;
    writer.version = 6;
    writer.tag(DefineTone(5, 8000));
    writer.frame({tags::StartSound(5),
                  tags::DoAction({NewGlobalSound("g"), CallMethod("g", "setVolume", {Int(25)})})});
    writer.frame({tags::DoAction({CallMethod("g", "setPan", {Int(100)})})});
    swf::Player player(Load(writer), {});
    EXPECT_EQ(LoudestOfNextFrame(player), 2000);
    player.advanceFrame();
    std::vector<std::int16_t> sound(2 * 3675);
    player.mixAudio(sound);
    EXPECT_EQ(sound[0], 0);
    EXPECT_EQ(sound[1], 2000);
}

TEST(ScriptedMovie, SoundsPastTheVoiceLimitAreDroppedAndTheMoviePlaysOn) {
    // Forty looping sounds start in frame 1; frames 2 and 3 trace.
    MovieWriter writer;
    writer.version = 6;
    std::vector<Bytes> first;
    for (std::uint16_t id = 1; id <= 40; ++id) {
        writer.tag(DefineTone(id, 100, 441));
        first.push_back(tags::StartSound(id, tags::SoundInfo().loops(1000)));
    }
    writer.frame(first);
    writer.frame({tags::DoAction({Join({Str("frame 2"), Rec(kTrace)})})});
    writer.frame({tags::DoAction({Join({Str("frame 3"), Rec(kTrace)})})});
    std::string out;
    swf::Player player(Load(writer), [&out](const std::string& line) { out += line + "\n"; });
    EXPECT_EQ(LoudestOfNextFrame(player), 100 * int(swf::Limits::kMaxVoices));
    player.advanceFrame();
    player.advanceFrame();
    EXPECT_EQ(out, "frame 2\nframe 3\n");
    EXPECT_EQ(player.currentFrame(), 3);
    EXPECT_NE(player.limitsReached().describe().find("sounds at once"), std::string::npos);
}

TEST(ScriptedMovie, AVideoObjectWithoutCodecIsNoDamage) {
    MovieWriter writer;
    writer.tag(tags::DefineVideoStream(1, 0, 160, 120, 0));
    writer.frame({tags::PlaceAt(1, 1)});
    auto movie = Load(writer);
    ASSERT_TRUE(movie);
    EXPECT_EQ(movie->damage(), "");
    swf::Player player(movie, {});
    player.advanceFrame();
}

} // namespace
} // namespace vidorama::test
