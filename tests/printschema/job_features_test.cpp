// Job spooling and the sleep timer between the DEVMODE and PrintTicket /
// PrintCapabilities documents, without a printer (so no storage modes and
// no intelligent sleep), and the cleaning of the texts they carry.
#include "printschema/features/job_spooling.h"
#include "printschema/features/sleep_time.h"
#include "printschema/features/clean_text.h"

#include "support/ticket_support.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <string>

using Microsoft::WRL::ComPtr;

namespace {

::testing::Environment* const kComApartment = ::testing::AddGlobalTestEnvironment(NewComApartment());

const std::wstring kSpooling = L"/f:PrintTicket/f:Feature[@name='kvpsk:JobSpooling']";

std::wstring DataValue(const wchar_t* name)
{
    return std::wstring(L"/f:PrintTicket/f:Property[@name='kvpsk:JobSpoolingData']/f:Property[@name='kvpsk:") + name +
           L"']/f:Value";
}

std::wstring PrivateInit(const wchar_t* name)
{
    return std::wstring(L"/f:PrintTicket/f:ParameterInit[@name='kvpsk:") + name + L"']/f:Value";
}

TEST(TicketTextTest, TextsThatWouldNotEncodeCleanlyAreDropped)
{
    struct Case {
        const char* name;
        std::wstring text;
        size_t capacity;
        std::wstring cleaned;
    } cases[] = {
        {"plain", L"Alice", 10, L"Alice"},
        {"cut to the field", L"Alice", 4, L"Ali"},
        {"exactly the field", L"Alice", 6, L"Alice"},
        {"accented", L"J\x00F6rg", 10, L"J\x00F6rg"},
        {"a pair", L"a\xD83D\xDE00z", 10, L"a\xD83D\xDE00z"},
        {"a pair cut in half", L"ab\xD83D\xDE00", 4, L""},
        {"lone high surrogate", L"a\xD83Dz", 10, L""},
        {"lone low surrogate", L"a\xDE00z", 10, L""},
        {"reversed pair", L"\xDE00\xD83D", 10, L""},
        {"tab", L"a\tb", 10, L""},
        {"C1 control", L"a\x0085", 10, L""},
        {"first above the C1 controls", L"a\x00A0", 10, L"a\x00A0"},
        {"control beyond the cut", L"abc\x0001", 4, L"abc"},
        {"empty", L"", 10, L""},
        {"no room", L"abc", 1, L""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_TRUE(CleanText(c.text.c_str(), c.capacity) == c.cleaned);
    }
    EXPECT_TRUE(CleanText(nullptr, 10).empty());
}

using JobSpoolingTest = HandlerTest<CreateJobSpoolingHandler>;

TEST_F(JobSpoolingTest, SwitchesAndModesRoundTripKeepingTheOtherBits)
{
    struct Case {
        WORD mopy;
        const char *on, *reprint, *systemName;
        WORD back;   // the three fields after the ticket's trip back
    } cases[] = {
        {0x0000, "kvpsk:Off", "kvpsk:LastJobReprint", "kvpsk:On", 0x0000},
        {0x0100, "kvpsk:On", "kvpsk:LastJobReprint", "kvpsk:On", 0x0100},
        {0x0101, "kvpsk:On", "kvpsk:SecurePrint", "kvpsk:On", 0x0101},
        {0x0102, "kvpsk:On", "kvpsk:Public", "kvpsk:On", 0x0102},
        {0x0103, "kvpsk:On", "kvpsk:Proof", "kvpsk:On", 0x0103},
        {0x0105, "kvpsk:On", "kvpsk:LastJobReprint", "kvpsk:On", 0x0100},   // no such mode
        {0x0007, "kvpsk:Off", "kvpsk:LastJobReprint", "kvpsk:On", 0x0000},
        {0x0200, "kvpsk:Off", "kvpsk:LastJobReprint", "kvpsk:Off", 0x0200},
        {0x0303, "kvpsk:On", "kvpsk:Proof", "kvpsk:Off", 0x0303},
        {0xFCF8, "kvpsk:Off", "kvpsk:LastJobReprint", "kvpsk:On", 0x0000},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mopy));
        DriverDevmode source = BlankDevmode();
        source.priv.mopy = c.mopy;
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        EXPECT_EQ(SelectText(ticket.Get(), kSpooling + L"/f:Option/@name"), c.on);
        EXPECT_EQ(SelectText(ticket.Get(), kSpooling + L"/f:Feature[@name='kvpsk:JobSpoolingReprint']/f:Option/@name"),
                  c.reprint);
        EXPECT_EQ(
            SelectText(ticket.Get(), kSpooling + L"/f:Feature[@name='kvpsk:JobSpoolingUseSystemName']/f:Option/@name"),
            c.systemName);

        for (WORD others : {0x0000, 0xFCF8}) {
            DriverDevmode target = BlankDevmode();
            target.priv.mopy = static_cast<WORD>(others | 0x0307);
            ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
            EXPECT_EQ(target.priv.mopy, static_cast<WORD>(others | c.back));
        }
    }
}

TEST_F(JobSpoolingTest, NamesPinAndCodePageRoundTrip)
{
    const std::wstring longUser(200, L'u');
    const std::wstring longJob(200, L'j');
    struct Case {
        const char* name;
        std::wstring user, job, defaultUser, computer;
        SHORT pin;
        DWORD codePage;
        std::wstring ticketUser, ticketJob, ticketDefaultUser;
    } cases[] = {
        {"plain", L"Alice", L"Quarterly report", L"alice", L"DESK-7", 1234, 1252, L"Alice", L"Quarterly report",
         L"alice"},
        {"no pin", L"", L"", L"", L"", -1, 932, L"", L"", L""},
        {"longest texts", longUser, longJob, std::wstring(100, L'd'), std::wstring(40, L'c'), 32767, 65001,
         longUser.substr(0, 127), longJob.substr(0, 125), std::wstring(63, L'd')},
        {"control characters", L"Al\x0001ice", L"Job\nName", L"ok", L"HOST", 0, 1252, L"", L"", L"ok"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        DriverDevmode source = BlankDevmode();
        lstrcpynW(source.priv.mopyUser, c.user.c_str(), 128);
        lstrcpynW(source.priv.mopyJob, c.job.c_str(), 126);
        lstrcpynW(source.priv.processor.spoolDefaultUserName, c.defaultUser.c_str(), 64);
        lstrcpynW(source.priv.spoolComputerName, c.computer.c_str(), 33);
        source.priv.mopyPin = c.pin;
        source.priv.textCodePage = c.codePage;
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        EXPECT_EQ(SelectText(ticket.Get(), PrivateInit(L"JobSpoolingUserName")), Narrow(c.ticketUser));
        EXPECT_EQ(SelectText(ticket.Get(), PrivateInit(L"JobSpoolingJobName")), Narrow(c.ticketJob));
        EXPECT_EQ(SelectText(ticket.Get(), DataValue(L"JobSpoolingDefaultUserName")), Narrow(c.ticketDefaultUser));
        EXPECT_EQ(SelectText(ticket.Get(), DataValue(L"JobSpoolingComputerName")),
                  Narrow(c.computer.substr(0, 32)));
        EXPECT_EQ(SelectText(ticket.Get(), DataValue(L"JobSpoolingPassword")), std::to_string(c.pin));
        EXPECT_EQ(SelectText(ticket.Get(), DataValue(L"JobSpoolingCodePage")), std::to_string(c.codePage));

        DriverDevmode target = BlankDevmode();
        lstrcpyW(target.priv.mopyUser, L"someone else");
        target.priv.mopyPin = 55;
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_TRUE(target.priv.mopyUser == c.ticketUser);
        EXPECT_TRUE(target.priv.mopyJob == c.ticketJob);
        EXPECT_TRUE(target.priv.processor.spoolDefaultUserName == c.ticketDefaultUser);
        EXPECT_EQ(target.priv.mopyJob[125], 0);
        EXPECT_EQ(target.priv.mopyPin, c.pin);
        EXPECT_EQ(target.priv.textCodePage, c.codePage);
    }
}

TEST_F(JobSpoolingTest, TicketsOverrideOnlyWhatTheyGiveWell)
{
    auto data = [](const wchar_t* name, const std::wstring& value, const wchar_t* type) {
        return L"<psf:Property name=\"kvpsk:JobSpoolingData\"><psf:Property name=\"kvpsk:" + std::wstring(name) +
               L"\"><psf:Value xsi:type=\"xsd:" + type + L"\">" + value + L"</psf:Value></psf:Property></psf:Property>";
    };
    struct Case {
        const char* name;
        std::wstring body;
        WORD mopy;
        SHORT pin;
        const wchar_t* user;
    } cases[] = {
        // The DEVMODE before: mopy 0x0101, pin 42, user "Bob".
        {"nothing", L"", 0x0101, 42, L"Bob"},
        {"off", FeatureXml(L"kvpsk:JobSpooling", L"kvpsk:Off"), 0x0001, 42, L"Bob"},
        {"unknown switch", FeatureXml(L"kvpsk:JobSpooling", L"kvpsk:Maybe"), 0x0101, 42, L"Bob"},
        {"switch in the standard namespace", FeatureXml(L"kvpsk:JobSpooling", L"psk:Off"), 0x0101, 42, L"Bob"},
        {"proof", FeatureXml(L"kvpsk:JobSpoolingReprint", L"kvpsk:Proof"), 0x0103, 42, L"Bob"},
        {"no system name", FeatureXml(L"kvpsk:JobSpoolingUseSystemName", L"kvpsk:Off"), 0x0301, 42, L"Bob"},
        {"user name", ParameterInitXml(L"kvpsk:JobSpoolingUserName", L"Carol", L"string"), 0x0101, 42, L"Carol"},
        {"pin", data(L"JobSpoolingPassword", L"9876", L"integer"), 0x0101, 9876, L"Bob"},
        {"pin too large", data(L"JobSpoolingPassword", L"99999", L"integer"), 0x0101, 32767, L"Bob"},
        {"pin too small", data(L"JobSpoolingPassword", L"-99999", L"integer"), 0x0101, -32768, L"Bob"},
        {"pin not a number", data(L"JobSpoolingPassword", L"secret", L"string"), 0x0101, 0, L"Bob"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = BlankDevmode();
        target.priv.mopy = 0x0101;
        target.priv.mopyPin = 42;
        lstrcpyW(target.priv.mopyUser, L"Bob");
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.mopy, c.mopy);
        EXPECT_EQ(target.priv.mopyPin, c.pin);
        EXPECT_TRUE(std::wstring(target.priv.mopyUser) == c.user);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
}

TEST_F(JobSpoolingTest, CapabilitiesWithoutStorageModes)
{
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler_);
    const std::wstring feature = L"/f:PrintCapabilities/f:Feature[@name='kvpsk:JobSpooling']";
    EXPECT_EQ(SelectText(capabilities.Get(), feature + L"/f:Property[@name='psk:DisplayName']/f:Value"), "Job Spooling");
    EXPECT_EQ(SelectText(capabilities.Get(), feature + L"/f:Option[@name='kvpsk:Off']/f:Property/f:Value"), "OFF");
    EXPECT_EQ(SelectText(capabilities.Get(), feature + L"/f:Option[@name='kvpsk:On']/f:Property/f:Value"), "on");
    // No printer, no storage: there is no mode to choose.
    EXPECT_EQ(SelectCount(capabilities.Get(), L"//f:Feature[@name='kvpsk:JobSpoolingReprint']"), 0);
    EXPECT_EQ(SelectCount(capabilities.Get(), feature + L"/f:Feature[@name='kvpsk:JobSpoolingUseSystemName']/f:Option"),
              2);
    for (const wchar_t* parameter : {L"JobSpoolingUserName", L"JobSpoolingJobName"}) {
        SCOPED_TRACE(Narrow(parameter));
        std::wstring definition = std::wstring(L"/f:PrintCapabilities/f:ParameterDef[@name='kvpsk:") + parameter + L"']";
        EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:MaxLength']/f:Value"), "80");
        EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:MinLength']/f:Value"), "0");
        EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:UnitType']/f:Value"), "Characters");
    }
}

using SleepTimeTest = HandlerTest<CreateSleepTimeHandler>;

TEST_F(SleepTimeTest, ModesAndTimesRoundTrip)
{
    struct Case {
        WORD mode, time;
        const char* option;
        const char* minutes;
        WORD backMode, backTime;
    } cases[] = {
        {0, 5, "kvpsk:Auto", "5", 0, 5},
        {1, 10, "kvpsk:PrinterDefault", "10", 1, 10},
        {3, 30, "kvpsk:Manual", "30", 3, 30},
        {2, 1, "kvpsk:Off", "1", 2, 1},
        {3, 99, "kvpsk:Manual", "99", 3, 99},
        {3, 0, "kvpsk:Manual", "5", 3, 5},
        {3, 100, "kvpsk:Manual", "5", 3, 5},
        {3, 120, "kvpsk:Manual", "5", 3, 5},
        {4, 15, "kvpsk:Auto", "15", 0, 15},      // unknown modes read as intelligent sleep
        {0xFFFF, 15, "kvpsk:Auto", "15", 0, 15},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.mode) + " " + std::to_string(c.time));
        DriverDevmode source = BlankDevmode();
        source.priv.sleepMode = c.mode;
        source.priv.sleepTime = c.time;
        ComPtr<IXMLDOMDocument2> ticket = TicketFrom(*handler_, source);
        EXPECT_EQ(SelectText(ticket.Get(), L"/f:PrintTicket/f:Feature[@name='kvpsk:JobSleepTime']/f:Option/@name"),
                  c.option);
        EXPECT_EQ(SelectText(ticket.Get(), PrivateInit(L"JobSleepTimeManualTime")), c.minutes);

        DriverDevmode target = BlankDevmode();
        target.priv.sleepMode = 1;
        target.priv.sleepTime = 77;
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.sleepMode, c.backMode);
        EXPECT_EQ(target.priv.sleepTime, c.backTime);
    }
}

TEST_F(SleepTimeTest, TicketsOverrideOnlyWhatTheyGiveWell)
{
    const std::wstring feature = L"kvpsk:JobSleepTime";
    const std::wstring time = L"kvpsk:JobSleepTimeManualTime";
    struct Case {
        const char* name;
        std::wstring body;
        WORD mode, time;
    } cases[] = {
        // The DEVMODE before: printer default (1), 30 minutes.
        {"nothing", L"", 1, 30},
        {"auto", FeatureXml(feature, L"kvpsk:Auto"), 0, 30},
        {"manual", FeatureXml(feature, L"kvpsk:Manual") + ParameterInitXml(time, L"45"), 3, 45},
        {"off", FeatureXml(feature, L"kvpsk:Off"), 2, 30},
        {"unknown", FeatureXml(feature, L"kvpsk:Never"), 1, 30},
        {"standard namespace", FeatureXml(feature, L"psk:Off"), 1, 30},
        {"time too long", ParameterInitXml(time, L"500"), 1, 99},
        {"time zero", ParameterInitXml(time, L"0"), 1, 1},
        {"time negative", ParameterInitXml(time, L"-3"), 1, 1},
        {"time not a number", ParameterInitXml(time, L"soon", L"string"), 1, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ComPtr<IXMLDOMDocument2> ticket = NewTicket(c.body);
        DriverDevmode target = BlankDevmode();
        target.priv.sleepMode = 1;
        target.priv.sleepTime = 30;
        ASSERT_EQ(Hex(HandlerToDevMode(*handler_, ticket.Get(), target)), Hex(S_OK));
        EXPECT_EQ(target.priv.sleepMode, c.mode);
        EXPECT_EQ(target.priv.sleepTime, c.time);
        EXPECT_EQ(Hex(handler_->ValidatePrintTicket(nullptr, ticket.Get())), Hex(S_PT_NO_CONFLICT));
    }
}

TEST_F(SleepTimeTest, CapabilitiesWithoutIntelligentSleep)
{
    ComPtr<IXMLDOMDocument2> capabilities = CapabilitiesOf(*handler_);
    const std::wstring feature = L"/f:PrintCapabilities/f:Feature[@name='kvpsk:JobSleepTime']";
    EXPECT_EQ(SelectText(capabilities.Get(), feature + L"/f:Property[@name='psk:DisplayName']/f:Value"), "Sleep Time");
    struct Option {
        const wchar_t* name;
        const char *display, *constrained;
    } options[] = {
        {L"Auto", "Auto (Intelligent Sleep Mode)", "psk:DeviceSettings"},
        {L"PrinterDefault", "Printer Default", "psk:None"},
        {L"Manual", "Manual", "psk:None"},
        {L"Off", "Off", "psk:None"},
    };
    for (const Option& o : options) {
        SCOPED_TRACE(Narrow(o.name));
        std::wstring option = feature + L"/f:Option[@name='kvpsk:" + o.name + L"']";
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/f:Property[@name='psk:DisplayName']/f:Value"), o.display);
        EXPECT_EQ(SelectText(capabilities.Get(), option + L"/@constrained"), o.constrained);
    }
    const std::wstring definition = L"/f:PrintCapabilities/f:ParameterDef[@name='kvpsk:JobSleepTimeManualTime']";
    struct Property {
        const wchar_t* name;
        const char* value;
    } properties[] = {{L"DefaultValue", "5"}, {L"MinValue", "1"}, {L"MaxValue", "99"}, {L"Multiple", "1"},
                      {L"UnitType", "minutes"}};
    for (const Property& p : properties)
        EXPECT_EQ(SelectText(capabilities.Get(), definition + L"/f:Property[@name='psf:" + p.name + L"']/f:Value"), p.value)
            << Narrow(p.name);
}

}  // namespace
