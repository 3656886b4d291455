// Arbitrary bytes through the compiled question file reader (LoadFromStream):
// the first byte chooses whether the rest is the decompressed content itself, the
// content compressed with zlib, or a compiled file as it lies on disk (a zlib
// stream that may be damaged). Whatever loads must be exactly the records at the
// start of the content.
#include "FuzzSupport.h"
#include "Quest.h"

#include <zlib.h>

namespace {
std::string Compress(const std::string& content) {
    TMemoryStream out;
    TCompressionStream z(out, 3);
    z.WriteBuffer(content.data(), content.size());
    z.Close();
    return out.Bytes();
}

// The decompressed content of a zlib stream as far as it can be inflated.
std::string InflateAll(const std::string& file) {
    std::string out;
    z_stream z{};
    if (inflateInit(&z) != Z_OK) return out;
    z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(file.data()));
    z.avail_in = uInt(file.size());
    char buf[65536];
    for (;;) {
        z.next_out = reinterpret_cast<Bytef*>(buf);
        z.avail_out = sizeof buf;
        int ret = inflate(&z, Z_NO_FLUSH);
        out.append(buf, sizeof buf - z.avail_out);
        if (ret != Z_OK || out.size() > (64u << 20)) break;
    }
    inflateEnd(&z);
    return out;
}

std::string Saved(const TQuestionList& list) {
    TMemoryStream s;
    list.SaveToStream(s);
    return s.Bytes();
}
}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int mode = in.Byte() % 3;
    const std::string rest = in.Rest();

    TQuestionList list;
    std::string content;
    bool damaged = false;
    try {
        if (mode == 0) {
            content = rest;
            TMemoryStream s(rest);
            list.LoadFromStream(s);
        } else {
            const std::string file = mode == 1 ? Compress(rest) : rest;
            content = mode == 1 ? rest : InflateAll(rest);
            TMemoryStream s(file);
            TDecompressionStream z(s);
            list.LoadFromStream(z);
        }
    } catch (const EReadError&) {
        // the normal end of the data
    } catch (const Error&) {
        damaged = true;
    }
    FUZZ_CHECK(!damaged || mode == 2, "only damaged compressed data raises another error");
    for (int32_t i = 0; i < list.QuestionCount(); ++i) FUZZ_CHECK(list.GetQuestion(i)->IsValid(), "");
    const std::string saved = Saved(list);
    FUZZ_CHECK(content.compare(0, saved.size(), saved) == 0, "loaded records are the content's first records");
    return 0;
}
