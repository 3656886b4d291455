// Question and question list: indexing, ownership of loaded questions, the
// pseudo-random generator and the two shuffles.
#include "Quest.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <numeric>
#include <vector>

namespace {
std::unique_ptr<TQuestion> MakeQuestion(const std::string& text, int options = 2) {
    auto q = std::make_unique<TQuestion>();
    q->Text = text;
    for (int i = 0; i < options; ++i) q->Answers.push_back({text + "/" + std::to_string(i), i == 0 ? -1 : 0});
    return q;
}

void Fill(TQuestionList& list, int n) {
    for (int i = 0; i < n; ++i) list.Add(MakeQuestion(std::to_string(i)));
}

// The next draw after an operation tells how many draws the operation made.
uint32_t NextDrawAfter(uint64_t seed, const std::function<void()>& op) {
    SeedRandom(seed);
    op();
    return RandomBelow(1000000);
}

// True when the permutation p (new index -> old index) is one cycle through all places.
bool SingleCycle(const std::vector<int>& p) {
    std::vector<bool> seen(p.size());
    size_t length = 0;
    for (int i = 0; !seen[size_t(i)]; i = p[size_t(i)]) {
        seen[size_t(i)] = true;
        ++length;
    }
    return length == p.size();
}
}  // namespace

TEST(QuestionList, GetQuestionOutsideTheListIsNull) {
    TQuestionList list;
    EXPECT_EQ(list.GetQuestion(0), nullptr);
    Fill(list, 3);
    EXPECT_EQ(list.QuestionCount(), 3);
    EXPECT_EQ(list.GetQuestion(2)->Text, "2");
    for (int32_t index : {-1, 3, INT32_MIN, INT32_MAX}) EXPECT_EQ(list.GetQuestion(index), nullptr) << index;
}

TEST(QuestionList, IsValidNeedsTextAndTwoOptions) {
    struct Case {
        std::string text;
        int options;
        bool valid;
    } cases[] = {{"q", 2, true}, {" ", 2, true}, {"", 2, false}, {"q", 1, false}, {"q", 0, false}, {"q", 5, true}};
    for (const Case& c : cases) EXPECT_EQ(MakeQuestion(c.text, c.options)->IsValid(), c.valid) << c.text << c.options;
}

TEST(Shuffle, ShortSequencesStayAndDrawNothing) {
    const uint32_t untouched = NextDrawAfter(7, [] {});
    for (int n : {0, 1}) {
        TQuestionList list;
        Fill(list, n);
        EXPECT_EQ(NextDrawAfter(7, [&] { list.Shuffle(); }), untouched) << n;
        if (n) {
            EXPECT_EQ(list.GetQuestion(0)->Text, "0");
        }
        auto q = MakeQuestion("q", n);
        EXPECT_EQ(NextDrawAfter(7, [&] { q->ShuffleAnswers(); }), untouched) << n;
        if (n) {
            EXPECT_EQ(q->Answers[0].Text, "q/0");
        }
    }
}

TEST(Shuffle, TwoAreAlwaysExchanged) {
    for (uint64_t seed : {1u, 2u, 3u, 99u}) {
        SeedRandom(seed);
        TQuestionList list;
        Fill(list, 2);
        list.Shuffle();
        EXPECT_EQ(list.GetQuestion(0)->Text, "1");
        auto q = MakeQuestion("q", 2);
        q->ShuffleAnswers();
        EXPECT_EQ(q->Answers[0].Text, "q/1");
        EXPECT_EQ(q->Answers[1].Right, -1);  // the flag travels with its text
        q->ShuffleAnswers();
        EXPECT_EQ(q->Answers[0].Text, "q/0");
        EXPECT_EQ(q->Answers[0].Right, -1);
    }
}

TEST(Shuffle, EveryElementLeavesItsPlaceInOneCycleWithNMinusOneDraws) {
    for (int n = 3; n <= 9; ++n) {
        for (uint64_t seed = 1; seed <= 20; ++seed) {
            TQuestionList list;
            Fill(list, n);
            auto q = MakeQuestion("q", n);
            uint32_t draws = NextDrawAfter(seed, [&] {
                for (int i = n - 1; i >= 1; --i) RandomBelow(uint32_t(i));
            });
            ASSERT_EQ(NextDrawAfter(seed, [&] { list.Shuffle(); }), draws);
            ASSERT_EQ(NextDrawAfter(seed, [&] { q->ShuffleAnswers(); }), draws);

            std::vector<int> questions, options;
            for (int i = 0; i < n; ++i) {
                questions.push_back(std::stoi(list.GetQuestion(i)->Text));
                const TAnswer& a = q->Answers[size_t(i)];
                options.push_back(std::stoi(a.Text.substr(2)));
                EXPECT_EQ(a.Right != 0, options.back() == 0);
            }
            for (int i = 0; i < n; ++i) {
                EXPECT_NE(questions[size_t(i)], i) << n << " seed " << seed;
                EXPECT_NE(options[size_t(i)], i) << n << " seed " << seed;
            }
            EXPECT_TRUE(SingleCycle(questions)) << n << " seed " << seed;
            EXPECT_TRUE(SingleCycle(options)) << n << " seed " << seed;
        }
    }
}

TEST(Random, StaysInRangeAndHasNoModuloBias) {
    SeedRandom(12345);
    std::vector<int> counts(5);
    for (int i = 0; i < 10000; ++i) {
        uint32_t v = RandomBelow(5);
        ASSERT_LT(v, 5u);
        ++counts[v];
    }
    for (int c : counts) EXPECT_NEAR(c, 2000, 200);
    // With a range of 3 * 2^30, reducing a 32-bit draw modulo the range would make
    // the values below 2^30 twice as likely as the others.
    int low = 0;
    const int draws = 6000;
    for (int i = 0; i < draws; ++i) low += RandomBelow(0xC0000000u) < 0x40000000u;
    EXPECT_NEAR(double(low) / draws, 1.0 / 3, 0.03);
    EXPECT_EQ(RandomBelow(1), 0u);
}

TEST(Random, SeedFromClockFollowsTheTimeOfDayInMilliseconds) {
    FakeClock clock(46000.25);
    auto sequence = [] {
        SeedRandomFromClock();
        std::vector<uint32_t> v;
        for (int i = 0; i < 4; ++i) v.push_back(RandomBelow(1u << 30));
        return v;
    };
    auto first = sequence();
    EXPECT_EQ(sequence(), first);
    clock.now = 46001.25;  // the same time on another day
    EXPECT_EQ(sequence(), first);
    clock.Advance(1);
    EXPECT_NE(sequence(), first);
}
