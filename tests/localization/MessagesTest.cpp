#include <gtest/gtest.h>

#include "CodePage.h"
#include "Error.h"
#include "Messages.h"
#include "TestWindow.h"

namespace {

TEST(Messages, BuiltInTextsStandWithoutALanguageFile) {
    RussianLocale russian;
    TestWindow w;
    EXPECT_FALSE(w.Lang.FindLanguageFile());
    EXPECT_EQ(w.Lang.LanguageFile(), "");
    EXPECT_EQ(Msg(w.Lang, rsCaption), A("Квизор II - "));
    EXPECT_EQ(Msg(w.Lang, rsFinished), A("Вы прошли "));
    EXPECT_EQ(Msg(w.Lang, rsQstNumber, {3, 10}), A("№3 из 10"));
    EXPECT_EQ(Msg(w.Lang, rsMarkFmt, {7.5, 10, 3.75}), A("Набрано баллов:   7,5 из 10\r\nВаша оценка:  3,8"));
    EXPECT_EQ(Msg(w.Lang, rsWrongQstText, {12}), A("Строка 12: Ошибка в тексте вопроса."));
}

TEST(Messages, FileTextOnlyAfterTheFirstSuccessfulSearch) {
    TestWindow w;
    w.WriteLang("[-Messages-]\nrsConfirmClose=Quit now?\n");
    // As while the window is being created: the component knows no file yet.
    EXPECT_EQ(Msg(w.Lang, rsConfirmClose), rsConfirmClose.Text());
    ASSERT_TRUE(w.Activate());
    EXPECT_EQ(Msg(w.Lang, rsConfirmClose), "Quit now?");
    EXPECT_EQ(w.Lang.GetMessage("rsUnknown", "fallback"), "fallback");
}

TEST(Messages, EveryLookupReadsTheFileAndFallsBackWhenItIsGone) {
    TestWindow w;
    w.WriteLang("[-Messages-]\nrsTopics=on topic:\n");
    ASSERT_TRUE(w.Lang.FindLanguageFile());
    EXPECT_EQ(Msg(w.Lang, rsTopics), "on topic:");
    w.WriteLang("[-Messages-]\nrsTopics=on the topics:\n");
    EXPECT_EQ(Msg(w.Lang, rsTopics), "on the topics:");
    ASSERT_TRUE(DeleteFileAnsi(w.LangFile()));
    EXPECT_EQ(Msg(w.Lang, rsTopics), A("по теме:"));
    EXPECT_EQ(w.Lang.LanguageFile(), w.LangFile());
}

// A translated text formatted with the arguments its use passes.
struct TranslatedCase {
    const char* text;  // UTF-8, as the language file holds it
    const TMessage* message;
    std::initializer_list<FormatArg> args;
    const char* expected;     // UTF-8; empty when formatting fails
    const char* errorFormat;  // the format error raised, with the text in place of %s
};

TEST(Messages, TranslatedTextsAreFormattedWithTheUsersArguments) {
    const TranslatedCase cases[] = {
        {"Баллы: %5.2g из %d, оценка %4.1f", &rsMarkFmt, {7.5, 10, 3.75}, "Баллы:   7,5 из 10, оценка  3,8", nullptr},
        {"Вопрос %d", &rsQstNumber, {3, 10}, "Вопрос 3", nullptr},  // surplus argument not shown
        {"%s из %d", &rsQstNumber, {3, 10}, "", "Строка формата '%s' неверна или не соответствует аргументу"},
        {"%d из %d из %d", &rsQstNumber, {3, 10}, "", "Нет аргумента для строки формата '%s'"},
        {"Line one\\r\\nline two", &rsStatWriteError, {}, "Line one\\r\\nline two", nullptr},
        {"100% sure?", &rsConfirmClose, {}, "100% sure?", nullptr},  // no arguments: not a format
    };
    RussianLocale russian;
    for (const TranslatedCase& c : cases) {
        SCOPED_TRACE(c.text);
        TestWindow w;
        w.WriteLang("[-Messages-]\n" + std::string(c.message->Id) + "=" + A(c.text) + "\n");
        ASSERT_TRUE(w.Lang.FindLanguageFile());
        if (!c.errorFormat) {
            EXPECT_EQ(Msg(w.Lang, *c.message, c.args), A(c.expected));
            continue;
        }
        try {
            Msg(w.Lang, *c.message, c.args);
            ADD_FAILURE() << "no format error";
        } catch (const Error& e) {
            EXPECT_EQ(e.Text(), Format(A(c.errorFormat), {A(c.text)}));
        }
    }
}

}  // namespace
