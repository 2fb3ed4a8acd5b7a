// Drives the runner in a process of its own, under the Windows version a test picks:
//   extcmdprobe assoc FILE            prints "IsProcessing|ModuleName|Param"
//   extcmdprobe execute FILE          Execute with ExeName FILE
//   extcmdprobe shellex FILE          ShellExecuteEx with ExeName FILE
// The last two print "result ErrCode ExitCode|ExeName|ParamFile|Param|box text".
#include <cstdio>

#include "TestSupport.h"
#include "ssExtCmd.h"

int wmain(int argc, wchar_t** argv) {
    if (argc < 3) return 2;
    String mode = argv[1], file = argv[2];
    TssExternalCmd cmd(nullptr);
    if (mode == L"assoc") {
        TssExtensionProcessing ep = cmd.ProcessAssociation(file, L"");
        std::printf("%d|%s|%s\n", ep.IsProcessing, testing_support::Utf8(ep.ModuleName).c_str(),
                    testing_support::Utf8(ep.Param).c_str());
        return 0;
    }
    testing_support::DialogAnswerer answerer([](const String&) { return IDOK; });
    cmd.SetExeName(file);
    bool result = mode == L"execute" ? cmd.Execute() : cmd.ShellExecuteEx();
    String box = answerer.Texts().empty() ? String() : answerer.Texts()[0];
    std::printf("%d %u %u|%s|%s|%s|%s\n", result, unsigned(cmd.ErrCode()), unsigned(cmd.ExitCode()),
                testing_support::Utf8(cmd.ExeName()).c_str(), testing_support::Utf8(cmd.ParamFile()).c_str(),
                testing_support::Utf8(cmd.Param()).c_str(), testing_support::Utf8(box).c_str());
    return 0;
}
