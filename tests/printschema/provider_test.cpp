// The print-ticket provider as the platform's PrintTicket services use it:
// through the class object of the installed module, bound to the installed
// queue. Argument checks, the DEVMODE the provider hands back, documents
// through the handlers, and the references and memory every call returns.
#include "printschema/print_ticket_provider.h"
#include "settings/driver_devmode.h"

#include "support/com_support.h"
#include "support/task_memory_counter.h"

#include <gtest/gtest.h>

#include <wrl/client.h>

#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

extern "C" void WINAPI SetOaNoCache(void);

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kQueue[] = L"Zentari TX-3390N";
const CLSID kOtherClsid = {0x12345678, 0x1234, 0x1234, {1, 2, 3, 4, 5, 6, 7, 8}};

using GetClassObjectFunction = HRESULT(WINAPI*)(REFCLSID, REFIID, void**);
using CanUnloadNowFunction = HRESULT(WINAPI*)();



// A ticket as an application starts one: only the framework declared, so
// the provider has to declare what its handlers write with.
ComPtr<IXMLDOMDocument2> Ticket(const std::wstring& body = L"")
{
    return Load(std::wstring(L"<psf:PrintTicket xmlns:psf=\"") + kFrameworkNamespace + L"\" xmlns:psk=\"" +
                kKeywordsNamespace + L"\" version=\"1\">" + body + L"</psf:PrintTicket>");
}

std::string Text(IXMLDOMDocument2* document, const std::wstring& query)
{
    std::wstring bindings = std::wstring(L"xmlns:f='") + kFrameworkNamespace + L"' xmlns:k='" +
                            kKeywordsNamespace + L"'";
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString(bindings.c_str());
    BSTR name = SysAllocString(L"SelectionNamespaces");
    document->setProperty(name, value);
    SysFreeString(name);
    VariantClear(&value);
    BSTR q = SysAllocString(query.c_str());
    ComPtr<IXMLDOMNode> node;
    HRESULT hr = document->selectSingleNode(q, &node);
    SysFreeString(q);
    if (hr != S_OK || !node) return "<none>";
    BSTR text = nullptr;
    node->get_text(&text);
    std::string result = Narrow(text ? text : L"");
    SysFreeString(text);
    return result;
}

// The module the test bed registered for the provider's class, loaded the
// way COM loads it, so both share the module's state.
HMODULE InstalledModule()
{
    std::wstring key = L"Software\\Classes\\CLSID\\{46AC151B-8490-4531-96CC-55BF2BF19E11}\\InprocServer32";
    wchar_t path[MAX_PATH] = {};
    DWORD size = sizeof path;
    if (RegGetValueW(HKEY_LOCAL_MACHINE, key.c_str(), nullptr, RRF_RT_REG_SZ, nullptr, path, &size) !=
        ERROR_SUCCESS)
        return nullptr;
    return LoadLibraryW(path);
}

// One counter for the run: the spy belongs to the process and cannot be
// revoked while anything it saw is still allocated.
AllocationCounter allocations;

// Not declared by the platform headers this build uses.
extern "C" void WINAPI SetOaNoCache(void);

class ComEnvironment : public ::testing::Environment {
public:
    void SetUp() override
    {
        ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
        // Freed BSTRs go back to the allocator at once: a cache that keeps
        // some would make the count depend on how many strings the
        // provider's handlers made before.
        SetOaNoCache();
        ASSERT_EQ(Hex(CoRegisterMallocSpy(&allocations)), Hex(S_OK));
    }
    void TearDown() override
    {
        CoRevokeMallocSpy();
        CoUninitialize();
    }
};
::testing::Environment* const kComEnvironment = ::testing::AddGlobalTestEnvironment(new ComEnvironment);

class ProviderTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        module_ = InstalledModule();
        ASSERT_TRUE(module_) << "the test bed did not register the provider";
        getClassObject_ = reinterpret_cast<GetClassObjectFunction>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllGetClassObject")));
        canUnloadNow_ = reinterpret_cast<CanUnloadNowFunction>(
            reinterpret_cast<void*>(GetProcAddress(module_, "DllCanUnloadNow")));
        ASSERT_TRUE(getClassObject_ && canUnloadNow_);
        ASSERT_TRUE(OpenPrinterW(const_cast<wchar_t*>(kQueue), &printer_, nullptr));
        ASSERT_EQ(Hex(CoCreateInstance(CLSID_PrintTicketProvider, nullptr, CLSCTX_INPROC_SERVER,
                                       IID_IPrintTicketProvider,
                                       reinterpret_cast<void**>(provider_.GetAddressOf()))),
                  Hex(S_OK));
        Bind();
        allocatedAtStart_ = allocations.Outstanding();
    }

    void TearDown() override
    {
        if (provider_) {
            EXPECT_EQ(References(provider_.Get()), 1u);
        }
        provider_.Reset();
        if (printer_) ClosePrinter(printer_);
        if (module_) FreeLibrary(module_);
    }

    void Bind()
    {
        SHIMOPTS options = PTSHIM_DEFAULT;
        DWORD flags = 0;
        INT count = -1;
        BSTR* namespaces = reinterpret_cast<BSTR*>(1);
        ASSERT_EQ(Hex(provider_->BindPrinter(printer_, 1, &options, &flags, &count, &namespaces)), Hex(S_OK));
        EXPECT_EQ(options, PTSHIM_NOSNAPSHOT);
        EXPECT_EQ(flags, 0xFFFFFFFFu);
        EXPECT_EQ(count, 0);
        EXPECT_EQ(namespaces, nullptr);
    }

    // The queue's current DEVMODE, whole.
    std::vector<BYTE> PrinterDevmode()
    {
        DWORD needed = 0;
        GetPrinterW(printer_, 2, nullptr, 0, &needed);
        std::vector<BYTE> info(needed);
        EXPECT_TRUE(GetPrinterW(printer_, 2, info.data(), needed, &needed));
        const DEVMODEW* current = reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pDevMode;
        EXPECT_TRUE(current);
        if (!current) return {};
        const BYTE* bytes = reinterpret_cast<const BYTE*>(current);
        return std::vector<BYTE>(bytes, bytes + current->dmSize + current->dmDriverExtra);
    }

    // Converts a ticket into the given DEVMODE and hands back a copy of the
    // result, checking what every output must be.
    DriverDevmode ToDevMode(IXMLDOMDocument2* ticket, const void* devmode, ULONG cb, HRESULT expected = S_OK)
    {
        ULONG cbOut = 0;
        DEVMODEW* out = nullptr;
        std::vector<BYTE> input(static_cast<const BYTE*>(devmode), static_cast<const BYTE*>(devmode) + cb);
        EXPECT_EQ(Hex(provider_->ConvertPrintTicketToDevMode(ticket, cb, reinterpret_cast<DEVMODEW*>(input.data()),
                                                             &cbOut, &out)),
                  Hex(expected));
        DriverDevmode result{};
        EXPECT_EQ(cbOut, kDriverDevmodeSize);
        EXPECT_TRUE(out);
        if (out) {
            memcpy(&result, out, sizeof result);
            CoTaskMemFree(out);
        }
        EXPECT_EQ(result.pub.dmDriverVersion, kProviderDriverVersion);
        return result;
    }

    HMODULE                          module_ = nullptr;
    GetClassObjectFunction           getClassObject_ = nullptr;
    CanUnloadNowFunction             canUnloadNow_ = nullptr;
    HANDLE                           printer_ = nullptr;
    ComPtr<IPrintTicketProvider>     provider_;
    LONG                             allocatedAtStart_ = 0;

    // Task memory allocated since the test began and not freed.
    LONG Leaked() const { return allocations.Outstanding() - allocatedAtStart_; }
};

TEST_F(ProviderTest, TheClassObjectServesOnlyTheProviderClassAndTheFactoryInterfaces)
{
    struct Case {
        const char* name;
        const CLSID* clsid;
        const IID*   iid;
        HRESULT      expected;
    } cases[] = {
        {"IUnknown", &CLSID_PrintTicketProvider, &IID_IUnknown, S_OK},
        {"IClassFactory", &CLSID_PrintTicketProvider, &IID_IClassFactory, S_OK},
        {"provider interface", &CLSID_PrintTicketProvider, &IID_IPrintTicketProvider, E_NOINTERFACE},
        {"IStream", &CLSID_PrintTicketProvider, &IID_IStream, E_NOINTERFACE},
        {"other class", &kOtherClsid, &IID_IClassFactory, CLASS_E_CLASSNOTAVAILABLE},
        {"DOM class", &CLSID_DOMDocument60, &IID_IUnknown, CLASS_E_CLASSNOTAVAILABLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IUnknown* object = reinterpret_cast<IUnknown*>(1);
        EXPECT_EQ(Hex(getClassObject_(*c.clsid, *c.iid, reinterpret_cast<void**>(&object))), Hex(c.expected));
        if (c.expected == S_OK) {
            ASSERT_TRUE(object);
            EXPECT_EQ(object->Release(), 0u) << "the caller holds the only reference";
        } else {
            EXPECT_EQ(object, nullptr);
        }
    }
    EXPECT_EQ(Hex(getClassObject_(CLSID_PrintTicketProvider, IID_IClassFactory, nullptr)), Hex(E_POINTER));
}

TEST_F(ProviderTest, TheFactoryMakesProvidersAndRefusesAggregationAndOtherInterfaces)
{
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(Hex(getClassObject_(CLSID_PrintTicketProvider, IID_IClassFactory,
                                  reinterpret_cast<void**>(factory.GetAddressOf()))),
              Hex(S_OK));
    struct Case {
        const char* name;
        IUnknown*   outer;
        const IID*  iid;
        HRESULT     expected;
    } cases[] = {
        {"provider interface", nullptr, &IID_IPrintTicketProvider, S_OK},
        {"IUnknown", nullptr, &IID_IUnknown, S_OK},
        {"IClassFactory", nullptr, &IID_IClassFactory, E_NOINTERFACE},
        {"IDispatch", nullptr, &IID_IDispatch, E_NOINTERFACE},
        {"aggregated", factory.Get(), &IID_IUnknown, CLASS_E_NOAGGREGATION},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        IUnknown* object = reinterpret_cast<IUnknown*>(1);
        EXPECT_EQ(Hex(factory->CreateInstance(c.outer, *c.iid, reinterpret_cast<void**>(&object))),
                  Hex(c.expected));
        if (c.expected == S_OK) {
            ASSERT_TRUE(object);
            // Either interface leads to the other and back to the same object.
            ComPtr<IPrintTicketProvider> provider;
            EXPECT_EQ(Hex(object->QueryInterface(IID_IPrintTicketProvider,
                                                 reinterpret_cast<void**>(provider.GetAddressOf()))),
                      Hex(S_OK));
            IUnknown* unknown = nullptr;
            EXPECT_EQ(Hex(provider->QueryInterface(IID_IUnknown, reinterpret_cast<void**>(&unknown))), Hex(S_OK));
            EXPECT_EQ(unknown, object);
            EXPECT_EQ(unknown->Release(), 2u);
            provider.Reset();
            EXPECT_EQ(object->Release(), 0u);
        } else {
            EXPECT_EQ(object, nullptr);
        }
    }
    EXPECT_EQ(Hex(factory->CreateInstance(nullptr, IID_IUnknown, nullptr)), Hex(E_POINTER));
    void* none = reinterpret_cast<void*>(1);
    EXPECT_EQ(Hex(provider_->QueryInterface(IID_IClassFactory, &none)), Hex(E_NOINTERFACE));
    EXPECT_EQ(none, nullptr);
    EXPECT_EQ(Hex(provider_->QueryInterface(IID_IUnknown, nullptr)), Hex(E_POINTER));
}

TEST_F(ProviderTest, OnlyServerLocksKeepTheModuleLoaded)
{
    // A live provider (the fixture's) does not count.
    EXPECT_EQ(Hex(canUnloadNow_()), Hex(S_OK));
    ComPtr<IClassFactory> factory;
    ASSERT_EQ(Hex(getClassObject_(CLSID_PrintTicketProvider, IID_IClassFactory,
                                  reinterpret_cast<void**>(factory.GetAddressOf()))),
              Hex(S_OK));
    EXPECT_EQ(Hex(factory->LockServer(TRUE)), Hex(S_OK));
    EXPECT_EQ(Hex(factory->LockServer(TRUE)), Hex(S_OK));
    EXPECT_EQ(Hex(canUnloadNow_()), Hex(S_FALSE));
    EXPECT_EQ(Hex(factory->LockServer(FALSE)), Hex(S_OK));
    EXPECT_EQ(Hex(canUnloadNow_()), Hex(S_FALSE)) << "one lock is still held";
    // The lock outlives the factory that took it.
    factory.Reset();
    EXPECT_EQ(Hex(canUnloadNow_()), Hex(S_FALSE));
    ASSERT_EQ(Hex(getClassObject_(CLSID_PrintTicketProvider, IID_IClassFactory,
                                  reinterpret_cast<void**>(factory.GetAddressOf()))),
              Hex(S_OK));
    EXPECT_EQ(Hex(factory->LockServer(FALSE)), Hex(S_OK));
    EXPECT_EQ(Hex(canUnloadNow_()), Hex(S_OK));
}

TEST_F(ProviderTest, BindingChecksItsArgumentsBeforeTheHandleAndTheHandleBeforeTheVersion)
{
    SHIMOPTS options = PTSHIM_DEFAULT;
    DWORD flags = 7;
    INT count = 5;
    BSTR sentinel = reinterpret_cast<BSTR>(1);
    BSTR* namespaces = &sentinel;
    struct Case {
        const char* name;
        HANDLE      printer;
        INT         version;
        PSHIMOPTS   options;
        DWORD*      flags;
        INT*        count;
        BSTR**      namespaces;
        HRESULT     expected;
    } cases[] = {
        {"no options", nullptr, 1, nullptr, &flags, &count, &namespaces, E_POINTER},
        {"no count", nullptr, 1, &options, &flags, nullptr, &namespaces, E_POINTER},
        {"no namespaces", nullptr, 1, &options, &flags, &count, nullptr, E_POINTER},
        {"no flags", nullptr, 1, &options, nullptr, &count, &namespaces, E_POINTER},
        {"no handle", nullptr, 1, &options, &flags, &count, &namespaces, E_HANDLE},
        {"no handle, version 2", nullptr, 2, &options, &flags, &count, &namespaces, E_HANDLE},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Hex(provider_->BindPrinter(c.printer, c.version, c.options, c.flags, c.count, c.namespaces)),
                  Hex(c.expected));
        EXPECT_EQ(count, 5);
        EXPECT_EQ(namespaces, &sentinel);
        EXPECT_EQ(flags, 7u);
        EXPECT_EQ(options, PTSHIM_DEFAULT);
    }
    // An unknown version has already emptied the namespace list.
    EXPECT_EQ(Hex(provider_->BindPrinter(printer_, 2, &options, &flags, &count, &namespaces)),
              Hex(E_VERSION_NOT_SUPPORTED));
    EXPECT_EQ(count, 0);
    EXPECT_EQ(namespaces, nullptr);
    EXPECT_EQ(flags, 7u);
    EXPECT_EQ(options, PTSHIM_DEFAULT);
}

TEST_F(ProviderTest, VersionsAndNamespaceAreTheCallersToFree)
{
    INT* versions = nullptr;
    INT count = -1;
    EXPECT_EQ(Hex(provider_->GetSupportedVersions(printer_, nullptr, &count)), Hex(E_POINTER));
    EXPECT_EQ(Hex(provider_->GetSupportedVersions(printer_, &versions, nullptr)), Hex(E_POINTER));
    ASSERT_EQ(Hex(provider_->GetSupportedVersions(nullptr, &versions, &count)), Hex(S_OK));
    ASSERT_EQ(count, 1);
    ASSERT_TRUE(versions);
    EXPECT_EQ(versions[0], 1);
    EXPECT_EQ(Leaked(), 1);
    CoTaskMemFree(versions);

    EXPECT_EQ(Hex(provider_->QueryDeviceNamespace(nullptr)), Hex(E_POINTER));
    BSTR uri = nullptr;
    ASSERT_EQ(Hex(provider_->QueryDeviceNamespace(&uri)), Hex(S_OK));
    std::wstring text(uri, SysStringLen(uri));
    SysFreeString(uri);
    EXPECT_NE(text.find(L"/pxm/printing/2006/11/printschemakeywords"), std::wstring::npos) << Narrow(text);
    EXPECT_EQ(Leaked(), 0);
}

TEST_F(ProviderTest, NullArgumentsAreRefusedInEveryPosition)
{
    ComPtr<IXMLDOMDocument2> ticket = Ticket();
    DriverDevmode record{};
    ULONG cb = 0;
    DEVMODEW* out = nullptr;
    struct Case {
        const char*       name;
        IXMLDOMDocument2* ticket;
        DEVMODEW*         devmode;
        ULONG*            cbOut;
        DEVMODEW**        out;
    } toDevMode[] = {
        {"ticket", nullptr, &record.pub, &cb, &out},
        {"DEVMODE", ticket.Get(), nullptr, &cb, &out},
        {"output size", ticket.Get(), &record.pub, nullptr, &out},
        {"output", ticket.Get(), &record.pub, &cb, nullptr},
    };
    for (const Case& c : toDevMode) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(Hex(provider_->ConvertPrintTicketToDevMode(c.ticket, sizeof record, c.devmode, c.cbOut, c.out)),
                  Hex(E_POINTER));
        EXPECT_EQ(cb, 0u);
        EXPECT_EQ(out, nullptr);
    }
    EXPECT_EQ(Hex(provider_->ConvertDevModeToPrintTicket(sizeof record, nullptr, ticket.Get())), Hex(E_POINTER));
    EXPECT_EQ(Hex(provider_->ConvertDevModeToPrintTicket(sizeof record, &record.pub, nullptr)), Hex(E_POINTER));
    EXPECT_EQ(Hex(provider_->GetPrintCapabilities(ticket.Get(), nullptr)), Hex(E_POINTER));
    EXPECT_EQ(Hex(provider_->ValidatePrintTicket(nullptr)), Hex(E_POINTER));
    EXPECT_EQ(References(ticket.Get()), 1u);
}

TEST_F(ProviderTest, ForeignDevmodesKeepTheirPublicPartOnly)
{
    const std::vector<BYTE> current = PrinterDevmode();
    ASSERT_GE(current.size(), sizeof(DriverDevmode));
    const DriverDevmode& printer = *reinterpret_cast<const DriverDevmode*>(current.data());
    // Handlers bring some stored values into their own form (a header
    // format's numbering, a font weight), so a foreign record's private part
    // is what the printer's own DEVMODE becomes, not its bytes.
    const DriverDevmode converted = ToDevMode(Ticket().Get(), current.data(), kDriverDevmodeSize);

    // Display fields no handler writes show where the public bytes came from.
    constexpr ULONG kDmSizeEnd = offsetof(DEVMODEW, dmSize) + sizeof(WORD);
    struct Case {
        const char* name;
        ULONG       cb;
        WORD        dmSize;
        bool        privateTag;
        bool        nameFromCaller;
        bool        pelsFromCaller;
    } cases[] = {
        {"whole size without PRIV", kDriverDevmodeSize, kPublicDevmodeSize, false, true, true},
        {"public part only", kPublicDevmodeSize, kPublicDevmodeSize, false, true, true},
        {"older public part", 156, 156, false, true, false},
        {"dmSize shorter than the buffer", kDriverDevmodeSize, 100, false, true, false},
        {"dmSize beyond the buffer", 120, kPublicDevmodeSize, false, true, false},
        {"too short to read dmSize", 40, 0xFFFF, false, true, false},
        {"just long enough for dmSize", kDmSizeEnd, 30, false, true, false},
        {"larger than ours", 4096, kPublicDevmodeSize, true, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<BYTE> foreign(c.cb < sizeof(DriverDevmode) ? sizeof(DriverDevmode) : c.cb, 0xAB);
        auto* record = reinterpret_cast<DriverDevmode*>(foreign.data());
        wcscpy(record->pub.dmDeviceName, L"Foreign");
        // Only the first cb bytes reach the provider.
        record->pub.dmSize = c.dmSize;
        record->pub.dmPaperSize = DMPAPER_A4;
        record->pub.dmOrientation = DMORIENT_PORTRAIT;
        record->pub.dmPelsWidth = 1234;
        record->priv.tag = c.privateTag ? kPrivateTag : 0x4E474946;
        DriverDevmode out = ToDevMode(Ticket().Get(), foreign.data(), c.cb);

        EXPECT_EQ(out.pub.dmSize, printer.pub.dmSize);
        EXPECT_EQ(out.pub.dmDriverExtra, printer.pub.dmDriverExtra);
        EXPECT_EQ(Narrow(out.pub.dmDeviceName),
                  c.nameFromCaller ? "Foreign" : Narrow(printer.pub.dmDeviceName));
        EXPECT_EQ(out.pub.dmPelsWidth, c.pelsFromCaller ? 1234u : printer.pub.dmPelsWidth);
        EXPECT_EQ(out.priv.tag, kPrivateTag);
        EXPECT_EQ(memcmp(&out.priv, &converted.priv, sizeof out.priv), 0) << "the private part is the printer's";
    }
}

TEST_F(ProviderTest, OurOwnDevmodeIsConvertedAsItIs)
{
    DriverDevmode mine = ToDevMode(Ticket().Get(), PrinterDevmode().data(), kDriverDevmodeSize);
    mine.pub.dmDriverVersion = 0x0100;
    mine.pub.dmPelsWidth = 4321;
    mine.priv.renderFlags ^= 0x00010000;
    DriverDevmode out = ToDevMode(Ticket().Get(), &mine, sizeof mine);
    EXPECT_EQ(out.pub.dmPelsWidth, 4321u);
    EXPECT_EQ(out.priv.renderFlags, mine.priv.renderFlags);
}

TEST_F(ProviderTest, ForeignDevmodesNeedThePrintersDevmode)
{
    DriverDevmode mine = ToDevMode(Ticket().Get(), PrinterDevmode().data(), kDriverDevmodeSize);
    ComPtr<IPrintTicketProvider> unbound;
    ASSERT_EQ(Hex(CoCreateInstance(CLSID_PrintTicketProvider, nullptr, CLSCTX_INPROC_SERVER, IID_IPrintTicketProvider,
                                   reinterpret_cast<void**>(unbound.GetAddressOf()))),
              Hex(S_OK));
    ComPtr<IXMLDOMDocument2> ticket = Ticket();
    struct Case {
        const char* name;
        ULONG       cb;
        HRESULT     expected;
    } cases[] = {
        {"ours", kDriverDevmodeSize, S_OK},
        {"public part only", kPublicDevmodeSize, E_INVALIDARG},
        {"larger than ours", kDriverDevmodeSize + 8, E_INVALIDARG},
    };
    std::vector<BYTE> buffer(kDriverDevmodeSize + 8);
    memcpy(buffer.data(), &mine, sizeof mine);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        ULONG cbOut = 0;
        DEVMODEW* out = nullptr;
        EXPECT_EQ(Hex(unbound->ConvertPrintTicketToDevMode(ticket.Get(), c.cb,
                                                           reinterpret_cast<DEVMODEW*>(buffer.data()), &cbOut, &out)),
                  Hex(c.expected));
        EXPECT_EQ(cbOut, c.expected == S_OK ? kDriverDevmodeSize : 0u);
        EXPECT_EQ(out != nullptr, c.expected == S_OK);
        CoTaskMemFree(out);
        EXPECT_EQ(Hex(unbound->ConvertDevModeToPrintTicket(c.cb, reinterpret_cast<DEVMODEW*>(buffer.data()),
                                                           ticket.Get())),
                  Hex(c.expected));
    }
    EXPECT_EQ(References(ticket.Get()), 1u);
}

TEST_F(ProviderTest, PapersAndOrientationsRoundTripThroughTheProvider)
{
    DriverDevmode base = ToDevMode(Ticket().Get(), PrinterDevmode().data(), kDriverDevmodeSize);
    ComPtr<IXMLDOMDocument2> keep = Ticket();
    const ULONG ticketReferences = References(keep.Get());
    struct Case {
        short       paper;
        const char* keyword;
    } cases[] = {
        {DMPAPER_A4, "psk:ISOA4"},
        {DMPAPER_LETTER, "psk:NorthAmericaLetter"},
        {DMPAPER_A5, "psk:ISOA5"},
        {DMPAPER_LEGAL, "psk:NorthAmericaLegal"},
    };
    for (const Case& c : cases) {
        for (short orientation : {DMORIENT_PORTRAIT, DMORIENT_LANDSCAPE}) {
            SCOPED_TRACE(std::string(c.keyword) + (orientation == DMORIENT_PORTRAIT ? " portrait" : " landscape"));
            DriverDevmode source = base;
            source.pub.dmPaperSize = c.paper;
            source.pub.dmOrientation = orientation;
            ComPtr<IXMLDOMDocument2> ticket = Ticket();
            const ULONG before = References(ticket.Get());
            ASSERT_EQ(Hex(provider_->ConvertDevModeToPrintTicket(sizeof source, &source.pub, ticket.Get())),
                      Hex(S_OK));
            EXPECT_EQ(References(ticket.Get()), before);
            EXPECT_EQ(Text(ticket.Get(), L"//f:Feature[@name='psk:PageMediaSize']/f:Option/@name"), c.keyword);
            EXPECT_EQ(Hex(provider_->ValidatePrintTicket(ticket.Get())), Hex(S_PT_NO_CONFLICT));

            DriverDevmode other = base;
            other.pub.dmPaperSize = DMPAPER_A3;
            other.pub.dmOrientation = orientation == DMORIENT_PORTRAIT ? DMORIENT_LANDSCAPE : DMORIENT_PORTRAIT;
            DriverDevmode back = ToDevMode(ticket.Get(), &other, sizeof other);
            EXPECT_EQ(back.pub.dmPaperSize, c.paper);
            EXPECT_EQ(back.pub.dmOrientation, orientation);
            EXPECT_EQ(References(ticket.Get()), before);
        }
    }
    EXPECT_EQ(References(keep.Get()), ticketReferences);
}

TEST_F(ProviderTest, ValidationReportsWhatTheHandlersCorrected)
{
    ComPtr<IXMLDOMDocument2> ticket = Ticket();
    EXPECT_EQ(Hex(provider_->ValidatePrintTicket(ticket.Get())), Hex(S_PT_CONFLICT_RESOLVED));
    EXPECT_EQ(Hex(provider_->ValidatePrintTicket(ticket.Get())), Hex(S_PT_NO_CONFLICT));
    EXPECT_EQ(References(ticket.Get()), 1u);
}

TEST_F(ProviderTest, CapabilitiesWithoutATicketDeclareEveryNamespace)
{
    IXMLDOMDocument2* capabilities = nullptr;
    ASSERT_EQ(Hex(provider_->GetPrintCapabilities(nullptr, &capabilities)), Hex(S_OK));
    ASSERT_TRUE(capabilities);
    ComPtr<IXMLDOMElement> root;
    ASSERT_EQ(Hex(capabilities->get_documentElement(&root)), Hex(S_OK));
    BSTR name = nullptr;
    root->get_nodeName(&name);
    EXPECT_EQ(Narrow(name), "psf:PrintCapabilities");
    SysFreeString(name);
    BSTR uri = nullptr;
    root->get_namespaceURI(&uri);
    EXPECT_EQ(Narrow(uri ? uri : L""), Narrow(kFrameworkNamespace)) << "the prefix is bound after the re-load";
    SysFreeString(uri);
    const struct {
        const wchar_t* name;
        std::wstring   value;
    } attributes[] = {
        {L"xmlns:psf", kFrameworkNamespace},   {L"xmlns:xsi", kSchemaInstanceNamespace},
        {L"xmlns:xsd", kSchemaNamespace},      {L"version", L"1"},
        {L"xmlns:kvpsk", kPrivateKeywordsNamespace}, {L"xmlns:psk", kKeywordsNamespace},
    };
    for (const auto& attribute : attributes) {
        SCOPED_TRACE(Narrow(attribute.name));
        BSTR attributeName = SysAllocString(attribute.name);
        VARIANT value;
        VariantInit(&value);
        EXPECT_EQ(Hex(root->getAttribute(attributeName, &value)), Hex(S_OK));
        EXPECT_EQ(Narrow(value.vt == VT_BSTR ? value.bstrVal : L"<none>"), Narrow(attribute.value));
        VariantClear(&value);
        SysFreeString(attributeName);
    }
    // What the handlers added made it into the caller's document.
    EXPECT_NE(Text(capabilities, L"//f:Feature[@name='psk:PageMediaSize']/@name"), "<none>");
    root.Reset();
    EXPECT_EQ(capabilities->Release(), 0u);
}

TEST_F(ProviderTest, RepeatedConversionsLeaveNoTaskMemoryOrReferencesBehind)
{
    // MSXML and the string cache keep some memory after a first use; what a
    // call leaks shows up once per call after that.
    DriverDevmode record = ToDevMode(Ticket().Get(), PrinterDevmode().data(), kDriverDevmodeSize);
    ComPtr<IXMLDOMDocument2> ticket = Ticket();
    DriverDevmode foreign = record;
    foreign.priv.tag = 0;
    auto round = [&] {
        EXPECT_EQ(Hex(provider_->ConvertDevModeToPrintTicket(sizeof record, &record.pub, ticket.Get())), Hex(S_OK));
        ToDevMode(ticket.Get(), &record, sizeof record);
        ToDevMode(ticket.Get(), &foreign, kPublicDevmodeSize);
        EXPECT_EQ(Hex(provider_->ValidatePrintTicket(ticket.Get())), Hex(S_PT_NO_CONFLICT));
        IXMLDOMDocument2* capabilities = nullptr;
        EXPECT_EQ(Hex(provider_->GetPrintCapabilities(ticket.Get(), &capabilities)), Hex(S_OK));
        if (capabilities) {
            EXPECT_EQ(capabilities->Release(), 0u);
        }
        BSTR uri = nullptr;
        EXPECT_EQ(Hex(provider_->QueryDeviceNamespace(&uri)), Hex(S_OK));
        SysFreeString(uri);
    };
    round();
    const LONG warm = allocations.Outstanding();
    for (int i = 0; i < 8; ++i) round();
    EXPECT_LT(allocations.Outstanding() - warm, 8) << "task memory grows with every call";
    EXPECT_EQ(References(ticket.Get()), 1u);
}

// A handler whose validation result the test decides, to see how the
// provider combines the results of several.
class ScriptedHandler : public FeatureHandler {
public:
    static HRESULT next[3];
    static int calls;

    HRESULT PrintTicketToDevMode(HANDLE, IXMLDOMDocument2*, ULONG, DEVMODEW*, ULONG, PrivateSettings*) override
    {
        return S_OK;
    }
    HRESULT DevModeToPrintTicket(HANDLE, ULONG, DEVMODEW*, ULONG, PrivateSettings*, IXMLDOMDocument2*) override
    {
        return S_OK;
    }
    HRESULT GetPrintCapabilities(HANDLE, IXMLDOMDocument2*, IXMLDOMDocument2*) override { return S_OK; }
    HRESULT ValidatePrintTicket(HANDLE, IXMLDOMDocument2*) override { return next[calls++]; }
};
HRESULT ScriptedHandler::next[3];
int ScriptedHandler::calls;

std::unique_ptr<FeatureHandler> MakeScripted(const wchar_t*)
{
    return std::make_unique<ScriptedHandler>();
}

TEST(ProviderValidationTest, TheStrongestResultWinsAndAFailureStopsTheWalk)
{
    ASSERT_HRESULT_SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED));
    const FeatureHandlerRow rows[] = {
        {L"first", true, MakeScripted},
        {L"missing", true, nullptr},
        {L"second", true, MakeScripted},
        {L"third", true, MakeScripted},
    };
    struct Case {
        const char* name;
        HRESULT     results[3];
        HRESULT     expected;
        int         calls;
    } cases[] = {
        {"no conflicts", {S_PT_NO_CONFLICT, S_PT_NO_CONFLICT, S_PT_NO_CONFLICT}, S_PT_NO_CONFLICT, 3},
        {"plain successes", {S_OK, S_FALSE, S_OK}, S_PT_NO_CONFLICT, 3},
        {"resolved, then S_OK", {S_PT_CONFLICT_RESOLVED, S_OK, S_PT_NO_CONFLICT}, S_PT_CONFLICT_RESOLVED, 3},
        {"resolved last", {S_PT_NO_CONFLICT, S_OK, S_PT_CONFLICT_RESOLVED}, S_PT_CONFLICT_RESOLVED, 3},
        {"failure stops", {S_PT_CONFLICT_RESOLVED, E_INVALIDARG, S_PT_NO_CONFLICT}, E_INVALIDARG, 2},
        {"first fails", {E_OUTOFMEMORY, S_OK, S_OK}, E_OUTOFMEMORY, 1},
    };
    auto* provider = new PrintTicketProvider(rows, 4);
    ComPtr<IXMLDOMDocument2> ticket = Ticket();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        memcpy(ScriptedHandler::next, c.results, sizeof c.results);
        ScriptedHandler::calls = 0;
        EXPECT_EQ(Hex(provider->ValidatePrintTicket(ticket.Get())), Hex(c.expected));
        EXPECT_EQ(ScriptedHandler::calls, c.calls);
    }
    EXPECT_EQ(provider->Release(), 0u);
    ticket.Reset();
    CoUninitialize();
}

} // namespace
