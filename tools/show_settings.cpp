// Opens the settings window, or the about window, alone, for a person to try it
// or to take a picture of it. Not installed.
//
//   kvsetup [--about] [--shot FILE.png] [SETTINGS.INI]
//     --about         the about window instead of the settings window
//     --shot FILE     save a picture of the window and quit
// It stands in for kvizor2 in the build's stage folder: the settings file defaults
// to kvizor2.ini there, and the language file is looked for there. Every topic
// counts as ticked.
#include "About.h"
#include "CodePage.h"
#include "ErrorDisplay.h"
#include "Files.h"
#include "FormSupport.h"
#include "QtDialogs.h"
#include "Setup.h"
#include "Startup.h"

#include <QApplication>
#include <QTimer>

#include <cstdio>
#include <cstring>

namespace {
class AllTopics : public TTopicChoice {
public:
    bool AnyTopicTicked() const override { return true; }
    std::string TickedFilesText() const override { return "ALGEBRA.QST,GEOGRAPH.QST"; }
};
}  // namespace

int main(int argc, char** argv) {
    bool about = false;
    QString shot;
    std::vector<char*> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        if (!std::strcmp(argv[i], "--about")) about = true;
        else if (!std::strcmp(argv[i], "--shot") && i + 1 < argc) shot = QString::fromLocal8Bit(argv[++i]);
        else rest.push_back(argv[i]);
    }
    SetProgramFileName(FromNativePath(KV_STAGE_DIR "/kvizor2"));
    LauncherStartup(int(rest.size()), rest.data());
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString::fromUtf8(ApplicationTitleUtf8()));
    InstallFontSubstitutes();
    TQtDialogs dialogs;
    SetDialogs(&dialogs);
    TQtShell shell;
    SetShell(&shell);
    AllTopics topics;

    std::unique_ptr<QDialog> window;
    if (about) window = std::make_unique<TFrmAbout>();
    else window = std::make_unique<TFrmSetup>(nullptr, topics);
    if (!shot.isEmpty()) {
        QTimer::singleShot(300, [&] {
            window->activateWindow();
            QTimer::singleShot(200, [&] {
                window->grab().save(shot);
                std::printf("%s\n", shot.toUtf8().constData());
                window->reject();
            });
        });
    }
    window->exec();
    window.reset();
    SetShell(nullptr);
    SetDialogs(nullptr);
    LauncherShutdown();
    return 0;
}
