#include "UpDown.h"

#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpressionValidator>
#include <QToolButton>

#include <algorithm>

TUpDown::TUpDown(QWidget* parent) : QWidget(parent), up_(new QToolButton(this)), down_(new QToolButton(this)) {
    for (QToolButton* b : {up_, down_}) {
        b->setAutoRepeat(true);
        b->setFocusPolicy(Qt::NoFocus);
        b->setIconSize(QSize(5, 3));
    }
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    connect(up_, &QToolButton::clicked, this, [this] { Step(+1); });
    connect(down_, &QToolButton::clicked, this, [this] { Step(-1); });
    setFocusPolicy(Qt::NoFocus);
}

void TUpDown::resizeEvent(QResizeEvent*) {
    const int half = height() / 2;
    up_->setGeometry(0, 0, width(), half);
    down_->setGeometry(0, half, width(), height() - half);
}

void TUpDown::SetAssociate(QLineEdit* edit) {
    if (edit_) {
        edit_->removeEventFilter(this);
        disconnect(edit_, nullptr, this, nullptr);
    }
    edit_ = edit;
    if (!edit_) return;
    // Digits only, with an optional minus when the limits allow one.
    edit_->setValidator(new QRegularExpressionValidator(QRegularExpression(QStringLiteral("-?\\d{0,9}")), edit_));
    edit_->installEventFilter(this);
    connect(edit_, &QLineEdit::textChanged, this, &TUpDown::FollowText);
    connect(edit_, &QLineEdit::editingFinished, this, &TUpDown::ShowPosition);
    FollowText(edit_->text());
}

int TUpDown::Clamp(int value) const { return std::clamp(value, min_, std::max(min_, max_)); }

void TUpDown::SetMin(int value) {
    min_ = value;
    Place(Clamp(position_));
}

void TUpDown::SetMax(int value) {
    max_ = value;
    Place(Clamp(position_));
}

void TUpDown::SetPosition(int value) {
    Place(Clamp(value));
    ShowPosition();
}

void TUpDown::Step(int direction) {
    const long long next = static_cast<long long>(position_) + static_cast<long long>(direction) * increment_;
    SetPosition(static_cast<int>(std::clamp<long long>(next, min_, std::max(min_, max_))));
}

void TUpDown::Place(int value) {
    if (value == position_) return;
    position_ = value;
    emit PositionChanged(position_);
}

void TUpDown::FollowText(const QString& text) {
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    if (ok) Place(Clamp(value));
}

void TUpDown::ShowPosition() {
    if (!edit_) return;
    const QString text = QString::number(position_);
    if (edit_->text() != text) edit_->setText(text);
}

bool TUpDown::eventFilter(QObject* watched, QEvent* event) {
    if (watched == edit_ && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Up || key == Qt::Key_Down) {
            FollowText(edit_->text());
            Step(key == Qt::Key_Up ? +1 : -1);
            return true;
        }
    }
    return QWidget::eventFilter(watched, event);
}
