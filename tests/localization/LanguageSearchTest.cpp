// Runs under a Russian locale: the candidates beside TEST.EXE are TEST.lng,
// TEST.RUS and TEST.RU, in that order.
#include <gtest/gtest.h>

#include "Files.h"
#include "Language.h"
#include "TestSupport.h"

namespace {

struct SearchCase {
    std::vector<const char*> present;
    const char* found;  // empty: none
};

TEST(FindLanguageFile, TakesTheFirstCandidateThatExists) {
    ASSERT_EQ(LanguageAbbreviation(), "RUS");
    const SearchCase cases[] = {
        {{"TEST.lng", "TEST.RUS", "TEST.RU"}, "TEST.lng"},
        {{"TEST.RU", "TEST.RUS"}, "TEST.RUS"},
        {{"TEST.RU"}, "TEST.RU"},
        {{"TEST.lng", "TEST.RU"}, "TEST.lng"},
        {{"TEST.EN", "TEST.ENU", "OTHER.lng"}, ""},
    };
    for (const SearchCase& c : cases) {
        TempDir dir;
        SetProgramFileName(dir.File("TEST.EXE"));
        for (const char* name : c.present) WriteBytes(dir.File(name), "[-Messages-]\nrsTopics=" + std::string(name) + "\n");
        TLanguage lang(nullptr);
        EXPECT_EQ(lang.FindLanguageFile(), *c.found != '\0');
        EXPECT_EQ(lang.LanguageFile(), *c.found ? dir.File(c.found) : "") << c.found;
        EXPECT_EQ(lang.GetMessage("rsTopics", "none"), *c.found ? c.found : "none");
    }
    SetProgramFileName("");
}

TEST(FindLanguageFile, FailedSearchKeepsTheFileFoundBefore) {
    TempDir dir;
    SetProgramFileName(dir.File("TEST.EXE"));
    WriteBytes(dir.File("TEST.RU"), "[-Messages-]\nrsTopics=ru\n");
    TLanguage lang(nullptr);
    ASSERT_TRUE(lang.FindLanguageFile());
    ASSERT_TRUE(DeleteFileAnsi(dir.File("TEST.RU")));
    EXPECT_FALSE(lang.FindLanguageFile());
    EXPECT_EQ(lang.LanguageFile(), dir.File("TEST.RU"));
    SetProgramFileName("");
}

}  // namespace
