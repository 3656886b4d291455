// Lays out a question's answer rows in the test window: 200 options of two to
// three lines each, then 2,000; prints both times and the per-row ratio, which
// stays near 1 while the cost grows linearly.
#include "CodePage.h"
#include "FormSupport.h"
#include "Main.h"

#include <QApplication>

#include <chrono>
#include <cstdio>

namespace {

double LayOut(TFrmMain& frm, int options) {
    std::vector<TAnswerRow> rows;
    rows.reserve(size_t(options));
    const std::string text = A("Вариант ответа, текст которого занимает в строке ответа две или три строки: "
                               "достаточно длинный, чтобы перенос слов действительно понадобился при "
                               "ширине окна в тысячу точек, номер ");
    for (int i = 0; i < options; ++i) rows.push_back(TAnswerRow{i, text + std::to_string(i), i % 3 == 0 ? -1 : 0, 0, {}});
    const auto t0 = std::chrono::steady_clock::now();
    frm.ShowRows(rows);
    QCoreApplication::processEvents();
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    InstallFontSubstitutes();
    TFrmMain frm;
    frm.setWindowState(Qt::WindowNoState);
    frm.resize(1000, 700);
    frm.Finished = true;
    frm.show();
    QCoreApplication::processEvents();
    LayOut(frm, 20);  // warm-up: fonts and pictures
    double small = 1e9, large = 1e9;
    for (int i = 0; i < 3; ++i) small = std::min(small, LayOut(frm, 200));
    for (int i = 0; i < 2; ++i) large = std::min(large, LayOut(frm, 2000));
    std::printf("rows: 200 rows %.1f ms (goal < 50), 2000 rows %.1f ms, per-row ratio 2000/200 %.2f\n", small, large,
                (large / 2000) / (small / 200));
    return 0;
}
