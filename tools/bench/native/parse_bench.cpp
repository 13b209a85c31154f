// parse_bench: the model description parser against libcups' PPD reader,
// natively, on the same texts held in memory.
//
//   parse_bench [--runs N] [--write DIR] [--only NAME] [--model PATH] [FILE...]
//
// The texts are the sample model (--model), descriptions generated here in
// the shape of other makers' large descriptions, and any FILE named. Each
// text is parsed N times (default 9) by each reader, alternating, and the
// median of each is printed with the ratio of the two. Ours is
// BuildModelImage plus RelocateModelImage, the whole way from text to a
// usable context; libcups' is ppdOpen2 on a cups_file_t over a memory file
// (memfd), so that its reads copy from memory and never wait for a disk.
// --write DIR saves the generated descriptions, for profiling or comparing
// builds. The program prints figures; its exit status only says whether
// every text could be parsed by both readers.
#include "core/model_parser.h"

#include <cups/file.h>
#include <cups/ppd.h>

#include <sys/mman.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// libcups marks the PPD functions deprecated in favour of its destination
// API; the PPD reader is exactly what is measured here.
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"

namespace {

// ---------------------------------------------------------------------------
// Generated descriptions.

// A fixed sequence, so that every run generates the same texts.
class Random {
public:
    explicit Random(uint64_t seed) : state_(seed * 0x9E3779B97F4A7C15ull + 1) {}
    uint32_t Next()
    {
        state_ ^= state_ << 13;
        state_ ^= state_ >> 7;
        state_ ^= state_ << 17;
        return static_cast<uint32_t>(state_ >> 11);
    }
    uint32_t Below(uint32_t n) { return n ? Next() % n : 0; }

private:
    uint64_t state_;
};

std::string Hex(const std::string& bytes)
{
    static const char kDigits[] = "0123456789ABCDEF";
    std::string out;
    for (unsigned char c : bytes) {
        out += kDigits[c >> 4];
        out += kDigits[c & 15];
    }
    return out;
}

std::string Number(const char* prefix, unsigned n)
{
    return prefix + std::to_string(n);
}

struct Option {
    std::string keyword;
    std::string translation;
    std::string invocation;   // without quotes; may span lines
};

struct Feature {
    std::string keyword;
    std::string translation;
    const char* uiType;
    std::vector<Option> options;
    unsigned defaultOption;
    bool installable;
};

// A text under construction, counting its statements.
class Description {
public:
    explicit Description(const char* eol) : eol_(eol) {}

    void Line(const std::string& line)
    {
        text_ += line;
        text_ += eol_;
        if (line.size() > 1 && line[0] == '*' && line[1] != '%')
            ++statements_;
    }
    // Text that is not a statement of its own (continuation of a quoted value).
    void Raw(const std::string& text) { text_ += text; }
    const char* Eol() const { return eol_; }
    std::string& Text() { return text_; }
    unsigned Statements() const { return statements_; }

private:
    const char* eol_;
    std::string text_;
    unsigned statements_ = 0;
};

// The languages other makers translate into, each with how its texts are
// written: Latin with a few accented letters, or entirely other scripts, as
// hex substrings of their UTF-8 bytes.
struct Language {
    const char* code;
    const char* word;        // stands in for translated words
    bool hexScript;
};
const Language kLanguages[] = {
    {"de", "Papierf\xC3\xA4" "cher", false}, {"fr", "Bac \xC3\xA0 papier", false},
    {"es", "Bandeja de papel", false},       {"it", "Cassetto carta", false},
    {"nl", "Papierlade", false},             {"pt", "Bandeja de papel", false},
    {"sv", "Pappersfack", false},            {"da", "Papirbakke", false},
    {"fi", "Paperikasetti", false},          {"nb", "Papirskuff", false},
    {"pl", "Podajnik papieru", false},       {"cs", "Z\xC3\xA1sobn\xC3\xADk pap\xC3\xADru", false},
    {"hu", "Pap\xC3\xADrt\xC3\xA1lca", false},
    {"ru", "\xD0\x9B\xD0\xBE\xD1\x82\xD0\xBE\xD0\xBA", true},
    {"ja", "\xE7\x94\xA8\xE7\xB4\x99\xE3\x83\x88\xE3\x83\xAC\xE3\x82\xA4", true},
    {"zh_CN", "\xE7\xBA\xB8\xE7\x9B\x98", true},
    {"zh_TW", "\xE7\xB4\x99\xE5\x8C\xA3", true},
    {"ko", "\xEC\x9A\xA9\xEC\xA7\x80 \xED\x8A\xB8\xEB\xA0\x88\xEC\x9D\xB4", true},
    {"tr", "Ka\xC4\x9F\xC4\xB1t tepsisi", false},
};
const unsigned kLanguageCount = sizeof(kLanguages) / sizeof(kLanguages[0]);

// A translation text in the description's encoding: bytes outside ASCII
// as hex substrings.
std::string Translated(const Language& language, const std::string& english)
{
    std::string out;
    const std::string word = language.word;
    for (size_t i = 0; i < word.size();) {
        size_t j = i;
        bool ascii = static_cast<unsigned char>(word[i]) < 0x80;
        while (j < word.size() && (static_cast<unsigned char>(word[j]) < 0x80) == ascii)
            ++j;
        out += ascii ? word.substr(i, j - i) : "<" + Hex(word.substr(i, j - i)) + ">";
        i = j;
    }
    std::string tail = english.size() > 24 ? english.substr(0, 24) : english;
    return out + " " + tail;
}

// The features of a large office model: the usual device features, then
// vendor features of several options each.
std::vector<Feature> OfficeFeatures(Random& random, unsigned papers, unsigned vendorFeatures,
                                    unsigned optionsPerVendorFeature, bool multiLine)
{
    std::vector<Feature> features;
    Feature pageSize = {"PageSize", "Media Size", "PickOne", {}, 0, false};
    for (unsigned i = 0; i < papers; ++i) {
        unsigned width = 144 + 3 * (i % 300), height = 216 + 4 * i;
        Option o;
        o.keyword = i < 4 ? std::string(i == 0 ? "Letter" : i == 1 ? "A4" : i == 2 ? "Legal"
                                                                         : "A5")
                          : Number("Custom.", width) + "x" + std::to_string(height);
        o.translation = o.keyword + " " + std::to_string(width) + "x" + std::to_string(height);
        o.invocation = "<</PageSize[" + std::to_string(width) + " " + std::to_string(height) +
                       "]/ImagingBBox null>>setpagedevice";
        pageSize.options.push_back(o);
    }
    pageSize.defaultOption = papers > 1 ? 1 : 0;
    features.push_back(pageSize);

    Feature slot = {"InputSlot", "Paper Source", "PickOne", {}, 0, false};
    for (const char* name : {"Auto", "Tray1", "Tray2", "Tray3", "Tray4", "Tray5", "Manual",
                             "Envelope", "LCT", "Bypass"})
        slot.options.push_back({name, std::string("Source ") + name,
                                std::string("<</ManualFeed false/MediaPosition ") +
                                    std::to_string(slot.options.size()) + ">>setpagedevice"});
    features.push_back(slot);

    Feature duplex = {"Duplex", "Two-Sided", "PickOne", {}, 0, false};
    duplex.options = {{"None", "Off", "<</Duplex false>>setpagedevice"},
                      {"DuplexNoTumble", "Long Edge", "<</Duplex true/Tumble false>>setpagedevice"},
                      {"DuplexTumble", "Short Edge", "<</Duplex true/Tumble true>>setpagedevice"}};
    features.push_back(duplex);

    Feature resolution = {"Resolution", "Resolution", "PickOne", {}, 1, false};
    for (const char* dpi : {"300", "600", "1200"})
        resolution.options.push_back({std::string(dpi) + "dpi", std::string(dpi) + " dpi",
                                      std::string("<</HWResolution[") + dpi + " " + dpi +
                                          "]>>setpagedevice"});
    features.push_back(resolution);

    Feature media = {"MediaType", "Paper Type", "PickOne", {}, 0, false};
    for (unsigned i = 0; i < 24; ++i)
        media.options.push_back({Number("Media", i), Number("Paper type ", i),
                                 "<</MediaType (" + Number("Type", i) + ")>>setpagedevice"});
    features.push_back(media);

    Feature collate = {"Collate", "Collate", "Boolean", {}, 0, false};
    collate.options = {{"True", "On", "<</Collate true>>setpagedevice"},
                       {"False", "Off", "<</Collate false>>setpagedevice"}};
    features.push_back(collate);

    for (unsigned f = 0; f < vendorFeatures; ++f) {
        Feature vendor;
        vendor.keyword = Number("VNFeature", f);
        vendor.translation = Number("Vendor setting ", f);
        vendor.uiType = f % 5 == 4 ? "Boolean" : "PickOne";
        vendor.installable = f % 4 == 3;
        unsigned count = vendor.uiType[0] == 'B' ? 2 : 2 + random.Below(optionsPerVendorFeature);
        for (unsigned o = 0; o < count; ++o) {
            Option option;
            option.keyword = vendor.uiType[0] == 'B' ? (o ? "False" : "True") : Number("Choice", o);
            option.translation = Number("Choice number ", o);
            if (vendor.installable) {
                option.invocation = "";
            } else if (multiLine && random.Below(3) == 0) {
                // PostScript of several lines, as vendors write their
                // finishing and colour options.
                unsigned lines = 3 + random.Below(20);
                for (unsigned l = 0; l < lines; ++l)
                    option.invocation += "  userdict /VN" + std::to_string(f) + "_" +
                                         std::to_string(l) + " " + std::to_string(o) +
                                         " put %% step " + std::to_string(l) + "\n";
                option.invocation = "\n" + option.invocation;
            } else {
                option.invocation = "<</DeviceRenderingInfo<</VN" + std::to_string(f) +
                                    " " + std::to_string(o) + ">>>>setpagedevice";
            }
            vendor.options.push_back(option);
        }
        vendor.defaultOption = random.Below(static_cast<uint32_t>(vendor.options.size()));
        features.push_back(vendor);
    }
    return features;
}

void EmitHeader(Description& d, const char* nickName)
{
    d.Line("*PPD-Adobe: \"4.3\"");
    d.Line("*% Generated by parse_bench in the shape of another maker's description.");
    d.Line("*FormatVersion: \"4.3\"");
    d.Line("*FileVersion: \"1.27\"");
    d.Line("*LanguageVersion: English");
    d.Line("*LanguageEncoding: ISOLatin1");
    d.Line("*PCFileName: \"VNBENCH.PPD\"");
    d.Line("*Manufacturer: \"Vendor\"");
    d.Line("*Product: \"(Vendor Office Printer)\"");
    d.Line("*ModelName: \"Vendor Office Printer\"");
    d.Line("*ShortNickName: \"Vendor Office Printer\"");
    d.Line(std::string("*NickName: \"") + nickName + "\"");
    d.Line("*PSVersion: \"(3010.107) 0\"");
    d.Line("*LanguageLevel: \"3\"");
    d.Line("*ColorDevice: True");
    d.Line("*DefaultColorSpace: CMYK");
    d.Line("*FileSystem: True");
    d.Line("*Throughput: \"45\"");
    d.Line("*TTRasterizer: Type42");
    d.Line("*LandscapeOrientation: Plus90");
    d.Line("*Protocols: PJL TBCP");
    d.Line("*FreeVM: \"16777216\"");
    d.Line("*JCLBegin: \"<1B>%-12345X@PJL JOB<0A>\"");
    d.Line("*JCLToPSInterpreter: \"@PJL ENTER LANGUAGE = POSTSCRIPT <0A>\"");
    d.Line("*JCLEnd: \"<1B>%-12345X@PJL EOJ <0A><1B>%-12345X\"");
    d.Line("*cupsVersion: 2.4");
    d.Line("*cupsModelNumber: 4711");
    d.Line("*cupsManualCopies: False");
    d.Line("*cupsFilter2: \"application/vnd.cups-postscript application/postscript 0 -\"");
    d.Line("*APPrinterIconPath: \"/Library/Printers/Vendor/Icons/Office.icns\"");
}

// Keywords of other makers and of other systems, which the driver skips:
// plain values, option parts, query keywords with PostScript across lines.
void EmitVendorKeywords(Description& d, Random& random, unsigned count)
{
    static const char* const kPrefixes[] = {"VN", "cups", "AP", "Foomatic", "HP", "KM", "RI",
                                            "Br", "EF", "Xr", "OK"};
    static const char* const kWords[] = {"Finisher", "Stapler", "Booklet", "HolePunch",
                                         "ColorProfile", "Watermark", "Secure", "Account",
                                         "Toner", "Calibration", "Halftone", "Tray"};
    for (unsigned i = 0; i < count; ++i) {
        std::string keyword = std::string(kPrefixes[random.Below(11)]) +
                              kWords[random.Below(12)] + std::to_string(random.Below(6));
        switch (random.Below(8)) {
        case 0:
            d.Line("*" + keyword + ": True");
            break;
        case 1:
            d.Line("*" + keyword + ": \"" + std::to_string(random.Below(100000)) + "\"");
            break;
        case 2:
            d.Line("*" + keyword + " " + Number("Opt", random.Below(8)) + "/" +
                   kWords[random.Below(12)] + " setting: \"" + std::to_string(random.Below(9)) +
                   "\"");
            break;
        case 3:
            d.Line("*" + keyword + ": \"/usr/lib/cups/filter/" + keyword + " -o " +
                   std::to_string(random.Below(1000)) + "\"");
            break;
        case 4: {
            // A query: PostScript that asks the printer, across lines.
            d.Line("*?" + keyword + ": \"");
            unsigned lines = 2 + random.Below(6);
            for (unsigned l = 0; l < lines; ++l)
                d.Raw("  save currentpagedevice /" + keyword + " known { (True) } { (False) } "
                      "ifelse = flush restore" + std::string(d.Eol()));
            d.Raw("\"" + std::string(d.Eol()));
            d.Line("*End");
            break;
        }
        case 5:
            d.Line("*cupsIPPReason " + Number("vendor-reason-", random.Below(40)) + "/" +
                   kWords[random.Below(12)] + " needs attention: \"http://vendor.example/" +
                   std::to_string(i) + "\"");
            break;
        case 6:
            d.Line("*" + keyword + ": " + kWords[random.Below(12)]);
            break;
        default:
            d.Line("*%" + keyword + " switched off in this model");
            break;
        }
    }
}

void EmitFonts(Description& d, unsigned count)
{
    static const char* const kFamilies[] = {"Courier", "Helvetica", "Times", "Palatino",
                                            "Bookman", "AvantGarde", "NewCenturySchlbk"};
    static const char* const kStyles[] = {"", "-Bold", "-Oblique", "-BoldOblique", "-Narrow",
                                          "-Light", "-Italic"};
    d.Line("*DefaultFont: Courier");
    for (unsigned i = 0; i < count; ++i)
        d.Line(std::string("*Font ") + kFamilies[i % 7] + kStyles[(i / 7) % 7] +
               (i >= 49 ? std::to_string(i / 49) : std::string()) +
               ": Standard \"(001.00" + std::to_string(i % 10) + ")\" Standard ROM");
}

void EmitFeature(Description& d, const Feature& f, unsigned order)
{
    d.Line("*OpenUI *" + f.keyword + "/" + f.translation + ": " + f.uiType);
    d.Line("*OrderDependency: " + std::to_string(order) + " AnySetup *" + f.keyword);
    if (!f.options.empty())
        d.Line("*Default" + f.keyword + ": " + f.options[f.defaultOption].keyword);
    for (const Option& o : f.options) {
        if (o.invocation.find('\n') == std::string::npos) {
            d.Line("*" + f.keyword + " " + o.keyword + "/" + o.translation + ": \"" +
                   o.invocation + "\"");
            continue;
        }
        d.Line("*" + f.keyword + " " + o.keyword + "/" + o.translation + ": \"");
        std::string body = o.invocation.substr(1);
        for (size_t at = 0; (at = body.find('\n', at)) != std::string::npos;
             at += std::strlen(d.Eol()))
            body.replace(at, 1, d.Eol());
        d.Raw(body + "\"" + d.Eol());
        d.Line("*End");
    }
    d.Line("*CloseUI: *" + f.keyword);
}

// Ordinary features, then the installable ones in their group; the papers
// also give printable areas and dimensions.
void EmitFeatures(Description& d, const std::vector<Feature>& features)
{
    d.Line("*OpenGroup: General/General");
    unsigned order = 10;
    for (const Feature& f : features)
        if (!f.installable)
            EmitFeature(d, f, order++);
    d.Line("*CloseGroup: General");
    const Feature& pageSize = features[0];
    d.Line("*OpenUI *PageRegion: PickOne");
    d.Line("*OrderDependency: 9 AnySetup *PageRegion");
    d.Line("*DefaultPageRegion: " + pageSize.options[pageSize.defaultOption].keyword);
    for (const Option& o : pageSize.options)
        d.Line("*PageRegion " + o.keyword + "/" + o.translation + ": \"" + o.invocation + "\"");
    d.Line("*CloseUI: *PageRegion");
    d.Line("*DefaultImageableArea: " + pageSize.options[pageSize.defaultOption].keyword);
    for (const Option& o : pageSize.options) {
        size_t open = o.invocation.find('[');
        std::string size = o.invocation.substr(open + 1, o.invocation.find(']') - open - 1);
        unsigned width = std::stoul(size), height = std::stoul(size.substr(size.find(' ') + 1));
        d.Line("*ImageableArea " + o.keyword + "/" + o.translation + ": \"12.24 12.06 " +
               std::to_string(width - 12) + ".76 " + std::to_string(height - 12) + ".94\"");
    }
    d.Line("*DefaultPaperDimension: " + pageSize.options[pageSize.defaultOption].keyword);
    for (const Option& o : pageSize.options) {
        size_t open = o.invocation.find('[');
        d.Line("*PaperDimension " + o.keyword + "/" + o.translation + ": \"" +
               o.invocation.substr(open + 1, o.invocation.find(']') - open - 1) + "\"");
    }
    d.Line("*OpenGroup: InstallableOptions/Options Installed");
    for (const Feature& f : features)
        if (f.installable)
            EmitFeature(d, f, order++);
    d.Line("*CloseGroup: InstallableOptions");
}

// The translation block of each language: the header texts, every feature
// and every option.
void EmitTranslations(Description& d, const std::vector<Feature>& features, unsigned languages)
{
    std::string languageList;
    for (unsigned l = 0; l < languages; ++l)
        languageList += std::string(l ? " " : "") + kLanguages[l % kLanguageCount].code;
    d.Line("*cupsLanguages: \"" + languageList + "\"");
    for (unsigned l = 0; l < languages; ++l) {
        const Language& language = kLanguages[l % kLanguageCount];
        const std::string code = language.code;
        d.Line("*% ==== " + code + " ====");
        d.Line("*" + code + ".Translation Manufacturer/Vendor: \"\"");
        d.Line("*" + code + ".Translation ModelName/" + Translated(language, "Office") + ": \"\"");
        d.Line("*" + code + ".Translation ShortNickName/" + Translated(language, "Office") +
               ": \"\"");
        d.Line("*" + code + ".Translation General/" + Translated(language, "General") + ": \"\"");
        for (const Feature& f : features) {
            d.Line("*" + code + ".Translation " + f.keyword + "/" +
                   Translated(language, f.translation) + ": \"\"");
            for (const Option& o : f.options)
                d.Line("*" + code + "." + f.keyword + " " + o.keyword + "/" +
                       Translated(language, o.translation) + ": \"\"");
        }
    }
}

// Pairs of options that exclude each other, both ways round, as makers
// write them; some name a whole feature, some a feature or option the model
// lacks.
void EmitConstraints(Description& d, Random& random, const std::vector<Feature>& features,
                     unsigned count)
{
    for (unsigned i = 0; i < count; i += 2) {
        const Feature& a = features[random.Below(static_cast<uint32_t>(features.size()))];
        const Feature& b = features[random.Below(static_cast<uint32_t>(features.size()))];
        std::string left = "*" + a.keyword;
        std::string right = "*" + b.keyword;
        if (random.Below(6))
            left += " " + a.options[random.Below(static_cast<uint32_t>(a.options.size()))].keyword;
        if (random.Below(6))
            right += " " + b.options[random.Below(static_cast<uint32_t>(b.options.size()))].keyword;
        if (random.Below(40) == 0)
            right = "*VNRemovedFeature Choice1";
        const char* keyword = random.Below(10) ? "*UIConstraints: " : "*NonUIConstraints: ";
        d.Line(keyword + left + " " + right);
        d.Line(keyword + right + " " + left);
    }
}

struct Text {
    std::string name;
    std::string text;
};

// The worst of the real descriptions in kind: thousands of translation lines
// of other languages and vendor keywords around a model of many small
// features.
Text TranslatedModel()
{
    Random random(1);
    Description d("\n");
    EmitHeader(d, "Vendor Office Printer, 8 languages");
    std::vector<Feature> features = OfficeFeatures(random, 40, 110, 3, false);
    EmitVendorKeywords(d, random, 500);
    EmitFeatures(d, features);
    EmitConstraints(d, random, features, 200);
    EmitTranslations(d, features, 8);
    return {"translations-8-languages", d.Text()};
}

Text VendorKeywordModel()
{
    Random random(2);
    Description d("\r\n");
    EmitHeader(d, "Vendor Office Printer, vendor keywords");
    std::vector<Feature> features = OfficeFeatures(random, 40, 20, 6, false);
    EmitVendorKeywords(d, random, 4000);
    EmitFonts(d, 136);
    EmitFeatures(d, features);
    EmitVendorKeywords(d, random, 4000);
    EmitConstraints(d, random, features, 300);
    return {"vendor-keywords-8000", d.Text()};
}

Text ConstraintModel(const char* name, uint64_t seed, unsigned vendorFeatures,
                     unsigned optionsPerFeature, unsigned constraints)
{
    Random random(seed);
    Description d("\n");
    EmitHeader(d, "Vendor Production Printer, constraints");
    std::vector<Feature> features =
        OfficeFeatures(random, 80, vendorFeatures, optionsPerFeature, false);
    EmitVendorKeywords(d, random, 300);
    EmitFeatures(d, features);
    EmitConstraints(d, random, features, constraints);
    EmitTranslations(d, features, 2);
    return {name, d.Text()};
}

Text LargeOptionListModel()
{
    Random random(5);
    Description d("\n");
    EmitHeader(d, "Vendor Wide Format Printer, 500 papers");
    std::vector<Feature> features = OfficeFeatures(random, 500, 12, 300, false);
    EmitFeatures(d, features);
    d.Line("*DefaultPageSizeL: A4");
    for (size_t i = 0; i < 300; ++i) {
        const Option& o = features[0].options[i];
        d.Line("*PageSizeL " + o.keyword + "/" + o.translation + ": \"" + o.invocation + "\"");
        d.Line("*PaperMedia " + o.keyword + ": \"Plain\"");
    }
    EmitConstraints(d, random, features, 600);
    return {"large-option-lists", d.Text()};
}

Text MultiLineModel()
{
    Random random(6);
    Description d("\n");
    EmitHeader(d, "Vendor Finishing Printer, PostScript options");
    std::vector<Feature> features = OfficeFeatures(random, 120, 90, 14, true);
    EmitVendorKeywords(d, random, 600);
    EmitFeatures(d, features);
    EmitConstraints(d, random, features, 1000);
    return {"multi-line-invocations", d.Text()};
}

// All of it at the size of the largest descriptions seen.
Text EverythingModel()
{
    Random random(7);
    Description d("\n");
    EmitHeader(d, "Vendor Production Printer, everything");
    std::vector<Feature> features = OfficeFeatures(random, 240, 70, 16, true);
    EmitVendorKeywords(d, random, 1500);
    EmitFonts(d, 136);
    EmitFeatures(d, features);
    EmitConstraints(d, random, features, 4000);
    EmitTranslations(d, features, 12);
    return {"everything-12-languages", d.Text()};
}

std::vector<Text> GeneratedTexts()
{
    std::vector<Text> texts;
    texts.push_back(TranslatedModel());
    texts.push_back(VendorKeywordModel());
    texts.push_back(ConstraintModel("constraints-9000", 3, 50, 8, 9000));
    texts.push_back(ConstraintModel("constraints-7000-wide", 4, 150, 24, 7000));
    texts.push_back(LargeOptionListModel());
    texts.push_back(MultiLineModel());
    texts.push_back(EverythingModel());
    return texts;
}

// ---------------------------------------------------------------------------
// Timing.

double Now()
{
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return double(t.tv_sec) + double(t.tv_nsec) * 1e-9;
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

unsigned CountStatements(const std::string& text)
{
    unsigned count = 0;
    bool lineStart = true;
    for (size_t i = 0; i < text.size(); ++i) {
        if (lineStart && text[i] == '*' && (i + 1 >= text.size() || text[i + 1] != '%'))
            ++count;
        lineStart = text[i] == '\n' || text[i] == '\r';
    }
    return count;
}

void* ZeroedAllocate(size_t size)
{
    return std::calloc(1, size);
}

// Seconds for one build of a usable context; negative when it fails.
double TimeOurs(const std::string& text)
{
    const auto* bytes = reinterpret_cast<const uint8_t*>(text.data());
    ModelParseOptions options = {nullptr, nullptr, ZeroedAllocate};
    double start = Now();
    ModelContext* model = BuildModelImage(bytes, text.size(), u"C:\\BENCH.PPD", options);
    bool ok = model && RelocateModelImage(model, model->imageSize);
    double elapsed = Now() - start;
    std::free(model);
    return ok ? elapsed : -1;
}

// The text in a memory file, which libcups reads like any other file.
class MemoryFile {
public:
    explicit MemoryFile(const std::string& text)
    {
        fd_ = memfd_create("parse_bench", 0);
        size_t written = 0;
        while (fd_ >= 0 && written < text.size()) {
            ssize_t n = write(fd_, text.data() + written, text.size() - written);
            if (n <= 0)
                break;
            written += static_cast<size_t>(n);
        }
        ok_ = fd_ >= 0 && written == text.size();
    }
    ~MemoryFile()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    bool Ok() const { return ok_; }

    // Seconds for one ppdOpen2; negative when it fails. Opening the file
    // object and closing it afterwards are left out.
    double TimeReference(std::string* error) const
    {
        if (lseek(fd_, 0, SEEK_SET) != 0)
            return -1;
        cups_file_t* file = cupsFileOpenFd(dup(fd_), "r");
        if (!file)
            return -1;
        double start = Now();
        ppd_file_t* ppd = ppdOpen2(file);
        double elapsed = Now() - start;
        cupsFileClose(file);
        if (!ppd) {
            int line = 0;
            ppd_status_t status = ppdLastError(&line);
            *error = std::string(ppdErrorString(status)) + " at line " + std::to_string(line);
            return -1;
        }
        ppdClose(ppd);
        return elapsed;
    }

private:
    int fd_ = -1;
    bool ok_ = false;
};

struct Row {
    std::string name;
    size_t bytes;
    unsigned statements;
    double ours;        // median seconds
    double reference;
};

bool Measure(const Text& t, unsigned runs, Row* row)
{
    MemoryFile file(t.text);
    if (!file.Ok()) {
        std::printf("%-28s cannot create a memory file: %s\n", t.name.c_str(),
                    std::strerror(errno));
        return false;
    }
    std::vector<double> ours, reference;
    std::string error;
    // One untimed round first, so that both start with warm caches and heaps.
    for (unsigned i = 0; i <= runs; ++i) {
        double a = TimeOurs(t.text);
        double b = file.TimeReference(&error);
        if (a < 0 || b < 0) {
            std::printf("%-28s %s\n", t.name.c_str(),
                        a < 0 ? "our parser refused it" : ("libcups refused it: " + error).c_str());
            return false;
        }
        if (i) {
            ours.push_back(a);
            reference.push_back(b);
        }
    }
    *row = {t.name, t.text.size(), CountStatements(t.text), Median(ours), Median(reference)};
    return true;
}

double MegabytesPerSecond(size_t bytes, double seconds)
{
    return seconds > 0 ? double(bytes) / 1e6 / seconds : 0;
}

void PrintRow(const Row& r)
{
    std::printf("%-28s %9.1f %10u %10.3f %10.3f %7.2f %9.1f %9.1f\n", r.name.c_str(),
                double(r.bytes) / 1024.0, r.statements, r.ours * 1e3, r.reference * 1e3,
                r.reference > 0 ? r.ours / r.reference : 0,
                MegabytesPerSecond(r.bytes, r.ours), MegabytesPerSecond(r.bytes, r.reference));
}

bool ReadFile(const std::string& path, std::string* text)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    text->assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

std::string BaseName(const std::string& path)
{
    size_t slash = path.find_last_of('/');
    return slash == std::string::npos ? path : path.substr(slash + 1);
}

int Usage()
{
    std::fputs("usage: parse_bench [--runs N] [--write DIR] [--only NAME] [--model PATH] "
               "[FILE...]\n",
               stderr);
    return 2;
}

} // namespace

int main(int argc, char** argv)
{
    unsigned runs = 9;
    std::string writeDir, only, model;
    std::vector<std::string> files;
    for (int i = 1; i < argc; ++i) {
        std::string arg = argv[i];
        if (arg == "--runs" && i + 1 < argc)
            runs = static_cast<unsigned>(std::max(1L, std::strtol(argv[++i], nullptr, 10)));
        else if (arg == "--write" && i + 1 < argc)
            writeDir = argv[++i];
        else if (arg == "--only" && i + 1 < argc)
            only = argv[++i];
        else if (arg == "--model" && i + 1 < argc)
            model = argv[++i];
        else if (arg.size() > 1 && arg[0] == '-')
            return Usage();
        else
            files.push_back(arg);
    }

    std::vector<Text> texts;
    if (!model.empty())
        files.insert(files.begin(), model);
    for (const std::string& path : files) {
        Text t = {BaseName(path), std::string()};
        if (!ReadFile(path, &t.text)) {
            std::fprintf(stderr, "parse_bench: cannot read %s\n", path.c_str());
            return 1;
        }
        texts.push_back(t);
    }
    for (Text& t : GeneratedTexts()) {
        if (!writeDir.empty()) {
            std::ofstream out(writeDir + "/" + t.name + ".ppd", std::ios::binary);
            out << t.text;
        }
        texts.push_back(std::move(t));
    }

    std::printf("parse_bench: medians of %u runs; ours = BuildModelImage + RelocateModelImage, "
                "libcups = ppdOpen2\n\n",
                runs);
    std::printf("%-28s %9s %10s %10s %10s %7s %9s %9s\n", "description", "size KB", "statements",
                "ours ms", "libcups ms", "ratio", "ours MB/s", "cups MB/s");
    std::vector<Row> rows;
    int status = 0;
    for (const Text& t : texts) {
        if (!only.empty() && t.name.find(only) == std::string::npos)
            continue;
        Row row;
        if (!Measure(t, runs, &row)) {
            status = 1;
            continue;
        }
        PrintRow(row);
        std::fflush(stdout);
        rows.push_back(row);
    }
    if (rows.empty())
        return status;

    Row all = {"all", 0, 0, 0, 0};
    const Row* worst = &rows[0];
    for (const Row& r : rows) {
        all.bytes += r.bytes;
        all.statements += r.statements;
        all.ours += r.ours;
        all.reference += r.reference;
        if (r.ours / r.reference > worst->ours / worst->reference)
            worst = &r;
    }
    std::printf("%s\n", std::string(28 + 9 + 10 + 10 + 10 + 7 + 9 + 9 + 7, '-').c_str());
    PrintRow(all);
    std::printf("\nthroughput over all texts: ours %.1f MB/s, libcups %.1f MB/s\n",
                MegabytesPerSecond(all.bytes, all.ours),
                MegabytesPerSecond(all.bytes, all.reference));
    std::printf("largest ratio (ours / libcups time): %.2f, %s\n",
                worst->ours / worst->reference, worst->name.c_str());
    return status;
}
