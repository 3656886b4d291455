// Arbitrary bytes as a question source ".QST": the compiler must finish with a
// compiled file and a log, and the compiled file must load back to exactly the
// questions that the parser builds from the same bytes in memory.
#include "CodePage.h"
#include "FuzzSupport.h"
#include "Format.h"
#include "Messages.h"
#include "Quest.h"

namespace {
std::string Describe(const TQuestionList& list) {
    std::string d;
    for (int32_t i = 0; i < list.QuestionCount(); ++i) {
        const TQuestion& q = *list.GetQuestion(i);
        d += "[" + q.Text + "]";
        for (const TAnswer& a : q.Answers) d += (a.Right ? "+" : "-") + a.Text + "|";
        d += "\n";
    }
    return d;
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    const std::string dir = FuzzFolder();
    WriteFuzzFile(dir + "T.QST", bytes);

    try {
        TCompiler compiler(dir + "T.QST", dir + "T.log", 3);
    } catch (const Error& e) {
        FuzzFail("the compiler fails only on file errors", e.Text());
    }

    TQuestionList parsed;
    int faulty = 0;
    parsed.OnError = [&faulty](TQuestion& q) {
        ++faulty;
        FUZZ_CHECK(q.Errors.size() >= 2 && q.Errors.compare(0, 2, "\r\n") == 0, q.Errors);
    };
    TMemoryStream source(bytes);
    parsed.LoadFromSource(source);
    FUZZ_CHECK(parsed.LineNo >= 1, "");
    for (int32_t i = 0; i < parsed.QuestionCount(); ++i) {
        const TQuestion& q = *parsed.GetQuestion(i);
        FUZZ_CHECK(q.IsValid(), q.Text);
        for (char c : q.Text) FUZZ_CHECK(static_cast<unsigned char>(c) >= 32, q.Text);
        for (const TAnswer& a : q.Answers) {
            FUZZ_CHECK(a.Right == -1 || a.Right == 0, a.Text);
            FUZZ_CHECK(a.Text.empty() || (a.Text.front() != ' ' && a.Text.back() != ' '), a.Text);
            for (char c : a.Text) FUZZ_CHECK(static_cast<unsigned char>(c) >= 32, a.Text);
        }
    }

    TQuestionList loaded;
    try {
        LoadCompiledFile(loaded, CompiledFileName(dir + "T.QST"));
    } catch (const EReadError&) {
        // the normal end of every compiled file
    } catch (const Error& e) {
        FuzzFail("a compiled file loads", e.Text());
    }
    FUZZ_CHECK(Describe(loaded) == Describe(parsed), Describe(loaded) + "---\n" + Describe(parsed));

    // The log ends with the question count.
    const std::string log = ReadFuzzFile(dir + "T.log");
    const std::string count = AnsiToOem(Format(rsQuestCount.Text(), {parsed.QuestionCount()})) + "\r\n";
    FUZZ_CHECK(log.size() >= count.size() && log.compare(log.size() - count.size(), count.size(), count) == 0, log);
    (void)faulty;
    return 0;
}
