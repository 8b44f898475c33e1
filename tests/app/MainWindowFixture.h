#pragma once

#include "FakeFlashControl.h"
#include "FakeVideoEncoder.h"
#include "RecordingMessageBoxes.h"
#include "app/AppEnvironment.h"
#include "app/CReelcapDlg.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <memory>

namespace vidorama::test {

// Thrown by the stand-in for ending the process, so a test can see how the
// program would have ended.
struct ProcessEnded {
    int exitCode;
    ProcessEnd how;
};

// A main window built on stand-ins: recorded message boxes, a fake player and
// a fake encoder, folders of its own.
class MainWindowTest : public ::testing::Test {
protected:
    AppEnvironment MakeEnvironment() {
        AppEnvironment env;
        env.messages = &boxes;
        env.createEncoder = [this]() -> std::unique_ptr<encoder::IVideoEncoder> {
            if (!encoderInstalled)
                return nullptr;
            auto fake = std::make_unique<FakeVideoEncoder>();
            encoder = fake.get();
            return fake;
        };
        env.findFlashModule = [this] {
            return flashInstalled ? std::string("libvidorama-flash.so") : std::string();
        };
        env.createFlashControl = [this]() -> std::unique_ptr<flash::IFlashControl> {
            auto fake = std::make_unique<FakeFlashControl>();
            player = fake.get();
            return fake;
        };
        env.chooseMovieFile = [this](QWidget*) {
            return chosenFile;
        };
        env.configDirectory = dir.path();
        env.logPath = dir.filePath("vidorama.log");
        env.documentsDirectory = dir.path();
        env.runtimeDirectory = dir.filePath("runtime");
        env.endProcess = [](int code, ProcessEnd how) {
            throw ProcessEnded{code, how};
        };
        return env;
    }

    // Builds and sets up the window; false when set-up ended it.
    bool Open() {
        window = std::make_unique<CReelcapDlg>(MakeEnvironment());
        return window->InitDialog();
    }

    QTemporaryDir dir;
    RecordingMessageBoxes boxes;
    bool encoderInstalled = true;
    bool flashInstalled = true;
    QString chosenFile;
    FakeVideoEncoder* encoder = nullptr;
    FakeFlashControl* player = nullptr;
    std::unique_ptr<CReelcapDlg> window;
};

} // namespace vidorama::test
