// Compiled question files: the record layout, the zlib wrapping, round trips and
// damaged or hostile files.
#include "Quest.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

#include <zlib.h>

#include <atomic>
#include <cstdlib>
#include <new>

// Largest single allocation while `trackAllocations` is set.
namespace {
std::atomic<bool> trackAllocations{false};
std::atomic<size_t> largestAllocation{0};
}  // namespace

void* operator new(size_t size) {
    if (trackAllocations && size > largestAllocation) largestAllocation = size;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, size_t) noexcept { std::free(p); }

namespace {
std::string Bytes(std::initializer_list<int> b) {
    std::string s;
    for (int c : b) s.push_back(char(c));
    return s;
}

std::string Int(int32_t v) {
    uint32_t u = uint32_t(v);
    return Bytes({int(u & 255), int(u >> 8 & 255), int(u >> 16 & 255), int(u >> 24 & 255)});
}

std::string Record(const std::string& text, std::initializer_list<std::pair<std::string, int32_t>> options) {
    std::string r = Int(int32_t(text.size())) + text + Int(int32_t(options.size()));
    for (auto& [t, right] : options) r += Int(int32_t(t.size())) + t + Int(right);
    return r;
}

std::string Compress(const std::string& content, int level = 3) {
    TMemoryStream out;
    TCompressionStream z(out, level);
    z.WriteBuffer(content.data(), content.size());
    z.Close();
    return out.Bytes();
}

std::string Inflate(const std::string& compressed) {
    TMemoryStream in(compressed);
    TDecompressionStream z(in);
    std::string out(1 << 20, '\0');
    out.resize(z.Read(out.data(), out.size()));
    return out;
}

// Loads into `list`, returning the error text ("" when none was raised) and whether
// it was the end-of-data read error.
std::string Load(TQuestionList& list, TStream& stream, bool* endOfData = nullptr) {
    try {
        list.LoadFromStream(stream);
    } catch (const EReadError& e) {
        if (endOfData) *endOfData = true;
        return e.Text();
    } catch (const Error& e) {
        if (endOfData) *endOfData = false;
        return e.Text();
    }
    return "";
}

const std::string TwoPlusTwo = Record("2+2= ", {{"4", -1}, {"5", 0}});
}  // namespace

TEST(CompiledFile, ExampleRecordAndItsZlibStream) {
    TQuestionList list;
    auto q = std::make_unique<TQuestion>();
    q->Text = "2+2= ";
    q->Answers = {{"4", -1}, {"5", 0}};
    list.Add(std::move(q));

    TMemoryStream raw;
    list.SaveToStream(raw);
    EXPECT_EQ(raw.Bytes(), Bytes({5, 0, 0, 0, 0x32, 0x2B, 0x32, 0x3D, 0x20, 2, 0, 0, 0, 1, 0, 0, 0, 0x34, 0xFF, 0xFF, 0xFF,
                                  0xFF, 1, 0, 0, 0, 0x35, 0, 0, 0, 0}));

    TMemoryStream file;
    {
        TCompressionStream z(file, 3);
        list.SaveToStream(z);
        z.Close();
    }
    const std::string& f = file.Bytes();
    EXPECT_EQ(f.substr(0, 2), Bytes({0x78, 0xDA}));
    EXPECT_EQ(f.substr(f.size() - 4), Bytes({0x49, 0xD2, 0x05, 0x5B}));
    EXPECT_EQ(Inflate(f), raw.Bytes());

    TQuestionList empty;
    TMemoryStream emptyFile;
    {
        TCompressionStream z(emptyFile, 3);
        empty.SaveToStream(z);
    }  // finished by its release
    EXPECT_EQ(emptyFile.Bytes(), Bytes({0x78, 0xDA, 0x03, 0x00, 0x00, 0x00, 0x00, 0x01}));
    TMemoryStream in(emptyFile.Bytes());
    TDecompressionStream z(in);
    bool endOfData = false;
    EXPECT_EQ(Load(empty, z, &endOfData), A("Ошибка чтения потока"));
    EXPECT_TRUE(endOfData);
    EXPECT_EQ(empty.QuestionCount(), 0);
}

TEST(CompiledFile, LevelsMapToZlibLevels) {
    // The second header byte carries zlib's level class: 01 fastest/none, 9C default, DA maximum.
    const std::string content = TwoPlusTwo + TwoPlusTwo;
    struct Case {
        int level;
        int header;
    } cases[] = {{0, 0x01}, {1, 0x01}, {2, 0x9C}, {3, 0xDA}};
    for (const Case& c : cases) {
        std::string f = Compress(content, c.level);
        EXPECT_EQ(uint8_t(f[1]), c.header) << c.level;
        EXPECT_EQ(Inflate(f), content) << c.level;
    }
    // Level 0 stores: the content appears unchanged inside the stream.
    EXPECT_NE(Compress(content, 0).find(content), std::string::npos);
}

TEST(CompiledFile, RoundTripKeepsTextsFlagsAndOrder) {
    TQuestionList list;
    auto add = [&list](std::string text, std::vector<TAnswer> answers) {
        auto q = std::make_unique<TQuestion>();
        q->Text = std::move(text);
        q->Answers = std::move(answers);
        list.Add(std::move(q));
    };
    add(A("Сколько будет 2+2? "), {{"4", -1}, {"5", 0}, {"22", 0}});
    add(A("Три верных "), {{"a", -1}, {"b", -1}, {"", 0}, {"c", -1}});
    add(" ", {{A("пусто"), -1}, {"", 0}, {"x", 0}});
    add(std::string(70000, 'L'), {{std::string(100000, 'o'), -1}, {"s", 0}});  // longer than the buffers

    TempDir dir;
    const std::string path = dir.File("topic.qsz");
    {
        TFileStream f(path, TFileMode::Create);
        TCompressionStream z(f, 3);
        list.SaveToStream(z);
        z.Close();
        f.Close();
    }
    TQuestionList back;
    EXPECT_THROW(LoadCompiledFile(back, path), EReadError);
    ASSERT_EQ(back.QuestionCount(), list.QuestionCount());
    for (int32_t i = 0; i < list.QuestionCount(); ++i) {
        const TQuestion& a = *list.GetQuestion(i);
        const TQuestion& b = *back.GetQuestion(i);
        EXPECT_EQ(b.Text, a.Text);
        ASSERT_EQ(b.Answers.size(), a.Answers.size());
        for (size_t k = 0; k < a.Answers.size(); ++k) {
            EXPECT_EQ(b.Answers[k].Text, a.Answers[k].Text);
            EXPECT_EQ(b.Answers[k].Right, a.Answers[k].Right);
        }
    }
}

TEST(CompiledFile, TwoFilesAccumulateInFileOrder) {
    TempDir dir;
    WriteBytes(dir.File("a.qsz"), Compress(Record("a1", {{"x", -1}, {"y", 0}}) + Record("a2", {{"x", -1}, {"y", 0}})));
    WriteBytes(dir.File("b.qsz"), Compress(Record("b1", {{"x", 0}, {"y", -1}})));
    TQuestionList list;
    EXPECT_THROW(LoadCompiledFile(list, dir.File("a.qsz")), EReadError);
    EXPECT_THROW(LoadCompiledFile(list, dir.File("b.qsz")), EReadError);
    ASSERT_EQ(list.QuestionCount(), 3);
    EXPECT_EQ(list.GetQuestion(0)->Text, "a1");
    EXPECT_EQ(list.GetQuestion(1)->Text, "a2");
    EXPECT_EQ(list.GetQuestion(2)->Text, "b1");
    EXPECT_THROW(LoadCompiledFile(list, dir.File("missing.qsz")), Error);
    EXPECT_EQ(list.QuestionCount(), 3);
}

TEST(CompiledFile, EmptyStreamLeavesTheListAsItWas) {
    TQuestionList list;
    TMemoryStream first(TwoPlusTwo);
    Load(list, first);
    TMemoryStream empty;
    bool endOfData = false;
    Load(list, empty, &endOfData);
    EXPECT_TRUE(endOfData);
    EXPECT_EQ(list.QuestionCount(), 1);
}

TEST(CompiledFile, InvalidRecordEndsReadingQuietly) {
    struct Case {
        const char* name;
        std::string content;
        int loaded;
    } cases[] = {
        {"empty text", TwoPlusTwo + Record("", {{"x", -1}, {"y", 0}}) + TwoPlusTwo, 1},
        {"one option", Record("q", {{"x", -1}}) + TwoPlusTwo, 0},
        {"no options", TwoPlusTwo + Int(1) + "q" + Int(0) + TwoPlusTwo, 1},
    };
    for (const Case& c : cases) {
        TQuestionList list;
        TMemoryStream s(c.content);
        EXPECT_EQ(Load(list, s), "") << c.name;
        EXPECT_EQ(list.QuestionCount(), c.loaded) << c.name;
    }
}

TEST(CompiledFile, ContentCutAnywhereKeepsTheCompleteRecords) {
    const std::string first = Record(A("Первый "), {{"a", -1}, {"b", 0}});
    const std::string content = first + TwoPlusTwo;
    for (size_t cut = 0; cut < content.size(); ++cut) {
        for (bool compressed : {false, true}) {
            TQuestionList list;
            bool endOfData = false;
            std::string error;
            if (compressed) {
                TMemoryStream file(Compress(content.substr(0, cut)));
                TDecompressionStream z(file);
                error = Load(list, z, &endOfData);
            } else {
                TMemoryStream s(content.substr(0, cut));
                error = Load(list, s, &endOfData);
            }
            EXPECT_TRUE(endOfData) << cut;
            EXPECT_EQ(list.QuestionCount(), cut >= first.size() ? 1 : 0) << cut;
        }
    }
}

TEST(CompiledFile, DamagedCompressedDataRaisesAndKeepsWhatWasRead) {
    std::string content;
    for (int i = 0; i < 3; ++i) content += Record("q" + std::to_string(i), {{"yes", -1}, {"no", 0}});
    const std::string good = Compress(content);
    // Every single damaged byte and every cut of the file: never a crash, and an
    // error always ends the reading.
    for (size_t i = 0; i < good.size(); ++i) {
        for (int variant = 0; variant < 2; ++variant) {
            std::string bad = good;
            if (variant == 0)
                bad[i] = char(bad[i] ^ 0x5A);
            else
                bad.resize(i);
            TQuestionList list;
            TMemoryStream file(bad);
            TDecompressionStream z(file);
            EXPECT_NE(Load(list, z), "") << i;
            EXPECT_LE(list.QuestionCount(), 3) << i;
        }
    }
    // Not a zlib stream at all.
    TQuestionList list;
    TMemoryStream junk(std::string("PK\3\4 not a question file"));
    TDecompressionStream z(junk);
    bool endOfData = true;
    EXPECT_EQ(Load(list, z, &endOfData), A("Ошибка распаковки данных"));
    EXPECT_FALSE(endOfData);
}

TEST(CompiledFile, BytesAfterTheZlibStreamAreIgnored) {
    TMemoryStream file(Compress(TwoPlusTwo) + "trailing garbage \x78\xDA");
    TDecompressionStream z(file);
    TQuestionList list;
    bool endOfData = false;
    Load(list, z, &endOfData);
    EXPECT_TRUE(endOfData);
    EXPECT_EQ(list.QuestionCount(), 1);
}

TEST(CompiledFile, HostileLengthsAndCountsEndReadingWithoutAllocatingForThem) {
    const int32_t huge = INT32_MAX;
    struct Case {
        const char* name;
        std::string content;
    } cases[] = {
        {"huge text length", Int(huge) + "abc"},
        {"negative text length", Int(-1) + "abc" + Int(2)},
        {"huge option count", Int(1) + "q" + Int(huge) + Int(1) + "x" + Int(-1)},
        {"negative option count", Int(1) + "q" + Int(-5) + TwoPlusTwo},
        {"huge option length", Int(1) + "q" + Int(2) + Int(huge) + "xyz"},
        {"negative option length", Int(1) + "q" + Int(2) + Int(INT32_MIN) + "xyz"},
    };
    for (const Case& c : cases) {
        for (bool compressed : {false, true}) {
            TQuestionList list;
            TMemoryStream plain(c.content);
            TMemoryStream file(Compress(TwoPlusTwo + c.content));
            TDecompressionStream z(file);
            TStream& s = compressed ? static_cast<TStream&>(z) : plain;
            bool endOfData = false;
            largestAllocation = 0;
            trackAllocations = true;
            Load(list, s, &endOfData);
            trackAllocations = false;
            EXPECT_TRUE(endOfData) << c.name;
            EXPECT_EQ(list.QuestionCount(), compressed ? 1 : 0) << c.name;
            EXPECT_LT(largestAllocation.load(), 1024u) << c.name << (compressed ? " compressed" : "");
        }
    }
}
