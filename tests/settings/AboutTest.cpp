// The about window: its layout, the links' highlighting and clicks, the notice.
#include <gtest/gtest.h>

#include <QLabel>
#include <QMouseEvent>
#include <QPushButton>
#include <QTest>

#include "About.h"
#include "CodePage.h"
#include "Files.h"
#include "FormSupport.h"
#include "TestSupport.h"

namespace {

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override {
        InstallFontSubstitutes();  // the fonts of the program, for the widths of its texts
        SetProgramFileName(dir.File("kvizor2"));
        frm = std::make_unique<TFrmAbout>();
        frm->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(frm.get()));
    }
    void TearDown() override { SetProgramFileName(""); }

    QLabel* L(const char* name) const {
        auto* l = frm->findChild<QLabel*>(name);
        if (!l) ADD_FAILURE() << "no label " << name;
        return l;
    }
    void MoveOver(QWidget* w) const { QTest::mouseMove(w, w->rect().center()); }
    static bool Highlighted(QLabel* l) {
        return l->palette().color(QPalette::WindowText) == QColor(0, 0, 255) && l->font().underline();
    }
    static bool Plain(QLabel* l) {
        return l->palette().color(QPalette::WindowText) == QColor(0, 0, 0) && !l->font().underline();
    }
    void Activate() const {
        frm->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(frm.get()));
    }

    TempDir dir;
    FakeShell shell;
    std::unique_ptr<TFrmAbout> frm;
};

TEST_F(AboutTest, LayoutAndTexts) {
    EXPECT_EQ(frm->objectName(), "FrmAbout");
    EXPECT_EQ(frm->windowTitle(), QString::fromUtf8("О программе..."));
    EXPECT_EQ(frm->size(), QSize(320, 211));
    EXPECT_EQ(frm->minimumSize(), frm->maximumSize());
    struct { const char* name; QRect rect; const char* text; } labels[] = {
        {"LblProgName", {0, 0, 320, 65}, "Квизор II"},
        {"LblSmallAbout", {0, 65, 320, 24}, "Программа контроля знаний учащихся"},
        {"LblVersion", {0, 89, 320, 24}, "Версия 1.03i"},
        {"LblMailTo", {9, 136, 190, 13}, "Все вопросы направляйте по адресу:"},
    };
    for (const auto& l : labels) {
        SCOPED_TRACE(l.name);
        EXPECT_EQ(L(l.name)->geometry(), l.rect);
        EXPECT_EQ(L(l.name)->text(), QString::fromUtf8(l.text));
    }
    EXPECT_EQ(L("LblProgName")->font().pixelSize(), 32);
    EXPECT_EQ(L("LblMailTo")->alignment() & Qt::AlignHorizontal_Mask, Qt::AlignRight);
    EXPECT_EQ(L("Label2")->geometry(), QRect(0, 113, 320, 24));
    // The links: sized to their text, the web address centred on the window.
    EXPECT_EQ(L("Label7")->text(), DefaultMailAddress);
    EXPECT_EQ(L("Label7")->pos(), QPoint(206, 136));
    EXPECT_EQ(L("Label7")->width(), L("Label7")->fontMetrics().horizontalAdvance(L("Label7")->text()) + 1);
    EXPECT_NEAR(L("LblX")->geometry().center().x(), 160, 1);
    EXPECT_EQ(L("LblX")->y(), 160);
    EXPECT_LE(L("Label7")->geometry().right(), 320);  // the address fits the window
    EXPECT_EQ(L("LblX")->cursor().shape(), Qt::PointingHandCursor);
    auto* ok = frm->findChild<QPushButton*>("BtnOK");
    EXPECT_EQ(ok->geometry(), QRect(123, 184, 75, 25));
    EXPECT_TRUE(ok->isDefault());
    QTest::keyClick(frm.get(), Qt::Key_Return);
    EXPECT_FALSE(frm->isVisible());
    EXPECT_EQ(frm->result(), QDialog::Accepted);
}

TEST_F(AboutTest, LinksLightUpUnderTheMouseUntilItMovesOverTheWindow) {
    QLabel* web = L("LblX");
    QLabel* mail = L("Label7");
    EXPECT_FALSE(web->font().underline());
    MoveOver(web);
    EXPECT_TRUE(Highlighted(web));
    MoveOver(frm->findChild<QPushButton*>("BtnOK"));  // the button changes nothing
    EXPECT_TRUE(Highlighted(web));
    MoveOver(mail);
    EXPECT_TRUE(Highlighted(mail));
    EXPECT_TRUE(Highlighted(web));
    QTest::mouseMove(frm.get(), QPoint(5, 180));  // the window's background
    EXPECT_TRUE(Plain(web));
    EXPECT_TRUE(Plain(mail));
    for (const char* other : {"LblProgName", "LblSmallAbout", "LblVersion", "Label2", "LblMailTo"}) {
        SCOPED_TRACE(other);
        MoveOver(mail);
        ASSERT_TRUE(Highlighted(mail));
        MoveOver(L(other));
        EXPECT_TRUE(Plain(mail));
    }
}

TEST_F(AboutTest, ClicksOpenTheAddressesOfTheCaptions) {
    QTest::mouseClick(L("LblX"), Qt::LeftButton);
    QTest::mouseClick(L("Label7"), Qt::LeftButton);
    const std::string readme = QStringToAnsi(QUrl::fromLocalFile(AnsiToQString(dir.File("README.md"))).toString());
    EXPECT_EQ(shell.opened, (std::vector<std::string>{readme, "mailto:kvizor2@example.org"}));
    EXPECT_EQ(readme.rfind("file:///", 0), 0u);
}

TEST_F(AboutTest, NoticeIsTheDesignTextOrTheLatinOneWithALanguageFile) {
    Activate();
    const QString design = L("Label2")->text();
    EXPECT_FALSE(design.isEmpty());
    EXPECT_NE(design, LatinNotice);

    // A school's own addresses and notice: the notice stays the program's.
    WriteBytes(dir.File("kvizor2.lng"), "[FrmAbout]\nLabel2.Caption=Someone else\nLblX.Caption=https://school.example/kvizor\n"
                                        "Label7.Caption=admin@school.example\n");
    QWidget other;  // another window takes the focus; then this one is active again
    other.show();
    other.activateWindow();
    EXPECT_TRUE(QTest::qWaitForWindowActive(&other));
    Activate();
    EXPECT_EQ(L("Label2")->text(), LatinNotice);
    EXPECT_EQ(L("LblX")->text(), "https://school.example/kvizor");
    EXPECT_NEAR(L("LblX")->geometry().center().x(), 160, 1);
    EXPECT_EQ(L("Label7")->width(), L("Label7")->fontMetrics().horizontalAdvance(L("Label7")->text()) + 1);
    QTest::mouseClick(L("LblX"), Qt::LeftButton);
    QTest::mouseClick(L("Label7"), Qt::LeftButton);
    EXPECT_EQ(shell.opened, (std::vector<std::string>{"https://school.example/kvizor", "mailto:admin@school.example"}));
}

}  // namespace
