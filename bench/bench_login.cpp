// Opens the login window on a program folder of 2,000 topics (half source, half
// compiled) and a settings file of 5,000 names, then registers a new name; prints
// both times and the number of file replacements of the registration.
#include "CodePage.h"
#include "Files.h"
#include "FormSupport.h"
#include "Login.h"
#include "Profile.h"
#include "Startup.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>

namespace {
double Ms(std::chrono::steady_clock::time_point t0) {
    return std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - t0).count();
}
void Write(const std::filesystem::path& p, const std::string& bytes) { std::ofstream(p, std::ios::binary) << bytes; }
}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    const std::filesystem::path dir = std::filesystem::temp_directory_path() / "kv-bench-login";
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
    std::string titles = "[Files]\r\n", names = "[Families]\r\nCount=5000\r\n";
    for (int i = 0; i < 1000; ++i) {
        Write(dir / ("SRC" + std::to_string(i) + ".QST"), "?1\r\nq\r\n+a\r\n-b\r\n");
        Write(dir / ("BIN" + std::to_string(i) + ".qsz"), "x");
        titles += "SRC" + std::to_string(i) + ".QST=" + A("Тема ") + std::to_string(i) + "\r\n";
    }
    for (int i = 0; i < 5000; ++i) names += std::to_string(i + 1) + "=" + A("Ученик ") + std::to_string(100000 + i) + "\r\n";
    Write(dir / "WHOISWHO.INI", titles);
    Write(dir / "kvizor2.ini", names);
    SetProgramFileName(FromNativePath((dir / "kvizor2").string()));
    char name[] = "kvizor2";
    char* args[] = {name, nullptr};
    LauncherStartup(1, args);

    QApplication app(argc, argv);
    InstallFontSubstitutes();
    auto t0 = std::chrono::steady_clock::now();
    double open;
    {
        TFrmLogin login;
        login.show();
        QCoreApplication::processEvents();
        open = Ms(t0);
        login.findChild<QComboBox*>("NameCombo")->lineEdit()->setText(QString::fromUtf8("Новый Ученик"));
        const uint64_t before = ProfileReplacements();
        t0 = std::chrono::steady_clock::now();
        login.RegisterName();
        const double reg = Ms(t0);
        std::printf("login: window ready %.0f ms (goal < 500) with %zu topics; registration %.1f ms (goal < 50), "
                    "%llu file replacement(s)\n",
                    open, login.FileNames.size(), reg, (unsigned long long)(ProfileReplacements() - before));
    }
    LauncherShutdown();
    std::filesystem::remove_all(dir);
    return 0;
}
