// Settings sessions on real queues of the installed driver: what a session
// takes from the printer, how stored and caller records are merged, and the
// job-processor rule.
#include "core/ui_session.h"

#include "support/expect_fields.h"
#include "support/test_paths.h"
#include "support/test_printers.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace {

const WCHAR kDriverName[] = L"Zentari TX-3390N series";

struct SessionCloser {
    void operator()(UiSession* s) const { CloseUiSession(s); }
};
using SessionPtr = std::unique_ptr<UiSession, SessionCloser>;

class Sessions : public ::testing::Test {
protected:
    // A fresh queue of the installed driver; removed again by TearDown.
    HANDLE Queue(const WCHAR* name, const WCHAR* port = L"FILE:", const WCHAR* processor = L"winprint")
    {
        EXPECT_TRUE(AddTestQueue(name, kDriverName, port)) << GetLastError();
        EXPECT_EQ(SetTestQueueProcessor(name, processor), ERROR_SUCCESS);
        HANDLE printer = OpenTestPrinter(name);
        EXPECT_NE(printer, nullptr);
        opened_.push_back(printer);
        return printer;
    }
    void TearDown() override
    {
        for (HANDLE printer : opened_) {
            DeletePrinter(printer);
            ClosePrinter(printer);
        }
    }
    static SessionPtr Open(HANDLE printer, const DEVMODEW* caller = nullptr)
    {
        return SessionPtr(OpenUiSession(printer, caller));
    }
    static void StoreDevmode(HANDLE printer, DEVMODEW* dm)
    {
        PRINTER_INFO_8W info = {dm};
        ASSERT_TRUE(SetPrinterW(printer, 8, reinterpret_cast<BYTE*>(&info), 0));
    }
    static std::vector<BYTE> StoredDevmode(HANDLE printer)
    {
        DWORD needed = 0;
        GetPrinterW(printer, 8, nullptr, 0, &needed);
        std::vector<BYTE> info(needed);
        if (!needed || !GetPrinterW(printer, 8, info.data(), needed, &needed))
            return {};
        const DEVMODEW* dm = reinterpret_cast<PRINTER_INFO_8W*>(info.data())->pDevMode;
        if (!dm)
            return {};
        const BYTE* bytes = reinterpret_cast<const BYTE*>(dm);
        return std::vector<BYTE>(bytes, bytes + dm->dmSize + dm->dmDriverExtra);
    }
    static void SetDword(HANDLE printer, const WCHAR* name, DWORD value)
    {
        ASSERT_EQ(SetPrinterDataW(printer, const_cast<WCHAR*>(name), REG_DWORD,
                                  reinterpret_cast<BYTE*>(&value), sizeof(value)),
                  ERROR_SUCCESS);
    }

    std::vector<HANDLE> opened_;
};

TEST_F(Sessions, HoldWhatThePrinterAndItsModelFilesSay)
{
    HANDLE printer = Queue(L"KV Session Plain");
    SessionPtr session = Open(printer);
    ASSERT_TRUE(session);
    const UiSession& s = *session;
    EXPECT_TRUE(IsUiSession(&s));
    EXPECT_EQ(s.printer, printer);
    EXPECT_STREQ(s.driverName, kDriverName);
    EXPECT_STREQ(s.portName, L"FILE:");
    EXPECT_EQ(s.usesDriverProcessor, 0u);
    // The installed driver's own help file, as the spooler reports it.
    const std::wstring help = s.helpFile;
    ASSERT_GE(help.size(), 14u);
    EXPECT_EQ(help.substr(help.size() - 14), L"\\3\\KVUIDRV.CHM");

    const std::wstring names[] = {s.watermarkFile, s.commonOptionFile, s.defaultFile,
                                  s.exDefaultFile, s.printerInfoFile, s.atomName};
    EXPECT_EQ(names[0] + L" " + names[1] + L" " + names[2] + L" " + names[3] + L" " + names[4] +
                  L" " + names[5],
              L"KVW3390N.INI KVC3390N.INI KVD3390N.DAT KVE3390N.DAT KVI3390N.DAT KVRBATOM_KV3390N");
    ExpectFields({F(s.multiPageOptionCount, 6), F(s.hrcOptionCount, 4), F(s.printerData.version, 0x0107),
                  F(s.printerData.size, 108), F(s.printerData.checksum, s.model->modelChecksum)});
    EXPECT_EQ(s.customPapers.count, 0u);   // no "CstPaper" on a new queue

    EXPECT_TRUE(IsDriverDevmode(&s.devmode.pub, sizeof(s.devmode)));
    EXPECT_EQ(s.devmode.priv.textCodePage, GetACP());
    WCHAR computer[MAX_COMPUTERNAME_LENGTH + 1];
    DWORD size = ARRAYSIZE(computer);
    ASSERT_TRUE(GetComputerNameW(computer, &size));
    EXPECT_STREQ(s.devmode.priv.spoolComputerName, computer);
    EXPECT_NE(s.devmode.priv.processor.spoolDefaultUserName[0], L'\0');
}

// The printer stores settings that force the job processor. Where the
// processor is in the print path, the session's record keeps asking for it;
// where it is not (another processor, or jobs printed to a file), the
// record asks nothing of it.
TEST_F(Sessions, JobProcessorOnlyWhenItIsThePrintersProcessorAndPortIsNotAFile)
{
    struct Case { const WCHAR* queue; const WCHAR* port; const WCHAR* processor; DWORD uses; };
    for (const Case& c : {Case{L"KV Session KvPrint File", L"FILE:", L"KvPrint", 0},
                          Case{L"KV Session KvPrint Port", L"LPT1:", L"kvprint", 1},
                          Case{L"KV Session Winprint Port", L"LPT1:", L"winprint", 0}}) {
        SCOPED_TRACE(c.queue);
        HANDLE printer = Queue(c.queue, c.port, c.processor);
        SessionPtr plain = Open(printer);
        ASSERT_TRUE(plain);
        DriverDevmode forcing = plain->devmode;
        plain.reset();
        forcing.priv.processor.forceProcessor = 1;
        StoreDevmode(printer, &forcing.pub);

        SessionPtr session = Open(printer);
        ASSERT_TRUE(session);
        EXPECT_EQ(session->usesDriverProcessor, c.uses);
        const ProcessorBlock& b = session->devmode.priv.processor;
        EXPECT_STREQ(b.procFile, c.uses ? L"KVSP207A.EXE" : L"");
        ExpectFields({F(b.forceProcessor, c.uses), F(b.procPagesPerSheet, c.uses), F(b.procDuplex & 0x100, 0),
                      F(b.procDuplexMode, 0)});
    }
}

TEST_F(Sessions, MergeTheStoredRecordThenTheCallers)
{
    HANDLE printer = Queue(L"KV Session Merge");
    SessionPtr first = Open(printer);
    ASSERT_TRUE(first);
    EXPECT_EQ(first->sheet.watermark, nullptr);   // watermark off: nothing to show
    DriverDevmode stored = first->devmode;
    first.reset();
    stored.pub.dmCopies = 3;
    stored.pub.dmOrientation = DMORIENT_LANDSCAPE;
    StoreDevmode(printer, &stored.pub);

    DriverDevmode caller = stored;
    caller.pub.dmCopies = 7;
    caller.priv.processor.watermark.on = 1;
    caller.priv.watermarkIndex = 2;
    SessionPtr session = Open(printer, &caller.pub);
    ASSERT_TRUE(session);
    EXPECT_EQ(session->devmode.pub.dmCopies, 7);
    EXPECT_EQ(session->devmode.pub.dmOrientation, DMORIENT_LANDSCAPE);
    // With the watermark on, the pages find the store's state ready.
    ASSERT_NE(session->sheet.watermark, nullptr);
    EXPECT_STREQ(session->sheet.watermark->printerName, L"KV Session Merge");
}

// A record of another driver stored for the printer is replaced with the
// defaults, and a caller's record is then not merged either.
TEST_F(Sessions, ForeignStoredRecordIsRepairedAndYieldsPureDefaults)
{
    HANDLE printer = Queue(L"KV Session Foreign");
    SessionPtr plain = Open(printer);
    ASSERT_TRUE(plain);
    DriverDevmode defaults = plain->devmode;
    plain.reset();

    DEVMODEW foreign = {};
    lstrcpyW(foreign.dmDeviceName, L"Other driver");
    foreign.dmSpecVersion = DM_SPECVERSION;
    foreign.dmSize = sizeof(foreign);
    foreign.dmFields = DM_COPIES;
    foreign.dmCopies = 4;
    StoreDevmode(printer, &foreign);

    DriverDevmode caller = defaults;
    caller.pub.dmCopies = 9;
    SessionPtr session = Open(printer, &caller.pub);
    ASSERT_TRUE(session);
    EXPECT_EQ(session->devmode.pub.dmCopies, defaults.pub.dmCopies);

    const std::vector<BYTE> repaired = StoredDevmode(printer);
    ASSERT_EQ(repaired.size(), size_t(kDriverDevmodeSize));
    EXPECT_TRUE(IsDriverDevmode(reinterpret_cast<const DEVMODEW*>(repaired.data()), repaired.size()));
}

TEST_F(Sessions, TakeInstalledOptionsFromPrinterDataAndKeepDefaultsForMissingValues)
{
    HANDLE printer = Queue(L"KV Session Options");
    SessionPtr before = Open(printer);
    ASSERT_TRUE(before);
    const PrivateSettings defaults = before->devmode.priv;
    before.reset();

    SetDword(printer, L"ACC", 0x00020100);
    SetDword(printer, L"Tray2", 11);
    SetDword(printer, L"MPTray", 0xFFFFFFFF);
    SessionPtr session = Open(printer);
    ASSERT_TRUE(session);
    const PrivateSettings& priv = session->devmode.priv;
    EXPECT_EQ(priv.accessories, 0x0100);
    EXPECT_EQ(priv.accessories2, 0x0002);
    EXPECT_EQ(priv.copyFlags & 1, 1);
    EXPECT_EQ(priv.trayPaper[1].paper, 11);
    EXPECT_EQ(priv.trayPaper[11].paper, -1);
    EXPECT_EQ(priv.printerMemory, defaults.printerMemory);   // no "RAM" value
    EXPECT_EQ(priv.trayPaper[0].paper, defaults.trayPaper[0].paper);
    // The sample's tray word has no tower feeders: such values are not read.
    SetDword(printer, L"TF1", 9);
    session.reset();
    session = Open(printer);
    EXPECT_EQ(session->devmode.priv.trayPaper[4].paper, defaults.trayPaper[4].paper);
}

TEST_F(Sessions, FailWithoutAPrinterOrModel)
{
    EXPECT_EQ(OpenUiSession(nullptr, nullptr), nullptr);
    ASSERT_TRUE(InstallTestPrinter(L"KV Session No Model", L"KV Session No Model Driver",
                                   L"KVNOMDL.PPD", "*PPD-Adobe: \"4.3\"\n"));
    ASSERT_TRUE(DeleteFileW((InstalledDriverDirectory() + L"\\KVNOMDL.PPD").c_str()));
    HANDLE printer = OpenTestPrinter(L"KV Session No Model");
    ASSERT_NE(printer, nullptr);
    opened_.push_back(printer);
    EXPECT_EQ(OpenUiSession(printer, nullptr), nullptr);
}

TEST(AtomName, IsTheModelFileNameUpToItsFirstDot)
{
    struct Case { const WCHAR* path; const WCHAR* atom; };
    for (const Case& c : {Case{L"C:\\drivers\\KV3390N.PPD", L"KVRBATOM_KV3390N"},
                          Case{L"C:\\drivers\\KV3390N.V2.PPD", L"KVRBATOM_KV3390N"},
                          Case{L"C:\\drivers\\NODOT", L"KVRBATOM_NODOT"},
                          Case{L"C:\\drivers\\.PPD", L"KVRBATOM_.PPD"},
                          Case{L"BARE.PPD", L"KVRBATOM_BARE"},
                          Case{L"C:\\drivers\\", L"KVRBATOM_3390N"},
                          Case{nullptr, L"KVRBATOM_3390N"}}) {
        WCHAR atom[kAtomNameChars] = {};
        MakeAtomName(c.path, atom, ARRAYSIZE(atom));
        EXPECT_STREQ(atom, c.atom) << (c.path ? c.path : L"(null)");
    }
    WCHAR shortBuffer[12];
    MakeAtomName(L"C:\\LONGMODELNAME.PPD", shortBuffer, ARRAYSIZE(shortBuffer));
    EXPECT_STREQ(shortBuffer, L"KVRBATOM_LO");
}

TEST(SessionHelpers, FileExistsAndSaveSettingBesideTheModule)
{
    const std::wstring dir = TestBinDirectory();
    EXPECT_TRUE(FileExists((dir + L"\\KVUIDRV.DLL").c_str()));
    EXPECT_FALSE(FileExists((dir + L"\\NO-SUCH.FILE").c_str()));
    EXPECT_FALSE(FileExists(nullptr));

    const std::wstring profile = dir + L"\\KVSAVETEST.INI";
    EXPECT_EQ(IsSaveSettingEnabled(L"KVSAVETEST.INI"), 0);
    ASSERT_TRUE(WritePrivateProfileStringW(L"Default Setting", L"SaveSetting", L"1", profile.c_str()));
    EXPECT_EQ(IsSaveSettingEnabled(L"KVSAVETEST.INI"), 1);
    DeleteFileW(profile.c_str());
}

} // namespace
