// Walking a tree of 1,000 folders and 20,000 files with TssDirWalk, with and without message
// processing, against a plain FindFirstFileW recursion over the same tree in the same run.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <functional>

#include "BenchArch.h"
#include "TestSupport.h"
#include "WinApi.h"
#include "ssDir.h"

namespace {

constexpr int kTopFolders = 10;
constexpr int kSubFolders = 99;  // under each top folder: 10 + 990 = 1,000 folders
constexpr int kFilesPerFolder = 20;
constexpr int kRounds = 9;

struct Count {
    long long files = 0;
    long long folders = 0;
};

void MakeFiles(const String& folder) {
    CreateDirectoryW(folder.c_str(), nullptr);
    for (int i = 0; i < kFilesPerFolder; ++i) {
        HANDLE h = CreateFileW((folder + L"\\file" + IntToStr(i) + L".dat").c_str(), GENERIC_WRITE, 0, nullptr,
                               CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) CloseHandle(h);
    }
}

// The bench's tree in a scratch folder that goes with everything in it at the end. The root
// holds files too; it is not one of the 1,000 folders.
struct Tree {
    testing_support::TempDir dir;
    const String& root = dir.Path();
    Tree() {
        MakeFiles(root);
        for (int t = 0; t < kTopFolders; ++t) {
            String top = root + L"\\top" + IntToStr(t);
            MakeFiles(top);
            for (int s = 0; s < kSubFolders; ++s) MakeFiles(top + L"\\sub" + IntToStr(s));
        }
    }
};

// enterEach: also makes every folder current, as the walker must before its handlers run; the
// least a walk with the walker's current-folder rule can cost.
void PlainRecursion(const String& folder, Count& count, bool enterEach) {
    if (enterEach) SetCurrentDirectoryW(folder.c_str());
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*.*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
            if (fd.cFileName[0] == L'.') continue;
            ++count.folders;
            PlainRecursion(folder + L"\\" + fd.cFileName, count, enterEach);
        } else {
            ++count.files;
        }
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

Count Walker(const String& root, bool processMessages) {
    Count count;
    TssDirWalk walk(nullptr);
    walk.SetTargetDirectory(root);
    walk.SetisDoProcessMessages(processMessages);
    walk.OnEnterDirectory = [&](TssDirectory*) { ++count.folders; };
    walk.OnFoundFile = [&](TssDirectory*, const WIN32_FIND_DATAW&) { ++count.files; };
    walk.Execute();
    --count.folders;  // the start folder
    return count;
}

struct Contender {
    const char* name;
    std::function<Count()> run;
    double best = 1e9;  // seconds
    Count count;
};

}  // namespace

int main() {
    PrintBenchArchitecture();
    Tree tree;
    auto recursion = [&](bool enterEach) {
        Count c;
        PlainRecursion(tree.root, c, enterEach);
        return c;
    };
    Contender plain{"FindFirstFileW recursion", [&] { return recursion(false); }};
    Contender entering{"  + entering each folder", [&] { return recursion(true); }};
    Contender quiet{"TssDirWalk, no messages", [&] { return Walker(tree.root, false); }};
    Contender pumping{"TssDirWalk, messages", [&] { return Walker(tree.root, true); }};
    // Rounds take turns, so that a busy moment of the machine falls on all of them alike; the
    // best round of each counts.
    for (int round = 0; round < kRounds; ++round) {
        for (Contender* c : {&plain, &entering, &quiet, &pumping}) {
            auto start = std::chrono::steady_clock::now();
            c->count = c->run();
            c->best = std::min(c->best, std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
        }
    }
    for (const Contender* c : {&plain, &entering, &quiet, &pumping})
        std::printf("%-26s %6lld folders %7lld files  %8.1f ms\n", c->name, c->count.folders, c->count.files,
                    c->best * 1000);
    std::printf("ratio entering each       %.2f\n", entering.best / plain.best);
    std::printf("ratio without messages    %.2f\n", quiet.best / plain.best);
    std::printf("ratio with messages       %.2f\n", pumping.best / plain.best);
    return 0;
}
