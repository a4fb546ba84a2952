// Mail merge in the simulated word processor: moving through records, merging a restricted record
// into a new document, and reading the data source from a CSV file.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "sim/word/csv_data_source.h"
#include "sim/word/document_builder.h"
#include "sim/word/word_processor.h"
#include "support/processor_time.h"

namespace telvora::sim {
namespace {

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

TEST_F(MailMerge, MovesFirstNextAndLastAndStaysOnTheLastRecord) {
    auto source = openMain({{"Ann", "1"}, {"Bob", "2"}, {"Cy", "3"}});
    source->setActiveRecord(word::wdLastRecord);
    EXPECT_EQ(source->activeRecord(), 3);
    source->setActiveRecord(word::wdFirstRecord);
    EXPECT_EQ(source->activeRecord(), 1);
    EXPECT_EQ(source->dataFieldValue("Name"), "Ann");
    source->setActiveRecord(word::wdNextRecord);
    EXPECT_EQ(source->dataFieldValue("fax"), "2");
    source->setActiveRecord(word::wdNextRecord);
    source->setActiveRecord(word::wdNextRecord);
    EXPECT_EQ(source->activeRecord(), 3);
    EXPECT_EQ(source->dataFieldValue("Name"), "Cy");
}

TEST_F(MailMerge, AnEmptySourceReadsRecordZero) {
    auto source = openMain({});
    source->setActiveRecord(word::wdFirstRecord);
    EXPECT_EQ(source->activeRecord(), 0);
    source->setActiveRecord(word::wdNextRecord);
    EXPECT_EQ(source->activeRecord(), 0);
    EXPECT_EQ(source->fieldNames(), (std::vector<std::string>{"Name", "Fax"}));
}

TEST_F(MailMerge, AnUnknownFieldNameFailsAndAnUnlinkedDocumentHasNoSourceName) {
    auto source = openMain({{"Ann", "1"}});
    EXPECT_THROW(source->dataFieldValue("Company"), RuntimeError);
    EXPECT_EQ(source->name(), "C:\\Data\\Customers.csv");

    wp.open(DocumentBuilder("Plain.doc").text("No merge\r").build());
    EXPECT_EQ(wp.activeDocument()->mailMerge()->dataSource()->name(), "");
}

TEST_F(MailMerge, ExecutingARestrictedMergeMakesANewActiveDocumentWithThatRecord) {
    auto source = openMain({{"Ann", "555 1"}, {"Bob", "555 2"}, {"Cy", "555 3"}});
    source->setFirstRecord(2);
    source->setLastRecord(2);
    auto merge = wp.activeDocument()->mailMerge();
    merge->setDestination(word::wdSendToNewDocument);
    merge->Execute();

    auto merged = wp.activeDocument();
    EXPECT_NE(merged->name(), "Main.doc");
    EXPECT_EQ(merged->content()->text(), "Fax to Bob at 555 2\r");
    // The value takes the look of the field it replaces; the merged document has no merge fields.
    const auto model = wp.document(merged->name());
    EXPECT_EQ(model->fontAt(StoryKind::Main, 14)[word::FontAttribute::Bold], word::FontValue(std::int32_t{-1}));
    EXPECT_EQ(merged->fields()->count(), 0);
    EXPECT_EQ(merged->mailMerge()->dataSource()->name(), "");

    merged->Close(word::wdDoNotSaveChanges);
    EXPECT_EQ(wp.activeDocument()->name(), "Main.doc");
    EXPECT_EQ(wp.activeDocument()->content()->text(), "Fax to «Name» at «Fax»\r");
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
        try {
            (void)parseCsv(csv, "Customers.csv");
        } catch (const RuntimeError& e) {
            return e.description();
        }
        return "no error";
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

TEST_F(CsvDataSource, AHeaderRowAloneIsASourceWithoutRecords) {
    const auto source = parseCsv("Name,Fax\n", "Customers.csv");
    EXPECT_EQ(source.fieldNames.size(), 2u);
    EXPECT_TRUE(source.records.empty());
}

TEST_F(CsvDataSource, AMalformedFileIsRefusedNamingTheLine) {
    EXPECT_NE(errorText("Name,Fax\nAnn,1\nBob\n").find("line 3"), std::string::npos);
    EXPECT_NE(errorText("Name,Fax\nAnn,1\n\"Bob,2\nCy,3\n").find("line 3"), std::string::npos);
    EXPECT_NE(errorText("Name,Fax\n\"Two\nlines\",1\nA\"nn,2\n").find("line 4"), std::string::npos);
    EXPECT_NE(errorText("Name,Fax\n\"Ann\"x,1\n").find("line 2"), std::string::npos);
    EXPECT_NE(errorText("Name,name\n").find("line 1"), std::string::npos);
    EXPECT_NE(errorText("").find("line 1"), std::string::npos);
    EXPECT_NE(errorText("Name\n\xFF\n").find("line 2"), std::string::npos);
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

TEST_F(CsvDataSource, ADocumentTakesItsMergeDataFromAFile) {
    const auto file = std::filesystem::temp_directory_path() / "telvora-sim-customers.csv";
    std::ofstream(file, std::ios::binary) << "Name,Fax\r\nAnn,555 1\r\n";
    WordProcessor wp;
    wp.open(DocumentBuilder("Main.doc").mergeField("Fax").mergeDataFromCsv(file).build());
    auto source = wp.activeDocument()->mailMerge()->dataSource();
    EXPECT_EQ(source->name(), file.string());
    EXPECT_EQ(source->dataFieldValue("Fax"), "555 1");
    std::filesystem::remove(file);

    EXPECT_THROW(DocumentBuilder("Other.doc").mergeDataFromCsv(file), RuntimeError);
}

}  // namespace
}  // namespace telvora::sim
