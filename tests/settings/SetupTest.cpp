// The settings window and its statistics group, driven as a person would.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>

#include "About.h"
#include "CodePage.h"
#include "Files.h"
#include "Messages.h"
#include "Setup.h"
#include "Startup.h"
#include "TestSupport.h"
#include "UpDown.h"
#include "WorkbookReader.h"

namespace {

class FakeTopics : public TTopicChoice {
public:
    bool ticked = true;
    std::string files = "ALGEBRA.QST,\"MY TOPIC.QST\"";
    bool AnyTopicTicked() const override { return ticked; }
    std::string TickedFilesText() const override { return files; }
};

class SetupTest : public ::testing::Test {
protected:
    void SetUp() override {
        cwd = GetCurrentDir();
        SetProgramFileName(dir.File("kvizor2"));
        SettingsIni = std::make_unique<TIniFile>(Settings());
        StatsPath = dir.Path();
    }
    void TearDown() override {
        SetCurrentDir(cwd);
        SettingsIni.reset();
        StatsPath.clear();
        SetProgramFileName("");
    }
    std::string Settings() const { return dir.File("kvizor2.ini"); }
    void WriteSettings(const std::string& body) const { WriteBytes(Settings(), body); }

    TFrmSetup& Open() {
        frm = std::make_unique<TFrmSetup>(nullptr, topics);
        frm->show();
        return *frm;
    }
    template <class W = QWidget>
    W* Get(const char* name) const {
        W* w = frm->findChild<W*>(name);
        if (!w) ADD_FAILURE() << "no control " << name;
        return w;
    }
    QString Text(const char* edit) const { return Get<QLineEdit>(edit)->text(); }
    bool Ticked(const char* box) const { return Get<QAbstractButton>(box)->isChecked(); }
    void Click(const char* button) const { QTest::mouseClick(Get<QAbstractButton>(button), Qt::LeftButton); }
    std::string Option(const char* key, const std::string& file = {}) const {
        return TIniFile(file.empty() ? Settings() : file).ReadString("Options", key, "<none>");
    }
    bool Closed() const { return !frm->isVisible(); }
    // Makes the window the active one, as a person who clicks into it.
    void Activate(QWidget* w) const {
        w->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(w));
    }

    TempDir dir;
    std::string cwd;
    FakeDialogs dialogs;
    FakeShell shell;
    FakeTopics topics;
    std::unique_ptr<TFrmSetup> frm;
};

// One key press that types `c`, Cyrillic letters included.
void TypeChar(QWidget* w, QChar c) {
    QKeyEvent press(QEvent::KeyPress, 0, Qt::NoModifier, QString(c));
    QKeyEvent release(QEvent::KeyRelease, 0, Qt::NoModifier, QString(c));
    QApplication::sendEvent(w, &press);
    QApplication::sendEvent(w, &release);
}

struct Place {
    const char* name;
    const char* parent;
    QRect rect;
    const char* caption;  // UTF-8; null for none
};

TEST_F(SetupTest, LayoutNamesPositionsAndCaptions) {
    TFrmSetup& f = Open();
    EXPECT_EQ(f.objectName(), "FrmSetup");
    EXPECT_EQ(f.windowTitle(), QString::fromUtf8("Настройка"));
    EXPECT_EQ(f.size(), QSize(344, 324));
    EXPECT_EQ(f.minimumSize(), f.maximumSize());
    const Place places[] = {
        {"GrpBoxMode", "FrmSetup", {8, 8, 329, 68}, " Режим работы "},
        {"RadBtnTren", "FrmSetup", {19, 26, 305, 17}, "Тренажер (задаются все вопросы по выбраным темам)"},
        {"RadBtnContr", "FrmSetup", {19, 48, 222, 17}, "Контроль знаний          Задать не более"},
        {"QuestCount", "FrmSetup", {250, 46, 59, 21}, nullptr},
        {"Qst", "FrmSetup", {309, 46, 12, 21}, nullptr},
        {"GrpBoxOtherSettings", "FrmSetup", {8, 82, 329, 123}, " Остальные параметры "},
        {"MixQst", "GrpBoxOtherSettings", {108, 22, 70, 17}, "Вопросы"},
        {"MixAns", "GrpBoxOtherSettings", {204, 22, 113, 17}, "Варианты ответов"},
        {"Limit", "GrpBoxOtherSettings", {13, 48, 252, 17}, "Ограничить время ответа на вопрос до (сек)"},
        {"TimeLimit", "GrpBoxOtherSettings", {266, 46, 39, 21}, nullptr},
        {"TimeLim", "GrpBoxOtherSettings", {305, 46, 12, 21}, nullptr},
        {"GlobalLimit", "GrpBoxOtherSettings", {13, 74, 252, 17}, "Ограничить общее время работы до (мин)"},
        {"EdtGlobalTimeLim", "GrpBoxOtherSettings", {266, 71, 39, 21}, nullptr},
        {"GlobalTimeLim", "GrpBoxOtherSettings", {305, 71, 12, 21}, nullptr},
        {"CBShowRightAns", "GrpBoxOtherSettings", {13, 98, 308, 17}, "Показывать правильные варианты ответов"},
        {"GrpBoxStats", "FrmSetup", {8, 206, 329, 77}, " Статистика "},
        {"PathEdit", "GrpBoxStats", {84, 20, 206, 21}, nullptr},
        {"SBtnStatsPath", "GrpBoxStats", {291, 21, 25, 20}, nullptr},
        {"BtnShowStats", "GrpBoxStats", {84, 46, 145, 25}, "Показать статистику"},
        {"BtnClearStats", "GrpBoxStats", {235, 46, 81, 25}, "Очистить"},
        {"BtnOk", "FrmSetup", {205, 290, 56, 25}, "OK"},
        {"BtnCancel", "FrmSetup", {263, 290, 75, 25}, "Отмена"},
        {"BtnAbout", "FrmSetup", {8, 290, 108, 25}, "О программе..."},
        {"BtnSave", "FrmSetup", {118, 290, 85, 25}, "Записать"},
    };
    for (const Place& p : places) {
        SCOPED_TRACE(p.name);
        QWidget* w = Get(p.name);
        ASSERT_TRUE(w);
        EXPECT_EQ(w->parentWidget()->objectName(), p.parent);
        EXPECT_EQ(w->geometry(), p.rect);
        if (auto* b = qobject_cast<QAbstractButton*>(w); b && p.caption) EXPECT_EQ(b->text(), QString::fromUtf8(p.caption));
        if (auto* g = qobject_cast<QGroupBox*>(w)) EXPECT_EQ(g->title(), QString::fromUtf8(p.caption));
    }
    EXPECT_EQ(Get<QLabel>("LblMix")->pos(), QPoint(12, 23));
    EXPECT_EQ(Get<QLabel>("LblStatsPath")->pos(), QPoint(12, 23));
    EXPECT_EQ(Get<QLabel>("LblStatsPath")->text(), QString::fromUtf8("Путь к файлу:"));
    EXPECT_TRUE(Get<QPushButton>("BtnOk")->isDefault());
    EXPECT_FALSE(Get<QPushButton>("BtnOk")->icon().isNull());
    EXPECT_EQ(Get<QToolButton>("SBtnStatsPath")->focusPolicy(), Qt::NoFocus);
    EXPECT_EQ(f.DlgSave()->objectName(), "DlgSave");
    EXPECT_EQ(f.DlgSave()->Title, A("Сохранить настройку"));
    EXPECT_EQ(f.DlgSave()->Filter, A("Kvizor Quick Start (*.kqs)|*.kqs|Все файлы (*.*)|*.*"));
    EXPECT_EQ(f.DlgSave()->DefaultExt, ".kql");
}

TEST_F(SetupTest, RadioButtonsAreOneGroupAndNothingEnablesAnother) {
    Open();
    Click("RadBtnContr");
    EXPECT_TRUE(Ticked("RadBtnContr"));
    EXPECT_FALSE(Ticked("RadBtnTren"));
    Click("RadBtnTren");
    EXPECT_FALSE(Ticked("RadBtnContr"));
    for (const char* box : {"Limit", "GlobalLimit"}) {
        Click(box);
        Click(box);
    }
    EXPECT_FALSE(Ticked("Limit"));
    for (const char* edit : {"QuestCount", "TimeLimit", "EdtGlobalTimeLim"}) EXPECT_TRUE(Get(edit)->isEnabled()) << edit;
}

TEST_F(SetupTest, SpinButtonsKeepTheirNumberWithinLimits) {
    Open();
    struct { const char* edit; const char* spin; int min, max; } spins[] = {
        {"QuestCount", "Qst", 3, 100}, {"TimeLimit", "TimeLim", 5, 120}, {"EdtGlobalTimeLim", "GlobalTimeLim", 5, 120}};
    for (const auto& s : spins) {
        SCOPED_TRACE(s.spin);
        auto* edit = Get<QLineEdit>(s.edit);
        auto* spin = Get<TUpDown>(s.spin);
        EXPECT_EQ(spin->Min(), s.min);
        EXPECT_EQ(spin->Max(), s.max);
        edit->setFocus();
        edit->selectAll();
        QTest::keyClicks(edit, "999");  // typed: the position follows, within the limits
        EXPECT_EQ(spin->Position(), s.max);
        QTest::mouseClick(spin->UpButton(), Qt::LeftButton);  // no wrap-around
        EXPECT_EQ(edit->text(), QString::number(s.max));
        edit->selectAll();
        QTest::keyClicks(edit, "1");
        EXPECT_EQ(spin->Position(), s.min);
        QTest::keyClick(edit, Qt::Key_Up);
        EXPECT_EQ(edit->text(), QString::number(s.min + 1));
        QTest::mouseClick(spin->DownButton(), Qt::LeftButton);
        QTest::mouseClick(spin->DownButton(), Qt::LeftButton);
        EXPECT_EQ(edit->text(), QString::number(s.min));
        edit->selectAll();
        QTest::keyClicks(edit, "ab");  // not a number: no letter gets in
        EXPECT_EQ(spin->Position(), s.min);
    }
}

TEST_F(SetupTest, LanguageFileReachesEditBoxAndSpinButtonAndRunsAtEveryActivation) {
    WriteBytes(dir.File("kvizor2.lng"), "[FrmSetup]\nCaption=Settings\nQst.Position=42\nQuestCount.Width=50\n"
                                        "TimeLim.Max=60\nDlgSave.Title=Save settings\n");
    TFrmSetup& f = Open();
    Activate(&f);
    EXPECT_EQ(f.windowTitle(), "Settings");
    EXPECT_EQ(Text("QuestCount"), "42");
    EXPECT_EQ(Get("QuestCount")->width(), 50);
    EXPECT_EQ(Get<TUpDown>("TimeLim")->Max(), 60);
    EXPECT_EQ(f.DlgSave()->Title, "Save settings");

    // The about window opens modally over it; once it closes the settings window is
    // active again and translates itself anew.
    WriteBytes(dir.File("kvizor2.lng"), "[FrmSetup]\nCaption=Settings again\n");
    QString shown;
    QTimer::singleShot(0, [&] {
        QWidget* about = QApplication::activeModalWidget();
        if (!about) return;
        shown = about->objectName();
        EXPECT_TRUE(qobject_cast<TFrmAbout*>(about));
        EXPECT_EQ(about->parentWidget(), &f);
        QTest::keyClick(about, Qt::Key_Escape);
    });
    Click("BtnAbout");
    EXPECT_EQ(shown, "FrmAbout");
    EXPECT_FALSE(frm->findChild<TFrmAbout*>());  // released when it closed
    EXPECT_TRUE(QTest::qWaitFor([&] { return f.windowTitle() == "Settings again"; }));
}

TEST_F(SetupTest, WithoutOptionsTheDefaultsShow) {
    Open();
    EXPECT_TRUE(Ticked("RadBtnTren"));
    EXPECT_FALSE(Ticked("RadBtnContr"));
    EXPECT_TRUE(Ticked("MixQst") && Ticked("MixAns") && Ticked("CBShowRightAns"));
    EXPECT_FALSE(Ticked("Limit") || Ticked("GlobalLimit"));
    EXPECT_EQ(Text("TimeLimit"), "5");
    EXPECT_EQ(Text("EdtGlobalTimeLim"), "5");
    EXPECT_EQ(Text("QuestCount"), "5");
    EXPECT_EQ(Text("PathEdit"), AnsiToQString(dir.Path()));
}

TEST_F(SetupTest, StoredOptionsShowClampedAndAreWrittenBackInOrder) {
    WriteSettings("[Options]\nMode=1\nMixQst=0\nMixAns=0\nShowRightAnswers=0\nTimeLimit=30\nGlobalTimeLimit=500\n"
                  "QstLimit=150\n");
    Open();
    EXPECT_TRUE(Ticked("RadBtnContr"));
    EXPECT_FALSE(Ticked("MixQst") || Ticked("MixAns") || Ticked("CBShowRightAns"));
    EXPECT_TRUE(Ticked("Limit"));
    EXPECT_EQ(Text("TimeLimit"), "30");
    EXPECT_TRUE(Ticked("GlobalLimit"));
    EXPECT_EQ(Text("EdtGlobalTimeLim"), "120");
    EXPECT_EQ(Text("QuestCount"), "100");

    Click("Limit");  // unticked: 0 whatever the number shows
    Click("RadBtnTren");
    Click("BtnOk");
    EXPECT_TRUE(Closed());
    EXPECT_EQ(frm->result(), QDialog::Accepted);
    std::string file = ReadBytes(Settings());
    std::erase(file, '\r');
    EXPECT_EQ(file, "[Options]\nMode=0\nMixQst=0\nMixAns=0\nShowRightAnswers=0\nTimeLimit=0\nGlobalTimeLimit=120\n"
                    "QstLimit=100\nUsePath=" + dir.Path() + "\n");
}

TEST_F(SetupTest, OkWritesKeysInTheirOrderIntoANewFile) {
    Open();
    Click("RadBtnContr");
    Click("GlobalLimit");
    Click("BtnOk");
    std::vector<std::string> keys;
    SettingsIni->ReadSection("Options", keys);
    EXPECT_EQ(keys, (std::vector<std::string>{"Mode", "MixQst", "MixAns", "ShowRightAnswers", "TimeLimit", "QstLimit",
                                              "GlobalTimeLimit", "UsePath"}));
    EXPECT_EQ(Option("Mode"), "1");
    EXPECT_EQ(Option("GlobalTimeLimit"), "5");
    EXPECT_EQ(Option("QstLimit"), "5");  // written in either mode
}

TEST_F(SetupTest, EmptyStatisticsFolderLeavesTheButtonsEnabled) {
    StatsPath.clear();
    Open();
    EXPECT_EQ(Text("PathEdit"), "");
    for (const char* b : {"BtnOk", "BtnShowStats", "BtnClearStats"}) EXPECT_TRUE(Get(b)->isEnabled()) << b;
    // Saved, the empty folder stays empty.
    dialogs.saveAnswer = dir.File("quick.kqs");
    Click("BtnSave");
    EXPECT_EQ(Option("UsePath", dialogs.saveAnswer), "");
    EXPECT_EQ(StatsPath, "");
}

TEST_F(SetupTest, FolderWithoutDelimiterIsSavedWithOne) {
    std::filesystem::create_directory(NativePath(dir.File(A("стат"))));
    Open();
    Get<QLineEdit>("PathEdit")->setText(AnsiToQString(dir.File(A("стат"))));
    Click("BtnOk");
    EXPECT_EQ(Option("UsePath"), dir.File(A("стат")) + PathDelim);
    EXPECT_EQ(StatsPath, dir.File(A("стат")) + PathDelim);
}

TEST_F(SetupTest, CancelEscapeAndTheCloseBoxWriteNothing) {
    for (int way = 0; way < 3; ++way) {
        SCOPED_TRACE(way);
        Open();
        Click("RadBtnContr");
        Get<QLineEdit>("PathEdit")->setText(AnsiToQString(dir.Path() + "x"));
        if (way == 0) Click("BtnCancel");
        else if (way == 1) QTest::keyClick(frm.get(), Qt::Key_Escape);
        else frm->close();
        EXPECT_TRUE(Closed());
        EXPECT_EQ(frm->result(), QDialog::Rejected);
        EXPECT_FALSE(FileExists(Settings()));
        EXPECT_EQ(StatsPath, dir.Path());
    }
}

TEST_F(SetupTest, FailedWriteIsShownAndOkStillCloses) {
    SettingsIni = std::make_unique<TIniFile>(dir.File("no/such/kvizor2.ini"));
    Open();
    Click("BtnOk");
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], "Unable to write to " + dir.File("no/such/kvizor2.ini"));
    EXPECT_TRUE(Closed());
    EXPECT_EQ(StatsPath, dir.Path());  // the write of Mode failed before the folder was taken
}

TEST_F(SetupTest, SaveWithNothingTickedShowsTheErrorAndCloses) {
    topics.ticked = false;
    dialogs.saveAnswer = dir.File("quick.kqs");
    Open();
    Click("BtnSave");
    EXPECT_EQ(dialogs.errors, (std::vector<std::string>{rsNothingSelected.Text()}));
    EXPECT_TRUE(Closed());
    EXPECT_EQ(frm->result(), QDialog::Accepted);
    EXPECT_FALSE(FileExists(dialogs.saveAnswer));
    EXPECT_FALSE(FileExists(Settings()));
}

TEST_F(SetupTest, QuickStartFileKeepsTheOtherSectionsOfAnExistingFile) {
    const std::string quick = dir.File("class7.kqs");
    WriteBytes(quick, "[Families]\r\nCount=1\r\n1=Ann\r\n[Options]\r\nMode=1\r\nOwn=kept\r\n[School]\r\nName=7b\r\n");
    std::filesystem::create_directory(NativePath(dir.File("stats")));
    dialogs.saveAnswer = quick;
    Open();
    Get<QLineEdit>("PathEdit")->setText(AnsiToQString(dir.File("stats")));
    Click("BtnSave");
    EXPECT_TRUE(Closed());
    EXPECT_EQ(frm->result(), QDialog::Accepted);
    const TIniFile q(quick);
    EXPECT_EQ(q.ReadString("Families", "1", ""), "Ann");
    EXPECT_EQ(q.ReadString("School", "Name", ""), "7b");
    EXPECT_EQ(Option("Own", quick), "kept");
    EXPECT_EQ(Option("Mode", quick), "0");
    EXPECT_EQ(Option("Files", quick), "ALGEBRA.QST,\"MY TOPIC.QST\"");
    EXPECT_EQ(Option("UsePath", quick), dir.File("stats/"));
    EXPECT_EQ(StatsPath, dir.File("stats/"));  // the running program takes the folder
    EXPECT_FALSE(FileExists(Settings()));       // the settings file is not written
}

TEST_F(SetupTest, CancelledSaveDialogWritesNothing) {
    Open();
    Click("BtnSave");
    EXPECT_TRUE(Closed());
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_FALSE(FileExists(Settings()));
    EXPECT_EQ(StatsPath, dir.Path());
}

TEST_F(SetupTest, TypingAFolderFollowsEveryPrefix) {
    const std::string stats = dir.File(A("стат"));
    std::filesystem::create_directory(NativePath(dir.File(A("ст"))));
    std::filesystem::create_directory(NativePath(stats));
    WriteBytes(stats + "/STAT_KV2.TXT", "header\r\n");
    Open();
    auto* path = Get<QLineEdit>("PathEdit");
    path->clear();
    path->setFocus();
    std::string lastExisting = GetCurrentDir();
    const QString typed = AnsiToQString(stats);
    for (int i = 1; i <= typed.size(); ++i) {
        TypeChar(path, typed[i - 1]);
        const std::string prefix = QStringToAnsi(typed.left(i));
        SCOPED_TRACE(prefix);
        const bool exists = DirectoryExists(prefix);
        if (exists) lastExisting = ExpandFileName(prefix);
        EXPECT_EQ(Get("BtnOk")->isEnabled(), exists);
        EXPECT_TRUE(std::filesystem::equivalent(std::filesystem::current_path(), NativePath(lastExisting)));
        const bool file = FileExists(AddPathDelimiter(prefix) + "STAT_KV2.TXT");
        EXPECT_EQ(Get("BtnShowStats")->isEnabled(), file);
        EXPECT_EQ(Get("BtnClearStats")->isEnabled(), file);
    }
    EXPECT_TRUE(Get("BtnShowStats")->isEnabled());
    EXPECT_EQ(frm->StatsFileName(), stats + PathDelim + "STAT_KV2.TXT");
    QTest::keyClicks(path, "x");
    for (const char* b : {"BtnOk", "BtnShowStats", "BtnClearStats"}) EXPECT_FALSE(Get(b)->isEnabled()) << b;

    // Emptied: OK is off, show and clear follow the file in the current folder.
    path->selectAll();
    QTest::keyClick(path, Qt::Key_Backspace);
    EXPECT_FALSE(Get("BtnOk")->isEnabled());
    EXPECT_TRUE(Get("BtnShowStats")->isEnabled());
    EXPECT_EQ(frm->StatsFileName(), "STAT_KV2.TXT");

    // Clearing deletes the file at once, without a question.
    Click("BtnClearStats");
    EXPECT_FALSE(FileExists(stats + "/STAT_KV2.TXT"));
    EXPECT_TRUE(dialogs.questions.empty());
    EXPECT_FALSE(Get("BtnShowStats")->isEnabled());
    EXPECT_FALSE(Get("BtnClearStats")->isEnabled());
}

TEST_F(SetupTest, FolderFromTheBrowserIsSavedWithItsDelimiter) {
    const std::string chosen = dir.File("chosen");
    std::filesystem::create_directory(NativePath(chosen));
    Open();
    Click("SBtnStatsPath");  // cancelled: nothing changes
    EXPECT_EQ(Text("PathEdit"), AnsiToQString(dir.Path()));
    dialogs.folderAnswer = chosen;
    Click("SBtnStatsPath");
    EXPECT_EQ(Text("PathEdit"), AnsiToQString(chosen));
    EXPECT_TRUE(Get("BtnOk")->isEnabled());
    Click("BtnOk");
    EXPECT_EQ(Option("UsePath"), chosen + PathDelim);
}

TEST_F(SetupTest, ShowOpensTheWorkbookOrElseTheTextFile) {
    WriteBytes(dir.File("STAT_KV2.TXT"), A("Фамилия |Баллов\r\nАнна|7,50\r\n"));
    Open();
    ASSERT_TRUE(Get("BtnShowStats")->isEnabled());
    Click("BtnShowStats");
    ASSERT_EQ(shell.opened.size(), 1u);
    const std::string book = shell.opened[0];
    EXPECT_EQ(ExtractFilePath(book), TempPath());
    EXPECT_EQ(ExtractFileExt(book), ".xlsx");
    TReadWorkbook wb;
    ASSERT_EQ(ReadWorkbook(book, wb), "");
    EXPECT_EQ(wb.Sheets.at(0).At("A2").Value, "Анна");
    EXPECT_EQ(wb.Sheets.at(1).Name, "Итоги");

    // No application for the workbook: the text file opens instead, and no error shows.
    shell.opened.clear();
    shell.fails = {book};
    Click("BtnShowStats");
    EXPECT_EQ(shell.opened, (std::vector<std::string>{book, dir.File("STAT_KV2.TXT")}));
    // The file gone meanwhile: the text file is handed to the desktop all the same.
    shell.opened.clear();
    DeleteFileAnsi(dir.File("STAT_KV2.TXT"));
    frm->BtnShowStatsClick();
    EXPECT_EQ(shell.opened, (std::vector<std::string>{dir.File("STAT_KV2.TXT")}));
    EXPECT_TRUE(dialogs.errors.empty());
    std::remove(NativePath(book).c_str());
}

}  // namespace
