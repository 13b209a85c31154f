// Paper codes to sizes and form names, against the sample model (papers
// paired through its "Paper" feature) and a model with page sizes only.
// The driver's own papers, which live in printer data, are tested there.
#include "settings/paper_lookup.h"

#include "settings/driver_devmode.h"
#include "support/model_text.h"

#include <gtest/gtest.h>

namespace {

TEST(PaperLookUp, CodesGiveTheModelKeywordAndSize)
{
    ParsedModel sample, pageSizes;
    ParseModelText(ReadSampleModelFile("KV3390N.PPD"), &sample);
    // Without a "Paper" feature codes come from the page-size keywords; an
    // unknown keyword stands for 1; A4 has no dimension.
    ParseModelText("*PPD-Adobe: \"4.3\"\n*OpenUI *PageSize: PickOne\n*PageSize Odd: \"o\"\n"
                   "*PageSize JE4: \"j\"\n*PageSize A4: \"a\"\n*CloseUI: *PageSize\n"
                   "*PaperDimension Odd: \"100 200\"\n*PaperDimension JE4: \"298 666\"\n",
                   &pageSizes);
    ASSERT_NE(sample.model, nullptr);
    ASSERT_NE(pageSizes.model, nullptr);

    // 256 in tenths of a millimetre, each step truncating: 2100 x 2970 ->
    // 826 x 1169 hundredths of an inch -> 594 x 841 points. Driver papers
    // without printer data: 3 x 4.56 inches.
    const struct {
        const ModelContext* model; short code; PaperLookUpStatus status; const WCHAR* form;
        LONG width, length;
    } cases[] = {
        {sample.model, 9, kPaperFound, L"A4", 595, 842},
        {sample.model, 13, kPaperFound, L"JISB5", 516, 729},
        {sample.model, 43, kPaperFound, L"Postcard", 283, 420},
        {pageSizes.model, 91, kPaperFound, L"JE4", 298, 666},
        {pageSizes.model, 1, kPaperFound, L"Odd", 100, 200},
        {sample.model, 256, kPaperUserDefined, L"User", 594, 841},
        {sample.model, 315, kPaperUserDefined, L"User", 216, 328},
        {sample.model, 30, kPaperNotFound, L"kept", 0, 0},     // C4: not in the model
        {sample.model, 316, kPaperNotFound, L"kept", 0, 0},
        {pageSizes.model, 9, kPaperNotFound, L"kept", 0, 0},
        {nullptr, 9, kPaperNotFound, L"kept", 0, 0},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.code);
        DriverDevmode record = {};
        record.pub.dmSize = kPublicDevmodeSize;
        record.pub.dmDriverExtra = kPrivateSize;
        record.pub.dmPaperSize = c.code;
        lstrcpyW(record.pub.dmFormName, L"kept");
        record.priv.signature = kPrivateSignature;
        record.priv.customPaperWidth = 2100;
        record.priv.customPaperLength = 2970;
        PaperSize size;
        EXPECT_EQ(LookUpPaper(nullptr, &record.pub, c.model, &size), c.status);
        EXPECT_STREQ(record.pub.dmFormName, c.form);
        EXPECT_EQ(size.width, c.width * 256);
        EXPECT_EQ(size.length, c.length * 256);
        EXPECT_EQ(record.pub.dmPaperSize, c.code);
    }
}

TEST(PaperLookUp, ForeignRecordsKeepTheCustomSizeInThePublicPart)
{
    DEVMODEW record = {};
    record.dmSize = sizeof(record);
    record.dmPaperSize = 256;
    record.dmPaperWidth = 1000;     // 393 hundredths of an inch, 282 points
    record.dmPaperLength = 2000;    // 787, 566
    PaperSize size;
    EXPECT_EQ(LookUpPaper(nullptr, &record, nullptr, &size), kPaperUserDefined);
    EXPECT_EQ(size.width, 282 * 256);
    EXPECT_EQ(size.length, 566 * 256);
}

}  // namespace
