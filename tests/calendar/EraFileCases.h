// Era-file lines and what a table holds after reading them, shared by the tests that read
// files and those that read text.
#pragma once
#include <vector>

#include "System.h"

namespace calendar_test {

inline const std::vector<String> DefaultLines = {
    L"1,明治,1868.09.08,M,明",
    L"2,大正,1912.07.30,T,大",
    L"3,昭和,1926.12.25,S,昭",
    L"4,平成,1989.01.08,H,平",
};
inline const String ReiwaLine = L"5,令和,2019.05.01,R,令";

inline std::vector<String> Lines(std::vector<String> head, const std::vector<String>& tail) {
    head.insert(head.end(), tail.begin(), tail.end());
    return head;
}

inline const wchar_t* const DefaultSummary =
    L"明治/明/M/1868-09-08 大正/大/T/1912-07-30 昭和/昭/S/1926-12-25 平成/平/H/1989-01-08";

struct EraFileCase {
    const char* what;
    std::vector<String> lines;
    String summary;  // long/short/initial/yyyy-mm-dd of each era, space separated
};

// Lines that stop the reading, and tables too short to replace the built-in one.
inline std::vector<EraFileCase> EraFileCases() {
    const String later = L"6,未来,2030.01.01,F,未";
    const String reiwa = DefaultSummary + String(L" 令和/令/R/2019-05-01");
    return {
        {"comment as third line: too few eras, the defaults stay",
         {L"1,甲乙,1868.09.08,A,甲", L"2,丙丁,1912.07.30,B,丙", L";3,昭和,1926.12.25,S,昭", DefaultLines[3]}, DefaultSummary},
        {"placeholder stops, does not skip", Lines(DefaultLines, {L"5,XXXX.XX.XX,X,X,X", later}), DefaultSummary},
        {"17 characters stop", Lines(DefaultLines, {L"5,令和,2019.05.01,R", later}), DefaultSummary},
        {"empty line stops", Lines(DefaultLines, {L"", later}), DefaultSummary},
        {"18 characters: no short name",
         Lines(DefaultLines, {L"5,令和,2019.05.01,R,"}), DefaultSummary + String(L" 令和//R/2019-05-01")},
        {"trailing placeholder", Lines(DefaultLines, {ReiwaLine, L"6,XXXX,XXXX.XX.XX,X,X"}), reiwa},
        {"three eras keep the defaults", {DefaultLines[0], DefaultLines[1], DefaultLines[2]}, DefaultSummary},
        {"empty file", {}, DefaultSummary},
        {"four new eras replace the table",
         {L"1,甲乙,1900.01.01,A,甲", L"2,丙丁,1950.01.01,B,丙", L"3,戊己,1960.01.01,C,戊", L"4,庚辛,1970.01.01,D,庚"},
         L"甲乙/甲/A/1900-01-01 丙丁/丙/B/1950-01-01 戊己/戊/C/1960-01-01 庚辛/庚/D/1970-01-01"},
    };
}

}  // namespace calendar_test
