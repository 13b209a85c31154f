// The feature-handler framework: the fixed sequence of steps around the
// per-call settings record, argument checks, what an absent feature means,
// exceptions inside steps, display strings, constraint levels and the
// handler list.
#include "printschema/feature_handler.h"
#include "printschema/feature_handler_list.h"

#include "printschema/cxd_exception.h"

#include "support/com_support.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <cstdio>
#include <new>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kPrivateUri[] = L"http://schemas.zentari.example/printing/keywords";

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

std::wstring Ticket(const std::wstring& body)
{
    return std::wstring(L"<psf:PrintTicket version=\"1\" xmlns:psf=\"") + kFrameworkNamespace +
           L"\" xmlns:psk=\"" + kKeywordsNamespace + L"\" xmlns:xsi=\"" + kSchemaInstanceNamespace +
           L"\" xmlns:xsd=\"" + kSchemaNamespace + L"\">" + body + L"</psf:PrintTicket>";
}

const wchar_t kLandscape[] =
    L"<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:Landscape\"/></psf:Feature>";

// ---------------------------------------------------------------------------
// A handler of one feature, PageOrientation, over dmOrientation, which
// records the steps it runs and can be told to fail or throw in one of them.

enum StepId { kReadDevMode, kReadPrintTicket, kWriteDevMode, kWritePrintTicket, kNoStep };
const char* const kStepNames[] = {"ReadDevMode", "ReadPrintTicket", "WriteDevMode", "WritePrintTicket"};

enum Fault { kReturn, kThrowCxd, kThrowBadAlloc };

// Counts records made and destroyed; each holds a string, as real records do.
struct OrientationSettings {
    static int made;
    static int destroyed;
    OrientationSettings() : keyword(BstrOwner::Copy(L"Portrait")) { ++made; }
    ~OrientationSettings() { ++destroyed; }
    short orientation = DMORIENT_PORTRAIT;
    BstrOwner keyword;
};
int OrientationSettings::made = 0;
int OrientationSettings::destroyed = 0;

class OrientationHandler : public FeatureHandlerBase<OrientationSettings> {
public:
    OrientationHandler() : FeatureHandlerBase(kPrivateUri) {}

    std::vector<std::string> steps;
    StepId failAt = kNoStep;
    Fault fault = kReturn;
    HRESULT failure = E_ACCESSDENIED;
    HRESULT readTicketSuccess = S_OK;   // what ReadPrintTicket returns when it succeeds
    HRESULT writeDevModeSuccess = S_OK;

    HRESULT GetPrintCapabilities(HANDLE, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities) override
    {
        return WriteCapabilities(capabilities, [](PrintSchemaDocument&) { return S_OK; });
    }

    using FeatureHandlerBase::ReadTicket;
    using FeatureHandlerBase::WriteCapabilities;
    using FeatureHandlerBase::WriteTicket;

protected:
    HRESULT ReadDevMode(HANDLE, const DEVMODEW* devmode, ULONG dmSize, const PrivateSettings* privatePart,
                        ULONG dmDriverExtra, OrientationSettings* settings) override
    {
        if (HRESULT hr = Enter(kReadDevMode); hr != S_OK) return hr;
        HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
        if (FAILED(hr)) return hr;
        settings->orientation = devmode->dmOrientation == DMORIENT_LANDSCAPE ? DMORIENT_LANDSCAPE
                                                                              : DMORIENT_PORTRAIT;
        return S_OK;
    }

    HRESULT ReadPrintTicket(IXMLDOMDocument2* ticket, OrientationSettings* settings) override
    {
        if (HRESULT hr = Enter(kReadPrintTicket); hr != S_OK) return hr;
        HRESULT hr = ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
            BSTR name = nullptr;
            bool isPrivate = false;
            HRESULT found = document.GetSelectedOption(document.KeywordsPrefix(), L"PageOrientation", &name,
                                                       &isPrivate);
            BstrOwner option(name);
            if (FAILED(found)) return found;
            settings->orientation =
                wcscmp(option.Text(), L"Landscape") == 0 ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
            settings->keyword = std::move(option);
            return S_OK;
        });
        return FAILED(hr) ? hr : readTicketSuccess;
    }

    HRESULT WriteDevMode(HANDLE, const OrientationSettings* settings, DEVMODEW* devmode, ULONG dmSize,
                         PrivateSettings* privatePart, ULONG dmDriverExtra) override
    {
        if (HRESULT hr = Enter(kWriteDevMode); hr != S_OK) return hr;
        HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
        if (FAILED(hr)) return hr;
        devmode->dmOrientation = settings->orientation;
        return writeDevModeSuccess;
    }

    HRESULT WritePrintTicket(const OrientationSettings*, IXMLDOMDocument2* ticket) override
    {
        if (HRESULT hr = Enter(kWritePrintTicket); hr != S_OK) return hr;
        return WriteTicket(ticket, [](PrintSchemaDocument&) { return S_OK; });
    }

private:
    HRESULT Enter(StepId step)
    {
        steps.push_back(kStepNames[step]);
        if (step != failAt) return S_OK;
        if (fault == kThrowCxd) throw CXDException(failure);
        if (fault == kThrowBadAlloc) throw std::bad_alloc();
        return failure;
    }
};

class FeatureHandlerTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        record_ = DriverDevmode{};
        record_.pub.dmSize = kPublicDevmodeSize;
        record_.pub.dmDriverExtra = kPrivateSize;
        record_.pub.dmOrientation = DMORIENT_PORTRAIT;
        ticket_ = Load(Ticket(kLandscape));
        OrientationSettings::made = OrientationSettings::destroyed = 0;
    }

    HRESULT ToDevMode(IXMLDOMDocument2* ticket)
    {
        return handler_.PrintTicketToDevMode(nullptr, ticket, kPublicDevmodeSize, &record_.pub, kPrivateSize,
                                             &record_.priv);
    }
    HRESULT ToTicket(IXMLDOMDocument2* ticket)
    {
        return handler_.DevModeToPrintTicket(nullptr, kPublicDevmodeSize, &record_.pub, kPrivateSize,
                                             &record_.priv, ticket);
    }

    DriverDevmode record_;
    ComPtr<IXMLDOMDocument2> ticket_;
    OrientationHandler handler_;
};

// Which steps run, in which order, and which result comes back, when each
// step succeeds or fails in each way.
TEST_F(FeatureHandlerTest, StepsRunInTheirFixedOrderAndStopAtTheFirstFailure)
{
    using Steps = std::vector<std::string>;
    const Steps toDevMode = {"ReadDevMode", "ReadPrintTicket", "WriteDevMode"};
    const Steps toTicket = {"ReadDevMode", "WritePrintTicket"};
    struct Case {
        bool toDevMode;
        StepId failAt;
        Fault fault;
        Steps expected;
        HRESULT result;
    } cases[] = {
        {true, kNoStep, kReturn, toDevMode, S_OK},
        {true, kReadDevMode, kReturn, {"ReadDevMode"}, E_ACCESSDENIED},
        {true, kReadDevMode, kThrowCxd, {"ReadDevMode"}, E_ACCESSDENIED},
        {true, kReadPrintTicket, kReturn, {"ReadDevMode", "ReadPrintTicket"}, E_ACCESSDENIED},
        {true, kReadPrintTicket, kThrowCxd, {"ReadDevMode", "ReadPrintTicket"}, E_ACCESSDENIED},
        {true, kReadPrintTicket, kThrowBadAlloc, {"ReadDevMode", "ReadPrintTicket"}, E_OUTOFMEMORY},
        {true, kWriteDevMode, kReturn, toDevMode, E_ACCESSDENIED},
        {true, kWriteDevMode, kThrowCxd, toDevMode, E_ACCESSDENIED},
        {false, kNoStep, kReturn, toTicket, S_OK},
        {false, kReadDevMode, kReturn, {"ReadDevMode"}, E_ACCESSDENIED},
        {false, kReadDevMode, kThrowCxd, {"ReadDevMode"}, E_ACCESSDENIED},
        {false, kWritePrintTicket, kReturn, toTicket, E_ACCESSDENIED},
        {false, kWritePrintTicket, kThrowCxd, toTicket, E_ACCESSDENIED},
        {false, kWritePrintTicket, kThrowBadAlloc, toTicket, E_OUTOFMEMORY},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.toDevMode ? "to DEVMODE" : "to ticket") + ", failing " +
                     (c.failAt == kNoStep ? "nowhere" : kStepNames[c.failAt]) + " by " +
                     (c.fault == kReturn ? "result" : c.fault == kThrowCxd ? "CXDException" : "bad_alloc"));
        handler_.steps.clear();
        handler_.failAt = c.failAt;
        handler_.fault = c.fault;
        OrientationSettings::made = OrientationSettings::destroyed = 0;
        record_.pub.dmOrientation = DMORIENT_PORTRAIT;

        HRESULT hr = c.toDevMode ? ToDevMode(ticket_.Get()) : ToTicket(ticket_.Get());

        EXPECT_EQ(Hex(hr), Hex(c.result));
        EXPECT_EQ(handler_.steps, c.expected);
        // One record per call, destroyed whichever way the call ended.
        EXPECT_EQ(OrientationSettings::made, 1);
        EXPECT_EQ(OrientationSettings::destroyed, 1);
        // A DEVMODE is only changed by a WriteDevMode that ran to its end.
        bool written = c.toDevMode && c.failAt == kNoStep;
        EXPECT_EQ(record_.pub.dmOrientation, written ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT);
    }
}

// Successes other than S_OK: a corrected ticket lets the conversion go on,
// and the conversion reports what WriteDevMode said.
TEST_F(FeatureHandlerTest, SuccessCodesOfStepsLetTheSequenceGoOn)
{
    handler_.readTicketSuccess = S_PT_CONFLICT_RESOLVED;
    handler_.writeDevModeSuccess = S_FALSE;
    EXPECT_EQ(Hex(ToDevMode(ticket_.Get())), Hex(S_FALSE));
    EXPECT_EQ(handler_.steps.size(), 3u);
    EXPECT_EQ(record_.pub.dmOrientation, DMORIENT_LANDSCAPE);
}

TEST_F(FeatureHandlerTest, ConversionsCheckTheirArgumentsBeforeAnyStep)
{
    DEVMODEW* dm = &record_.pub;
    PrivateSettings* priv = &record_.priv;
    IXMLDOMDocument2* ticket = ticket_.Get();
    struct Case {
        const char* name;
        DEVMODEW* devmode;
        PrivateSettings* privatePart;
        IXMLDOMDocument2* ticket;
        ULONG dmSize;
        ULONG dmDriverExtra;
        HRESULT result;
    } cases[] = {
        {"no DEVMODE", nullptr, priv, ticket, 220, 2452, E_POINTER},
        {"no private part", dm, nullptr, ticket, 220, 2452, E_POINTER},
        {"no ticket", dm, priv, nullptr, 220, 2452, E_POINTER},
        {"pointers come before sizes", nullptr, priv, ticket, 0, 0, E_POINTER},
        {"public part too short", dm, priv, ticket, 219, 2452, E_INVALIDARG},
        {"no private bytes", dm, priv, ticket, 220, 0, E_INVALIDARG},
        {"the smallest DEVMODE the base accepts", dm, priv, ticket, 220, 1, S_OK},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        for (bool toDevMode : {true, false}) {
            handler_.steps.clear();
            OrientationSettings::made = 0;
            HRESULT hr = toDevMode ? handler_.PrintTicketToDevMode(nullptr, c.ticket, c.dmSize, c.devmode,
                                                                   c.dmDriverExtra, c.privatePart)
                                   : handler_.DevModeToPrintTicket(nullptr, c.dmSize, c.devmode,
                                                                   c.dmDriverExtra, c.privatePart, c.ticket);
            if (c.result == S_OK) {
                // The base lets it through; the steps then apply their own checks
                // (WriteDevMode needs the whole private part).
                EXPECT_FALSE(handler_.steps.empty());
                if (toDevMode) EXPECT_EQ(Hex(hr), Hex(E_INVALIDARG));
                else EXPECT_EQ(Hex(hr), Hex(S_OK));
            } else {
                EXPECT_EQ(Hex(hr), Hex(c.result));
                EXPECT_TRUE(handler_.steps.empty());
                EXPECT_EQ(OrientationSettings::made, 0);
            }
        }
    }
}

TEST_F(FeatureHandlerTest, StepArgumentChecks)
{
    DEVMODEW* dm = &record_.pub;
    PrivateSettings* priv = &record_.priv;
    int settings = 0;
    struct Case {
        const char* name;
        HRESULT read;    // CheckDevModeToRead
        HRESULT write;   // CheckDevModeToWrite
    } cases[] = {
        {"complete", CheckDevModeToRead(dm, 220, priv, 2452, &settings), CheckDevModeToWrite(dm, 220, priv, 2452)},
        {"no DEVMODE", CheckDevModeToRead(nullptr, 220, priv, 2452, &settings),
         CheckDevModeToWrite(nullptr, 220, priv, 2452)},
        {"no private part", CheckDevModeToRead(dm, 220, nullptr, 2452, &settings),
         CheckDevModeToWrite(dm, 220, nullptr, 2452)},
        {"short public part", CheckDevModeToRead(dm, 219, priv, 2452, &settings),
         CheckDevModeToWrite(dm, 219, priv, 2452)},
        {"no private bytes", CheckDevModeToRead(dm, 220, priv, 0, &settings),
         CheckDevModeToWrite(dm, 220, priv, 0)},
        {"private part one byte short", CheckDevModeToRead(dm, 220, priv, 2451, &settings),
         CheckDevModeToWrite(dm, 220, priv, 2451)},
    };
    const HRESULT expected[][2] = {{S_OK, S_OK},           {E_POINTER, E_POINTER},   {E_POINTER, E_POINTER},
                                   {E_INVALIDARG, E_INVALIDARG}, {E_INVALIDARG, E_INVALIDARG}, {S_OK, E_INVALIDARG}};
    for (size_t i = 0; i < sizeof cases / sizeof cases[0]; ++i) {
        SCOPED_TRACE(cases[i].name);
        EXPECT_EQ(Hex(cases[i].read), Hex(expected[i][0]));
        EXPECT_EQ(Hex(cases[i].write), Hex(expected[i][1]));
    }
    EXPECT_EQ(Hex(CheckDevModeToRead(dm, 220, priv, 2452, nullptr)), Hex(E_POINTER)) << "no record";
}

// A ticket that does not mention the feature keeps what the DEVMODE had.
TEST_F(FeatureHandlerTest, AFeatureAbsentFromTheTicketKeepsTheDevModeValue)
{
    struct Case {
        const char* name;
        std::wstring body;
        short before;
        short after;
    } cases[] = {
        {"landscape stays landscape", L"", DMORIENT_LANDSCAPE, DMORIENT_LANDSCAPE},
        {"portrait stays portrait", L"", DMORIENT_PORTRAIT, DMORIENT_PORTRAIT},
        {"other features do not count",
         L"<psf:Feature name=\"psk:JobDuplexAllDocumentsContiguously\">"
         L"<psf:Option name=\"psk:OneSided\"/></psf:Feature>",
         DMORIENT_LANDSCAPE, DMORIENT_LANDSCAPE},
        {"a feature without its option", L"<psf:Feature name=\"psk:PageOrientation\"/>", DMORIENT_LANDSCAPE,
         DMORIENT_LANDSCAPE},
        {"the ticket's option wins", kLandscape, DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = Load(Ticket(c.body));
        record_.pub.dmOrientation = c.before;
        EXPECT_EQ(Hex(ToDevMode(ticket.Get())), Hex(S_OK));
        EXPECT_EQ(record_.pub.dmOrientation, c.after);
    }
}

// A document that is not a ticket fails ReadPrintTicket, and the DEVMODE
// keeps its old value.
TEST_F(FeatureHandlerTest, AnUnreadableTicketLeavesTheDevModeAlone)
{
    ComPtr<IXMLDOMDocument2> capabilities =
        Load(std::wstring(L"<psf:PrintCapabilities xmlns:psf=\"") + kFrameworkNamespace + L"\"/>");
    record_.pub.dmOrientation = DMORIENT_LANDSCAPE;
    EXPECT_TRUE(FAILED(ToDevMode(capabilities.Get())));
    EXPECT_EQ(record_.pub.dmOrientation, DMORIENT_LANDSCAPE);
    EXPECT_EQ(handler_.steps, (std::vector<std::string>{"ReadDevMode", "ReadPrintTicket"}));
}

TEST_F(FeatureHandlerTest, DocumentHelpersAndDefaultValidationRefuseNullDocuments)
{
    auto ok = [](PrintSchemaDocument&) { return S_OK; };
    EXPECT_EQ(Hex(handler_.ReadTicket(nullptr, ok)), Hex(E_POINTER));
    EXPECT_EQ(Hex(handler_.WriteTicket(nullptr, ok)), Hex(E_POINTER));
    EXPECT_EQ(Hex(handler_.WriteCapabilities(nullptr, ok)), Hex(E_POINTER));
    EXPECT_EQ(Hex(handler_.GetPrintCapabilities(nullptr, nullptr, nullptr)), Hex(E_POINTER));
    EXPECT_EQ(Hex(handler_.ValidatePrintTicket(nullptr, nullptr)), Hex(E_POINTER));
    // The default validation does not look at the ticket at all.
    ComPtr<IXMLDOMDocument2> notATicket = Load(L"<anything/>");
    EXPECT_EQ(Hex(handler_.ValidatePrintTicket(nullptr, notATicket.Get())), Hex(S_PT_NO_CONFLICT));
    EXPECT_EQ(Hex(handler_.ValidatePrintTicket(nullptr, ticket_.Get())), Hex(S_PT_NO_CONFLICT));
}

// Only "not found" is forgiven by ReadTicket; other failures and thrown
// exceptions come back as they are.
TEST_F(FeatureHandlerTest, ReadTicketForgivesOnlyAnAbsentFeature)
{
    struct Case {
        const char* name;
        HRESULT inner;
        bool thrown;
        HRESULT result;
    } cases[] = {
        {"not found", kNotFound, false, S_OK},
        {"not found, thrown", kNotFound, true, S_OK},
        {"conflict resolved", S_PT_CONFLICT_RESOLVED, false, S_PT_CONFLICT_RESOLVED},
        {"failure", E_FAIL, false, E_FAIL},
        {"thrown failure", E_ACCESSDENIED, true, E_ACCESSDENIED},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        HRESULT read = handler_.ReadTicket(ticket_.Get(), [&](PrintSchemaDocument&) -> HRESULT {
            if (c.thrown) throw CXDException(c.inner);
            return c.inner;
        });
        EXPECT_EQ(Hex(read), Hex(c.result));
        // Writers pass every result through.
        HRESULT written = handler_.WriteTicket(ticket_.Get(), [&](PrintSchemaDocument&) -> HRESULT {
            if (c.thrown) throw CXDException(c.inner);
            return c.inner;
        });
        EXPECT_EQ(Hex(written), Hex(c.inner));
    }
}

// ---------------------------------------------------------------------------

TEST(DisplayStringTest, StrippingDropsMenuMarksButKeepsAnAmpersandBeforeABlank)
{
    struct Case {
        const wchar_t* text;
        const wchar_t* stripped;
    } cases[] = {
        {L"Collat&e", L"Collate"},
        {L"Short edge/Top && Bottom side binding", L"Short edge/Top & Bottom side binding"},
        {L"Paper &Size", L"Paper Size"},
        {L"Por&trait", L"Portrait"},
        {L"two\r\nlines\n", L"twolines"},
        {L"& first", L"& first"},
        {L"trailing&", L"trailing"},
        {L"&&&", L""},
        {L"", L""},
    };
    for (const Case& c : cases) EXPECT_EQ(Narrow(StripMenuMarks(c.text)), Narrow(c.stripped)) << Narrow(c.text);
}

TEST(DisplayStringTest, StringsComeFromTheLanguageModule)
{
    EXPECT_EQ(Narrow(LoadDisplayString(553, true)), "A4");
    EXPECT_EQ(Narrow(LoadDisplayString(553, false)), "A4");
    EXPECT_EQ(Narrow(LoadDisplayString(65000, true)), "") << "a missing string reads as empty";
}

TEST(ConstraintLevelTest, OnlyALockInForceConstrainsAnOption)
{
    struct Case {
        BOOL read;
        DWORD flags;
        DWORD lock;
        ConstraintLevel level;
    } cases[] = {
        {TRUE, kAdminInForce | kAdminLockCopies, kAdminLockCopies, kConstraintAdminSettings},
        {TRUE, kAdminInForce | kAdminLockCopies | kAdminLockColor, kAdminLockColor, kConstraintAdminSettings},
        {TRUE, kAdminLockCopies, kAdminLockCopies, kConstraintNone},                  // not in force
        {TRUE, kAdminInForce | kAdminLockLayout, kAdminLockCopies, kConstraintNone},  // another lock
        {FALSE, kAdminInForce | kAdminLockCopies, kAdminLockCopies, kConstraintNone}, // no record read
    };
    for (const Case& c : cases) {
        AdminSettings settings = {nullptr, c.flags};
        EXPECT_EQ(LockedOptionLevel(c.read, settings, c.lock), c.level)
            << "read " << c.read << ", flags " << c.flags << ", lock " << c.lock;
    }
}

TEST(ConstraintLevelTest, APrinterWithoutAdministratorRecordLocksNothing)
{
    EXPECT_EQ(LockedOptionLevel(static_cast<HANDLE>(nullptr), kAdminLockCopies), kConstraintNone);
}

// ---------------------------------------------------------------------------
// The handler list.

std::vector<std::string> g_events;

class RecordingHandler : public FeatureHandlerBase<SingleValueSettings> {
public:
    RecordingHandler(const wchar_t* privateNamespace, std::string name)
        : FeatureHandlerBase(privateNamespace), name_(std::move(name))
    {
        g_events.push_back("make " + name_);
    }
    ~RecordingHandler() override { g_events.push_back("destroy " + name_); }

    std::string Namespace() const { return Narrow(PrivateNamespace()); }

    HRESULT GetPrintCapabilities(HANDLE, IXMLDOMDocument2*, IXMLDOMDocument2*) override
    {
        g_events.push_back("capabilities " + name_);
        return name_ == "b" ? E_FAIL : S_OK;
    }

protected:
    HRESULT ReadDevMode(HANDLE, const DEVMODEW*, ULONG, const PrivateSettings*, ULONG,
                        SingleValueSettings*) override
    {
        return S_OK;
    }
    HRESULT ReadPrintTicket(IXMLDOMDocument2*, SingleValueSettings*) override { return S_OK; }
    HRESULT WriteDevMode(HANDLE, const SingleValueSettings*, DEVMODEW*, ULONG, PrivateSettings*, ULONG) override
    {
        return S_OK;
    }
    HRESULT WritePrintTicket(const SingleValueSettings*, IXMLDOMDocument2*) override { return S_OK; }

private:
    std::string name_;
};

std::unique_ptr<FeatureHandler> MakeA(const wchar_t* ns) { return std::make_unique<RecordingHandler>(ns, "a"); }
std::unique_ptr<FeatureHandler> MakeB(const wchar_t* ns) { return std::make_unique<RecordingHandler>(ns, "b"); }
std::unique_ptr<FeatureHandler> MakeC(const wchar_t* ns) { return std::make_unique<RecordingHandler>(ns, "c"); }
std::unique_ptr<FeatureHandler> MakeNothing(const wchar_t*) { return nullptr; }
std::unique_ptr<FeatureHandler> MakeFailure(const wchar_t*) { throw CXDException(E_OUTOFMEMORY); }

TEST(FeatureHandlerListTest, HandlersAreMadeInTableOrderSkippingMissingOnesAndDestroyedInReverse)
{
    const FeatureHandlerRow rows[] = {
        {L"a", true, MakeA}, {L"missing", false, nullptr}, {L"b", false, MakeB},
        {L"not yet", false, MakeNothing}, {L"c", false, MakeC},
    };
    g_events.clear();
    {
        FeatureHandlerList list;
        ASSERT_EQ(Hex(list.Create(kPrivateUri, rows, 5)), Hex(S_OK));
        ASSERT_EQ(list.Size(), 3u);
        EXPECT_EQ(static_cast<RecordingHandler&>(list[2]).Namespace(), Narrow(kPrivateUri));
        // The provider's walk stops at the first failure.
        EXPECT_EQ(Hex(list.ForEach([](FeatureHandler& h) { return h.GetPrintCapabilities(nullptr, nullptr, nullptr); })),
                  Hex(E_FAIL));
    }
    EXPECT_EQ(g_events, (std::vector<std::string>{"make a", "make b", "make c", "capabilities a", "capabilities b",
                                                  "destroy c", "destroy b", "destroy a"}));
}

TEST(FeatureHandlerListTest, AHandlerThatCannotBeMadeIsLeftOut)
{
    const FeatureHandlerRow rows[] = {{L"a", true, MakeA}, {L"fails", false, MakeFailure}, {L"c", false, MakeC}};
    g_events.clear();
    {
        FeatureHandlerList list;
        EXPECT_EQ(Hex(list.Create(kPrivateUri, rows, 3)), Hex(S_OK));
        EXPECT_EQ(list.Size(), 2u);
    }
    EXPECT_EQ(g_events, (std::vector<std::string>{"make a", "make c", "destroy c", "destroy a"}));
}

TEST(FeatureHandlerListTest, TheDriverListHasItsTwentyOneFeaturesInCallingOrder)
{
    const char* const names[] = {
        "page media size", "pages per sheet", "poster", "collate and copies", "media type", "duplex",
        "input bin", "resolution and quality", "print setting", "watermark", "scaling", "mirror image",
        "job spooling", "sleep time", "header and footer", "toner save group", "error message printout",
        "output colour", "colour management", "digital signature", "special output mode"};
    const bool validates[] = {true,  true,  false, true,  true,  true,  false, true,  false, true, false,
                              false, false, false, false, false, false, true,  false, false, false};
    ASSERT_EQ(kFeatureHandlerCount, 21u);
    for (size_t i = 0; i < kFeatureHandlerCount; ++i) {
        EXPECT_EQ(Narrow(kFeatureHandlerRows[i].name), names[i]) << "row " << i;
        EXPECT_EQ(kFeatureHandlerRows[i].replacesValidation, validates[i]) << names[i];
    }
    // Handlers not written yet are left out; page media size comes first.
    FeatureHandlerList list;
    ASSERT_EQ(Hex(list.Create(kPrivateUri)), Hex(S_OK));
    size_t available = 0;
    for (const FeatureHandlerRow& row : kFeatureHandlerRows) available += row.create != nullptr;
    EXPECT_EQ(list.Size(), available);
    ASSERT_GE(list.Size(), 1u);
    ComPtr<IXMLDOMDocument2> capabilities =
        Load(std::wstring(L"<psf:PrintCapabilities version=\"1\" xmlns:psf=\"") + kFrameworkNamespace +
             L"\" xmlns:psk=\"" + kKeywordsNamespace + L"\"/>");
    EXPECT_EQ(Hex(list[0].GetPrintCapabilities(nullptr, nullptr, capabilities.Get())), Hex(S_OK));
}

} // namespace
