// KVMODEL.EXE run as a model author runs it: on a description in another
// maker's style (ORV5200.PPD: vendor keywords, printer queries with
// multi-line values, hex substrings, installable options first) and on a
// broken one. The program's exit code, its diagnostics and its JSON are
// what is checked.
#include "json_reader.h"
#include "support/test_paths.h"

#include "core/model_parser.h"

#include <gtest/gtest.h>

#include <windows.h>

#include <algorithm>
#include <cctype>
#include <cmath>
#include <fstream>
#include <set>
#include <sstream>
#include <string>
#include <vector>

namespace {

struct ToolRun {
    DWORD exitCode = 0xFFFFFFFF;
    std::string out;
    std::string err;
};

std::wstring Widen(const std::string& text)
{
    return std::wstring(text.begin(), text.end());
}

std::string Narrow(const std::wstring& text)
{
    return std::string(text.begin(), text.end());
}

// The test data folder, written the Windows way (as a user types it).
std::string DataFile(const char* name)
{
    std::string path = std::string(KV_TOOLS_TEST_DATA) + "/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string ReadBytes(const std::string& path)
{
    std::ifstream file(path, std::ios::binary);
    std::stringstream content;
    content << file.rdbuf();
    return content.str();
}

bool WriteBytes(const std::string& path, const std::string& bytes)
{
    std::ofstream file(path, std::ios::binary | std::ios::trunc);
    file << bytes;
    return static_cast<bool>(file);
}

// The lines of a text, whatever its line ends (LF, CR LF or CR alone), as
// a description's line numbers count them.
std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::string line;
    for (size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' || text[i] == '\n') {
            lines.push_back(line);
            line.clear();
            if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
                ++i;
        } else {
            line += text[i];
        }
    }
    if (!line.empty())
        lines.push_back(line);
    return lines;
}

std::string WithLineEnds(const std::string& text, const char* end)
{
    std::string out;
    for (const std::string& line : SplitLines(text))
        out += line + end;
    return out;
}

// Line number (1-based) of the first line that starts with prefix; 0 when none.
uint32_t LineStarting(const std::string& text, const std::string& prefix)
{
    std::vector<std::string> lines = SplitLines(text);
    for (size_t i = 0; i < lines.size(); ++i)
        if (lines[i].compare(0, prefix.size(), prefix) == 0)
            return static_cast<uint32_t>(i + 1);
    return 0;
}

struct Diagnostic {
    uint32_t line;
    std::string severity;   // "warning" or "error"
    std::string keyword;    // without "*"
    std::string message;
};

// Parses "FILE:LINE: severity: *Keyword: message" lines of one file.
std::vector<Diagnostic> DiagnosticsOf(const std::string& output, const std::string& file)
{
    std::vector<Diagnostic> found;
    const std::string prefix = file + ":";
    for (const std::string& line : SplitLines(output)) {
        if (line.compare(0, prefix.size(), prefix) != 0)
            continue;
        std::string rest = line.substr(prefix.size());
        size_t colon = rest.find(": ");
        if (colon == std::string::npos || rest.empty() || !std::isdigit(uint8_t(rest[0])))
            continue;   // the summary line
        Diagnostic d;
        d.line = static_cast<uint32_t>(std::stoul(rest.substr(0, colon)));
        rest = rest.substr(colon + 2);
        colon = rest.find(": ");
        d.severity = rest.substr(0, colon);
        rest = rest.substr(colon + 2);
        if (!rest.empty() && rest[0] == '*') {
            colon = rest.find(": ");
            d.keyword = rest.substr(1, colon - 1);
            rest = rest.substr(colon + 2);
        }
        d.message = rest;
        found.push_back(d);
    }
    return found;
}

class KvmodelTool : public ::testing::Test {
protected:
    static void SetUpTestSuite() { scratch_ = new std::wstring(CreateScratchDirectory()); }
    static void TearDownTestSuite()
    {
        RemoveScratchDirectory(*scratch_);
        delete scratch_;
        scratch_ = nullptr;
        delete orvDump_;
        orvDump_ = nullptr;
    }

    static std::string ScratchFile(const char* name) { return Narrow(*scratch_) + "\\" + name; }

    // Runs KVMODEL.EXE with the arguments and collects what it printed.
    static ToolRun Run(const std::vector<std::string>& arguments)
    {
        ToolRun run;
        const std::wstring exe = TestBinDirectory() + L"\\KVMODEL.EXE";
        std::wstring commandLine = L"\"" + exe + L"\"";
        for (const std::string& argument : arguments)
            commandLine += L" \"" + Widen(argument) + L"\"";

        const std::wstring outPath = *scratch_ + L"\\stdout.txt";
        const std::wstring errPath = *scratch_ + L"\\stderr.txt";
        SECURITY_ATTRIBUTES inherit = {sizeof(inherit), nullptr, TRUE};
        HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        HANDLE err = CreateFileW(errPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &inherit,
                                 CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
        STARTUPINFOW startup = {};
        startup.cb = sizeof(startup);
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
        startup.hStdOutput = out;
        startup.hStdError = err;
        PROCESS_INFORMATION process = {};
        std::vector<WCHAR> buffer(commandLine.begin(), commandLine.end());
        buffer.push_back(L'\0');
        if (out != INVALID_HANDLE_VALUE && err != INVALID_HANDLE_VALUE &&
            CreateProcessW(exe.c_str(), buffer.data(), nullptr, nullptr, TRUE, 0, nullptr,
                           nullptr, &startup, &process)) {
            if (WaitForSingleObject(process.hProcess, 60000) == WAIT_OBJECT_0)
                GetExitCodeProcess(process.hProcess, &run.exitCode);
            else
                TerminateProcess(process.hProcess, 0xFFFFFFFF);
            CloseHandle(process.hThread);
            CloseHandle(process.hProcess);
        }
        if (out != INVALID_HANDLE_VALUE)
            CloseHandle(out);
        if (err != INVALID_HANDLE_VALUE)
            CloseHandle(err);
        run.out = ReadBytes(Narrow(outPath));
        run.err = ReadBytes(Narrow(errPath));
        return run;
    }

    // The dump of ORV5200.PPD, run once for the tests that read it.
    static const JsonValue* OrvDump()
    {
        if (!orvDump_) {
            ToolRun run = Run({"dump", DataFile("ORV5200.PPD")});
            JsonValue* parsed = new JsonValue;
            std::string error;
            EXPECT_EQ(run.exitCode, 0u) << run.err;
            if (run.exitCode != 0 || !ParseJson(run.out, parsed, &error)) {
                ADD_FAILURE() << "dump is not JSON: " << error << "\n" << run.out;
                delete parsed;
                return nullptr;
            }
            orvDump_ = parsed;
        }
        return orvDump_;
    }

    static const JsonValue* Feature(const JsonValue& dump, const std::string& keyword)
    {
        const JsonValue* features = dump.Find("features");
        for (size_t i = 0; features && i < features->items.size(); ++i) {
            const JsonValue* name = features->items[i].Find("keyword");
            if (name && name->text == keyword)
                return &features->items[i];
        }
        return nullptr;
    }

    static std::wstring* scratch_;
    static JsonValue* orvDump_;
};

std::wstring* KvmodelTool::scratch_ = nullptr;
JsonValue* KvmodelTool::orvDump_ = nullptr;

// ---------------------------------------------------------------------------
// check

TEST_F(KvmodelTool, CheckLoadsOtherMakersDescriptionAndNamesSkippedKeywords)
{
    const std::string path = DataFile("ORV5200.PPD");
    const std::string text = ReadBytes(path);
    ASSERT_FALSE(text.empty()) << path;
    ToolRun run = Run({"check", path});
    EXPECT_EQ(run.exitCode, 0u) << run.out << run.err;

    std::vector<Diagnostic> diagnostics = DiagnosticsOf(run.out, path);
    std::set<std::string> warned;
    for (const Diagnostic& d : diagnostics) {
        EXPECT_EQ(d.severity, "warning") << d.keyword << ": " << d.message;
        warned.insert(d.keyword);
    }
    // Vendor keywords of other systems are skipped, each at its own line.
    for (const char* keyword : {"cupsFilter", "cupsVersion", "cupsManualCopies",
                                "APDialogExtension", "APPrinterIconPath"}) {
        uint32_t line = LineStarting(text, std::string("*") + keyword + ":");
        bool reported = false;
        for (const Diagnostic& d : diagnostics)
            reported |= d.keyword == keyword && d.line == line &&
                        d.message == "unknown keyword skipped";
        EXPECT_TRUE(reported) << "*" << keyword << " at line " << line << "\n" << run.out;
    }
    // What the driver reads, queries, their *End lines and comments are not
    // worth a warning.
    for (const char* keyword : {"OpenUI", "CloseUI", "OpenGroup", "CloseGroup", "PageSize",
                                "PageRegion", "ImageableArea", "PaperDimension", "InputSlot",
                                "Resolution", "UIConstraints", "OrderDependency", "Font",
                                "End", "?Resolution", "?ImageableArea", "?FontList",
                                "ORVColorMode", "DefaultORVBanner", "NickName"})
        EXPECT_EQ(warned.count(keyword), 0u) << "*" << keyword << "\n" << run.out;

    uint32_t lastLine = 0;
    for (const std::string& line : SplitLines(run.out))
        lastLine += line.compare(0, path.size() + 8, path + ": loads:") == 0;
    EXPECT_EQ(lastLine, 1u) << "one summary line saying the description loads\n" << run.out;
    EXPECT_NE(run.out.find("9 features (2 installable)"), std::string::npos) << run.out;
}

// Descriptions come with Unix, Windows and old Macintosh line ends; a
// diagnostic must name the line of its own statement in each, also after
// quoted values that run over several lines.
TEST_F(KvmodelTool, CheckLineNumbersHoldForEveryLineEnd)
{
    const std::string original = ReadBytes(DataFile("ORV5200.PPD"));
    const struct {
        const char* name;
        const char* end;
    } variants[] = {{"LF.PPD", "\n"}, {"CRLF.PPD", "\r\n"}, {"CR.PPD", "\r"}};
    for (const auto& variant : variants) {
        SCOPED_TRACE(variant.name);
        const std::string path = ScratchFile(variant.name);
        const std::string text = WithLineEnds(original, variant.end);
        ASSERT_TRUE(WriteBytes(path, text));
        ToolRun run = Run({"check", path});
        EXPECT_EQ(run.exitCode, 0u) << run.out;
        std::vector<std::string> lines = SplitLines(text);
        std::vector<Diagnostic> diagnostics = DiagnosticsOf(run.out, path);
        EXPECT_GE(diagnostics.size(), 5u) << run.out;
        for (const Diagnostic& d : diagnostics) {
            ASSERT_GE(d.line, 1u);
            ASSERT_LE(d.line, lines.size());
            const std::string& statement = lines[d.line - 1];
            EXPECT_EQ(statement.compare(0, d.keyword.size() + 1, "*" + d.keyword), 0)
                << "line " << d.line << " is \"" << statement << "\", not *" << d.keyword;
        }
        // The last vendor keyword follows a query whose value spans six lines.
        uint32_t expected = LineStarting(text, "*APDialogExtension:");
        bool found = false;
        for (const Diagnostic& d : diagnostics)
            found |= d.keyword == "APDialogExtension" && d.line == expected;
        EXPECT_TRUE(found) << run.out;
    }
}

TEST_F(KvmodelTool, CheckFailsAtTheUnterminatedQuote)
{
    const std::string path = DataFile("BROKEN.PPD");
    const std::string text = ReadBytes(path);
    const uint32_t line = LineStarting(text, "*PageSize Letter/");
    ASSERT_NE(line, 0u);
    ToolRun run = Run({"check", path});
    EXPECT_EQ(run.exitCode, 1u) << run.out;
    EXPECT_NE(run.out.find(path + ":" + std::to_string(line) +
                           ": error: *PageSize: quoted value not terminated"),
              std::string::npos)
        << run.out;
    EXPECT_NE(run.out.find(path + ": does not load (1 error"), std::string::npos) << run.out;
}

TEST_F(KvmodelTool, CheckReportsEveryFileAndFailsWhenOneFails)
{
    const std::string good = DataFile("ORV5200.PPD");
    const std::string broken = DataFile("BROKEN.PPD");
    ToolRun run = Run({"check", broken, good});
    EXPECT_EQ(run.exitCode, 1u);
    size_t brokenSummary = run.out.find(broken + ": does not load");
    size_t goodSummary = run.out.find(good + ": loads:");
    EXPECT_NE(brokenSummary, std::string::npos) << run.out;
    EXPECT_NE(goodSummary, std::string::npos) << run.out;
    EXPECT_LT(brokenSummary, goodSummary) << "files are reported in the order given";
}

TEST_F(KvmodelTool, UnreadableFileAndBadCommandLineAreUsageErrors)
{
    const std::string missing = ScratchFile("MISSING.PPD");
    ToolRun check = Run({"check", missing});
    EXPECT_EQ(check.exitCode, 2u);
    EXPECT_TRUE(check.out.empty()) << check.out;
    EXPECT_NE(check.err.find(missing + ": error: cannot read the file"), std::string::npos)
        << check.err;

    ToolRun dump = Run({"dump", missing});
    EXPECT_EQ(dump.exitCode, 2u);
    EXPECT_TRUE(dump.out.empty()) << dump.out;

    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"check"}, {"dump"}, {"verify", DataFile("ORV5200.PPD")},
          {"dump", DataFile("ORV5200.PPD"), DataFile("BROKEN.PPD")}}) {
        ToolRun run = Run(arguments);
        EXPECT_EQ(run.exitCode, 2u) << arguments.size() << " arguments";
        EXPECT_NE(run.err.find("usage:"), std::string::npos) << run.err;
    }
}

// ---------------------------------------------------------------------------
// dump

TEST_F(KvmodelTool, DumpOfBrokenDescriptionPrintsNoJson)
{
    ToolRun run = Run({"dump", DataFile("BROKEN.PPD")});
    EXPECT_EQ(run.exitCode, 1u);
    EXPECT_TRUE(run.out.empty()) << run.out;
    EXPECT_NE(run.err.find("error: *PageSize: quoted value not terminated"), std::string::npos)
        << run.err;
}

TEST_F(KvmodelTool, DumpShowsModelWords)
{
    const JsonValue* dump = OrvDump();
    ASSERT_NE(dump, nullptr);
    const std::string text = ReadBytes(DataFile("ORV5200.PPD"));
    ASSERT_NE(dump->Find("checksum"), nullptr);
    EXPECT_EQ(dump->Find("checksum")->number,
              ModelChecksum(reinterpret_cast<const uint8_t*>(text.data()), text.size()))
        << "the checksum covers every byte of the file";
    EXPECT_EQ(dump->Find("fileVersion")->number, 576);   // "2.25"
    EXPECT_EQ(dump->Find("nickName")->text, "Orvane LX-5200 PS (Caf\xE9)");
    EXPECT_EQ(dump->Find("languageLevel")->number, 3);
    EXPECT_EQ(dump->Find("colorDevice")->type, JsonValue::kBool);
    EXPECT_TRUE(dump->Find("colorDevice")->boolean);
}

TEST_F(KvmodelTool, DumpListsOrdinaryFeaturesBeforeInstallableOnes)
{
    const JsonValue* dump = OrvDump();
    ASSERT_NE(dump, nullptr);
    struct Expected {
        const char* keyword;
        const char* translation;
        const char* uiType;
        bool installable;
        int kind;   // -1: no slot
    };
    // The installable group comes first in the file; PageRegion is the page
    // size feature under another name and adds no feature of its own.
    const Expected expected[] = {
        {"PageSize", "Media Size", "PickOne", false, 0},
        {"InputSlot", "Paper Source", "PickOne", false, 1},
        {"Duplex", "Two-Sided Printing", "PickOne", false, 3},
        {"ORVColorMode", "Color Mode", "PickOne", false, -1},
        {"Resolution", "Print Quality", "PickOne", false, 5},
        {"ORVStaple", "Staple", "Boolean", false, -1},
        {"ORVBanner", "Banner Pages", "PickMany", false, -1},
        {"ORVLowerTray", "Lower Tray", "Boolean", true, -1},
        {"ORVFinisher", "Finisher", "PickOne", true, -1},
    };
    const JsonValue* features = dump->Find("features");
    ASSERT_NE(features, nullptr);
    ASSERT_EQ(features->items.size(), sizeof(expected) / sizeof(expected[0]));
    for (size_t i = 0; i < features->items.size(); ++i) {
        const JsonValue& f = features->items[i];
        const Expected& e = expected[i];
        SCOPED_TRACE(e.keyword);
        EXPECT_EQ(f.Find("keyword")->text, e.keyword);
        EXPECT_EQ(f.Find("translation")->text, e.translation);
        EXPECT_EQ(f.Find("uiType")->text, e.uiType);
        EXPECT_EQ(f.Find("installable")->boolean, e.installable);
        if (e.kind < 0)
            EXPECT_TRUE(f.Find("kind")->IsNull());
        else
            EXPECT_EQ(f.Find("kind")->number, e.kind);
    }
}

TEST_F(KvmodelTool, DumpShowsEachFeaturesDefault)
{
    const JsonValue* dump = OrvDump();
    ASSERT_NE(dump, nullptr);
    const struct {
        const char* feature;
        const char* option;   // null: no default option
    } expected[] = {
        {"PageSize", "Letter"},
        {"InputSlot", "Tray1"},
        {"Duplex", "DuplexNoTumble"},
        {"ORVColorMode", "Color"},
        {"Resolution", "1200x1200dpi"},   // read as 1200 dpi
        {"ORVStaple", "False"},
        {"ORVBanner", nullptr},   // its default names a missing choice
        {"ORVLowerTray", "False"},
        {"ORVFinisher", "None"},
    };
    for (const auto& e : expected) {
        const JsonValue* feature = Feature(*dump, e.feature);
        ASSERT_NE(feature, nullptr) << e.feature;
        const JsonValue* value = feature->Find("default");
        ASSERT_NE(value, nullptr) << e.feature;
        if (e.option)
            EXPECT_EQ(value->text, e.option) << e.feature;
        else
            EXPECT_TRUE(value->IsNull()) << e.feature << " default " << value->text;
    }
}

// The driver keeps the resolution default as a number of dots per inch,
// so the default shown is the option that reads as that number, also when
// the default statement spells it differently or is missing.
TEST_F(KvmodelTool, DumpShowsResolutionDefaultByDotsPerInch)
{
    const std::string options = "*OpenUI *Resolution/Resolution: PickOne\n"
                                "*Resolution 300dpi/300 dpi: \"300\"\n"
                                "*Resolution 600x600dpi/600 dpi: \"600\"\n"
                                "*Resolution 1200dpi/1200 dpi: \"1200\"\n"
                                "*CloseUI: *Resolution\n";
    const struct {
        const char* name;
        const char* defaultStatement;
        const char* shown;   // null: none
    } cases[] = {
        {"RES600.PPD", "*DefaultResolution: 600dpi\n", "600x600dpi"},
        {"RESNONE.PPD", "", "300dpi"},
        {"RES2400.PPD", "*DefaultResolution: 2400dpi\n", nullptr},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string path = ScratchFile(c.name);
        ASSERT_TRUE(WriteBytes(path, "*PPD-Adobe: \"4.3\"\n" + std::string(c.defaultStatement) +
                                         options));
        ToolRun run = Run({"dump", path});
        ASSERT_EQ(run.exitCode, 0u) << run.err;
        JsonValue dump;
        std::string error;
        ASSERT_TRUE(ParseJson(run.out, &dump, &error)) << error;
        const JsonValue* resolution = Feature(dump, "Resolution");
        ASSERT_NE(resolution, nullptr) << run.out;
        const JsonValue* shown = resolution->Find("default");
        if (c.shown)
            EXPECT_EQ(shown->text, c.shown);
        else
            EXPECT_TRUE(shown->IsNull()) << shown->text;
    }
}

TEST_F(KvmodelTool, DumpShowsOptionsAsTheDriverReadsThem)
{
    const JsonValue* dump = OrvDump();
    ASSERT_NE(dump, nullptr);
    const JsonValue* pageSize = Feature(*dump, "PageSize");
    ASSERT_NE(pageSize, nullptr);
    const JsonValue& options = *pageSize->Find("options");
    std::vector<std::string> keywords;
    for (const JsonValue& option : options.items)
        keywords.push_back(option.Find("keyword")->text);
    EXPECT_EQ(keywords, (std::vector<std::string>{"Letter", "A4", "Legal", "Env10", "A5",
                                                  "Postcard"}));
    ASSERT_EQ(options.items.size(), 6u);
    EXPECT_EQ(options.items[0].Find("translation")->text, "US Letter");
    EXPECT_EQ(options.items[0].Find("value")->text,
              "<</PageSize[612 792]/ImagingBBox null>>setpagedevice");
    // A value continued on the next line keeps its line end.
    EXPECT_EQ(options.items[2].Find("value")->text,
              "\n  <</PageSize[612 1008]/ImagingBBox null>>setpagedevice");
    // Hex substrings of translations are decoded.
    EXPECT_EQ(options.items[4].Find("translation")->text, "A5 (148 x 210 mm)");

    const JsonValue* colorMode = Feature(*dump, "ORVColorMode");
    ASSERT_NE(colorMode, nullptr);
    const JsonValue& gray = colorMode->Find("options")->items.at(1);
    EXPECT_EQ(gray.Find("keyword")->text, "Gray");
    EXPECT_EQ(gray.Find("translation")->text, "Gray \"Draft\" \\ Mono\tK");
    EXPECT_EQ(gray.Find("value")->text, "<</ProcessColorModel /DeviceGray>>setpagedevice");

    const JsonValue* lowerTray = Feature(*dump, "ORVLowerTray");
    ASSERT_NE(lowerTray, nullptr);
    const JsonValue& installed = lowerTray->Find("options")->items.at(0);
    EXPECT_EQ(installed.Find("translation")->text, "Installed");
    EXPECT_EQ(installed.Find("value")->type, JsonValue::kString);
    EXPECT_EQ(installed.Find("value")->text, "");
}

TEST_F(KvmodelTool, DumpShowsPaperDimensionsInPoints)
{
    const JsonValue* dump = OrvDump();
    ASSERT_NE(dump, nullptr);
    const JsonValue* pageSizes = dump->Find("pageSizes");
    ASSERT_NE(pageSizes, nullptr);
    const struct {
        const char* keyword;
        double width, height;
        double imageable[4];   // all zero: none given
    } expected[] = {
        {"Letter", 612, 792, {18, 18, 594, 774}},
        {"A4", 595.276, 841.89, {17.28, 18, 577.92, 823.68}},
        {"Legal", 612, 1008, {18, 18, 594, 990}},
        {"Env10", 297, 684, {0, 0, 0, 0}},
        {"A5", 419.528, 595.276, {12, 12, 408, 583}},
    };
    // The postcard has no dimension, so it is not a paper here.
    ASSERT_EQ(pageSizes->items.size(), sizeof(expected) / sizeof(expected[0]));
    const double step = 1.0 / 256;   // 24.8 fixed point
    for (size_t i = 0; i < pageSizes->items.size(); ++i) {
        const JsonValue& paper = pageSizes->items[i];
        SCOPED_TRACE(expected[i].keyword);
        EXPECT_EQ(paper.Find("keyword")->text, expected[i].keyword);
        EXPECT_NEAR(paper.Find("width")->number, expected[i].width, step / 2);
        EXPECT_NEAR(paper.Find("height")->number, expected[i].height, step / 2);
        const JsonValue* area = paper.Find("imageable");
        ASSERT_NE(area, nullptr);
        if (expected[i].imageable[2] == 0) {
            EXPECT_TRUE(area->IsNull());
            continue;
        }
        ASSERT_EQ(area->items.size(), 4u);
        for (int n = 0; n < 4; ++n) {
            EXPECT_NEAR(area->items[n].number, expected[i].imageable[n], step / 2) << n;
            // Exactly a multiple of 1/256: what the driver computes with.
            double scaled = area->items[n].number * 256;
            EXPECT_EQ(scaled, std::floor(scaled)) << n;
        }
    }
}

TEST_F(KvmodelTool, DumpListsOnlyConstraintsTheModelCanResolve)
{
    const JsonValue* dump = OrvDump();
    ASSERT_NE(dump, nullptr);
    const JsonValue* constraints = dump->Find("constraints");
    ASSERT_NE(constraints, nullptr);
    const char* const kAny = nullptr;
    const char* const expected[][4] = {
        {"ORVLowerTray", "False", "InputSlot", "Tray2"},
        {"InputSlot", "Tray2", "ORVLowerTray", "False"},
        {"ORVFinisher", "None", "ORVStaple", "True"},
        {"Duplex", kAny, "PageSize", "Env10"},
        {"PageSize", "Env10", "Duplex", kAny},
    };
    ASSERT_EQ(constraints->items.size(), sizeof(expected) / sizeof(expected[0]));
    for (size_t i = 0; i < constraints->items.size(); ++i) {
        const JsonValue& entry = constraints->items[i];
        ASSERT_EQ(entry.items.size(), 4u) << i;
        for (int n = 0; n < 4; ++n) {
            if (expected[i][n])
                EXPECT_EQ(entry.items[n].text, expected[i][n]) << i << "/" << n;
            else
                EXPECT_TRUE(entry.items[n].IsNull()) << i << "/" << n;
        }
    }
}

} // namespace
