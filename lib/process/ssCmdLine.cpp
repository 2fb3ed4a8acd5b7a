#include "ssCmdLine.h"

std::vector<String> CommandLineTokens(const String& text) {
    std::vector<String> tokens;
    std::size_t i = 0, n = text.size();
    for (;;) {
        for (;;) {
            while (i < n && text[i] <= L' ') ++i;
            if (i + 1 < n && text[i] == L'"' && text[i + 1] == L'"') i += 2;
            else break;
        }
        if (i >= n) break;
        String token;
        while (i < n && text[i] > L' ') {
            if (text[i] == L'"') {
                ++i;
                while (i < n && text[i] != L'"') token += text[i++];
                if (i < n) ++i;
            } else {
                token += text[i++];
            }
        }
        tokens.push_back(token.substr(0, 8192));
    }
    return tokens;
}
