// The model's page sizes as spooler forms. The test platform's spooler keeps
// no added forms, so the form calls go to a recording double; "Forms?" is
// real printer data of a queue of the tests' own.
#include "settings/model_forms.h"

#include "settings/printer_data.h"
#include "support/expect_fields.h"
#include "support/model_text.h"
#include "support/test_printers.h"

#include <gtest/gtest.h>

#include <winspool.h>

#include <string>
#include <vector>

namespace {

const WCHAR kQueue[] = L"KV Model Forms Test";

std::vector<FORM_INFO_1W> g_added, g_listed;   // g_listed: what EnumForms reports
std::vector<std::wstring> g_addedNames, g_deleted;

BOOL WINAPI RecordAdd(HANDLE, DWORD, LPBYTE data)
{
    g_added.push_back(*reinterpret_cast<FORM_INFO_1W*>(data));
    g_addedNames.push_back(g_added.back().pName);
    return TRUE;
}
BOOL WINAPI RecordDelete(HANDLE, LPWSTR name) { return g_deleted.push_back(name), TRUE; }
BOOL WINAPI ListForms(HANDLE, DWORD, LPBYTE data, DWORD size, LPDWORD needed, LPDWORD count)
{
    *needed = static_cast<DWORD>(g_listed.size() * sizeof(FORM_INFO_1W));
    *count = data && size >= *needed ? static_cast<DWORD>(g_listed.size()) : 0;
    if (*count) memcpy(data, g_listed.data(), *needed);
    return *count != 0;
}

class ModelForms : public ::testing::Test {
protected:
    void SetUp() override
    {
        ASSERT_TRUE(InstallTestPrinter(kQueue, L"KV Model Forms Model", L"KVFORMS.PPD", MakeModelText("Forms", nullptr)));
        ParseModelText(ReadSampleModelFile("KV3390N.PPD"), &sample_);
        ASSERT_NE(printer_ = OpenTestPrinter(kQueue), nullptr);
        ASSERT_NE(sample_.model, nullptr);
        const SpoolerFormCalls calls = {RecordAdd, RecordDelete, ListForms};
        previous_ = SetSpoolerFormCalls(&calls);
        g_added.clear(), g_addedNames.clear(), g_deleted.clear(), g_listed.clear();
        SetForms(0);
    }
    void TearDown() override
    {
        SetSpoolerFormCalls(&previous_);
        if (printer_) ClosePrinter(printer_);
    }
    void SetForms(DWORD value)
    {
        SetPrinterDataW(printer_, const_cast<WCHAR*>(L"Forms?"), REG_DWORD, reinterpret_cast<BYTE*>(&value), 4);
    }
    ParsedModel sample_;
    HANDLE printer_ = nullptr;
    SpoolerFormCalls previous_ = {};
};

TEST_F(ModelForms, PageSizesAreAddedOnceInThousandthsOfAMillimetre)
{
    ASSERT_TRUE(RegisterModelForms(printer_, sample_.model));
    ASSERT_EQ(g_added.size(), 15u);
    // Points x 25400 / 72, truncated: 595 x 842 points are 209902 x 297038.
    const struct { size_t index; const WCHAR* name; LONG cx, cy; } rows[] = {
        {0, L"Letter", 215900, 279400}, {3, L"A4", 209902, 297038}, {14, L"User Defined Size", 215900, 406400}};
    for (const auto& row : rows) {
        SCOPED_TRACE(row.index);
        const FORM_INFO_1W& form = g_added[row.index];
        EXPECT_EQ(g_addedNames[row.index], row.name);
        ExpectFields({F(form.Flags, FORM_PRINTER), F(form.Size.cx, row.cx), F(form.Size.cy, row.cy),
                      F(form.ImageableArea.left, 0), F(form.ImageableArea.top, 0),
                      F(form.ImageableArea.right, row.cx), F(form.ImageableArea.bottom, row.cy)});
    }
    DWORD forms = 0;
    EXPECT_TRUE(ReadPrinterDataDword(printer_, L"Forms?", &forms));
    EXPECT_EQ(forms, 2u);
    // Registered: the next session adds nothing.
    g_added.clear();
    ASSERT_TRUE(RegisterModelForms(printer_, sample_.model));
    EXPECT_TRUE(g_added.empty());
    // A page size without dimension is no form; long names are cut to fit.
    ParsedModel model;
    ParseModelText("*PPD-Adobe: \"4.3\"\n*OpenUI *PageSize: PickOne\n*PageSize Plain: \"p\"\n"
                   "*PageSize Long/An Unusually Long Paper Name For A Form: \"l\"\n*PageSize NoSize/No Size: \"n\"\n"
                   "*CloseUI: *PageSize\n*PaperDimension Plain: \"72 144\"\n"
                   "*PaperDimension Long/An Unusually Long Paper Name For A Form: \"720 72\"\n", &model);
    SetForms(0), g_addedNames.clear();
    ASSERT_NE(model.model, nullptr);
    ASSERT_TRUE(RegisterModelForms(printer_, model.model));
    EXPECT_EQ(g_addedNames, (std::vector<std::wstring>{L"Plain", L"An Unusually Long Paper Name Fo"}));
}

TEST_F(ModelForms, RefreshReplacesUserFormsThatHideModelNames)
{
    WCHAR a4[] = L"A4", letter[] = L"letter", mine[] = L"Mine", legal[] = L"Legal";
    g_listed = {{FORM_USER, a4, {1, 1}, {0, 0, 1, 1}}, {FORM_USER, letter, {1, 1}, {0, 0, 1, 1}},
                {FORM_USER, mine, {1, 1}, {0, 0, 1, 1}}, {FORM_BUILTIN, legal, {1, 1}, {0, 0, 1, 1}}};
    ASSERT_TRUE(RefreshModelForms(printer_, sample_.model));
    EXPECT_TRUE(g_deleted.empty()) << "never registered: nothing to repair";
    SetForms(2);
    ASSERT_TRUE(RefreshModelForms(printer_, sample_.model));
    EXPECT_EQ(g_deleted, (std::vector<std::wstring>{L"A4", L"letter"}));
    EXPECT_EQ(g_added.size(), 15u);
    g_deleted.clear(), g_added.clear();
    g_listed = {{FORM_USER, mine, {1, 1}, {0, 0, 1, 1}}};
    ASSERT_TRUE(RefreshModelForms(printer_, sample_.model));
    EXPECT_EQ(g_deleted, std::vector<std::wstring>{});
    EXPECT_EQ(g_added.size(), 0u);
}

}  // namespace
