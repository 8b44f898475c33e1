#pragma once

#include "vidorama/flash/FlashControl.h"
#include "vidorama/waveout/WaveOut.h"

#include <QImage>
#include <string>
#include <vector>

namespace vidorama::test {

// A player that plays nothing: it answers the automation members from plain
// fields and records every call, so tests can check what the host asked.
class FakeFlashControl final : public flash::IFlashControl {
public:
    // Like the real player, it imports its two wave-out functions.
    FakeFlashControl() {
        imports.Add("WINMM.DLL", "waveOutOpen", reinterpret_cast<void*>(&::waveOutOpen));
        imports.Add("WINMM.DLL", "waveOutWrite", reinterpret_cast<void*>(&::waveOutWrite));
    }

    struct Call {
        flash::DispId id;
        flash::InvokeKind kind;
        std::vector<flash::Variant> args;
    };

    flash::Variant Invoke(flash::DispId id, flash::InvokeKind kind,
                          std::span<const flash::Variant> args) override {
        calls.push_back({id, kind, {args.begin(), args.end()}});
        auto intArg = [&] {
            return args.empty() ? 0 : std::get<std::int32_t>(args[0]);
        };
        auto boolArg = [&] {
            return !args.empty() && std::get<bool>(args[0]);
        };
        using flash::DispId;
        switch (id) {
        case DispId::TotalFrames:
            return totalFrames;
        case DispId::CurrentFrame:
            return currentFrame;
        case DispId::FrameNum:
            if (kind == flash::InvokeKind::PropertyPut)
                currentFrame = intArg();
            return currentFrame;
        case DispId::ScaleMode:
            if (kind == flash::InvokeKind::PropertyPut)
                scaleMode = intArg();
            return scaleMode;
        case DispId::IsPlaying:
            return playing;
        case DispId::Playing:
            playing = boolArg();
            return {};
        case DispId::Play:
            playing = true;
            return {};
        case DispId::Stop:
        case DispId::StopPlay:
            playing = false;
            return {};
        case DispId::GotoFrame:
            currentFrame = intArg();
            return {};
        case DispId::LoadMovie:
            loadedUrl = std::get<std::string>(args[1]);
            return {};
        default:
            return {};
        }
    }

    void Paint(QImage& target) override { target.fill(Qt::blue); }
    void SetRepaintRequest(std::function<void()>) override {}
    flash::ImportTable& Imports() override { return imports; }

    std::size_t CountCalls(flash::DispId id) const {
        std::size_t n = 0;
        for (const Call& call : calls)
            n += call.id == id;
        return n;
    }

    std::vector<Call> calls;
    std::int32_t totalFrames = 0;
    std::int32_t currentFrame = 0;
    std::int32_t scaleMode = 0;
    bool playing = false;
    std::string loadedUrl;
    flash::ImportTable imports;
};

} // namespace vidorama::test
