// kvizor2c: compiles question source files as a test run does, and shows the
// questions of compiled files.
#include "CodePage.h"
#include "Files.h"
#include "Quest.h"

#include <QStringDecoder>

#include <cstdio>
#include <string>
#include <vector>

namespace {
const char* const HelpText =
    "Использование:\n"
    "  kvizor2c ФАЙЛ.QST...      компилирует файлы с вопросами в ФАЙЛ.qsz и пишет\n"
    "                            протокол ФАЙЛ.log рядом с исходным файлом\n"
    "  kvizor2c --dump ФАЙЛ.QSZ  показывает вопросы скомпилированного файла\n"
    "\n"
    "Файл с вопросами - текст в кодировке Windows-1251:\n"
    "  ?         строка, начинающаяся с \"?\", открывает вопрос (остаток строки не читается)\n"
    "  текст     следующие строки - текст вопроса\n"
    "  +ответ    строка с \"+\" в начале - верный вариант ответа\n"
    "  -ответ    строка с \"-\" в начале - неверный вариант ответа\n"
    "Всё, что стоит до первого \"?\", пропускается. Вопрос должен иметь хотя бы два\n"
    "варианта ответа; верных вариантов может быть несколько.\n"
    "\n"
    "Код завершения: 0 - без ошибок, 3 - в протоколе есть ошибки, 1 - ошибка файла.\n";

void Out(const std::string& utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stdout); }
void ErrOut(const std::string& utf8) { std::fwrite(utf8.data(), 1, utf8.size(), stderr); }

std::string OemToUtf8(const std::string& oem) {
    QStringDecoder decoder("IBM866");
    QByteArray u = QString(decoder.decode(QByteArrayView(oem.data(), qsizetype(oem.size())))).toUtf8();
    return std::string(u.constData(), size_t(u.size()));
}

void ReportError(const std::string& ansiText) { ErrOut(AnsiToUtf8(ansiText) + "\n"); }

// 0, 3 when the log holds fault messages, 1 on a file error.
int Compile(const std::string& path, bool withHeader) {
    std::string log = ChangeFileExt(path, ".log");
    int32_t faulty = 0;
    try {
        TCompiler compiler(path, log, 3);
        faulty = compiler.FaultyQuestions;
    } catch (const Error& e) {
        ReportError(e.Text());
        return 1;
    }
    std::string bytes;
    if (withHeader) Out("== " + AnsiToUtf8(path) + "\n");
    if (ReadFileBytes(log, bytes)) {
        std::string text = OemToUtf8(bytes);
        std::string plain;
        for (char c : text)
            if (c != '\r') plain.push_back(c);
        Out(plain);
    }
    return faulty > 0 ? 3 : 0;
}

int Dump(std::string path) {
    std::string real = FindFileNoCase(path);
    if (!real.empty()) path = real;
    try {
        TFileStream file(path, TFileMode::OpenRead);
        TDecompressionStream data(file);
        for (bool first = true;; first = false) {
            TQuestion q;
            int64_t start = data.Position();
            try {
                q.LoadFromStream(data);
            } catch (const EReadError&) {
                if (data.Position() == start && data.Finished()) return 0;  // the normal end
                throw;
            }
            if (!q.IsValid()) return 0;
            std::string text = first ? "" : "\n";
            text += q.Text + "\n";
            for (const TAnswer& a : q.Answers) text += (a.Right ? "+" : "-") + a.Text + "\n";
            Out(AnsiToUtf8(text));
        }
    } catch (const Error& e) {
        ReportError(path + ": " + e.Text());
        return 1;
    }
}
}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args;
    for (int i = 1; i < argc; ++i) args.push_back(FromNativePath(argv[i]));
    if (args.empty() || args[0] == "--help" || args[0] == "-h") {
        (args.empty() ? ErrOut : Out)(HelpText);
        return args.empty() ? 1 : 0;
    }

    // The messages come from the language file the program beside us would use.
#ifdef _WIN32
    SetProgramFileName(ExtractFilePath(ProgramFileName()) + "kvizor2.exe");
#else
    SetProgramFileName(ExtractFilePath(ProgramFileName()) + "kvizor2");
#endif
    OpenMessageReader();

    int status = 0;
    auto note = [&status](int s) {
        if (s == 1 || (s == 3 && status == 0)) status = s;
    };
    if (args[0] == "--dump") {
        if (args.size() < 2) {
            ErrOut(HelpText);
            return 1;
        }
        for (size_t i = 1; i < args.size(); ++i) note(Dump(ExpandFileName(args[i])));
    } else {
        for (const std::string& a : args) note(Compile(ExpandFileName(a), args.size() > 1));
    }
    CloseMessageReader();
    return status;
}
