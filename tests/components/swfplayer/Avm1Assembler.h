// A tiny assembler for ActionScript 1/2 action records, and a player that
// runs them frame by frame, for tests of the interpreter.
#pragma once

#include "SwfWriter.h"
#include "movie/Movie.h"
#include "player/Player.h"

#include <bit>
#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace vidorama::test {

// A tiny assembler for action records.
namespace as {
inline Bytes Op(std::uint8_t code) {
    return {code};
}
inline Bytes Push(std::uint8_t type, const Bytes& payload) {
    SwfBitWriter w;
    w.u8(0x96).u16(static_cast<std::uint16_t>(payload.size() + 1)).u8(type).bytes(payload);
    return w.take();
}
inline Bytes Str(const std::string& s) {
    return Push(0, SwfBitWriter().string(s).take());
}
inline Bytes Num(double n) {
    auto bits = std::bit_cast<std::uint64_t>(n);
    return Push(6, SwfBitWriter()
                       .u32(static_cast<std::uint32_t>(bits >> 32))
                       .u32(static_cast<std::uint32_t>(bits))
                       .take());
}
inline Bytes Undefined() {
    return Push(3, {});
}
inline Bytes Reg(std::uint8_t r) {
    return Push(4, {r});
}
inline Bytes Branch(std::uint8_t code, std::int16_t offset) {
    return SwfBitWriter().u8(code).u16(2).u16(static_cast<std::uint16_t>(offset)).take();
}
inline Bytes Trace() {
    return Op(0x26);
}
// function name(params in registers 1..n) { body }, with DefineFunction2.
inline Bytes Function2(const std::string& name, int params, const Bytes& body) {
    SwfBitWriter header;
    header.string(name).u16(static_cast<std::uint16_t>(params)).u8(8).u16(0);
    for (int i = 0; i < params; ++i)
        header.u8(static_cast<std::uint8_t>(i + 1)).string("p" + std::to_string(i));
    header.u16(static_cast<std::uint16_t>(body.size()));
    Bytes head = header.take();
    SwfBitWriter w;
    w.u8(0x8e).u16(static_cast<std::uint16_t>(head.size())).bytes(head).bytes(body);
    return w.take();
}
// try { tryBody } catch (catchName) { catchBody } finally { finallyBody };
// an empty catch name leaves the catch out, an empty finally body the finally.
inline Bytes Try(const std::string& catchName, const Bytes& tryBody, const Bytes& catchBody,
                 const Bytes& finallyBody) {
    std::uint8_t flags =
        static_cast<std::uint8_t>((catchName.empty() ? 0 : 1) | (finallyBody.empty() ? 0 : 2));
    SwfBitWriter header;
    header.u8(flags)
        .u16(static_cast<std::uint16_t>(tryBody.size()))
        .u16(static_cast<std::uint16_t>(catchBody.size()))
        .u16(static_cast<std::uint16_t>(finallyBody.size()))
        .string(catchName);
    Bytes head = header.take();
    SwfBitWriter w;
    w.u8(0x8f).u16(static_cast<std::uint16_t>(head.size())).bytes(head);
    w.bytes(tryBody).bytes(catchBody).bytes(finallyBody);
    return w.take();
}
// gotoAndStop / gotoAndPlay on the value on the stack.
inline Bytes GotoFrame2(bool play) {
    return {0x9f, 1, 0, static_cast<std::uint8_t>(play ? 1 : 0)};
}
inline Bytes Join(const std::vector<Bytes>& parts) {
    Bytes all;
    for (const auto& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}
} // namespace as

// Runs a movie whose frames hold the given action blocks; returns the trace.
inline std::string TraceOf(int version, const std::vector<Bytes>& frames, int extraFrames = 0) {
    MovieWriter writer;
    writer.version = static_cast<std::uint8_t>(version);
    for (const Bytes& code : frames)
        writer.frame({tags::DoAction({code})});
    for (int i = 0; i < extraFrames; ++i)
        writer.frame();
    auto movie = swf::Movie::load(writer.bytes());
    EXPECT_TRUE(movie.ok());
    std::string out;
    swf::Player player(movie.value(), [&out](const std::string& line) { out += line + "\n"; });
    for (std::size_t i = 1; i < frames.size(); ++i)
        player.advanceFrame();
    return out;
}

} // namespace vidorama::test
