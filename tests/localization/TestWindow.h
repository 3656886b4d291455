#pragma once
// A small window with one named control of each kind that a language file can
// reach, its file-save dialog and its language component, beside a program file
// TEST.EXE in a fresh folder whose language file is TEST.lng.
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWidget>

#include <string>

#include "Files.h"
#include "Language.h"
#include "ErrorDisplay.h"
#include "Profile.h"
#include "TestSupport.h"
#include "WidgetAdapter.h"

template <class W>
W* Named(QWidget* parent, const char* name) {
    W* w = new W(parent);
    w->setObjectName(name);
    return w;
}

struct TestWindow {
    TempDir dir;
    QWidget window;
    QGroupBox* GrpBox = Named<QGroupBox>(&window, "GrpBox");
    QLineEdit* Edt = Named<QLineEdit>(GrpBox, "Edt");  // shown inside the group box
    QPushButton* BtnOk = Named<QPushButton>(&window, "BtnOk");
    QToolButton* SBtn = Named<QToolButton>(&window, "SBtn");
    QLabel* Lbl = Named<QLabel>(&window, "Lbl");
    QCheckBox* CB = Named<QCheckBox>(&window, "CB");
    QRadioButton* RadBtn = Named<QRadioButton>(&window, "RadBtn");
    QFrame* Pnl = Named<QFrame>(&window, "Pnl");
    QComboBox* NameCombo = Named<QComboBox>(&window, "NameCombo");
    QPlainTextEdit* QstMemo = Named<QPlainTextEdit>(&window, "QstMemo");
    QListWidget* TopicBox = Named<QListWidget>(&window, "TopicBox");
    QProgressBar* Gauge = Named<QProgressBar>(&window, "Gauge");
    QLabel* Img = Named<QLabel>(&window, "Img");
    TSaveDialog* DlgSave = new TSaveDialog(&window);
    TWindowComponent Self{&window};
    TLanguage Lang{&Self};

    TestWindow() {
        window.setObjectName("FrmTest");
        window.setWindowTitle("Design");
        (new QVBoxLayout(GrpBox))->addWidget(Edt);
        SBtn->setAutoRaise(true);
        NameCombo->setEditable(true);
        TopicBox->setProperty(CheckListProperty, true);
        QPixmap picture(8, 8);
        picture.fill(Qt::red);
        Img->setPixmap(picture);
        DlgSave->setObjectName("DlgSave");
        Lang.SetSeparator(".");
        SetProgramFileName(dir.File("TEST.EXE"));
    }
    ~TestWindow() { SetProgramFileName(""); }

    std::string LangFile() const { return dir.File("TEST.lng"); }
    // Writes the language file: `body` holds the lines, "\n" between them.
    void WriteLang(const std::string& body) const { WriteBytes(LangFile(), body); }
    // The window's language step, run as an event handler; true when it ended without error.
    bool Activate() {
        return RunHandler([this] {
            if (Lang.FindLanguageFile()) Lang.Translate();
        });
    }
};
