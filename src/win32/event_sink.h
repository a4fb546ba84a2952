// Events of an automation object received through its connection point: the binding's side of the
// automation port's event subscription, a sink object the source calls with each event.
#pragma once

#include <windows.h>
#include <ocidl.h>

#include <string>

#include "ports/automation.h"
#include "win32/handles.h"

namespace telvora::win32 {

class EventSink;

// The events of `source` on its event interface `events`, delivered while a subscription runs. The
// subscription ends when this goes, so the source never calls into an add-in that let go of it.
class ConnectionPointEvents final : public AutomationEvents {
public:
    // `sourceName` names the object in errors of a refused subscription.
    ConnectionPointEvents(ComPtr<IDispatch> source, const IID& events, std::string sourceName);
    ~ConnectionPointEvents() override;

    // Finds the source's connection point for the event interface and advises a sink on it; a
    // running subscription keeps its connection and only changes its handler.
    void subscribe(Handler handler) override;
    void unsubscribe() noexcept override;

private:
    ComPtr<IDispatch> source_;
    IID events_;
    std::string sourceName_;
    ComPtr<IConnectionPoint> point_;
    ComPtr<EventSink> sink_;
    DWORD cookie_ = 0;
};

}  // namespace telvora::win32
