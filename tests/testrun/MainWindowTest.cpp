// The test window under the offscreen platform, driven by clicks and keys.
#include "Main.h"

#include "CodePage.h"
#include "FormSupport.h"
#include "Files.h"
#include "Startup.h"
#include "TestSupport.h"

#include <QApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QScrollArea>
#include <QScrollBar>
#include <QSplitter>
#include <QStyle>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

namespace {

std::unique_ptr<TQuestion> Question(const std::string& text, const std::vector<std::pair<std::string, bool>>& options) {
    auto q = std::make_unique<TQuestion>();
    q->Text = text;
    for (const auto& [t, right] : options) q->Answers.push_back(TAnswer{t, right ? -1 : 0});
    return q;
}

QString U(const char* utf8) { return QString::fromUtf8(utf8); }

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        StatsPath = stats.Path();
        SetProgramFileName(program.File("KVIZOR2"));
    }
    void TearDown() override {
        frm.reset();
        StatsPath.clear();
        SetProgramFileName("");
    }

    // A window over two questions of three options (right, wrong, right), set up as
    // the login window does, shown and started.
    TFrmMain& Open(bool control = false, bool hideAnswers = false, int qstTime = 0, int runTime = 0) {
        frm = std::make_unique<TFrmMain>();
        frm->Questions = std::make_unique<TQuestionList>();
        frm->Questions->Add(Question(A("Первый вопрос"), {{A("один"), true}, {A("два"), false}, {A("три"), true}}));
        frm->Questions->Add(Question(A("Второй вопрос"), {{A("да"), true}, {A("нет"), false}}));
        frm->ControlMode = control;
        frm->MixQuestions = false;
        frm->MixAnswers = false;
        frm->HideRightAnswers = hideAnswers;
        frm->QstTimeLimit = qstTime;
        frm->RunTimeLimit = runTime;
        frm->QstCount = 2;
        frm->StudentName = A("Иванов Иван");
        frm->Topics = A("Алгебра");
        frm->SetupGauges();
        frm->show();
        EXPECT_TRUE(QTest::qWaitFor([&] { return !frm->RowParts().empty() || frm->RunEnded; }));
        return *frm;
    }

    template <class W>
    W* Child(const char* name) const {
        W* w = frm->findChild<W*>(QLatin1String(name));
        EXPECT_NE(w, nullptr) << name;
        return w;
    }
    void ClickText(int row) { QTest::mouseClick(frm->RowParts().at(size_t(row)).Text, Qt::LeftButton); }
    void ClickChoice(int row) { QTest::mouseClick(frm->RowParts().at(size_t(row)).Choice, Qt::LeftButton); }
    bool Shows(QLabel* image, const char* picture) const {
        return !image->pixmap().isNull() && image->pixmap().toImage() == Picture(picture).toImage();
    }
    std::string StatFile() const { return ReadBytes(stats.File("STAT_KV2.TXT")); }

    RussianLocale ru;
    TempDir stats, program;
    FakeClock clock{EncodeDate(2026, 12, 10) + EncodeTime(9, 0, 0, 0)};
    FakeDialogs dialogs;
    std::unique_ptr<TFrmMain> frm;
};

TEST_F(MainWindowTest, CaptionAndPlacementByMode) {
    struct Case {
        bool control;
        const char* caption;
    } cases[] = {{true, "Квизор II - Контроль знаний"}, {false, "Квизор II - Тренажёр"}};
    for (const Case& c : cases) {
        Open(c.control);
        QScreen* screen = QGuiApplication::primaryScreen();
        EXPECT_EQ(frm->windowTitle(), U(c.caption));
        EXPECT_EQ(frm->WindowBounds(), c.control ? screen->geometry() : screen->availableGeometry());
        EXPECT_EQ(frm->geometry(), frm->WindowBounds());
        EXPECT_TRUE(frm->windowFlags() & Qt::FramelessWindowHint);
        EXPECT_TRUE(frm->windowFlags() & Qt::WindowStaysOnTopHint);
        EXPECT_EQ(Child<QPushButton>("NextQst")->text(), U("Следующий вопрос"));
        EXPECT_EQ(Child<QPushButton>("NextQst")->focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(Child<QLabel>("PnlQstNum")->text(), U("№1 из 2"));
        frm->Finished = true;
        frm->close();
    }
}

TEST(AnswerRowRule, HeightFromTheMeasuredText) {
    EXPECT_EQ(AnswerRowHeight(22), 42);  // one line of 22 pixels
    EXPECT_EQ(AnswerRowHeight(11), 36);  // under 12 pixels: the face's height and 4
    EXPECT_EQ(AnswerRowHeight(12), 32);
    EXPECT_EQ(AnswerRowHeight(66), 86);
    EXPECT_EQ(AnswerRowWidth(500, 16), 482);
}

TEST_F(MainWindowTest, RowsLaidOutFromTheirMeasuredText) {
    Open();
    QScrollArea* box = Child<QScrollArea>("AnswersScrollBox");
    const int scrollBar = box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box);
    const int width = box->contentsRect().width() - scrollBar - 2;
    const QFontMetrics metrics(box->font());
    EXPECT_EQ(box->font().pixelSize(), 19);
    int top = 0;
    for (const auto& parts : frm->RowParts()) {
        const int measured =
            metrics.boundingRect(QRect(0, 0, width - 80, 100000), Qt::TextWordWrap, parts.Text->text()).height();
        EXPECT_EQ(parts.Row->geometry(), QRect(0, top, width, AnswerRowHeight(measured)));
        EXPECT_EQ(parts.Text->width(), width - 80);
        EXPECT_EQ(parts.Marker->width(), 40);
        EXPECT_EQ(parts.Choice->width(), 38);
        EXPECT_TRUE(Shows(parts.Choice, "cross"));
        EXPECT_TRUE(parts.Marker->pixmap().isNull());
        top += parts.Row->height();
    }
    EXPECT_EQ(frm->RowParts().size(), 3u);
    EXPECT_EQ(frm->RowParts()[0].Text->text(), U("один"));
}

TEST_F(MainWindowTest, ClicksOnTextAndPictureToggle) {
    Open();
    ClickText(1);
    EXPECT_EQ(frm->Rows[1].Chosen, 1);
    EXPECT_TRUE(Shows(frm->RowParts()[1].Choice, "check"));
    EXPECT_EQ(frm->RowParts()[1].Choice->property("tag").toInt(), 1);
    ClickChoice(1);
    EXPECT_EQ(frm->Rows[1].Chosen, 0);
    EXPECT_TRUE(Shows(frm->RowParts()[1].Choice, "cross"));
    ClickChoice(2);
    EXPECT_EQ(frm->Rows[2].Chosen, 1);
}

TEST_F(MainWindowTest, RightAnswersShownAndClicksIgnored) {
    Open();
    QLabel* legend = Child<QLabel>("RightAnswersMsg");
    EXPECT_FALSE(legend->isVisible());
    ClickText(0);  // right, chosen
    ClickText(1);  // wrong, chosen
    QTest::mouseClick(Child<QPushButton>("NextQst"), Qt::LeftButton);
    EXPECT_TRUE(legend->isVisible());
    EXPECT_TRUE(Shows(frm->RowParts()[0].Marker, "smile"));
    EXPECT_TRUE(frm->RowParts()[1].Marker->pixmap().isNull());
    EXPECT_TRUE(Shows(frm->RowParts()[2].Marker, "sad"));
    ClickText(2);
    EXPECT_EQ(frm->Rows[2].Chosen, 0);
    EXPECT_TRUE(Shows(frm->RowParts()[2].Choice, "cross"));
    // The mark gauge holds the points so far, its hint the mark text.
    TGauge* mark = Child<TGauge>("GaugeMark");
    EXPECT_EQ(mark->maximum(), 100);
    EXPECT_EQ(mark->value(), 25);  // (1/2) / 2
    EXPECT_EQ(WidgetHint(mark), frm->MarkText());
    EXPECT_EQ(mark->toolTip(), AnsiToQString(frm->MarkText()));
    EXPECT_EQ(mark->ForeColor(), QColor(255, 0, 0));
    // The next press shows the next question and hides the legend.
    QTest::mouseClick(Child<QPushButton>("NextQst"), Qt::LeftButton);
    EXPECT_FALSE(legend->isVisible());
    EXPECT_EQ(Child<QPlainTextEdit>("QstMemo")->toPlainText(), U("Второй вопрос"));
    EXPECT_EQ(frm->RowParts().size(), 2u);
}

TEST_F(MainWindowTest, EscAnsweredNoChangesNothing) {
    Open(false, false, 30, 600);
    ClickText(0);
    frm->Tick();
    const int qstLeft = frm->QuestionCountdown.Value, runLeft = frm->RunCountdown.Value;
    dialogs.answers = {false};
    QTest::keyClick(Child<QScrollArea>("AnswersScrollBox"), Qt::Key_Escape);
    ASSERT_EQ(dialogs.questions.size(), 1u);
    EXPECT_EQ(dialogs.questions[0], A("Вы действительно хотите завершить работу с программой?"));
    EXPECT_TRUE(frm->isVisible());
    EXPECT_EQ(frm->NextIndex, 1);
    EXPECT_EQ(frm->Rows[0].Chosen, 1);
    EXPECT_EQ(frm->QuestionCountdown.Value, qstLeft);
    EXPECT_EQ(frm->RunCountdown.Value, runLeft);
    EXPECT_TRUE(StatFile().empty());
}

TEST_F(MainWindowTest, EscAnsweredYesWritesOneAbortedRecordAndShowsTheSummary) {
    Open();
    dialogs.answers = {true};
    // Esc works whatever has the focus: here the question memo's neighbour.
    QTest::keyClick(frm.get(), Qt::Key_Escape);
    EXPECT_EQ(dialogs.questions.size(), 1u);
    EXPECT_TRUE(frm->Finished);
    EXPECT_FALSE(frm->isVisible());
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(dialogs.messages[0].rfind(A("Иванов Иван!"), 0), 0u);
    const std::string file = StatFile();
    const size_t header = file.find("\r\n");
    ASSERT_NE(header, std::string::npos);
    const std::string record = file.substr(header + 2);
    EXPECT_EQ(record.substr(30, 6), A("|Т!   "));
    EXPECT_EQ(record.find("\r\n"), record.size() - 2);  // one record
    EXPECT_EQ(frm->Questions, nullptr);               // freed on closing
}

TEST_F(MainWindowTest, SystemCloseAnsweredYesLeavesNoRecordAndNoSummary) {
    Open();
    dialogs.answers = {false, true};
    frm->close();
    EXPECT_TRUE(frm->isVisible());
    frm->close();
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(dialogs.questions.size(), 2u);
    EXPECT_TRUE(dialogs.messages.empty());
    EXPECT_TRUE(StatFile().empty());
    frm->Tick();  // a late tick counts nothing
    EXPECT_TRUE(dialogs.messages.empty());
}

TEST_F(MainWindowTest, CountdownGaugesShownOnlyWithTheirLimits) {
    Open(false, false, 0, 0);
    EXPECT_FALSE(Child<TGauge>("TimeGauge")->isVisible());
    EXPECT_FALSE(Child<TGauge>("GlobalTimeGauge")->isVisible());
    frm->Tick();
    EXPECT_EQ(frm->NextIndex, 1);
    frm->Finished = true;
    frm->close();

    Open(false, false, 8, 120);
    TGauge* qst = Child<TGauge>("TimeGauge");
    TGauge* run = Child<TGauge>("GlobalTimeGauge");
    EXPECT_TRUE(qst->isVisible());
    EXPECT_TRUE(run->isVisible());
    EXPECT_EQ(run->maximum(), 120);
    EXPECT_EQ(run->value(), 120);
    EXPECT_EQ(run->ForeColor(), QColor(0, 255, 0));
    EXPECT_EQ(qst->ForeColor(), QColor(0, 255, 0));
    for (int i = 0; i < 4; ++i) frm->Tick();
    EXPECT_EQ(qst->value(), 4);
    EXPECT_EQ(qst->PercentDone(), 50);
    EXPECT_EQ(qst->ForeColor(), QColor(255, 255, 0));
    for (int i = 0; i < 2; ++i) frm->Tick();
    EXPECT_EQ(qst->ForeColor(), QColor(255, 0, 0));
    EXPECT_EQ(Child<QLabel>("PnlTime")->text(), U("09:00:00"));
    EXPECT_EQ(Child<QLabel>("PnlDate")->text(), U("10.12.2026"));
}

TEST_F(MainWindowTest, ResizeGivesTheMemoHalfTheMainArea) {
    Open();
    QSplitter* splitter = Child<QSplitter>("Splitter1");
    QWidget* base = Child<QWidget>("BasePanel");
    QPlainTextEdit* memo = Child<QPlainTextEdit>("QstMemo");
    EXPECT_EQ(memo->height(), base->height() / 2);
    splitter->setSizes({40, splitter->height() - 45});
    EXPECT_EQ(memo->height(), 40);
    frm->setWindowState(Qt::WindowNoState);
    frm->resize(700, 501);
    QTest::qWait(10);
    EXPECT_EQ(memo->height(), base->height() / 2);
    EXPECT_TRUE(memo->isReadOnly());
    EXPECT_EQ(memo->verticalScrollBarPolicy(), Qt::ScrollBarAlwaysOn);
    // The memo never keeps the focus.
    memo->setFocus();
    EXPECT_EQ(QApplication::focusWidget(), Child<QScrollArea>("AnswersScrollBox"));
}

TEST_F(MainWindowTest, TimerRunsOnlyWhileTheWindowIsActive) {
    Open(false, false, 30);
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    EXPECT_TRUE(frm->TimerObject()->isActive());
    EXPECT_EQ(frm->TimerObject()->interval(), 1000);
    QWidget other;
    other.show();
    other.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&other));
    EXPECT_FALSE(frm->TimerObject()->isActive());
    frm->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    EXPECT_TRUE(frm->TimerObject()->isActive());
}

TEST_F(MainWindowTest, TranslatedFromItsSectionAtShowing) {
    WriteBytes(program.File("KVIZOR2.lng"), A("[FrmMain]\r\nNextQst.Caption=Next question\r\nCaption=Quiz\r\n"
                                             "GaugeMark.Hint=Mark|Your mark\r\n"));
    Open(true);
    EXPECT_EQ(Child<QPushButton>("NextQst")->text(), U("Next question"));
    EXPECT_EQ(frm->windowTitle(), U("Quiz"));
    EXPECT_EQ(Child<TGauge>("GaugeMark")->toolTip(), U("Mark"));
}

TEST_F(MainWindowTest, NoQuestionsFinishAtOnceWithOneCounted) {
    frm = std::make_unique<TFrmMain>();
    frm->Questions = std::make_unique<TQuestionList>();
    frm->StudentName = "A";
    frm->SetupGauges();
    frm->show();
    ASSERT_TRUE(QTest::qWaitFor([&] { return frm->Finished; }));
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(StatFile().find(A("|  1|")), std::string::npos);
}

}  // namespace
