#include "About.h"

#include "ui_FrmAbout.h"

#include "CodePage.h"
#include "ErrorDisplay.h"
#include "Files.h"
#include "FormSupport.h"
#include "Seams.h"

#include <QGuiApplication>
#include <QMouseEvent>
#include <QScreen>
#include <QUrl>

std::string DefaultWebAddress() {
    const std::string readme = ExtractFilePath(ProgramFileName()) + "README.md";
    return QStringToAnsi(QUrl::fromLocalFile(AnsiToQString(readme)).toString(QUrl::FullyEncoded));
}

TFrmAbout::TFrmAbout(QWidget* parent) : QDialog(parent), ui_(std::make_unique<Ui::FrmAbout>()) {
    ui_->setupUi(this);
    setFont(DialogFont());
    setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint);
    setFixedSize(320, 211);
    if (QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    Lang.SetSeparator(".");
    ui_->LblProgName->setFont(ArialFont(32));
    ui_->BtnOK->setIcon(Glyph("ok"));
    ui_->LblX->setText(AnsiToQString(DefaultWebAddress()));
    ui_->Label7->setText(AnsiToQString(DefaultMailAddress));
    for (QLabel* link : {ui_->LblX, ui_->Label7}) {
        link->setCursor(Qt::PointingHandCursor);
        link->setTextFormat(Qt::PlainText);
    }
    FitLinks();

    // Mouse movement reaches the handlers without a button pressed.
    setMouseTracking(true);
    for (QLabel* label : {ui_->LblProgName, ui_->LblSmallAbout, ui_->LblVersion, ui_->Label2, ui_->LblMailTo,
                          ui_->LblX, ui_->Label7}) {
        label->setMouseTracking(true);
        label->installEventFilter(this);
    }
    connect(ui_->BtnOK, &QPushButton::clicked, this, &QDialog::accept);
}

TFrmAbout::~TFrmAbout() = default;

void TFrmAbout::FitLinks() {
    // The web address keeps the centre of its design place.
    const int centre = 99 + 122 / 2;
    for (QLabel* link : {ui_->LblX, ui_->Label7}) {
        QRect r = link->geometry();
        r.setWidth(link->fontMetrics().horizontalAdvance(link->text()) + 1);
        link->setGeometry(r);
    }
    QRect x = ui_->LblX->geometry();
    x.moveLeft(centre - x.width() / 2);
    ui_->LblX->setGeometry(x);
}

void TFrmAbout::FormActivate() {
    if (!Lang.FindLanguageFile()) return;
    Lang.Translate();
    ui_->Label2->setText(QString::fromLatin1(LatinNotice));
    FitLinks();
}

void TFrmAbout::changeEvent(QEvent* event) {
    QDialog::changeEvent(event);
    if (IsActivation(event, this)) RunHandler([this] { FormActivate(); });
}

void TFrmAbout::LblXMouseMove(QLabel* sender) {
    QPalette p = sender->palette();
    p.setColor(QPalette::WindowText, QColor(0, 0, 255));
    sender->setPalette(p);
    QFont f = sender->font();
    f.setUnderline(true);
    sender->setFont(f);
}

void TFrmAbout::FormMouseMove() {
    for (QLabel* link : {ui_->LblX, ui_->Label7}) {
        QPalette p = link->palette();
        p.setColor(QPalette::WindowText, QColor(0, 0, 0));
        link->setPalette(p);
        QFont f = link->font();
        f.setUnderline(false);
        link->setFont(f);
    }
}

void TFrmAbout::LblXClick() { Shell().OpenDocument(QStringToAnsi(ui_->LblX->text())); }

void TFrmAbout::Label7Click() { Shell().OpenDocument("mailto:" + QStringToAnsi(ui_->Label7->text())); }

void TFrmAbout::mouseMoveEvent(QMouseEvent* event) {
    QDialog::mouseMoveEvent(event);
    RunHandler([this] { FormMouseMove(); });
}

bool TFrmAbout::eventFilter(QObject* watched, QEvent* event) {
    auto* label = qobject_cast<QLabel*>(watched);
    if (!label) return QDialog::eventFilter(watched, event);
    const bool link = label == ui_->LblX || label == ui_->Label7;
    if (event->type() == QEvent::MouseMove) {
        if (link) RunHandler([this, label] { LblXMouseMove(label); });
        else RunHandler([this] { FormMouseMove(); });
        // Handled here: a label passes the movement on to the window otherwise.
        return true;
    } else if (event->type() == QEvent::MouseButtonRelease && link &&
               static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton &&
               label->rect().contains(static_cast<QMouseEvent*>(event)->position().toPoint())) {
        if (label == ui_->LblX) RunHandler([this] { LblXClick(); });
        else RunHandler([this] { Label7Click(); });
    }
    return QDialog::eventFilter(watched, event);
}
