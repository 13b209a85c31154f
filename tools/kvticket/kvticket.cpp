// KVTICKET.EXE: drives the driver's print-ticket provider from a console
// the way the platform's PrintTicket services drive it, so that developers
// and support staff can see what a queue advertises and what a ticket turns
// into.
//
//   KVTICKET caps PRINTER             the PrintCapabilities document
//   KVTICKET features PRINTER         one line per feature with its options
//   KVTICKET ticket PRINTER           the queue's default DEVMODE as a ticket
//   KVTICKET apply PRINTER FILE       a ticket merged into the default DEVMODE
//   KVTICKET validate PRINTER FILE    the ticket checked and corrected
//
// Documents go to standard output as UTF-8; messages go to standard error.
// Exit codes: 0 success, 1 a step failed (its HRESULT is printed), 2 a bad
// command line.
#include "platform/printticket.h"

#include <windows.h>
#include <winspool.h>

#include <fcntl.h>
#include <io.h>

#include <cstdio>
#include <cwchar>
#include <string>
#include <vector>

namespace {

// The driver's provider class, as the installer registers it.
const CLSID kProviderClsid = {0x46AC151B, 0x8490, 0x4531, {0x96, 0xCC, 0x55, 0xBF, 0x2B, 0xF1, 0x9E, 0x11}};
const wchar_t kFrameworkNamespace[] =
    L"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";

// A failed step: what was being done and the code it failed with.
struct Failure {
    const char* step;
    HRESULT hr;
};

void Check(HRESULT hr, const char* step)
{
    if (FAILED(hr)) throw Failure{step, hr};
}

void CheckWin32(BOOL ok, const char* step)
{
    if (!ok) {
        const DWORD error = GetLastError();
        throw Failure{step, error ? HRESULT_FROM_WIN32(error) : E_FAIL};
    }
}

// Owns one COM interface pointer.
template <typename T>
class Ref {
public:
    Ref() = default;
    Ref(const Ref&) = delete;
    Ref& operator=(const Ref&) = delete;
    ~Ref() { if (p_) p_->Release(); }
    T* operator->() const { return p_; }
    T* get() const { return p_; }
    T** put() { return &p_; }
    void** putVoid() { return reinterpret_cast<void**>(&p_); }

private:
    T* p_ = nullptr;
};

class Bstr {
public:
    explicit Bstr(const wchar_t* text = nullptr) : s_(text ? SysAllocString(text) : nullptr) {}
    Bstr(const Bstr&) = delete;
    Bstr& operator=(const Bstr&) = delete;
    ~Bstr() { SysFreeString(s_); }
    BSTR get() const { return s_; }
    BSTR* put() { return &s_; }
    std::wstring text() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : std::wstring(); }

private:
    BSTR s_;
};

class ComApartment {
public:
    ComApartment() { Check(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED), "CoInitializeEx"); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
    ~ComApartment() { CoUninitialize(); }
};

class Printer {
public:
    explicit Printer(const std::wstring& name) : name_(name)
    {
        CheckWin32(OpenPrinterW(const_cast<wchar_t*>(name.c_str()), &handle_, nullptr), "OpenPrinter");
    }
    Printer(const Printer&) = delete;
    Printer& operator=(const Printer&) = delete;
    ~Printer() { if (handle_) ClosePrinter(handle_); }
    HANDLE handle() const { return handle_; }

    // The queue's default DEVMODE, private part included.
    std::vector<BYTE> DefaultDevmode() const
    {
        wchar_t* name = const_cast<wchar_t*>(name_.c_str());
        const LONG size = DocumentPropertiesW(nullptr, handle_, name, nullptr, nullptr, 0);
        if (size <= 0) CheckWin32(FALSE, "DocumentProperties (size)");
        std::vector<BYTE> devmode(size);
        const LONG got = DocumentPropertiesW(nullptr, handle_, name, reinterpret_cast<DEVMODEW*>(devmode.data()),
                                             nullptr, DM_OUT_BUFFER);
        if (got != IDOK) CheckWin32(FALSE, "DocumentProperties");
        return devmode;
    }

private:
    std::wstring name_;
    HANDLE handle_ = nullptr;
};

// The provider created through COM and bound to the queue, as the
// PrintTicket services do before any conversion.
class Provider {
public:
    explicit Provider(const Printer& printer)
    {
        Check(CoCreateInstance(kProviderClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPrintTicketProvider,
                               provider_.putVoid()),
              "CoCreateInstance (print-ticket provider)");
        SHIMOPTS options = PTSHIM_DEFAULT;
        DWORD devmodeFlags = 0;
        INT count = 0;
        BSTR* namespaces = nullptr;
        Check(provider_->BindPrinter(printer.handle(), 1, &options, &devmodeFlags, &count, &namespaces),
              "BindPrinter");
        for (INT i = 0; namespaces && i < count; ++i) SysFreeString(namespaces[i]);
        CoTaskMemFree(namespaces);
    }
    IPrintTicketProvider* operator->() const { return provider_.get(); }

private:
    Ref<IPrintTicketProvider> provider_;
};

void NewDocument(Ref<IXMLDOMDocument2>& document)
{
    Check(CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                           document.putVoid()),
          "CoCreateInstance (DOMDocument60)");
}

// A ticket file; a file that is missing or not XML is a failed step with
// the parser's code.
void LoadTicket(const std::wstring& path, Ref<IXMLDOMDocument2>& document)
{
    CheckWin32(GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES, "opening the ticket file");
    NewDocument(document);
    document->put_async(VARIANT_FALSE);
    VARIANT source;
    VariantInit(&source);
    source.vt = VT_BSTR;
    source.bstrVal = SysAllocString(path.c_str());
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = document->load(source, &loaded);
    VariantClear(&source);
    Check(hr, "loading the ticket file");
    if (loaded != VARIANT_TRUE) {
        Ref<IXMLDOMParseError> error;
        long code = 0;
        Bstr reason;
        if (SUCCEEDED(document->get_parseError(error.put())) && error.get()) {
            error->get_errorCode(&code);
            error->get_reason(reason.put());
        }
        if (!reason.text().empty()) fwprintf(stderr, L"KVTICKET: %ls\n", reason.text().c_str());
        throw Failure{"parsing the ticket file", FAILED(code) ? static_cast<HRESULT>(code) : E_FAIL};
    }
}

void PrintUtf8(const std::wstring& text)
{
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(size, '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    fwrite(bytes.data(), 1, bytes.size(), stdout);
    if (bytes.empty() || bytes.back() != '\n') fputs("\n", stdout);
    fflush(stdout);
}

void PrintDocument(IXMLDOMDocument2* document)
{
    Bstr xml;
    Check(document->get_xml(xml.put()), "IXMLDOMDocument::get_xml");
    PrintUtf8(xml.text());
}

std::wstring Attribute(IXMLDOMNode* node, const wchar_t* name)
{
    Ref<IXMLDOMElement> element;
    if (FAILED(node->QueryInterface(IID_IXMLDOMElement, element.putVoid()))) return L"";
    VARIANT value;
    VariantInit(&value);
    std::wstring text;
    if (element->getAttribute(Bstr(name).get(), &value) == S_OK && value.vt == VT_BSTR) text = value.bstrVal;
    VariantClear(&value);
    return text;
}

// The nodes query selects from context, in document order.
std::vector<IXMLDOMNode*> Select(IXMLDOMNode* context, const wchar_t* query)
{
    Ref<IXMLDOMNodeList> list;
    Check(context->selectNodes(Bstr(query).get(), list.put()), "IXMLDOMNode::selectNodes");
    std::vector<IXMLDOMNode*> nodes;
    IXMLDOMNode* node = nullptr;
    while (list->nextNode(&node) == S_OK && node) nodes.push_back(node);
    return nodes;
}

// "psk:PageMediaSize: psk:ISOA4 psk:ISOA5 ..." for each feature, nested
// ones too, then "parameter NAME" for each parameter definition.
void PrintFeatures(IXMLDOMDocument2* capabilities)
{
    VARIANT bindings;
    VariantInit(&bindings);
    bindings.vt = VT_BSTR;
    bindings.bstrVal = SysAllocString((std::wstring(L"xmlns:f='") + kFrameworkNamespace + L"'").c_str());
    Check(capabilities->setProperty(Bstr(L"SelectionNamespaces").get(), bindings), "setting the query namespaces");
    VariantClear(&bindings);

    std::wstring summary;
    for (IXMLDOMNode* feature : Select(capabilities, L"//f:Feature")) {
        summary += Attribute(feature, L"name") + L":";
        for (IXMLDOMNode* option : Select(feature, L"f:Option")) {
            const std::wstring name = Attribute(option, L"name");
            summary += L" " + (name.empty() ? std::wstring(L"(unnamed)") : name);
            option->Release();
        }
        summary += L"\n";
        feature->Release();
    }
    for (IXMLDOMNode* parameter : Select(capabilities, L"//f:ParameterDef")) {
        summary += L"parameter " + Attribute(parameter, L"name") + L"\n";
        parameter->Release();
    }
    PrintUtf8(summary);
}

void Capabilities(const Provider& provider, Ref<IXMLDOMDocument2>& capabilities)
{
    Check(provider->GetPrintCapabilities(nullptr, capabilities.put()), "GetPrintCapabilities");
    if (!capabilities.get()) throw Failure{"GetPrintCapabilities", E_POINTER};
}

const char* OrientationName(short orientation)
{
    switch (orientation) {
    case DMORIENT_PORTRAIT: return "portrait";
    case DMORIENT_LANDSCAPE: return "landscape";
    default: return "unknown";
    }
}

int Run(const std::wstring& command, const std::wstring& queue, const std::wstring& file)
{
    ComApartment apartment;
    Printer printer(queue);
    Provider provider(printer);

    if (command == L"caps" || command == L"features") {
        Ref<IXMLDOMDocument2> capabilities;
        Capabilities(provider, capabilities);
        if (command == L"caps")
            PrintDocument(capabilities.get());
        else
            PrintFeatures(capabilities.get());
        return 0;
    }
    if (command == L"ticket") {
        std::vector<BYTE> devmode = printer.DefaultDevmode();
        Ref<IXMLDOMDocument2> ticket;
        NewDocument(ticket);
        const std::wstring empty = std::wstring(L"<psf:PrintTicket xmlns:psf=\"") + kFrameworkNamespace +
                                   L"\" version=\"1\"/>";
        VARIANT_BOOL loaded = VARIANT_FALSE;
        Check(ticket->loadXML(Bstr(empty.c_str()).get(), &loaded), "creating the empty ticket");
        if (loaded != VARIANT_TRUE) throw Failure{"creating the empty ticket", E_FAIL};
        Check(provider->ConvertDevModeToPrintTicket(static_cast<ULONG>(devmode.size()),
                                                    reinterpret_cast<DEVMODEW*>(devmode.data()), ticket.get()),
              "ConvertDevModeToPrintTicket");
        PrintDocument(ticket.get());
        return 0;
    }
    Ref<IXMLDOMDocument2> ticket;
    LoadTicket(file, ticket);
    if (command == L"apply") {
        std::vector<BYTE> devmode = printer.DefaultDevmode();
        ULONG size = 0;
        DEVMODEW* merged = nullptr;
        const HRESULT hr = provider->ConvertPrintTicketToDevMode(
            ticket.get(), static_cast<ULONG>(devmode.size()), reinterpret_cast<DEVMODEW*>(devmode.data()), &size,
            &merged);
        if (FAILED(hr)) {
            CoTaskMemFree(merged);
            throw Failure{"ConvertPrintTicketToDevMode", hr};
        }
        if (!merged || size < offsetof(DEVMODEW, dmFormName) + sizeof merged->dmFormName) {
            CoTaskMemFree(merged);
            throw Failure{"ConvertPrintTicketToDevMode", E_UNEXPECTED};
        }
        const std::wstring form(merged->dmFormName, wcsnlen(merged->dmFormName, CCHFORMNAME));
        char fields[200];
        snprintf(fields, sizeof fields,
                 "paper size: %d\npaper width: %d\npaper length: %d\norientation: %s\ncopies: %d\nform name: ",
                 merged->dmPaperSize, merged->dmPaperWidth, merged->dmPaperLength,
                 OrientationName(merged->dmOrientation), merged->dmCopies);
        fputs(fields, stdout);
        PrintUtf8(form);
        CoTaskMemFree(merged);
        return 0;
    }
    // validate
    const HRESULT hr = provider->ValidatePrintTicket(ticket.get());
    Check(hr, "ValidatePrintTicket");
    fwprintf(stderr, L"KVTICKET: %ls (0x%08lX)\n",
             hr == S_PT_NO_CONFLICT       ? L"S_PT_NO_CONFLICT"
             : hr == S_PT_CONFLICT_RESOLVED ? L"S_PT_CONFLICT_RESOLVED"
                                            : L"success",
             static_cast<unsigned long>(hr));
    PrintDocument(ticket.get());
    return 0;
}

int Usage()
{
    fputs("usage: KVTICKET caps PRINTER\n"
          "       KVTICKET features PRINTER\n"
          "       KVTICKET ticket PRINTER\n"
          "       KVTICKET apply PRINTER TICKET-FILE\n"
          "       KVTICKET validate PRINTER TICKET-FILE\n",
          stderr);
    return 2;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    // Documents are UTF-8 bytes: no translation of line ends.
    _setmode(_fileno(stdout), _O_BINARY);
    if (argc < 3) return Usage();
    const std::wstring command = argv[1];
    const bool takesFile = command == L"apply" || command == L"validate";
    const bool known = takesFile || command == L"caps" || command == L"features" || command == L"ticket";
    if (!known || argc != (takesFile ? 4 : 3)) return Usage();
    try {
        return Run(command, argv[2], takesFile ? argv[3] : L"");
    } catch (const Failure& failure) {
        fflush(stdout);
        fprintf(stderr, "KVTICKET: %s failed: 0x%08lX\n", failure.step, static_cast<unsigned long>(failure.hr));
        return 1;
    }
}
