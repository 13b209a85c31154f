// The print-ticket provider as applications meet it on every print dialog,
// and where its time goes: the provider through COM (the registered server
// of the installed queue), each feature handler on its own, the spooler and
// administrator reads the handlers make, and MSXML's own share.
#include "bench.h"

#include "core/module_entry.h"
#include "core/spooler_info.h"
#include "platform/printticket.h"
#include "printschema/feature_handler_list.h"
#include "settings/admin_settings.h"
#include "settings/driver_devmode.h"

#include <winspool.h>

#include <wrl/client.h>

#include <cstdio>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

WCHAR* Queue()
{
    return const_cast<WCHAR*>(L"Zentari TX-3390N");
}

const CLSID kProviderClsid = {0x46ac151b, 0x8490, 0x4531, {0x96, 0xcc, 0x55, 0xbf, 0x2b, 0xf1, 0x9e, 0x11}};

ComPtr<IXMLDOMDocument2> NewDocument()
{
    ComPtr<IXMLDOMDocument2> document;
    CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                     reinterpret_cast<void**>(document.GetAddressOf()));
    return document;
}

ComPtr<IXMLDOMDocument2> LoadText(const std::wstring& text)
{
    ComPtr<IXMLDOMDocument2> document = NewDocument();
    if (!document) return document;
    document->put_async(VARIANT_FALSE);
    BSTR xml = SysAllocString(text.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    document->loadXML(xml, &loaded);
    SysFreeString(xml);
    if (loaded != VARIANT_TRUE) document.Reset();
    return document;
}

std::wstring TextOf(IXMLDOMDocument2* document)
{
    BSTR xml = nullptr;
    std::wstring text;
    if (SUCCEEDED(document->get_xml(&xml)) && xml) text = xml;
    SysFreeString(xml);
    return text;
}

// `count` timed calls, each after an untimed setup (a fresh document).
Series MeasureWithSetup(unsigned count, const std::function<void()>& setup, const std::function<void()>& call)
{
    setup();
    call();
    Series series;
    StopWatch watch;
    for (unsigned i = 0; i < count; ++i) {
        setup();
        watch.Start();
        call();
        series.microseconds.push_back(watch.ElapsedMicroseconds());
    }
    return series;
}

struct Documents {
    std::wstring emptyTicket;    // a ticket root with the namespaces declared
    std::wstring emptySkeleton;  // a capabilities root, the same
    std::wstring ticket;         // the queue's default DEVMODE as a ticket
};

Documents MakeDocuments(IPrintTicketProvider* provider, std::vector<BYTE>& devmode, const std::wstring& privateNs)
{
    const std::wstring declarations =
        L" version=\"1\" xmlns:psf=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework\""
        L" xmlns:psk=\"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords\""
        L" xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\" xmlns:xsd=\"http://www.w3.org/2001/XMLSchema\""
        L" xmlns:kvpsk=\"" + privateNs + L"\"";
    Documents documents;
    documents.emptyTicket = L"<psf:PrintTicket" + declarations + L"/>";
    documents.emptySkeleton = L"<psf:PrintCapabilities" + declarations + L"/>";
    ComPtr<IXMLDOMDocument2> ticket = LoadText(documents.emptyTicket);
    if (ticket && SUCCEEDED(provider->ConvertDevModeToPrintTicket(static_cast<ULONG>(devmode.size()),
                                                                  reinterpret_cast<DEVMODEW*>(devmode.data()),
                                                                  ticket.Get())))
        documents.ticket = TextOf(ticket.Get());
    return documents;
}

void MeasureProvider(IPrintTicketProvider* provider, std::vector<BYTE>& devmode, const Documents& documents,
                     unsigned count)
{
    ComPtr<IXMLDOMDocument2> ticket = LoadText(documents.ticket);
    PrintSeries("caps, no ticket", "calls", MeasureCalls(count, [&] {
        IXMLDOMDocument2* capabilities = nullptr;
        provider->GetPrintCapabilities(nullptr, &capabilities);
        if (capabilities) capabilities->Release();
    }));
    PrintSeries("caps, ticket", "calls", MeasureCalls(count, [&] {
        IXMLDOMDocument2* capabilities = nullptr;
        provider->GetPrintCapabilities(ticket.Get(), &capabilities);
        if (capabilities) capabilities->Release();
    }));
    ComPtr<IXMLDOMDocument2> target;
    PrintSeries("DEVMODE -> ticket", "calls", MeasureWithSetup(count, [&] { target = LoadText(documents.emptyTicket); },
                                                                [&] {
        provider->ConvertDevModeToPrintTicket(static_cast<ULONG>(devmode.size()),
                                              reinterpret_cast<DEVMODEW*>(devmode.data()), target.Get());
    }));
    PrintSeries("ticket -> DEVMODE", "calls", MeasureCalls(count, [&] {
        ULONG size = 0;
        DEVMODEW* out = nullptr;
        provider->ConvertPrintTicketToDevMode(ticket.Get(), static_cast<ULONG>(devmode.size()),
                                              reinterpret_cast<DEVMODEW*>(devmode.data()), &size, &out);
        CoTaskMemFree(out);
    }));
    PrintSeries("validate", "calls", MeasureWithSetup(count, [&] { target = LoadText(documents.ticket); },
                                                       [&] { provider->ValidatePrintTicket(target.Get()); }));
}

// Each handler on its own, as the provider calls it (inside a call memo of
// the spooler's answers), on fresh documents.
void MeasureHandlers(HANDLE printer, std::vector<BYTE>& devmode, const Documents& documents, const wchar_t* privateNs,
                     unsigned count)
{
    FeatureHandlerList handlers;
    if (FAILED(handlers.Create(privateNs))) return;
    auto* record = reinterpret_cast<DEVMODEW*>(devmode.data());
    auto* privatePart = reinterpret_cast<PrivateSettings*>(devmode.data() + kPublicDevmodeSize);
    size_t slot = 0;
    for (size_t row = 0; row < kFeatureHandlerCount; ++row) {
        if (!kFeatureHandlerRows[row].create) continue;
        if (slot >= handlers.Size()) break;
        FeatureHandler& handler = handlers[slot++];
        std::printf("  %ls\n", kFeatureHandlerRows[row].name);
        ComPtr<IXMLDOMDocument2> document;
        ComPtr<IXMLDOMDocument2> ticket = LoadText(documents.ticket);
        PrintSeries("    caps", "calls", MeasureWithSetup(count, [&] { document = LoadText(documents.emptySkeleton); },
                                                           [&] {
            SpoolerCall call(printer);
            handler.GetPrintCapabilities(printer, ticket.Get(), document.Get());
        }));
        PrintSeries("    DEVMODE -> ticket", "calls",
                    MeasureWithSetup(count, [&] { document = LoadText(documents.emptyTicket); }, [&] {
            SpoolerCall call(printer);
            handler.DevModeToPrintTicket(printer, record->dmSize, record, record->dmDriverExtra, privatePart,
                                         document.Get());
        }));
        std::vector<BYTE> work = devmode;
        auto* workRecord = reinterpret_cast<DEVMODEW*>(work.data());
        PrintSeries("    ticket -> DEVMODE", "calls", MeasureCalls(count, [&] {
            SpoolerCall call(printer);
            handler.PrintTicketToDevMode(printer, ticket.Get(), workRecord->dmSize, workRecord,
                                         workRecord->dmDriverExtra,
                                         reinterpret_cast<PrivateSettings*>(work.data() + kPublicDevmodeSize));
        }));
    }
}

// What the handlers ask outside MSXML, and what MSXML costs on its own.
void MeasureSharedWork(HANDLE printer, const Documents& documents, IPrintTicketProvider* provider, unsigned count)
{
    PrintSeries("spooler: printer, level 2", "calls", MeasureCalls(count, [&] {
        GlobalFree(ReadPrinterInfo(printer, 2));
    }));
    PrintSeries("printer data value", "calls", MeasureCalls(count, [&] {
        DWORD type = 0, needed = 0, value = 0;
        QueryPrinterData(printer, L"PrtCaps", &type, reinterpret_cast<BYTE*>(&value), sizeof value, &needed);
    }));
    PrintSeries("same, a call's first", "calls", MeasureCalls(count, [&] {
        SpoolerCall call(printer);
        DWORD type = 0, needed = 0, value = 0;
        QueryPrinterData(printer, L"PrtCaps", &type, reinterpret_cast<BYTE*>(&value), sizeof value, &needed);
    }));
    PrintSeries("administrator record", "calls", MeasureCalls(count, [&] {
        AdminSettings settings = {printer, 0};
        ReadAdminSettings(&settings);
    }));
    {
        // As a handler after the first meets it: the printer data known.
        SpoolerCall call(printer);
        PrintSeries("admin record, in a call", "calls", MeasureCalls(count, [&] {
            AdminSettings settings = {printer, 0};
            ReadAdminSettings(&settings);
        }));
    }
    PrintSeries("MSXML: new document", "calls", MeasureCalls(count, [&] { NewDocument(); }));
    PrintSeries("MSXML: load the ticket", "calls", MeasureCalls(count, [&] { LoadText(documents.ticket); }));
    IXMLDOMDocument2* capabilities = nullptr;
    provider->GetPrintCapabilities(nullptr, &capabilities);
    if (capabilities) {
        const std::wstring text = TextOf(capabilities);
        capabilities->Release();
        std::printf("  (capabilities: %zu characters; ticket: %zu characters)\n", text.size(),
                    documents.ticket.size());
        PrintSeries("MSXML: load the capabilities", "calls", MeasureCalls(count, [&] { LoadText(text); }));
    }
}

} // namespace

bool RunPrintTicket(const BenchOptions& options)
{
    HANDLE printer = nullptr;
    if (!OpenPrinterW(Queue(), &printer, nullptr)) {
        std::printf("  the queue \"Zentari TX-3390N\" is not installed: run the test bed first\n");
        return false;
    }
    CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
    ModuleProcessAttach(GetModuleHandleW(nullptr));
    bool ok = false;
    {
        ComPtr<IPrintTicketProvider> provider;
        SHIMOPTS shim = PTSHIM_DEFAULT;
        DWORD flags = 0;
        INT namespaceCount = 0;
        BSTR* namespaces = nullptr;
        BSTR privateNs = nullptr;
        std::vector<BYTE> devmode;
        if (SUCCEEDED(CoCreateInstance(kProviderClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPrintTicketProvider,
                                       reinterpret_cast<void**>(provider.GetAddressOf()))) &&
            SUCCEEDED(provider->BindPrinter(printer, 1, &shim, &flags, &namespaceCount, &namespaces)) &&
            SUCCEEDED(provider->QueryDeviceNamespace(&privateNs))) {
            if (BYTE* info = ReadPrinterInfo(printer, 2)) {
                const DEVMODEW* current = reinterpret_cast<PRINTER_INFO_2W*>(info)->pDevMode;
                if (current && current->dmSize + current->dmDriverExtra == kDriverDevmodeSize) {
                    const BYTE* bytes = reinterpret_cast<const BYTE*>(current);
                    devmode.assign(bytes, bytes + kDriverDevmodeSize);
                }
                GlobalFree(info);
            }
        }
        if (!devmode.empty()) {
            const unsigned count = options.iterations ? options.iterations : 100;
            const Documents documents = MakeDocuments(provider.Get(), devmode, privateNs);
            std::printf(" the provider through COM:\n");
            MeasureProvider(provider.Get(), devmode, documents, count);
            std::printf(" each handler:\n");
            MeasureHandlers(printer, devmode, documents, privateNs, count);
            std::printf(" shared work:\n");
            MeasureSharedWork(printer, documents, provider.Get(), count);
            ok = !documents.ticket.empty();
        } else {
            std::printf("  the provider of the queue could not be made or bound, or the queue has no DEVMODE\n");
        }
        SysFreeString(privateNs);
        CoTaskMemFree(namespaces);
    }
    ModuleProcessDetach();
    CoUninitialize();
    ClosePrinter(printer);
    return ok;
}
