// The question source format, the compiler with its log and file failures, and the
// compiler's message reader.
#include "Files.h"
#include "Format.h"
#include "Messages.h"
#include "Quest.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

namespace {
std::string Msg(const TMessage& m, int number) { return "\r\n" + Format(m.Text(), {number}); }

std::string Lines(std::initializer_list<const char*> lines, const std::string& end = "\r\n") {
    std::string s;
    for (const char* l : lines) s += A(l) + end;
    return s;
}

std::string ToLf(std::string s) {
    std::string out;
    for (size_t i = 0; i < s.size(); ++i)
        if (!(s[i] == '\r' && i + 1 < s.size() && s[i + 1] == '\n')) out.push_back(s[i]);
    return out;
}

struct Parsed {
    std::vector<std::string> questions;  // "text|+right|-wrong"
    std::string errors;                  // all reported Errors in order
    int32_t lineNo = 0;
};

Parsed Parse(const std::string& source) {
    TQuestionList list;
    Parsed p;
    list.OnError = [&p](TQuestion& q) { p.errors += q.Errors; };
    TMemoryStream s(source);
    list.LoadFromSource(s);
    for (int32_t i = 0; i < list.QuestionCount(); ++i) {
        const TQuestion& q = *list.GetQuestion(i);
        std::string d = q.Text;
        for (const TAnswer& a : q.Answers) d += std::string("|") + (a.Right ? "+" : "-") + a.Text;
        p.questions.push_back(d);
    }
    p.lineNo = list.LineNo;
    return p;
}

const std::string Example = Lines({"Тема: пример", "?1", "Сколько будет", "2+2?", "+4", "-5", "-22", "?2",
                                   "Вопрос без верного", "-да", "-нет", "?3", "Вопрос без вариантов", "?4", "",
                                   "+пусто", "-", "-x"});

std::string ExampleLog(const std::string& time = "0,00") {
    return AnsiToOem(Msg(rsRightAnsNotFound, 12) + "\r\n" + Msg(rsAnsNotFound, 14) + "\r\n" +
                     Msg(rsWrongQstText, 15) + Msg(rsWrongAnsText, 17) + "\r\n" +
                     A("Время компиляции:          " + time + " сек") + "\r\n" +
                     A("Общее количество вопросов: 3") + "\r\n");
}

class CompilerTest : public ::testing::Test {
protected:
    TempDir dir;
    RussianLocale locale;
    FakeClock clock;

    // Compiles `source` written as name; returns the log bytes.
    std::string Compile(const std::string& source, const std::string& name = "topic.qst") {
        WriteBytes(dir.File(name), source);
        TCompiler(dir.File(name), dir.File("topic.log"), 3);
        return ReadBytes(dir.File("topic.log"));
    }
    std::vector<std::string> Load(const std::string& path) {
        TQuestionList list;
        EXPECT_THROW(LoadCompiledFile(list, path), EReadError);
        std::vector<std::string> texts;
        for (int32_t i = 0; i < list.QuestionCount(); ++i) texts.push_back(list.GetQuestion(i)->Text);
        return texts;
    }
};
}  // namespace

TEST(SourceFormat, ExampleCompilesToThreeQuestionsInBothLineEnds) {
    for (const std::string& source : {Example, ToLf(Example)}) {
        Parsed p = Parse(source);
        ASSERT_EQ(p.questions.size(), 3u);
        EXPECT_EQ(p.questions[0], A("Сколько будет 2+2? |+4|-5|-22"));
        EXPECT_EQ(p.questions[1], A("Вопрос без верного |-да|-нет"));
        EXPECT_EQ(p.questions[2], A(" |+пусто|-|-x"));
        EXPECT_EQ(p.errors, Msg(rsRightAnsNotFound, 12) + Msg(rsAnsNotFound, 14) + Msg(rsWrongQstText, 15) +
                                Msg(rsWrongAnsText, 17));
        EXPECT_EQ(p.lineNo, 19);
    }
}

TEST(SourceFormat, EdgeCasesGiveTheSameResultWithCrLfAndLf) {
    struct Case {
        const char* name;
        std::string source;  // CR LF line ends; each case also runs with LF alone
        std::vector<std::string> questions;
        std::string errors;
    } cases[] = {
        {"empty file", "", {}, ""},
        {"no marker line", Lines({"+a", "-b", "text"}), {}, ""},
        {"plus line right after the marker is text", Lines({"?", "+A", "-B", "-C"}), {"+A |-B|-C"},
         Msg(rsRightAnsNotFound, 5)},
        {"single option dropped silently", Lines({"?", "Q", "+A", "?", "R", "+x", "-y"}), {"R |+x|-y"}, ""},
        {"lone marker as the last line", Lines({"?", "Q", "+A", "-B", "?"}), {"Q |+A|-B"},
         Msg(rsWrongQstText, 5) + Msg(rsAnsNotFound, 6)},
        {"lone marker without line end", Lines({"?", "Q", "+A", "-B"}) + "?", {"Q |+A|-B"},
         Msg(rsWrongQstText, 4) + Msg(rsAnsNotFound, 5)},
        {"tab dropped", Lines({"?", "Li\tne2", "+a", "-b"}), {"Line2 |+a|-b"}, ""},
        {"blank line adds a space", Lines({"?", "Line1", "", "Line2", "+a", "-b"}), {"Line1  Line2 |+a|-b"}, ""},
        {"option continuation lines", Lines({"?", "Q", "+A", "-B", "cont", "  more  "}), {"Q |+A|-B cont   more"}, ""},
        {"markers inside lines are text", Lines({"?", " What? a+b-c", "+x-y", "- z? "}), {" What? a+b-c |+x-y|-z?"},
         ""},
        {"last line without line end", Lines({"?", "Q", "+A"}) + "-B", {"Q |+A|-B"}, ""},
        {"remark after the marker, lines before the first ignored", Lines({"title", "+x", "?12 remark", "Q", "+A", "-B"}),
         {"Q |+A|-B"}, ""},
        {"several right options", Lines({"?", "Q", "+A", "+B", "-C", "+D"}), {"Q |+A|+B|-C|+D"}, ""},
        {"blank option keeps its place", Lines({"?", "Q", "+A", "-   ", "-C"}), {"Q |+A|-|-C"},
         Msg(rsWrongAnsText, 4)},
        {"blank text with options", Lines({"?", "   ", "+A", "-B"}), {"    |+A|-B"}, Msg(rsWrongQstText, 2)},
        {"no option before next marker", Lines({"?", "Q1", "?", "Q2", "+a", "-b"}), {"Q2 |+a|-b"},
         Msg(rsAnsNotFound, 3)},
        {"cyrillic kept byte for byte", Lines({"?", "Ёж ЯЩИК", "+да", "-нет"}), {A("Ёж ЯЩИК |+да|-нет")}, ""},
    };
    for (const Case& c : cases) {
        for (bool lf : {false, true}) {
            Parsed p = Parse(lf ? ToLf(c.source) : c.source);
            EXPECT_EQ(p.questions, c.questions) << c.name << (lf ? " (LF)" : "");
            EXPECT_EQ(p.errors, c.errors) << c.name << (lf ? " (LF)" : "");
        }
    }
}

TEST(SourceFormat, LineCountCountsEachLineEndOnce) {
    struct Case {
        std::string source;
        int32_t lineNo;
    } cases[] = {{"", 1}, {"a\r\nb\r\n", 3}, {"a\nb\n", 3}, {"a\rb\r", 3}, {"a\r\n\nb", 3}, {"\n\r\n\r", 4}};
    for (const Case& c : cases) EXPECT_EQ(Parse(c.source).lineNo, c.lineNo) << c.source;
}

TEST(SourceFormat, ParsingLongSourcesAcrossBufferBoundaries) {
    // Questions cut by the reader's buffer at every offset still parse whole.
    std::string source = Lines({"?"}) + std::string(65530, 'x') + "\r\n";
    for (int i = 0; i < 50; ++i) source += Lines({"?", "Q", "+A", "-B"});
    Parsed p = Parse(source);
    ASSERT_EQ(p.questions.size(), 50u);
    EXPECT_EQ(p.errors, Msg(rsAnsNotFound, 3));
    for (const std::string& q : p.questions) EXPECT_EQ(q, "Q |+A|-B");
}

// A source that ends before the size it reported (a file cut while it is compiled)
// ends the parse with what was read; it must not be parsed again and again forever.
TEST(SourceFormat, SourceShorterThanItsSizeEndsTheParse) {
    struct Cut : TMemoryStream {
        using TMemoryStream::TMemoryStream;
        int64_t Size() const override { return TMemoryStream::Size() + 1000; }
    } source(Lines({"?", "Q", "+A", "-B"}));
    TQuestionList list;
    list.LoadFromSource(source);
    EXPECT_EQ(list.QuestionCount(), 1);
}

TEST_F(CompilerTest, ExampleLogAndCompiledFile) {
    for (const std::string& source : {Example, ToLf(Example)}) {
        std::string log = Compile(source);
        EXPECT_EQ(log, ExampleLog());
        EXPECT_EQ(log.substr(2, 6), "\x91\xE2\xE0\xAE\xAA\xA0") << "the log is in cp866";
        EXPECT_EQ(Load(dir.File("topic.qsz")),
                  (std::vector<std::string>{A("Сколько будет 2+2? "), A("Вопрос без верного "), " "}));
    }
}

TEST_F(CompilerTest, CompileTimeCoversTheParsingInSeconds) {
    // 1234 ms pass between the two readings of the tick count, across its wrap.
    struct Advancing : TClock {
        uint32_t t = 0xFFFFFF00u;
        int calls = 0;
        TDateTime Now() override { return 46000.5; }
        uint32_t TickCount() override { return calls++ ? t + 1234 : t; }
    } advancing;
    SetClock(&advancing);
    std::string log = Compile(Example);
    SetClock(&clock);
    EXPECT_EQ(log, ExampleLog("1,23"));
}

TEST_F(CompilerTest, EmptySourceGivesEmptyZlibStreamAndSummaryOnly) {
    EXPECT_EQ(Compile(""), AnsiToOem(A("Время компиляции:          0,00 сек\r\nОбщее количество вопросов: 0\r\n")));
    std::string qsz = ReadBytes(dir.File("topic.qsz"));
    EXPECT_EQ(qsz, std::string("\x78\xDA\x03\x00\x00\x00\x00\x01", 8));
}

TEST_F(CompilerTest, OutputPathRule) {
    struct Case {
        const char* source;
        const char* output;
    } cases[] = {{"algebra.QST", "algebra.qsz"}, {"noext", "noext.qsz"}, {"two.dots.txt", "two.dots.qsz"}};
    for (const Case& c : cases) {
        Compile(Lines({"?", "Q", "+A", "-B"}), c.source);
        EXPECT_TRUE(std::filesystem::exists(NativePath(dir.File(c.output)))) << c.source;
    }
    // An existing compiled file in other letter case is the one rewritten.
    WriteBytes(dir.File("GEO.QSZ"), "old");
    Compile(Lines({"?", "Q", "+A", "-B"}), "GEO.QST");
    EXPECT_FALSE(std::filesystem::exists(NativePath(dir.File("GEO.qsz"))));
    EXPECT_EQ(Load(dir.File("GEO.QSZ")), std::vector<std::string>{"Q "});
}

TEST_F(CompilerTest, FileFailuresRaiseAfterClosingEverything) {
    const std::string missing = dir.File("missing.qst");
    try {
        TCompiler(missing, dir.File("topic.log"), 3);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Text(), A("Не могу открыть файл ") + missing);
    }
    EXPECT_EQ(ReadBytes(dir.File("topic.log")), "");
    EXPECT_FALSE(std::filesystem::exists(NativePath(dir.File("missing.qsz"))));

    // The output name is taken by a folder.
    WriteBytes(dir.File("busy.qst"), Lines({"?", "Q", "+A", "-B"}));
    std::filesystem::create_directory(NativePath(dir.File("busy.qsz")));
    try {
        TCompiler(dir.File("busy.qst"), dir.File("busy.log"), 3);
        FAIL() << "no error";
    } catch (const Error& e) {
        EXPECT_EQ(e.Text(), A("Не могу создать файл ") + dir.File("busy.qsz"));
    }
    EXPECT_EQ(ReadBytes(dir.File("busy.log")), "");

    // The log cannot be created: nothing else is touched.
    WriteBytes(dir.File("a.qst"), Lines({"?", "Q", "+A", "-B"}));
    EXPECT_THROW(TCompiler(dir.File("a.qst"), dir.File("no-folder") + PathDelim + "a.log", 3), Error);
    EXPECT_FALSE(std::filesystem::exists(NativePath(dir.File("a.qsz"))));

#ifdef __linux__
    // A compiled file on a full device: the write error, with the log complete.
    if (std::filesystem::exists("/dev/full")) {
        WriteBytes(dir.File("full.qst"), Lines({"?", "Q", "+A", "-B"}));
        std::filesystem::create_symlink("/dev/full", NativePath(dir.File("full.qsz")));
        try {
            TCompiler(dir.File("full.qst"), dir.File("full.log"), 3);
            FAIL() << "no error";
        } catch (const Error& e) {
            EXPECT_EQ(e.Text(), A("Ошибка записи потока"));
        }
        EXPECT_NE(ReadBytes(dir.File("full.log")).find(AnsiToOem(A("вопросов: 1"))), std::string::npos);
    }
#endif
}

TEST_F(CompilerTest, MessagesComeFromTheLanguageFileReadAnew) {
    SetProgramFileName(dir.File("kvizor2"));
    const std::string lng = dir.File("kvizor2.lng");
    WriteBytes(lng, A("[-Messages-]\r\nrsQuestCount=Вопросов: %d\r\nrsAnsNotFound=Нет ответов (%d)\r\n"));
    OpenMessageReader();
    EXPECT_EQ(MessageFileName(), lng);
    std::string source = Lines({"?", "Q", "?", "R", "+a", "-b"});
    std::string log = Compile(source);
    EXPECT_EQ(log, AnsiToOem(A("\r\nНет ответов (3)\r\nВремя компиляции:          0,00 сек\r\nВопросов: 1\r\n")));

    // A change of the file reaches the next compilation; a file made after the
    // search does not.
    WriteBytes(lng, A("[-Messages-]\r\nrsQuestCount=Всего: %d\r\n"));
    EXPECT_NE(Compile(source).find(AnsiToOem(A("Всего: 1"))), std::string::npos);
    DeleteFileAnsi(lng);
    OpenMessageReader();
    EXPECT_EQ(MessageFileName(), "");
    WriteBytes(lng, A("[-Messages-]\r\nrsQuestCount=Всего: %d\r\n"));
    EXPECT_EQ(Compile(source).substr(0, 2 + 10), AnsiToOem(Msg(rsAnsNotFound, 3)).substr(0, 12));
    EXPECT_NE(Compile(source).find(AnsiToOem(A("Общее количество вопросов: 1"))), std::string::npos);

    CloseMessageReader();
    SetProgramFileName("");
}
