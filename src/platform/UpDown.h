#pragma once
// A spin button: two small arrow buttons beside an edit box (its associate) that
// step a whole number between a minimum and a maximum, without wrapping around.
// The position follows a number typed into the edit box, brought within the
// limits; text that is no number leaves the position as it was. When the edit box
// loses the focus it shows the position again, so its number stays within limits.
#include <QWidget>

class QLineEdit;
class QToolButton;

class TUpDown : public QWidget {
    Q_OBJECT
public:
    explicit TUpDown(QWidget* parent = nullptr);

    void SetAssociate(QLineEdit* edit);
    QLineEdit* Associate() const { return edit_; }

    int Min() const { return min_; }
    int Max() const { return max_; }
    int Position() const { return position_; }
    int Increment() const { return increment_; }
    void SetMin(int value);
    void SetMax(int value);
    // Brought within the limits, and shown in the associate.
    void SetPosition(int value);
    void SetIncrement(int value) { increment_ = value; }

    // One step up (+1) or down (-1) by the increment.
    void Step(int direction);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

signals:
    void PositionChanged(int position);

protected:
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    int Clamp(int value) const;
    void FollowText(const QString& text);
    void ShowPosition();
    void Place(int value);

    QToolButton* up_;
    QToolButton* down_;
    QLineEdit* edit_ = nullptr;
    int min_ = 0;
    int max_ = 100;
    int position_ = 0;
    int increment_ = 1;
};
