#include "CodePage.h"
#include "Error.h"

#include <QStringDecoder>
#include <QStringEncoder>

namespace {
constexpr const char* kAnsi = "windows-1251";
constexpr const char* kOem = "IBM866";

QString Decode(const char* codec, std::string_view bytes) {
    QStringDecoder decoder(codec);
    if (!decoder.isValid()) throw std::runtime_error(std::string("Code page not available: ") + codec);
    return decoder.decode(QByteArrayView(bytes.data(), qsizetype(bytes.size())));
}

std::string Encode(const char* codec, const QString& text) {
    QStringEncoder encoder(codec, QStringConverter::Flag::Default);
    if (!encoder.isValid()) throw std::runtime_error(std::string("Code page not available: ") + codec);
    QByteArray out = encoder.encode(text);
    return std::string(out.constData(), size_t(out.size()));
}
}  // namespace

QString AnsiToQString(std::string_view ansi) { return Decode(kAnsi, ansi); }

std::string QStringToAnsi(const QString& text) { return Encode(kAnsi, text); }

std::string AnsiToUtf8(std::string_view ansi) {
    QByteArray u = AnsiToQString(ansi).toUtf8();
    return std::string(u.constData(), size_t(u.size()));
}

std::string Utf8ToAnsi(std::string_view utf8) {
    return QStringToAnsi(QString::fromUtf8(utf8.data(), qsizetype(utf8.size())));
}

std::string AnsiToOem(std::string_view ansi) { return Encode(kOem, AnsiToQString(ansi)); }

char AnsiUpperChar(char c) {
    unsigned char u = static_cast<unsigned char>(c);
    if (u >= 'a' && u <= 'z') return char(u - 32);
    if (u >= 0xE0) return char(u - 32);    // а..я
    if (u == 0xB8) return char(0xA8);      // ё
    if (u == 0xA2) return char(0xA1);      // ў
    if (u == 0xB3) return char(0xB2);      // і
    if (u == 0xBF) return char(0xAF);      // ї
    if (u == 0xBA) return char(0xAA);      // є
    if (u == 0x9A) return char(0x8A);      // љ
    if (u == 0x9C) return char(0x8C);      // њ
    if (u == 0x9E) return char(0x8E);      // ћ
    if (u == 0x9D) return char(0x8D);      // ќ
    if (u == 0x9F) return char(0x8F);      // џ
    if (u == 0x83) return char(0x81);      // ѓ
    if (u == 0xBE) return char(0xBD);      // ѕ
    if (u == 0xBC) return char(0xA3);      // ј
    if (u == 0xB4) return char(0xA5);      // ґ
    return c;
}

std::string AnsiUpperCase(std::string_view s) {
    std::string r(s);
    for (char& c : r) c = AnsiUpperChar(c);
    return r;
}

bool SameTextAnsi(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size(); ++i)
        if (AnsiUpperChar(a[i]) != AnsiUpperChar(b[i])) return false;
    return true;
}

std::string ErrorDisplayText(const std::string& text) {
    if (!text.empty() && static_cast<unsigned char>(text.back()) > '.') return text + ".";
    return text;
}

std::string_view TrimBlanks(std::string_view s) {
    size_t b = 0, e = s.size();
    while (b < e && static_cast<unsigned char>(s[b]) <= ' ') ++b;
    while (e > b && static_cast<unsigned char>(s[e - 1]) <= ' ') --e;
    return s.substr(b, e - b);
}
