#include "HostileCases.h"

#include "CodePage.h"
#include "Error.h"
#include "Files.h"
#include "Format.h"
#include "Language.h"
#include "Messages.h"
#include "Profile.h"
#include "Quest.h"

#include <algorithm>
#include <chrono>
#include <climits>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <random>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

// A window with one control and one text property, for the language component.
class Comp : public TComponent {
public:
    Comp(std::string name, TComponent* owner) : name_(std::move(name)), owner_(owner) {}
    std::string Name() const override { return name_; }
    TComponent* Owner() const override { return owner_; }
    std::vector<TComponent*> Components() const override { return children_; }
    void InsertComponent(TComponent* c) override { children_.push_back(c); }
    void RemoveComponent(TComponent* c) override { std::erase(children_, c); }
    bool FindProperty(const std::string& name, TPropertyKind& kind) const override {
        kind = TPropertyKind::String;
        return SameNameAscii(name, "Caption");
    }
    std::string GetStrProp(const std::string&) const override { return caption; }
    void SetStrProp(const std::string&, const std::string& v) override { caption = v; }
    void SetOrdProp(const std::string&, int) override {}
    void SetStringsProp(const std::string&, const std::vector<std::string>&) override {}
    std::string caption;

private:
    std::string name_;
    TComponent* owner_;
    std::vector<TComponent*> children_;
};

void Write(const std::string& path, const std::function<void(std::ofstream&)>& body) {
    std::ofstream out(NativePath(path), std::ios::binary | std::ios::trunc);
    body(out);
}

std::string Int(int32_t v) {
    uint32_t u = uint32_t(v);
    return std::string{char(u), char(u >> 8), char(u >> 16), char(u >> 24)};
}

void Check(bool cond, const char* what) {
    if (!cond) throw Error(what);
}

// One case: makes its input of about `bytes` bytes in `dir`, returns the input size,
// and leaves the operation to run.
struct Case {
    HostileCase info;
    size_t bytes;
    std::function<size_t(const std::string& dir, size_t bytes)> make;
    std::function<void(const std::string& dir)> run;
};

const std::vector<Case>& Cases() {
    static const std::vector<Case> cases{
        {{"source-line", "question source with one 100 MB line, compiled", 4}, 100u << 20,
         [](const std::string& d, size_t n) {
             Write(d + "T.QST", [n](std::ofstream& o) {
                 o << "?1\r\n";
                 std::string chunk(1 << 20, 'Q');
                 for (size_t k = 0; k < n >> 20; ++k) o << chunk;
                 o << "\r\n+right\r\n-wrong\r\n";
             });
             return n;
         },
         [](const std::string& d) {
             TCompiler c(d + "T.QST", d + "T.log", 3);
             TQuestionList list;
             try {
                 LoadCompiledFile(list, d + "T.qsz");
             } catch (const EReadError&) {
             }
             Check(list.QuestionCount() == 1, "one question compiled");
         }},
        {{"compiled-count", "compiled file claiming 2^31-1 options, 40 MB of real ones", 16}, 40u << 20,
         [](const std::string& d, size_t n) {
             TFileStream f(d + "T.qsz", TFileMode::Create);
             TCompressionStream z(f, 3);
             std::string head = Int(1) + "q" + Int(INT32_MAX);
             z.WriteBuffer(head.data(), head.size());
             std::string entries;
             for (int i = 0; i < 8192; ++i) entries += Int(0) + Int(0);
             for (size_t k = 0; k < n / entries.size(); ++k) z.WriteBuffer(entries.data(), entries.size());
             z.Close();
             f.Close();
             return n;
         },
         [](const std::string& d) {
             TQuestionList list;
             try {
                 LoadCompiledFile(list, d + "T.qsz");
             } catch (const EReadError&) {
             }
             Check(list.QuestionCount() == 0, "the cut record is dropped");
         }},
        {{"compiled-length", "compiled file claiming a 2 GB text, 40 MB of it real", 4}, 40u << 20,
         [](const std::string& d, size_t n) {
             TFileStream f(d + "T.qsz", TFileMode::Create);
             TCompressionStream z(f, 3);
             std::string head = Int(INT32_MAX);
             z.WriteBuffer(head.data(), head.size());
             std::string chunk(1 << 20, 'T');
             for (size_t k = 0; k < n >> 20; ++k) z.WriteBuffer(chunk.data(), chunk.size());
             z.Close();
             f.Close();
             return n;
         },
         [](const std::string& d) {
             TQuestionList list;
             try {
                 LoadCompiledFile(list, d + "T.qsz");
             } catch (const EReadError&) {
             }
             Check(list.QuestionCount() == 0, "the cut record is dropped");
         }},
        {{"profile-value", "profile file of 50 MB in one value: read, then written", 5}, 50u << 20,
         [](const std::string& d, size_t n) {
             Write(d + "p.ini", [n](std::ofstream& o) {
                 o << "[Options]\r\nBig=";
                 std::string chunk(1 << 20, 'v');
                 for (size_t k = 0; k < n >> 20; ++k) o << chunk;
                 o << "\r\nMode=1\r\n";
             });
             return n;
         },
         [](const std::string& d) {
             TIniFile ini(d + "p.ini");
             Check(ini.ReadString("Options", "Big", "").size() == TIniFile::MaxValueLength, "value cut");
             Check(ini.ReadBool("Options", "Mode", false), "Mode read");
             ini.WriteInteger("Options", "QstLimit", 7);
             Check(ini.ReadInteger("Options", "QstLimit", 0) == 7, "written");
         }},
        {{"profile-keys", "profile file of 50 MB of short keys: read, then written", 5}, 50u << 20,
         [](const std::string& d, size_t n) {
             Write(d + "p.ini", [n](std::ofstream& o) {
                 o << "[Families]\r\n";
                 for (size_t k = 0, written = 0; written < n; ++k) {
                     std::string line = std::to_string(k) + "=x\r\n";
                     o << line;
                     written += line.size();
                 }
             });
             return n;
         },
         [](const std::string& d) {
             TIniFile ini(d + "p.ini");
             Check(ini.ReadString("Families", "123456", "") == "x", "a key read");
             std::vector<std::string> keys;
             ini.ReadSection("Families", keys);
             Check(!keys.empty(), "keys listed");
             ini.WriteString("Families", "Count", "3");
             Check(ini.ReadInteger("Families", "Count", 0) == 3, "written");
         }},
        {{"profile-blank", "profile file of 50 MB of empty lines: read, then written", 5}, 50u << 20,
         [](const std::string& d, size_t n) {
             Write(d + "p.ini", [n](std::ofstream& o) {
                 o << "[Options]\r\n";
                 std::string chunk(1 << 20, '\n');
                 for (size_t k = 0; k < n >> 20; ++k) o << chunk;
             });
             return n;
         },
         [](const std::string& d) {
             TIniFile ini(d + "p.ini");
             Check(ini.ReadString("Options", "Mode", "d") == "d", "default");
             ini.WriteBool("Options", "Mode", true);
             Check(ini.ReadBool("Options", "Mode", false), "written");
         }},
        {{"language-keys", "language file of 100,000 keys, translated; messages looked up", 8}, 100000,
         [](const std::string& d, size_t n) {
             size_t size = 0;
             Write(d + "TEST.lng", [n, &size](std::ofstream& o) {
                 std::string s = "[FrmHostile]\r\n";
                 for (size_t k = 0; k < n; ++k)
                     s += (k % 2 ? "Lbl.Caption" : "Key" + std::to_string(k) + ".Caption") + std::string("=Text ") +
                          std::to_string(k) + "\r\n";
                 s += "[-Messages-]\r\n";
                 for (size_t k = 0; k < n; ++k) s += "rs" + std::to_string(k) + "=%d\r\n";
                 o << s;
                 size = s.size();
             });
             return size;
         },
         [](const std::string& d) {
             SetProgramFileName(d + "TEST.EXE");
             Comp window("FrmHostile", nullptr);
             Comp label("Lbl", &window);
             window.InsertComponent(&label);
             TLanguage lang(&window);
             lang.SetSeparator(".");
             Check(lang.FindLanguageFile(), "language file found");
             lang.Translate();
             Check(label.caption.rfind("Text ", 0) == 0, "translated");
             Check(Format(lang.GetMessage("rs1", ""), {5}) == "5", "message");
         }},
        {{"language-values", "language file of 1 MB values, translated; messages looked up", 4}, 40u << 20,
         [](const std::string& d, size_t n) {
             Write(d + "TEST.lng", [n](std::ofstream& o) {
                 std::string value(1 << 20, 'V');
                 o << "[FrmHostile]\r\n";
                 const size_t lines = std::max<size_t>(1, n >> 21);  // a scaled-down run still has one
                 for (size_t k = 0; k < lines; ++k) o << "Lbl.Caption=" << value << "\r\n";
                 o << "[-Messages-]\r\n";
                 for (size_t k = 0; k < lines; ++k) o << "rsMarkFmt=" << value << "%d\r\n";
             });
             return n;
         },
         [](const std::string& d) {
             SetProgramFileName(d + "TEST.EXE");
             Comp window("FrmHostile", nullptr);
             Comp label("Lbl", &window);
             window.InsertComponent(&label);
             TLanguage lang(&window);
             lang.SetSeparator(".");
             Check(lang.FindLanguageFile(), "language file found");
             lang.Translate();
             Check(label.caption.size() == TIniFile::MaxValueLength, "value cut to 2047");
             Check(Msg(lang, rsMarkFmt, {1.0, 2, 3.0}).size() == TIniFile::MaxValueLength, "message cut");
         }},
        {{"format-pattern", "format pattern of 1 MB with placeholders and %%", 8}, 1u << 20,
         [](const std::string& d, size_t n) {
             Write(d + "pattern", [n](std::ofstream& o) {
                 std::string s;
                 while (s.size() < n) s += "text %% %-20.20s|%6.2f|%3d ";
                 o << s;
             });
             return n;
         },
         [](const std::string& d) {
             std::string pattern;
             Check(ReadFileBytes(d + "pattern", pattern), "pattern read");
             std::string all = pattern;
             // Every placeholder but the first three lacks its argument: the error.
             try {
                 Format(pattern, {std::string("name"), 7.5, 10});
                 Check(false, "an error for the missing arguments");
             } catch (const Error&) {
             }
             size_t cut = pattern.find('%', pattern.find("%3d") + 1);
             Check(!Format(pattern.substr(0, cut), {std::string("name"), 7.5, 10}).empty(), "formatted");
         }},
        {{"date-pattern", "date-time pattern of 1 MB: runs of each letter, quotes, separators", 8}, 1u << 20,
         [](const std::string& d, size_t n) {
             Write(d + "pattern", [n](std::ofstream& o) {
                 const size_t part = n / 8;
                 for (char c : std::string("hmsdyzn")) o << std::string(part, c);
                 o << '"' << std::string(part / 2, 'x') << '"' << std::string(part / 2, '/');
             });
             return n;
         },
         [](const std::string& d) {
             std::string pattern;
             Check(ReadFileBytes(d + "pattern", pattern), "pattern read");
             Check(!FormatDateTime(pattern, 46000.5).empty(), "formatted");
         }},
    };
    return cases;
}

double PeakMB() {
    rusage ru{};
    getrusage(RUSAGE_SELF, &ru);
    return double(ru.ru_maxrss) / 1024.0;
}

}  // namespace

const std::vector<HostileCase>& HostileCases() {
    static const std::vector<HostileCase> infos = [] {
        std::vector<HostileCase> v;
        for (const Case& c : Cases()) v.push_back(c.info);
        return v;
    }();
    return infos;
}

HostileResult RunHostileCase(size_t index, double scale) {
    const Case& c = Cases()[index];
    HostileResult r;
    std::random_device rd;
    const std::string dir = TempPath() + "kvhostile-" + std::to_string(rd()) + "/";
    std::filesystem::create_directories(NativePath(dir));
    const size_t input = c.make(dir, size_t(double(c.bytes) * scale));
    r.inputMB = double(input) / (1 << 20);
    // For the language case the size is a count of keys: the input is the file.
    int fds[2];
    if (pipe(fds) != 0) {
        r.failure = "no pipe";
        return r;
    }
    std::fflush(nullptr);
    pid_t pid = fork();
    if (pid == 0) {
        close(fds[0]);
        double result[2] = {0, 0};
        const double before = PeakMB();
        auto t0 = std::chrono::steady_clock::now();
        try {
            c.run(dir);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", c.info.name, e.what());
            _exit(3);
        }
        result[1] = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();
        result[0] = PeakMB() - before;
        if (write(fds[1], result, sizeof result) != sizeof result) _exit(4);
        _exit(0);
    }
    close(fds[1]);
    double result[2] = {0, 0};
    bool got = read(fds[0], result, sizeof result) == sizeof result;
    close(fds[0]);
    int status = 0;
    waitpid(pid, &status, 0);
    std::error_code ec;
    std::filesystem::remove_all(NativePath(dir), ec);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0 || !got) {
        r.failure = WIFSIGNALED(status) ? "killed by signal " + std::to_string(WTERMSIG(status))
                                        : "exit status " + std::to_string(WEXITSTATUS(status));
        return r;
    }
    r.ok = true;
    r.peakMB = result[0];
    r.seconds = result[1];
    return r;
}
