// Mail merge in the simulated word processor: moving through records, merging a restricted record
// into a new document, and reading the data source from a CSV file.
#include <gtest/gtest.h>

#include "sim/word/csv_data_source.h"
#include "sim/word/document_builder.h"
#include "sim/word/word_processor.h"
#include "support/error_number.h"
#include "support/processor_time.h"
#include "support/sim_addin.h"

namespace telvora::sim {
namespace {

using telvora::testing::contains;
class MailMerge : public ::testing::Test {
protected:
    std::shared_ptr<word::MailMergeDataSource> openMain(std::vector<std::vector<std::string>> records) {
        wp.open(DocumentBuilder("Main.doc")
                    .text("Fax to ")
                    .mergeField("Name")
                    .text(" at ")
                    .mergeField("Fax", Format().bold())
                    .text("\r")
                    .mergeData("C:\\Data\\Customers.csv", {"Name", "Fax"}, std::move(records))
                    .build());
        return wp.activeDocument()->mailMerge()->dataSource();
    }

    WordProcessor wp;
};

// Moving through the records and merging one record into a new document are the fax merge's road
// (its tests and the merge example); here what only an odd data source shows.
TEST_F(MailMerge, AnEmptySourceStaysOnRecordZeroAndAFieldItLacksFails) {
    auto source = openMain({});
    source->setActiveRecord(word::wdFirstRecord);
    source->setActiveRecord(word::wdNextRecord);
    EXPECT_EQ(source->activeRecord(), 0);
    EXPECT_EQ(source->fieldNames(), (std::vector<std::string>{"Name", "Fax"}));
    EXPECT_THROW(source->dataFieldValue("Company"), RuntimeError);
    wp.open(DocumentBuilder("Plain.doc").text("No merge\r").build());
    EXPECT_EQ(wp.activeDocument()->mailMerge()->dataSource()->name(), "");
}

TEST_F(MailMerge, ARestrictionOutsideTheRecordsMergesNothingAndSaysSo) {
    auto source = openMain({{"Ann", "1"}});
    source->setFirstRecord(2);
    EXPECT_THROW(wp.activeDocument()->mailMerge()->Execute(), RuntimeError);
    EXPECT_EQ(wp.documents()->count(), 1);
}

class CsvDataSource : public ::testing::Test {
protected:
    static std::string errorText(std::string_view csv) {
        return telvora::testing::errorRaisedBy([&] { (void)parseCsv(csv, "Customers.csv"); }).description();
    }
};

TEST_F(CsvDataSource, QuotedFieldsKeepCommasQuotesAndLineBreaks) {
    const auto source = parseCsv(
        "\xEF\xBB\xBFName,Company,Fax\r\n"
        "\"Lee, Ann\",\"The \"\"Best\"\" Ltd\",555 1\r\n"
        "Bob,\"Line one\r\nLine two\",\r\n"
        "Jörg,,\"\"\r\n",
        "Customers.csv");
    EXPECT_EQ(source.fieldNames, (std::vector<std::string>{"Name", "Company", "Fax"}));
    ASSERT_EQ(source.records.size(), 3u);
    EXPECT_EQ(source.records[0], (std::vector<std::string>{"Lee, Ann", "The \"Best\" Ltd", "555 1"}));
    EXPECT_EQ(source.records[1], (std::vector<std::string>{"Bob", "Line one\r\nLine two", ""}));
    EXPECT_EQ(source.records[2], (std::vector<std::string>{"Jörg", "", ""}));
}

TEST_F(CsvDataSource, ATextFileSeparatedByTabsOrSemicolonsIsReadByItsOwnSeparator) {
    const std::string european = "\"Name; first\";Fax;Note\r\nLee;555 1;Pays 1,50 per page\r\n";
    EXPECT_EQ(detectDelimiter(european), ';');
    EXPECT_EQ(detectDelimiter("Name\tFax\r\nAnn, Lee\t555 1\r\n"), '\t');
    EXPECT_EQ(detectDelimiter("Name,Fax\r\nAnn;Bob,555 1\r\n"), ',');
    EXPECT_EQ(detectDelimiter("Name\r\nAnn\r\n"), ',');
    const auto source = parseDelimitedText(european, "Customers.txt", ';');
    EXPECT_EQ(source.fieldNames, (std::vector<std::string>{"Name; first", "Fax", "Note"}));
    EXPECT_EQ(source.records.at(0), (std::vector<std::string>{"Lee", "555 1", "Pays 1,50 per page"}));
    EXPECT_EQ(source.delimiter, ';');
}

TEST_F(CsvDataSource, AMalformedFileIsRefusedNamingTheLine) {
    const std::pair<const char*, const char*> cases[] = {
        {"Name,Fax\nAnn,1\nBob\n", "line 3"},           {"Name,Fax\nAnn,1\n\"Bob,2\nCy,3\n", "line 3"},
        {"Name,Fax\n\"Two\nlines\",1\nA\"nn,2\n", "line 4"}, {"Name,Fax\n\"Ann\"x,1\n", "line 2"},
        {"Name,name\n", "line 1"}, {"", "line 1"}, {"Name\n\xFF\n", "line 2"}, {"Name,Fax\n", "no error"}};
    for (const auto& [csv, line] : cases) EXPECT_TRUE(contains(errorText(csv), line));
}

TEST_F(CsvDataSource, AHeaderOfTwoHundredThousandNamesIsCheckedForTwinsInAMoment) {
    std::string header;
    for (int k = 1; k <= 200000; ++k) header += "Field" + std::to_string(k) + ",";
    const auto started = telvora::testing::processorTime();
    EXPECT_EQ(parseCsv(header + "FAX\n", "Wide.csv").fieldNames.size(), 200001u);
    EXPECT_EQ(errorText(header + "FIELD123456\n"), "Word was unable to open the data source \"Customers.csv\": line 1: the "
                                                   "field name \"FIELD123456\" appears twice");
    // Comparing every name with every other took minutes.
    EXPECT_LT(telvora::testing::processorTime() - started, std::chrono::seconds(10));
}

}  // namespace
}  // namespace telvora::sim
