#include "ui/quick_setup_sync.h"

#include "core/driver_strings.h"
#include "core/model_queries.h"
#include "core/module_entry.h"
#include "core/spooler_info.h"
#include "core/ui_session.h"
#include "lifecycle/companion_programs.h"
#include "resources/resource_ids.h"
#include "settings/devmode_sync.h"

#include <cwchar>

const WCHAR kQuickSetupSection[] = L"KVQSMON";

namespace {

const WCHAR kPrinterKey[] = L"Printer";
const WCHAR kModelKey[] = L"Model";
const WCHAR kLanguageKey[] = L"Lang";
const WCHAR kItemsKey[] = L"Set";
const WCHAR kMaskKey[] = L"Bits";
const WCHAR kPaperSourceKey[] = L"1";
const WCHAR kMonitorProgram[] = L"KVQSMON.EXE";
const WCHAR kMonitorFile[] = L"\\kvqsmon.ini";

// Where the model's quick-setup data keeps the items it offers.
const WCHAR kModelItemsSection[] = L"QuickSetup";

// The paper source travels in the low 12 bits of item 1; the monitor keeps
// flags of its own above them, and only a value with such flags holds a
// choice of the monitor's.
const LONG kPaperSourceBits = 0xFFF;
const WORD kAutomaticSource = 7;
const WORD kDuplexBits = 0x1FF;

const size_t kValueChars = 64;

struct ItemBit {
    int item;
    DWORD bit;
};
const ItemBit kItemBits[] = {
    {1, kQuickSetupPaperSource}, {2, kQuickSetupMediaType}, {10, kQuickSetupMultiPage},
    {11, kQuickSetupDuplex},     {12, kQuickSetupTonerSave},
};

// Poster printing keeps its page count in the processor block.
LONG MultiPageOf(const DEVMODEW&, const PrivateSettings& priv)
{
    const LONG poster = priv.processor.procPagesPerSheet;
    return (priv.multiPage < 2 && poster < 1) ? poster : priv.multiPage;
}
LONG TonerSaveOf(const DEVMODEW&, const PrivateSettings& priv) { return priv.economy; }
LONG MediaTypeOf(const DEVMODEW&, const PrivateSettings& priv) { return priv.mediaType; }
LONG DuplexOf(const DEVMODEW&, const PrivateSettings& priv) { return priv.duplex & kDuplexBits; }

void TakeMultiPage(LONG value, DriverDevmode* dm) { dm->priv.multiPage = static_cast<SHORT>(value); }
void TakeTonerSave(LONG value, DriverDevmode* dm) { dm->priv.economy = static_cast<WORD>(value); }
void TakeMediaType(LONG value, DriverDevmode* dm) { dm->priv.mediaType = static_cast<WORD>(value); }
void TakeDuplex(LONG value, DriverDevmode* dm)
{
    dm->priv.duplex = static_cast<WORD>((dm->priv.duplex & ~kDuplexBits) | (value & kDuplexBits));
    DeriveDevmodeDuplex(&dm->pub);
}

// The items whose value is the setting itself (the paper source is not).
struct ItemValue {
    DWORD bit;
    const WCHAR* key;
    LONG (*current)(const DEVMODEW& pub, const PrivateSettings& priv);
    void (*take)(LONG value, DriverDevmode* dm);
};
const ItemValue kItemValues[] = {
    {kQuickSetupMultiPage, L"10", MultiPageOf, TakeMultiPage},
    {kQuickSetupTonerSave, L"12", TonerSaveOf, TakeTonerSave},
    {kQuickSetupMediaType, L"2", MediaTypeOf, TakeMediaType},
    {kQuickSetupDuplex, L"11", DuplexOf, TakeDuplex},
};

void ReadText(const WCHAR* path, const WCHAR* section, const WCHAR* key, WCHAR* text)
{
    GetPrivateProfileStringW(section, key, L"", text, kValueChars, path);
}

// A number as the file holds it; absent when the key is missing or holds
// no number.
LONG ReadNumber(const WCHAR* path, const WCHAR* section, const WCHAR* key, LONG absent, int base)
{
    WCHAR text[kValueChars];
    ReadText(path, section, key, text);
    WCHAR* end = nullptr;
    const unsigned long value = wcstoul(text, &end, base);
    return end == text ? absent : static_cast<LONG>(value);
}

void WriteTextIfDifferent(const QuickSetupPrinter& printer, const WCHAR* key, const WCHAR* value)
{
    WCHAR stored[kValueChars];
    ReadText(printer.iniPath, printer.printerName, key, stored);
    if (wcscmp(stored, value) != 0)
        WritePrivateProfileStringW(printer.printerName, key, value, printer.iniPath);
}

void WriteNumberIfDifferent(const QuickSetupPrinter& printer, const WCHAR* key, LONG stored,
                            LONG value)
{
    if (stored == value)
        return;
    WCHAR text[kValueChars];
    swprintf(text, kValueChars, L"%ld", value);
    WritePrivateProfileStringW(printer.printerName, key, text, printer.iniPath);
}

void RefreshIdentity(const QuickSetupPrinter& printer)
{
    WCHAR stored[MAX_PATH];
    GetPrivateProfileStringW(kQuickSetupSection, kPrinterKey, L"", stored, MAX_PATH,
                             printer.iniPath);
    if (lstrcmpiW(stored, printer.printerName) != 0) {
        WritePrivateProfileStringW(kQuickSetupSection, kPrinterKey, printer.printerName,
                                   printer.iniPath);
        WriteTextIfDifferent(printer, kModelKey, printer.modelName);
    }
    WriteTextIfDifferent(printer, kLanguageKey, printer.language);
}

BOOL ReadModelItems(const QuickSetupPrinter& printer, WCHAR* items)
{
    items[0] = L'\0';
    if (printer.modelDataPath)
        ReadText(printer.modelDataPath, kModelItemsSection, kItemsKey, items);
    return items[0] != L'\0';
}

// The items of a printer whose section lists none are the model's; the
// mask that goes with them is recorded beside them.
DWORD ItemMaskForWriting(const QuickSetupPrinter& printer)
{
    WCHAR items[kValueChars];
    ReadText(printer.iniPath, printer.printerName, kItemsKey, items);
    if (!items[0] && ReadModelItems(printer, items)) {
        WritePrivateProfileStringW(printer.printerName, kItemsKey, items, printer.iniPath);
        const DWORD mask = QuickSetupItemMask(items);
        WCHAR text[kValueChars];
        swprintf(text, kValueChars, L"0x%x", mask);
        WritePrivateProfileStringW(printer.printerName, kMaskKey, text, printer.iniPath);
        return mask;
    }
    return static_cast<DWORD>(
        ReadNumber(printer.iniPath, printer.printerName, kMaskKey, -1, 0));
}

DWORD ItemMaskForReading(const QuickSetupPrinter& printer)
{
    const LONG stored = ReadNumber(printer.iniPath, printer.printerName, kMaskKey, -1, 0);
    WCHAR items[kValueChars];
    if (stored == -1 && ReadModelItems(printer, items))
        return QuickSetupItemMask(items);
    return static_cast<DWORD>(stored);
}

LONG StoredPaperSource(const QuickSetupPrinter& printer)
{
    return ReadNumber(printer.iniPath, printer.printerName, kPaperSourceKey, 0, 10);
}

bool NamesLastPrinter(const QuickSetupPrinter& printer)
{
    if (!FileExists(printer.iniPath))
        return false;
    WCHAR stored[MAX_PATH];
    GetPrivateProfileStringW(kQuickSetupSection, kPrinterKey, L"", stored, MAX_PATH,
                             printer.iniPath);
    return stored[0] != L'\0';
}

// The printer's name, its model's quick-setup data and the language, as the
// file records them.
struct PrinterFacts {
    WCHAR name[MAX_PATH];
    WCHAR modelDataPath[MAX_PATH];
    WCHAR language[kValueChars];
    QuickSetupPrinter view;
};

// The driver data file's path with the extension "INI".
BOOL ModelDataPathOf(HANDLE printer, WCHAR* path, size_t capacity)
{
    auto* driver = reinterpret_cast<DRIVER_INFO_2W*>(ReadDriverInfo(printer, 2));
    BOOL ok = FALSE;
    if (driver && driver->pDataFile && wcslen(driver->pDataFile) + 5 < capacity) {
        wcscpy(path, driver->pDataFile);
        WCHAR* name = wcsrchr(path, L'\\');
        name = name ? name + 1 : path;
        WCHAR* dot = wcsrchr(name, L'.');
        wcscpy(dot ? dot + 1 : path + wcslen(path), dot ? L"INI" : L".INI");
        ok = TRUE;
    }
    if (driver)
        GlobalFree(driver);
    return ok;
}

BOOL GatherFacts(HANDLE printer, const WCHAR* iniPath, PrinterFacts* facts)
{
    if (!ReadQueueName(printer, facts->name, MAX_PATH) || !facts->name[0])
        return FALSE;
    if (!ModelDataPathOf(printer, facts->modelDataPath, MAX_PATH))
        facts->modelDataPath[0] = L'\0';
    if (!LoadDriverString(IDS_LANGUAGE_SHORT, facts->language, kValueChars))
        facts->language[0] = L'\0';
    const WCHAR* slash = wcsrchr(facts->modelDataPath, L'\\');
    facts->view.iniPath = iniPath;
    facts->view.printerName = facts->name;
    facts->view.modelName = slash ? slash + 1 : facts->modelDataPath;
    facts->view.modelDataPath = facts->modelDataPath[0] ? facts->modelDataPath : nullptr;
    facts->view.language = facts->language;
    return TRUE;
}

void Launch(const QuickSetupMonitor& monitor, const PrivateSettings* priv)
{
    if (monitor.launch)
        monitor.launch(priv);
}

} // namespace

DWORD QuickSetupItemMask(const WCHAR* items)
{
    DWORD mask = 0;
    const WCHAR* cursor = items;
    while (cursor && *cursor) {
        WCHAR* end = nullptr;
        const long item = wcstol(cursor, &end, 10);
        if (end == cursor)
            break;
        for (const ItemBit& entry : kItemBits)
            if (entry.item == item)
                mask |= entry.bit;
        while (*end == L' ' || *end == L'\t')
            ++end;
        cursor = *end == L',' ? end + 1 : nullptr;
    }
    return mask;
}

void LocateQuickSetupMonitor(QuickSetupMonitor* monitor)
{
    WCHAR program[MAX_PATH];
    monitor->installed = ModuleSiblingPath(kMonitorProgram, program, MAX_PATH) &&
                         FileExists(program);
    monitor->launch = LaunchQuickSetupMonitor;
    // A monitor recent enough reads the per-user file; older ones keep
    // theirs in the Windows directory.
    if (IsQuickSetupMonitorRecent() && QuickSetupIniPath(monitor->iniPath, MAX_PATH, FALSE))
        return;
    const UINT length = GetWindowsDirectoryW(monitor->iniPath, MAX_PATH);
    if (length == 0 || length + wcslen(kMonitorFile) >= MAX_PATH)
        monitor->iniPath[0] = L'\0';
    else
        wcscat(monitor->iniPath, kMonitorFile);
}

void WriteQuickSetupSettings(const QuickSetupPrinter& printer, const DEVMODEW* pub,
                             const PrivateSettings* priv)
{
    if (!pub || !priv || !priv->qps || !printer.iniPath || !printer.iniPath[0])
        return;
    RefreshIdentity(printer);
    const DWORD mask = ItemMaskForWriting(printer);
    for (const ItemValue& value : kItemValues) {
        if (!(mask & value.bit))
            continue;
        const LONG stored = ReadNumber(printer.iniPath, printer.printerName, value.key, 0, 10);
        WriteNumberIfDifferent(printer, value.key, stored, value.current(*pub, *priv));
    }
    if (mask & kQuickSetupPaperSource) {
        const LONG stored = StoredPaperSource(printer);
        if (stored & ~kPaperSourceBits)
            WriteNumberIfDifferent(printer, kPaperSourceKey, stored,
                                   pub->dmDefaultSource | (stored & ~kPaperSourceBits));
    }
}

void ReadQuickSetupSettings(const QuickSetupPrinter& printer, const ModelContext* model,
                            DriverDevmode* dm)
{
    if (!dm || !dm->priv.qps || !printer.iniPath || !NamesLastPrinter(printer))
        return;
    RefreshIdentity(printer);
    const DWORD mask = ItemMaskForReading(printer);
    for (const ItemValue& value : kItemValues)
        if (mask & value.bit)
            value.take(ReadNumber(printer.iniPath, printer.printerName, value.key, 0, 10), dm);
    if (mask & kQuickSetupPaperSource) {
        const LONG stored = StoredPaperSource(printer);
        if (stored & ~kPaperSourceBits) {
            WORD source = static_cast<WORD>(stored & kPaperSourceBits);
            if (!OffersPaperSource(model, source))
                source = kAutomaticSource;
            dm->pub.dmDefaultSource = static_cast<SHORT>(source);
            dm->priv.tray = source;
        }
    }
    SyncDerivedSettings(&dm->pub);
}

void SyncQuickSetupAfterApply(HANDLE printer, const DEVMODEW* pub, const PrivateSettings* priv)
{
    if (!pub || !priv)
        return;
    QuickSetupMonitor monitor;
    LocateQuickSetupMonitor(&monitor);
    PrinterFacts facts;
    if (priv->qps && GatherFacts(printer, monitor.iniPath, &facts))
        WriteQuickSetupSettings(facts.view, pub, priv);
    Launch(monitor, priv);
}

void ApplyStoredQuickSetup(HANDLE printer, const ModelContext* model, DriverDevmode* dm)
{
    if (!dm)
        return;
    QuickSetupMonitor monitor;
    LocateQuickSetupMonitor(&monitor);
    if (!monitor.installed)
        return;
    PrinterFacts facts;
    if (dm->priv.qps && GatherFacts(printer, monitor.iniPath, &facts))
        ReadQuickSetupSettings(facts.view, model, dm);
    Launch(monitor, &dm->priv);
}
