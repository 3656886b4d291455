// Format with arbitrary patterns and typed arguments, FormatDateTime with arbitrary
// patterns and values, and the text-to-integer conversion. Format raises only its
// two errors; FormatDateTime and the conversion raise nothing. A pattern without
// "%" comes out unchanged.
#include "CodePage.h"
#include "Error.h"
#include "Format.h"
#include "FuzzSupport.h"

#include <charconv>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    FuzzInput in(data, size);
    const int mode = in.Byte() % 3;
    FormatSettings fs = GetFormatSettings();
    fs.DecimalSeparator = in.Byte() & 1 ? ',' : '.';
    SetFormatSettings(fs);

    if (mode == 0) {
        std::vector<FormatArg> args;
        const int count = in.Byte() % 16;
        for (int i = 0; i < count; ++i) {
            switch (in.Byte() % 3) {
            case 0: args.emplace_back(in.Raw<long long>()); break;
            case 1: args.emplace_back(in.Raw<double>()); break;
            default: args.emplace_back(in.Short()); break;
            }
        }
        const std::string pattern = in.Rest();
        try {
            std::string out = Format(pattern, args.data(), args.size());
            if (pattern.find('%') == std::string::npos) FUZZ_CHECK(out == pattern, pattern);
        } catch (const Error& e) {
            FUZZ_CHECK(e.Text().rfind(A("Строка формата '"), 0) == 0 || e.Text().rfind(A("Нет аргумента"), 0) == 0,
                       e.Text());
        }
    } else if (mode == 1) {
        const double value = in.Raw<double>();
        const std::string pattern = in.Rest();
        std::string out = FormatDateTime(pattern, value);
        (void)out;
    } else {
        const std::string text = in.Rest();
        int v = 0;
        bool ok = TryStrToInt(text, v);
        // Plain decimal text converts exactly when it is an int.
        std::string_view t = text;
        bool plain = !t.empty() && t.find_first_not_of("+-0123456789") == std::string_view::npos &&
                     t.find_first_of("+-", 1) == std::string_view::npos && !(t.size() == 1 && (t[0] == '+' || t[0] == '-'));
        if (plain) {
            long long ref = 0;
            std::string_view digits = t[0] == '+' ? t.substr(1) : t;
            auto r = std::from_chars(digits.data(), digits.data() + digits.size(), ref);
            bool refOk = r.ec == std::errc() && r.ptr == digits.data() + digits.size() && ref >= INT32_MIN && ref <= INT32_MAX;
            FUZZ_CHECK(ok == refOk, text);
            if (ok) FUZZ_CHECK(v == ref, text);
        }
    }
    return 0;
}
