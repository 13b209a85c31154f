// KVMODEL.EXE run as a model author runs it: on a description in another
// maker's style (ORV5200.PPD: vendor keywords, printer queries with
// multi-line values, hex substrings, installable options first) and on a
// broken one. Its exit code, its diagnostics and its JSON are checked.
#include "support/test_paths.h"

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

struct ToolRun {
    int exitCode;
    std::string out, err;   // without carriage returns
};

std::string ReadBytes(const std::string& path)
{
    return {std::istreambuf_iterator<char>(std::ifstream(path, std::ios::binary).rdbuf()), {}};
}

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
        const std::string path = std::string(scratch_.begin(), scratch_.end()) + "\\" + name;
        std::ofstream(path, std::ios::binary) << bytes;
        return path;
    }

    // Runs KVMODEL.EXE through the command shell (hence the outer quotes),
    // collecting what it printed.
    static ToolRun Run(const std::vector<std::string>& arguments)
    {
        const std::wstring exe = TestBinDirectory() + L"\\KVMODEL.EXE";
        const std::string out = ScratchFile("out.txt", ""), err = ScratchFile("err.txt", "");
        std::string command = "\"\"" + std::string(exe.begin(), exe.end()) + "\"";
        for (const std::string& argument : arguments) command += " \"" + argument + "\"";
        command += " >\"" + out + "\" 2>\"" + err + "\"\"";
        ToolRun run{std::system(command.c_str()), ReadBytes(out), ReadBytes(err)};
        for (std::string* text : {&run.out, &run.err})
            text->erase(std::remove(text->begin(), text->end(), '\r'), text->end());
        return run;
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

// Descriptions come with Unix, Windows and old Macintosh line ends; every
// diagnostic names the line of its own statement in each, also after
// quoted values that run over several lines. Keywords the driver reads,
// queries and their *End lines are worth no warning.
TEST_F(KvmodelTool, CheckNamesSkippedKeywordsAtTheirLinesWhateverTheLineEnds)
{
    const std::string original = ReadBytes(DataFile("ORV5200.PPD"));
    const char* const skipped = "1 PPD-Adobe 5 FormatVersion 9 PCFileName 10 Manufacturer 11 Product 12 ModelName "
                                "13 ShortNickName 15 PSVersion 20 cupsVersion 21 cupsManualCopies 22 cupsFilter "
                                "30 APDialogExtension 31 APPrinterIconPath";
    const char* const variants[][2] = {{"LF.PPD", "\n"}, {"CRLF.PPD", "\r\n"}, {"CR.PPD", "\r"}};
    for (const auto& variant : variants) {
        const std::string path = ScratchFile(variant[0], std::regex_replace(original, std::regex("\n"), variant[1]));
        SCOPED_TRACE(path);
        ToolRun run = Run({"check", path});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        std::string expected;
        std::istringstream pairs(skipped);
        for (std::string line, word; pairs >> line >> word;)
            expected += path + ":" + line + ": warning: *" + word + ": unknown keyword skipped\n";
        expected += path + ": loads: 9 features (2 installable), 24 options, 7 constraints, ";
        EXPECT_EQ(run.out.find(expected), 0u) << run.out;
        ExpectInOrder(run.out, {expected, " bytes of cache image (0 errors, 13 warnings)\n"});
    }
}

// A broken file fails at its line, yet the files after it are still checked.
TEST_F(KvmodelTool, BrokenDescriptionFailsAtTheUnterminatedQuote)
{
    const std::string broken = DataFile("BROKEN.PPD"), good = DataFile("ORV5200.PPD");
    ToolRun check = Run({"check", broken, good});
    EXPECT_EQ(check.exitCode, 1);
    ExpectInOrder(check.out, {broken + ":8: error: *PageSize: quoted value not terminated\n" +
                                  broken + ": does not load (1 error, 1 warning)\n",
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
         {std::vector<std::string>{}, {"check"}, {"dump"}, {"verify", DataFile("ORV5200.PPD")},
          {"dump", DataFile("ORV5200.PPD"), DataFile("BROKEN.PPD")}}) {
        ToolRun run = Run(arguments);
        EXPECT_EQ(run.exitCode, 2) << arguments.size() << " arguments";
        EXPECT_EQ(run.err.find("usage:"), 0u) << run.err;
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
