#include "Login.h"

#include "ui_FrmLogin.h"

#include "CodePage.h"
#include "Error.h"
#include "ErrorDisplay.h"
#include "Files.h"
#include "FormSupport.h"
#include "Main.h"
#include "Messages.h"
#include "Quest.h"
#include "Seams.h"
#include "Startup.h"

#include <QCollator>
#include <QKeyEvent>
#include <QLineEdit>
#include <QStyle>

#include <algorithm>

bool StartButtonEnabled(const std::string& nameText, bool anyTopicTicked) {
    const std::string_view name = TrimBlanks(nameText);
    const size_t space = name.find(' ');
    return space != std::string_view::npos && space >= 3 && name.size() >= 6 && anyTopicTicked;
}

TNameKey NameKeyRule(const QString& text, int caret, QChar typed) {
    const auto upper = [](QChar c) {
        const QString u = QString(c).toUpper();
        return u.size() == 1 ? u[0] : c;
    };
    if (caret <= 0) return {false, upper(typed)};
    if (caret <= text.size() && text[caret - 1] == QLatin1Char(' ')) {
        if (typed == QLatin1Char(' ')) return {true, typed};
        return {false, upper(typed)};
    }
    return {false, typed};
}

TFrmLogin::TFrmLogin(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::FrmLogin>()) {
    ui_->setupUi(this);
    Lang.SetSeparator(".");
    // A dialog box without title-bar buttons, centred on the screen.
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
    setFont(DialogFont());
    setFixedSize(364, 273);
    setAttribute(Qt::WA_AlwaysShowToolTips);

    ui_->NameCombo->lineEdit()->setMaxLength(30);
    ui_->NameCombo->lineEdit()->installEventFilter(this);
    ui_->TopicBox->setProperty(CheckListProperty, true);
    ui_->BtnCheckAll->setIcon(Glyph("checkall"));
    ui_->BtnCheckNone->setIcon(Glyph("checknone"));
    ui_->BtnClose->setIcon(Glyph("exit"));
    ui_->BtnSetup->setIcon(Glyph("setup"));
    ui_->BtnStart->setIcon(Glyph("ok"));
    for (QWidget* w : {static_cast<QWidget*>(ui_->BtnCheckAll), static_cast<QWidget*>(ui_->BtnCheckNone)})
        SetWidgetHint(w, QStringToAnsi(w->toolTip()));

    const auto handle = [this](void (TFrmLogin::*handler)()) {
        return [this, handler] { RunHandler([this, handler] { (this->*handler)(); }); };
    };
    connect(ui_->NameCombo, &QComboBox::editTextChanged, this, handle(&TFrmLogin::NameComboChange));
    connect(ui_->NameCombo, &QComboBox::activated, this, handle(&TFrmLogin::NameComboChange));
    connect(ui_->TopicBox, &QListWidget::itemChanged, this, handle(&TFrmLogin::TopicBoxClickCheck));
    connect(ui_->BtnCheckAll, &QToolButton::clicked, this, handle(&TFrmLogin::BtnCheckAllClick));
    connect(ui_->BtnCheckNone, &QToolButton::clicked, this, handle(&TFrmLogin::BtnCheckNoneClick));
    connect(ui_->BtnSetup, &QPushButton::clicked, this, handle(&TFrmLogin::BtnSetupClick));
    connect(ui_->BtnClose, &QPushButton::clicked, this, handle(&TFrmLogin::BtnCloseClick));
    connect(ui_->BtnStart, &QPushButton::clicked, this, handle(&TFrmLogin::BtnStartClick));

    RunHandler([this] { FormCreate(); });
    ui_->NameCombo->setFocus();
}

TFrmLogin::~TFrmLogin() {
    // The controls outlive this object's own part: they must not call back.
    for (QObject* child : findChildren<QObject*>()) child->blockSignals(true);
    FormDestroy();
}

void TFrmLogin::AddTopic(const std::string& fileName) {
    FileNames.push_back(fileName);
    const int index = int(FileNames.size()) - 1;
    auto* item = new QListWidgetItem(AnsiToQString(TopicTitle(fileName)));
    item->setData(Qt::UserRole, index);
    item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
    item->setCheckState(Qt::Unchecked);
    const QSignalBlocker quiet(ui_->TopicBox);
    ui_->TopicBox->addItem(item);
}

namespace {
// The order of the sorted names list: by the user's locale, letter case ignored.
const QCollator& NameOrder() {
    static const QCollator collator = [] {
        QCollator c;
        c.setCaseSensitivity(Qt::CaseInsensitive);
        return c;
    }();
    return collator;
}
}  // namespace

void TFrmLogin::AddName(const std::string& name) {
    // After the last entry that does not compare greater.
    QComboBox* combo = ui_->NameCombo;
    const QString text = AnsiToQString(name);
    int lo = 0, hi = combo->count();
    while (lo < hi) {
        const int mid = (lo + hi) / 2;
        if (NameOrder().compare(text, combo->itemText(mid)) < 0) hi = mid;
        else lo = mid + 1;
    }
    const QString typed = combo->currentText();
    const QSignalBlocker quiet(combo);
    combo->insertItem(lo, text);
    combo->setEditText(typed);
}

void TFrmLogin::AddNames(const std::vector<std::string>& names) {
    QStringList list;
    list.reserve(qsizetype(names.size()));
    for (const std::string& n : names) list << AnsiToQString(n);
    std::stable_sort(list.begin(), list.end(),
                     [](const QString& a, const QString& b) { return NameOrder().compare(a, b) < 0; });
    const QSignalBlocker quiet(ui_->NameCombo);
    ui_->NameCombo->addItems(list);
}

void TFrmLogin::FormCreate() {
    FileNames.clear();
    for (const std::string& f : ScanFolder(ProgramPath, "*.QST")) AddTopic(f);
    for (const std::string& f : ScanFolder(ProgramPath, "*.QSZ")) {
        const std::string source = ChangeFileExt(f, ".QST");
        bool listed = false;
        for (const std::string& entry : FileNames) listed = listed || SameTextAnsi(entry, source);
        if (!listed) AddTopic(f);
    }
    if (FileNames.empty()) throw Error(::Msg(Lang, rsQstFilesNotFound));

    AddNames(Families::Names());
    {
        const QSignalBlocker quiet(ui_->NameCombo);
        ui_->NameCombo->setCurrentIndex(-1);
        ui_->NameCombo->setEditText(QString());
    }

    if (QuickStart) {
        ui_->TopicBox->setEnabled(false);
        ui_->BtnCheckAll->setEnabled(false);
        ui_->BtnCheckNone->setEnabled(false);
        ui_->BtnSetup->setEnabled(false);
        const std::string files = Options::Files();
        const QSignalBlocker quiet(ui_->TopicBox);
        for (int i = 0; i < ui_->TopicBox->count(); ++i) {
            QListWidgetItem* item = ui_->TopicBox->item(i);
            const std::string& name = FileNames[size_t(item->data(Qt::UserRole).toInt())];
            item->setCheckState(files.find(name) != std::string::npos ? Qt::Checked : Qt::Unchecked);
        }
    }
    UpdateStartButton();
}

void TFrmLogin::FormActivate() {
    if (Lang.FindLanguageFile()) Lang.Translate();
}

void TFrmLogin::FormDestroy() { FileNames.clear(); }

void TFrmLogin::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (IsActivation(event, this)) RunHandler([this] { FormActivate(); });
}

void TFrmLogin::keyPressEvent(QKeyEvent* event) {
    // Esc clicks the cancel button rather than closing the window.
    if (event->key() == Qt::Key_Escape && event->modifiers() == Qt::NoModifier) {
        ui_->BtnClose->click();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TFrmLogin::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->NameCombo->lineEdit() && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const QString text = key->text();
        if (text.size() == 1 && text[0].isPrint() && !(key->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            bool handled = false;
            RunHandler([&] { handled = NameComboKeyPress(text[0]); });
            if (handled) return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

bool TFrmLogin::NameComboKeyPress(QChar key) {
    QLineEdit* edit = ui_->NameCombo->lineEdit();
    const int caret = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    const TNameKey result = NameKeyRule(edit->text(), caret, key);
    if (result.Discard) return true;
    if (result.Char == key) return false;
    edit->insert(QString(result.Char));
    return true;
}

void TFrmLogin::NameComboChange() { UpdateStartButton(); }

void TFrmLogin::TopicBoxClickCheck() { UpdateStartButton(); }

void TFrmLogin::UpdateStartButton() {
    ui_->BtnStart->setEnabled(StartButtonEnabled(QStringToAnsi(ui_->NameCombo->currentText()), AnyTopicTicked()));
}

bool TFrmLogin::Ticked(int item) const { return ui_->TopicBox->item(item)->checkState() == Qt::Checked; }

bool TFrmLogin::AnyTopicTicked() const {
    for (int i = 0; i < ui_->TopicBox->count(); ++i)
        if (Ticked(i)) return true;
    return false;
}

std::vector<std::string> TFrmLogin::TickedFileList() const {
    std::vector<std::string> files;
    for (int i = 0; i < ui_->TopicBox->count(); ++i)
        if (Ticked(i)) files.push_back(FileNames[size_t(ui_->TopicBox->item(i)->data(Qt::UserRole).toInt())]);
    return files;
}

std::string TFrmLogin::TickedFilesText() const { return CommaText(TickedFileList()); }

std::string TFrmLogin::TickedTopicsText() const {
    std::string text;
    for (int i = 0; i < ui_->TopicBox->count(); ++i)
        if (Ticked(i)) text += QStringToAnsi(ui_->TopicBox->item(i)->text()) + ";";
    if (!text.empty()) text.pop_back();
    return text;
}

void TFrmLogin::BtnCheckAllClick() {
    {
        const QSignalBlocker quiet(ui_->TopicBox);
        for (int i = 0; i < ui_->TopicBox->count(); ++i) ui_->TopicBox->item(i)->setCheckState(Qt::Checked);
    }
    UpdateStartButton();
}

void TFrmLogin::BtnCheckNoneClick() {
    {
        const QSignalBlocker quiet(ui_->TopicBox);
        for (int i = 0; i < ui_->TopicBox->count(); ++i) ui_->TopicBox->item(i)->setCheckState(Qt::Unchecked);
    }
    UpdateStartButton();
}

void TFrmLogin::BtnSetupClick() {
    // The settings window opens here once it is part of the program.
}

void TFrmLogin::BtnCloseClick() {
    if (Dialogs().AskConfirmation(::Msg(Lang, rsConfirmClose))) close();
}

void TFrmLogin::RegisterName() {
    const std::string name(TrimBlanks(QStringToAnsi(ui_->NameCombo->currentText())));
    bool listed = false;
    for (int i = 0; i < ui_->NameCombo->count() && !listed; ++i)
        listed = SameTextAnsi(QStringToAnsi(ui_->NameCombo->itemText(i)), name);
    if (!listed) {
        AddName(name);
        std::vector<std::string> names;
        for (int i = 0; i < ui_->NameCombo->count(); ++i) names.push_back(QStringToAnsi(ui_->NameCombo->itemText(i)));
        Families::Rewrite(*SettingsIni, names);
    }
}

void TFrmLogin::BtnStartClick() {
    // 1. A new name joins the list and the list is written anew.
    RegisterName();

    // 2. Each ticked source is compiled once per program run.
    for (size_t i = 0; i < FileNames.size(); ++i) {
        if (!Ticked(int(i))) continue;
        const std::string path = ProgramPath + FileNames[i];
        if (path.empty() || AnsiUpperChar(path.back()) != 'T') continue;
        TCompiler(path, ChangeFileExt(path, ".log"), 3);
        FileNames[i] = ChangeFileExt(FileNames[i], ".QSZ");
    }

    // 3, 4. The test window with an empty question list.
    auto frm = std::make_unique<TFrmMain>(this);
    frm->Questions = std::make_unique<TQuestionList>();

    // 5. Every ticked compiled file; reading always ends with an error.
    for (size_t i = 0; i < FileNames.size(); ++i) {
        if (!Ticked(int(i))) continue;
        const std::string path = ProgramPath + FileNames[i];
        const std::string found = FindFileNoCase(path);
        try {
            LoadCompiledFile(*frm->Questions, found.empty() ? path : found);
        } catch (...) {
        }
    }

    // 6. The options, read now.
    frm->ControlMode = Options::Mode();
    frm->MixQuestions = Options::MixQst();
    frm->MixAnswers = Options::MixAns();
    frm->QstTimeLimit = Options::TimeLimit();
    frm->RunTimeLimit = Options::RunTimeLimitSeconds();
    frm->QstCount = Options::QstLimit();
    frm->HideRightAnswers = !Options::ShowRightAnswers();

    // 7. Seeded every time; shuffled when asked.
    SeedRandomFromClock();
    if (frm->MixQuestions) frm->Questions->Shuffle();

    // 8. The name as typed, and the ticked topics' titles.
    frm->StudentName = QStringToAnsi(ui_->NameCombo->currentText());
    frm->Topics = TickedTopicsText();

    // 9. Every question in trainer mode, at most the limit in knowledge-check mode.
    const int loaded = frm->Questions->QuestionCount();
    if (!frm->ControlMode || loaded < frm->QstCount) frm->QstCount = loaded;

    // 10, 11. The gauges, then the run; the window is released when it returns.
    frm->SetupGauges();
    frm->exec();
}
