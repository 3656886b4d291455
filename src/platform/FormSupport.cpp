#include "FormSupport.h"

#include "CodePage.h"
#include "WidgetAdapter.h"

#include <QApplication>
#include <QFont>
#include <QFontDatabase>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>
#include <QSvgRenderer>
#include <QWidget>

void InstallFontSubstitutes() {
    // Liberation Sans has Arial's metrics; it stands for the old bitmap dialog font
    // too, whose letters are of the same width at 8 points.
    const QStringList families = QFontDatabase::families();
    QString target;
    for (const char* candidate : {"Liberation Sans", "Arimo", "DejaVu Sans"}) {
        if (families.contains(QLatin1String(candidate))) {
            target = QLatin1String(candidate);
            break;
        }
    }
    if (target.isEmpty()) return;
    for (const char* family : {"MS Sans Serif", "Arial"})
        if (!families.contains(QLatin1String(family))) QFont::insertSubstitution(QLatin1String(family), target);
}

QFont DialogFont() {
    QFont font(QStringLiteral("MS Sans Serif"));
    font.setPixelSize(11);
    return font;
}

QFont ArialFont(int pixelHeight) {
    QFont font(QStringLiteral("Arial"));
    font.setPixelSize(pixelHeight);
    return font;
}

QPixmap Picture(const QString& name, qreal dpr) {
    if (dpr <= 0) dpr = qApp ? qApp->devicePixelRatio() : 1.0;
    QSvgRenderer renderer(QStringLiteral(":/pictures/%1.svg").arg(name));
    const QSize size = renderer.defaultSize();
    QPixmap pixmap(size * dpr);
    pixmap.fill(Qt::transparent);
    {
        QPainter painter(&pixmap);
        painter.setRenderHint(QPainter::Antialiasing);
        renderer.render(&painter);
    }
    pixmap.setDevicePixelRatio(dpr);
    return pixmap;
}

QIcon Glyph(const QString& name) {
    QIcon icon;
    icon.addPixmap(Picture(name, 1.0));
    icon.addPixmap(Picture(name, 2.0));
    return icon;
}

bool IsActivation(QEvent* event, QWidget* window, bool* deactivated) {
    if (deactivated) *deactivated = false;
    if (event->type() != QEvent::ActivationChange) return false;
    if (window->isActiveWindow()) return true;
    if (deactivated) *deactivated = true;
    return false;
}

void SetWidgetHint(QWidget* widget, const std::string& hint) {
    widget->setProperty("hint", AnsiToQString(hint));
    widget->setToolTip(AnsiToQString(ShortHint(hint)));
    widget->setStatusTip(AnsiToQString(LongHint(hint)));
}

std::string WidgetHint(const QWidget* widget) {
    QVariant hint = widget->property("hint");
    return QStringToAnsi(hint.isValid() ? hint.toString() : widget->toolTip());
}

TGauge::TGauge(QWidget* parent) : QProgressBar(parent) {
    setOrientation(Qt::Vertical);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);  // fills its panel
    setMinimumSize(0, 0);
    setRange(0, 100);
    setValue(0);
    setTextVisible(true);
    setBackgroundRole(QPalette::Button);
}

void TGauge::SetForeColor(const QColor& color) {
    if (foreColor_ == color) return;
    foreColor_ = color;
    update();
}

int TGauge::PercentDone() const {
    const long long span = static_cast<long long>(maximum()) - minimum();
    if (span <= 0) return 0;
    long long done = static_cast<long long>(value()) - minimum();
    if (done < 0) done = 0;
    return static_cast<int>(done * 100 / span);
}

void TGauge::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const QRect area = rect();
    painter.fillRect(area, palette().color(QPalette::Button));
    const long long span = static_cast<long long>(maximum()) - minimum();
    if (span > 0) {
        const long long done = std::max(0LL, static_cast<long long>(value()) - minimum());
        const int filled = static_cast<int>(area.height() * done / span);
        painter.fillRect(QRect(area.left(), area.bottom() - filled + 1, area.width(), filled), foreColor_);
    }
    painter.setPen(palette().color(QPalette::ButtonText));
    painter.drawText(area, Qt::AlignCenter, QStringLiteral("%1%").arg(PercentDone()));
}
