#pragma once
// What every window of the program shares: the fonts its layouts name, our
// pictures at their sizes, the activation test behind FormActivate, and the
// vertical gauge.
#include <QColor>
#include <QEvent>
#include <QIcon>
#include <QPixmap>
#include <QProgressBar>
#include <QString>

#include <string>

class QWidget;

// Maps "MS Sans Serif" and "Arial" onto installed families of the same metrics.
// Called once the application object exists.
void InstallFontSubstitutes();
// "MS Sans Serif" of height -11 (8 points), every dialog's font.
QFont DialogFont();
// "Arial" of the given pixel height.
QFont ArialFont(int pixelHeight);

// One of our pictures (":/pictures/NAME.svg") at its own size in device-independent
// pixels, drawn sharp for the screen's pixel ratio, on a transparent background.
QPixmap Picture(const QString& name, qreal devicePixelRatio = 0);
// A button glyph made of the same picture; its disabled image is greyed by Qt.
QIcon Glyph(const QString& name);

// True for the change of activation that makes `window` the active window
// (FormActivate); `deactivated` is set for the change that takes it away.
bool IsActivation(QEvent* event, QWidget* window, bool* deactivated = nullptr);

// A two-part hint "short|long": the short part is the tooltip.
void SetWidgetHint(QWidget* widget, const std::string& hint);
std::string WidgetHint(const QWidget* widget);

// The vertical bar gauge: a bar filled from the bottom in proportion to the value
// within 0..maximum, in a foreground colour on a background colour, with the share
// as a percentage text; a maximum of 0 shows 0 %.
class TGauge : public QProgressBar {
    Q_OBJECT
public:
    explicit TGauge(QWidget* parent = nullptr);
    QColor ForeColor() const { return foreColor_; }
    void SetForeColor(const QColor& color);
    int PercentDone() const;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor foreColor_{Qt::black};
};
