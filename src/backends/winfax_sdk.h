// WinFax's SDK send object, driven as its SDK documents it: each Set and Add call and Send answer
// a 16-bit status, 0 when WinFax took the request; the two polls answer non-zero once WinFax is
// ready. A request WinFax refuses is raised at once as WinFax's failure, so no caller waits for a
// fax WinFax never took.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "app/addin.h"

namespace telvora {

class WinFaxSdk {
public:
    // Creates the send object under `progId` (429 when WinFax is not installed).
    WinFaxSdk(Addin& addin, std::string progId);

    // One request; raises the status WinFax answered when it is not 0, with WinFax as the source
    // ("WinFax refused Send (status 1)."), and what the object raised.
    void request(const char* member, const Args& args = {});
    // The 16-bit number the SDK takes for its switches.
    static Variant flag(int value) { return Variant(static_cast<std::int16_t>(value)); }

    // Whether WinFax waits for the document to be printed (or took the attached file).
    bool readyToPrint();
    // Whether WinFax filed the job.
    bool entryFiled();
    // The same question with its answer let go: asked between two polls, it keeps WinFax working on
    // the job.
    void askFiledAgain();

private:
    std::shared_ptr<AutomationObject> sdk_;
    std::string progId_;
    Diagnostics& log_;
};

}  // namespace telvora
