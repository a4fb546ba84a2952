// The fax printer's images as a fax machine takes them: each file sent by spandsp's T.30 fax
// machine to another over the modems' audio, back to back in memory, at fine resolution with and
// without error correction, and every page received pixel for pixel as it was sent.
#include <gtest/gtest.h>

#include <spandsp.h>

#include <filesystem>
#include <fstream>

#include "sim/docx/docx.h"
#include "sim/host_tools.h"
#include "sim/output/fax_image.h"
#include "support/sim_addin.h"

namespace telvora::sim::output {
namespace {

namespace fs = std::filesystem;

struct Machine {
    explicit Machine(bool calling) : fax(fax_init(nullptr, calling)) {}
    ~Machine() { fax_free(fax); }
    Machine(const Machine&) = delete;
    Machine& operator=(const Machine&) = delete;
    t30_state_t* t30() const { return fax_get_t30_state(fax); }

    fax_state_t* fax;
    int result = -1;  // the call's outcome, once it ended
};

struct Call {
    int sender = -1, receiver = -1;  // T30_ERR_OK when the call went well
    t30_stats_t received{};
    double seconds = 0;  // of the call's audio
};

// One call from a fax machine sending `sent` to one writing what it receives to `received`; both
// offer what a fax machine of today offers (V.17, one- and two-dimensional coding, fine resolution,
// A4 and Letter pages), error correction as asked. At most two hours of the call's time.
Call call(const fs::path& sent, const fs::path& received, bool errorCorrection) {
    Machine sender(true), receiver(false);
    for (Machine* m : {&sender, &receiver}) {
        fax_set_transmit_on_idle(m->fax, 1);
        t30_set_ecm_capability(m->t30(), errorCorrection);
        t30_set_supported_modems(m->t30(), T30_SUPPORT_V27TER | T30_SUPPORT_V29 | T30_SUPPORT_V17);
        t30_set_supported_compressions(m->t30(), T30_SUPPORT_T4_1D_COMPRESSION | T30_SUPPORT_T4_2D_COMPRESSION);
        t30_set_supported_resolutions(m->t30(), T30_SUPPORT_STANDARD_RESOLUTION | T30_SUPPORT_FINE_RESOLUTION);
        t30_set_supported_image_sizes(m->t30(), T30_SUPPORT_215MM_WIDTH | T30_SUPPORT_A4_LENGTH |
                                                    T30_SUPPORT_US_LETTER_LENGTH | T30_SUPPORT_UNLIMITED_LENGTH);
        t30_set_phase_e_handler(m->t30(), [](t30_state_t*, void* self, int result) { static_cast<Machine*>(self)->result = result; }, m);
    }
    t30_set_tx_file(sender.t30(), sent.c_str(), -1, -1);
    t30_set_rx_file(receiver.t30(), received.c_str(), -1);

    constexpr int chunk = 160;  // 20 ms at 8000 samples a second
    std::int16_t toReceiver[chunk], toSender[chunk];
    long samples = 0;
    for (; (sender.result < 0 || receiver.result < 0) && samples < 8000L * 7200; samples += chunk) {
        fax_tx(sender.fax, toReceiver, chunk);
        fax_tx(receiver.fax, toSender, chunk);
        fax_rx(receiver.fax, toReceiver, chunk);
        fax_rx(sender.fax, toSender, chunk);
    }
    Call c{sender.result, receiver.result, {}, samples / 8000.0};
    t30_get_transfer_statistics(receiver.t30(), &c.received);
    return c;
}

std::vector<FaxPage> faxPages(const DocumentModel& document) {
    const DocumentLayout layout(document);
    std::vector<int> pages(static_cast<std::size_t>(layout.pageCount()));
    for (std::size_t i = 0; i < pages.size(); ++i) pages[i] = static_cast<int>(i);
    return renderFaxPages(layout, pages);
}

std::vector<FaxPage> letter(const fs::path& docx) {
    return faxPages(docx::readDocx(docx, docx.filename().string(), docx.string(),
                                   [](const std::string& path, std::optional<char>) { return MergeSource{path, ',', {}, {}}; }));
}

// Sends the pages as the fax printer writes them and checks they arrive as they left.
void sendsUnchanged(const std::string& name, const std::vector<FaxPage>& pages, bool errorCorrection) {
    SCOPED_TRACE(name + (errorCorrection ? ", with error correction" : ", without error correction"));
    telvora::testing::ScratchFolder folder;
    std::ofstream(folder.path() / "sent.tif", std::ios::binary) << encodeFaxTiff(pages);
    const auto start = std::chrono::steady_clock::now();
    const Call c = call(folder.path() / "sent.tif", folder.path() / "received.tif", errorCorrection);
    ASSERT_EQ(c.sender, T30_ERR_OK) << t30_completion_code_to_str(c.sender);
    ASSERT_EQ(c.receiver, T30_ERR_OK) << t30_completion_code_to_str(c.receiver);
    EXPECT_EQ(c.received.pages_rx, static_cast<int>(pages.size()));
    EXPECT_EQ(c.received.y_resolution, T4_Y_RESOLUTION_FINE);
    EXPECT_EQ(c.received.x_resolution, T4_X_RESOLUTION_R8);
    EXPECT_EQ(c.received.error_correcting_mode != 0, errorCorrection);
    EXPECT_EQ(c.received.bit_rate, 14400);
    const auto arrived = decodeFaxTiff(telvora::testing::readBytes(folder.path() / "received.tif"), "received.tif");
    ASSERT_EQ(arrived.size(), pages.size());
    for (std::size_t p = 0; p < pages.size(); ++p) {
        EXPECT_EQ(arrived[p].width, pages[p].width) << "page " << p + 1;
        EXPECT_EQ(arrived[p].height, pages[p].height) << "page " << p + 1;
        EXPECT_TRUE(arrived[p].bits == pages[p].bits) << "page " << p + 1 << " arrived with other pixels";
    }
    std::printf("%s, error correction %s: %zu page(s), %.0f s of call in %.2f s\n", name.c_str(),
                errorCorrection ? "on" : "off", pages.size(), c.seconds,
                std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count());
}

TEST(FaxImagesOverT30, EveryPageArrivesAsSentAtFineResolutionWithAndWithoutErrorCorrection) {
    const fs::path examples = TELVORA_EXAMPLES_DIR;
    const std::pair<std::string, std::vector<FaxPage>> images[] = {
        {"the quotation letter", letter(examples / "quote-letter.docx")},
        {"the merge letter", letter(examples / "merge-letter.docx")},
    };
    for (const auto& [name, pages] : images)
        for (const bool errorCorrection : {false, true}) sendsUnchanged(name, pages, errorCorrection);
}

}  // namespace
}  // namespace telvora::sim::output
