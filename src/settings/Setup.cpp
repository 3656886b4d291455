#include "Setup.h"

#include "ui_FrmSetup.h"

#include "About.h"
#include "CodePage.h"
#include "Error.h"
#include "ErrorDisplay.h"
#include "Files.h"
#include "FormSupport.h"
#include "Messages.h"
#include "Seams.h"
#include "StatsExport.h"
#include "Startup.h"
#include "Statistics.h"

#include <QGuiApplication>
#include <QScreen>

TFrmSetup::TFrmSetup(QWidget* parent, const TTopicChoice& topics)
    : QDialog(parent), ui_(std::make_unique<Ui::FrmSetup>()), topics_(topics) {
    ui_->setupUi(this);
    setFont(DialogFont());
    // A dialog box of fixed size, centred on the screen.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(344, 324);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Lang.SetSeparator(".");
    ui_->LblMix->adjustSize();
    ui_->LblStatsPath->adjustSize();

    ui_->Qst->SetAssociate(ui_->QuestCount);
    ui_->Qst->SetMin(3);
    ui_->Qst->SetMax(100);
    ui_->Qst->SetPosition(3);
    for (TUpDown* spin : {ui_->TimeLim, ui_->GlobalTimeLim}) {
        spin->SetAssociate(spin == ui_->TimeLim ? ui_->TimeLimit : ui_->EdtGlobalTimeLim);
        spin->SetMin(5);
        spin->SetMax(120);
        spin->SetPosition(20);
    }

    ui_->BtnOk->setIcon(Glyph("ok"));
    ui_->BtnCancel->setIcon(Glyph("cancel"));
    ui_->BtnAbout->setIcon(Glyph("about"));
    ui_->BtnSave->setIcon(Glyph("save"));
    ui_->SBtnStatsPath->setIcon(Glyph("folder"));
    ui_->BtnShowStats->setIcon(Glyph("table"));
    ui_->BtnClearStats->setIcon(Glyph("clear"));

    dlgSave_ = new TSaveDialog(this);
    dlgSave_->setObjectName(QStringLiteral("DlgSave"));
    dlgSave_->Title = A("Сохранить настройку");
    dlgSave_->Filter = A("Kvizor Quick Start (*.kqs)|*.kqs|Все файлы (*.*)|*.*");
    dlgSave_->DefaultExt = ".kql";

    // The buttons with a modal result close the window after their handler, even
    // when it raised an error.
    connect(ui_->BtnOk, &QPushButton::clicked, this, [this] {
        RunHandler([this] { BtnOkClick(); });
        accept();
    });
    connect(ui_->BtnSave, &QPushButton::clicked, this, [this] {
        RunHandler([this] { BtnSaveClick(); });
        accept();
    });
    connect(ui_->BtnCancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(ui_->BtnAbout, &QPushButton::clicked, this, [this] { RunHandler([this] { BtnAboutClick(); }); });
    connect(ui_->PathEdit, &QLineEdit::textChanged, this, [this] { RunHandler([this] { PathEditChange(); }); });
    connect(ui_->SBtnStatsPath, &QToolButton::clicked, this, [this] { RunHandler([this] { SBtnStatsPathClick(); }); });
    connect(ui_->BtnShowStats, &QPushButton::clicked, this, [this] { RunHandler([this] { BtnShowStatsClick(); }); });
    connect(ui_->BtnClearStats, &QPushButton::clicked, this, [this] { RunHandler([this] { BtnClearStatsClick(); }); });

    RunHandler([this] { FormCreate(); });
}

TFrmSetup::~TFrmSetup() = default;

void TFrmSetup::FormCreate() {
    const TIniFile& ini = *SettingsIni;
    const bool control = Options::Mode(ini);
    ui_->RadBtnContr->setChecked(control);
    ui_->RadBtnTren->setChecked(!control);
    ui_->MixQst->setChecked(Options::MixQst(ini));
    ui_->MixAns->setChecked(Options::MixAns(ini));
    ui_->CBShowRightAns->setChecked(Options::ShowRightAnswers(ini));
    const int timeLimit = Options::TimeLimit(ini);
    ui_->TimeLim->SetPosition(timeLimit);
    ui_->Limit->setChecked(timeLimit > 0);
    const int globalLimit = Options::GlobalTimeLimit(ini);
    ui_->GlobalTimeLim->SetPosition(globalLimit);
    ui_->GlobalLimit->setChecked(globalLimit > 0);
    ui_->Qst->SetPosition(Options::QstLimit(ini));
    // An unchanged text runs no PathEditChange: the buttons keep their state.
    ui_->PathEdit->setText(AnsiToQString(StatsPath));
}

void TFrmSetup::FormActivate() {
    if (Lang.FindLanguageFile()) Lang.Translate();
}

void TFrmSetup::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (IsActivation(event, this)) RunHandler([this] { FormActivate(); });
}

void TFrmSetup::SaveOptions(TIniFile& profile) {
    Options::SetMode(profile, ui_->RadBtnContr->isChecked());
    Options::SetMixQst(profile, ui_->MixQst->isChecked());
    Options::SetMixAns(profile, ui_->MixAns->isChecked());
    Options::SetShowRightAnswers(profile, ui_->CBShowRightAns->isChecked());
    Options::SetTimeLimit(profile, ui_->Limit->isChecked() ? ui_->TimeLim->Position() : 0);
    Options::SetQstLimit(profile, ui_->Qst->Position());
    Options::SetGlobalTimeLimit(profile, ui_->GlobalLimit->isChecked() ? ui_->GlobalTimeLim->Position() : 0);
    StatsPath = AddPathDelimiter(QStringToAnsi(ui_->PathEdit->text()));
    Options::SetUsePath(profile, StatsPath);
}

void TFrmSetup::BtnOkClick() { SaveOptions(*SettingsIni); }

void TFrmSetup::BtnSaveClick() {
    if (!topics_.AnyTopicTicked()) throw Error(Msg(Lang, rsNothingSelected));
    const std::string fileName = dlgSave_->Execute(GetCurrentDir());
    if (fileName.empty()) return;
    TIniFile profile(fileName);
    SaveOptions(profile);
    Options::SetFiles(profile, topics_.TickedFilesText());
}

void TFrmSetup::BtnAboutClick() {
    TFrmAbout about(this);
    about.exec();
    // Back in this window, which activates again and repeats its language step.
    activateWindow();
}

std::string TFrmSetup::StatsFileName() const {
    return AddPathDelimiter(QStringToAnsi(ui_->PathEdit->text())) + StatFileName;
}

void TFrmSetup::PathEditChange() {
    const std::string folder = AddPathDelimiter(QStringToAnsi(ui_->PathEdit->text()));
    ui_->BtnOk->setEnabled(!folder.empty() && SetCurrentDir(folder));
    const bool stats = FileExists(folder + StatFileName);
    ui_->BtnShowStats->setEnabled(stats);
    ui_->BtnClearStats->setEnabled(stats);
}

void TFrmSetup::SBtnStatsPathClick() {
    const std::string chosen = Dialogs().BrowseFolder(Msg(Lang, rsSelectFolder), std::string());
    if (!chosen.empty()) ui_->PathEdit->setText(AnsiToQString(chosen));
}

void TFrmSetup::BtnShowStatsClick() {
    const std::string fileName = StatsFileName();
    try {
        const TStatsSummaryTexts texts{Msg(Lang, rsStatsSummary), Msg(Lang, rsStatsMarkChart), Msg(Lang, rsStatsMark),
                                       Msg(Lang, rsStatsRuns),    Msg(Lang, rsStatsTopic),     Msg(Lang, rsStatsAverage),
                                       Msg(Lang, rsDateFmt)};
        const std::string workbook = ExportStatistics(fileName, TempPath(), texts);
        if (Shell().OpenDocument(workbook)) return;
    } catch (const std::exception&) {
        // Whatever went wrong, the text file itself is shown.
    }
    Shell().OpenDocument(fileName);
}

void TFrmSetup::BtnClearStatsClick() {
    DeleteFileAnsi(StatsFileName());
    PathEditChange();
}
