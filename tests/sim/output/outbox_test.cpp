// The fax software's outbox: every fax it accepted, delivered with the image the fax printer made,
// a preview of each page when asked for and the job's description, and a WinFax fax once its print
// arrived.
#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "sim/output/fax_image.h"
#include "sim/output/outbox.h"
#include "sim/output/printer_drivers.h"
#include "sim/sim_machine.h"
#include "sim/word/document_builder.h"
#include "sim/word/word_processor.h"
#include "sim/host_tools.h"
#include "support/sim_addin.h"

namespace telvora::sim::output {
namespace {

namespace fs = std::filesystem;
using Object = std::shared_ptr<AutomationObject>;
using namespace std::chrono;

class OutboxTest : public ::testing::Test {
protected:
    OutboxTest() {
        machine.setComputerName("PC1");
        machine.platform.clock = local_days{2024y / May / 3} + 14h + 30min + 5s;
        fs::create_directories(scratch.path() / "Temp");
        wp.installPrinter("Fax", std::make_shared<FaxPrinterDriver>());
        wp.installPrinter("WinFax", std::make_shared<FaxPrinterDriver>(FaxPrinterDriver::Options{
                                        {}, [this](const std::string& image) { taken = fax.receiveApplicationPrint(image); }}));
        wp.open(DocumentBuilder("Letter.docx").text("Dear Ann,\fPage two\r").build());
    }

    nlohmann::json jobOf(const fs::path& folder) {
        return nlohmann::json::parse(telvora::testing::readBytes(folder / "job.json"));
    }

    telvora::testing::ScratchFolder scratch;
    telvora::testing::ScratchFolder out;
    SimMachine machine{scratch.path()};
    FaxSoftware& fax = machine.fax;
    WordProcessor wp{WordProcessorOptions{machine.platform.paths(), "C:\\Office"}};
    Outbox outbox{out.path() / "outbox", true};
    bool taken = false;
};

TEST_F(OutboxTest, EachAcceptedFaxIsDeliveredWithItsImagePreviewsAndDescription) {
    wp.setActivePrinter("Fax");
    wp.PrintOut({{"PrintToFile", true}, {"OutputFileName", "C:\\Temp\\Pagewire.tif"}, {"Range", std::int32_t{0}}});
    const std::string image = machine.platform.readFile("C:\\Temp\\Pagewire.tif");

    fax.faxServiceInstalled = true;
    Object server = machine.automation.create("FaxServer.FaxServer");
    server->call("Connect", {Variant("")});
    Object document = server->call("CreateDocument", {Variant("C:\\Temp\\Pagewire.tif")}).toObject();
    document->put("FaxNumber", Variant("0123 4567"));
    document->put("RecipientName", Variant("Ann Lee"));
    document->put("RecipientCompany", Variant("Acme Ltd"));
    document->put("CoverpageSubject", Variant("Quote 42"));
    document->put("DiscountSend", Variant(true));
    document->call("Send");
    // The sender deletes its file; the job keeps what it accepted.
    machine.platform.deleteFile("C:\\Temp\\Pagewire.tif");

    const auto delivered = outbox.deliverNew(fax.jobs);
    ASSERT_EQ(delivered.size(), 1u);
    const fs::path folder = out.path() / "outbox" / "job-0001";
    EXPECT_EQ(delivered[0].folder, folder);
    EXPECT_EQ(delivered[0].pages, 2);
    EXPECT_EQ(delivered[0].previews, (std::vector<fs::path>{folder / "page-1.png", folder / "page-2.png"}));
    EXPECT_EQ(telvora::testing::readBytes(folder / "fax.tif"), image);
    EXPECT_EQ(telvora::testing::readBytes(folder / "page-2.png"), previewPng(decodeFaxTiff(image, "fax.tif")[1]));
    const auto job = jobOf(folder);
    const std::pair<const char*, nlohmann::json> fields[] = {
        {"number", "0123 4567"}, {"recipient", "Ann Lee"}, {"company", "Acme Ltd"}, {"subject", "Quote 42"},
        {"schedule", "Discount"}, {"receipt", "none"}, {"server", "PC1"}, {"submitted", "2024-05-03T14:30:05"},
        {"software", "FaxServer.FaxServer"}, {"softwareName", "Windows fax service"}, {"pages", 2},
        {"previews", nlohmann::json::array({"page-1.png", "page-2.png"})}};
    for (const auto& [name, value] : fields) EXPECT_EQ(job[name], value) << name;

    // Delivered once: the next round delivers only what is new, and a job of the extended fax
    // service keeps its receipt. An outbox not asked for previews counts the pages all the same.
    EXPECT_TRUE(outbox.deliverNew(fax.jobs).empty());
    Outbox plain(out.path() / "plain", false);
    SubmittedFax shared = fax.jobs.front();
    shared.jobId = "2";
    shared.software = fax_progid::ExtendedDocument;
    shared.receipt = ReceiptKind::Email;
    shared.receiptAddress = "ann@example.com";
    shared.schedule = "12/25/2024 2:30:00 PM";
    const auto plainDelivery = plain.deliver(shared);
    EXPECT_EQ(plainDelivery.pages, 2);
    EXPECT_TRUE(plainDelivery.previews.empty());
    EXPECT_FALSE(fs::exists(plainDelivery.folder / "page-1.png"));
    const auto second = jobOf(plainDelivery.folder);
    EXPECT_EQ(second["pages"], 2);
    EXPECT_EQ(second["previews"], nlohmann::json::array());
    EXPECT_EQ(second["receipt"], "email");
    EXPECT_EQ(second["receiptAddress"], "ann@example.com");
    EXPECT_EQ(second["softwareName"], "Extended fax service");
}

// What WinFax delivers and how the letter looks on it the WinFax example proves; here that it takes
// only the print it waits for.
TEST_F(OutboxTest, AWinFaxFaxTakesOnlyThePrintItWaitedFor) {
    fax.winFaxInstalled = true;
    Object winfax = machine.automation.create("WinFax.SDKSend8.0");
    winfax->call("SetNumber", {Variant("9091234567")});
    winfax->call("AddRecipient");
    winfax->call("SetPrintFromApp", {Variant(std::int16_t{1})});
    winfax->call("Send", {Variant(std::int16_t{1})});
    EXPECT_TRUE(outbox.deliverNew(fax.jobs).empty()) << "WinFax still waits for the document";
    ASSERT_EQ(winfax->call("IsReadyToPrint").toInt16(), 1) << "the sender prints once WinFax is ready";
    wp.setActivePrinter("WinFax");
    wp.activeDocument()->PrintOut();
    EXPECT_TRUE(taken);
    const std::string body = fax.jobs.at(0).body;
    wp.activeDocument()->PrintOut();
    EXPECT_FALSE(taken) << "a print nobody waits for is no fax";
    EXPECT_EQ(fax.jobs.size(), 1u);
    EXPECT_EQ(fax.jobs.at(0).body, body);
}

TEST_F(OutboxTest, ADeliveryReplacesAnEarlierRunsFolderAndABodyThatIsNoFaxImageIsKeptAsItCame) {
    fs::create_directories(out.path() / "outbox" / "job-0007");
    std::ofstream(out.path() / "outbox" / "job-0007" / "stale.txt") << "from an earlier run";
    SubmittedFax job;
    job.jobId = "7";
    job.software = fax_progid::FaxServer;
    job.bodyFile = "C:\\Temp\\Pagewire.txt";
    job.body = "Dear Ann,\r\n";
    const auto folder = outbox.deliver(job).folder;

    EXPECT_FALSE(fs::exists(folder / "stale.txt"));
    EXPECT_EQ(telvora::testing::readBytes(folder / "Pagewire.txt"), "Dear Ann,\r\n");
    const auto description = jobOf(folder);
    EXPECT_EQ(description["image"], "Pagewire.txt");
    EXPECT_EQ(description["pages"], 0);

    // An image whose second page is no fax page's goes as it came, without the first page's
    // picture, the job saying why.
    FaxPage first, tooWide;
    first.height = tooWide.height = 20;
    tooWide.width = 9000;
    first.bits.assign(static_cast<std::size_t>(first.stride()) * 20, 0);
    tooWide.bits.assign(static_cast<std::size_t>(tooWide.stride()) * 20, 0);
    job.jobId = "8";
    job.bodyFile = "C:\\Temp\\Pagewire.tif";
    job.body = encodeFaxTiff({first, tooWide});
    const auto damaged = outbox.deliver(job);
    EXPECT_EQ(damaged.pages, 0);
    EXPECT_TRUE(damaged.previews.empty());
    EXPECT_EQ(telvora::testing::readBytes(damaged.folder / "fax.tif"), job.body);
    EXPECT_FALSE(fs::exists(damaged.folder / "page-1.png"));
    const auto why = jobOf(damaged.folder);
    EXPECT_EQ(why["pages"], 0);
    EXPECT_EQ(why["previews"], nlohmann::json::array());
    EXPECT_NE(why["imageError"].get<std::string>().find("page size"), std::string::npos) << why.dump();

    // An image whose coded rows are damaged is found out without pictures too: its rows (between
    // the file's header and its first page's description) wiped.
    Outbox plain(out.path() / "plain", false);
    job.jobId = "9";
    job.body = encodeFaxTiff({first});
    std::uint32_t firstDescription = 0;
    std::memcpy(&firstDescription, job.body.data() + 4, sizeof firstDescription);
    ASSERT_EQ(job.body.substr(0, 2), "II");
    ASSERT_GT(firstDescription, 8u);
    std::fill(job.body.begin() + 8, job.body.begin() + firstDescription, '\0');
    const auto wiped = plain.deliver(job);
    EXPECT_EQ(wiped.pages, 0);
    EXPECT_EQ(telvora::testing::readBytes(wiped.folder / "fax.tif"), job.body);
    EXPECT_TRUE(jobOf(wiped.folder).contains("imageError")) << jobOf(wiped.folder).dump();

    // Nothing but the delivered folders is left in the outbox.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(out.path() / "outbox")) names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"job-0007", "job-0008"}));
}

}  // namespace
}  // namespace telvora::sim::output
