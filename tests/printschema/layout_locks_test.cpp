// The administrator's locks on a real queue: under the page-layout lock the
// N-up and poster choices other than the printer's current one are marked
// as excluded by the administrator; under the copies lock a job prints one
// copy. The queue's DEVMODE and locks are set as the administration tool
// and the property sheets would leave them.
#include "printschema/features/collate_copies.h"
#include "printschema/features/pages_per_sheet.h"
#include "printschema/features/poster.h"

#include "support/admin_records.h"
#include "support/test_printers.h"
#include "support/ticket_support.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

const WCHAR kInstalledDriver[] = L"Zentari TX-3390N series";
const WCHAR kLockQueue[] = L"KV Layout Locks";

const DWORD kLayoutLock = kAdminInForce | kAdminLockLayout;
const DWORD kCopiesLock = kAdminInForce | kAdminLockCopies;

const std::wstring kNup = L"/f:PrintCapabilities/f:Feature[@name='psk:JobNUpAllDocumentsContiguously']";
const std::wstring kPoster = L"/f:PrintCapabilities/f:Feature[@name='psk:PagePoster']";

class LayoutLocksTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() { ASSERT_TRUE(AddTestQueue(kLockQueue, kInstalledDriver)) << GetLastError(); }

    void SetUp() override
    {
        printer_ = OpenTestPrinter(kLockQueue);
        ASSERT_NE(printer_, nullptr);
        nup_ = CreatePagesPerSheetHandler(kTestPrivateUri);
        poster_ = CreatePosterHandler(kTestPrivateUri);
        collate_ = CreateCollateCopiesHandler(kTestPrivateUri);
        ASSERT_TRUE(nup_ && poster_ && collate_);
    }
    void TearDown() override
    {
        ClearAdminLock(kLockQueue);
        if (printer_) ClosePrinter(printer_);
    }

    // Stores the queue's default DEVMODE with this layout as the printer's
    // current one.
    void SetCurrentLayout(SHORT multiPage, BYTE pageOrder, BYTE multiLine)
    {
        LONG size = DocumentPropertiesW(nullptr, printer_, const_cast<LPWSTR>(kLockQueue), nullptr, nullptr, 0);
        ASSERT_GE(size, static_cast<LONG>(kDriverDevmodeSize));
        std::vector<BYTE> record(size);
        ASSERT_EQ(DocumentPropertiesW(nullptr, printer_, const_cast<LPWSTR>(kLockQueue),
                                      reinterpret_cast<DEVMODEW*>(record.data()), nullptr, DM_OUT_BUFFER),
                  IDOK);
        auto* devmode = reinterpret_cast<DriverDevmode*>(record.data());
        devmode->priv.multiPage = multiPage;
        devmode->priv.processor.pageOrder = pageOrder;
        devmode->priv.processor.multiLine = multiLine;

        std::vector<BYTE> info = PrinterInfo();
        ASSERT_FALSE(info.empty());
        auto* printer = reinterpret_cast<PRINTER_INFO_2W*>(info.data());
        printer->pDevMode = &devmode->pub;
        printer->pSecurityDescriptor = nullptr;
        ASSERT_TRUE(SetPrinterW(printer_, 2, info.data(), 0)) << GetLastError();

        info = PrinterInfo();
        const DEVMODEW* stored = reinterpret_cast<PRINTER_INFO_2W*>(info.data())->pDevMode;
        ASSERT_NE(stored, nullptr);
        ASSERT_EQ(reinterpret_cast<const DriverDevmode*>(stored)->priv.multiPage, multiPage);
    }

    std::vector<BYTE> PrinterInfo()
    {
        DWORD needed = 0;
        GetPrinterW(printer_, 2, nullptr, 0, &needed);
        std::vector<BYTE> info(needed);
        if (!needed || !GetPrinterW(printer_, 2, info.data(), needed, &needed)) info.clear();
        return info;
    }

    HANDLE printer_ = nullptr;
    std::unique_ptr<FeatureHandler> nup_, poster_, collate_;
};

// The constraint of every option of a capability feature, in order: the one
// whose value is open is "None", the others "AdminSettings"; kAllOpen when
// nothing is locked.
constexpr int kAllOpen = -1;

void ExpectConstraints(IXMLDOMDocument2* capabilities, const std::wstring& options, const std::vector<int>& values,
                       int open)
{
    ASSERT_EQ(SelectCount(capabilities, options), static_cast<long>(values.size()));
    for (size_t i = 0; i < values.size(); ++i) {
        SCOPED_TRACE(Narrow(options) + " [" + std::to_string(i + 1) + "]");
        bool isOpen = open == kAllOpen || values[i] == open;
        EXPECT_EQ(SelectText(capabilities, options + L"[" + std::to_wstring(i + 1) + L"]/@constrained"),
                  isOpen ? "psk:None" : "psk:AdminSettings");
    }
}

TEST_F(LayoutLocksTest, TheLayoutLockLeavesOnlyTheCurrentLayoutOpen)
{
    struct Case {
        const char* name;
        DWORD       flags;
        SHORT       multiPage;
        BYTE        pageOrder, multiLine;
        int         pages, order, border, sheets, maxCopies;   // open values
    } cases[] = {
        {"no lock", 0, 4, 2, 0, kAllOpen, kAllOpen, kAllOpen, kAllOpen, 999},
        {"four pages", kLayoutLock, 4, 2, 0, 4, 2, 0, 1, 999},
        {"one page", kLayoutLock, 1, 3, 2, 1, 3, 2, 1, 999},
        {"pages not in the list", kLayoutLock, 6, 1, 1, 1, 1, 1, 1, 999},
        // A poster leaves nothing of N-up open: the current value is none.
        {"poster of nine", kLayoutLock, -9, 1, 2, 0, 0, 1, 9, 999},
        {"poster not in the list", kLayoutLock, -7, 1, 2, 0, 0, 1, 1, 999},
        {"lock not in force", kAdminLockLayout, 4, 2, 0, kAllOpen, kAllOpen, kAllOpen, kAllOpen, 999},
        {"copies only", kCopiesLock, 16, 0, 2, kAllOpen, kAllOpen, kAllOpen, kAllOpen, 1},
        {"everything", kLayoutLock | kCopiesLock, 16, 0, 2, 16, 0, 2, 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        SetCurrentLayout(c.multiPage, c.pageOrder, c.multiLine);
        ClearAdminLock(kLockQueue);
        if (c.flags) {
            ASSERT_TRUE(PutAdminLock(kLockQueue, c.flags));
        }

        ComPtr<IXMLDOMDocument2> capabilities = NewCapabilities();
        for (FeatureHandler* handler : {nup_.get(), poster_.get(), collate_.get()})
            ASSERT_EQ(Hex(handler->GetPrintCapabilities(printer_, nullptr, capabilities.Get())), Hex(S_OK));
        ExpectConstraints(capabilities.Get(), kNup + L"/f:Option", {1, 2, 4, 9, 16, 25}, c.pages);
        ExpectConstraints(capabilities.Get(), kNup + L"/f:Feature[@name='psk:PresentationDirection']/f:Option",
                          {0, 1, 2, 3}, c.order);
        ExpectConstraints(capabilities.Get(), kNup + L"/f:Feature[@name='kvpsk:BorderLine']/f:Option", {0, 1, 2},
                          c.border);
        ExpectConstraints(capabilities.Get(), kPoster + L"/f:Option", {1, 4, 9, 16, 25}, c.sheets);
        EXPECT_EQ(SelectText(capabilities.Get(), L"//f:ParameterDef[@name='psk:JobCopiesAllDocuments']/"
                                                 L"f:Property[@name='psf:MaxValue']/f:Value"),
                  std::to_string(c.maxCopies));
    }
}

TEST_F(LayoutLocksTest, TheCopiesLockHoldsTicketsToOneCopy)
{
    const std::wstring copies5 = ParameterInitXml(L"psk:JobCopiesAllDocuments", L"5");
    const std::wstring copies1 = ParameterInitXml(L"psk:JobCopiesAllDocuments", L"1");
    const std::wstring jobCollate = FeatureXml(L"psk:JobCollateAllDocuments", L"psk:Collated");
    struct Case {
        const char*  name;
        DWORD        flags;
        std::wstring body;
        HRESULT      first;
        const char*  copiesAfter;
    } cases[] = {
        {"five copies, locked", kCopiesLock, copies5, S_PT_CONFLICT_RESOLVED, "1"},
        {"five copies, layout lock only", kLayoutLock, copies5, S_PT_NO_CONFLICT, "5"},
        {"five copies, lock not in force", kAdminLockCopies, copies5, S_PT_NO_CONFLICT, "5"},
        {"one copy, locked", kCopiesLock, copies1, S_PT_NO_CONFLICT, "1"},
        {"no copies, locked", kCopiesLock, L"", S_PT_NO_CONFLICT, "<none>"},
        {"job-level collation, locked", kCopiesLock, copies1 + jobCollate, S_PT_CONFLICT_RESOLVED, "1"},
        {"job-level collation and five copies, locked", kCopiesLock, copies5 + jobCollate, S_PT_CONFLICT_RESOLVED,
         "1"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ClearAdminLock(kLockQueue);
        ASSERT_TRUE(PutAdminLock(kLockQueue, c.flags));
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        EXPECT_EQ(Hex(collate_->ValidatePrintTicket(printer_, ticket.Get())), Hex(c.first));
        EXPECT_EQ(
            SelectText(ticket.Get(), L"/f:PrintTicket/f:ParameterInit[@name='psk:JobCopiesAllDocuments']/f:Value"),
            c.copiesAfter);
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:ParameterInit"),
                  c.body.find(L"Copies") != std::wstring::npos ? 1 : 0);
        EXPECT_EQ(SelectCount(ticket.Get(), L"//f:Feature[@name='psk:JobCollateAllDocuments']"), 0);
        EXPECT_EQ(Hex(collate_->ValidatePrintTicket(printer_, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
}

} // namespace
