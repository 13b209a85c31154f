// KVMODEL.EXE run as a model author runs it: on the sample model, on a
// description in another maker's style (ORV5200.PPD: vendor keywords,
// printer queries with multi-line values, hex substrings, installable
// options first, a few mistakes) and on small broken ones. Its exit code,
// its diagnostics and its JSON are checked.
#include "support/test_paths.h"
#include "support/tool_run.h"

#include "core/model_parser.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

namespace {

// A test data file, written the Windows way (as a user types it).
std::string DataFile(const char* name)
{
    std::string path = std::string(KV_TOOLS_TEST_DATA) + "/" + name;
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

// The dump without its layout ("{"keyword": "A4","width": ..."); line ends
// inside strings are escaped, so none is lost.
std::string Squash(const std::string& json) { return std::regex_replace(json, std::regex("\n *"), ""); }

// Each fragment appears in text, after the one before it.
void ExpectInOrder(const std::string& text, const std::vector<std::string>& fragments)
{
    size_t at = 0;
    for (const std::string& fragment : fragments) {
        const size_t found = text.find(fragment, at);
        EXPECT_NE(found, std::string::npos) << fragment << "\nafter " << at << " in\n" << text;
        at = found == std::string::npos ? at : found + fragment.size();
    }
}

class KvmodelTool : public ::testing::Test {
protected:
    static void SetUpTestSuite() { scratch_ = CreateScratchDirectory(); }
    static void TearDownTestSuite() { RemoveScratchDirectory(scratch_); }

    static std::string ScratchFile(const std::string& name, const std::string& bytes)
    {
        return WriteScratchFile(scratch_, name, bytes);
    }

    // Runs KVMODEL.EXE through the command shell (hence the outer quotes),
    // collecting what it printed.
    static ToolRun Run(const std::vector<std::string>& arguments)
    {
        return RunTool(L"KVMODEL.EXE", scratch_, arguments);
    }

    // The squashed dump of ORV5200.PPD, made once for the tests that read it.
    static const std::string& OrvDump()
    {
        static ToolRun run = Run({"dump", DataFile("ORV5200.PPD")});
        static std::string squashed = Squash(run.out);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return squashed;
    }
    static std::wstring scratch_;
};
std::wstring KvmodelTool::scratch_;

// The sample model is what model authors copy: it must pass a strict
// check without a word beyond the summary.
TEST_F(KvmodelTool, SampleModelChecksCleanAndStrict)
{
    std::string sample = std::string(KV_MODEL_DIR) + "/KV3390N.PPD";
    std::replace(sample.begin(), sample.end(), '/', '\\');
    ToolRun run = Run({"check", "--strict", sample});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_EQ(run.out, sample + ": loads: 17 features (3 installable), 81 options, 15 paper sizes, "
                                "18 constraints; 0 errors, 0 warnings, 12 notes\n");
    EXPECT_EQ(run.err, "");
}

// Descriptions come with Unix, Windows and old Macintosh line ends; every
// diagnostic names the line of its own statement in each, also after
// quoted values that run over several lines. Standard keywords and those
// of other printing systems are notes, shown with --verbose; queries and
// their *End lines are worth nothing.
TEST_F(KvmodelTool, CheckNamesEachFindingAtItsLineWhateverTheLineEnds)
{
    const std::string original = ReadBytes(DataFile("ORV5200.PPD"));
    const char* const expected[] = {
        "1: note: *PPD-Adobe: standard keyword not used by this driver",
        "5: note: *FormatVersion: standard keyword not used by this driver",
        "9: note: *PCFileName: standard keyword not used by this driver",
        "10: note: *Manufacturer: standard keyword not used by this driver",
        "11: note: *Product: standard keyword not used by this driver",
        "12: note: *ModelName: standard keyword not used by this driver",
        "13: note: *ShortNickName: standard keyword not used by this driver",
        "15: note: *PSVersion: standard keyword not used by this driver",
        "18: note: *DefaultColorSpace: standard keyword not used by this driver",
        "20: note: *cupsVersion: keyword of another printing system, not used by this driver",
        "21: note: *cupsManualCopies: keyword of another printing system, not used by this driver",
        "22: note: *cupsFilter: keyword of another printing system, not used by this driver",
        "30: note: *APDialogExtension: keyword of another printing system, not used by this driver",
        "31: note: *APPrinterIconPath: keyword of another printing system, not used by this driver",
        "65: error: *PageSize: page size Postcard has no *PaperDimension; the driver knows no size for it",
        "141: error: *DefaultORVBanner: no option Both in *ORVBanner; the driver starts with the first "
        "option, Start",
        "153: error: *UIConstraints: no feature *ORVHolePunch in the model; the constraint never applies",
        "154: error: *UIConstraints: no option Tray9 in *InputSlot; the constraint never applies",
        "157: note: *DefaultFont: standard keyword not used by this driver",
    };
    const char* const variants[][2] = {{"LF.PPD", "\n"}, {"CRLF.PPD", "\r\n"}, {"CR.PPD", "\r"}};
    for (const auto& variant : variants) {
        const std::string path = ScratchFile(variant[0], std::regex_replace(original, std::regex("\n"), variant[1]));
        SCOPED_TRACE(path);
        ToolRun run = Run({"check", "--verbose", path});
        EXPECT_EQ(run.exitCode, 1) << run.err;
        std::string lines;
        for (const char* line : expected)
            lines += path + ":" + line + "\n";
        EXPECT_EQ(run.out, lines + path + ": loads: 9 features (2 installable), 24 options, 5 paper sizes, "
                                          "5 constraints (2 ignored); 4 errors, 0 warnings, 15 notes\n");
    }
}

// The summary counts what the driver holds: the option a runaway quoted
// value swallowed is gone, and so are the constraints naming it.
TEST_F(KvmodelTool, SummaryCountsWhatTheLoadedModelHolds)
{
    const std::string path = ScratchFile("RUNAWAY.PPD",
        "*PPD-Adobe: \"4.3\"\n*OpenUI *Resolution: PickOne\n*DefaultResolution: 300dpi\n"
        "*Resolution 300dpi: \"<</HWResolution[300 300]>>setpagedevice\n"
        "*Resolution 600dpi: \"<</HWResolution[600 600]>>setpagedevice\"\n"
        "*Resolution 1200dpi: \"<</HWResolution[1200 1200]>>setpagedevice\"\n*CloseUI: *Resolution\n"
        "*UIConstraints: *Resolution 600dpi *Resolution 1200dpi\n"
        "*UIConstraints: *Resolution 300dpi *Resolution 1200dpi\n");
    ToolRun run = Run({"check", path});
    EXPECT_EQ(run.exitCode, 1);
    ExpectInOrder(run.out, {path + ":4: error: *Resolution: quoted value swallows the statement at line 5",
                            path + ": loads: 1 feature (0 installable), 2 options, 0 paper sizes, "
                                   "1 constraint (1 ignored); 2 errors, 0 warnings, 1 note\n"});
}

// A broken file fails at its line, yet the files after it are still checked.
TEST_F(KvmodelTool, BrokenDescriptionFailsAtTheUnterminatedQuote)
{
    const std::string broken = DataFile("BROKEN.PPD"), good = DataFile("ORV5200.PPD");
    ToolRun check = Run({"check", broken, good});
    EXPECT_EQ(check.exitCode, 1);
    ExpectInOrder(check.out, {broken + ":8: error: *PageSize: quoted value not terminated\n" +
                                  broken + ": does not load; 1 error, 0 warnings, 1 note\n",
                              good + ": loads:"});

    ToolRun dump = Run({"dump", broken});
    EXPECT_EQ(dump.exitCode, 1);
    EXPECT_EQ(dump.out, "") << "no JSON for a model that does not load";
    ExpectInOrder(dump.err, {broken + ":8: error: *PageSize: quoted value not terminated"});
}

TEST_F(KvmodelTool, UnreadableFileAndBadCommandLineAreUsageErrors)
{
    const std::string missing = DataFile("MISSING.PPD");
    for (const char* command : {"check", "dump"}) {
        ToolRun run = Run({command, missing});
        EXPECT_EQ(run.exitCode, 2) << command;
        EXPECT_EQ(run.out, "") << command;
        EXPECT_EQ(run.err.find(missing + ": error: cannot read the file"), 0u) << run.err;
    }
    for (const std::vector<std::string>& arguments :
         {std::vector<std::string>{}, {"check"}, {"check", "--strict"}, {"dump"},
          {"check", "--pedantic", DataFile("ORV5200.PPD")}, {"verify", DataFile("ORV5200.PPD")},
          {"dump", DataFile("ORV5200.PPD"), DataFile("BROKEN.PPD")}}) {
        ToolRun run = Run(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.size() << " arguments";
        EXPECT_EQ(run.err.find("usage:"), 0u) << run.err;
    }
}

// A small description that checks clean; the cases below add to it from
// line 9 or change one of its lines.
const std::vector<std::string> kCleanModel = {
    "*PPD-Adobe: \"4.3\"",                // 1
    "*OpenUI *PageSize: PickOne",         // 2
    "*DefaultPageSize: A4",               // 3
    "*PageSize A4: \"a4\"",               // 4
    "*PageSize Letter: \"letter\"",       // 5
    "*CloseUI: *PageSize",                // 6
    "*PaperDimension A4: \"595 842\"",    // 7
    "*PaperDimension Letter: \"612 792\"", // 8
};

std::string Lines(const std::vector<std::string>& lines)
{
    std::string text;
    for (const std::string& line : lines)
        text += line + "\n";
    return text;
}

std::string CleanModelWith(const std::vector<std::string>& added)
{
    std::vector<std::string> lines = kCleanModel;
    lines.insert(lines.end(), added.begin(), added.end());
    return Lines(lines);
}

std::string CleanModelChanging(size_t line, const std::string& text)
{
    std::vector<std::string> lines = kCleanModel;
    lines.at(line - 1) = text;
    return Lines(lines);
}

// 3 KB of bytes from a fixed generator: what a damaged download looks like.
std::string NoiseBytes()
{
    std::string bytes(3072, '\0');
    uint32_t state = 2463534242u;
    for (char& byte : bytes) {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        byte = static_cast<char>(state >> 24);
    }
    return bytes;
}

struct BrokenCase {
    const char* what;
    std::string text;
    std::vector<std::string> diagnostics;   // "LINE: level: ..." after "FILE:"
    int exitCode;
    int strictExitCode;
};

// Each case: the exact diagnostics check prints (notes stay hidden), and
// its exit code without and with --strict.
TEST_F(KvmodelTool, CheckReportsEachBrokenDescriptionAtItsLine)
{
    const BrokenCase cases[] = {
        {"clean", CleanModelWith({}), {}, 0, 0},
        {"quoted value over lines that are no statements",
         CleanModelWith({"*Password: \"", "  (secret)", "\"", "*End"}), {}, 0, 0},
        {"standard keywords, translations, other systems' keywords",
         CleanModelWith({"*Manufacturer: \"Zentari\"", "*fr.Translation PageSize/Taille: \"\"",
                         "*cupsFilter: \"application/pdf 0 -\"", "*DefaultColorSpace: Gray"}),
         {}, 0, 0},
        // Values that run on
        {"quoted value swallows a statement",
         CleanModelWith({"*OpenUI *Resolution: PickOne", "*DefaultResolution: 300dpi",
                         "*Resolution 300dpi: \"<</HWResolution[300 300]>>setpagedevice",
                         "*Resolution 600dpi: \"<</HWResolution[600 600]>>setpagedevice\"",
                         "*CloseUI: *Resolution", "*UIConstraints: *Resolution 600dpi *PageSize Letter"}),
         {"11: error: *Resolution: quoted value swallows the statement at line 12 (*Resolution); "
          "is a closing quote missing?",
          "14: error: *UIConstraints: no option 600dpi in *Resolution; the constraint never applies"},
         1, 1},
        {"quoted value swallows several statements",
         CleanModelWith({"*NickName: \"Zentari", "*ColorDevice: False", "*LanguageLevel: \"3\""}),
         {"9: error: *NickName: quoted value swallows 2 statements (lines 10-11, from *ColorDevice); "
          "is a closing quote missing?"},
         1, 1},
        {"quoted value open to the end", CleanModelWith({"*NickName: \"Zentari"}),
         {"9: error: *NickName: quoted value not terminated"}, 1, 1},
        {"statements without a colon, stray text",
         CleanModelWith({"*PageSize B4 \"b4\"", "*InputSlot Tray9 Tray 9", "garbage", "*: nothing"}),
         {"9: error: *PageSize: missing ':' after the option part",
          "10: error: *InputSlot: missing ':' after the option part",
          "11: warning: text outside a statement ignored",
          "12: warning: statement without a keyword ignored"},
         1, 1},
        // Not a description
        {"empty file", "", {"1: error: not a model description: the file is empty"}, 1, 1},
        {"random bytes", NoiseBytes(),
         {"1: error: not a model description: it does not begin with *PPD-Adobe"}, 1, 1},
        {"no header",
         Lines(std::vector<std::string>(kCleanModel.begin() + 1, kCleanModel.end())),
         {"1: error: not a model description: it does not begin with *PPD-Adobe"}, 1, 1},
        {"no feature", Lines({"*PPD-Adobe: \"4.3\"", "*NickName: \"Zentari\""}),
         {"1: error: not a model description: it defines no feature"}, 1, 1},
        // Defaults
        {"default naming no option", CleanModelChanging(3, "*DefaultPageSize: A3"),
         {"3: error: *DefaultPageSize: no option A3 in *PageSize; the driver starts with the "
          "first option, A4"},
         1, 1},
        {"default of no feature", CleanModelWith({"*DefaultDuplx: None"}),
         {"9: warning: *DefaultDuplx: no feature *Duplx in the model; default ignored"}, 0, 1},
        {"resolution default spelled unlike its option",
         CleanModelWith({"*OpenUI *Resolution: PickOne", "*DefaultResolution: 600x600dpi",
                         "*Resolution 600dpi: \"\"", "*CloseUI: *Resolution"}),
         {"10: warning: *DefaultResolution: no option 600x600dpi in *Resolution; the driver reads "
          "it as 600 dpi, which the model offers"},
         0, 1},
        {"resolution default not offered",
         CleanModelWith({"*OpenUI *Resolution: PickOne", "*DefaultResolution: 1200dpi",
                         "*Resolution 600dpi: \"\"", "*CloseUI: *Resolution"}),
         {"10: error: *DefaultResolution: no option 1200dpi in *Resolution; the driver reads it "
          "as 1200 dpi, which the model does not offer"},
         1, 1},
        {"default named twice", CleanModelWith({"*DefaultPageSize: Letter"}),
         {"9: warning: *DefaultPageSize: default named again (first at line 3)"}, 0, 1},
        // Blocks
        {"OpenUI never closed",
         CleanModelWith({"*OpenUI *Duplex: PickOne", "*DefaultDuplex: None", "*Duplex None: \"\""}),
         {"9: error: *OpenUI: *Duplex is never closed (no *CloseUI: *Duplex)"}, 1, 1},
        {"OpenUI inside an open feature",
         CleanModelWith({"*OpenUI *Duplex: PickOne", "*Duplex None: \"\"", "*OpenUI *Collate: Boolean",
                         "*Collate True: \"\"", "*CloseUI: *Collate"}),
         {"11: error: *OpenUI: *Collate opened while *Duplex (line 9) is still open; "
          "*CloseUI: *Duplex missing?"},
         1, 1},
        {"CloseUI closing another feature", CleanModelChanging(6, "*CloseUI: *PageRegion"),
         {"6: error: *CloseUI: closes *PageRegion, but the open feature is *PageSize (line 2)"}, 1, 1},
        {"CloseGroup without a group", CleanModelWith({"*CloseGroup: General"}),
         {"9: error: *CloseGroup: no group is open"}, 1, 1},
        {"CloseGroup closing another group",
         CleanModelWith({"*OpenGroup: General/General", "*CloseGroup: InstallableOptions"}),
         {"10: error: *CloseGroup: closes group InstallableOptions, but the open group is General "
          "(line 9)"},
         1, 1},
        {"installable group never closed",
         CleanModelWith({"*OpenGroup: InstallableOptions/Options Installed",
                         "*OpenUI *OptionTray2: Boolean", "*DefaultOptionTray2: False",
                         "*OptionTray2 False: \"\"", "*CloseUI: *OptionTray2"}),
         {"9: error: *OpenGroup: group InstallableOptions is never closed; every feature after it "
          "counts as installable"},
         1, 1},
        {"group closed around an open feature",
         CleanModelWith({"*OpenGroup: General", "*OpenUI *Duplex: PickOne", "*Duplex None: \"\"",
                         "*CloseGroup: General", "*CloseUI: *Duplex"}),
         {"12: error: *CloseGroup: group closed while *Duplex (line 10) is still open"}, 1, 1},
        // Constraints and order
        {"constraint on a feature the model lacks",
         CleanModelWith({"*UIConstraints: *Duplex None *PageSize Letter"}),
         {"9: error: *UIConstraints: no feature *Duplex in the model; the constraint never applies"},
         1, 1},
        {"constraint on an option the model lacks, by an option keyword's name",
         CleanModelWith({"*UIConstraints: *PageRegion A5 *PageSize Letter"}),
         {"9: error: *UIConstraints: no option A5 in *PageSize; the constraint never applies"}, 1, 1},
        {"order dependency on a feature the model lacks",
         CleanModelWith({"*OrderDependency: 10 AnySetup *Duplex"}),
         {"9: warning: *OrderDependency: no feature *Duplex in the model; the order dependency is "
          "ignored"},
         0, 1},
        // Options and papers
        {"option defined twice", CleanModelWith({"*PageSize A4: \"again\""}),
         {"9: warning: *PageSize: option A4 defined again (first at line 4)"}, 0, 1},
        {"page size without dimension", CleanModelWith({"*PageSize A5: \"a5\""}),
         {"9: error: *PageSize: page size A5 has no *PaperDimension; the driver knows no size for it"},
         1, 1},
        {"misspelt paper dimension", CleanModelChanging(8, "*PaperDimension Leter: \"612 792\""),
         {"5: error: *PageSize: page size Letter has no *PaperDimension; the driver knows no size "
          "for it",
          "8: warning: *PaperDimension: no *PageSize Leter; is the option keyword misspelt?"},
         1, 1},
        {"imageable area outside the paper",
         CleanModelWith({"*ImageableArea A4: \"12 12 583.5 830\"", "*ImageableArea Letter: \"12 12 600 800\""}),
         {"10: error: *ImageableArea: imageable area 12 12 600 800 of Letter lies outside its paper, "
          "612 x 792"},
         1, 1},
        {"empty imageable area", CleanModelWith({"*ImageableArea A4: \"300 12 100 830\""}),
         {"9: error: *ImageableArea: imageable area 300 12 100 830 of A4 is empty"}, 1, 1},
        {"landscape area measured on the turned paper",
         CleanModelWith({"*ImageableAreaL Letter: \"12 12 780 600\"", "*ImageableAreaL A4: \"12 12 583 830\""}),
         {"10: error: *ImageableAreaL: landscape imageable area 12 12 583 830 of A4 lies outside its "
          "turned paper, 842 x 595"},
         1, 1},
        // Keywords the driver does not know
        {"misspelt driver keyword", CleanModelWith({"*PrinterCap: \"4096\""}),
         {"9: warning: *PrinterCap: unknown keyword skipped"}, 0, 1},
        {"feature option outside its feature", CleanModelWith({"*OutputBin Upper: \"\""}),
         {"9: warning: *OutputBin: unknown keyword skipped"}, 0, 1},
    };
    for (const BrokenCase& c : cases) {
        SCOPED_TRACE(c.what);
        const std::string path = ScratchFile("CASE.PPD", c.text);
        std::string expected;
        for (const std::string& diagnostic : c.diagnostics)
            expected += path + ":" + diagnostic + "\n";
        ToolRun run = Run({"check", path});
        EXPECT_EQ(run.exitCode, c.exitCode);
        const size_t summary = run.out.rfind(path + ": ");   // the last line, after the diagnostics
        ASSERT_NE(summary, std::string::npos) << run.out << run.err;
        EXPECT_EQ(run.out.substr(0, summary), expected);
        EXPECT_EQ(Run({"check", "--strict", path}).exitCode, c.strictExitCode);
    }
}

// Features in the order of the file, except that the installable group,
// which comes first there, comes last; PageRegion adds no feature of its
// own. A default naming a missing choice shows as none.
TEST_F(KvmodelTool, DumpShowsModelWordsAndFeaturesInModelOrder)
{
    const std::string& dump = OrvDump();
    const std::string text = ReadBytes(DataFile("ORV5200.PPD"));
    const uint32_t checksum = ModelChecksum(reinterpret_cast<const uint8_t*>(text.data()), text.size());
    EXPECT_EQ(dump.find("{\"checksum\": " + std::to_string(checksum) + ",\"fileVersion\": 576,\"nickName\": "
                        "\"Orvane LX-5200 PS (Caf\\u00e9)\",\"languageLevel\": 3,\"colorDevice\": true,\"features\": ["),
              0u) << dump;
    const char* const features[][6] = {
        {"PageSize", "Media Size", "PickOne", "false", "0", "\"Letter\""},
        {"InputSlot", "Paper Source", "PickOne", "false", "1", "\"Tray1\""},
        {"Duplex", "Two-Sided Printing", "PickOne", "false", "3", "\"DuplexNoTumble\""},
        {"ORVColorMode", "Color Mode", "PickOne", "false", "null", "\"Color\""},
        {"Resolution", "Print Quality", "PickOne", "false", "5", "\"1200x1200dpi\""},
        {"ORVStaple", "Staple", "Boolean", "false", "null", "\"False\""},
        {"ORVBanner", "Banner Pages", "PickMany", "false", "null", "null"},
        {"ORVLowerTray", "Lower Tray", "Boolean", "true", "null", "\"False\""},
        {"ORVFinisher", "Finisher", "PickOne", "true", "null", "\"None\""},
    };
    std::vector<std::string> fragments;
    for (const auto& f : features)
        fragments.push_back(std::string("{\"keyword\": \"") + f[0] + "\",\"translation\": \"" +
                            f[1] + "\",\"uiType\": \"" + f[2] + "\",\"installable\": " + f[3] +
                            ",\"kind\": " + f[4] + ",\"default\": " + f[5] + ",\"options\": [");
    ExpectInOrder(dump, fragments);
    ExpectInOrder(dump, {"{\"keyword\": \"Stapler\",", "}]}],\"pageSizes\""});
    // Options: translations with hex substrings decoded; values as written,
    // with the line end where a value continues on the next line.
    ExpectInOrder(dump, {
        R"({"keyword": "Letter","translation": "US Letter","value": "<</PageSize[612 792]/ImagingBBox null>>)"
        R"(setpagedevice"},{"keyword": "A4",)",
        R"({"keyword": "Legal","translation": "US Legal",)"
        R"("value": "\n  <</PageSize[612 1008]/ImagingBBox null>>setpagedevice"},)",
        R"({"keyword": "Env10",)", R"j({"keyword": "A5","translation": "A5 (148 x 210 mm)",)j",
        R"({"keyword": "Postcard",)", R"j({"keyword": "Tray2","translation": "Tray 2 (Lower)",)j",
        R"({"keyword": "Gray","translation": "Gray \"Draft\" \\ Mono\tK",)"
        R"("value": "<</ProcessColorModel /DeviceGray>>setpagedevice"}]},)",
        R"({"keyword": "True","translation": "Installed","value": ""},)",
    });
}

// Papers in points exactly as the driver holds them (24.8 fixed point);
// the postcard has no dimension, so it is no paper. Constraints naming a
// feature or option the model lacks are left out.
TEST_F(KvmodelTool, DumpShowsPapersInPointsAndOnlyResolvableConstraints)
{
    const std::string tail =
        R"("pageSizes": [{"keyword": "Letter","width": 612,"height": 792,"imageable": [18, 18, 594, 774]},)"
        R"({"keyword": "A4","width": 595.27734375,"height": 841.890625,"imageable": [17.28125, 18, 577.921875, )"
        R"(823.6796875]},{"keyword": "Legal","width": 612,"height": 1008,"imageable": [18, 18, 594, 990]},)"
        R"({"keyword": "Env10","width": 297,"height": 684,"imageable": null},{"keyword": "A5",)"
        R"("width": 419.52734375,"height": 595.27734375,"imageable": [12, 12, 408, 583]}],)"
        R"("constraints": [["ORVLowerTray", "False", "InputSlot", "Tray2"],["InputSlot", "Tray2", )"
        R"("ORVLowerTray", "False"],["ORVFinisher", "None", "ORVStaple", "True"],)"
        R"(["Duplex", null, "PageSize", "Env10"],["PageSize", "Env10", "Duplex", null]]})";
    const std::string& dump = OrvDump();
    EXPECT_EQ(dump.substr(dump.size() < tail.size() ? 0 : dump.size() - tail.size()), tail);
}

// The driver keeps the resolution default as dots per inch, so the default
// shown is the option that reads as that number, also when the default
// statement spells it differently or is missing.
TEST_F(KvmodelTool, DumpShowsResolutionDefaultByDotsPerInch)
{
    const char* const cases[][2] = {{"*DefaultResolution: 600dpi\n", "\"600x600dpi\""},
                                    {"", "\"300dpi\""},
                                    {"*DefaultResolution: 2400dpi\n", "null"}};
    for (const auto& c : cases) {
        ToolRun run = Run({"dump", ScratchFile("RES.PPD", std::string("*PPD-Adobe: \"4.3\"\n") +
            c[0] + "*OpenUI *Resolution/Resolution: PickOne\n*Resolution 300dpi/300 dpi: \"\"\n"
            "*Resolution 600x600dpi/600 dpi: \"\"\n*Resolution 1200dpi/1200 dpi: \"\"\n")});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        ExpectInOrder(Squash(run.out), {std::string("\"kind\": 5,\"default\": ") + c[1]});
    }
}

} // namespace
