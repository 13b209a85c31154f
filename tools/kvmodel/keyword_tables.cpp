#include "keyword_tables.h"

#include <cstring>

namespace {

// Keywords of the published description format that this driver does not
// read: identification the spooler takes from elsewhere, PostScript
// details the printer side handles, structure without meaning here. Keywords
// of user-interface features (OutputBin, MediaColor, ...) are not listed:
// their statements outside an *OpenUI are lost options, worth a warning.
const char* const kUnusedStandardKeywords[] = {
    "1284DeviceID", "1284Modes", "AccurateScreensSupport", "CenterRegistered",
    "CloseSubGroup", "ColorSepScreenAngle", "ColorSepScreenFreq", "ColorSepScreenProc",
    "ColorSepTransfer", "ContoneOnly", "DefaultColorSep", "DefaultColorSpace",
    "DefaultFont", "DefaultHalftoneType", "DefaultScreenProc", "DefaultTransfer",
    "DeviceAdjustMatrix", "Emulators", "FCacheSize", "FileSystem",
    "FormatVersion", "HalftoneType", "InkName", "JobPatchFile",
    "Manufacturer", "Message", "ModelName", "NonUIConstraints",
    "NonUIOrderDependency", "OpenSubGroup", "PCFileName", "PPD-Adobe",
    "PSVersion", "PatchFile", "PrinterError", "Product",
    "Reset", "ScreenProc", "ShortNickName", "Source",
    "Status", "SuggestedManualFeedTimeout", "Throughput", "Transfer",
    "UseHWMargins", "VariablePaperSize",
};

// Prefixes of the keywords other printing systems add to descriptions they
// share with this driver ("cupsFilter", "APDialogExtension", ...); a capital
// letter follows the prefix.
const char* const kOtherSystemPrefixes[] = {"cups", "AP", "Foomatic"};

const char* const kDriverDefaultSwitches[] = {
    "DefaultFontSetting",     "DefaultLanguage",      "DefaultMXMonitor",
    "DefaultOriginalPrintProcessor", "DefaultQuickPrintSetup", "DefaultStatusMonitor",
    "DefaultUsePrinterFonts", "DefaultUseReprint",
};

struct KindName {
    const char* name;
    ModelFeatureKind kind;
};
const KindName kKindNames[] = {
    {"PageSize", kKindPageSize},     {"PageRegion", kKindPageSize},
    {"ImageableArea", kKindPageSize}, {"PaperDimension", kKindPageSize},
    {"PageSizeL", kKindPageSize},    {"ImageableAreaL", kKindPageSize},
    {"PaperMedia", kKindPageSize},   {"InputSlot", kKindInputSlot},
    {"ManualFeed", kKindManualFeed}, {"Duplex", kKindDuplex},
    {"Collate", kKindCollate},       {"Resolution", kKindResolution},
    {"JCLResolution", kKindResolution}, {"SetResolution", kKindResolution},
    {"VMOption", kKindVMOption},     {"InstalledMemory", kKindVMOption},
    {"MediaType", kKindMediaType},   {"MultiplePage", kKindMultiplePage},
    {"TonerSaveMode", kKindTonerSaveMode}, {"PageProtect", kKindPageProtect},
    {"HRC", kKindHRC},               {"GraphicsMode", kKindGraphicsMode},
    {"Paper", kKindPaper},           {"TTMODE", kKindTTMODE},
    {"SaveMacro", kKindSaveMacro},   {"BiasVolt", kKindBiasVolt},
};

template <size_t N>
bool Listed(const char* const (&list)[N], const std::string& keyword)
{
    for (const char* entry : list)
        if (keyword == entry)
            return true;
    return false;
}

bool IsLower(char c) { return c >= 'a' && c <= 'z'; }
bool IsUpper(char c) { return c >= 'A' && c <= 'Z'; }
bool IsLetter(char c) { return IsLower(c) || IsUpper(c); }

bool HasPrefixWord(const std::string& keyword, const char* prefix)
{
    const size_t n = std::strlen(prefix);
    return keyword.size() > n && keyword.compare(0, n, prefix) == 0 && IsUpper(keyword[n]);
}

// "fr.Translation", "de.PageSize", "zh_TW.InputSlot": a statement for the
// user interface in another language.
bool IsTranslation(const std::string& k)
{
    if (k.size() < 4 || !IsLower(k[0]) || !IsLower(k[1]))
        return false;
    size_t dot = 2;
    if ((k[2] == '_' || k[2] == '-') && k.size() > 5 && IsLetter(k[3]) && IsLetter(k[4]))
        dot = 5;
    return k[dot] == '.' && dot + 1 < k.size();
}

} // namespace

const char* WhyKeywordIsUnused(const std::string& keyword)
{
    if (Listed(kUnusedStandardKeywords, keyword))
        return "standard keyword not used by this driver";
    if (IsTranslation(keyword))
        return "translation for another language, not used by this driver";
    for (const char* prefix : kOtherSystemPrefixes)
        if (HasPrefixWord(keyword, prefix))
            return "keyword of another printing system, not used by this driver";
    return nullptr;
}

bool IsDriverDefaultSwitch(const std::string& keyword)
{
    return Listed(kDriverDefaultSwitches, keyword);
}

ModelFeatureKind KindNamedBy(const std::string& name)
{
    for (const KindName& row : kKindNames)
        if (name == row.name)
            return row.kind;
    return kKindNone;
}
