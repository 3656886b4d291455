// The confirmation dialog itself, answered with its keys and its close box.
#include "Confirm.h"

#include "CodePage.h"
#include "Files.h"
#include "TestSupport.h"

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

#include <gtest/gtest.h>

namespace {

class ConfirmTest : public ::testing::Test {
protected:
    void SetUp() override {
        SetProgramFileName(program.File("KVIZOR2"));
        dlg = std::make_unique<TFrmConfirm>();
        FrmConfirm = dlg.get();
    }
    void TearDown() override {
        dlg.reset();
        SetProgramFileName("");
    }
    // Asks `text`; `answer` runs on the dialog once it is the modal window.
    bool AskAnd(const std::string& text, std::function<void(QWidget*)> answer) {
        QTimer::singleShot(0, [answer] {
            QTRY_VERIFY(QApplication::activeModalWidget() != nullptr);
            QWidget* w = QApplication::activeModalWidget();
            QVERIFY(QTest::qWaitForWindowActive(w));
            answer(w);
        });
        return AskConfirmation(text);
    }
    QLabel* Label() const { return dlg->findChild<QLabel*>("LblConfirm"); }

    TempDir program;
    std::unique_ptr<TFrmConfirm> dlg;
};

TEST_F(ConfirmTest, LayoutAndTexts) {
    EXPECT_EQ(dlg->windowTitle(), QString::fromUtf8("Подвердите"));
    EXPECT_EQ(dlg->size(), QSize(368, 71));
    EXPECT_TRUE(dlg->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(Label()->geometry(), QRect(3, 8, 281, 57));
    EXPECT_EQ(Label()->alignment(), Qt::AlignCenter);
    EXPECT_TRUE(Label()->wordWrap());
    auto* yes = dlg->findChild<QPushButton*>("BtnYes");
    auto* no = dlg->findChild<QPushButton*>("BtnNo");
    EXPECT_EQ(yes->text(), QString::fromUtf8("&Да"));
    EXPECT_EQ(no->text(), QString::fromUtf8("&Нет"));
    EXPECT_EQ(yes->geometry(), QRect(288, 8, 75, 25));
    EXPECT_EQ(no->geometry(), QRect(288, 40, 75, 25));
    EXPECT_TRUE(yes->isDefault());
}

TEST_F(ConfirmTest, EnterWithTheInitialFocusIsYes) {
    QWidget* focused = nullptr;
    EXPECT_TRUE(AskAnd(A("Выйти?"), [&](QWidget* w) {
        focused = QApplication::focusWidget();
        QTest::keyClick(w, Qt::Key_Return);
    }));
    EXPECT_EQ(focused, dlg->findChild<QPushButton*>("BtnYes"));
    EXPECT_EQ(Label()->text(), QString::fromUtf8("Выйти?"));
}

TEST_F(ConfirmTest, EscAndTheCloseBoxAreNo) {
    EXPECT_FALSE(AskAnd(A("Выйти?"), [](QWidget* w) { QTest::keyClick(w, Qt::Key_Escape); }));
    EXPECT_FALSE(AskAnd(A("Выйти?"), [](QWidget* w) { w->close(); }));
    EXPECT_TRUE(AskAnd(A("Выйти?"), [](QWidget* w) {
        QTest::mouseClick(w->findChild<QPushButton*>("BtnYes"), Qt::LeftButton);
    }));
    EXPECT_FALSE(AskAnd(A("Выйти?"), [](QWidget* w) {
        QTest::mouseClick(w->findChild<QPushButton*>("BtnNo"), Qt::LeftButton);
    }));
}

TEST_F(ConfirmTest, LongMessageWrappedAndCutAtTheLabelsHeight) {
    std::string text;
    for (int i = 0; i < 40; ++i) text += A("очень длинное сообщение ");
    int needed = 0;
    AskAnd(text, [&](QWidget* w) {
        needed = Label()->heightForWidth(Label()->width());
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_GT(needed, 57);
    EXPECT_EQ(Label()->geometry(), QRect(3, 8, 281, 57));
    EXPECT_EQ(dlg->size(), QSize(368, 71));
}

TEST_F(ConfirmTest, LanguageFileCaptionOfTheLabelReplacesEveryMessage) {
    WriteBytes(program.File("KVIZOR2.lng"),
               A("[FrmConfirm]\r\nCaption=Please confirm\r\nLblConfirm.Caption=Sure?\r\nBtnYes.Caption=&Yes\r\n"));
    QString shown, caption;
    AskAnd(A("Выйти?"), [&](QWidget* w) {
        shown = Label()->text();
        caption = w->windowTitle();
        QTest::keyClick(w, Qt::Key_Escape);
    });
    EXPECT_EQ(shown, QString("Sure?"));
    EXPECT_EQ(caption, QString("Please confirm"));
    EXPECT_EQ(dlg->findChild<QPushButton*>("BtnYes")->text(), QString("&Yes"));
}

TEST_F(ConfirmTest, WithoutTheDialogTheAnswerIsNo) {
    FrmConfirm = nullptr;
    EXPECT_FALSE(AskConfirmation("x"));
}

}  // namespace
