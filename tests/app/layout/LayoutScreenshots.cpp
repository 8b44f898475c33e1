// Draws the main window's pieces and the settings dialog on the real display
// and saves what the screen shows, for a person to look over: the window at
// start, the window with a movie open, and the settings dialog on each page.
// Run it under Xvfb with screenshots.sh.

#include "ListEncoder.h"
#include "RecordingMessageBoxes.h"
#include "app/layout/MainWindowLayout.h"
#include "controls/CDlgCtrl.h"
#include "settings/CDlgConf.h"

#include <QApplication>
#include <QDir>
#include <QPainter>
#include <QScreen>
#include <QTabWidget>
#include <QTest>
#include <cstdio>

namespace vidorama {
namespace {

// A stand-in main window: the real layout and control bar, and a plain
// picture where the movie would play.
class ShotWindow : public QWidget {
public:
    ShotWindow() : bar(new CDlgCtrl(this)), movie(new QWidget(this)), layout(*this, *bar, movie) {
        setWindowTitle(QStringLiteral("Vidorama"));
        movie->setAutoFillBackground(true);
        movie->setPalette(QPalette(QColor(250, 220, 120)));
        movie->hide();
    }

    CDlgCtrl* bar;
    QWidget* movie;
    MainWindowLayout layout;
    bool movieOpen = false;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter painter(this);
        layout.Paint(painter, movieOpen);
    }
};

bool Save(QWidget& widget, const QDir& folder, const char* name) {
    QTest::qWait(200);
    QScreen* screen = widget.screen();
    QPixmap shot =
        screen ? screen->grabWindow(0, widget.frameGeometry().x(), widget.frameGeometry().y(),
                                    widget.frameGeometry().width(), widget.frameGeometry().height())
               : widget.grab();
    bool ok = shot.save(folder.filePath(QString::fromLatin1(name)));
    std::printf("%s %s\n", ok ? "saved" : "FAILED", name);
    return ok;
}

bool ShootWindow(const QDir& folder) {
    ShotWindow window;
    window.move(40, 40);
    window.layout.ShowStartupPicture();
    window.show();
    bool ok = Save(window, folder, "window-start.png");
    window.movieOpen = true;
    window.movie->show();
    window.bar->SetRange(120);
    window.bar->SetPos(30);
    window.bar->SetControlText(CDlgCtrl::kFrameCounter, QStringLiteral("30 / 120"));
    window.layout.FitWindowToMovie({320, 240}, true);
    ok = Save(window, folder, "window-movie.png") && ok;
    return ok;
}

bool ShootDialog(const QDir& folder, int outputKind, const char* name) {
    test::ListEncoder encoder;
    encoder.codecs = {"Cinepak Codec by Radius", "MainConcept DV Codec", "XviD MPEG-4 Codec"};
    encoder.wmvProfiles = {"Windows Media Video 9 for Broadband (NTSC, 1400 Kbps)"};
    encoder.rmProfiles = {"RealVideo 10 for LAN (768 Kbps)"};
    test::RecordingMessageBoxes boxes;
    ConversionSettings settings;
    settings.outputFolder = "/home/user/Videos/";
    settings.outputKind = outputKind;
    CDlgConf dialog(nullptr, encoder, settings, 1280, 900, boxes);
    dialog.move(40, 40);
    dialog.show();
    if (outputKind == ConversionSettings::kMpeg)
        dialog.TabControl()->setCurrentIndex(1);
    return Save(dialog, folder, name);
}

} // namespace
} // namespace vidorama

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QDir folder(argc > 1 ? QString::fromLocal8Bit(argv[1]) : QDir::currentPath());
    folder.mkpath(QStringLiteral("."));
    using vidorama::ConversionSettings;
    bool ok = vidorama::ShootWindow(folder);
    ok = vidorama::ShootDialog(folder, ConversionSettings::kAvi, "settings-avi.png") && ok;
    ok = vidorama::ShootDialog(folder, ConversionSettings::kMpeg, "settings-mpeg.png") && ok;
    ok = vidorama::ShootDialog(folder, ConversionSettings::kWmv, "settings-wmv.png") && ok;
    ok = vidorama::ShootDialog(folder, ConversionSettings::kRm, "settings-rm.png") && ok;
    return ok ? 0 : 1;
}
