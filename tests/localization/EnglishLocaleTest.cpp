// Runs under a US English locale: the shipped English file beside the program is
// found by its two-letter name.
#include <gtest/gtest.h>

#include "Files.h"
#include "Language.h"
#include "Messages.h"
#include "TestSupport.h"

TEST(FindLanguageFile, EnglishLocaleFindsTheShippedEnglishFile) {
    ASSERT_EQ(LanguageAbbreviation(), "ENU");
    TempDir dir;
    SetProgramFileName(dir.File("kvizor2"));
    WriteBytes(dir.File("kvizor2.EN"), ReadBytes(std::string(KV_EXAMPLES_DIR) + "/kvizor2.EN"));
    TLanguage lang(nullptr);
    EXPECT_EQ(Msg(lang, rsCaption), rsCaption.Text());
    ASSERT_TRUE(lang.FindLanguageFile());
    EXPECT_EQ(lang.LanguageFile(), dir.File("kvizor2.EN"));
    EXPECT_EQ(Msg(lang, rsCaption), "Kvizor II - ");
    SetProgramFileName("");
}
