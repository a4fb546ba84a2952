// The Word-like host's COM objects: the served word processor's objects over IDispatch, the
// application with the connection point of Word's application events, and counts of everything an
// add-in holds of them and calls on them.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <memory>
#include <vector>

#include "ports/automation.h"
#include "win32/handles.h"

namespace telvora::win32::host {

// What the add-ins did to the host's objects, counted as COM sees it.
struct HostCounters {
    long objects = 0;      // host objects alive
    long references = 0;   // references held on them, by anyone
    long lookups = 0;      // GetIDsOfNames calls
    long invocations = 0;  // Invoke calls
    long advises = 0;      // event subscriptions made
    long unadvises = 0;    // and ended
    // Time spent answering lookups and calls, in performance-counter ticks: the host's share of
    // whatever an add-in does, kept apart from the add-in's own.
    LONGLONG servingTicks = 0;
};

// The application object Word hands its add-ins: `application` is the served application,
// `events` its window activations, raised to every sink advised on the connection point of
// Word's application events.
ComPtr<IDispatch> makeHostApplication(std::shared_ptr<AutomationObject> application,
                                      std::shared_ptr<AutomationEvents> events, std::shared_ptr<HostCounters> counters);
// Of an application made so: ends its own subscription to the served events (before the served
// word goes), and counts the sinks advised on it now.
void detach(IDispatch* application) noexcept;
std::size_t sinkCount(IDispatch* application) noexcept;

}  // namespace telvora::win32::host
