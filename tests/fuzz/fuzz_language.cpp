// The language component: arbitrary bytes as the language file of a small window
// that holds one control of every kind the property tables know. The file is
// translated onto the window, then every message is looked up and formatted with
// arguments of the kinds its built-in text takes. A translation may end with the
// integer conversion error and a format with the format errors; nothing else.
#include "CodePage.h"
#include "Error.h"
#include "Files.h"
#include "FuzzSupport.h"
#include "Language.h"
#include "Messages.h"
#include "Profile.h"
#include "WidgetAdapter.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QFrame>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QRadioButton>
#include <QTextEdit>
#include <QToolButton>
#include <QVBoxLayout>

#include <memory>

namespace {
template <class W>
W* Named(QWidget* parent, const char* name) {
    W* w = new W(parent);
    w->setObjectName(name);
    return w;
}

struct Window {
    QWidget window;
    TWindowComponent Self{&window};
    TLanguage Lang{&Self};
    Window() {
        window.setObjectName("FrmFuzz");
        auto* grp = Named<QGroupBox>(&window, "GrpBox");
        (new QVBoxLayout(grp))->addWidget(Named<QLineEdit>(grp, "Edt"));
        Named<QPushButton>(&window, "BtnOk");
        Named<QToolButton>(&window, "SBtn");
        Named<QCheckBox>(&window, "CB");
        Named<QRadioButton>(&window, "RadBtn");
        Named<QLabel>(&window, "Lbl");
        QPixmap picture(4, 4);
        picture.fill(Qt::red);
        Named<QLabel>(&window, "Img")->setPixmap(picture);
        Named<QFrame>(&window, "Pnl");
        Named<QComboBox>(&window, "NameCombo")->setEditable(true);
        Named<QComboBox>(&window, "ModeCombo");
        Named<QPlainTextEdit>(&window, "QstMemo");
        Named<QTextEdit>(&window, "TextMemo");
        Named<QListWidget>(&window, "TopicBox")->setProperty(CheckListProperty, true);
        Named<QListWidget>(&window, "PlainList");
        Named<QProgressBar>(&window, "Gauge");
        (new TSaveDialog(&window))->setObjectName("DlgSave");
    }
};

// Arguments of the kinds each message's built-in text takes.
std::vector<FormatArg> ArgsFor(const TMessage& m) {
    const std::string id = m.Id;
    if (id == "rsCompileTime") return {1.25};
    if (id == "rsQstNumber") return {3, 10};
    if (id == "rsMarkFmt") return {7.5, 10, 3.75};
    if (id == "rsStatFmt")
        return {std::string("Name"), std::string("K"), 7.5, 10, 0.75, 3.8, std::string("4-"), std::string("09:00:00"),
                std::string("00:10:00"), std::string("00:01:00"), std::string("09:10:00"), std::string("10.12.2026"),
                std::string("PC"), std::string("user"), std::string("Topic")};
    const std::string text = m.Text();
    if (text.find("%d") != std::string::npos) return {12};
    return {};
}

const char* const kSeparators[] = {".", " - ", "", "::", "|"};

Window& TheWindow() {
    static Window* w = [] {
        auto* made = new Window;
        made->window.ensurePolished();
        return made;
    }();
    return *w;
}
}  // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    static int argc = 1;
    static char name[] = "fuzz_language";
    static char* argv[] = {name, nullptr};
    new QApplication(argc, argv);
    SetProgramFileName(FuzzFolder() + "TEST.EXE");
    // Fonts are loaded once, before the first input; the window lives for the run, so
    // that each input costs a translation and not the building of a window.
    TheWindow();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const char* separator = kSeparators[in.Byte() % (sizeof kSeparators / sizeof kSeparators[0])];
    WriteFuzzFile(FuzzFolder() + "TEST.lng", in.Rest());

    Window& w = TheWindow();
    w.Lang.SetSeparator(separator);
    FUZZ_CHECK(w.Lang.FindLanguageFile(), "the language file is found");
    bool after = false;
    w.Lang.OnAfterTranslation = [&after](TLanguage*) { after = true; };
    try {
        w.Lang.Translate();
        FUZZ_CHECK(after, "a translation without error raises OnAfterTranslation");
    } catch (const Error& e) {
        FUZZ_CHECK(e.Text().rfind(A("Неверное целое число '"), 0) == 0, e.Text());
        FUZZ_CHECK(!after, "a failed translation does not raise OnAfterTranslation");
    }

    size_t count = 0;
    const TMessage* const* all = AllMessages(count);
    for (size_t i = 0; i < count; ++i) {
        const TMessage& m = *all[i];
        const std::string text = w.Lang.GetMessage(m.Id, m.Text());
        FUZZ_CHECK(text.size() <= TIniFile::MaxValueLength || text == m.Text(), m.Id);
        const std::string id = m.Id;
        if (id == "rsTimeFmt" || id == "rsDateFmt") {
            FormatDateTime(text, 46000.5);
            continue;
        }
        std::vector<FormatArg> args = ArgsFor(m);
        if (args.empty()) continue;
        try {
            Format(text, args.data(), args.size());
        } catch (const Error& e) {
            FUZZ_CHECK(e.Text().rfind(A("Строка формата '"), 0) == 0 || e.Text().rfind(A("Нет аргумента"), 0) == 0,
                       e.Text());
        }
    }
    return 0;
}
