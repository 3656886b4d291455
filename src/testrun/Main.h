#pragma once
// The test window: the window in which a student takes one test run. The login
// window creates it, sets the test-run fields and the gauges, and shows it
// modally; it turns clicks, the Esc key and its one-second timer into the
// engine's operations and shows the engine's state.
#include <QDialog>
#include <QPixmap>
#include <QPointer>

#include <memory>
#include <vector>

#include "Engine.h"
#include "Language.h"
#include "WidgetAdapter.h"

class QFrame;
class QLabel;
class QTimer;
class TGauge;

namespace Ui {
class FrmMain;
}

// The height of an answer row whose text measures `textHeight` pixels: the text
// and 20 pixels, or the face picture's height and 4 when the picture is taller.
int AnswerRowHeight(int textHeight, int faceHeight = 32);

// The width of every answer row of a scroll box with this client width: the room
// of a vertical scroll bar and 2 pixels less, so rows keep their width whether the
// bar shows or not.
int AnswerRowWidth(int clientWidth, int scrollBarWidth);

class TFrmMain : public QDialog, public TTestRunView, public TTestRun {
    Q_OBJECT
public:
    explicit TFrmMain(QWidget* parent = nullptr);
    ~TFrmMain() override;

    TWindowComponent Self{this};
    TLanguage Lang{&Self};

    // Step 10 of a start: the run countdown from RunTimeLimit, lime, each countdown
    // gauge visible only when its limit is above 0.
    void SetupGauges();

    // Event handlers.
    void FormCreate();
    void FormClose();
    void TimerTimer();
    void FormDestroy();
    void QstMemoEnter();
    void FormActivate();
    void FormDeactivate();
    bool FormCloseQuery();
    void FormShow();
    void BasePanelResize();
    void FormKeyUp(int key);

    // Caption and placement by mode; applied as the first step of showing.
    void ApplyCaptionAndPlacement();
    QRect WindowBounds() const { return windowBounds_; }

    // The rows on show and their parts, for whoever looks at them.
    struct RowWidgets {
        QFrame* Row = nullptr;
        QLabel* Marker = nullptr;  // ANS
        QLabel* Choice = nullptr;  // SEL
        QLabel* Text = nullptr;
    };
    const std::vector<RowWidgets>& RowParts() const { return rowWidgets_; }
    QTimer* TimerObject() const { return timer_; }

    // TTestRunView
    void ShowQuestionText(const std::string& text) override;
    void ShowRows(const std::vector<TAnswerRow>& rows) override;
    void UpdateRow(const TAnswerRow& row) override;
    void ShowLegend(bool visible) override;
    void ShowCounter(const std::string& text) override;
    void ShowQuestionCountdown(const TCountdown& c) override;
    void ShowRunCountdown(const TCountdown& c) override;
    void ShowMark(int max, int value, const std::string& hint) override;
    void RefreshClock() override;
    void SetTimerEnabled(bool enabled) override;
    void EndTopmost() override;
    void CloseWindow() override;

    void setVisible(bool visible) override;

protected:
    void showEvent(QShowEvent* event) override;
    void changeEvent(QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void ShowCountdown(TGauge* gauge, const TCountdown& c);
    bool InWindow(QObject* object) const;

    std::unique_ptr<Ui::FrmMain> ui_;
    QLabel* checkImg_ = nullptr;
    QLabel* crossImg_ = nullptr;
    QLabel* solNo_ = nullptr;
    QLabel* solOk_ = nullptr;
    QTimer* timer_ = nullptr;
    std::vector<RowWidgets> rowWidgets_;
    QRect windowBounds_;
    bool placed_ = false;
    bool started_ = false;
    bool destroying_ = false;
    bool resizePending_ = false;
    bool escDown_ = false;  // an Esc press reached this window, so its release counts
};
