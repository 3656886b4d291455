#include "Quest.h"

#include "CodePage.h"
#include "Files.h"
#include "Format.h"
#include "Messages.h"
#include "Profile.h"
#include "Seams.h"

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <exception>
#include <filesystem>
#include <utility>

// ---- source reader

TSourceReader::TSourceReader(TStream& stream)
    : stream_(stream), buf_(new unsigned char[ZBufferSize]), base_(stream.Position()), size_(stream.Size()) {}

bool TSourceReader::Refill(unsigned char& c) {
    base_ += int64_t(len_);
    pos_ = len_ = 0;
    len_ = stream_.Read(buf_.get(), ZBufferSize);
    if (len_ == 0) return false;
    c = buf_[pos_++];
    return true;
}

// ---- pseudo-random generator

namespace {
uint64_t randomState = 0x853C49E6748FEA9BULL;

// splitmix64: every seed gives a full-period sequence of well-mixed values.
uint32_t Next32() {
    uint64_t z = (randomState += 0x9E3779B97F4A7C15ULL);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
    z ^= z >> 31;
    return uint32_t(z >> 32);
}
}  // namespace

uint32_t RandomBelow(uint32_t n) {
    if (n <= 1) {
        Next32();
        return 0;
    }
    // Draws above the last whole multiple of n are rejected, so every value of
    // 0..n-1 is equally likely.
    const uint32_t limit = uint32_t((uint64_t(1) << 32) - ((uint64_t(1) << 32) % n));
    for (;;) {
        uint64_t x = Next32();
        if (limit == 0 || x < limit) return uint32_t(x % n);
    }
}

void SeedRandom(uint64_t seed) { randomState = seed; }

void SeedRandomFromClock() {
    double now = Clock().Now();
    double dayFraction = now - std::floor(now);
    SeedRandom(uint64_t(std::llround(dayFraction * 86400000.0)));
}

// ---- question

TQuestion::~TQuestion() = default;

bool TQuestion::IsValid() const { return !Text.empty() && Answers.size() >= 2; }

void TQuestion::ShuffleAnswers() {
    if (Answers.size() < 2) return;
    for (size_t i = Answers.size() - 1; i >= 1; --i) {
        size_t j = RandomBelow(uint32_t(i));
        std::swap(Answers[j], Answers[i]);
    }
}

namespace {
void AddMessage(std::string& errors, const TMessage& message, int32_t number) {
    errors += "\r\n";
    errors += Format(CompilerMessage(message), {number});
}

bool Blank(const std::string& s) {
    return std::all_of(s.begin(), s.end(), [](char c) { return c == ' '; });
}

std::string TrimSpaces(const std::string& s) {
    size_t b = s.find_first_not_of(' ');
    if (b == std::string::npos) return {};
    size_t e = s.find_last_not_of(' ');
    return s.substr(b, e - b + 1);
}

// The parser's reading state: the current and the previous character and the line
// counter. A line ends at LF or CR; a CR LF pair counts once.
struct TParseState {
    TSourceReader& src;
    int32_t& lineNo;
    unsigned char cur = 0, prev = 0;

    void Read() {
        prev = cur;
        if (!src.ReadByte(cur)) cur = 0;
        if (cur == 13 || (cur == 10 && prev != 13)) ++lineNo;
    }
    bool AtLineStart() const { return prev == 0 || prev == 10 || prev == 13; }
    bool AtMarker() const { return (cur == 0 || cur == '+' || cur == '-' || cur == '?') && AtLineStart(); }
};

inline void AppendChar(std::string& s, unsigned char c) {
    if (c == 10) c = ' ';
    if (c >= 32) s.push_back(char(c));
}
}  // namespace

void TQuestion::ParseSource(TSourceReader& Source, int32_t& LineNo) {
    Errors.clear();
    Text.clear();
    Answers.clear();
    int rightCount = 0;
    TParseState p{Source, LineNo};

    // The marker line of the question.
    do p.Read();
    while (!((p.cur == 0 || p.cur == '?') && p.AtLineStart()));
    if (p.cur == 0) return;
    // The rest of the marker line is ignored, up to its LF.
    do p.Read();
    while (!(p.cur == 10 || (p.cur == 0 && (p.prev == 0 || p.prev == 13))));

    // The question text: the first line always belongs to it.
    p.Read();
    do {
        p.Read();
        AppendChar(Text, p.prev);
    } while (!p.AtMarker());
    if (Blank(Text)) AddMessage(Errors, rsWrongQstText, LineNo - 1);

    if (p.cur == 0 || p.cur == '?') {
        AddMessage(Errors, rsAnsNotFound, LineNo);
        if (p.cur == '?') Source.StepBack();
        return;
    }

    while (p.cur == '+' || p.cur == '-') {
        bool right = p.cur == '+';
        if (right) ++rightCount;
        std::string option;
        for (;;) {
            p.Read();
            if (p.AtMarker()) break;
            AppendChar(option, p.cur);
        }
        if (Blank(option)) AddMessage(Errors, rsWrongAnsText, LineNo - 1);
        Answers.push_back(TAnswer{TrimSpaces(option), right ? -1 : 0});
    }
    if (p.cur == '?') Source.StepBack();
    if (rightCount == 0) AddMessage(Errors, rsRightAnsNotFound, LineNo);
}

namespace {
void WriteInt(TStream& s, int32_t v) {
    uint32_t u = uint32_t(v);
    unsigned char b[4] = {uint8_t(u), uint8_t(u >> 8), uint8_t(u >> 16), uint8_t(u >> 24)};
    s.WriteBuffer(b, 4);
}

void WriteText(TStream& s, const std::string& text) {
    WriteInt(s, int32_t(text.size()));
    s.WriteBuffer(text.data(), text.size());
}

int32_t ReadInt(TStream& s) {
    unsigned char b[4];
    s.ReadBuffer(b, 4);
    return int32_t(uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24);
}

// A text of `length` bytes. Memory grows only with the bytes that actually arrive,
// so a damaged length never allocates beyond the data that follows it.
void ReadText(TStream& s, std::string& out) {
    int32_t length = ReadInt(s);
    if (length < 0) throw EReadError();
    out.clear();
    const size_t want = size_t(length);
    while (out.size() < want) {
        size_t chunk = std::max({s.ReadAhead(), out.size(), size_t(256)});
        chunk = std::min(chunk, want - out.size());
        size_t old = out.size();
        if (old == 0)
            out = std::string(chunk, '\0');  // allocated to the exact size
        else
            out.resize(old + chunk);
        s.ReadBuffer(out.data() + old, chunk);
    }
    if (out.capacity() > out.size() + out.size() / 4 + 16) out.shrink_to_fit();
}
}  // namespace

void TQuestion::LoadFromStream(TStream& Stream) {
    Answers.clear();
    ReadText(Stream, Text);
    int32_t count = ReadInt(Stream);
    if (count < 0) throw EReadError();
    // Every entry takes at least 8 bytes: reserve no more than the data at hand holds.
    Answers.reserve(std::min<size_t>(size_t(count), Stream.ReadAhead() / 8 + 1));
    for (int32_t i = 0; i < count; ++i) {
        TAnswer a;
        ReadText(Stream, a.Text);
        a.Right = ReadInt(Stream);
        Answers.push_back(std::move(a));
    }
}

void TQuestion::SaveToStream(TStream& Stream) const {
    WriteText(Stream, Text);
    WriteInt(Stream, int32_t(Answers.size()));
    for (const TAnswer& a : Answers) {
        WriteText(Stream, a.Text);
        WriteInt(Stream, a.Right);
    }
}

// ---- question list

TQuestionList::~TQuestionList() {
    for (auto& q : Items) q.reset();
}

TQuestion* TQuestionList::GetQuestion(int32_t Index) const {
    if (Index < 0 || Index >= QuestionCount()) return nullptr;
    return Items[size_t(Index)].get();
}

void TQuestionList::Shuffle() {
    if (Items.size() < 2) return;
    for (size_t i = Items.size() - 1; i >= 1; --i) {
        size_t j = RandomBelow(uint32_t(i));
        std::swap(Items[j], Items[i]);
    }
}

void TQuestionList::LoadFromSource(TStream& Stream) {
    TSourceReader reader(Stream);
    LineNo = 1;
    while (reader.Position() < reader.Size()) {
        const int64_t before = reader.Position();
        auto q = std::make_unique<TQuestion>();
        q->ParseSource(reader, LineNo);
        // A source that ends before the size it gave (a file cut while it is read)
        // yields no byte more: the parse is over, not to be tried again forever.
        if (reader.Position() == before) break;
        if (!q->Errors.empty() && OnError) OnError(*q);
        if (q->IsValid()) Items.push_back(std::move(q));
    }
}

void TQuestionList::LoadFromStream(TStream& Stream) {
    for (;;) {
        auto q = std::make_unique<TQuestion>();
        q->LoadFromStream(Stream);
        if (!q->IsValid()) return;
        Items.push_back(std::move(q));
    }
}

void TQuestionList::SaveToStream(TStream& Stream) const {
    for (const auto& q : Items) q->SaveToStream(Stream);
}

void LoadCompiledFile(TQuestionList& list, const std::string& path) {
    TFileStream file(path, TFileMode::OpenRead);
    TDecompressionStream z(file);
    list.LoadFromStream(z);
}

// ---- message reader

namespace {
std::unique_ptr<TIniFile>& MessageReader() {
    static std::unique_ptr<TIniFile> reader;
    return reader;
}
}  // namespace

std::string FindMessageFile() { return FindLanguageFileName(); }

void OpenMessageReader() { MessageReader() = std::make_unique<TIniFile>(FindMessageFile()); }

void CloseMessageReader() { MessageReader().reset(); }

const std::string& MessageFileName() {
    static const std::string none;
    return MessageReader() ? MessageReader()->FileName() : none;
}

std::string CompilerMessage(const TMessage& message) {
    const auto& reader = MessageReader();
    if (!reader || reader->FileName().empty()) return message.Text();
    return reader->ReadString(MessagesSection, message.Id, message.Text());
}

// ---- compile log

namespace {
Error InOutError(int code) { return Error(Format(A("Ошибка ввода/вывода %d"), {code})); }
}  // namespace

TLogFile::TLogFile(const std::string& fileName) {
    errno = 0;
#ifdef _WIN32
    file_ = _wfopen(std::filesystem::path(NativePath(fileName)).c_str(), L"wb");
#else
    file_ = std::fopen(NativePath(fileName).c_str(), "wb");
#endif
    if (!file_) throw InOutError(errno ? errno : 5);
}

TLogFile::~TLogFile() {
    if (file_) std::fclose(file_);
}

void TLogFile::Write(const std::string& bytes) {
    if (!file_) throw InOutError(EBADF);
    if (!bytes.empty() && std::fwrite(bytes.data(), 1, bytes.size(), file_) != bytes.size())
        throw InOutError(errno ? errno : EIO);
}

void TLogFile::Flush() {
    if (file_ && std::fflush(file_) != 0) throw InOutError(errno ? errno : EIO);
}

void TLogFile::Close() {
    if (!file_) return;
    std::FILE* f = file_;
    file_ = nullptr;
    if (std::fclose(f) != 0) throw InOutError(errno ? errno : EIO);
}

void WriteLogLine(TLogFile& Log, const std::string& Text) {
    Log.Write(AnsiToOem(Text) + "\r\n");
    Log.Flush();
}

// ---- compiler

std::string CompiledFileName(const std::string& SourceFile) {
    std::string name = ChangeFileExt(SourceFile, ".qsz");
    std::string existing = FindFileNoCase(name);
    return existing.empty() ? name : existing;
}

void TCompiler::WriteQuestionErrors(TQuestion& Question) {
    ++FaultyQuestions;
    Log->Write(AnsiToOem(Question.Errors) + "\r\n");
}

TCompiler::TCompiler(const std::string& SourceFile, const std::string& LogFile, int Level) {
    Log = std::make_unique<TLogFile>(LogFile);
    std::exception_ptr failure;
    auto keep = [&failure] {
        if (!failure) failure = std::current_exception();
    };
    try {
        Source = std::make_unique<TFileStream>(SourceFile, TFileMode::OpenRead);
        Output = std::make_unique<TFileStream>(CompiledFileName(SourceFile), TFileMode::Create);
        Compressor = std::make_unique<TCompressionStream>(*Output, Level);
        Questions = std::make_unique<TQuestionList>();
        Questions->OnError = [this](TQuestion& q) { WriteQuestionErrors(q); };
        Ticks = Clock().TickCount();
        Questions->LoadFromSource(*Source);
        Questions->SaveToStream(*Compressor);
        Ticks = Clock().TickCount() - Ticks;
        WriteLogLine(*Log, Format(CompilerMessage(rsCompileTime), {double(Ticks) / 1000.0}));
        WriteLogLine(*Log, Format(CompilerMessage(rsQuestCount), {Questions->QuestionCount()}));
    } catch (...) {
        keep();
    }
    // Released in this order also after a failure; the first error is the one raised.
    Source.reset();
    if (Compressor) {
        try {
            if (!failure) Compressor->Close();
        } catch (...) {
            keep();
        }
        Compressor.reset();
    }
    if (Output) {
        try {
            if (!failure) Output->Close();
        } catch (...) {
            keep();
        }
        Output.reset();
    }
    Questions.reset();
    try {
        Log->Close();
    } catch (...) {
        keep();
    }
    Log.reset();
    if (failure) std::rethrow_exception(failure);
}

TCompiler::~TCompiler() = default;
