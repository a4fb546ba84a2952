// The sink a connection point calls, and the subscription that advises it.
#include "win32/event_sink.h"

#include <vector>

#include "base/errors.h"
#include "win32/com_errors.h"
#include "win32/dispatch_table.h"
#include "win32/com_object.h"
#include "win32/com_variant.h"

namespace telvora::win32 {

// Answers the event interface as IDispatch (an event interface is a dispatch interface): the
// source calls Invoke with each event's DISPID and its arguments.
class EventSink final : public ComObject<IDispatch> {
public:
    EventSink(const IID& events, AutomationEvents::Handler handler, std::string sourceName)
        : events_(events), handler_(std::move(handler)), sourceName_(std::move(sourceName)) {}

    void setHandler(AutomationEvents::Handler handler) { handler_ = std::move(handler); }
    // After this, events that still arrive (a source mid-call) are answered and dropped.
    void disconnect() noexcept { handler_ = nullptr; }

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override {
        if (object && riid == events_) {
            *object = static_cast<IDispatch*>(this);
            AddRef();
            return S_OK;
        }
        return ComObject::QueryInterface(riid, object);
    }
    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override { return noTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override { return noTypeInfo(info); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT count, LCID, DISPID* ids) noexcept override {
        for (UINT i = 0; ids && i < count; ++i) ids[i] = DISPID_UNKNOWN;
        return DISP_E_UNKNOWNNAME;
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD, DISPPARAMS* params, VARIANT* result, EXCEPINFO*,
                                     UINT*) noexcept override {
        if (result) ::VariantInit(result);
        // The handler may end the subscription, and with it the source's reference to this sink.
        const auto self = ComPtr<EventSink>::addRef(this);
        // An event the add-in cannot take is still answered: the source must not fail because of it.
        (void)barrier([&] {
            const auto handler = handler_;
            if (!handler) return;
            Args args;
            if (params) {
                // Events carry no named arguments; rgvarg holds the last argument first.
                for (UINT i = params->cArgs; i > 0; --i) args.push_back(fromVariant(params->rgvarg[i - 1], sourceName_));
            }
            handler(id, args);
        });
        return S_OK;
    }

private:
    IID events_;
    AutomationEvents::Handler handler_;
    std::string sourceName_;
};

ConnectionPointEvents::ConnectionPointEvents(ComPtr<IDispatch> source, const IID& events, std::string sourceName)
    : source_(std::move(source)), events_(events), sourceName_(std::move(sourceName)) {}

ConnectionPointEvents::~ConnectionPointEvents() { unsubscribe(); }

void ConnectionPointEvents::subscribe(Handler handler) {
    if (sink_) {
        sink_->setHandler(std::move(handler));
        return;
    }
    if (!source_) throw RuntimeError::objectNotSet(sourceName_);
    const auto container = source_.try_query<IConnectionPointContainer>();
    if (!container) throw RuntimeError::standard(err::MemberNotFound, sourceName_);
    ComPtr<IConnectionPoint> point;
    HRESULT hr = container->FindConnectionPoint(events_, point.put());
    if (FAILED(hr) || !point) throw errorFromHresult(FAILED(hr) ? hr : E_NOINTERFACE, sourceName_);
    auto sink = makeComObject<EventSink>(events_, std::move(handler), sourceName_);
    DWORD cookie = 0;
    hr = point->Advise(static_cast<IDispatch*>(sink.get()), &cookie);
    if (FAILED(hr)) throw errorFromHresult(hr, sourceName_);
    point_ = std::move(point);
    sink_ = std::move(sink);
    cookie_ = cookie;
}

void ConnectionPointEvents::unsubscribe() noexcept {
    if (!sink_) return;
    sink_->disconnect();
    if (point_) (void)point_->Unadvise(cookie_);
    point_.reset();
    sink_.reset();
    cookie_ = 0;
}

}  // namespace telvora::win32
