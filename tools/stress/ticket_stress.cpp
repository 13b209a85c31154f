// Stress run of the print-ticket provider: many thousands of damaged tickets
// and DEVMODEs through the conversion and validation methods, with the
// results of every call tallied and the process's holdings compared from
// after a warm-up to the end.
//
//   kvticketstress.exe [ITERATIONS] [SEED]      the run (20000, 1 by default)
//   kvticketstress.exe --dump N [SEED]          prints the text of iteration N
//
// Environment, for narrowing a finding down:
//   KV_STRESS_METHODS  which methods the mutation loop calls: any of V
//                      (validate), P (ticket to DEVMODE), D (DEVMODE to
//                      ticket), C (capabilities for the ticket); M calls
//                      none and runs plain document queries
//   KV_STRESS_PLAIN    the starting tickets unmutated
//   KV_STRESS_TRACE    reads the heap around each ticket after the warm-up
//                      and names the first ones that left blocks behind
//
// Exit status: 0 all well; 1 a call answered an HRESULT outside its
// expected set, or a reference or task allocation was left behind; 2 a
// counter grew past its threshold; 3 setup failed; 4 the process crashed.
#include "platform_leaks.h"
#include "platform/printticket.h"
#include "support/guarded_bytes.h"
#include "support/process_usage.h"
#include "support/task_memory_counter.h"

#include <windows.h>
#include <winspool.h>

#include <wrl/client.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

using Microsoft::WRL::ComPtr;

namespace {

const wchar_t kQueue[] = L"Zentari TX-3390N";
const CLSID kProviderClsid = {0x46ac151b, 0x8490, 0x4531, {0x96, 0xcc, 0x55, 0xbf, 0x2b, 0xf1, 0x9e, 0x11}};
const wchar_t kFramework[] = L"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
const wchar_t kKeywords[] = L"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";
const wchar_t kXsi[] = L"http://www.w3.org/2001/XMLSchema-instance";
const wchar_t kXsd[] = L"http://www.w3.org/2001/XMLSchema";

// ---------------------------------------------------------------------------
// What the run saw.

const char* Name(HRESULT hr)
{
    switch (hr) {
    case S_OK: return "S_OK";
    case S_FALSE: return "S_FALSE";
    case S_PT_NO_CONFLICT: return "S_PT_NO_CONFLICT";
    case S_PT_CONFLICT_RESOLVED: return "S_PT_CONFLICT_RESOLVED";
    case E_INVALIDARG: return "E_INVALIDARG";
    case E_POINTER: return "E_POINTER";
    case E_FAIL: return "E_FAIL";
    case E_OUTOFMEMORY: return "E_OUTOFMEMORY";
    case E_HANDLE: return "E_HANDLE";
    case E_UNEXPECTED: return "E_UNEXPECTED";
    default: return "";
    }
}

struct Tally {
    std::set<HRESULT> expected;
    std::map<HRESULT, long> seen;
    std::map<HRESULT, std::string> firstUnexpected;   // where each unexpected code first showed
};

std::map<std::string, Tally> tallies;
long unexpectedResults = 0;
long refLeaks = 0;
long outputProblems = 0;

// Which methods the mutation loop calls (KV_STRESS_METHODS: any of V, P, D,
// C; all by default), so that a leak can be narrowed down to one of them.
// M runs, in place of the provider, the document queries it makes itself
// (selection namespaces, an XPath query), to tell the platform's share of a
// growth from the provider's.
bool runValidate = true, runToDevmode = true, runToTicket = true, runCapabilities = true, runQueriesOnly = false;

void RunQueries(IXMLDOMDocument2* ticket)
{
    BSTR name = SysAllocString(L"SelectionNamespaces");
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = SysAllocString((std::wstring(L"xmlns:psf='") + kFramework + L"' xmlns:psk='" + kKeywords + L"'").c_str());
    ticket->setProperty(name, value);
    VariantClear(&value);
    SysFreeString(name);
    BSTR query = SysAllocString(L"/psf:PrintTicket/psf:Feature[@name='psk:PageMediaSize']");
    IXMLDOMNode* node = nullptr;
    if (ticket->selectSingleNode(query, &node) == S_OK && node) node->Release();
    IXMLDOMNodeList* nodes = nullptr;
    if (SUCCEEDED(ticket->selectNodes(query, &nodes)) && nodes) nodes->Release();
    SysFreeString(query);
}

void OutputProblem(const std::string& where, const char* what)
{
    if (++outputProblems <= 10) printf("  problem: %s: %s\n", where.c_str(), what);
}

// Task memory outstanding after a call that was not before it. Under Wine
// the platform's own strings and parse errors come and go through the task
// allocator at times of their own, so these are shown, not judged; the heap
// counters decide whether memory is left behind.
long taskMemoryChanges = 0;

void TaskMemoryChanged(const std::string& where, const char* what)
{
    if (++taskMemoryChanges <= 5) printf("  note: %s: %s\n", where.c_str(), what);
}

void Expect(const std::string& method, std::initializer_list<HRESULT> codes)
{
    tallies[method].expected.insert(codes);
}

// The results of the single cases (the big and the deep ticket), printed as they come.
std::string lastResults;

void Record(const std::string& method, HRESULT hr, const std::string& where)
{
    char text[96];
    snprintf(text, sizeof text, " %s 0x%08lX", method.c_str(), static_cast<unsigned long>(hr));
    lastResults += text;
    Tally& tally = tallies[method];
    ++tally.seen[hr];
    if (!tally.expected.count(hr)) {
        ++unexpectedResults;
        if (!tally.firstUnexpected.count(hr)) tally.firstUnexpected[hr] = where;
    }
}

// ---------------------------------------------------------------------------
// Task memory handed out and taken back, to tell whether the outputs the
// caller owns are the only ones left.
AllocationCounter taskMemory;

// ---------------------------------------------------------------------------
// A crash ends the run with where it happened, so that the seed and the
// iteration reproduce it.

volatile const char* currentStep = "setup";
volatile long currentIteration = -1;
unsigned currentSeed = 1;

LONG WINAPI OnCrash(EXCEPTION_POINTERS* info)
{
    fprintf(stderr, "\nCRASH: exception 0x%08lX at %p in %s, iteration %ld, seed %u\n",
            info->ExceptionRecord->ExceptionCode, info->ExceptionRecord->ExceptionAddress, currentStep,
            currentIteration, currentSeed);
    HMODULE module = nullptr;
    if (GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                           static_cast<LPCWSTR>(info->ExceptionRecord->ExceptionAddress), &module)) {
        wchar_t path[MAX_PATH] = {};
        GetModuleFileNameW(module, path, MAX_PATH);
        fprintf(stderr, "CRASH: in %ls at offset 0x%llx\n", path,
                static_cast<unsigned long long>(static_cast<BYTE*>(info->ExceptionRecord->ExceptionAddress) -
                                                reinterpret_cast<BYTE*>(module)));
    }
    fflush(stderr);
    TerminateProcess(GetCurrentProcess(), 4);
    return EXCEPTION_EXECUTE_HANDLER;
}

// ---------------------------------------------------------------------------
// Documents.

ComPtr<IXMLDOMDocument2> NewDocument()
{
    ComPtr<IXMLDOMDocument2> document;
    CoCreateInstance(CLSID_DOMDocument60, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument2,
                     reinterpret_cast<void**>(document.GetAddressOf()));
    return document;
}

// Null when the text is not a document MSXML accepts.
ComPtr<IXMLDOMDocument2> LoadText(const std::wstring& xml)
{
    ComPtr<IXMLDOMDocument2> document = NewDocument();
    if (!document) return document;
    document->put_async(VARIANT_FALSE);
    BSTR text = SysAllocStringLen(xml.data(), static_cast<UINT>(xml.size()));
    VARIANT_BOOL loaded = VARIANT_FALSE;
    HRESULT hr = document->loadXML(text, &loaded);
    SysFreeString(text);
    if (hr != S_OK || loaded != VARIANT_TRUE) document.Reset();
    return document;
}

std::wstring TextOf(IXMLDOMDocument2* document)
{
    BSTR xml = nullptr;
    std::wstring text;
    if (SUCCEEDED(document->get_xml(&xml)) && xml) text.assign(xml, SysStringLen(xml));
    SysFreeString(xml);
    return text;
}

ULONG References(IUnknown* object)
{
    object->AddRef();
    return object->Release();
}

std::wstring Open(const std::wstring& extraNamespaces = L"")
{
    return std::wstring(L"<psf:PrintTicket xmlns:psf=\"") + kFramework + L"\" xmlns:psk=\"" + kKeywords +
           L"\" xmlns:xsi=\"" + kXsi + L"\" xmlns:xsd=\"" + kXsd + L"\"" + extraNamespaces + L" version=\"1\">";
}
const wchar_t kClose[] = L"</psf:PrintTicket>";

std::wstring PaperTicket(const std::wstring& paper, const std::wstring& orientation)
{
    return Open() + L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"" + paper + L"\"/></psf:Feature>"
           L"<psf:Feature name=\"psk:PageOrientation\"><psf:Option name=\"psk:" + orientation +
           L"\"/></psf:Feature>" + kClose;
}

std::wstring CustomTicket(const std::wstring& width, const std::wstring& height, const std::wstring& privateNs)
{
    return Open(L" xmlns:kvpsk=\"" + privateNs + L"\"") +
           L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:CustomMediaSize\">"
           L"<psf:ScoredProperty name=\"psk:MediaSizeWidth\"><psf:ParameterRef "
           L"name=\"psk:PageMediaSizeMediaSizeWidth\"/></psf:ScoredProperty>"
           L"<psf:ScoredProperty name=\"psk:MediaSizeHeight\"><psf:ParameterRef "
           L"name=\"psk:PageMediaSizeMediaSizeHeight\"/></psf:ScoredProperty>"
           L"</psf:Option></psf:Feature>"
           L"<psf:ParameterInit name=\"psk:PageMediaSizeMediaSizeWidth\"><psf:Value xsi:type=\"xsd:integer\">" +
           width + L"</psf:Value></psf:ParameterInit>"
           L"<psf:ParameterInit name=\"psk:PageMediaSizeMediaSizeHeight\"><psf:Value xsi:type=\"xsd:integer\">" +
           height + L"</psf:Value></psf:ParameterInit>"
           L"<psf:Property name=\"kvpsk:PageMediaSizeData\">"
           L"<psf:Property name=\"kvpsk:CustomUnitType\"><psf:Value xsi:type=\"xsd:string\">mm</psf:Value>"
           L"</psf:Property></psf:Property>" + kClose;
}

// ---------------------------------------------------------------------------
// Mutations of a ticket's text. Most keep it well-formed and damage what it
// says; the byte-level ones mostly make it something that is not XML.

using Random = std::mt19937;

size_t Below(Random& random, size_t n) { return n ? std::uniform_int_distribution<size_t>(0, n - 1)(random) : 0; }

const wchar_t* const kValues[] = {
    L"0", L"-1", L"1", L"-2147483648", L"2147483647", L"2147483648", L"4294967296", L"-4294967297",
    L"99999999999999999999999999", L"-99999999999999999999999", L"1e9", L"0x10", L"1.5", L" 215900 ", L"",
    L"abc", L"psk:ISOA4", L"NaN", L"+5", L"00000000000000000000000210000", L"\x00e9\x4e2d", L"&amp;",
};
const wchar_t* const kNames[] = {
    L"psk:PageMediaSize", L"psk:PageOrientation", L"psk:CustomMediaSize", L"psk:ISOA4",
    L"psk:NorthAmericaLetter", L"psk:Unknown", L"psk:", L":", L"", L"nobody:Feature", L"psf:Feature",
    L"kvpsk:PageMediaSizeData", L"kvpsk:Nope", L"psk:MediaSizeWidth", L"psk:PageMediaSizeMediaSizeWidth",
    L"psk:PageMediaSizeMediaSizeHeight", L"xsd:integer", L"xsd:string", L"xsd:QName", L"psk:Landscape",
    L"psk:ISOA4Rotated", L"a b", L"psk:PageMediaSize:extra",
};
const wchar_t* const kElementNames[] = {
    L"psf:Feature", L"psf:Option", L"psf:ScoredProperty", L"psf:Property", L"psf:ParameterInit",
    L"psf:ParameterRef", L"psf:Value", L"psf:PrintTicket", L"psf:PrintCapabilities", L"psk:Feature",
    L"xsd:Feature", L"Feature", L"nobody:Option", L"psf:Featur",
};
const wchar_t* const kUris[] = {
    L"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework",
    L"http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords",
    L"http://www.w3.org/2001/XMLSchema-instance", L"http://www.w3.org/2001/XMLSchema", L"urn:other",
    L"http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework/", L"",
};

std::wstring HugeText(Random& random)
{
    const size_t length = 1 + Below(random, 70000);
    return std::wstring(length, random() & 1 ? L'9' : L'x');
}

// Start tags, as [begin, end of start tag) with the name's span.
struct Tag {
    size_t begin, end, nameBegin, nameEnd;
    bool selfClosing;
};

std::vector<Tag> StartTags(const std::wstring& text)
{
    std::vector<Tag> tags;
    for (size_t i = text.find(L'<'); i != std::wstring::npos; i = text.find(L'<', i + 1)) {
        if (i + 1 >= text.size() || text[i + 1] == L'/' || text[i + 1] == L'?' || text[i + 1] == L'!') continue;
        size_t close = text.find(L'>', i);
        if (close == std::wstring::npos) break;
        size_t nameEnd = i + 1;
        while (nameEnd < close && !iswspace(text[nameEnd]) && text[nameEnd] != L'/') ++nameEnd;
        tags.push_back({i, close + 1, i + 1, nameEnd, text[close - 1] == L'/'});
    }
    return tags;
}

// The end of the element a start tag opens (past its end tag), counting
// nested elements of the same name; npos when it cannot be found.
size_t ElementEnd(const std::wstring& text, const Tag& tag)
{
    if (tag.selfClosing) return tag.end;
    const std::wstring name = text.substr(tag.nameBegin, tag.nameEnd - tag.nameBegin);
    const std::wstring open = L"<" + name, close = L"</" + name + L">";
    int depth = 1;
    size_t at = tag.end;
    while (depth > 0) {
        size_t nextOpen = text.find(open, at), nextClose = text.find(close, at);
        if (nextClose == std::wstring::npos) return std::wstring::npos;
        if (nextOpen != std::wstring::npos && nextOpen < nextClose) {
            size_t gt = text.find(L'>', nextOpen);
            if (gt != std::wstring::npos && text[gt - 1] != L'/') ++depth;
            at = nextOpen + open.size();
        } else {
            --depth;
            at = nextClose + close.size();
        }
    }
    return at;
}

// Spans of attribute values: the characters between the quotes.
std::vector<std::pair<size_t, size_t>> AttributeValues(const std::wstring& text)
{
    std::vector<std::pair<size_t, size_t>> values;
    for (size_t i = text.find(L"=\""); i != std::wstring::npos; i = text.find(L"=\"", i + 2)) {
        size_t end = text.find(L'"', i + 2);
        if (end == std::wstring::npos) break;
        values.push_back({i + 2, end});
    }
    return values;
}

// Spans of text between a start tag and an end tag: the values of elements.
std::vector<std::pair<size_t, size_t>> ElementTexts(const std::wstring& text)
{
    std::vector<std::pair<size_t, size_t>> texts;
    for (size_t i = text.find(L'>'); i != std::wstring::npos; i = text.find(L'>', i + 1)) {
        size_t lt = text.find(L'<', i);
        if (lt == std::wstring::npos) break;
        if (lt > i + 1 || (lt + 1 < text.size() && text[lt + 1] == L'/' && text[i - 1] != L'/'))
            texts.push_back({i + 1, lt});
    }
    return texts;
}

template <size_t N> const wchar_t* Pick(Random& random, const wchar_t* const (&choices)[N])
{
    return choices[Below(random, N)];
}

// One mutation; names what it did.
const char* Mutate(std::wstring& text, Random& random)
{
    switch (Below(random, 14)) {
    case 0: {   // drop an element
        auto tags = StartTags(text);
        if (tags.empty()) return "none";
        const Tag& tag = tags[Below(random, tags.size())];
        size_t end = ElementEnd(text, tag);
        if (end == std::wstring::npos) return "none";
        text.erase(tag.begin, end - tag.begin);
        return "drop element";
    }
    case 1: {   // duplicate an element, sometimes many times over
        auto tags = StartTags(text);
        if (tags.empty()) return "none";
        const Tag& tag = tags[Below(random, tags.size())];
        size_t end = ElementEnd(text, tag);
        if (end == std::wstring::npos) return "none";
        std::wstring element = text.substr(tag.begin, end - tag.begin);
        size_t copies = random() % 8 ? 1 : 1 + Below(random, 50);
        std::wstring repeated;
        for (size_t i = 0; i < copies; ++i) repeated += element;
        text.insert(end, repeated);
        return "duplicate element";
    }
    case 2: {   // rename an element (start and end tag alike, or only one of them)
        auto tags = StartTags(text);
        if (tags.empty()) return "none";
        const Tag& tag = tags[Below(random, tags.size())];
        const std::wstring name = text.substr(tag.nameBegin, tag.nameEnd - tag.nameBegin);
        const std::wstring renamed = Pick(random, kElementNames);
        size_t end = ElementEnd(text, tag);
        if (!tag.selfClosing && end != std::wstring::npos && random() % 4) {
            size_t closeAt = end - name.size() - 3;
            text.replace(closeAt + 2, name.size(), renamed);
        }
        text.replace(tag.nameBegin, name.size(), renamed);
        return "rename element";
    }
    case 3:
    case 4: {   // an attribute value: names of unknown features and options, numbers
        auto values = AttributeValues(text);
        if (values.empty()) return "none";
        auto span = values[Below(random, values.size())];
        std::wstring value = random() % 3 ? Pick(random, kNames) : Pick(random, kValues);
        if (random() % 50 == 0) value = HugeText(random);
        text.replace(span.first, span.second - span.first, value);
        return "attribute value";
    }
    case 5:
    case 6: {   // an element's text: out of range, wrong type, huge, negative
        auto texts = ElementTexts(text);
        if (texts.empty()) return "none";
        auto span = texts[Below(random, texts.size())];
        std::wstring value = random() % 4 ? Pick(random, kValues) : Pick(random, kNames);
        if (random() % 30 == 0) value = HugeText(random);
        text.replace(span.first, span.second - span.first, value);
        return "element text";
    }
    case 7: {   // rebind, unbind or swap a namespace prefix
        const wchar_t* const prefixes[] = {L"psf", L"psk", L"xsi", L"xsd", L"kvpsk"};
        std::wstring declaration = std::wstring(L"xmlns:") + Pick(random, prefixes) + L"=\"";
        size_t at = text.find(declaration);
        if (at == std::wstring::npos) return "none";
        size_t valueBegin = at + declaration.size(), valueEnd = text.find(L'"', valueBegin);
        if (valueEnd == std::wstring::npos) return "none";
        switch (Below(random, 3)) {
        case 0: text.replace(valueBegin, valueEnd - valueBegin, Pick(random, kUris)); break;
        case 1: text.erase(at, valueEnd + 1 - at); break;
        default: text.replace(at + 6, declaration.size() - 8, random() & 1 ? L"zz" : L"psk"); break;
        }
        return "namespace binding";
    }
    case 8: {   // add a default namespace or a second binding of a prefix to the root
        size_t at = text.find(L" version=");
        if (at == std::wstring::npos) return "none";
        const std::wstring attribute = random() & 1 ? std::wstring(L" xmlns=\"") + Pick(random, kUris) + L"\""
                                                    : std::wstring(L" xmlns:p2=\"") + Pick(random, kUris) + L"\"";
        text.insert(at, attribute);
        return "extra namespace";
    }
    case 9: {   // rename or drop an attribute
        auto values = AttributeValues(text);
        if (values.empty()) return "none";
        auto span = values[Below(random, values.size())];
        size_t nameEnd = span.first - 2, nameBegin = nameEnd;
        while (nameBegin > 0 && !iswspace(text[nameBegin - 1])) --nameBegin;
        if (random() & 1)
            text.erase(nameBegin, span.second + 1 - nameBegin);
        else
            text.replace(nameBegin, nameEnd - nameBegin, random() & 1 ? L"nme" : L"xsi:type");
        return "attribute name";
    }
    case 10: {   // truncate
        text.resize(Below(random, text.size() + 1));
        return "truncate";
    }
    case 11: {   // flip characters
        size_t flips = 1 + Below(random, 8);
        for (size_t i = 0; i < flips && !text.empty(); ++i) text[Below(random, text.size())] ^= 1u << Below(random, 16);
        return "flip";
    }
    case 12: {   // insert markup characters
        const wchar_t* const bits[] = {L"<", L">", L"&", L"\"", L"</psf:Feature>", L"<psf:Feature>", L"<!--",
                                       L"<![CDATA[x]]>", L"\x0001", L"&#0;", L"&#xFFFF;"};
        text.insert(Below(random, text.size() + 1), Pick(random, bits));
        return "insert";
    }
    default: {   // cut a span out
        size_t at = Below(random, text.size() + 1), length = Below(random, 64);
        text.erase(at, length);
        return "cut";
    }
    }
}

// ---------------------------------------------------------------------------
// The provider.

struct Bench {
    ComPtr<IPrintTicketProvider> provider;
    HANDLE printer = nullptr;
    std::vector<BYTE> devmode;   // the queue's default, whole
    std::wstring privateNamespace;
};

// The capabilities for a ticket: the caller owns the one document it gets.
void RunCapabilities(Bench& bench, IXMLDOMDocument2* ticket, const std::string& where)
{
    currentStep = "GetPrintCapabilities";
    IXMLDOMDocument2* capabilities = nullptr;
    HRESULT hr = bench.provider->GetPrintCapabilities(ticket, &capabilities);
    Record("GetPrintCapabilities", hr, where);
    if (SUCCEEDED(hr) && !capabilities) OutputProblem(where, "GetPrintCapabilities succeeded without a document");
    if (capabilities && capabilities->Release() != 0) ++refLeaks;
}

// Validates, converts, asks for capabilities and converts back; checks what
// the caller receives.
void RunTicket(Bench& bench, IXMLDOMDocument2* ticket, const std::string& where)
{
    std::vector<BYTE> input = bench.devmode;
    ULONG cbOut = 0xDEAD;
    DEVMODEW* out = nullptr;
    LONG before = taskMemory.Outstanding();
    HRESULT hr = S_OK;
    currentStep = "ValidatePrintTicket";
    if (runValidate) Record("ValidatePrintTicket", bench.provider->ValidatePrintTicket(ticket), where);
    if (runCapabilities) RunCapabilities(bench, ticket, where);
    if (!runToDevmode) goto toTicket;

    currentStep = "ConvertPrintTicketToDevMode";
    before = taskMemory.Outstanding();
    hr = bench.provider->ConvertPrintTicketToDevMode(ticket, static_cast<ULONG>(input.size()),
                                                             reinterpret_cast<DEVMODEW*>(input.data()), &cbOut, &out);
    Record("ConvertPrintTicketToDevMode", hr, where);
    if (SUCCEEDED(hr)) {
        if (!out || cbOut < offsetof(DEVMODEW, dmFields) + sizeof(DWORD) ||
            cbOut != static_cast<ULONG>(out->dmSize) + out->dmDriverExtra) {
            OutputProblem(where, "ConvertPrintTicketToDevMode succeeded with a DEVMODE of the wrong size");
        } else {
            // The output must be whole: touch every byte it claims.
            volatile BYTE sum = 0;
            for (ULONG i = 0; i < cbOut; ++i) sum += reinterpret_cast<BYTE*>(out)[i];
            (void)sum;
        }
    }
    if (out) CoTaskMemFree(out);
    if (taskMemory.Outstanding() != before)
        TaskMemoryChanged(where, "task memory left by ValidatePrintTicket or ConvertPrintTicketToDevMode");

toTicket:
    if (!runToTicket) return;
    currentStep = "ConvertDevModeToPrintTicket";
    before = taskMemory.Outstanding();
    input = bench.devmode;
    Record("ConvertDevModeToPrintTicket", bench.provider->ConvertDevModeToPrintTicket(
                                              static_cast<ULONG>(input.size()),
                                              reinterpret_cast<DEVMODEW*>(input.data()), ticket),
           where);
    if (taskMemory.Outstanding() != before) TaskMemoryChanged(where, "task memory left by ConvertDevModeToPrintTicket");
    if (References(ticket) != 1) ++refLeaks;
}

// A DEVMODE of `size` bytes: the default one cut or stretched, with its
// private bytes, and sometimes its size fields, damaged.
void RunDevmode(Bench& bench, size_t size, Random& random, IXMLDOMDocument2* ticket, const std::string& where)
{
    auto bytes = GuardedBytes(size ? size : 1);
    BYTE* data = bytes.get() + (size ? 0 : 1);
    const size_t kept = size < bench.devmode.size() ? size : bench.devmode.size();
    if (kept) memcpy(data, bench.devmode.data(), kept);
    const size_t publicSize = reinterpret_cast<const DEVMODEW*>(bench.devmode.data())->dmSize;
    for (size_t i = kept; i < size; ++i) data[i] = static_cast<BYTE>(random());
    for (size_t i = publicSize; i < kept; ++i)
        if (random() % 4 == 0) data[i] = static_cast<BYTE>(random());
    if (size >= offsetof(DEVMODEW, dmFields) && random() % 3 == 0) {
        auto* devmode = reinterpret_cast<DEVMODEW*>(data);
        devmode->dmSize = static_cast<WORD>(random() % 2 ? random() : publicSize);
        devmode->dmDriverExtra = static_cast<WORD>(random() % 2 ? random() : size - publicSize);
    }
    currentStep = "ConvertDevModeToPrintTicket (DEVMODE sizes)";
    LONG before = taskMemory.Outstanding();
    Record("ConvertDevModeToPrintTicket, DEVMODE of 0..3000 bytes",
           bench.provider->ConvertDevModeToPrintTicket(static_cast<ULONG>(size), reinterpret_cast<DEVMODEW*>(data),
                                                       ticket),
           where);
    currentStep = "ConvertPrintTicketToDevMode (DEVMODE sizes)";
    ComPtr<IXMLDOMDocument2> valid = LoadText(PaperTicket(L"psk:ISOA4", L"Portrait"));
    ULONG cbOut = 0;
    DEVMODEW* out = nullptr;
    HRESULT hr = bench.provider->ConvertPrintTicketToDevMode(valid.Get(), static_cast<ULONG>(size),
                                                             reinterpret_cast<DEVMODEW*>(data), &cbOut, &out);
    Record("ConvertPrintTicketToDevMode, DEVMODE of 0..3000 bytes", hr, where);
    if (out) CoTaskMemFree(out);
    if (taskMemory.Outstanding() != before) TaskMemoryChanged(where, "task memory left by the DEVMODE-size calls");
    if (References(ticket) != 1) ++refLeaks;
}

// Every argument that may not be null, null in turn.
void RunNullArguments(Bench& bench)
{
    ComPtr<IXMLDOMDocument2> ticket = LoadText(PaperTicket(L"psk:ISOA4", L"Portrait"));
    std::vector<BYTE> dm = bench.devmode;
    auto* devmode = reinterpret_cast<DEVMODEW*>(dm.data());
    const ULONG cb = static_cast<ULONG>(dm.size());
    ULONG cbOut = 0;
    DEVMODEW* out = nullptr;
    auto ptd = [&](IXMLDOMDocument2* t, ULONG c, DEVMODEW* d, ULONG* pc, DEVMODEW** po) {
        out = nullptr;
        HRESULT hr = bench.provider->ConvertPrintTicketToDevMode(t, c, d, pc, po);
        if (out) CoTaskMemFree(out);
        return hr;
    };
    currentStep = "null arguments";
    Record("null arguments", ptd(nullptr, cb, devmode, &cbOut, &out), "PT->DM ticket");
    Record("null arguments", ptd(ticket.Get(), cb, nullptr, &cbOut, &out), "PT->DM devmode");
    Record("null arguments", ptd(ticket.Get(), 0, nullptr, &cbOut, &out), "PT->DM devmode, size 0");
    Record("null arguments", ptd(ticket.Get(), cb, devmode, nullptr, &out), "PT->DM size out");
    Record("null arguments", ptd(ticket.Get(), cb, devmode, &cbOut, nullptr), "PT->DM devmode out");
    Record("null arguments", bench.provider->ConvertDevModeToPrintTicket(cb, nullptr, ticket.Get()), "DM->PT devmode");
    Record("null arguments", bench.provider->ConvertDevModeToPrintTicket(0, nullptr, ticket.Get()),
           "DM->PT devmode, size 0");
    Record("null arguments", bench.provider->ConvertDevModeToPrintTicket(cb, devmode, nullptr), "DM->PT ticket");
    Record("null arguments", bench.provider->ValidatePrintTicket(nullptr), "Validate ticket");
    Record("null arguments", bench.provider->GetPrintCapabilities(ticket.Get(), nullptr), "PC out");
    Record("null arguments", bench.provider->QueryDeviceNamespace(nullptr), "namespace out");
    INT count = 0;
    Record("null arguments", bench.provider->GetSupportedVersions(bench.printer, nullptr, &count), "versions");
    INT* versions = nullptr;
    Record("null arguments", bench.provider->GetSupportedVersions(bench.printer, &versions, nullptr), "count");
    if (versions) CoTaskMemFree(versions);
    if (References(ticket.Get()) != 1) ++refLeaks;
}

std::wstring TenMegabyteTicket()
{
    std::wstring body;
    for (long i = 0; body.size() < 10 * 1024 * 1024; ++i)
        body += L"<psf:Feature name=\"psk:Unknown" + std::to_wstring(i) +
                L"\"><psf:Option name=\"psk:Option\"><psf:ScoredProperty name=\"psk:MediaSizeWidth\">"
                L"<psf:Value xsi:type=\"xsd:integer\">-" + std::to_wstring(i) +
                L"</psf:Value></psf:ScoredProperty></psf:Option></psf:Feature>";
    // The feature the provider knows comes last, behind everything else.
    return Open() + body + L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\"/></psf:Feature>" +
           kClose;
}

// Built node by node: a parser may refuse the depth before the provider sees it.
ComPtr<IXMLDOMDocument2> DeepTicket(int depth, bool& parsed)
{
    std::wstring text = Open();
    for (int i = 0; i < depth; ++i) text += L"<psf:Feature name=\"psk:PageMediaSize\"><psf:Option name=\"psk:ISOA4\">";
    for (int i = 0; i < depth; ++i) text += L"</psf:Option></psf:Feature>";
    text += kClose;
    ComPtr<IXMLDOMDocument2> document = LoadText(text);
    parsed = document != nullptr;
    if (document) return document;
    document = LoadText(Open() + kClose);
    if (!document) return document;
    ComPtr<IXMLDOMElement> parent;
    document->get_documentElement(&parent);
    BSTR featureName = SysAllocString(L"psf:Feature"), optionName = SysAllocString(L"psf:Option");
    BSTR uri = SysAllocString(kFramework), nameAttribute = SysAllocString(L"name");
    VARIANT elementType;
    VariantInit(&elementType);
    elementType.vt = VT_I4;
    elementType.lVal = NODE_ELEMENT;
    for (int i = 0; i < depth && parent; ++i) {
        bool feature = i % 2 == 0;
        ComPtr<IXMLDOMNode> node;
        if (FAILED(document->createNode(elementType, feature ? featureName : optionName, uri, &node))) break;
        ComPtr<IXMLDOMElement> element;
        if (FAILED(node->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(element.GetAddressOf()))))
            break;
        VARIANT value;
        VariantInit(&value);
        value.vt = VT_BSTR;
        value.bstrVal = SysAllocString(feature ? L"psk:PageMediaSize" : L"psk:ISOA4");
        element->setAttribute(nameAttribute, value);
        VariantClear(&value);
        ComPtr<IXMLDOMNode> added;
        if (FAILED(parent->appendChild(node.Get(), &added))) break;
        parent.Reset();
        added->QueryInterface(IID_IXMLDOMElement, reinterpret_cast<void**>(parent.GetAddressOf()));
    }
    SysFreeString(featureName);
    SysFreeString(optionName);
    SysFreeString(uri);
    SysFreeString(nameAttribute);
    return document;
}

void PrintUsage(const char* when, const ProcessUsage& u, LONG task)
{
    printf("  %-22s handles %6ld  heap blocks %8ld  heap bytes %11lld  private bytes %11lld  task allocations %ld\n",
           when, u.handles, u.heapBlocks, u.heapBytes, u.privateBytes, static_cast<long>(task));
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    SetUnhandledExceptionFilter(OnCrash);
    SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
    setvbuf(stdout, nullptr, _IONBF, 0);

    long dumpIteration = -1;
    int arg = 1;
    if (argc > 2 && wcscmp(argv[1], L"--dump") == 0) {
        dumpIteration = wcstol(argv[2], nullptr, 10);
        arg = 3;
    }
    long iterations = dumpIteration >= 0 ? dumpIteration + 1 : 20000;
    if (dumpIteration < 0 && argc > arg) iterations = wcstol(argv[arg++], nullptr, 10);
    if (argc > arg) currentSeed = static_cast<unsigned>(wcstoul(argv[arg], nullptr, 10));
    if (iterations < 1) iterations = 1;
    if (const char* methods = getenv("KV_STRESS_METHODS")) {
        runValidate = strchr(methods, 'V') != nullptr;
        runToDevmode = strchr(methods, 'P') != nullptr;
        runToTicket = strchr(methods, 'D') != nullptr;
        runCapabilities = strchr(methods, 'C') != nullptr;
        runQueriesOnly = strchr(methods, 'M') != nullptr;
    }

    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
    CoRegisterMallocSpy(&taskMemory);

    Bench bench;
    if (!OpenPrinterW(const_cast<wchar_t*>(kQueue), &bench.printer, nullptr)) {
        fprintf(stderr, "cannot open the queue \"%ls\" (error %lu)\n", kQueue, GetLastError());
        return 3;
    }
    HRESULT hr = CoCreateInstance(kProviderClsid, nullptr, CLSCTX_INPROC_SERVER, IID_IPrintTicketProvider,
                                  reinterpret_cast<void**>(bench.provider.GetAddressOf()));
    if (FAILED(hr)) {
        fprintf(stderr, "cannot create the provider: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 3;
    }
    SHIMOPTS options = PTSHIM_DEFAULT;
    DWORD flags = 0;
    INT count = 0;
    BSTR* namespaces = nullptr;
    hr = bench.provider->BindPrinter(bench.printer, 1, &options, &flags, &count, &namespaces);
    if (FAILED(hr)) {
        fprintf(stderr, "BindPrinter failed: 0x%08lX\n", static_cast<unsigned long>(hr));
        return 3;
    }
    for (INT i = 0; i < count && namespaces; ++i) SysFreeString(namespaces[i]);
    if (namespaces) CoTaskMemFree(namespaces);
    BSTR privateNs = nullptr;
    if (SUCCEEDED(bench.provider->QueryDeviceNamespace(&privateNs)) && privateNs) bench.privateNamespace = privateNs;
    SysFreeString(privateNs);

    DWORD needed = 0;
    GetPrinterW(bench.printer, 2, nullptr, 0, &needed);
    std::vector<BYTE> info(needed);
    const DEVMODEW* current = nullptr;
    if (needed && GetPrinterW(bench.printer, 2, info.data(), needed, &needed))
        current = reinterpret_cast<const PRINTER_INFO_2W*>(info.data())->pDevMode;
    if (!current) {
        fprintf(stderr, "the queue has no DEVMODE\n");
        return 3;
    }
    const BYTE* dmBytes = reinterpret_cast<const BYTE*>(current);
    bench.devmode.assign(dmBytes, dmBytes + current->dmSize + current->dmDriverExtra);

    // What each method may answer: success, the conflict codes where they
    // apply, and the failures the provider defines: a ticket it cannot read
    // (an exception inside becomes E_FAIL), an unusable argument, no memory.
    Expect("ConvertPrintTicketToDevMode", {S_OK, E_INVALIDARG, E_FAIL, E_OUTOFMEMORY});
    Expect("ConvertDevModeToPrintTicket", {S_OK, E_INVALIDARG, E_FAIL, E_OUTOFMEMORY});
    Expect("ValidatePrintTicket", {S_PT_NO_CONFLICT, S_PT_CONFLICT_RESOLVED, E_INVALIDARG, E_FAIL, E_OUTOFMEMORY});
    Expect("GetPrintCapabilities", {S_OK, E_FAIL, E_OUTOFMEMORY});
    Expect("null arguments", {E_POINTER});
    // A DEVMODE that is not the driver's own, whatever its size, is taken
    // as the queue's current settings under the caller's public fields; one
    // the provider cannot use at all may be refused as an argument.
    Expect("ConvertDevModeToPrintTicket, DEVMODE of 0..3000 bytes", {S_OK, E_INVALIDARG});
    Expect("ConvertPrintTicketToDevMode, DEVMODE of 0..3000 bytes", {S_OK, E_INVALIDARG});

    // The valid tickets the mutations start from.
    std::vector<std::wstring> seeds;
    {
        ComPtr<IXMLDOMDocument2> fromDefault = LoadText(Open() + kClose);
        std::vector<BYTE> dm = bench.devmode;
        hr = bench.provider->ConvertDevModeToPrintTicket(static_cast<ULONG>(dm.size()),
                                                         reinterpret_cast<DEVMODEW*>(dm.data()), fromDefault.Get());
        if (FAILED(hr)) {
            fprintf(stderr, "the default DEVMODE does not convert: 0x%08lX\n", static_cast<unsigned long>(hr));
            return 3;
        }
        seeds.push_back(TextOf(fromDefault.Get()));
    }
    for (const wchar_t* paper : {L"psk:ISOA4", L"psk:NorthAmericaLetter", L"psk:ISOA3", L"psk:NorthAmericaLegal",
                                 L"psk:ISOA5", L"psk:JISB5", L"psk:NorthAmericaExecutive"})
        for (const wchar_t* orientation : {L"Portrait", L"Landscape"}) seeds.push_back(PaperTicket(paper, orientation));
    for (auto size : {std::make_pair(L"210000", L"297000"), std::make_pair(L"0", L"0"),
                      std::make_pair(L"-210000", L"297000"), std::make_pair(L"2147483647", L"2147483647"),
                      std::make_pair(L"76200", L"127000"), std::make_pair(L"1", L"99999999999")})
        seeds.push_back(CustomTicket(size.first, size.second, bench.privateNamespace));

    if (dumpIteration >= 0) {
        Random random(currentSeed);
        std::wstring text;
        for (long i = 0; i <= dumpIteration; ++i) {
            text = seeds[Below(random, seeds.size())];
            const size_t mutations = 1 + Below(random, 3);
            for (size_t m = 0; m < mutations; ++m) Mutate(text, random);
        }
        printf("%ls\n", text.c_str());
        return 0;
    }

    printf("ticket stress: %ld iterations, seed %u, %zu starting tickets, methods%s%s%s%s\n", iterations,
           currentSeed, seeds.size(), runValidate ? " Validate" : "", runToDevmode ? " PrintTicketToDevMode" : "",
           runToTicket ? " DevModeToPrintTicket" : "", runCapabilities ? " GetPrintCapabilities" : "");

    // What the platform's MSXML keeps for good.
    const HeapCost attributeCost = MeasureAttributeNodeCost(20000);
    const HeapCost skeletonCost = MeasureSkeletonCost(500);
    const bool counting = CountAttributeNodes(NewDocument().Get());
    printf("platform keeps: %.2f heap blocks (%.1f bytes) per namespaced attribute node%s; %.2f (%.1f) per "
           "capabilities skeleton\n",
           attributeCost.blocks, attributeCost.bytes, counting ? "" : " (CANNOT COUNT THEM: all growth is judged)",
           skeletonCost.blocks, skeletonCost.bytes);

    // The fixed cases: arguments, the sizes of DEVMODE, the big and the deep.
    RunNullArguments(bench);
    Random devmodeRandom(currentSeed ^ 0x5eed);
    for (size_t size = 0; size <= 3000; ++size) {
        ComPtr<IXMLDOMDocument2> ticket = LoadText(PaperTicket(L"psk:ISOA4", L"Portrait"));
        RunDevmode(bench, size, devmodeRandom, ticket.Get(), "DEVMODE of " + std::to_string(size) + " bytes");
    }
    {
        currentStep = "10 MB ticket";
        const std::wstring text = TenMegabyteTicket();
        ComPtr<IXMLDOMDocument2> big = LoadText(text);
        printf("10 MB ticket (%zu characters): %s\n", text.size(), big ? "loaded" : "did not load");
        if (big) {
            lastResults.clear();
            RunTicket(bench, big.Get(), "10 MB ticket");
            printf("  results:%s\n", lastResults.c_str());
        }
    }
    {
        currentStep = "10000-deep ticket";
        bool parsed = false;
        ComPtr<IXMLDOMDocument2> deep = DeepTicket(10000, parsed);
        printf("10000-deep ticket: %s\n",
               deep ? (parsed ? "parsed from text" : "built node by node (the parser refused it)") : "could not be made");
        if (deep) {
            lastResults.clear();
            RunTicket(bench, deep.Get(), "10000-deep ticket");
            printf("  results:%s\n", lastResults.c_str());
        }
    }

    // The mutations.
    Random random(currentSeed);
    long notLoaded = 0;
    std::map<std::string, long> mutationCounts;
    const long warmUp = iterations / 10 < 500 ? (iterations < 1000 ? iterations / 2 : 500) : iterations / 10;
    ProcessUsage atWarm = {}, atMiddle = {};
    LONG taskAtWarm = 0, taskAtMiddle = 0;
    long attributesAtWarm = 0;
    std::map<HRESULT, long> capabilitiesAtWarm;
    const long middle = warmUp + (iterations - warmUp) / 2;
    const bool tracing = getenv("KV_STRESS_TRACE") != nullptr;
    long traced = 0, clean = 0;
    const bool plain = getenv("KV_STRESS_PLAIN") != nullptr;
    for (long i = 0; i < iterations; ++i) {
        currentIteration = i;
        if (i == warmUp) {
            atWarm = ReadProcessUsage();
            taskAtWarm = taskMemory.Outstanding();
            attributesAtWarm = AttributeNodesMade();
            capabilitiesAtWarm = tallies["GetPrintCapabilities"].seen;
        }
        if (i == middle) {
            atMiddle = ReadProcessUsage();
            taskAtMiddle = taskMemory.Outstanding();
        }
        const size_t seedIndex = Below(random, seeds.size());
        std::wstring text = seeds[seedIndex];
        // KV_STRESS_PLAIN runs the starting tickets as they are, for comparison.
        const size_t mutations = plain ? 0 : 1 + Below(random, 3);
        std::string applied = plain ? "unmutated" : "";
        for (size_t m = 0; m < mutations; ++m) {
            const char* what = Mutate(text, random);
            ++mutationCounts[what];
            applied += std::string(m ? ", " : "") + what;
        }
        // Traced runs read the heap around each ticket once warmed up, and
        // name the inputs after which more blocks stay in use than before.
        const bool trace = tracing && i >= warmUp && traced < 15;
        long blocksBefore = 0;
        long long bytesBefore = 0;
        if (trace) {
            ProcessUsage u = ReadProcessUsage();
            blocksBefore = u.heapBlocks;
            bytesBefore = u.heapBytes;
        }
        currentStep = "loadXML";
        ComPtr<IXMLDOMDocument2> ticket = LoadText(text);
        if (!ticket) {
            ++notLoaded;
            continue;
        }
        if (runQueriesOnly)
            RunQueries(ticket.Get());
        else
            RunTicket(bench, ticket.Get(), "iteration " + std::to_string(i));
        if (trace) {
            ticket.Reset();
            ProcessUsage u = ReadProcessUsage();
            if (u.heapBlocks > blocksBefore) {
                ++traced;
                printf("  trace: iteration %ld (starting ticket %zu; %s) left %+ld heap blocks, %+lld bytes\n", i,
                       seedIndex, applied.c_str(), u.heapBlocks - blocksBefore, u.heapBytes - bytesBefore);
            } else if (++clean <= 3) {
                printf("  trace: iteration %ld (starting ticket %zu; %s) left nothing\n", i, seedIndex,
                       applied.c_str());
            }
        }
        if ((i + 1) % 5000 == 0) printf("  %ld iterations\n", i + 1);
    }
    currentStep = "end";
    const ProcessUsage atEnd = ReadProcessUsage();
    const LONG taskAtEnd = taskMemory.Outstanding();
    const long attributesMade = counting ? AttributeNodesMade() - attributesAtWarm : 0;
    long skeletons = 0;
    for (const auto& seen : tallies["GetPrintCapabilities"].seen) skeletons += seen.second - capabilitiesAtWarm[seen.first];

    printf("\nmutations applied:");
    for (const auto& m : mutationCounts) printf(" %s %ld;", m.first.c_str(), m.second);
    printf("\ntickets that did not load: %ld of %ld (skipped)\n", notLoaded, iterations);

    printf("\nHRESULTs by method:\n");
    for (const auto& t : tallies) {
        printf("  %s\n", t.first.c_str());
        for (const auto& s : t.second.seen) {
            const bool expected = t.second.expected.count(s.first) != 0;
            printf("    0x%08lX %-24s %8ld%s\n", static_cast<unsigned long>(s.first), Name(s.first), s.second,
                   expected ? "" : "   UNEXPECTED");
            if (!expected) printf("        first at: %s\n", t.second.firstUnexpected.at(s.first).c_str());
        }
    }

    printf("\nprocess usage:\n");
    PrintUsage("after warm-up", atWarm, taskAtWarm);
    PrintUsage("half-way", atMiddle, taskAtMiddle);
    PrintUsage("end", atEnd, taskAtEnd);

    // Flat means: no handle more, a few hundred heap blocks of the platform's
    // caches at most, and committed memory within one megabyte, once what
    // the platform keeps of attribute nodes is taken off.
    const long kHandles = 2, kBlocks = 500;
    const long long kHeapBytes = 512 * 1024, kPrivate = 1024 * 1024;
    const double keptBlocks = attributesMade * attributeCost.blocks + skeletons * skeletonCost.blocks;
    const double keptBytes = attributesMade * attributeCost.bytes + skeletons * skeletonCost.bytes;
    const long platformBlocks = static_cast<long>(keptBlocks + 0.5);
    const long long platformBytes = static_cast<long long>(keptBytes + 0.5);
    const long dHandles = atEnd.handles - atWarm.handles;
    const long dBlocks = atEnd.heapBlocks - atWarm.heapBlocks - platformBlocks;
    const long long dBytes = atEnd.heapBytes - atWarm.heapBytes - platformBytes;
    // Committed memory the heap's own growth (its blocks with their headers)
    // does not account for: what VirtualAlloc and the like left behind.
    const long long kBlockOverhead = 32;
    const long long dPrivate = atEnd.privateBytes - atWarm.privateBytes - (atEnd.heapBytes - atWarm.heapBytes) -
                               kBlockOverhead * (atEnd.heapBlocks - atWarm.heapBlocks);
    printf("after warm-up: %ld attribute nodes, %ld capabilities skeletons; the platform keeps %ld heap blocks, "
           "%lld bytes of them\n",
           attributesMade, skeletons, platformBlocks, platformBytes);
    printf("growth after warm-up, the platform's share taken off: handles %+ld (limit %ld), heap blocks %+ld "
           "(limit %ld), heap bytes %+lld (limit %lld), private bytes beyond the heap's %+lld (limit %lld), task allocations %+ld "
           "(informational)\n",
           dHandles, kHandles, dBlocks, kBlocks, dBytes, kHeapBytes, dPrivate, kPrivate,
           static_cast<long>(taskAtEnd - taskAtWarm));
    printf("references left on tickets: %ld; DEVMODE outputs of the wrong size: %ld; calls after which task "
           "memory outstanding changed (informational): %ld\n",
           refLeaks, outputProblems, taskMemoryChanges);
    const ULONG providerRefs = References(bench.provider.Get());
    printf("provider references at the end: %lu (expected 1)\n", providerRefs);

    bool unreadable = atWarm.handles <= 0 || atWarm.heapBlocks <= 0 || atWarm.privateBytes <= 0 ||
                      atEnd.handles <= 0 || atEnd.heapBlocks <= 0 || atEnd.privateBytes <= 0;
    bench.provider.Reset();
    ClosePrinter(bench.printer);
    CoRevokeMallocSpy();
    CoUninitialize();

    int status = 0;
    if (unexpectedResults || refLeaks || outputProblems || providerRefs != 1) status = 1;
    if (unreadable || dHandles > kHandles || dBlocks > kBlocks || dBytes > kHeapBytes || dPrivate > kPrivate)
        status = status ? status : 2;
    printf("\nresult: %s (exit %d)\n",
           status == 0 ? "no crash, every HRESULT expected, counters flat"
                       : status == 1 ? "unexpected HRESULTs, references left or wrong outputs" : "a counter grew",
           status);
    return status;
}
