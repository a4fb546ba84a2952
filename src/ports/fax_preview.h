// Showing the fax image to the user before it is sent: the pages exactly as the fax printer made
// them, and the user's choice to send them or not.
#pragma once

#include <cstdint>
#include <string>

namespace telvora {

struct FaxPreviewRequest {
    std::string imageFile;  // the fax image the fax printer wrote (TIFF Class F), as it will be sent
    std::string recipient;  // who it goes to, as the user knows them
    std::string number;     // the number dialled
    // How many faxes Send sends: a merge shows its first record's fax and sends every record's.
    std::int32_t faxes = 1;
};

enum class PreviewAnswer { Send, Cancel };

class FaxPreview {
public:
    FaxPreview() = default;
    virtual ~FaxPreview() = default;
    FaxPreview(const FaxPreview&) = delete;
    FaxPreview& operator=(const FaxPreview&) = delete;

    // Shows the pages and waits for the user; closing the window is Cancel. Raises a run-time
    // error when the image cannot be shown, and then nothing is sent.
    virtual PreviewAnswer showFaxPreview(const FaxPreviewRequest& request) = 0;
};

}  // namespace telvora
