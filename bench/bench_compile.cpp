// Compiling and loading a large topic against zlib alone.
//
// Generates a question source of 100,000 questions (about 20 MB of Cyrillic text,
// four options each), then times in one run:
//   compile  - the compiler at level 3 (parsing, records, deflate, files)
//   deflate  - zlib level 9 of the same decompressed content in memory (the floor)
//   load     - the compiled file into a question list
//   inflate  - raw inflate of the compiled file (the floor)
// and the peak memory of loading against the decompressed size.
// Goals: compile within 1.15x of deflate, load within 1.5x of inflate, loading
// memory under 2x the decompressed size.
#include "CodePage.h"
#include "Files.h"
#include "Quest.h"

#include <zlib.h>

#include <algorithm>
#include <memory>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#if defined(__GLIBC__)
#include <malloc.h>
#define KV_TRACK_MEMORY 1
#endif

#ifdef KV_TRACK_MEMORY
namespace {
// Counted only while set, so that the timed runs pay nothing for it.
bool tracking = false;
long long liveBytes = 0, peakBytes = 0;
}
void* operator new(size_t size) {
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    if (!tracking) return p;
    long long now = liveBytes += (long long)malloc_usable_size(p);
    peakBytes = std::max(peakBytes, now);
    return p;
}
void operator delete(void* p) noexcept {
    if (!p) return;
    if (tracking) liveBytes -= (long long)malloc_usable_size(p);
    std::free(p);
}
void operator delete(void* p, size_t) noexcept { operator delete(p); }
#endif

namespace {
using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point a, Clock::time_point b) { return std::chrono::duration<double>(b - a).count(); }

template <class F>
double Best(int runs, F f) {
    double best = 1e9;
    for (int i = 0; i < runs; ++i) {
        auto t0 = Clock::now();
        f();
        best = std::min(best, Seconds(t0, Clock::now()));
    }
    return best;
}

void LoadInto(TQuestionList& list, const std::string& path) {
    try {
        LoadCompiledFile(list, path);
    } catch (const EReadError&) {
        // the normal end of the data
    }
}

uint64_t rng = 88172645463325252ULL;
uint32_t Next(uint32_t n) {
    rng ^= rng << 13;
    rng ^= rng >> 7;
    rng ^= rng << 17;
    return uint32_t(rng % n);
}

std::string GenerateSource(int questions) {
    const char* words[] = {"сколько", "будет", "если", "сложить", "число", "квадрат", "корень", "уравнение", "решение",
                           "столица", "государства", "река", "впадает", "море", "какой", "год", "произошло",
                           "событие", "автор", "произведения", "написал", "роман", "поэму", "треугольник",
                           "площадь", "периметр", "скорость", "время", "расстояние", "энергия", "атом", "молекула",
                           "клетка", "растение", "животное", "материк", "океан", "гора", "высота", "глубина"};
    std::vector<std::string> w;
    for (const char* s : words) w.push_back(A(s));
    auto phrase = [&](int minWords, int maxWords) {
        std::string s;
        int n = minWords + int(Next(uint32_t(maxWords - minWords + 1)));
        for (int i = 0; i < n; ++i) {
            if (i) s += ' ';
            s += w[Next(uint32_t(w.size()))];
        }
        return s;
    };
    std::string src = A("Тема: проверка скорости\r\n");
    src.reserve(size_t(questions) * 230);
    for (int q = 1; q <= questions; ++q) {
        src += "?" + std::to_string(q) + "\r\n";
        src += phrase(8, 14) + "\r\n" + phrase(6, 10) + "?\r\n";
        int right = int(Next(4));
        for (int o = 0; o < 4; ++o) src += (o == right ? "+" : "-") + phrase(1, 3) + "\r\n";
    }
    return src;
}

std::string InflateAll(const std::string& compressed) {
    TMemoryStream in(compressed);
    TDecompressionStream z(in);
    std::string out, chunk(ZBufferSize, '\0');
    for (size_t n; (n = z.Read(chunk.data(), chunk.size())) > 0;) out.append(chunk, 0, n);
    return out;
}
}  // namespace

int main() {
    const int count = 100000;
    const std::string dir = TempPath() + "kv-bench-compile-" + std::to_string(::TickCount()) + PathDelim;
    std::filesystem::create_directories(NativePath(dir));
    const std::string source = dir + "BIG.QST", log = dir + "BIG.log", qsz = dir + "BIG.qsz";
    {
        std::string src = GenerateSource(count);
        std::FILE* f = std::fopen(NativePath(source).c_str(), "wb");
        std::fwrite(src.data(), 1, src.size(), f);
        std::fclose(f);
        std::printf("source: %d questions, %.1f MB\n", count, src.size() / 1e6);
    }

    const int runs = 3;
    double compile = Best(runs, [&] { TCompiler(source, log, 3); });
    std::string compressed;
    ReadFileBytes(qsz, compressed);
    const std::string content = InflateAll(compressed);
    std::printf("compiled: %.1f MB, decompressed content %.1f MB\n", compressed.size() / 1e6, content.size() / 1e6);

    double deflateFloor = Best(runs, [&] {
        uLongf size = compressBound(uLong(content.size()));
        std::vector<Bytef> out(size);
        compress2(out.data(), &size, reinterpret_cast<const Bytef*>(content.data()), uLong(content.size()), 9);
    });

    // Timed without releasing the lists; memory counted in one more run of its own.
    int loaded = 0;
    double load = 1e9;
    for (int i = 0; i < runs; ++i) {
        auto list = std::make_unique<TQuestionList>();
        auto t0 = Clock::now();
        LoadInto(*list, qsz);
        load = std::min(load, Seconds(t0, Clock::now()));
        loaded = list->QuestionCount();
    }
    long long memoryPeak = 0;
#ifdef KV_TRACK_MEMORY
    {
        liveBytes = peakBytes = 0;
        tracking = true;
        TQuestionList list;
        LoadInto(list, qsz);
        memoryPeak = peakBytes;
        tracking = false;
    }
#endif

    double inflateFloor = Best(runs, [&] {
        std::FILE* f = std::fopen(NativePath(qsz).c_str(), "rb");
        z_stream z{};
        inflateInit(&z);
        std::vector<unsigned char> in(ZBufferSize), out(ZBufferSize);
        int ret = Z_OK;
        while (ret != Z_STREAM_END) {
            z.avail_in = uInt(std::fread(in.data(), 1, in.size(), f));
            if (z.avail_in == 0) break;
            z.next_in = in.data();
            do {
                z.next_out = out.data();
                z.avail_out = uInt(out.size());
                ret = inflate(&z, Z_NO_FLUSH);
            } while (z.avail_out == 0 && ret == Z_OK);
        }
        inflateEnd(&z);
        std::fclose(f);
    });

    std::printf("questions loaded: %d\n", loaded);
    std::printf("compile  %8.3f s   deflate floor %8.3f s   ratio %.3f (goal <= 1.15)\n", compile, deflateFloor,
                compile / deflateFloor);
    std::printf("load     %8.3f s   inflate floor %8.3f s   ratio %.3f (goal <= 1.5)\n", load, inflateFloor,
                load / inflateFloor);
#ifdef KV_TRACK_MEMORY
    std::printf("load peak memory %.1f MB for %.1f MB decompressed, ratio %.3f (goal < 2)\n", memoryPeak / 1e6,
                content.size() / 1e6, double(memoryPeak) / double(content.size()));
#else
    std::printf("load peak memory: not measured on this platform\n");
#endif
    std::filesystem::remove_all(NativePath(dir));
    return 0;
}
