#pragma once
// Helpers of the fuzz targets: a reader that takes typed pieces from the input,
// a scratch folder of the process, and a hard stop for a broken promise.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

// Takes pieces from the front of the input; past its end every piece is empty or 0.
class FuzzInput {
public:
    FuzzInput(const uint8_t* data, size_t size) : p_(data), n_(size) {}
    bool Empty() const { return n_ == 0; }
    size_t Left() const { return n_; }
    uint8_t Byte() {
        if (!n_) return 0;
        --n_;
        return *p_++;
    }
    template <class T>
    T Raw() {
        T v{};
        size_t k = n_ < sizeof v ? n_ : sizeof v;
        if (k) std::memcpy(&v, p_, k);  // an empty input may come as a null pointer
        p_ += k;
        n_ -= k;
        return v;
    }
    // A piece whose length (below 256) comes from the input.
    std::string Short() { return Take(Byte()); }
    // A piece whose length (below 65536) comes from the input.
    std::string Long() { return Take(Raw<uint16_t>()); }
    std::string Take(size_t k) {
        if (k > n_) k = n_;
        std::string s(reinterpret_cast<const char*>(p_), k);
        p_ += k;
        n_ -= k;
        return s;
    }
    std::string Rest() { return Take(n_); }

private:
    const uint8_t* p_;
    size_t n_;
};

// A folder of this process for scratch files (in memory where the system offers
// it), ending in the delimiter; removed at exit.
const std::string& FuzzFolder();

// Reports a broken promise of the code under test and aborts, so that the fuzzer
// keeps the input.
[[noreturn]] void FuzzFail(const char* what, const std::string& detail = {});
#define FUZZ_CHECK(cond, detail) \
    do {                         \
        if (!(cond)) FuzzFail(#cond, detail); \
    } while (0)

void WriteFuzzFile(const std::string& path, const std::string& bytes);
std::string ReadFuzzFile(const std::string& path);
