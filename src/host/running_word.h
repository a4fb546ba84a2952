// The Word a command works on when the add-in has no connection of its own: the COM add-in can be
// turned off in Word while its template, still loaded, calls the commands from its toolbar.
#pragma once

#include "app/addin.h"

namespace telvora {

// The identifier Word makes its running application known under.
inline constexpr const char* kWordProgId = "Word.Application";

// For the life of one command: when the add-in has no Word, the Word running on the machine stands
// in for it, and is let go again afterwards so it can quit when the user closes it. With no Word
// running the add-in stays without one, and the command reports that no document is open.
class RunningWordForCommand {
public:
    explicit RunningWordForCommand(Addin& addin) noexcept;
    ~RunningWordForCommand();
    RunningWordForCommand(const RunningWordForCommand&) = delete;
    RunningWordForCommand& operator=(const RunningWordForCommand&) = delete;

private:
    Addin& addin_;
    bool borrowed_ = false;
};

}  // namespace telvora
