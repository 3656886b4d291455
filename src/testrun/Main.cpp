#include "Main.h"

#include "ui_FrmMain.h"

#include "CodePage.h"
#include "ErrorDisplay.h"
#include "FormSupport.h"
#include "Seams.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QKeyEvent>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTimer>
#include <QWindow>

namespace {

QString ShownText(const std::string& ansi) {
    QString text = AnsiToQString(ansi);
    text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
    text.replace(QLatin1Char('\r'), QLatin1Char('\n'));
    return text;
}

QColor GaugeColor(TGaugeColor c) {
    switch (c) {
    case TGaugeColor::Lime: return QColor(0, 255, 0);
    case TGaugeColor::Yellow: return QColor(255, 255, 0);
    case TGaugeColor::Red: break;
    }
    return QColor(255, 0, 0);
}

QLabel* Image(QWidget* parent, const char* name, const QPixmap& picture, QPoint at) {
    auto* image = new QLabel(parent);
    image->setObjectName(QLatin1String(name));
    image->setPixmap(picture);
    image->setGeometry(QRect(at, picture.deviceIndependentSize().toSize()));
    image->setAttribute(Qt::WA_TranslucentBackground);
    return image;
}

}  // namespace

int AnswerRowHeight(int textHeight, int faceHeight) {
    const int height = textHeight + 20;
    return faceHeight > height ? faceHeight + 4 : height;
}

int AnswerRowWidth(int clientWidth, int scrollBarWidth) { return clientWidth - scrollBarWidth - 2; }

TFrmMain::TFrmMain(QWidget* parent)
    : QDialog(parent), TTestRun(static_cast<TTestRunView&>(*this)), ui_(std::make_unique<Ui::FrmMain>()) {
    ui_->setupUi(this);
    Lang.SetSeparator(".");
    Message = [this](const TMessage& m) { return Lang.GetMessage(m.Id, m.Text()); };

    // No caption bar and no frame, above other windows, on the button face.
    setWindowFlags(Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint);
    setBackgroundRole(QPalette::Button);
    setAutoFillBackground(true);
    setFont(DialogFont());

    for (QLabel* panel : {ui_->PnlQstNum, ui_->PnlTime, ui_->PnlDate}) panel->setFont(ArialFont(19));
    ui_->BasePanel->setFont(ArialFont(19));
    ui_->NextQst->setFont(DialogFont());
    ui_->NextQst->setIcon(Glyph("arrow"));

    checkImg_ = Image(ui_->Panel3, "CheckImg", Picture("check"), {200, 3});
    crossImg_ = Image(ui_->Panel3, "CrossImg", Picture("cross"), {232, 3});
    checkImg_->hide();
    crossImg_->hide();
    solNo_ = Image(ui_->RightAnswersMsg, "SolNo", Picture("sad"), {455, 4});
    solOk_ = Image(ui_->RightAnswersMsg, "SolOk", Picture("smile"), {489, 4});
    ui_->RightAnswersMsg->hide();

    for (TGauge* gauge : {ui_->GaugeMark, ui_->TimeGauge, ui_->GlobalTimeGauge}) {
        SetWidgetHint(gauge, QStringToAnsi(gauge->toolTip()));
        gauge->setBackgroundRole(QPalette::Button);
    }
    ui_->GaugeMark->SetForeColor(QColor(255, 0, 0));
    ui_->GaugeMark->setRange(0, 0);
    ui_->GaugeMark->setValue(0);
    // The countdown gauges' design look, replaced before they are seen.
    ui_->TimeGauge->SetForeColor(QColor(255, 255, 0));
    ui_->TimeGauge->setValue(50);
    ui_->GlobalTimeGauge->SetForeColor(QColor(255, 0, 0));
    ui_->GlobalTimeGauge->setValue(20);

    ui_->QstMemo->setBackgroundRole(QPalette::Button);
    ui_->QstMemo->viewport()->setBackgroundRole(QPalette::Button);
    ui_->QstMemo->viewport()->setCursor(Qt::ArrowCursor);
    ui_->QstMemo->setMinimumHeight(1);  // the splitter may move the border anywhere
    ui_->QstMemo->setTextInteractionFlags(Qt::NoTextInteraction);
    ui_->Splitter1->handle(1)->setCursor(Qt::SizeVerCursor);
    ui_->AnswersScrollBox->setFocusPolicy(Qt::StrongFocus);
    ui_->AnswersScrollBox->verticalScrollBar()->setSingleStep(20);
    ui_->AnswersArea->setObjectName(QString());

    timer_ = new QTimer(this);
    timer_->setObjectName(QStringLiteral("Timer"));
    timer_->setInterval(1000);
    connect(timer_, &QTimer::timeout, this, [this] { RunHandler([this] { TimerTimer(); }); });
    connect(ui_->NextQst, &QPushButton::clicked, this, [this] { RunHandler([this] { NextQstClick(); }); });

    // Key preview: every key released anywhere in the window reaches FormKeyUp; the
    // same filter sees the memo's focus, the main area's resizing and row clicks.
    qApp->installEventFilter(this);
    RunHandler([this] { FormCreate(); });
}

TFrmMain::~TFrmMain() {
    destroying_ = true;
    qApp->removeEventFilter(this);
    // The controls outlive this object's own part: they must not call back.
    for (QObject* child : findChildren<QObject*>()) child->blockSignals(true);
    FormDestroy();
}

void TFrmMain::FormCreate() {
    Questions.reset();
    timer_->start();
    // Points, start time and the machine's names are the engine's own creation.
}

void TFrmMain::FormDestroy() {
    timer_->stop();
    Questions.reset();
}

void TFrmMain::SetupGauges() {
    SetupCountdowns();
    ui_->GlobalTimeGauge->setVisible(RunTimeLimit > 0);
    ui_->TimeGauge->setVisible(QstTimeLimit > 0);
}

void TFrmMain::ApplyCaptionAndPlacement() {
    setWindowTitle(AnsiToQString(::Msg(Lang, rsCaption) + ModeName()));
    QScreen* screen = this->screen() ? this->screen() : QGuiApplication::primaryScreen();
    windowBounds_ = ControlMode ? screen->geometry() : screen->availableGeometry();
    setGeometry(windowBounds_);
    // The whole screen is a full-screen window; the work area is the maximised one.
    setWindowState(ControlMode ? Qt::WindowFullScreen : Qt::WindowMaximized);
}

void TFrmMain::setVisible(bool visible) {
    if (visible && !placed_) {
        placed_ = true;
        ApplyCaptionAndPlacement();
    }
    QDialog::setVisible(visible);
}

void TFrmMain::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    if (started_) return;
    started_ = true;
    // The run starts once the window has its size, so that the first question's
    // rows take the width of the answer area.
    QMetaObject::invokeMethod(this, [this] { RunHandler([this] { FormShow(); }); }, Qt::QueuedConnection);
}

void TFrmMain::FormShow() {
    raise();
    if (Lang.FindLanguageFile()) Lang.Translate();
    BasePanelResize();
    Start();
}

void TFrmMain::FormActivate() {
    if (!RunEnded) timer_->start();
}

void TFrmMain::FormDeactivate() { timer_->stop(); }

void TFrmMain::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    bool deactivated = false;
    if (IsActivation(event, this, &deactivated)) RunHandler([this] { FormActivate(); });
    else if (deactivated) RunHandler([this] { FormDeactivate(); });
}

void TFrmMain::TimerTimer() {
    if (destroying_) return;
    Tick();  // the engine refreshes the clock first, then runs the countdowns
}

void TFrmMain::RefreshClock() {
    const TDateTime now = Clock().Now();
    const FormatSettings& fs = GetFormatSettings();
    ui_->PnlDate->setText(AnsiToQString(FormatDateTime(fs.ShortDateFormat, now)));
    ui_->PnlTime->setText(AnsiToQString(FormatDateTime(fs.LongTimeFormat, now)));
}

void TFrmMain::QstMemoEnter() { ui_->AnswersScrollBox->setFocus(); }

void TFrmMain::BasePanelResize() {
    const int memo = ui_->BasePanel->height() / 2;
    const int total = ui_->Splitter1->height() - ui_->Splitter1->handleWidth();
    ui_->Splitter1->setSizes({memo, std::max(0, total - memo)});
}

bool TFrmMain::InWindow(QObject* object) const {
    return object && object->isWidgetType() && static_cast<QWidget*>(object)->window() == this;
}

bool TFrmMain::eventFilter(QObject* watched, QEvent* event) {
    switch (event->type()) {
    case QEvent::KeyPress:
    case QEvent::KeyRelease: {
        if (!InWindow(watched)) break;
        auto* key = static_cast<QKeyEvent*>(event);
        if (key->isAutoRepeat() || key->key() != Qt::Key_Escape) break;
        // The first widget of the window that the key reaches takes it, so it is
        // handled once whatever has the focus.
        if (event->type() == QEvent::KeyPress) {
            escDown_ = true;
        } else if (escDown_) {
            // Only a release whose press this window saw: the Esc that answered a
            // question box comes back here released, and must not ask again.
            escDown_ = false;
            RunHandler([this] { FormKeyUp(27); });
        }
        return true;
    }
    case QEvent::FocusIn:
        if (watched == ui_->QstMemo) RunHandler([this] { QstMemoEnter(); });
        break;
    case QEvent::Resize:
        // Once the panel's layout has sized what it holds.
        if (watched == ui_->BasePanel && !resizePending_) {
            resizePending_ = true;
            QMetaObject::invokeMethod(
                this,
                [this] {
                    resizePending_ = false;
                    RunHandler([this] { BasePanelResize(); });
                },
                Qt::QueuedConnection);
        }
        break;
    case QEvent::MouseButtonPress: {
        if (!InWindow(watched) || static_cast<QMouseEvent*>(event)->button() != Qt::LeftButton) break;
        QVariant row = watched->property("answerRow");
        if (!row.isValid()) break;
        RunHandler([this, r = row.toInt()] { ToggleOption(r); });
        return true;
    }
    default:
        break;
    }
    return QDialog::eventFilter(watched, event);
}

void TFrmMain::keyPressEvent(QKeyEvent* event) {
    // Esc is the window's own (on its release); it does not close the dialog.
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        return;
    }
    QDialog::keyPressEvent(event);
}

void TFrmMain::FormKeyUp(int key) {
    if (key != 27 || RunEnded) return;
    if (Dialogs().AskConfirmation(::Msg(Lang, rsConfirmClose))) Abort();
}

bool TFrmMain::FormCloseQuery() {
    if (Finished) return true;
    return Dialogs().AskConfirmation(::Msg(Lang, rsConfirmClose));
}

void TFrmMain::closeEvent(QCloseEvent* event) {
    bool canClose = false;
    if (!RunHandler([&] { canClose = FormCloseQuery(); }) || !canClose) {
        event->ignore();
        return;
    }
    RunHandler([this] { FormClose(); });
    QDialog::closeEvent(event);
}

void TFrmMain::FormClose() {
    // A run closed without finishing leaves no record; nothing counts any more.
    RunEnded = true;
    timer_->stop();
    Questions.reset();
}

void TFrmMain::ShowQuestionText(const std::string& text) {
    ui_->QstMemo->clear();
    ui_->QstMemo->setPlainText(ShownText(text));
}

void TFrmMain::ShowRows(const std::vector<TAnswerRow>& rows) {
    for (RowWidgets& r : rowWidgets_) delete r.Row;
    rowWidgets_.clear();
    QScrollArea* box = ui_->AnswersScrollBox;
    QWidget* area = ui_->AnswersArea;
    const int scrollBar = box->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, box);
    const int width = std::max(82, AnswerRowWidth(box->contentsRect().width(), scrollBar));
    const int textWidth = width - 80;
    const QFontMetrics metrics(box->font());
    const QPixmap cross = crossImg_->pixmap();
    int top = 0;
    rowWidgets_.reserve(rows.size());
    area->setUpdatesEnabled(false);
    for (const TAnswerRow& row : rows) {
        const QString text = ShownText(row.Text);
        const int measured =
            metrics.boundingRect(QRect(0, 0, textWidth, 1 << 20), Qt::AlignLeft | Qt::TextWordWrap, text).height();
        const int height = AnswerRowHeight(measured, solOk_->height());

        RowWidgets parts;
        parts.Row = new QFrame(area);
        parts.Row->setFrameStyle(QFrame::Panel | QFrame::Raised);
        parts.Row->setLineWidth(1);
        parts.Row->setGeometry(0, top, width, height);
        parts.Row->setProperty("tag", row.Index);

        parts.Marker = new QLabel(parts.Row);
        parts.Marker->setObjectName(QStringLiteral("ANS"));
        parts.Marker->setGeometry(1, 1, 40, height - 2);
        parts.Marker->setAlignment(Qt::AlignCenter);
        parts.Marker->setProperty("tag", row.Right);

        parts.Choice = new QLabel(parts.Row);
        parts.Choice->setObjectName(QStringLiteral("SEL"));
        parts.Choice->setGeometry(41, 1, width - 2 - 40 - textWidth, height - 2);
        parts.Choice->setAlignment(Qt::AlignCenter);
        parts.Choice->setPixmap(cross);
        parts.Choice->setProperty("tag", row.Chosen);
        parts.Choice->setProperty("answerRow", row.Index);

        parts.Text = new QLabel(parts.Row);
        parts.Text->setGeometry(width - 1 - textWidth, 1, textWidth, height - 2);
        parts.Text->setTextFormat(Qt::PlainText);
        parts.Text->setWordWrap(true);
        parts.Text->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);
        parts.Text->setText(text);
        parts.Text->setProperty("tag", row.Index);
        parts.Text->setProperty("answerRow", row.Index);

        parts.Row->show();
        rowWidgets_.push_back(parts);
        top += height;
    }
    area->resize(width, top);
    area->setUpdatesEnabled(true);
    box->verticalScrollBar()->setValue(0);
}

void TFrmMain::UpdateRow(const TAnswerRow& row) {
    if (row.Index < 0 || size_t(row.Index) >= rowWidgets_.size()) return;
    RowWidgets& parts = rowWidgets_[size_t(row.Index)];
    parts.Choice->setProperty("tag", row.Chosen);
    parts.Choice->setPixmap(row.Chosen ? checkImg_->pixmap() : crossImg_->pixmap());
    switch (row.Marker) {
    case TMarker::None: parts.Marker->clear(); break;
    case TMarker::Smile: parts.Marker->setPixmap(solOk_->pixmap()); break;
    case TMarker::Sad: parts.Marker->setPixmap(solNo_->pixmap()); break;
    }
}

void TFrmMain::ShowLegend(bool visible) {
    QLabel* legend = ui_->RightAnswersMsg;
    if (visible) {
        // The faces stand after the legend's text, at their places unless a longer
        // (translated) text reaches them.
        const int textEnd = legend->fontMetrics().horizontalAdvance(legend->text()) + 4;
        const int shift = std::max(0, textEnd - 455);
        solNo_->move(455 + shift, 4);
        solOk_->move(489 + shift, 4);
    }
    legend->setVisible(visible);
}

void TFrmMain::ShowCounter(const std::string& text) { ui_->PnlQstNum->setText(AnsiToQString(text)); }

void TFrmMain::ShowCountdown(TGauge* gauge, const TCountdown& c) {
    gauge->setMaximum(c.Max);
    gauge->setValue(c.Value);
    gauge->SetForeColor(GaugeColor(c.Color));
}

void TFrmMain::ShowQuestionCountdown(const TCountdown& c) { ShowCountdown(ui_->TimeGauge, c); }

void TFrmMain::ShowRunCountdown(const TCountdown& c) { ShowCountdown(ui_->GlobalTimeGauge, c); }

void TFrmMain::ShowMark(int max, int value, const std::string& hint) {
    ui_->GaugeMark->setMaximum(max);
    ui_->GaugeMark->setValue(value);
    SetWidgetHint(ui_->GaugeMark, hint);
}

void TFrmMain::SetTimerEnabled(bool enabled) {
    if (enabled) timer_->start();
    else timer_->stop();
}

void TFrmMain::EndTopmost() {
    // The flag is changed on the native window, so the window stays where it is.
    if (QWindow* w = windowHandle()) w->setFlags(w->flags() & ~Qt::WindowStaysOnTopHint);
}

void TFrmMain::CloseWindow() { close(); }
