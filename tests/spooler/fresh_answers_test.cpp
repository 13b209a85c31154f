// Applications ask DeviceCapabilities and DocumentProperties again and
// again while a print dialog is open; the driver keeps what it may between
// calls. Every change that feeds an answer must show in the very next
// call: the stored default DEVMODE, a printer-data value, the model
// description and the package files beside it.
#include "support/test_paths.h"
#include "support/test_printers.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace {

const WCHAR kInstalledDriver[] = L"Zentari TX-3390N series";
const WCHAR kFreshQueue[] = L"KV Fresh Answers";
const WCHAR kModelQueue[] = L"KV Fresh Model";

std::string PageSizesModel(const char* version, int pageSizes)
{
    static const char* const kSizes[][2] = {
        {"A4", "595 842"}, {"Letter", "612 792"}, {"Legal", "612 1008"}, {"A5", "420 595"}};
    std::string text = "*PPD-Adobe: \"4.3\"\n*FileVersion: \"";
    text += version;
    text += "\"\n*NickName: \"Fresh\"\n*OpenUI *PageSize: PickOne\n*DefaultPageSize: A4\n";
    for (int i = 0; i < pageSizes; ++i) {
        text += std::string("*PageSize ") + kSizes[i][0] + ": \"x\"\n";
        text += std::string("*PaperDimension ") + kSizes[i][0] + ": \"" + kSizes[i][1] + "\"\n";
    }
    return text + "*CloseUI: *PageSize\n";
}

LONG Papers(const WCHAR* queue)
{
    return static_cast<LONG>(DeviceCapabilitiesW(queue, nullptr, DC_PAPERS, nullptr, nullptr));
}

// The queue's default DEVMODE as applications receive it.
std::vector<BYTE> DefaultDevmode(HANDLE printer, const WCHAR* queue)
{
    const LONG size = DocumentPropertiesW(nullptr, printer, const_cast<LPWSTR>(queue), nullptr,
                                          nullptr, 0);
    std::vector<BYTE> record(size > 0 ? size : 0);
    if (size <= 0 ||
        DocumentPropertiesW(nullptr, printer, const_cast<LPWSTR>(queue),
                            reinterpret_cast<DEVMODEW*>(record.data()), nullptr,
                            DM_OUT_BUFFER) != IDOK)
        record.clear();
    return record;
}

const DEVMODEW* AsDevmode(const std::vector<BYTE>& record)
{
    return record.empty() ? nullptr : reinterpret_cast<const DEVMODEW*>(record.data());
}

class FreshAnswers : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(AddTestQueue(kFreshQueue, kInstalledDriver)) << GetLastError();
        printer_ = OpenTestPrinter(kFreshQueue);
        ASSERT_NE(printer_, nullptr);
    }
    void TearDown() override
    {
        if (printer_)
            ClosePrinter(printer_);
    }
    HANDLE printer_ = nullptr;
};

TEST_F(FreshAnswers, StoredDefaultDevmodeShowsInTheNextCall)
{
    // Per printer (level 2) and per user (level 9).
    for (DWORD level : {2u, 9u}) {
        SCOPED_TRACE(level);
        std::vector<BYTE> record = DefaultDevmode(printer_, kFreshQueue);
        ASSERT_FALSE(record.empty());
        auto* dm = reinterpret_cast<DEVMODEW*>(record.data());
        const SHORT flipped = dm->dmOrientation == DMORIENT_PORTRAIT ? DMORIENT_LANDSCAPE
                                                                      : DMORIENT_PORTRAIT;
        dm->dmOrientation = flipped;
        BOOL stored = FALSE;
        if (level == 2) {
            DWORD needed = 0;
            GetPrinterW(printer_, 2, nullptr, 0, &needed);
            std::vector<BYTE> info(needed);
            ASSERT_TRUE(GetPrinterW(printer_, 2, info.data(), needed, &needed));
            auto* pi2 = reinterpret_cast<PRINTER_INFO_2W*>(info.data());
            pi2->pDevMode = dm;
            pi2->pSecurityDescriptor = nullptr;
            stored = SetPrinterW(printer_, 2, info.data(), 0);
        } else {
            PRINTER_INFO_9W pi9 = {dm};
            stored = SetPrinterW(printer_, 9, reinterpret_cast<BYTE*>(&pi9), 0);
        }
        ASSERT_TRUE(stored) << GetLastError();
        const std::vector<BYTE> after = DefaultDevmode(printer_, kFreshQueue);
        ASSERT_NE(AsDevmode(after), nullptr);
        EXPECT_EQ(AsDevmode(after)->dmOrientation, flipped);
    }
}

TEST_F(FreshAnswers, PrinterDataValueShowsInTheNextCall)
{
    // The driver's own papers ("CstPaper") are listed after the model's.
    const LONG model = Papers(kFreshQueue);
    ASSERT_GT(model, 0);
    const WCHAR papers[] = L"1;Fresh,300,0,1000,2000;";
    ASSERT_EQ(SetPrinterDataW(printer_, const_cast<LPWSTR>(L"CstPaper"), REG_SZ,
                              reinterpret_cast<BYTE*>(const_cast<WCHAR*>(papers)),
                              sizeof(papers)),
              ERROR_SUCCESS);
    EXPECT_EQ(Papers(kFreshQueue), model + 1);
    ASSERT_EQ(RemoveTestPrinterData(kFreshQueue, L"CstPaper"), ERROR_SUCCESS);
    EXPECT_EQ(Papers(kFreshQueue), model);
}

TEST_F(FreshAnswers, ChangedModelDescriptionShowsInTheNextCall)
{
    ASSERT_TRUE(InstallTestPrinter(kModelQueue, L"KV Fresh Model", L"KVFRESH.PPD",
                                   PageSizesModel("1.0", 2)));
    ASSERT_TRUE(SettleDriverFile(L"KVFRESH.PPD"));
    EXPECT_EQ(Papers(kModelQueue), 2);
    EXPECT_EQ(Papers(kModelQueue), 2);

    // A new release of the description, as the model's author ships it.
    ASSERT_TRUE(WriteDriverFile(L"KVFRESH.PPD", PageSizesModel("1.1", 4)));
    EXPECT_EQ(Papers(kModelQueue), 4);
    ASSERT_TRUE(SettleDriverFile(L"KVFRESH.PPD"));
    EXPECT_EQ(Papers(kModelQueue), 4);

    ASSERT_TRUE(WriteDriverFile(L"KVFRESH.PPD", PageSizesModel("1.2", 3)));
    EXPECT_EQ(Papers(kModelQueue), 3);
}

TEST_F(FreshAnswers, ChangedSettingsProfileShowsInTheNextCall)
{
    // The profile beside the installed description presets every queue; a
    // scale flag of 2 keeps DM_SCALE among the fields applications may set.
    const std::wstring profile = InstalledDriverDirectory() + L"\\KVE3390N.DAT";
    const std::wstring original = profile + L".orig";
    auto fields = [] {
        return DeviceCapabilitiesW(kFreshQueue, nullptr, DC_FIELDS, nullptr, nullptr);
    };
    ASSERT_TRUE(CopyFileW(profile.c_str(), original.c_str(), FALSE));
    ASSERT_TRUE(SettleFile(profile));
    const DWORD before = fields();
    EXPECT_EQ(before & DM_SCALE, 0u);

    EXPECT_TRUE(WritePrivateProfileStringW(L"Default Setting", L"ScaleFlag", L"2", profile.c_str()));
    const DWORD changed = fields();
    ASSERT_TRUE(MoveFileExW(original.c_str(), profile.c_str(), MOVEFILE_REPLACE_EXISTING));
    const DWORD restored = fields();

    EXPECT_EQ(changed, before | DM_SCALE);
    EXPECT_EQ(restored, before);
}

} // namespace
