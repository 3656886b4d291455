// The English language file shipped with the program, applied to stand-ins of the
// five windows with their controls' names and kinds.
#include <gtest/gtest.h>

#include <QScrollArea>
#include <QSplitter>

#include <map>
#include <set>
#include <sstream>

#include "Error.h"
#include "Messages.h"
#include "TestWindow.h"
#include "UpDown.h"

namespace {

const std::string EnglishFile = std::string(KV_EXAMPLES_DIR) + "/kvizor2.EN";

enum Kind { Button, Flat, Label, Check, Radio, Group, Panel, Edit, Combo, Memo, CheckList, Gauge, Image, Spin, Splitter,
            ScrollBox, SaveDlg };

const std::map<std::string, std::vector<std::pair<const char*, Kind>>> layouts{
    {"FrmLogin",
     {{"GrpBoxName", Group}, {"NameCombo", Combo}, {"GrpBoxExams", Group}, {"TopicBox", CheckList},
      {"BtnCheckAll", Flat}, {"BtnCheckNone", Flat}, {"BtnClose", Button}, {"BtnSetup", Button}, {"BtnStart", Button}}},
    {"FrmMain",
     {{"Panel3", Panel}, {"Panel4", Panel}, {"NextQst", Flat}, {"CheckImg", Image}, {"CrossImg", Image},
      {"Panel1", Panel}, {"GlobalTimeGauge", Gauge}, {"Panel2", Panel}, {"TimeGauge", Gauge}, {"PnlDate", Panel},
      {"PnlTime", Panel}, {"PnlQstNum", Panel}, {"Panel6", Panel}, {"GaugeMark", Gauge}, {"BasePanel", Panel},
      {"QstMemo", Memo}, {"Splitter1", Splitter}, {"Panel5", Panel}, {"RightAnswersMsg", Panel}, {"SolNo", Image},
      {"SolOk", Image}, {"AnswersScrollBox", ScrollBox}}},
    {"FrmSetup",
     {{"GrpBoxMode", Group}, {"RadBtnTren", Radio}, {"RadBtnContr", Radio}, {"QuestCount", Edit}, {"Qst", Spin},
      {"GrpBoxOtherSettings", Group}, {"LblMix", Label}, {"MixQst", Check}, {"MixAns", Check}, {"Limit", Check},
      {"TimeLimit", Edit}, {"TimeLim", Spin}, {"GlobalLimit", Check}, {"EdtGlobalTimeLim", Edit},
      {"GlobalTimeLim", Spin}, {"CBShowRightAns", Check}, {"GrpBoxStats", Group}, {"LblStatsPath", Label},
      {"PathEdit", Edit}, {"SBtnStatsPath", Flat}, {"BtnShowStats", Button}, {"BtnClearStats", Button},
      {"BtnOk", Button}, {"BtnCancel", Button}, {"BtnAbout", Button}, {"BtnSave", Button}, {"DlgSave", SaveDlg}}},
    {"FrmConfirm", {{"LblConfirm", Label}, {"BtnYes", Button}, {"BtnNo", Button}}},
    {"FrmAbout",
     {{"LblProgName", Label}, {"LblSmallAbout", Label}, {"LblVersion", Label}, {"Label2", Label},
      {"LblMailTo", Label}, {"Label7", Label}, {"LblX", Label}, {"BtnOK", Button}}},
};

QObject* MakeControl(Kind kind, QWidget* parent) {
    switch (kind) {
    case Button: return new QPushButton(parent);
    case Flat: return new QToolButton(parent);
    case Label: return new QLabel(parent);
    case Check: return new QCheckBox(parent);
    case Radio: return new QRadioButton(parent);
    case Group: return new QGroupBox(parent);
    case Panel: return new QFrame(parent);
    case Edit: return new QLineEdit(parent);
    case Combo: return new QComboBox(parent);
    case Memo: return new QPlainTextEdit(parent);
    case CheckList: return new QListWidget(parent);
    case Gauge: return new QProgressBar(parent);
    case Image: {
        auto* image = new QLabel(parent);
        QPixmap picture(4, 4);
        picture.fill(Qt::gray);
        image->setPixmap(picture);
        return image;
    }
    case Spin: return new TUpDown(parent);
    case Splitter: return new QSplitter(parent);
    case ScrollBox: return new QScrollArea(parent);
    case SaveDlg: return new TSaveDialog(parent);
    }
    return nullptr;
}

std::vector<std::string> SectionsOf(const std::string& bytes) {
    std::vector<std::string> sections;
    std::istringstream in(bytes);
    for (std::string line; std::getline(in, line);)
        if (!line.empty() && line[0] == '[') sections.push_back(line.substr(1, line.find(']') - 1));
    return sections;
}

TEST(EnglishFile, EveryKeyOfEveryWindowReachesAProperty) {
    TempDir dir;
    WriteBytes(dir.File("kvizor2.lng"), ReadBytes(EnglishFile));
    SetProgramFileName(dir.File("kvizor2"));
    EXPECT_EQ(SectionsOf(ReadBytes(EnglishFile)),
              (std::vector<std::string>{"FrmLogin", "FrmMain", "FrmSetup", "FrmConfirm", "FrmAbout", "-Messages-"}));

    for (const auto& [section, controls] : layouts) {
        SCOPED_TRACE(section);
        QWidget window;
        window.setObjectName(QString::fromStdString(section));
        for (const auto& [name, kind] : controls) MakeControl(kind, &window)->setObjectName(name);
        TWindowComponent self(&window);
        TLanguage lang(&self);
        lang.SetSeparator(".");
        std::vector<std::string> applied;
        lang.OnTranslate = [&](TLanguage*, TComponent* c, std::string prop, std::string, std::string&) {
            TPropertyKind kind;
            if (c->FindProperty(prop, kind) && kind != TPropertyKind::Other) applied.push_back(prop);
        };
        ASSERT_TRUE(lang.FindLanguageFile());
        EXPECT_NO_THROW(lang.Translate());

        std::vector<std::string> keys;
        TIniFile(lang.LanguageFile()).ReadSection(section, keys);
        EXPECT_FALSE(keys.empty());
        EXPECT_EQ(applied.size(), keys.size());
    }
    SetProgramFileName("");
}

// The arguments each message is used with, of the kinds its users pass.
std::vector<FormatArg> SampleArgs(const TMessage& m) {
    const std::string id = m.Id;
    if (id == "rsQstNumber") return {3, 10};
    if (id == "rsMarkFmt") return {7.5, 10, 3.75};
    if (id == "rsCompileTime") return {0.25};
    if (id == "rsStatFmt")
        return {std::string(40, 'N'), "K!", 7.5, 10, 0.75, 3.75, "4-", "12:00:00", "00:12:34", "00:01:15",
                "12:12:34", "10.12.2026", std::string(25, 'C'), std::string(25, 'U'), "Topic one;Topic two"};
    for (const char* lineMessage : {"rsWrongQstText", "rsAnsNotFound", "rsWrongAnsText", "rsRightAnsNotFound",
                                    "rsQuestCount"})
        if (id == lineMessage) return {12};
    return {};
}

std::vector<size_t> ColumnWidths(const std::string& line) {
    std::vector<size_t> widths;
    size_t start = 0, bar;
    while ((bar = line.find('|', start)) != std::string::npos) {
        widths.push_back(bar - start);
        start = bar + 1;
    }
    return widths;
}

TEST(EnglishFile, EveryMessageIsGivenAndFitsItsArguments) {
    RussianLocale russian;
    const TIniFile english(EnglishFile);
    size_t count;
    const TMessage* const* all = AllMessages(count);
    for (size_t i = 0; i < count; ++i) {
        const TMessage& m = *all[i];
        SCOPED_TRACE(m.Id);
        const std::string text = english.ReadString(MessagesSection, m.Id, "");
        ASSERT_FALSE(text.empty());
        const std::vector<FormatArg> args = SampleArgs(m);
        if (args.empty()) continue;
        EXPECT_NO_THROW(Format(m.Text(), args.data(), args.size()));
        EXPECT_NO_THROW(Format(text, args.data(), args.size()));
    }
    // Each mode has its own letter in the statistics record.
    EXPECT_NE(english.ReadString(MessagesSection, rsControlMode.Id, "")[0],
              english.ReadString(MessagesSection, rsTutorMode.Id, "")[0]);
}

TEST(EnglishFile, StatisticsHeaderKeepsTheColumnWidthsOfTheRecord) {
    RussianLocale russian;
    const TIniFile english(EnglishFile);
    const std::vector<size_t> widths{30, 5, 6, 3, 5, 6, 2, 12, 12, 12, 15, 14, 20, 20};
    EXPECT_EQ(ColumnWidths(rsStatFmtHdr.Text()), widths);
    EXPECT_EQ(ColumnWidths(english.ReadString(MessagesSection, rsStatFmtHdr.Id, "")), widths);

    const std::vector<FormatArg> args = SampleArgs(rsStatFmt);
    const std::string record = Format(english.ReadString(MessagesSection, rsStatFmt.Id, ""), args.data(), args.size());
    EXPECT_EQ(ColumnWidths(record), widths);
    EXPECT_EQ(record.substr(record.rfind('|') + 1), "Topic one;Topic two");
}

}  // namespace
