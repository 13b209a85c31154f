// DevQueryPrintEx on the installed queue: which held jobs may print, and
// the message each refusal carries.
#include "platform/driverui.h"

#include "core/driver_strings.h"
#include "core/model_cache.h"
#include "settings/driver_devmode.h"
#include "settings/printer_data.h"
#include "support/test_paths.h"
#include "support/test_printers.h"

#include <winspool.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

std::wstring DriverString(UINT id)
{
    WCHAR text[300];
    LoadDriverString(id, text, ARRAYSIZE(text));
    return text;
}

// The tray-form table in its stored layout: its size, then per tray the
// tray, form and printer-form names and a WORD, then a closing WORD.
std::wstring TrayFormTable(std::initializer_list<const WCHAR*> forms)
{
    std::wstring table(1, L'\0');
    for (const WCHAR* form : forms)
        table += std::wstring(L"Tray1") + L'\0' + form + L'\0' + form + L'\0' + L'\0';
    table += L'\0';
    table[0] = static_cast<WCHAR>(table.size() * sizeof(WCHAR));
    return table;
}

class HeldJobs : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(OpenPrinterW(const_cast<WCHAR*>(kTestQueueName), &printer_, nullptr));
        ASSERT_EQ(DrvDocumentProperties(nullptr, printer_, const_cast<WCHAR*>(kTestQueueName), &job_.pub,
                                        nullptr, DM_COPY),
                  IDOK);
        job_.pub.dmDefaultSource = DMBIN_FORMSOURCE;
    }
    void TearDown() override
    {
        RemoveTestPrinterData(kTestQueueName, L"TrayFormTable");
        RemoveTestPrinterData(kTestQueueName, L"TrayFormSize");
        ClosePrinter(printer_);
    }
    void StoreTrayForms(const std::wstring& table)
    {
        ASSERT_TRUE(WritePrinterDataBlob(printer_, kBlobTrayForms, table.data(),
                                         static_cast<DWORD>(table.size() * sizeof(WCHAR))));
    }
    // The answer, with the message (empty when allowed) in message_.
    BOOL Query(DEVMODEW* dm, DWORD capacity = 256)
    {
        WCHAR text[256];
        wmemset(text, L'#', 256);
        DEVQUERYPRINT_INFO info = {sizeof(info), 1, printer_, dm, text, capacity, 0};
        const BOOL ok = DevQueryPrintEx(&info);
        message_ = ok ? L"" : text;
        needed_ = info.cchNeeded;
        return ok;
    }
    void ExpectHeld(UINT message)
    {
        EXPECT_FALSE(Query(&job_.pub));
        EXPECT_EQ(message_, DriverString(message));
    }

    HANDLE printer_ = nullptr;
    DriverDevmode job_ = {};
    std::wstring message_;
    DWORD needed_ = 0;
};

TEST_F(HeldJobs, PaperMustBeNamedKnownAndOfTheModel)
{
    EXPECT_TRUE(Query(nullptr));
    EXPECT_TRUE(Query(&job_.pub));   // no tray-form table: every form is loaded

    job_.pub.dmFields &= ~DM_PAPERSIZE;
    ExpectHeld(40049);
    job_.pub.dmFields |= DM_PAPERSIZE;
    job_.pub.dmPaperSize = 1234;
    ExpectHeld(40049);
    for (short user : {short(DMPAPER_USER), short(300), short(315)}) {
        job_.pub.dmPaperSize = user;
        ExpectHeld(40058);
    }
}

TEST_F(HeldJobs, TraySelectionByFormNeedsATrayHoldingTheForm)
{
    job_.pub.dmPaperSize = DMPAPER_A4;
    StoreTrayForms(TrayFormTable({L"Letter", L"Legal"}));
    EXPECT_FALSE(Query(&job_.pub));
    EXPECT_EQ(message_, L"Load A4 paper in a paper tray.");
    EXPECT_EQ(needed_, message_.size() + 1);

    // A short buffer still gets a terminated start of the text.
    EXPECT_FALSE(Query(&job_.pub, 8));
    EXPECT_EQ(message_, L"Load A4");
    EXPECT_EQ(needed_, 31u);

    StoreTrayForms(TrayFormTable({L"Letter", L"A4"}));
    EXPECT_TRUE(Query(&job_.pub));

    // A damaged table names nothing: the last entry runs off its end.
    std::wstring damaged = TrayFormTable({L"Letter", L"A4"});
    damaged.resize(damaged.size() - 4);
    StoreTrayForms(damaged);
    EXPECT_FALSE(Query(&job_.pub));
}

TEST_F(HeldJobs, ManualAndFixedTrays)
{
    StoreTrayForms(TrayFormTable({L"Legal"}));
    const short queuePaper = job_.pub.dmPaperSize;
    const short otherPaper = queuePaper == DMPAPER_A4 ? DMPAPER_LETTER : DMPAPER_A4;
    job_.pub.dmPaperSize = otherPaper;
    for (short manual : {short(DMBIN_MANUAL), short(DMBIN_ENVMANUAL)}) {
        job_.pub.dmDefaultSource = manual;
        EXPECT_TRUE(Query(&job_.pub)) << manual;
    }
    // A fixed tray holds the queue's own paper.
    job_.pub.dmDefaultSource = DMBIN_UPPER;
    EXPECT_FALSE(Query(&job_.pub));
    EXPECT_EQ(message_.rfind(L"Load ", 0), 0u);
    job_.pub.dmPaperSize = queuePaper;
    EXPECT_TRUE(Query(&job_.pub));
}

TEST_F(HeldJobs, SettingsMustSuitTheInstalledOptionsAndResolutions)
{
    // A resolution the model lacks is replaced by its default when the
    // job's record is taken over, so it does not hold the job.
    for (short dpi : {short(600), short(1234), short(DMRES_HIGH)}) {
        job_.pub.dmPrintQuality = dpi;
        EXPECT_TRUE(Query(&job_.pub)) << dpi;
    }

    // Tray 2 selected while the queue's option record says it is not fitted.
    ModelContext* model = AcquireModelContext(printer_, kUseCachedModel);
    ASSERT_NE(model, nullptr);
    const ModelFeature* slots = model->slots[kKindInputSlot];
    ASSERT_NE(slots, nullptr);
    uint32_t tray2 = 0;
    while (tray2 < slots->optionCount && strcmp(slots->options[tray2].keyword, "Tray2") != 0)
        ++tray2;
    ASSERT_LT(tray2, slots->optionCount);
    job_.priv.optionSelections[slots->index] = static_cast<BYTE>(tray2);
    ReleaseModelContext(model);
    ExpectHeld(40054);
}

} // namespace
