#include "EngineFixture.h"

namespace {

TEST(SchoolMark, Rounding) {
    const std::pair<double, const char*> cases[] = {{4.0, "4"}, {4.49, "4"},  {3.5, "4-"}, {4.75, "5-"},
                                                    {0.2, "0"}, {5.0, "5"},   {3.4999, "3"}, {0.0, "0"},
                                                    {0.5, "1-"}};
    for (auto& [x, text] : cases) EXPECT_EQ(SchoolMark(x), text) << x;
}

TEST_F(EngineTest, ScoringTable) {
    struct Case {
        std::string shape;   // R right, W wrong
        std::string chosen;  // x chosen
        double score;
    } cases[] = {
        {"RW", "x.", 1},          {"RRW", "x..", 0.5},      {"RRW", "xxx", 0.5},  {"RRWW", "x.x.", 0.25},
        {"RRWW", "xxxx", 1.0 / 3}, {"RRRW", "....", 0},     {"RWW", ".xx", 0},    {"WW", "xx", 0},
        {"RW", "..", 0},
    };
    for (const auto& c : cases) {
        TTestRun& r = Make({c.shape});
        r.Start();
        for (size_t i = 0; i < c.chosen.size(); ++i)
            if (c.chosen[i] == 'x') r.ToggleOption(int(i));
        r.EvaluateAnswer();
        EXPECT_DOUBLE_EQ(r.Points, c.score) << c.shape << " " << c.chosen;
    }
}

TEST_F(EngineTest, ToggleFlipsAndShowsEachRow) {
    TTestRun& r = Make({"RWW"});
    r.Start();
    ASSERT_EQ(view.rows.size(), 3u);
    r.ToggleOption(1);
    r.ToggleOption(2);
    r.ToggleOption(1);
    EXPECT_EQ(view.rows[1].Chosen, 0);
    EXPECT_EQ(view.rows[2].Chosen, 1);
    r.ToggleOption(7);  // no such row
}

TEST_F(EngineTest, QuestionsInListOrderAndCounter) {
    TTestRun& r = Make({"RW", "RW", "RW"});
    r.Start();
    EXPECT_EQ(view.text, "Q0");
    EXPECT_EQ(view.counter, A("№1 из 3"));
    EXPECT_EQ(view.rows[0].Text, "Q0-0");
    EXPECT_EQ(view.rows[0].Right, -1);
    r.NextQstClick();
    EXPECT_EQ(view.text, "Q1");
    EXPECT_EQ(view.counter, A("№2 из 3"));
    EXPECT_EQ(r.NextIndex, 2);
}

TEST_F(EngineTest, MixedAnswersAreShuffledWhenShown) {
    TTestRun& r = Make({"RW"});
    r.MixAnswers = true;
    r.Start();
    // Two options are always exchanged.
    EXPECT_EQ(view.rows[0].Text, "Q0-1");
    EXPECT_EQ(view.rows[0].Right, 0);
    EXPECT_EQ(view.rows[1].Right, -1);
}

TEST_F(EngineTest, RightAnswersShownAndLocked) {
    TTestRun& r = Make({"RRW", "RW"});
    r.HideRightAnswers = false;
    r.Start();
    r.ToggleOption(0);
    r.ToggleOption(2);
    r.NextQstClick();  // scores and locks
    EXPECT_TRUE(r.AnswerLocked);
    EXPECT_TRUE(view.legend);
    EXPECT_EQ(view.text, "Q0");
    EXPECT_EQ(view.rows[0].Marker, TMarker::Smile);
    EXPECT_EQ(view.rows[1].Marker, TMarker::Sad);
    EXPECT_EQ(view.rows[2].Marker, TMarker::None);
    EXPECT_DOUBLE_EQ(r.Points, 0.25);
    r.ToggleOption(1);  // locked: nothing changes
    EXPECT_EQ(view.rows[1].Chosen, 0);
    r.NextQstClick();
    EXPECT_EQ(view.text, "Q1");
    EXPECT_FALSE(view.legend);
    EXPECT_FALSE(r.AnswerLocked);
    EXPECT_DOUBLE_EQ(r.Points, 0.25);
}

TEST_F(EngineTest, RunningMarkGauge) {
    TTestRun& r = Make({"RW", "RW", "RW", "RW"});
    r.Start();
    r.ToggleOption(0);
    r.NextQstClick();
    r.NextQstClick();
    r.ToggleOption(0);
    r.ToggleOption(1);
    r.NextQstClick();  // third scored: 1 + 0 + 0.5
    EXPECT_EQ(view.markMax, 300);
    EXPECT_EQ(view.markValue, 150);
    RussianLocale ru;
    EXPECT_EQ(r.MarkText(), A("Набрано баллов:   1,5 из 4\r\nВаша оценка:  1,9"));
}

TEST_F(EngineTest, MarkGaugeRoundsHalvesToEven) {
    // 1/8 of a point is 12.5 hundredths: the even neighbour 12.
    TTestRun& r = Make({"RRRRWWWW"});
    r.Start();
    r.ToggleOption(0);
    r.ToggleOption(4);
    r.ToggleOption(5);
    r.ToggleOption(6);
    r.NextQstClick();  // (1/4)/(3+1) = 1/16 ... 6.25 hundredths
    EXPECT_EQ(view.markValue, 6);
    TTestRun& s = Make({"RRWW"});
    s.Start();
    s.ToggleOption(0);
    s.ToggleOption(2);
    s.ToggleOption(3);
    s.NextQstClick();  // (1/2)/3 = 16.67 hundredths
    EXPECT_EQ(view.markValue, 17);
}

TEST_F(EngineTest, MarkTextTranslated) {
    RussianLocale ru;
    TTestRun& r = Make({"RW"});
    r.Points = 7.5;
    r.QstCount = 10;
    EXPECT_EQ(r.MarkText(), A("Набрано баллов:   7,5 из 10\r\nВаша оценка:  3,8"));
    r.Message = [](const TMessage& m) {
        return std::string(m.Id) == "rsMarkFmt" ? A("Баллы: %5.2g из %d, оценка %4.1f") : m.Text();
    };
    EXPECT_EQ(r.MarkText(), A("Баллы:   7,5 из 10, оценка  3,8"));
    r.Message = [](const TMessage& m) { return std::string(m.Id) == "rsMarkFmt" ? std::string("%d %d") : m.Text(); };
    EXPECT_THROW(r.MarkText(), Error);
}

TEST_F(EngineTest, QuestionCountdownColoursAndRunsOut) {
    TTestRun& r = Make({"RW", "RW"});
    r.QstTimeLimit = 10;
    r.SetupCountdowns();
    r.Start();
    r.ToggleOption(0);
    std::vector<TGaugeColor> colours;
    for (int i = 0; i < 9; ++i) {
        r.Tick();
        colours.push_back(view.qst.Color);
    }
    // Values 9..1: yellow from 5, red from 2.
    using C = TGaugeColor;
    EXPECT_EQ(colours, (std::vector<C>{C::Lime, C::Lime, C::Lime, C::Lime, C::Yellow, C::Yellow, C::Yellow, C::Red,
                                       C::Red}));
    EXPECT_EQ(view.text, "Q0");
    r.Tick();  // 0: scored with the choices made, next question shown with a full countdown
    EXPECT_DOUBLE_EQ(r.Points, 1);
    EXPECT_EQ(view.text, "Q1");
    EXPECT_EQ(view.qst.Value, 10);
    EXPECT_EQ(view.qst.Color, C::Lime);
}

TEST_F(EngineTest, QuestionLimitOfOneRunsOutAtFirstTick) {
    TTestRun& r = Make({"RW", "RW"});
    r.QstTimeLimit = 1;
    r.SetupCountdowns();
    r.Start();
    r.Tick();
    EXPECT_EQ(view.text, "Q1");
}

TEST_F(EngineTest, CountdownFreezesWhileAnswersShown) {
    TTestRun& r = Make({"RW", "RW"});
    r.HideRightAnswers = false;
    r.QstTimeLimit = 2;
    r.RunTimeLimit = 60;
    r.SetupCountdowns();
    r.Start();
    r.Tick();
    r.Tick();  // runs out: scored and locked, the question stays
    EXPECT_TRUE(r.AnswerLocked);
    EXPECT_EQ(view.text, "Q0");
    r.Tick();
    r.Tick();
    EXPECT_EQ(view.qst.Value, 0);
    EXPECT_EQ(view.run.Value, 56);  // the run countdown goes on
    EXPECT_EQ(view.text, "Q0");
}

TEST_F(EngineTest, BothCountdownsRunOutInOneTickFinishOnce) {
    TTestRun& r = Make({"RW"});
    r.QstTimeLimit = 2;
    r.RunTimeLimit = 2;
    r.SetupCountdowns();
    r.Start();
    r.ToggleOption(0);
    r.Tick();
    r.Tick();
    EXPECT_TRUE(r.Finished);
    EXPECT_TRUE(view.closed);
    EXPECT_FALSE(view.timer);
    EXPECT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(Records(), 1u);
    r.Tick();
    r.NextQstClick();
    EXPECT_EQ(Records(), 1u);
}

TEST_F(EngineTest, RunCountdownEndsRunWithEveryQuestionCounted) {
    TTestRun& r = Make(std::vector<std::string>(10, "RW"));
    r.RunTimeLimit = 3;
    r.SetupCountdowns();
    r.Start();
    for (int i = 0; i < 3; ++i) {
        r.ToggleOption(0);
        r.NextQstClick();
    }
    ASSERT_EQ(r.NextIndex, 4);
    r.ToggleOption(0);  // question 4 on show is not scored
    r.Tick();
    r.Tick();
    EXPECT_EQ(view.run.Color, TGaugeColor::Yellow);
    r.Tick();
    EXPECT_TRUE(r.Finished);
    EXPECT_EQ(view.run.Color, TGaugeColor::Red);
    EXPECT_DOUBLE_EQ(r.Points, 3);
    RussianLocale ru;
    std::string rec = r.StatRecord(true);
    EXPECT_EQ(rec.substr(31, 6), A("Т    |"));
    EXPECT_EQ(rec.substr(37, 11), "  3,00| 10|");
}

TEST_F(EngineTest, NoQuestionsFinishesAtOnceCountingOne) {
    TTestRun& r = Make({}, 0);
    r.Start();
    EXPECT_TRUE(r.Finished);
    EXPECT_EQ(r.QstCount, 1);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_NE(dialogs.messages[0].find(A("из 1")), std::string::npos);
}

TEST_F(EngineTest, CountedQuestionsOfAbortedRuns) {
    RussianLocale ru;
    TTestRun& r = Make(std::vector<std::string>(5, "RW"));
    r.ControlMode = true;
    r.Start();
    EXPECT_EQ(r.CountedQuestions(false), 1);  // aborted on the first question
    r.NextQstClick();
    r.NextQstClick();  // third question on show
    EXPECT_EQ(r.CountedQuestions(false), 2);
    EXPECT_EQ(r.CountedQuestions(true), 5);
    r.Abort();
    std::string file = StatFile();
    EXPECT_NE(file.find("|" + A("К!") + "   |  0,00|  2|"), std::string::npos);
    EXPECT_TRUE(r.Finished);
}

TEST_F(EngineTest, SummaryText) {
    RussianLocale ru;
    TTestRun& r = Make(std::vector<std::string>(10, "RW"));
    r.ControlMode = true;
    r.StudentName = A("Ученик Первый");
    r.Topics = A("Алгебра;Геометрия");
    r.Points = 7;
    r.EndTime = r.StartTime + EncodeTime(0, 12, 34, 0);
    EXPECT_EQ(r.SummaryText(), A("Ученик Первый!\r\n\r\nВы прошли  Контроль знаний по теме:\r\n    "
                                 "Алгебра;Геометрия\r\n\r\nЗатрачено времени: 00:12:34\r\n\r\n"
                                 "Набрано баллов:     7 из 10\r\nВаша оценка:  3,5"));
}

TEST_F(EngineTest, FinishOrderRecordThenSummary) {
    TTestRun& r = Make({"RW"});
    r.Start();
    clock.Advance(65000);
    r.NextQstClick();
    EXPECT_TRUE(r.Finished);
    EXPECT_FALSE(view.topmost);
    EXPECT_NEAR((r.EndTime - r.StartTime) * 86400000.0, 65000, 0.01);
    ASSERT_EQ(dialogs.messages.size(), 1u);
    EXPECT_EQ(Records(), 1u);
}

TEST_F(EngineTest, MarkFormatThatDoesNotFitCostsNeitherPointsNorRecord) {
    TTestRun& r = Make({"RW", "RW"});
    r.Message = [](const TMessage& m) { return std::string(m.Id) == "rsMarkFmt" ? std::string("%s") : m.Text(); };
    r.Start();
    r.ToggleOption(0);
    r.NextQstClick();  // the hint cannot be made: reported, and the run goes on
    EXPECT_DOUBLE_EQ(r.Points, 1);
    EXPECT_EQ(view.text, "Q1");
    EXPECT_EQ(view.markMax, 100);
    r.NextQstClick();  // the summary cannot be made either: the record is still written
    EXPECT_DOUBLE_EQ(r.Points, 1);
    EXPECT_EQ(Records(), 1u);
    EXPECT_TRUE(dialogs.messages.empty());
    const std::string error = A("Строка формата '%s' неверна или не соответствует аргументу");
    EXPECT_EQ(dialogs.errors, (std::vector<std::string>{error, error, error}));
    EXPECT_TRUE(r.Finished);
}

TEST_F(EngineTest, TranslatedCounterWithWrongPlaceholderRaises) {
    TTestRun& r = Make({"RW"});
    r.Message = [](const TMessage& m) {
        return std::string(m.Id) == "rsQstNumber" ? A("%s из %d") : m.Text();
    };
    try {
        r.Start();
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Text(), A("Строка формата '%s из %d' неверна или не соответствует аргументу"));
    }
    r.Message = [](const TMessage& m) { return std::string(m.Id) == "rsQstNumber" ? A("Вопрос %d") : m.Text(); };
    r.Start();
    EXPECT_EQ(view.counter, A("Вопрос 1"));
}

}  // namespace
