// The login window under the offscreen platform: its topic and name lists, its
// rules, and the whole road of a test run driven by keys and clicks.
#include "Login.h"

#include "CodePage.h"
#include "Files.h"
#include "FormSupport.h"
#include "Main.h"
#include "Setup.h"
#include "Profile.h"
#include "Quest.h"
#include "Startup.h"
#include "TestSupport.h"
#include "WindowTesting.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QToolButton>

#include <filesystem>
#include <functional>

#include <gtest/gtest.h>

namespace {

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

// A source of one question whose first option is right.
std::string Source(const std::string& question) {
    return A("Тема\r\n?1\r\n") + question + "\r\n" + A("+верно\r\n-неверно\r\n");
}

TEST(StartRule, NameAndTicks) {
    struct Case {
        const char* name;
        bool ticked, enabled;
    } cases[] = {
        {"Абв Гд", true, true},        // three letters, a space, two letters
        {"Абв Гд", false, false},      // no topic
        {"Аб Гдеж", true, false},      // a two-letter surname never
        {"Иванов", true, false},       // a single word never
        {"Абв Г", true, false},        // five characters
        {"   Абв Гд  ", true, true},   // blanks around do not count
        {"Абвгд  Е", true, true},
        {"\tАбв Гд\r", true, true},
    };
    for (const Case& c : cases) EXPECT_EQ(StartButtonEnabled(A(c.name), c.ticked), c.enabled) << c.name;
}

TEST(NameRule, UpperCaseAtTheStartAndAfterASpace) {
    struct Case {
        const char* text;
        int caret;
        const char* typed;
        bool discard;
        const char* result;
    } cases[] = {
        {"", 0, "и", false, "И"},        {"Иван", 4, "о", false, "о"},  {"Иванов ", 7, "и", false, "И"},
        {"Иванов ", 7, " ", true, " "},  {"Иванов", 0, "п", false, "П"}, {"Ab", 1, "x", false, "x"},
        {"A ", 2, "1", false, "1"},      {"", 0, "ß", false, "ß"},
    };
    for (const Case& c : cases) {
        TNameKey k = NameKeyRule(U(c.text), c.caret, U(c.typed)[0]);
        EXPECT_EQ(k.Discard, c.discard) << c.text;
        if (!c.discard) EXPECT_EQ(QString(k.Char), U(c.result)) << c.text;
    }
}

class LoginTest : public ::testing::Test {
protected:
    void SetUp() override {
        savedDir_ = GetCurrentDir();
        SetProgramFileName(dir.File("kvizor2"));
        WriteBytes(dir.File("WHOISWHO.INI"), A("[Files]\r\nalgebra.qst=Алгебра\r\nPHYSICS.QST=Физика\r\n"));
        WriteBytes(dir.File("ALGEBRA.QST"), Source(A("Сколько будет 2+2?")));
        WriteBytes(dir.File("PHYSICS.QST"), Source(A("Что такое сила?")));
        WriteBytes(dir.File("kvizor2.ini"), "[Options]\r\nMixQst=0\r\nMixAns=0\r\nUsePath=" + stats.Path() + "\r\n");
    }
    void TearDown() override {
        frm.reset();
        LauncherShutdown();
        SetProgramFileName("");
        SetCurrentDir(savedDir_);
    }
    TFrmLogin& Open(std::vector<std::string> args = {}) {
        args.insert(args.begin(), "kvizor2");
        std::vector<char*> argv;
        for (auto& a : args) argv.push_back(a.data());
        LauncherStartup(int(argv.size()), argv.data());
        frm = std::make_unique<TFrmLogin>();
        frm->show();
        return *frm;
    }
    template <class W>
    W* Child(const char* name) const {
        return NamedChild<W>(frm.get(), name);
    }
    QComboBox* Names() const { return Child<QComboBox>("NameCombo"); }
    QListWidget* Topics() const { return Child<QListWidget>("TopicBox"); }
    QPushButton* Start() const { return Child<QPushButton>("BtnStart"); }
    QStringList TopicTexts() const {
        QStringList out;
        for (int i = 0; i < Topics()->count(); ++i) out << Topics()->item(i)->text();
        return out;
    }
    QStringList NameItems() const {
        QStringList out;
        for (int i = 0; i < Names()->count(); ++i) out << Names()->itemText(i);
        return out;
    }
    // Ticks a topic as a person does: a click on its check box.
    void Tick(int item) {
        QListWidget* list = Topics();
        QRect r = list->visualItemRect(list->item(item));
        QTest::mouseClick(list->viewport(), Qt::LeftButton, {}, QPoint(r.left() + 10, r.center().y()));
    }
    void TypeName(const char* utf8) {
        Names()->lineEdit()->setFocus();
        TypeText(Names()->lineEdit(), U(utf8));
    }
    // Presses start; `drive` runs on the test window once it is shown modally
    // (by default the window is closed as finished, leaving no record).
    bool RunStart(std::function<void(TFrmMain*)> drive = {}) {
        bool shown = false, returned = false;
        QTimer::singleShot(0, [&] {
            if (returned) return;  // the start ended before any test window
            QTRY_VERIFY_WITH_TIMEOUT(qobject_cast<TFrmMain*>(QApplication::activeModalWidget()) != nullptr, 2000);
            auto* main = qobject_cast<TFrmMain*>(QApplication::activeModalWidget());
            shown = true;
            QTRY_VERIFY(main->NextIndex > 0 || main->Finished);
            if (drive) drive(main);
            if (main->isVisible()) {
                main->Finished = true;
                main->close();
            }
        });
        Start()->click();
        returned = true;
        QTest::qWait(1);  // lets a driver that never ran give up
        return shown;
    }
    std::string StatFile() const { return ReadBytes(stats.File("STAT_KV2.TXT")); }

    RussianLocale ru;
    TempDir dir, stats;
    FakeDialogs dialogs;
    FakeClock clock{EncodeDate(2026, 12, 10) + EncodeTime(9, 0, 0, 0)};
    std::unique_ptr<TFrmLogin> frm;

private:
    std::string savedDir_;
};

TEST_F(LoginTest, LayoutCaptionsAndTabOrder) {
    Open();
    EXPECT_EQ(frm->windowTitle(), U("Квизор II - Выбор темы занятий"));
    EXPECT_EQ(frm->size(), QSize(364, 273));
    EXPECT_EQ(Child<QWidget>("GrpBoxExams")->geometry(), QRect(4, 56, 353, 177));
    EXPECT_EQ(Start()->geometry(), QRect(243, 241, 113, 25));
    EXPECT_EQ(Start()->text(), U("Начать работу"));
    EXPECT_TRUE(Start()->isDefault());
    EXPECT_EQ(Child<QPushButton>("BtnClose")->text(), U("Выход"));
    EXPECT_EQ(Child<QToolButton>("BtnCheckAll")->toolTip(), U("Все"));
    EXPECT_EQ(Child<QToolButton>("BtnCheckNone")->statusTip(), U("Убрать отметку у всех тем"));
    EXPECT_EQ(Names()->lineEdit()->maxLength(), 30);
    QWidget* w = Names();
    QStringList order;
    for (int i = 0; i < 5; ++i, w = w->nextInFocusChain()) {
        while (w->focusPolicy() == Qt::NoFocus || w->objectName().isEmpty() || w->objectName().startsWith("qt_"))
            w = w->nextInFocusChain();
        order << w->objectName();
    }
    EXPECT_EQ(order, QStringList({"NameCombo", "TopicBox", "BtnStart", "BtnSetup", "BtnClose"}));
}

TEST_F(LoginTest, TopicsFromTheFolderWithTheirTitles) {
    // A compiled twin in another letter case is the same topic; a compiled file
    // alone is a topic titled by its own name; hidden files are no topics.
    TCompiler(dir.File("PHYSICS.QST"), dir.File("PHYSICS.log"), 3);
    std::filesystem::rename(NativePath(dir.File("PHYSICS.qsz")), NativePath(dir.File("physics.QSZ")));
    WriteBytes(dir.File("x.QST"), Source("x"));
    TCompiler(dir.File("x.QST"), dir.File("x.log"), 3);
    std::filesystem::rename(NativePath(dir.File("x.qsz")), NativePath(dir.File("Geo.QSZ")));
    std::filesystem::remove(NativePath(dir.File("x.QST")));
    WriteBytes(dir.File(".hidden.QST"), Source("h"));
    WriteBytes(dir.File("WHOISWHO.INI"), A("[Files]\r\nalgebra.qst=Алгебра\r\nGEO.QSZ=География\r\n"));
    Open();
    EXPECT_EQ(frm->FileNames, (std::vector<std::string>{"ALGEBRA.QST", "PHYSICS.QST", "Geo.QSZ"}));
    EXPECT_EQ(TopicTexts(), QStringList({U("Алгебра"), "PHYSICS", U("География")}));
    EXPECT_FALSE(Start()->isEnabled());
    // The compiled-only topic is loaded directly and never compiled.
    Topics()->item(2)->setCheckState(Qt::Checked);
    TypeName("Абв Гд");
    int questions = -1;
    EXPECT_TRUE(RunStart([&](TFrmMain* m) { questions = m->QstCount; }));
    EXPECT_EQ(questions, 1);
    EXPECT_FALSE(FileExists(dir.File("Geo.log")));
    EXPECT_EQ(frm->FileNames[2], "Geo.QSZ");
}

TEST_F(LoginTest, NamesSortedWithDuplicatesAndEmptyValues) {
    WriteBytes(dir.File("kvizor2.ini"), A("[Families]\r\nCount=4\r\n1=Сидоров Петр\r\n2=Абрамов Иван\r\n3=\r\n"
                                         "4=Абрамов Иван\r\n"));
    Open();
    EXPECT_EQ(NameItems(), QStringList({"", U("Абрамов Иван"), U("Абрамов Иван"), U("Сидоров Петр")}));
    EXPECT_EQ(Names()->currentText(), QString());
    // Picking a name applies the rule as typing does.
    frm->BtnCheckAllClick();
    EXPECT_FALSE(Start()->isEnabled());
    Names()->setCurrentIndex(3);
    EXPECT_TRUE(Start()->isEnabled());
    frm->BtnCheckNoneClick();
    EXPECT_FALSE(Start()->isEnabled());
}

TEST_F(LoginTest, NoQuestionFileOpensEmpty) {
    std::filesystem::remove(NativePath(dir.File("ALGEBRA.QST")));
    std::filesystem::remove(NativePath(dir.File("PHYSICS.QST")));
    WriteBytes(dir.File("kvizor2.ini"), "[Families]\r\nCount=1\r\n1=Abc Def\r\n");
    Open();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], A("Не найдено ни одного файла с вопросами"));
    EXPECT_EQ(Topics()->count(), 0);
    EXPECT_EQ(Names()->count(), 0);
    EXPECT_FALSE(Start()->isEnabled());
    TypeName("Abc Def");
    EXPECT_FALSE(Start()->isEnabled());
}

TEST_F(LoginTest, TypingRuleWithCyrillicKeysAndPasteUnchanged) {
    Open();
    TypeName("иванов   иван");
    EXPECT_EQ(Names()->currentText(), U("Иванов Иван"));
    Names()->lineEdit()->clear();
    QApplication::clipboard()->setText(U("петров  пётр"));
    Names()->lineEdit()->paste();
    EXPECT_EQ(Names()->currentText(), U("петров  пётр"));
    Names()->lineEdit()->clear();
    TypeName("0123456789012345678901234567890123");
    EXPECT_EQ(Names()->currentText().size(), 30);
}

TEST_F(LoginTest, QuickStartTicksBySubstringAndLocks) {
    WriteBytes(dir.File("GEBRA.QST"), Source("g"));
    WriteBytes(dir.File("quick.kqs"), "[Options]\r\nFiles=ALGEBRA.QST\r\n");
    Open({dir.File("quick.kqs")});
    // "GEBRA.QST" ends "ALGEBRA.QST", so both are ticked.
    EXPECT_EQ(frm->TickedFileList(), (std::vector<std::string>{"ALGEBRA.QST", "GEBRA.QST"}));
    EXPECT_FALSE(Topics()->isEnabled());
    EXPECT_FALSE(Child<QToolButton>("BtnCheckAll")->isEnabled());
    EXPECT_FALSE(Child<QToolButton>("BtnCheckNone")->isEnabled());
    EXPECT_FALSE(Child<QPushButton>("BtnSetup")->isEnabled());
    EXPECT_TRUE(Names()->isEnabled());
    TypeName("Абв Гд");
    EXPECT_TRUE(Start()->isEnabled());
}

TEST_F(LoginTest, QuickStartWithoutFilesLeavesEverythingUnticked) {
    WriteBytes(dir.File("quick.kqs"), "[Options]\r\nMode=1\r\n");
    Open({dir.File("quick.kqs")});
    EXPECT_FALSE(frm->AnyTopicTicked());
    TypeName("Абв Гд");
    EXPECT_FALSE(Start()->isEnabled());
}

TEST_F(LoginTest, TickedTextsAndCommaText) {
    WriteBytes(dir.File("my topic.QST"), Source("m"));
    Open();
    frm->BtnCheckAllClick();
    EXPECT_EQ(frm->TickedFilesText(), "ALGEBRA.QST,PHYSICS.QST,\"my topic.QST\"");
    EXPECT_EQ(frm->TickedTopicsText(), A("Алгебра;Физика;my topic"));
    frm->BtnCheckNoneClick();
    EXPECT_EQ(frm->TickedTopicsText(), "");
    EXPECT_FALSE(frm->AnyTopicTicked());
}

TEST_F(LoginTest, NewNameRegisteredOnceKeyByKeyInOneReplacement) {
    WriteBytes(dir.File("kvizor2.ini"), A("[Options]\r\nUsePath=") + stats.Path() +
                                            A("\r\n[Families]\r\nCount=2\r\n1=Яковлев Ян\r\n2=Борисов Борис\r\n"));
    Open();
    Tick(0);
    TypeName("  Петров Пётр");  // the second space in a row is discarded
    const uint64_t before = ProfileReplacements();
    std::string name;
    EXPECT_TRUE(RunStart([&](TFrmMain* m) { name = m->StudentName; }));
    EXPECT_EQ(ProfileReplacements() - before, 1u);
    EXPECT_EQ(name, A(" Петров Пётр"));  // as typed, its leading space included
    EXPECT_EQ(ReadBytes(dir.File("kvizor2.ini")),
              A("[Options]\r\nUsePath=") + stats.Path() +
                  A("\r\n[Families]\r\nCount=3\r\n1=Борисов Борис\r\n2=Петров Пётр\r\n3=Яковлев Ян\r\n"));
    // The same name in other letters is not added again.
    Names()->lineEdit()->clear();
    TypeName("петров пётр");
    const std::string file = ReadBytes(dir.File("kvizor2.ini"));
    EXPECT_TRUE(RunStart());
    EXPECT_EQ(ReadBytes(dir.File("kvizor2.ini")), file);
    EXPECT_EQ(Names()->count(), 3);
}

TEST_F(LoginTest, UnwritableSettingsFileAbandonsTheStartBeforeCompiling) {
    std::filesystem::remove(NativePath(dir.File("kvizor2.ini")));
    std::filesystem::create_directory(NativePath(dir.File("kvizor2.ini")));  // not a file to replace
    Open();
    Tick(0);
    TypeName("Абв Гд");
    EXPECT_FALSE(RunStart());
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], "Unable to write to " + dir.File("kvizor2.ini"));
    EXPECT_FALSE(FileExists(dir.File("ALGEBRA.qsz")));
    EXPECT_EQ(NameItems(), QStringList({U("Абв Гд")}));
    // The name stays listed, so the next start writes nothing and goes ahead.
    EXPECT_TRUE(RunStart());
    EXPECT_EQ(dialogs.errors.size(), 1u);
    EXPECT_TRUE(FileExists(dir.File("ALGEBRA.qsz")));
}

TEST_F(LoginTest, FailingCompileAbandonsTheStartBeforeAnyTestWindow) {
    Open();
    frm->BtnCheckAllClick();
    TypeName("Абв Гд");
    std::filesystem::remove(NativePath(dir.File("PHYSICS.QST")));  // gone since the window listed it
    EXPECT_FALSE(RunStart());
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_NE(dialogs.errors[0].find("PHYSICS.QST"), std::string::npos);
    EXPECT_EQ(frm->findChild<TFrmMain*>(), nullptr);
    // The name stays written, and the topic compiled before the failure stays switched.
    EXPECT_EQ(Families::Names(), (std::vector<std::string>{A("Абв Гд")}));
    EXPECT_EQ(frm->FileNames, (std::vector<std::string>{"ALGEBRA.QSZ", "PHYSICS.QST"}));
}

TEST_F(LoginTest, OptionsCountAndGaugesHandedToTheTestWindow) {
    WriteBytes(dir.File("kvizor2.ini"), "[Options]\r\nMode=1\r\nQstLimit=1\r\nTimeLimit=30\r\nGlobalTimeLimit=2\r\n"
                                        "ShowRightAnswers=0\r\nMixQst=0\r\nMixAns=0\r\nUsePath=" +
                                            stats.Path() + "\r\n");
    Open();
    frm->BtnCheckAllClick();
    TypeName("Абв Гд");
    TFrmMain seen;  // what the test window was given
    bool gauges = false;
    EXPECT_TRUE(RunStart([&](TFrmMain* m) {
        seen.ControlMode = m->ControlMode;
        seen.QstCount = m->QstCount;
        seen.QstTimeLimit = m->QstTimeLimit;
        seen.RunTimeLimit = m->RunTimeLimit;
        seen.HideRightAnswers = m->HideRightAnswers;
        seen.Topics = m->Topics;
        gauges = m->findChild<TGauge*>("TimeGauge")->isVisible() &&
                 m->findChild<TGauge*>("GlobalTimeGauge")->isVisible() &&
                 m->findChild<TGauge*>("GlobalTimeGauge")->value() == 120;
    }));
    EXPECT_TRUE(seen.ControlMode);
    EXPECT_EQ(seen.QstCount, 1);
    EXPECT_EQ(seen.QstTimeLimit, 30);
    EXPECT_EQ(seen.RunTimeLimit, 120);
    EXPECT_TRUE(seen.HideRightAnswers);
    EXPECT_EQ(seen.Topics, A("Алгебра;Физика"));
    EXPECT_TRUE(gauges);
}

// The whole road as a person takes it: a name typed, two topics ticked, Enter,
// every question answered with clicks, the summary closed; then the record and
// the names list, and the window ready for the next student.
TEST_F(LoginTest, EndToEndRunLeavesTheRecordAndTheName) {
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    TypeName("иванов иван");
    Tick(0);
    Tick(1);
    ASSERT_TRUE(Start()->isEnabled());
    int answered = 0;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY(qobject_cast<TFrmMain*>(QApplication::activeModalWidget()) != nullptr);
        auto* m = qobject_cast<TFrmMain*>(QApplication::activeModalWidget());
        QTRY_VERIFY(!m->RowParts().empty());
        auto* next = m->findChild<QPushButton*>("NextQst");
        while (!m->Finished) {
            QTest::mouseClick(m->RowParts().at(0).Text, Qt::LeftButton);  // the right option
            QTest::mouseClick(next, Qt::LeftButton);                     // scored, right answers shown
            ++answered;
            QTest::mouseClick(next, Qt::LeftButton);  // on to the next question or the end
        }
    });
    QTest::keyClick(Names()->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(answered, 2);
    ASSERT_EQ(dialogs.messages.size(), 1u);  // the summary, closed with OK
    EXPECT_EQ(dialogs.messages[0].substr(0, 13), A("Иванов Иван!\r"));

    auto pad = [](std::string s, size_t w) {
        s.resize(w, ' ');
        return s;
    };
    const std::string expected =
        A("Фамилия и Имя Учащегося       |Режим|Баллов|MAX|Средн|Оценка|Шк|Время начала|Время работы|Средн. время|"
          "Время окончания|Дата окончания|Имя компьютера      |Имя пользователя    |Тема\r\n") +
        pad(A("Иванов Иван"), 30) + A("|Т    |  2,00|  2| 1,00|   5,0|5 |09:00:00    |00:00:00    |00:00:00    |"
                                     "09:00:00       |10.12.2026    |") +
        pad(ComputerName().substr(0, 20), 20) + "|" + pad(UserName().substr(0, 20), 20) + "|" + A("Алгебра;Физика") +
        "\r\n";
    EXPECT_EQ(StatFile(), expected);
    EXPECT_EQ(Families::Names(), (std::vector<std::string>{A("Иванов Иван")}));
    EXPECT_EQ(frm->FileNames, (std::vector<std::string>{"ALGEBRA.QSZ", "PHYSICS.QSZ"}));

    // Ready for the next student: same name and ticks; nothing is compiled again.
    EXPECT_EQ(Names()->currentText(), U("Иванов Иван"));
    EXPECT_EQ(frm->TickedFileList(), (std::vector<std::string>{"ALGEBRA.QSZ", "PHYSICS.QSZ"}));
    EXPECT_TRUE(Start()->isEnabled());
    std::filesystem::remove(NativePath(dir.File("ALGEBRA.log")));
    EXPECT_TRUE(RunStart());
    EXPECT_FALSE(FileExists(dir.File("ALGEBRA.log")));
}

TEST_F(LoginTest, CloseAsksAndEscIsClose) {
    Open();
    dialogs.answers = {false};
    QTest::keyClick(Names()->lineEdit(), Qt::Key_Escape);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], A("Вы действительно хотите завершить работу с программой?"));
    EXPECT_TRUE(frm->isVisible());
    dialogs.answers = {true};
    QTest::mouseClick(Child<QPushButton>("BtnClose"), Qt::LeftButton);
    EXPECT_FALSE(frm->isVisible());
}

TEST_F(LoginTest, TranslatedAtActivation) {
    WriteBytes(dir.File("kvizor2.lng"), "[FrmLogin]\r\nBtnStart.Caption=Start\r\nCaption=Choose topics\r\n");
    Open();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    EXPECT_EQ(Start()->text(), QString("Start"));
    EXPECT_EQ(frm->windowTitle(), QString("Choose topics"));
}

}  // namespace

namespace {
TEST_F(LoginTest, SetupButtonOpensTheSettingsWindowModally) {
    Open();
    QString caption;
    QTimer::singleShot(0, [&] {
        QTRY_VERIFY(qobject_cast<TFrmSetup*>(QApplication::activeModalWidget()) != nullptr);
        QWidget* w = QApplication::activeModalWidget();
        caption = w->objectName();
        w->close();
    });
    QTest::mouseClick(Child<QPushButton>("BtnSetup"), Qt::LeftButton);
    EXPECT_EQ(caption, QString("FrmSetup"));
    EXPECT_EQ(frm->findChild<TFrmSetup*>(), nullptr);  // released when it closed
}
}  // namespace
