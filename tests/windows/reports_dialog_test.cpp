#include "windows/dialogs/reports_dialog.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>

#include "core/base/document_opener.h"
#include "core/base/ini_file.h"
#include "dialog_test_support.h"
#include "tests/support/browse_library.h"

namespace tunecrest {
namespace {

using test::As;
using test::Rows;

struct TrecordingOpener : TdocumentOpener {
    std::vector<std::string> Opened;
    bool OpenDocument(const std::string& fileName, std::string&) override
    {
        Opened.push_back(fileName);
        return true;
    }
};

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

int RowOf(QListWidget* list, const std::string& name)
{
    const std::vector<std::string> rows = Rows(list);
    return int(std::find(rows.begin(), rows.end(), name) - rows.begin());
}

struct ReportsDialog : test::DialogTest {
    ReportsDialog()
    {
        std::filesystem::create_directories(reports);
        previousOpener = SetDocumentOpener(opener);
    }
    ~ReportsDialog() override { SetDocumentOpener(previousOpener); }
    test::BrowseLibrary library;
    test::TempDir dir;
    std::filesystem::path reports = dir.Path() / "Reports";
    std::string settings = (dir.Path() / "reports.ini").string();
    std::shared_ptr<TrecordingOpener> opener = std::make_shared<TrecordingOpener>();
    std::shared_ptr<TdocumentOpener> previousOpener;
};

TEST(ReportOutput, TheFallbackKeepsTheReportsOwnExtension)
{
    TmediaLibraryReport csv;
    TinvalidTagsReport text;
    EXPECT_EQ(ChosenReportOutput(csv, "/r"), "/r/Media Library.csv");
    EXPECT_EQ(ChosenReportOutput(text, "/r"), "/r/Invalid Tags.txt");
    csv.FileName = "/elsewhere/library.csv";
    EXPECT_EQ(ChosenReportOutput(csv, "/r"), "/r/library.csv");
    // A folder without a file name, or a folder that does not exist: the default name with
    // the report's own extension in the reports folder (a CSV report stays a .csv file).
    csv.FileName = "/tmp/";
    EXPECT_EQ(RunReportOutput(csv, "/r"), "/r/Media Library.csv");
    csv.FileName = "/no/such/folder/library.csv";
    EXPECT_EQ(RunReportOutput(csv, "/r"), "/r/Media Library.csv");
    csv.FileName = "/tmp/library.csv";
    EXPECT_EQ(RunReportOutput(csv, "/r"), "/tmp/library.csv");
}

TEST_F(ReportsDialog, ChoosingARunningAndKeepingTheOutputFolder)
{
    runner->Push([this](QDialog& d) {
        auto& w = As<TfrmReports>(d);
        EXPECT_EQ(w.windowTitle(), "Reports");
        EXPECT_EQ(Rows(w.lbReports),
                  (std::vector<std::string>{"Duplicate Tracks", "Invalid Tags", "Media Library", "Missing Album Covers"}));
        EXPECT_FALSE(w.btnRun->isEnabled());
        EXPECT_FALSE(w.btnConfigure->isEnabled());
        EXPECT_FALSE(w.pbProgress->isVisibleTo(&w));
        test::TouchRow(w.lbReports, RowOf(w.lbReports, "Invalid Tags"));
        EXPECT_TRUE(w.btnRun->isEnabled());
        EXPECT_EQ(w.edOutputFile->text(), "Invalid Tags.txt");
        EXPECT_EQ(w.memoDescription->toPlainText(),
                  "Creates a list of those files that are not correctly tagged (no Artist or no Title).");
        PressButton(*w.btnRun);
        EXPECT_FALSE(w.pbProgress->isVisibleTo(&w));

        // The CSV report: its chosen file lies in a folder that is gone by the time it runs.
        test::TouchRow(w.lbReports, RowOf(w.lbReports, "Media Library"));
        EXPECT_EQ(w.edOutputFile->text(), "Media Library.csv");
        prompt->SaveAnswer = (dir.Path() / "gone" / "mine").string();
        PressButton(*w.btnBrowse);
        EXPECT_EQ(w.edOutputFile->text(), "mine.csv");  // the default extension is added
        PressButton(*w.btnRun);
        EXPECT_EQ(w.edOutputFile->text(), "Media Library.csv");
        PressButton(*w.btnClose);
    });
    ShowReports(library.lib.get(), reports.string(), settings);

    ASSERT_EQ(opener->Opened.size(), 2u);
    EXPECT_EQ(opener->Opened[0], (reports / "Invalid Tags.txt").string());
    EXPECT_EQ(ReadFile(reports / "Invalid Tags.txt"), "/m/loose/untagged.mp3\n");
    EXPECT_EQ(opener->Opened[1], (reports / "Media Library.csv").string());
    EXPECT_EQ(ReadFile(reports / "Media Library.csv").rfind("Artist,Album,Track Number,Title,Filename\n", 0), 0u);
    EXPECT_EQ(prompt->SaveQuestions,
              (std::vector<std::string>{"Report Output File|CSV Files (*.csv)|" + reports.string()}));
    // The settings keep each report's output folder.
    TiniFile ini(settings);
    EXPECT_EQ(ini.ReadString("Media Library", "Filename", "?"), reports.string() + "/");
    EXPECT_EQ(ini.ReadString("Duplicate Tracks", "Filename", "?"), "");
}

TEST_F(ReportsDialog, AFailedWriteIsToldAndConfigureReachesTheReport)
{
    std::filesystem::remove_all(reports);  // nowhere to write
    runner->Push([](QDialog& d) {
        auto& w = As<TfrmReports>(d);
        test::TouchRow(w.lbReports, RowOf(w.lbReports, "Duplicate Tracks"));
        PressButton(*w.btnRun);
        PressButton(*w.btnConfigure);
        EXPECT_TRUE(w.isVisible());
        PressButton(*w.btnClose);
    });
    ShowReports(library.lib.get(), reports.string(), "");
    EXPECT_TRUE(opener->Opened.empty());
    ASSERT_EQ(prompt->Messages.size(), 2u);
    EXPECT_EQ(prompt->Messages[0].rfind("Reports|", 0), 0u);
    EXPECT_EQ(prompt->Messages[1], "Duplicate Tracks|No configuration is Required");
}

}  // namespace
}  // namespace tunecrest
