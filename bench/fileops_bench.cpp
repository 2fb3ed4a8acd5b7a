// Copying and then deleting a tree of many small files and a few large ones, through the
// file-operation component and through a plain CopyFileW/DeleteFileW loop over the same tree,
// in one run; the ratio is the component's cost over the plain loop.
// Usage: fileops_bench [small files] [folders] [large files] [MB per large file]
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "BenchArch.h"
#include "WinApi.h"
#include "ssFCtrl.h"

namespace {

using Clock = std::chrono::steady_clock;

double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

void WriteFile(const String& name, std::size_t size) {
    HANDLE h = CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    std::string block(std::min<std::size_t>(size, 1 << 20), 'x');
    for (std::size_t left = size; left > 0;) {
        DWORD put = 0, n = DWORD(std::min(left, block.size()));
        ::WriteFile(h, block.data(), n, &put, nullptr);
        left -= n;
    }
    CloseHandle(h);
}

void MakeSource(const String& src, int files, int folders, int large, std::size_t largeSize) {
    CreateDirectoryW(src.c_str(), nullptr);
    for (int f = 0; f < folders; ++f) {
        String folder = src + L"\\folder" + std::to_wstring(f);
        CreateDirectoryW(folder.c_str(), nullptr);
        for (int i = f; i < files; i += folders) WriteFile(folder + L"\\file" + std::to_wstring(i) + L".dat", 1024 + i % 4096);
    }
    for (int i = 0; i < large; ++i) WriteFile(src + L"\\large" + std::to_wstring(i) + L".bin", largeSize);
}

// The plain loop: walk the tree as found, make each folder and copy each file.
void PlainCopy(const String& src, const String& dst) {
    CreateDirectoryW(dst.c_str(), nullptr);
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((src + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return;
    do {
        String name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) PlainCopy(src + L"\\" + name, dst + L"\\" + name);
        else CopyFileW((src + L"\\" + name).c_str(), (dst + L"\\" + name).c_str(), FALSE);
    } while (FindNextFileW(h, &fd));
    FindClose(h);
}

void PlainDelete(const String& folder) {
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h != INVALID_HANDLE_VALUE) {
        do {
            String name = fd.cFileName;
            if (name == L"." || name == L"..") continue;
            if (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) PlainDelete(folder + L"\\" + name);
            else DeleteFileW((folder + L"\\" + name).c_str());
        } while (FindNextFileW(h, &fd));
        FindClose(h);
    }
    RemoveDirectoryW(folder.c_str());
}

struct Times {
    double copy = 1e30, remove = 1e30;
};

int CountFiles(const String& folder) {
    int n = 0;
    WIN32_FIND_DATAW fd;
    HANDLE h = FindFirstFileW((folder + L"\\*").c_str(), &fd);
    if (h == INVALID_HANDLE_VALUE) return 0;
    do {
        String name = fd.cFileName;
        if (name == L"." || name == L"..") continue;
        n += (fd.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) ? CountFiles(folder + L"\\" + name) : 1;
    } while (FindNextFileW(h, &fd));
    FindClose(h);
    return n;
}

}  // namespace

int main(int argc, char** argv) {
    PrintBenchArchitecture();
    const int files = argc > 1 ? std::atoi(argv[1]) : 5000;
    const int folders = argc > 2 ? std::atoi(argv[2]) : 50;
    const int large = argc > 3 ? std::atoi(argv[3]) : 4;
    const std::size_t largeSize = std::size_t(argc > 4 ? std::atoi(argv[4]) : 16) << 20;
    const int rounds = 5;

    wchar_t tmp[MAX_PATH];
    GetTempPathW(MAX_PATH, tmp);
    const String root = String(tmp) + L"fileops_bench_" + std::to_wstring(GetCurrentProcessId());
    const String src = root + L"\\src", dst = root + L"\\dst";
    CreateDirectoryW(root.c_str(), nullptr);
    MakeSource(src, files, folders, large, largeSize);
    const int total = CountFiles(src);
    std::printf("tree: %d files (%d small in %d folders, %d of %zu MB)\n", total, files, folders, large, largeSize >> 20);

    TssFileControl fc(nullptr);
    fc.SetAttribute({TssFileAttr::atReadOnly, TssFileAttr::atHidden, TssFileAttr::atSystem, TssFileAttr::atDirectory});
    Times engine, plain;
    bool ok = true;
    // Alternating rounds, best of each: the page cache and the host weigh on both alike.
    for (int round = 0; round < rounds; ++round) {
        auto start = Clock::now();
        ok = fc.ssCopyFile(src + L"\\*.*", dst + L"\\") && fc.FileCount() == total && ok;
        engine.copy = std::min(engine.copy, Seconds(start));
        start = Clock::now();
        ok = fc.ssDeleteFile(dst + L"\\") && fc.FileCount() == total && ok;
        engine.remove = std::min(engine.remove, Seconds(start));

        start = Clock::now();
        PlainCopy(src, dst);
        plain.copy = std::min(plain.copy, Seconds(start));
        ok = CountFiles(dst) == total && ok;
        start = Clock::now();
        PlainDelete(dst);
        plain.remove = std::min(plain.remove, Seconds(start));
    }
    PlainDelete(root);

    std::printf("%-10s %8s %8s %8s\n", "", "copy s", "delete s", "total s");
    std::printf("%-10s %8.3f %8.3f %8.3f\n", "component", engine.copy, engine.remove, engine.copy + engine.remove);
    std::printf("%-10s %8.3f %8.3f %8.3f\n", "plain", plain.copy, plain.remove, plain.copy + plain.remove);
    std::printf("ratio      %8.2f %8.2f %8.2f\n", engine.copy / plain.copy, engine.remove / plain.remove,
                (engine.copy + engine.remove) / (plain.copy + plain.remove));
    if (!ok) std::printf("the component did not copy and delete every file (error %u)\n", unsigned(fc.ErrorCode()));
    return ok ? 0 : 1;
}
