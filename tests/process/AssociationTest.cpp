#include <gtest/gtest.h>

#include <map>

#include "TestSupport.h"
#include "ssExtCmd.h"

namespace {

using namespace testing_support;

// Sets (or, with nullptr, deletes the key of) a string value of a local-machine key, the key's
// default value unless a name is given, for a scope and puts the old state back afterwards.
class MachineDefault {
public:
    MachineDefault(const String& key, const wchar_t* value, const wchar_t* name = nullptr)
        : FKey(key), FName(name) {
        HKEY k;
        FExisted = RegOpenKeyExW(HKEY_LOCAL_MACHINE, key.c_str(), 0, KEY_READ, &k) == ERROR_SUCCESS;
        if (FExisted) {
            wchar_t buf[1024];
            DWORD size = sizeof(buf), type = 0;
            FHadValue = RegQueryValueExW(k, name, nullptr, &type, reinterpret_cast<BYTE*>(buf), &size) == ERROR_SUCCESS;
            if (FHadValue) FOld = buf;
            RegCloseKey(k);
        }
        Write(value);
    }
    ~MachineDefault() {
        if (!FExisted) RegDeleteTreeW(HKEY_LOCAL_MACHINE, FKey.c_str());
        else Write(FHadValue ? FOld.c_str() : nullptr);
    }

private:
    void Write(const wchar_t* value) {
        HKEY k;
        if (!value) {
            RegDeleteTreeW(HKEY_LOCAL_MACHINE, FKey.c_str());
            return;
        }
        RegCreateKeyExW(HKEY_LOCAL_MACHINE, FKey.c_str(), 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &k, nullptr);
        RegSetValueExW(k, FName, 0, REG_SZ, reinterpret_cast<const BYTE*>(value),
                       DWORD((wcslen(value) + 1) * sizeof(wchar_t)));
        RegCloseKey(k);
    }
    String FKey, FOld;
    const wchar_t* FName;
    bool FExisted = false, FHadValue = false;
};

const String kClasses = L"Software\\Classes\\";
const String kBrowser = L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\IEXPLORE.EXE";

// A document type whose "open" command runs the report probe.
struct ProbeHandler {
    ProbeHandler(const String& ext, const String& progId)
        : extension(kClasses + ext, progId.c_str()),
          command(kClasses + progId + L"\\shell\\open\\command",
                  (L"\"" + BinDir() + L"ssprobe.exe\" \"%1\"").c_str()) {}
    MachineDefault extension, command;
};

class Association : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(CopyFileW((BinDir() + L"extcmdprobe.exe").c_str(), probe.c_str(), FALSE)); }
    std::string Run(const String& version, const String& mode, const String& file) {
        WineVersionFor v(L"extcmdprobe.exe", version);
        return CaptureOutput(probe, mode + L" \"" + file + L"\"");
    }
    std::map<std::string, std::string> Report() {
        std::map<std::string, std::string> r;
        std::string text = ReadBytes(out);
        std::size_t from = 0;
        for (auto p = text.find('\n'); p != std::string::npos; p = text.find('\n', from)) {
            std::string line = text.substr(from, p - from);
            r[line.substr(0, line.find('='))] = line.substr(line.find('=') + 1);
            from = p + 1;
        }
        return r;
    }
    TempDir dir;
    String probe = dir / L"extcmdprobe.exe";
    String out = dir / L"report.txt";
    ScopedEnv probeOut{L"SSPROBE_OUT", out};
    String doc = dir / L"memo.txt";
};

TEST_F(Association, NoOverrideBeforeWindows8) {
    WriteBytes(doc, "x");
    EXPECT_EQ(Run(L"win7", L"assoc", doc), "0||");
}

TEST_F(Association, TextGoesToItsProgramOrToNotepad) {
    WriteBytes(doc, "x");
    std::string quotedDoc = "\"" + Utf8(doc) + "\"";
    {
        ProbeHandler handler(L".txt", L"ssTestText");
        EXPECT_EQ(Run(L"win10", L"assoc", doc), "1|" + Utf8(BinDir()) + "ssprobe.exe|" + quotedDoc);
        // Execute starts the chosen program with the quoted document; the names stay.
        EXPECT_EQ(Run(L"win10", L"execute", doc), "1 0 0|" + Utf8(doc) + "|||");
        EXPECT_EQ(Report()["cmdline"], "\"" + Utf8(BinDir()) + "ssprobe.exe\" " + quotedDoc);
    }
    for (const wchar_t* progId : {L"", L"ssTestOpenWith"}) {
        MachineDefault ext(kClasses + L".txt", progId);
        MachineDefault openWith(kClasses + L"ssTestOpenWith\\shell\\open\\command",
                                L"C:\\windows\\system32\\OpenWith.exe \"%1\"");
        EXPECT_EQ(Run(L"win10", L"assoc", doc), "1|C:\\windows\\notepad.exe|" + quotedDoc) << Utf8(progId);
    }
}

TEST_F(Association, PdfIsLeftToANormalAssociationElseGoesToTheInstalledViewer) {
    String pdf = dir / L"manual.pdf";
    WriteBytes(pdf, "%PDF-1.4");
    WriteBytes(dir / L"SPViewer.exe", "MZ");
    MachineDefault sky(L"SOFTWARE\\SkyCom\\SkyPDF Viewer", dir.Path().c_str(), L"InstallPath");
    {
        ProbeHandler handler(L".pdf", L"ssTestPdf");
        EXPECT_EQ(Run(L"win10", L"assoc", pdf), "0||");
    }
    MachineDefault ext(kClasses + L".pdf", L"ssTestOpenWith");
    MachineDefault openWith(kClasses + L"ssTestOpenWith\\shell\\open\\command",
                            L"C:\\windows\\system32\\OpenWith.exe \"%1\"");
    EXPECT_EQ(Run(L"win10", L"assoc", pdf), "1|" + Utf8(dir / L"SPViewer.exe") + "|\"" + Utf8(pdf) + "\"");
    DeleteFileW((dir / L"SPViewer.exe").c_str());
    MachineDefault noReader(L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\App Paths\\AcroRd32.exe", nullptr);
    EXPECT_EQ(Run(L"win10", L"assoc", pdf), "0||");  // no viewer installed: nothing to override with
}

TEST_F(Association, WebPagesGoToTheBrowserOrFailWithoutOne) {
    String page = dir / L"page.htm";
    WriteBytes(page, "<html></html>");
    MachineDefault htm(kClasses + L".htm", L"ssTestLaunch");
    MachineDefault launch(kClasses + L"ssTestLaunch\\shell\\open\\command",
                          L"C:\\windows\\system32\\LaunchWinApp.exe \"%1\"");
    String browser = BinDir() + L"ssprobe.exe";
    {
        MachineDefault ie(kBrowser, browser.c_str());
        EXPECT_EQ(Run(L"win10", L"assoc", page), "1|" + Utf8(browser) + "|\"" + Utf8(page) + "\"");
    }
    MachineDefault noBrowser(kBrowser, nullptr);
    EXPECT_EQ(Run(L"win10", L"execute", page),
              "0 3 0|" + Utf8(page) + "|||" + Utf8(L"Internet Explorer が登録されていません\r処理を中止します"));
}

TEST_F(Association, ShellExecuteExOpensADocumentAndWaitsForItsProgram) {
    ProbeHandler handler(L".sstest", L"ssTestDoc");
    String document = dir / L"letter.sstest";
    WriteBytes(document, "x");
    ScopedEnv exitCode(L"SSPROBE_EXIT", L"5");
    ScopedEnv sleep(L"SSPROBE_SLEEP", L"300");
    TssExternalCmd cmd(nullptr);
    cmd.SetParamFile(document);
    cmd.SetParam(L"");
    cmd.SetDefDir(L"\"" + dir.Path() + L"\"");
    EXPECT_TRUE(cmd.ShellExecuteEx());
    EXPECT_EQ(cmd.ErrCode(), 0u);
    EXPECT_EQ(cmd.ExitCode(), 5u);  // waited for the handler's end
    EXPECT_NE(Report()["cmdline"].find(Utf8(document)), std::string::npos);
    EXPECT_EQ(cmd.ExeName(), L"");
    EXPECT_EQ(cmd.ParamFile(), document);
    EXPECT_EQ(cmd.DefDir(), dir.Path());  // the quotes are gone

    DeleteFileW(out.c_str());
    EXPECT_TRUE(cmd.ShellExecute());
    EXPECT_TRUE(PumpUntil([&] { return GetFileAttributesW(out.c_str()) != INVALID_FILE_ATTRIBUTES; }, 20000));

    TssExternalCmd missing(nullptr);
    missing.SetisDspErrDlg(false);
    missing.SetExeName(dir / L"absent.sstest");
    EXPECT_FALSE(missing.ShellExecuteEx());
    EXPECT_EQ(missing.ErrCode(), DWORD(ERROR_FILE_NOT_FOUND));
    EXPECT_EQ(missing.ExeName(), dir / L"absent.sstest");
}

}  // namespace
