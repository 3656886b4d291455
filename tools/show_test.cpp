// Opens the test window alone on compiled question files, for a person to try it
// or to take a picture of it. Not installed.
//
//   kvshow [options] FILE.qsz|FILE.QST ...
//     --control          knowledge-check mode (default: trainer mode)
//     --hide-answers     do not show the right answers after a question
//     --time N           seconds per question      --run-time N  minutes per run
//     --count N          questions in knowledge-check mode (default 5)
//     --no-mix           keep the questions and options in file order
//     --choose 0,2       tick these options of the first question
//     --score            then press "Следующий вопрос" once
//     --skip N           answer nothing and go on N questions first
//     --shot FILE.png    save a picture of the window and quit
//     --confirm TEXT     show the confirmation dialog with TEXT instead (with --shot)
//     --login DIR        show the login window of the program folder DIR instead, with
//                        a name typed and the first two topics ticked (with --shot)
//     --size WxH         the window's size for the picture (default: the screen)
#include "CodePage.h"
#include "Error.h"
#include "ErrorDisplay.h"
#include "Files.h"
#include "FormSupport.h"
#include "Confirm.h"
#include "Login.h"
#include "Main.h"
#include "QtDialogs.h"
#include "Quest.h"
#include "Startup.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QLabel>
#include <QPushButton>
#include <QTimer>

#include <cstdio>
#include <cstring>

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QApplication::setApplicationDisplayName(QString::fromUtf8(ApplicationTitleUtf8()));
    InstallFontSubstitutes();
    TQtDialogs dialogs;
    SetDialogs(&dialogs);
    StatsPath = TempPath();

    bool control = false, hide = false, mix = true, score = false;
    int time = 0, runTime = 0, count = 5, skip = 0;
    QString confirm, login;
    std::vector<int> choose;
    QString shot;
    QSize size;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        auto next = [&] { return i + 1 < argc ? argv[++i] : ""; };
        if (!std::strcmp(argv[i], "--control")) control = true;
        else if (!std::strcmp(argv[i], "--hide-answers")) hide = true;
        else if (!std::strcmp(argv[i], "--no-mix")) mix = false;
        else if (!std::strcmp(argv[i], "--score")) score = true;
        else if (!std::strcmp(argv[i], "--time")) time = std::atoi(next());
        else if (!std::strcmp(argv[i], "--run-time")) runTime = std::atoi(next());
        else if (!std::strcmp(argv[i], "--count")) count = std::atoi(next());
        else if (!std::strcmp(argv[i], "--skip")) skip = std::atoi(next());
        else if (!std::strcmp(argv[i], "--confirm")) confirm = QString::fromUtf8(next());
        else if (!std::strcmp(argv[i], "--login")) login = QString::fromUtf8(next());
        else if (!std::strcmp(argv[i], "--choose")) {
            for (const QString& n : QString::fromUtf8(next()).split(',', Qt::SkipEmptyParts)) choose.push_back(n.toInt());
        } else if (!std::strcmp(argv[i], "--shot")) shot = QString::fromUtf8(next());
        else if (!std::strcmp(argv[i], "--size")) {
            QStringList wh = QString::fromUtf8(next()).split('x');
            if (wh.size() == 2) size = QSize(wh[0].toInt(), wh[1].toInt());
        } else files.push_back(FromNativePath(argv[i]));
    }
    if (!login.isEmpty()) {
        SetProgramFileName(FromNativePath((login + "/kvizor2").toStdString()));
        char name[] = "kvizor2";
        char* args[] = {name, nullptr};
        LauncherStartup(1, args);
        TFrmLogin frm;
        frm.show();
        frm.FormActivate();
        frm.findChild<QComboBox*>("NameCombo")->lineEdit()->setText(QString::fromUtf8("Иванов Иван"));
        auto* topics = frm.findChild<QListWidget*>("TopicBox");
        for (int i = 0; i < 2 && i < topics->count(); ++i) topics->item(i)->setCheckState(Qt::Checked);
        QTimer::singleShot(300, [&] {
            frm.grab().save(shot);
            frm.hide();
            QCoreApplication::quit();
        });
        app.exec();
        LauncherShutdown();
        return 0;
    }
    if (!confirm.isEmpty()) {
        TFrmConfirm dlg;
        dlg.show();
        dlg.FormActivate();
        dlg.findChild<QLabel*>("LblConfirm")->setText(confirm);
        QTimer::singleShot(300, [&] {
            dlg.grab().save(shot);
            dlg.close();
        });
        return dlg.exec(), 0;
    }
    if (files.empty()) {
        std::fprintf(stderr, "usage: kvshow [--control] [--hide-answers] [--time N] [--run-time N] [--count N]\n"
                             "              [--no-mix] [--choose 0,2] [--score] [--shot FILE.png] [--size WxH] FILE...\n");
        return 2;
    }

    auto* frm = new TFrmMain;
    frm->Questions = std::make_unique<TQuestionList>();
    for (std::string file : files) {
        try {
            if (AnsiUpperChar(file.back()) == 'T') {
                TCompiler(file, ChangeFileExt(file, ".log"), 3);
                file = CompiledFileName(file);
            }
            LoadCompiledFile(*frm->Questions, file);
        } catch (const Error&) {
            // every reading ends with an error; the questions read before stay
        }
    }
    frm->ControlMode = control;
    frm->MixQuestions = mix;
    frm->MixAnswers = mix;
    frm->HideRightAnswers = hide;
    frm->QstTimeLimit = time;
    frm->RunTimeLimit = runTime * 60;
    SeedRandomFromClock();
    if (mix) frm->Questions->Shuffle();
    frm->StudentName = A("Иванов Иван");
    frm->Topics = A("Проба");
    const int loaded = frm->Questions->QuestionCount();
    frm->QstCount = control && loaded > count ? count : loaded;
    frm->SetupGauges();

    if (!shot.isEmpty()) {
        QTimer::singleShot(300, [&] {
            while (frm->NextIndex < skip + 1 && !frm->Finished) frm->NextQstClick();
            for (int row : choose)
                if (size_t(row) < frm->RowParts().size()) frm->ToggleOption(row);
            if (score) frm->findChild<QPushButton*>("NextQst")->click();
            frm->RefreshClock();
            QTimer::singleShot(100, [&] {
                frm->grab().save(shot);
                std::printf("%s\n", shot.toUtf8().constData());
                frm->Finished = true;
                frm->close();
            });
        });
        if (size.isValid()) {
            QTimer::singleShot(0, [&] {
                frm->setWindowState(Qt::WindowNoState);
                frm->resize(size);
            });
        }
    }
    frm->exec();
    delete frm;
    SetDialogs(nullptr);
    return 0;
}
