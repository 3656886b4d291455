#include <gtest/gtest.h>

#include <QTextDocument>

#include <functional>

#include "CodePage.h"
#include "Error.h"
#include "TestWindow.h"

namespace {

std::string Q(const QString& s) { return QStringToAnsi(s); }

std::vector<std::string> Names(const TComponent& owner) {
    std::vector<std::string> names;
    for (const TComponent* c : owner.Components()) names.push_back(c->Name());
    return names;
}

TEST(WindowComponents, ListsNamedObjectsInTreeOrderThenNonVisualOnes) {
    TestWindow w;
    new QLabel(&w.window);  // no name: not a component
    QWidget* other = Named<QWidget>(&w.window, "FrmOther");
    other->setWindowFlag(Qt::Window);
    Named<QPushButton>(other, "BtnInOther");  // belongs to the other window

    EXPECT_EQ(Names(w.Self), (std::vector<std::string>{"GrpBox", "Edt", "BtnOk", "SBtn", "Lbl", "CB", "RadBtn", "Pnl",
                                                       "NameCombo", "QstMemo", "TopicBox", "Gauge", "Img", "DlgSave",
                                                       "FrmOther", "Lang"}));
    for (const TComponent* c : w.Self.Components()) EXPECT_EQ(c->Owner(), &w.Self);
    EXPECT_EQ(w.Lang.Owner(), &w.Self);
    EXPECT_EQ(w.Self.Name(), "FrmTest");

    delete w.Lbl;  // a control destroyed with the window running is no longer listed
    EXPECT_EQ(Names(w.Self).size(), 15u);
}

TEST(WindowComponents, LanguageComponentLeavesItsOwnerWhenDestroyed) {
    TestWindow w;
    {
        TLanguage extra(&w.Self, "Extra");
        EXPECT_EQ(Names(w.Self).back(), "Extra");
    }
    EXPECT_EQ(Names(w.Self).back(), "Lang");
}

// One key of section "FrmTest" and what it must change.
struct KeyCase {
    const char* key;
    const char* value;  // UTF-8
    std::function<std::string(TestWindow&)> actual;
    const char* expected;  // UTF-8
};

const KeyCase keyCases[] = {
    {"Caption", "Окно", [](TestWindow& w) { return Q(w.window.windowTitle()); }, "Окно"},
    {"caption", "lower", [](TestWindow& w) { return Q(w.window.windowTitle()); }, "lower"},
    {"btnok.CAPTION", "Да", [](TestWindow& w) { return Q(w.BtnOk->text()); }, "Да"},
    {"BtnOk.Hint", "Кнопка", [](TestWindow& w) { return Q(w.BtnOk->toolTip()); }, "Кнопка"},
    {"SBtn.Caption", "S", [](TestWindow& w) { return Q(w.SBtn->text()); }, "S"},
    {"SBtn.Hint", "Все|Выбрать все темы", [](TestWindow& w) { return Q(w.SBtn->toolTip()); }, "Все"},
    {"SBtn.Hint", "Все|Выбрать все темы", [](TestWindow& w) { return Q(w.SBtn->statusTip()); }, "Выбрать все темы"},
    {"Lbl.Caption", "Метка", [](TestWindow& w) { return Q(w.Lbl->text()); }, "Метка"},
    {"Lbl.Hint", "h", [](TestWindow& w) { return Q(w.Lbl->toolTip()); }, "h"},
    {"CB.Caption", "Вопросы", [](TestWindow& w) { return Q(w.CB->text()); }, "Вопросы"},
    {"CB.Hint", "h", [](TestWindow& w) { return Q(w.CB->toolTip()); }, "h"},
    {"RadBtn.Caption", "Тренажер", [](TestWindow& w) { return Q(w.RadBtn->text()); }, "Тренажер"},
    {"RadBtn.Hint", "h", [](TestWindow& w) { return Q(w.RadBtn->toolTip()); }, "h"},
    {"GrpBox.Caption", " Режим ", [](TestWindow& w) { return Q(w.GrpBox->title()); }, "Режим"},
    {"GrpBox.Caption", "\" Режим \"", [](TestWindow& w) { return Q(w.GrpBox->title()); }, " Режим "},
    {"GrpBox.Hint", "h", [](TestWindow& w) { return Q(w.GrpBox->toolTip()); }, "h"},
    {"Pnl.Caption", "00:00:00", [](TestWindow& w) { return Q(w.Pnl->property("caption").toString()); }, "00:00:00"},
    {"Pnl.Hint", "h", [](TestWindow& w) { return Q(w.Pnl->toolTip()); }, "h"},
    {"Edt.Text", "20", [](TestWindow& w) { return Q(w.Edt->text()); }, "20"},
    {"NameCombo.Text", "Иванов", [](TestWindow& w) { return Q(w.NameCombo->currentText()); }, "Иванов"},
    {"NameCombo.Items", "A..B", [](TestWindow& w) {
         std::string s;
         for (int i = 0; i < w.NameCombo->count(); ++i) s += Q(w.NameCombo->itemText(i)) + ";";
         return s;
     }, "A;;B;"},
    {"QstMemo.Lines", "A.B.", [](TestWindow& w) { return Q(w.QstMemo->toPlainText()); }, "A\nB"},
    {"TopicBox.Items", " X . Y ", [](TestWindow& w) {
         std::string s;
         for (int i = 0; i < w.TopicBox->count(); ++i)
             s += Q(w.TopicBox->item(i)->text()) + (w.TopicBox->item(i)->flags() & Qt::ItemIsUserCheckable ? "[ ];" : ";");
         return s;
     }, "X[ ];Y[ ];"},
    {"Gauge.Hint", "Время", [](TestWindow& w) { return Q(w.Gauge->toolTip()); }, "Время"},
    {"Img.Hint", "Картинка", [](TestWindow& w) { return Q(w.Img->toolTip()); }, "Картинка"},
    {"Left", "$10", [](TestWindow& w) { return std::to_string(w.window.pos().x()); }, "16"},
    {"Top", "-3", [](TestWindow& w) { return std::to_string(w.window.pos().y()); }, "-3"},
    {"Width", "0x1F4", [](TestWindow& w) { return std::to_string(w.window.width()); }, "500"},
    {"Height", "300", [](TestWindow& w) { return std::to_string(w.window.height()); }, "300"},
    {"BtnOk.Left", "7", [](TestWindow& w) { return std::to_string(w.BtnOk->x()); }, "7"},
    {"Gauge.Top", "8", [](TestWindow& w) { return std::to_string(w.Gauge->y()); }, "8"},
    {"Img.Width", "25", [](TestWindow& w) { return std::to_string(w.Img->width()); }, "25"},
    {"Edt.Height", "21", [](TestWindow& w) { return std::to_string(w.Edt->height()); }, "21"},
    {"TopicBox.Tag", "+5", [](TestWindow& w) { return std::to_string(w.TopicBox->property("tag").toInt()); }, "5"},
    {"DlgSave.Title", "Save settings", [](TestWindow& w) { return w.DlgSave->Title; }, "Save settings"},
    {"DlgSave.Filter", "Kvizor Quick Start (*.kqs)|*.kqs|All files (*.*)|*.*", [](TestWindow& w) { return w.DlgSave->Filter; },
     "Kvizor Quick Start (*.kqs)|*.kqs|All files (*.*)|*.*"},
    {"dlgsave.defaultext", ".kql", [](TestWindow& w) { return w.DlgSave->DefaultExt; }, ".kql"},
    {" BtnOk . Caption ", "spaced", [](TestWindow& w) { return Q(w.BtnOk->text()); }, "spaced"},
};

TEST(Translate, EachKindOfControlTakesItsProperties) {
    for (const KeyCase& c : keyCases) {
        SCOPED_TRACE(c.key);
        TestWindow w;
        w.WriteLang("[FrmTest]\r\n" + std::string(c.key) + "=" + A(c.value) + "\r\n");
        ASSERT_TRUE(w.Activate());
        EXPECT_EQ(c.actual(w), A(c.expected));
    }
}

TEST(Translate, KeysThatReachNothingChangeNothingAndLaterKeysStillApply) {
    TestWindow w;
    w.BtnOk->setText("Design");
    const QPixmap picture = w.Img->pixmap();
    w.WriteLang(
        "[FrmTest]\n"
        "Nobody.Caption=x\n"       // no such component
        "BtnOk.Font.Name=x\n"      // a property of a property
        "BtnOk.Nothing=x\n"        // no such property
        "BtnOk.Caption=\n"         // empty value
        "Img.Caption=x\n"          // an image has no caption
        "Edt.Caption=x\n"          // an edit box has no caption
        "Lang.OnTranslate=x\n"     // neither text, number nor list
        "Lang.LanguageFile=x\n"    // set only by the search
        ".Caption=x\n"             // empty component name
        "Lbl.Caption=first\n"
        "LBL . caption=second\n"   // the later key wins
        "[Other]\n"
        "Caption=other section\n");
    ASSERT_TRUE(w.Activate());
    EXPECT_EQ(Q(w.BtnOk->text()), "Design");
    EXPECT_EQ(Q(w.window.windowTitle()), "Design");
    EXPECT_EQ(w.Img->pixmap().toImage(), picture.toImage());
    EXPECT_TRUE(w.Edt->text().isEmpty());
    EXPECT_EQ(w.Lang.LanguageFile(), w.LangFile());
    EXPECT_EQ(Q(w.Lbl->text()), "second");
}

TEST(Translate, BadIntegerEndsTranslationAndIsShownWhileTheWindowStaysOpen) {
    FakeDialogs dialogs;
    TestWindow w;
    w.window.show();
    int before = 0, after = 0;
    w.Lang.OnBeforeTranslation = [&](TLanguage* sender) { before += sender == &w.Lang; };
    w.Lang.OnAfterTranslation = [&](TLanguage*) { ++after; };
    w.WriteLang("[FrmTest]\nCaption=First\nBtnOk.Width=abc\nLbl.Caption=Later\n");

    EXPECT_FALSE(w.Activate());
    EXPECT_EQ(dialogs.errors, std::vector<std::string>{A("Неверное целое число 'abc'")});
    EXPECT_EQ(Q(w.window.windowTitle()), "First");
    EXPECT_TRUE(w.Lbl->text().isEmpty());
    EXPECT_EQ(before, 1);
    EXPECT_EQ(after, 0);
    EXPECT_TRUE(w.window.isVisible());

    // Mended file: the next activation applies every key and ends normally.
    w.WriteLang("[FrmTest]\nCaption=First\nBtnOk.Width=120\nLbl.Caption=Later\n");
    EXPECT_TRUE(w.Activate());
    EXPECT_EQ(w.BtnOk->width(), 120);
    EXPECT_EQ(Q(w.Lbl->text()), "Later");
    EXPECT_EQ(after, 1);
}

TEST(Translate, OnTranslateSeesOldValueAndItsNewValueIsApplied) {
    TestWindow w;
    w.BtnOk->setText("Old");
    struct Call {
        TComponent* component;
        std::string property, oldValue, newValue;
    };
    std::vector<Call> calls;
    w.Lang.OnTranslate = [&](TLanguage* sender, TComponent* c, std::string prop, std::string oldValue,
                             std::string& newValue) {
        EXPECT_EQ(sender, &w.Lang);
        calls.push_back({c, prop, oldValue, newValue});
        if (prop == "Caption" && c->Name() == "BtnOk") newValue = "Changed";
        if (prop == "Caption" && c->Name() == "Lbl") newValue.clear();
    };
    w.Lbl->setText("Label");
    w.WriteLang(
        "[FrmTest]\nBtnOk.Caption=New\nBtnOk.Width=90\nBtnOk.Missing=m\nNobody.Caption=n\nLbl.Caption=x\nCaption=t\n");
    ASSERT_TRUE(w.Activate());

    EXPECT_EQ(Q(w.BtnOk->text()), "Changed");
    EXPECT_TRUE(w.Lbl->text().isEmpty());  // emptied by the handler, and applied
    ASSERT_EQ(calls.size(), 5u);           // not for the key that reaches no component
    EXPECT_EQ(calls[0].oldValue, "Old");
    EXPECT_EQ(calls[0].newValue, "New");
    EXPECT_EQ(calls[1].property, "Width");
    EXPECT_EQ(calls[1].oldValue, "");      // not a text property
    EXPECT_EQ(calls[2].property, "Missing");
    EXPECT_EQ(calls[2].oldValue, "");
    EXPECT_EQ(calls[4].component, &w.Self);
    EXPECT_EQ(calls[4].oldValue, "Design");
}

TEST(Translate, LaterLookupsReadTheFileAnewAndKeepTextsWhenItGoes) {
    TestWindow w;
    w.WriteLang("[FrmTest]\nLbl.Caption=One\n");
    ASSERT_TRUE(w.Activate());
    EXPECT_EQ(Q(w.Lbl->text()), "One");

    w.WriteLang("[FrmTest]\nLbl.Caption=Second\n");
    ASSERT_TRUE(w.Activate());
    EXPECT_EQ(Q(w.Lbl->text()), "Second");

    // A key removed later, and then the whole file: nothing restores the design texts.
    w.WriteLang("[FrmTest]\n");
    ASSERT_TRUE(w.Activate());
    EXPECT_EQ(Q(w.Lbl->text()), "Second");
    ASSERT_TRUE(DeleteFileAnsi(w.LangFile()));
    EXPECT_FALSE(w.Lang.FindLanguageFile());
    EXPECT_EQ(w.Lang.LanguageFile(), w.LangFile());
    ASSERT_TRUE(w.Activate());
    EXPECT_EQ(Q(w.Lbl->text()), "Second");
}

struct SeparatorCase {
    const char* assigned;
    const char* stored;
};

TEST(Separator, BlankBecomesSlashAnythingElseIsKeptUntrimmed) {
    const SeparatorCase cases[] = {{"", "/"}, {"   ", "/"}, {"\t\r\n", "/"}, {" - ", " - "}, {".", "."}, {"::", "::"}};
    for (const SeparatorCase& c : cases) {
        TLanguage lang(nullptr);
        EXPECT_EQ(lang.Separator(), "");  // never assigned
        lang.SetSeparator(c.assigned);
        EXPECT_EQ(lang.Separator(), c.stored) << '"' << c.assigned << '"';
    }
}

TEST(Separator, KeysAndListsSplitAtTheWholeSeparator) {
    TestWindow w;
    w.Lang.SetSeparator(" - ");
    w.WriteLang("[FrmTest]\nBtnOk - Caption=Go\nNameCombo - Items=A - B-C\nLbl.Caption=dotted\n");
    ASSERT_TRUE(w.Activate());
    EXPECT_EQ(Q(w.BtnOk->text()), "Go");
    ASSERT_EQ(w.NameCombo->count(), 2);
    EXPECT_EQ(Q(w.NameCombo->itemText(1)), "B-C");
    EXPECT_TRUE(w.Lbl->text().isEmpty());  // "." divides nothing now
}

TEST(Separator, NeverAssignedSplitsNothing) {
    TestWindow w;
    TLanguage bare(&w.Self, "Bare");
    EXPECT_EQ(bare.SplitItems("A.B"), std::vector<std::string>{"A.B"});
    bare.TranslateKey("BtnOk.Caption", "x");  // a window property of that whole name: none
    EXPECT_TRUE(w.BtnOk->text().isEmpty());
    bare.TranslateKey("Caption", "whole");
    EXPECT_EQ(Q(w.window.windowTitle()), "whole");
}

TEST(Separator, ListItemsAreTrimmedAndEmptyOnesKeptExceptAtTheEnd) {
    struct Case {
        const char* value;
        std::vector<std::string> items;
    };
    const Case cases[] = {
        {"A.B.C", {"A", "B", "C"}}, {"A..B", {"A", "", "B"}}, {"A.B.", {"A", "B"}}, {" A . B ", {"A", "B"}},
        {".", {""}},                {"A. ", {"A"}},           {" ", {}},           {"A", {"A"}},
    };
    TLanguage lang(nullptr);
    lang.SetSeparator(".");
    for (const Case& c : cases) EXPECT_EQ(lang.SplitItems(c.value), c.items) << c.value;
}

TEST(Translate, KeyListStopsAtTheProfileBufferLimit) {
    TestWindow w;
    // Long key names fill the key buffer; the key after them is lost.
    std::string body = "[FrmTest]\n";
    const std::string pad(1000, 'x');
    for (int i = 0; i < 17; ++i) body += "Nobody" + std::to_string(i) + pad + ".Caption=x\n";
    body += "Lbl.Caption=lost\n";
    w.WriteLang(body);
    ASSERT_TRUE(w.Activate());
    EXPECT_TRUE(w.Lbl->text().isEmpty());

    // A value longer than the value buffer is cut to 2047 characters.
    w.WriteLang("[FrmTest]\nLbl.Caption=" + std::string(3000, 'v') + "\n");
    ASSERT_TRUE(w.Activate());
    EXPECT_EQ(w.Lbl->text().size(), 2047);
}

}  // namespace
