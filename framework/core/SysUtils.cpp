#include "SysUtils.h"

#include <algorithm>
#include <limits>

const wchar_t* const SListIndexError = L"リストのインデックスが範囲を超えています (%d)";

const char* Exception::what() const noexcept {
    if (FWhat.empty()) {
        try {
            FWhat = StringToAnsi(FMessage);
        } catch (...) {
            return "Exception";
        }
    }
    return FWhat.c_str();
}

namespace {

struct Spec {
    bool left = false;
    int width = -1;
    int precision = -1;
    wchar_t kind = 0;
};

[[noreturn]] void BadFormat(const String& fmt) {
    throw EConvertError(L"書式 '" + fmt + L"' が無効か、または引数と互換性がありません");
}

String Pad(String s, const Spec& sp) {
    if (sp.width > 0 && int(s.size()) < sp.width) {
        String fill(sp.width - s.size(), L' ');
        s = sp.left ? s + fill : fill + s;
    }
    return s;
}

String FormatInteger(long long v, const Spec& sp) {
    bool neg = false;
    unsigned long long mag;
    if (sp.kind == L'd') {
        neg = v < 0;
        mag = neg ? 0ull - static_cast<unsigned long long>(v) : static_cast<unsigned long long>(v);
    } else {
        mag = static_cast<unsigned long long>(v) & 0xFFFFFFFFull;  // 32-bit, as the platform's integers
    }
    String digits;
    unsigned base = sp.kind == L'x' ? 16 : 10;
    do {
        unsigned d = unsigned(mag % base);
        digits.insert(digits.begin(), wchar_t(d < 10 ? L'0' + d : L'A' + d - 10));
        mag /= base;
    } while (mag);
    if (sp.precision > int(digits.size())) digits.insert(0, sp.precision - digits.size(), L'0');
    if (neg) digits.insert(digits.begin(), L'-');
    return digits;
}

}  // namespace

String Format(const String& fmt, std::initializer_list<TVarRec> args) {
    String out;
    auto arg = args.begin();
    for (std::size_t i = 0; i < fmt.size(); ++i) {
        wchar_t c = fmt[i];
        if (c != L'%') {
            out += c;
            continue;
        }
        if (++i >= fmt.size()) BadFormat(fmt);
        if (fmt[i] == L'%') {
            out += L'%';
            continue;
        }
        Spec sp;
        if (fmt[i] == L'-') { sp.left = true; ++i; }
        // ASCII digits only: the platform's digit test also accepts full-width digits. A number
        // too large for an int is no valid width or precision.
        auto isDigit = [&] { return i < fmt.size() && fmt[i] >= L'0' && fmt[i] <= L'9'; };
        auto number = [&](int& target) {
            if (!isDigit()) return;
            target = 0;
            while (isDigit()) {
                if (target > (std::numeric_limits<int>::max() - 9) / 10) BadFormat(fmt);
                target = target * 10 + (fmt[i++] - L'0');
            }
        };
        number(sp.width);
        if (i < fmt.size() && fmt[i] == L'.') { ++i; sp.precision = 0; number(sp.precision); }
        if (i >= fmt.size() || arg == args.end()) BadFormat(fmt);
        sp.kind = fmt[i] >= L'A' && fmt[i] <= L'Z' ? wchar_t(fmt[i] + 32) : fmt[i];
        const TVarRec& a = *arg++;
        switch (sp.kind) {
            case L's': {
                const String* s = std::get_if<String>(&a);
                if (!s) BadFormat(fmt);
                String text = sp.precision >= 0 ? s->substr(0, sp.precision) : *s;
                out += Pad(text, sp);
                break;
            }
            case L'd': case L'u': case L'x': {
                const long long* v = std::get_if<long long>(&a);
                if (!v) BadFormat(fmt);
                out += Pad(FormatInteger(*v, sp), sp);
                break;
            }
            default:
                BadFormat(fmt);
        }
    }
    return out;
}

String IntToStr(long long value) { return std::to_wstring(value); }

std::int32_t StrToInt(const String& text) {
    const String s = Trim(text);
    std::size_t i = 0;
    bool negative = false;
    if (i < s.size() && (s[i] == L'+' || s[i] == L'-')) negative = s[i++] == L'-';
    long long v = 0;
    bool ok = i < s.size();
    for (; ok && i < s.size(); ++i) {
        if (s[i] < L'0' || s[i] > L'9') ok = false;
        else if ((v = v * 10 + (s[i] - L'0')) > 2147483648LL) ok = false;
    }
    if (negative) v = -v;
    if (!ok || v > 2147483647LL) throw EConvertError(Format(L"'%s' is not a valid integer value", {text}));
    return std::int32_t(v);
}

String Trim(const String& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && s[b] <= L' ') ++b;
    while (e > b && s[e - 1] <= L' ') --e;
    return s.substr(b, e - b);
}

String UpperCase(const String& s) {
    String r = s;
    for (auto& c : r)
        if (c >= L'a' && c <= L'z') c = wchar_t(c - 32);
    return r;
}

bool SameText(const String& a, const String& b) { return UpperCase(a) == UpperCase(b); }

static std::size_t LastDelimiter(const String& fileName) {
    return fileName.find_last_of(L"\\:");
}

String ExtractFilePath(const String& fileName) {
    auto p = LastDelimiter(fileName);
    return p == String::npos ? String() : fileName.substr(0, p + 1);
}

String ExtractFileDir(const String& fileName) {
    auto p = LastDelimiter(fileName);
    if (p == String::npos) return {};
    // Keep the separator of a root such as "C:\" and of a bare drive "C:".
    if (p > 0 && fileName[p] == L'\\' && fileName[p - 1] != L'\\' && fileName[p - 1] != L':') return fileName.substr(0, p);
    return fileName.substr(0, p + 1);
}

String ExtractFileName(const String& fileName) {
    auto p = LastDelimiter(fileName);
    return p == String::npos ? fileName : fileName.substr(p + 1);
}

String IncludeTrailingPathDelimiter(const String& s) {
    return (!s.empty() && s.back() == L'\\') ? s : s + L'\\';
}
