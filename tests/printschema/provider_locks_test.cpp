// The administrator's locks as the PrintTicket services meet them: through
// the provider bound to the installed queue, every locked feature shows its
// excluded choices as AdminSettings, and nothing does without the locks.
#include "printschema/print_ticket_provider.h"

#include "settings/admin_settings.h"
#include "support/admin_records.h"
#include "support/test_paths.h"
#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <winspool.h>
#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

const DWORD kEveryLock = kAdminInForce | kAdminLockCopies | kAdminLockLayout | kAdminLockColor;

class ProviderLocks : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(OpenPrinterW(const_cast<WCHAR*>(kTestQueueName), &printer_, nullptr));
        provider_.Attach(new PrintTicketProvider);
        SHIMOPTS options = PTSHIM_DEFAULT;
        DWORD flags = 0;
        INT count = 0;
        BSTR* namespaces = nullptr;
        ASSERT_EQ(Hex(provider_->BindPrinter(printer_, 1, &options, &flags, &count, &namespaces)), Hex(S_OK));
    }
    void TearDown() override
    {
        ClearAdminLock(kTestQueueName);
        provider_.Reset();
        if (printer_) ClosePrinter(printer_);
    }

    // Options of the feature constrained by the administrator.
    long Locked(IXMLDOMDocument2* capabilities, const wchar_t* feature)
    {
        return SelectCount(capabilities, std::wstring(L"//f:Feature[@name='") + feature +
                                             L"']/f:Option[@constrained='psk:AdminSettings']");
    }
    ComPtr<IXMLDOMDocument2> Capabilities()
    {
        ComPtr<IXMLDOMDocument2> capabilities;
        EXPECT_EQ(Hex(provider_->GetPrintCapabilities(nullptr, capabilities.GetAddressOf())), Hex(S_OK));
        return capabilities;
    }

    HANDLE printer_ = nullptr;
    ComPtr<PrintTicketProvider> provider_;
};

TEST_F(ProviderLocks, LockedFeaturesShowTheirExcludedChoices)
{
    ComPtr<IXMLDOMDocument2> open = Capabilities();
    ASSERT_TRUE(open);
    EXPECT_EQ(SelectCount(open.Get(), L"//f:Option[@constrained='psk:AdminSettings']"), 0);
    const std::string maxCopies =
        SelectText(open.Get(), L"//f:ParameterDef[@name='psk:JobCopiesAllDocuments']/f:Property"
                               L"[@name='psf:MaxValue']/f:Value");

    ASSERT_TRUE(PutAdminLock(kTestQueueName, kEveryLock));
    ComPtr<IXMLDOMDocument2> locked = Capabilities();
    ASSERT_TRUE(locked);
    // Layout: every N-up and poster choice but the printer's own, and every
    // scaling mode.
    const long pagesPerSheet =
        SelectCount(locked.Get(), L"//f:Feature[@name='psk:JobNUpAllDocumentsContiguously']/f:Option");
    EXPECT_EQ(Locked(locked.Get(), L"psk:JobNUpAllDocumentsContiguously"), pagesPerSheet - 1);
    EXPECT_GT(Locked(locked.Get(), L"psk:PagePoster"), 0);
    EXPECT_EQ(Locked(locked.Get(), L"psk:PageScaling"),
              SelectCount(locked.Get(), L"//f:Feature[@name='psk:PageScaling']/f:Option"));
    // Colour: everything but monochrome.
    EXPECT_EQ(Locked(locked.Get(), L"psk:PageOutputColor"),
              SelectCount(locked.Get(), L"//f:Feature[@name='psk:PageOutputColor']/f:Option") - 1);
    EXPECT_EQ(SelectText(locked.Get(), L"//f:Feature[@name='psk:PageOutputColor']/f:Option[@name='psk:Monochrome']"
                                       L"/@constrained"),
              "psk:None");
    // Copies: one at most.
    EXPECT_EQ(SelectText(locked.Get(), L"//f:ParameterDef[@name='psk:JobCopiesAllDocuments']/f:Property"
                                       L"[@name='psf:MaxValue']/f:Value"),
              "1");
    EXPECT_NE(maxCopies, "1");
    // Features the administrator does not lock stay open.
    for (const wchar_t* feature : {L"psk:PageMediaSize", L"psk:PageMediaType", L"psk:PageInputBin"})
        EXPECT_EQ(Locked(locked.Get(), feature), 0) << Narrow(feature);
}

TEST_F(ProviderLocks, ValidationHoldsALockedTicketToOneCopy)
{
    ASSERT_TRUE(PutAdminLock(kTestQueueName, kAdminInForce | kAdminLockCopies));
    ComPtr<IXMLDOMDocument2> ticket = NewTicket(ParameterInitXml(L"psk:JobCopiesAllDocuments", L"5"));
    EXPECT_EQ(Hex(provider_->ValidatePrintTicket(ticket.Get())), Hex(S_PT_CONFLICT_RESOLVED));
    EXPECT_EQ(SelectText(ticket.Get(), L"//f:ParameterInit[@name='psk:JobCopiesAllDocuments']/f:Value"), "1");

    ClearAdminLock(kTestQueueName);
    ticket = NewTicket(ParameterInitXml(L"psk:JobCopiesAllDocuments", L"5"));
    provider_->ValidatePrintTicket(ticket.Get());
    EXPECT_EQ(SelectText(ticket.Get(), L"//f:ParameterInit[@name='psk:JobCopiesAllDocuments']/f:Value"), "5");
}

} // namespace
