#include "ssStrUty.h"

#include <algorithm>
#include <regex>

#include "SysUtils.h"

String SafeCopy(const String& S, int Index, int Count) {
    if (S.empty() || Count <= 0) return {};
    std::size_t from = std::size_t(std::max(Index, 1) - 1);
    if (from >= S.size()) return {};
    return S.substr(from, std::size_t(Count));
}

void SafeDelete(String& S, int Index, int Count) {
    if (S.empty() || Count <= 0) return;
    std::size_t from = std::size_t(std::max(Index, 1) - 1);
    if (from >= S.size()) return;
    S.erase(from, std::size_t(Count));
}

void SafeInsert(const String& Sub, String& S, int Index) {
    std::size_t at = std::min(std::size_t(std::max(Index, 1) - 1), S.size());
    S.insert(at, Sub);
}

int PosStr(const String& Sub, const String& S) {
    if (Sub.empty()) return 0;
    auto p = S.find(Sub);
    return p == String::npos ? 0 : int(p) + 1;
}

String ReplaceAllStr(String& S, const String& Old, const String& New) {
    if (!Old.empty()) {
        String out;
        std::size_t from = 0;
        for (auto p = S.find(Old); p != String::npos; p = S.find(Old, from)) {
            out.append(S, from, p - from);
            out += New;
            from = p + Old.size();
        }
        out.append(S, from, String::npos);
        S = out;
    }
    return S;
}

String IntToStrZero(long long Value, int Width) {
    unsigned long long mag = Value < 0 ? 0ull - static_cast<unsigned long long>(Value)
                                       : static_cast<unsigned long long>(Value);
    String digits = std::to_wstring(mag);
    if (Width > 0 && int(digits.size()) < Width) digits.insert(0, std::size_t(Width) - digits.size(), L'0');
    else if (Width >= 0 && int(digits.size()) > Width) digits.erase(0, digits.size() - std::size_t(Width));
    return Value < 0 ? L"-" + digits : digits;
}

bool IsNumeric(const String& S) {
    if (S.empty()) return true;
    // "^[0-9]+$" where the end anchor also accepts one final line feed.
    static const std::wregex digits(L"[0-9]+\n?");
    return std::regex_match(S, digits);
}

int ByteTypeAt(const AnsiString& S, int p) {
    int state = 0;
    for (int i = 1; i <= p; ++i) {
        unsigned char b = i <= int(S.size()) ? static_cast<unsigned char>(S[i - 1]) : 0;
        if (b == 0) return 0;
        state = state == 1 ? 2 : (IsAnsiLeadByte(b) ? 1 : 0);
    }
    return state;
}

bool IsLeadByteAt(const AnsiString& S, int p) { return ByteTypeAt(S, p) == 1; }
bool IsTrailByteAt(const AnsiString& S, int p) { return ByteTypeAt(S, p) == 2; }

AnsiString AnsiCopyMB(const AnsiString& S, int Index, int Count) {
    if (S.empty() || Count <= 0) return {};
    Index = std::max(Index, 1);
    int len = int(S.size());
    int start = Index, n = Count;
    if (len >= Index && IsTrailByteAt(S, Index)) {
        start = Index + 1;
        n = Count - 1;
    }
    if (len >= start + n - 1 && IsLeadByteAt(S, Index + Count - 1)) n -= 1;
    if (n <= 0 || start > len) return {};
    return S.substr(std::size_t(start - 1), std::size_t(n));
}
