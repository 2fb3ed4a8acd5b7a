#include "ObjectText.h"

#include "Filer.h"

#include <cstring>

namespace {
constexpr int kMaxDepth = 64;

void AppendUtf8(std::string& out, std::uint32_t cp) {
    if (cp < 0x80) {
        out += char(cp);
    } else if (cp < 0x800) {
        out += char(0xC0 | (cp >> 6));
        out += char(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += char(0xE0 | (cp >> 12));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    } else {
        out += char(0xF0 | (cp >> 18));
        out += char(0x80 | ((cp >> 12) & 0x3F));
        out += char(0x80 | ((cp >> 6) & 0x3F));
        out += char(0x80 | (cp & 0x3F));
    }
}

bool IsSurrogate(std::uint32_t u) { return u >= 0xD800 && u < 0xE000; }

// A string value in the text form: printable runs quoted, everything else as #n.
std::string QuoteString(const String& s) {
    std::string out;
    bool quoted = false;
    auto quote = [&](bool on) {
        if (quoted != on) out += '\'';
        quoted = on;
    };
    for (std::size_t i = 0; i < s.size(); ++i) {
        std::uint32_t cp = std::uint32_t(s[i]);
        if constexpr (sizeof(wchar_t) == 2) {
            if (cp >= 0xD800 && cp < 0xDC00 && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] < 0xE000) {
                quote(true);
                AppendUtf8(out, 0x10000 + ((cp - 0xD800) << 10) + (std::uint32_t(s[++i]) - 0xDC00));
                continue;
            }
        }
        if (cp < 0x20 || IsSurrogate(cp) || cp > 0x10FFFF) {
            quote(false);
            out += '#' + std::to_string(cp);
        } else {
            quote(true);
            if (cp == '\'') out += '\'';
            AppendUtf8(out, cp);
        }
    }
    if (s.empty()) out = "''";
    quote(false);
    return out;
}

std::string Narrow(const String& ascii) { return std::string(ascii.begin(), ascii.end()); }
}  // namespace

// Both directions walk the stream with the reader's and the writer's own primitives.
class TObjectTextConversion {
public:
    // ---- binary to text
    static void ToText(TStream& input, TStream& output) {
        TReader r(input);
        if (r.FSize < sizeof kStreamSignature || std::memcmp(r.FData, kStreamSignature, sizeof kStreamSignature) != 0)
            r.Error(L"コンポーネントのストリームではありません");
        r.FPos = sizeof kStreamSignature;
        std::string out;
        Object(r, out, 0);
        input.SetPosition(r.FBase + std::int64_t(r.FPos));
        output.WriteBuffer(out.data(), out.size());
    }

    static void ToBinary(const String& text, TStream& output) {
        TMemoryStream binary;
        TWriter writer(binary);
        writer.WriteBytes(kStreamSignature, sizeof kStreamSignature);
        TParser parser(text, writer);
        parser.Object();
        parser.ExpectEnd();
        writer.FlushBuffer();
        binary.SaveToStream(output);
    }

    static void Object(TReader& r, std::string& out, int indent) {
        r.Enter();
        String className = r.ReadName();
        String name = r.ReadName();
        if (className.empty()) r.Error(L"クラス名が空です");
        out.append(std::size_t(indent), ' ');
        out += "object ";
        if (!name.empty()) out += Narrow(name) + ": ";
        out += Narrow(className) + "\n";
        Properties(r, out, indent + 2);
        while (r.NextValue() != TValueType::vaNull) Object(r, out, indent + 2);
        ++r.FPos;
        out.append(std::size_t(indent), ' ');
        out += "end\n";
        r.Leave();
    }

    static void Properties(TReader& r, std::string& out, int indent) {
        while (r.NextValue() != TValueType::vaNull) {
            String name = r.ReadName();
            if (name.empty()) r.Error(L"プロパティ名が空です");
            out.append(std::size_t(indent), ' ');
            out += Narrow(name) + " = ";
            Value(r, out, indent);
            out += '\n';
        }
        ++r.FPos;
    }

    static void Value(TReader& r, std::string& out, int indent) {
        auto newLine = [&](int at) {
            out += '\n';
            out.append(std::size_t(at), ' ');
        };
        switch (r.NextValue()) {
        case TValueType::vaList:
            ++r.FPos;
            r.Enter();
            out += '(';
            while (r.NextValue() != TValueType::vaNull) {
                newLine(indent + 2);
                Value(r, out, indent + 2);
            }
            ++r.FPos;
            out += ')';
            r.Leave();
            break;
        case TValueType::vaInt8:
        case TValueType::vaInt16:
        case TValueType::vaInt32:
        case TValueType::vaInt64: out += std::to_string(r.ReadInt64()); break;
        case TValueType::vaString: out += QuoteString(r.ReadString()); break;
        case TValueType::vaIdent: out += Narrow(r.ReadIdent()); break;
        case TValueType::vaFalse: ++r.FPos, out += "False"; break;
        case TValueType::vaTrue: ++r.FPos, out += "True"; break;
        case TValueType::vaNil: ++r.FPos, out += "nil"; break;
        case TValueType::vaSet: {
            ++r.FPos;
            out += '[';
            bool first = true;
            for (String item; !(item = r.ReadName()).empty(); first = false) out += (first ? "" : ", ") + Narrow(item);
            out += ']';
            break;
        }
        case TValueType::vaCollection:
            ++r.FPos;
            r.Enter();
            out += '<';
            while (r.NextValue() != TValueType::vaNull) {
                r.Expect(TValueType::vaList, L"項目");
                newLine(indent + 2);
                out += "item\n";
                Properties(r, out, indent + 4);
                out.append(std::size_t(indent + 2), ' ');
                out += "end";
            }
            ++r.FPos;
            out += '>';
            r.Leave();
            break;
        case TValueType::vaBinary: {
            ++r.FPos;
            std::uint32_t n;
            std::memcpy(&n, r.Take(4), 4);
            const std::uint8_t* p = r.Take(n);
            static const char hex[] = "0123456789ABCDEF";
            out += '{';
            for (std::uint32_t i = 0; i < n; ++i) {
                if (i % 32 == 0) newLine(indent + 2);
                out += hex[p[i] >> 4];
                out += hex[p[i] & 15];
            }
            out += '}';
            break;
        }
        default: r.SkipValue();  // raises: no other type is valid here
        }
    }

    // ---- text to binary
    struct TToken {
        enum Kind { End, Ident, Integer, Str, Symbol } kind = End;
        String text;          // identifier, string value
        long long number = 0;
        wchar_t symbol = 0;
    };

    class TParser {
    public:
        TParser(const String& text, TWriter& w) : FText(text), FWriter(w) { Next(); }

        void Object() {
            Enter();
            ExpectIdent(L"object");
            String first = Ident();
            String name, className = first;
            if (IsSymbol(L':')) {
                Next();
                name = first;
                className = Ident();
            }
            FWriter.WriteName(className);
            FWriter.WriteName(name);
            Properties();
            while (IsIdent(L"object")) Object();
            FWriter.WriteValue(TValueType::vaNull);
            ExpectIdent(L"end");
            --FDepth;
        }

        void ExpectEnd() {
            if (FToken.kind != TToken::End) Error(L"オブジェクトの後に余分な文字があります");
        }

    private:
        void Properties() {
            while (FToken.kind == TToken::Ident && !IsIdent(L"object") && !IsIdent(L"end")) {
                FWriter.WriteName(Ident());
                ExpectSymbol(L'=');
                Value();
            }
            FWriter.WriteValue(TValueType::vaNull);
        }

        void Value() {
            switch (FToken.kind) {
            case TToken::Integer:
                FWriter.WriteInteger(FToken.number);
                Next();
                return;
            case TToken::Str:
                FWriter.WriteString(FToken.text);
                Next();
                return;
            case TToken::Ident: {
                String id = Ident();
                if (SameText(id, L"True")) FWriter.WriteBoolean(true);
                else if (SameText(id, L"False")) FWriter.WriteBoolean(false);
                else if (SameText(id, L"nil")) FWriter.WriteValue(TValueType::vaNil);
                else FWriter.WriteIdent(id);
                return;
            }
            case TToken::Symbol: break;
            default: Error(L"値がありません");
            }
            wchar_t open = FToken.symbol;
            if (String(L"([<{").find(open) == String::npos) Error(L"値がありません");
            Enter();
            if (open == L'{') {
                Binary();
                --FDepth;
                Next();
                return;
            }
            Next();
            switch (open) {
            case L'(':
                FWriter.WriteListBegin();
                while (!IsSymbol(L')')) Value();
                FWriter.WriteListEnd();
                break;
            case L'[':
                FWriter.WriteValue(TValueType::vaSet);
                while (!IsSymbol(L']')) {
                    FWriter.WriteName(Ident());
                    if (!IsSymbol(L']')) ExpectSymbol(L',');
                }
                FWriter.WriteName(L"");
                break;
            case L'<':
                FWriter.WriteValue(TValueType::vaCollection);
                while (!IsSymbol(L'>')) {
                    ExpectIdent(L"item");
                    FWriter.WriteListBegin();
                    Properties();
                    ExpectIdent(L"end");
                }
                FWriter.WriteValue(TValueType::vaNull);
                break;
            default: Error(L"値がありません");
            }
            --FDepth;
            Next();  // the closing symbol
        }

        // Hexadecimal digits from after "{" up to "}", blanks and line ends between them allowed.
        void Binary() {
            std::vector<std::uint8_t> bytes;
            int half = -1;
            for (++FPos;; ++FPos) {
                if (FPos >= FText.size()) Error(L"} がありません");
                wchar_t c = FText[FPos];
                if (c == L'}') break;
                if (c == L'\n') ++FLine;
                if (c == L' ' || c == L'\t' || c == L'\r' || c == L'\n') continue;
                int v = c >= L'0' && c <= L'9' ? c - L'0' : c >= L'A' && c <= L'F' ? c - L'A' + 10
                        : c >= L'a' && c <= L'f' ? c - L'a' + 10 : -1;
                if (v < 0) Error(L"16 進数でない文字があります");
                if (half < 0) {
                    half = v;
                } else {
                    bytes.push_back(std::uint8_t(half * 16 + v));
                    half = -1;
                }
            }
            if (half >= 0) Error(L"16 進数の桁数が奇数です");
            if (bytes.size() > 0x7FFFFFFF) Error(L"バイナリが大きすぎます");
            FWriter.WriteValue(TValueType::vaBinary);
            auto n = std::uint32_t(bytes.size());
            FWriter.WriteBytes(&n, 4);
            FWriter.WriteBytes(bytes.data(), bytes.size());
            ++FPos;
        }

        void Next() {
            while (FPos < FText.size()) {
                wchar_t c = FText[FPos];
                if (c == L'\n') ++FLine;
                if (c != L' ' && c != L'\t' && c != L'\r' && c != L'\n') break;
                ++FPos;
            }
            FToken = {};
            FTokenLine = FLine;
            if (FPos >= FText.size()) return;
            wchar_t c = FText[FPos];
            if (IsIdentStart(c)) {
                std::size_t start = FPos;
                while (FPos < FText.size() && (IsIdentStart(FText[FPos]) || (FText[FPos] >= L'0' && FText[FPos] <= L'9') ||
                                               FText[FPos] == L'.'))
                    ++FPos;
                FToken.kind = TToken::Ident;
                FToken.text = FText.substr(start, FPos - start);
                if (FToken.text.size() > 255) Error(L"識別子が長すぎます");
            } else if ((c >= L'0' && c <= L'9') || c == L'-') {
                Number();
            } else if (c == L'\'' || c == L'#') {
                StringToken();
            } else if (String(L"=:()[]<>{},").find(c) != String::npos) {
                FToken.kind = TToken::Symbol;
                FToken.symbol = c;
                if (c != L'{') ++FPos;  // a binary value reads its own digits
            } else {
                Error(Format(L"使えない文字 #%d があります", {(long long)c}));
            }
        }

        void Number() {
            bool negative = FText[FPos] == L'-';
            if (negative) ++FPos;
            unsigned long long v = 0;
            const unsigned long long limit = negative ? 9223372036854775808ULL : 9223372036854775807ULL;
            std::size_t digits = 0;
            for (; FPos < FText.size() && FText[FPos] >= L'0' && FText[FPos] <= L'9'; ++FPos, ++digits) {
                unsigned d = unsigned(FText[FPos] - L'0');
                if (v > (limit - d) / 10) Error(L"整数が 64 ビットに収まりません");
                v = v * 10 + d;
            }
            if (!digits) Error(L"数字がありません");
            FToken.kind = TToken::Integer;
            FToken.number = negative ? (long long)(0 - v) : (long long)v;
        }

        void StringToken() {
            FToken.kind = TToken::Str;
            while (FPos < FText.size() && (FText[FPos] == L'\'' || FText[FPos] == L'#')) {
                if (FText[FPos] == L'#') {
                    ++FPos;
                    unsigned long v = 0;
                    std::size_t digits = 0;
                    for (; FPos < FText.size() && FText[FPos] >= L'0' && FText[FPos] <= L'9'; ++FPos, ++digits) {
                        v = v * 10 + unsigned(FText[FPos] - L'0');
                        if (v > 0xFFFF) Error(L"文字コードが大きすぎます");
                    }
                    if (!digits) Error(L"# の後に数字がありません");
                    FToken.text += wchar_t(v);
                    continue;
                }
                for (++FPos;; ++FPos) {
                    if (FPos >= FText.size() || FText[FPos] == L'\n' || FText[FPos] == L'\r')
                        Error(L"文字列が閉じていません");
                    if (FText[FPos] == L'\'') {
                        if (FPos + 1 < FText.size() && FText[FPos + 1] == L'\'') {
                            FToken.text += L'\'';
                            ++FPos;
                            continue;
                        }
                        ++FPos;
                        break;
                    }
                    FToken.text += FText[FPos];
                }
            }
        }

        static bool IsIdentStart(wchar_t c) { return (c >= L'A' && c <= L'Z') || (c >= L'a' && c <= L'z') || c == L'_'; }
        bool IsSymbol(wchar_t c) const { return FToken.kind == TToken::Symbol && FToken.symbol == c; }
        bool IsIdent(const wchar_t* id) const { return FToken.kind == TToken::Ident && SameText(FToken.text, id); }
        String Ident() {
            if (FToken.kind != TToken::Ident) Error(L"識別子がありません");
            String id = FToken.text;
            Next();
            return id;
        }
        void ExpectIdent(const wchar_t* id) {
            if (!IsIdent(id)) Error(Format(L"%s がありません", {String(id)}));
            Next();
        }
        void ExpectSymbol(wchar_t c) {
            if (!IsSymbol(c)) Error(Format(L"%s がありません", {String(1, c)}));
            Next();
        }
        void Enter() {
            if (++FDepth > kMaxDepth) Error(L"入れ子が深すぎます");
        }
        [[noreturn]] void Error(const String& msg) const {
            throw EParserError(Format(L"%d 行目: %s", {(long long)FTokenLine, msg}));
        }

        const String& FText;
        TWriter& FWriter;
        std::size_t FPos = 0;
        int FLine = 1;
        int FTokenLine = 1;  // where the current token starts
        int FDepth = 0;
        TToken FToken;
    };
};

namespace {
String DecodeUtf8(const std::uint8_t* p, std::size_t n) {
    String s;
    s.reserve(n);
    for (std::size_t i = 0; i < n;) {
        std::uint32_t c = p[i];
        std::size_t len = c < 0x80 ? 1 : (c >> 5) == 6 ? 2 : (c >> 4) == 14 ? 3 : (c >> 3) == 30 ? 4 : 0;
        if (!len || i + len > n) throw EParserError(L"UTF-8 として正しくない文字があります");
        std::uint32_t cp = len == 1 ? c : c & (0x7F >> len);
        for (std::size_t k = 1; k < len; ++k) {
            if ((p[i + k] & 0xC0) != 0x80) throw EParserError(L"UTF-8 として正しくない文字があります");
            cp = (cp << 6) | (p[i + k] & 0x3F);
        }
        static const std::uint32_t minimum[] = {0, 0, 0x80, 0x800, 0x10000};
        if (cp < minimum[len] || cp > 0x10FFFF || IsSurrogate(cp))
            throw EParserError(L"UTF-8 として正しくない文字があります");
        if (sizeof(wchar_t) == 2 && cp > 0xFFFF) {
            s += wchar_t(0xD800 + ((cp - 0x10000) >> 10));
            s += wchar_t(0xDC00 + ((cp - 0x10000) & 0x3FF));
        } else {
            s += wchar_t(cp);
        }
        i += len;
    }
    return s;
}
}  // namespace

void ObjectBinaryToText(TStream& input, TStream& output) { TObjectTextConversion::ToText(input, output); }

void ObjectTextToBinary(TStream& input, TStream& output) {
    std::int64_t size = input.Size() - input.Position();
    std::vector<std::uint8_t> bytes(std::size_t(size > 0 ? size : 0));
    input.ReadBuffer(bytes.data(), bytes.size());
    TObjectTextConversion::ToBinary(DecodeUtf8(bytes.data(), bytes.size()), output);
}
