// Shows the real main window with the real player and encoder on the display
// and saves what the screen shows, for a person to look over: the window at
// start, with a movie playing, and the settings dialog on each page. Run it
// under Xvfb with screenshots.sh.

#include "SwfWriter.h"
#include "TempDir.h"
#include "app/AppEnvironment.h"
#include "app/CReelcapDlg.h"
#include "app/QtMessageBoxes.h"
#include "encode/EncoderComponent.h"
#include "flash/FindFlashModule.h"
#include "settings/CDlgConf.h"
#include "vidorama/encoder/IVideoEncoder.h"
#include "vidorama/flash/FlashControl.h"

#include <QApplication>
#include <QDir>
#include <QScreen>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <cstdio>

namespace vidorama::test {
namespace {

bool Save(QWidget& widget, const QDir& folder, const char* name) {
    QTest::qWait(300);
    QRect frame = widget.frameGeometry();
    QPixmap shot =
        widget.screen()->grabWindow(0, frame.x(), frame.y(), frame.width(), frame.height());
    bool ok = shot.save(folder.filePath(QString::fromLatin1(name)));
    std::printf("%s %s\n", ok ? "saved" : "FAILED", name);
    return ok;
}

// A 400 x 300 movie with a gradient sky and a square crossing it.
QString WriteMovie(const QString& path) {
    MovieWriter movie;
    movie.frameRect = {0, 8000, 0, 6000};
    movie.frameRate = 12;
    movie.tag(tags::SetBackgroundColor({40, 90, 160, 255}));
    movie.tag(tags::DefineRectShape(1, {0, 8000, 3600, 6000}, {90, 160, 70, 255}));
    movie.tag(tags::DefineRectShape(2, {0, 1200, 0, 1200}, {240, 200, 40, 255}));
    for (int f = 0; f < 48; ++f) {
        swf::Matrix at = swf::Matrix::translate(200 + f * 140.0, 2000);
        movie.frame({f == 0 ? tags::Place(1).character(1).tag() : Bytes{},
                     f == 0 ? tags::Place(2).character(2).matrix(at).tag()
                            : tags::Place(2).move().matrix(at).tag()});
    }
    WriteWholeFile(path.toStdString(), movie.bytes());
    return path;
}

bool ShootSettings(CReelcapDlg& window, const QDir& folder, int page, const char* name) {
    QtMessageBoxes boxes;
    CDlgConf dialog(&window, *window.encoder, window.settings, window.maxMovieWidth,
                    window.maxMovieHeight, boxes);
    dialog.move(60, 60);
    dialog.show();
    dialog.TabControl()->setCurrentIndex(page);
    return Save(dialog, folder, name);
}

int Run(const QDir& folder) {
    QTemporaryDir home;
    QtMessageBoxes boxes;
    AppEnvironment env = MakeSystemEnvironment(boxes);
    QString modules = QStringLiteral(VIDORAMA_MODULE_DIR_FOR_TESTS);
    env.createEncoder = [modules] {
        return CreateEncoderComponent(modules);
    };
    env.createFlashControl = [modules] {
        return CreateFlashControl(modules);
    };
    env.findFlashModule = [modules] {
        return FindFlashModule(modules);
    };
    env.configDirectory = home.path();
    env.logPath = home.filePath("vidorama.log");
    env.documentsDirectory = home.path();
    env.runtimeDirectory = home.filePath("runtime");

    CReelcapDlg window(env);
    if (!window.InitDialog())
        return 1;
    window.move(40, 40);
    window.show();
    bool ok = Save(window, folder, "window-start.png");
    window.OnDropFiles({WriteMovie(home.filePath("sample.swf"))});
    QTest::keyClick(&window, Qt::Key_Escape); // must not close it
    QTest::qWait(900);                        // the movie plays a while
    ok = Save(window, folder, "window-movie.png") && ok;
    const char* names[] = {"settings-avi.png", "settings-mpeg.png", "settings-wmv.png",
                           "settings-rm.png"};
    for (int page = 0; page < CDlgConf::kPageCount; ++page)
        ok = ShootSettings(window, folder, page, names[page]) && ok;
    window.close();
    return ok ? 0 : 1;
}

} // namespace
} // namespace vidorama::test

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setApplicationName(QStringLiteral("vidorama"));
    QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    folder.mkpath(QStringLiteral("."));
    return vidorama::test::Run(folder);
}
