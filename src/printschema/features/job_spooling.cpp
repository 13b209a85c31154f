#include "printschema/features/job_spooling.h"

#include "printschema/cxd_exception.h"
#include "printschema/feature_query.h"
#include "printschema/features/choice_feature.h"
#include "printschema/features/clean_text.h"
#include "printschema/features/handler_steps.h"
#include "printschema/features/model_caps.h"

#include <wrl/client.h>

#include <climits>
#include <cstddef>
#include <string>

using Microsoft::WRL::ComPtr;

namespace {

const ChoiceOption kSpoolingOptions[] = {{L"Off", 1109}, {L"On", 1127}};
const ChoiceFeature kSpooling = MakeChoiceFeature(L"JobSpooling", true, 3754, kSpoolingOptions);

// By JobStorageMode.
const ChoiceOption kReprintOptions[] = {
    {L"LastJobReprint", 3756},
    {L"SecurePrint", 3757},
    {L"Public", 0},
    {L"Proof", 0},
};
const ChoiceFeature kReprint = MakeChoiceFeature(L"JobSpoolingReprint", true, 3755, kReprintOptions);

const ChoiceOption kSystemNameOptions[] = {{L"On", 1127}, {L"Off", 0}};
const ChoiceFeature kSystemName = MakeChoiceFeature(L"JobSpoolingUseSystemName", true, 0, kSystemNameOptions);

const wchar_t kData[] = L"JobSpoolingData";
const wchar_t kPassword[] = L"JobSpoolingPassword";
const wchar_t kCodePage[] = L"JobSpoolingCodePage";

// A storage mask naming only secure printing: such printers store every
// job under a PIN, whatever mode the DEVMODE holds.
constexpr DWORD kSecureOnly = 1u << kStorageSecure;

// The texts, where they live in the private part and how they travel:
// the names a user types are ticket parameters, the ones the system fills
// in are data.
struct TextField {
    BstrOwner JobSpoolingSettings::* value;
    size_t         offset;     // in PrivateSettings
    size_t         capacity;   // characters, terminator included
    const wchar_t* name;
    bool           isParameter;
};
const TextField kTextFields[] = {
    {&JobSpoolingSettings::userName, offsetof(PrivateSettings, mopyUser),
     sizeof(PrivateSettings::mopyUser) / sizeof(WCHAR), L"JobSpoolingUserName", true},
    {&JobSpoolingSettings::jobName, offsetof(PrivateSettings, mopyJob), sizeof(PrivateSettings::mopyJob) / sizeof(WCHAR),
     L"JobSpoolingJobName", true},
    {&JobSpoolingSettings::defaultUserName,
     offsetof(PrivateSettings, processor) + offsetof(ProcessorBlock, spoolDefaultUserName),
     sizeof(ProcessorBlock::spoolDefaultUserName) / sizeof(WCHAR), L"JobSpoolingDefaultUserName", false},
    {&JobSpoolingSettings::computerName, offsetof(PrivateSettings, spoolComputerName),
     sizeof(PrivateSettings::spoolComputerName) / sizeof(WCHAR), L"JobSpoolingComputerName", false},
};

// Longest user or job name a ticket's user interface offers.
constexpr int kMaxNameLength = 80;

const WCHAR* FieldOf(const PrivateSettings* privatePart, const TextField& field)
{
    return reinterpret_cast<const WCHAR*>(reinterpret_cast<const BYTE*>(privatePart) + field.offset);
}

WCHAR* FieldOf(PrivateSettings* privatePart, const TextField& field)
{
    return reinterpret_cast<WCHAR*>(reinterpret_cast<BYTE*>(privatePart) + field.offset);
}

DWORD StorageMask(HANDLE printer)
{
    DWORD caps = 0;
    ReadModelCapsWord(printer, L"DeviceCaps", &caps);
    return (caps & kDeviceCapsStorageMask) >> kDeviceCapsStorageShift;
}

BstrOwner DataQuery(const PrintSchemaDocument& document, const wchar_t* name)
{
    FeatureQuery query(document.FrameworkPrefix());
    ThrowOnFailure(query.ForProperty(document.PrivatePrefix(), kData));
    ThrowOnFailure(query.ForProperty(document.PrivatePrefix(), name));
    BstrOwner text;
    ThrowOnFailure(query.Take(text.Receive()));
    return text;
}

// The query of a text's value: a parameter, or a child of the data property.
BstrOwner TextQuery(const PrintSchemaDocument& document, const TextField& field)
{
    if (!field.isParameter) return DataQuery(document, field.name);
    FeatureQuery query(document.FrameworkPrefix());
    ThrowOnFailure(query.ForParameterInit(document.PrivatePrefix(), field.name));
    BstrOwner text;
    ThrowOnFailure(query.Take(text.Receive()));
    return text;
}

// The value's text, cleaned as a DEVMODE text is; false when absent.
bool ReadText(PrintSchemaDocument& document, const wchar_t* query, size_t capacity, BstrOwner* text)
{
    VARIANT value;
    HRESULT hr = ThrowOnFailure(document.ReadValue(query, &value));
    bool read = false;
    if (hr == S_OK && SUCCEEDED(VariantChangeType(&value, &value, 0, VT_BSTR))) {
        *text = BstrOwner::Copy(CleanText(value.bstrVal ? value.bstrVal : L"", capacity).c_str());
        read = true;
    }
    VariantClear(&value);
    return read;
}

bool ReadInteger(PrintSchemaDocument& document, const wchar_t* query, INT32* value)
{
    return ThrowOnFailure(document.ReadIntegerValue(query, value)) == S_OK;
}

class JobSpoolingHandler : public FeatureHandlerBase<JobSpoolingSettings> {
public:
    using FeatureHandlerBase::FeatureHandlerBase;

    HRESULT GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2* ticket, IXMLDOMDocument2* capabilities) override;

protected:
    KV_FEATURE_STEPS(JobSpoolingSettings);
};

HRESULT JobSpoolingHandler::ReadDevMode(HANDLE printer, const DEVMODEW* devmode, ULONG dmSize,
                                        const PrivateSettings* privatePart, ULONG dmDriverExtra,
                                        JobSpoolingSettings* settings)
{
    HRESULT hr = CheckDevModeToRead(devmode, dmSize, privatePart, dmDriverExtra, settings);
    if (FAILED(hr)) return hr;
    return AtComBoundary([&]() -> HRESULT {
        JobSpoolingSettings& s = *settings;
        const WORD mopy = privatePart->mopy;
        s.storageMask = StorageMask(printer);
        s.on = (mopy & kMopyOn) ? 1 : 0;
        DWORD mode = mopy & kMopyModeMask;
        if (s.storageMask == kSecureOnly)
            s.mode = kStorageSecure;
        else
            s.mode = mode <= static_cast<DWORD>(kStorageProof) ? mode : static_cast<DWORD>(kStorageLastJob);
        s.noSystemName = (mopy & kMopyNoSystemUser) ? 1 : 0;
        for (const TextField& field : kTextFields)
            s.*field.value = BstrOwner::Copy(CleanText(FieldOf(privatePart, field), field.capacity).c_str());
        s.pin = privatePart->mopyPin;
        s.codePage = privatePart->textCodePage;
        return S_OK;
    });
}

HRESULT JobSpoolingHandler::WriteDevMode(HANDLE, const JobSpoolingSettings* settings, DEVMODEW* devmode,
                                         ULONG dmSize, PrivateSettings* privatePart, ULONG dmDriverExtra)
{
    HRESULT hr = CheckDevModeToWrite(devmode, dmSize, privatePart, dmDriverExtra);
    if (FAILED(hr)) return hr;
    if (!settings) return E_POINTER;
    const JobSpoolingSettings& s = *settings;
    WORD mopy = privatePart->mopy;
    if (s.on == 1) mopy |= kMopyOn;
    if (s.on == 0) mopy &= static_cast<WORD>(~kMopyOn);
    mopy &= static_cast<WORD>(~kMopyModeMask);
    if (s.mode >= 1 && s.mode <= kStorageProof) mopy |= static_cast<WORD>(s.mode);
    if (s.noSystemName)
        mopy |= kMopyNoSystemUser;
    else
        mopy &= static_cast<WORD>(~kMopyNoSystemUser);
    privatePart->mopy = mopy;
    for (const TextField& field : kTextFields) {
        WCHAR* target = FieldOf(privatePart, field);
        lstrcpynW(target, (s.*field.value).Text(), static_cast<int>(field.capacity));
    }
    privatePart->mopyPin = static_cast<SHORT>(s.pin);
    privatePart->textCodePage = s.codePage;
    return S_OK;
}

HRESULT JobSpoolingHandler::ReadPrintTicket(IXMLDOMDocument2* ticket, JobSpoolingSettings* settings)
{
    if (!ticket || !settings) return E_POINTER;
    JobSpoolingSettings& s = *settings;
    return ReadTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        int index = 0;
        if (ReadChoice(document, kSpooling, &index) == S_OK) s.on = static_cast<DWORD>(index);
        if (ReadChoice(document, kReprint, &index) == S_OK) s.mode = static_cast<DWORD>(index);
        if (ReadChoice(document, kSystemName, &index) == S_OK) s.noSystemName = static_cast<DWORD>(index);
        for (const TextField& field : kTextFields)
            ReadText(document, TextQuery(document, field).Text(), field.capacity, &(s.*field.value));
        INT32 value = 0;
        // The DEVMODE keeps the PIN in 16 bits.
        if (ReadInteger(document, DataQuery(document, kPassword).Text(), &value))
            s.pin = value < SHRT_MIN ? SHRT_MIN : value > SHRT_MAX ? SHRT_MAX : value;
        if (ReadInteger(document, DataQuery(document, kCodePage).Text(), &value)) s.codePage = static_cast<DWORD>(value);
        return S_OK;
    });
}

HRESULT JobSpoolingHandler::WritePrintTicket(const JobSpoolingSettings* settings, IXMLDOMDocument2* ticket)
{
    if (!ticket || !settings) return E_POINTER;
    const JobSpoolingSettings& s = *settings;
    return WriteTicket(ticket, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        RemoveChoice(document, kSpooling);
        ThrowOnFailure(document.RemovePrivateProperty(kData));
        for (const TextField& field : kTextFields)
            if (field.isParameter) ThrowOnFailure(document.RemovePrivateParameterInit(field.name));

        ComPtr<IXMLDOMElement> feature = AppendChoice(document, root.Get(), kSpooling, s.on ? 1 : 0);
        AppendChoice(document, feature.Get(), kReprint, static_cast<int>(s.mode));
        AppendChoice(document, feature.Get(), kSystemName, s.noSystemName ? 1 : 0);

        const wchar_t* ours = document.PrivatePrefix();
        ComPtr<IXMLDOMElement> data, pin, codePage;
        ThrowOnFailure(document.CreateProperty(ours, kData, &data));
        ThrowOnFailure(document.CreateIntegerPropertyValue(ours, kPassword, s.pin, &pin));
        ThrowOnFailure(document.CreateIntegerPropertyValue(ours, kCodePage, static_cast<int>(s.codePage), &codePage));
        AppendChild(data.Get(), pin.Get());
        AppendChild(data.Get(), codePage.Get());
        for (const TextField& field : kTextFields) {
            const wchar_t* text = (s.*field.value).Text();
            if (field.isParameter) {
                ComPtr<IXMLDOMElement> ref, init;
                ThrowOnFailure(document.CreateParameterInit(ours, field.name, kXsdString, text, &ref, &init));
                AppendChild(root.Get(), init.Get());
            } else {
                ComPtr<IXMLDOMElement> property;
                ThrowOnFailure(document.CreatePropertyValue(ours, field.name, kXsdString, text, &property));
                AppendChild(data.Get(), property.Get());
            }
        }
        AppendChild(root.Get(), data.Get());
        return S_OK;
    });
}

HRESULT JobSpoolingHandler::GetPrintCapabilities(HANDLE printer, IXMLDOMDocument2*, IXMLDOMDocument2* capabilities)
{
    if (!capabilities) return E_POINTER;
    const DWORD storage = StorageMask(printer);
    return WriteCapabilities(capabilities, [&](PrintSchemaDocument& document) -> HRESULT {
        ComPtr<IXMLDOMNode> root;
        ThrowOnFailure(document.SelectRoot(&root));
        ComPtr<IXMLDOMElement> feature = AppendChoiceCapabilities(document, root.Get(), kSpooling, EveryChoiceOpen);
        // A printer that stores no jobs has no storage mode to choose.
        if (storage & ((1u << kReprint.count) - 1))
            AppendChoiceCapabilities(document, feature.Get(), kReprint, [storage](size_t index, ConstraintLevel* level) {
                *level = kConstraintNone;
                return (storage & (1u << index)) != 0;
            });
        AppendChoiceCapabilities(document, feature.Get(), kSystemName, EveryChoiceOpen);
        for (const TextField& field : kTextFields) {
            if (!field.isParameter) continue;
            ComPtr<IXMLDOMElement> definition;
            ThrowOnFailure(document.CreateStringParameterDef(field.name, true, nullptr, L"", 0, kMaxNameLength,
                                                             L"Characters", &definition));
            AppendChild(root.Get(), definition.Get());
        }
        return S_OK;
    });
}

}  // namespace

std::unique_ptr<FeatureHandler> CreateJobSpoolingHandler(const wchar_t* privateNamespace)
{
    return std::make_unique<JobSpoolingHandler>(privateNamespace);
}
