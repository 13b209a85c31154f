// KVTICKET.EXE run as a developer runs it, on the installed queue: its exit
// code, what it prints, and the step and code it names when something fails.
#include "support/test_paths.h"
#include "support/tool_run.h"

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

const std::string kQueue(kTestQueueName, kTestQueueName + wcslen(kTestQueueName));

const char kFramework[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemaframework";
const char kKeywords[] = "http://schemas.microsoft.com/windows/2003/08/printing/printschemakeywords";

// A ticket choosing the given options of the given features.
std::string Ticket(const std::vector<std::pair<std::string, std::string>>& choices)
{
    std::string xml = std::string("<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<psf:PrintTicket xmlns:psf=\"") +
                      kFramework + "\" xmlns:psk=\"" + kKeywords + "\" version=\"1\">";
    for (const auto& choice : choices)
        xml += "<psf:Feature name=\"" + choice.first + "\"><psf:Option name=\"" + choice.second +
               "\"/></psf:Feature>";
    return xml + "</psf:PrintTicket>\n";
}

class KvticketTool : public ::testing::Test {
protected:
    static void SetUpTestSuite() { scratch_ = CreateScratchDirectory(); }
    static void TearDownTestSuite() { RemoveScratchDirectory(scratch_); }

    static std::string ScratchFile(const std::string& name, const std::string& bytes)
    {
        return WriteScratchFile(scratch_, name, bytes);
    }

    // Runs KVTICKET.EXE through the command shell (hence the outer quotes).
    static ToolRun Run(const std::vector<std::string>& arguments)
    {
        return RunTool(L"KVTICKET.EXE", scratch_, arguments);
    }
    static std::wstring scratch_;
};
std::wstring KvticketTool::scratch_;

// A command line the tool cannot act on is exit code 2 with the usage, and
// touches no queue.
TEST_F(KvticketTool, BadCommandLinesExitWithTwo)
{
    const std::vector<std::vector<std::string>> cases = {
        {},
        {"caps"},
        {"capabilities", kQueue},
        {"caps", kQueue, "extra"},
        {"ticket"},
        {"apply", kQueue},
        {"validate", kQueue},
        {"apply", kQueue, "a.xml", "b.xml"},
    };
    for (const auto& arguments : cases) {
        std::string shown;
        for (const auto& argument : arguments) shown += " " + argument;
        ToolRun run = Run(arguments);
        EXPECT_EQ(run.exitCode, 2) << shown;
        EXPECT_NE(run.err.find("usage: KVTICKET"), std::string::npos) << shown;
        EXPECT_EQ(run.out, "") << shown;
    }
}

// The documents come out whole, each with its root and version.
TEST_F(KvticketTool, CapsAndTicketPrintTheirDocuments)
{
    const struct {
        const char* command;
        const char* root;
    } cases[] = {
        {"caps", "psf:PrintCapabilities"},
        {"ticket", "psf:PrintTicket"},
    };
    for (const auto& c : cases) {
        ToolRun run = Run({c.command, kQueue});
        EXPECT_EQ(run.exitCode, 0) << c.command << "\n" << run.err;
        EXPECT_TRUE(std::regex_search(run.out, std::regex(std::string("<") + c.root + "[^>]* version=\"1\"")))
            << c.command << "\n" << run.out;
        EXPECT_NE(run.out.find(std::string("</") + c.root + ">"), std::string::npos) << c.command;
        EXPECT_NE(run.out.find("PageMediaSize"), std::string::npos) << c.command;
    }
}

// One line per feature, its name then its options; the paper sizes include
// the two the apply test below relies on.
TEST_F(KvticketTool, FeaturesSummarisesTheCapabilities)
{
    ToolRun run = Run({"features", kQueue});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::regex_search(run.out, std::regex("(^|\n)psk:PageMediaSize:( \\S+)* psk:ISOA5( |\n)")))
        << run.out;
    EXPECT_TRUE(std::regex_search(run.out, std::regex("(^|\n)psk:PageOrientation:( \\S+)* psk:Landscape( |\n)")))
        << run.out;
    // Options are named, except where a value describes the choice:
    // resolutions, pages per sheet and poster sheets.
    std::istringstream lines(run.out);
    for (std::string line; std::getline(lines, line);) {
        if (line.find("(unnamed)") == std::string::npos) continue;
        std::string feature = line.substr(0, line.find(':', line.find(':') + 1));
        EXPECT_TRUE(feature == "psk:PageResolution" || feature == "psk:JobNUpAllDocumentsContiguously" ||
                    feature == "psk:PagePoster")
            << line;
    }
}

// A ticket's choices reach the DEVMODE; what it leaves out keeps the
// queue's default.
TEST_F(KvticketTool, ApplyMergesTheTicketIntoTheDefault)
{
    const struct {
        const char* name;
        std::vector<std::pair<std::string, std::string>> choices;
        std::vector<std::string> expected;
    } cases[] = {
        {"a5-landscape",
         {{"psk:PageMediaSize", "psk:ISOA5"}, {"psk:PageOrientation", "psk:Landscape"}},
         {"paper size: 11\n", "paper width: 1480\n", "paper length: 2100\n", "orientation: landscape\n",
          "copies: 1\n"}},
        {"a4-portrait",
         {{"psk:PageMediaSize", "psk:ISOA4"}, {"psk:PageOrientation", "psk:Portrait"}},
         {"paper size: 9\n", "paper width: 2100\n", "paper length: 2970\n", "orientation: portrait\n"}},
        {"empty", {}, {"orientation: portrait\n", "copies: 1\n"}},
    };
    for (const auto& c : cases) {
        ToolRun run = Run({"apply", kQueue, ScratchFile(std::string(c.name) + ".xml", Ticket(c.choices))});
        EXPECT_EQ(run.exitCode, 0) << c.name << "\n" << run.err;
        for (const std::string& line : c.expected)
            EXPECT_NE(run.out.find(line), std::string::npos) << c.name << ": " << line << "in\n" << run.out;
    }
}

TEST_F(KvticketTool, ValidateReportsTheResultAndPrintsTheTicket)
{
    ToolRun run = Run({"validate", kQueue,
                       ScratchFile("valid.xml", Ticket({{"psk:PageMediaSize", "psk:ISOA5"}}))});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(std::regex_search(run.err, std::regex("S_PT_(NO_CONFLICT|CONFLICT_RESOLVED) \\(0x0004000[12]\\)")))
        << run.err;
    EXPECT_NE(run.out.find("<psf:PrintTicket"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("psk:ISOA5"), std::string::npos) << run.out;
}

// A failed step is exit code 1 with the step and its HRESULT, and nothing
// on standard output.
TEST_F(KvticketTool, FailuresNameTheStepAndTheCode)
{
    const std::string missing = ScratchFile("x", "") + "-missing.xml";
    const std::string notXml = ScratchFile("not-xml.xml", "*PPD-Adobe: \"4.3\"\n<unclosed\n");
    const struct {
        std::vector<std::string> arguments;
        const char* message;
    } cases[] = {
        {{"apply", kQueue, missing}, "opening the ticket file failed: 0x80070002"},
        {{"validate", kQueue, missing}, "opening the ticket file failed: 0x80070002"},
        {{"apply", kQueue, notXml}, "parsing the ticket file failed: 0x"},
        {{"validate", kQueue, notXml}, "parsing the ticket file failed: 0x"},
        {{"caps", "No Such Printer"}, "OpenPrinter failed: 0x80070709"},
    };
    for (const auto& c : cases) {
        ToolRun run = Run(c.arguments);
        EXPECT_EQ(run.exitCode, 1) << c.message;
        EXPECT_NE(run.err.find(c.message), std::string::npos) << c.message << " in\n" << run.err;
        EXPECT_TRUE(std::regex_search(run.err, std::regex("failed: 0x[0-9A-F]{8}\n"))) << run.err;
        EXPECT_EQ(run.out, "") << c.message;
    }
}

} // namespace
