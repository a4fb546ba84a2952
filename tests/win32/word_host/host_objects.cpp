// IDispatch over the served objects, and the application's connection point.
#include "word_host/host_objects.h"

#include <olectl.h>

#include <map>

#include "base/errors.h"
#include "win32/com_errors.h"
#include "win32/dispatch_table.h"
#include "win32/com_variant.h"
#include "win32/office_interfaces.h"
#include "win32/text.h"

namespace telvora::win32::host {
namespace {

// Asked of an object passed back to the host: is it one of the host's own, and which served
// object does it stand for. No other server answers it.
// {5C1D3B8E-6F0A-4E2B-9C47-2A91D0E5B7F3}
constexpr IID kIidHostObject = {0x5C1D3B8E, 0x6F0A, 0x4E2B, {0x9C, 0x47, 0x2A, 0x91, 0xD0, 0xE5, 0xB7, 0xF3}};

// IUnknown with every reference counted in the host's counters.
template <class Primary, class... Others>
class Counted : public Primary, public Others... {
public:
    explicit Counted(std::shared_ptr<HostCounters> counters) : counters_(std::move(counters)) {
        ++counters_->objects;
        ++counters_->references;
    }
    virtual ~Counted() { --counters_->objects; }
    Counted(const Counted&) = delete;
    Counted& operator=(const Counted&) = delete;

    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override {
        if (!object) return E_POINTER;
        *object = answer(riid);
        if (!*object) return E_NOINTERFACE;
        AddRef();
        return S_OK;
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override {
        ++counters_->references;
        return ++references_;
    }
    ULONG STDMETHODCALLTYPE Release() noexcept override {
        --counters_->references;
        const ULONG left = --references_;
        if (left == 0) delete this;
        return left;
    }

protected:
    virtual void* answer(REFIID riid) noexcept {
        if (riid == IID_IUnknown || riid == __uuidof(Primary)) return static_cast<Primary*>(this);
        return nullptr;
    }
    HostCounters& counters() const noexcept { return *counters_; }
    const std::shared_ptr<HostCounters>& sharedCounters() const noexcept { return counters_; }

private:
    std::shared_ptr<HostCounters> counters_;
    ULONG references_ = 1;
};

UniqueVariant toHostVariant(const Variant& value, const std::shared_ptr<HostCounters>& counters);
Variant fromHostVariant(const VARIANT& v);

// Adds the time of one served call to the host's share.
class ServingTime {
public:
    explicit ServingTime(HostCounters& counters) : counters_(counters) { ::QueryPerformanceCounter(&start_); }
    ~ServingTime() {
        LARGE_INTEGER end;
        ::QueryPerformanceCounter(&end);
        counters_.servingTicks += end.QuadPart - start_.QuadPart;
    }
    ServingTime(const ServingTime&) = delete;
    ServingTime& operator=(const ServingTime&) = delete;

private:
    HostCounters& counters_;
    LARGE_INTEGER start_;
};

// One served object as IDispatch: names looked up in the object's interface, calls by DISPID,
// Word's errors in EXCEPINFO.
class HostObject : public Counted<IDispatch> {
public:
    HostObject(std::shared_ptr<AutomationObject> served, std::shared_ptr<HostCounters> counters)
        : Counted(std::move(counters)), served_(std::move(served)), members_(dynamic_cast<IdentifiedMembers*>(served_.get())) {}

    const std::shared_ptr<AutomationObject>& served() const noexcept { return served_; }

    HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) noexcept override { return noTypeInfoCount(count); }
    HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) noexcept override { return noTypeInfo(info); }
    HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR* names, UINT count, LCID, DISPID* ids) noexcept override {
        ++counters().lookups;
        const ServingTime time(counters());
        if (!names || !ids || count == 0) return E_INVALIDARG;
        for (UINT i = 0; i < count; ++i) ids[i] = DISPID_UNKNOWN;
        return barrier([&]() -> HRESULT {
            std::vector<std::string> argumentNames;
            for (UINT i = 1; i < count; ++i) argumentNames.push_back(narrow(names[i]));
            try {
                const auto found = members_->identify(narrow(names[0]), argumentNames);
                for (UINT i = 0; i < count; ++i) ids[i] = found[i];
                return S_OK;
            } catch (const RuntimeError& e) {
                if (e.number() == err::MemberNotFound) return DISP_E_UNKNOWNNAME;
                if (e.number() != err::NamedArgumentNotFound) throw;
                ids[0] = members_->identify(narrow(names[0]), {}).front();
                return DISP_E_UNKNOWNNAME;
            }
        });
    }
    HRESULT STDMETHODCALLTYPE Invoke(DISPID id, REFIID, LCID, WORD flags, DISPPARAMS* params, VARIANT* result,
                                     EXCEPINFO* exception, UINT*) noexcept override {
        ++counters().invocations;
        const ServingTime time(counters());
        if (result) ::VariantInit(result);
        DISPPARAMS none{};
        const DISPPARAMS& p = params ? *params : none;
        return barrier(
            [&]() -> HRESULT {
                if (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) {
                    if (p.cArgs != 1) return DISP_E_BADPARAMCOUNT;
                    members_->assign(id, fromHostVariant(p.rgvarg[0]));
                    return S_OK;
                }
                // Named arguments come first in rgvarg; the positional ones follow, last one first.
                std::vector<NamedValue> named;
                for (UINT i = 0; i < p.cNamedArgs; ++i) named.push_back({p.rgdispidNamedArgs[i], fromHostVariant(p.rgvarg[i])});
                Args positional;
                for (UINT i = p.cArgs; i > p.cNamedArgs; --i) positional.push_back(fromHostVariant(p.rgvarg[i - 1]));
                const Variant answer = members_->invoke(id, positional, named);
                if (result) toHostVariant(answer, sharedCounters()).releaseTo(result);
                return S_OK;
            },
            exception);
    }

protected:
    void* answer(REFIID riid) noexcept override {
        if (riid == kIidHostObject) return static_cast<IDispatch*>(this);
        return Counted::answer(riid);
    }

private:
    std::shared_ptr<AutomationObject> served_;
    IdentifiedMembers* members_;
};

UniqueVariant toHostVariant(const Variant& value, const std::shared_ptr<HostCounters>& counters) {
    if (!value.is<Variant::Object>()) return toVariant(value);
    UniqueVariant out;
    const auto& object = value.get<Variant::Object>();
    V_VT(out.get()) = VT_DISPATCH;
    V_DISPATCH(out.get()) = object ? static_cast<IDispatch*>(new HostObject(object, counters)) : nullptr;
    return out;
}

Variant fromHostVariant(const VARIANT& v) {
    const VARTYPE type = V_VT(&v);
    if (type == (VT_BYREF | VT_VARIANT) && V_VARIANTREF(&v)) return fromHostVariant(*V_VARIANTREF(&v));
    IUnknown* unknown = nullptr;
    if (type == VT_DISPATCH || type == VT_UNKNOWN) unknown = V_UNKNOWN(&v);
    if (type == (VT_BYREF | VT_DISPATCH) || type == (VT_BYREF | VT_UNKNOWN)) unknown = V_BYREF(&v) ? *V_UNKNOWNREF(&v) : nullptr;
    if ((type & ~VT_BYREF) != VT_DISPATCH && (type & ~VT_BYREF) != VT_UNKNOWN) return fromVariant(v, "Microsoft Word");
    if (!unknown) return Variant(Variant::Object());
    // Objects come back to the host as its own (COM hands a proxy back as the object it stands for).
    ComPtr<IDispatch> own;
    if (FAILED(unknown->QueryInterface(kIidHostObject, own.putVoid())) || !own)
        throw RuntimeError::standard(err::TypeMismatch, "Microsoft Word");
    return Variant(static_cast<HostObject*>(own.get())->served());
}

}  // namespace

// The application, which is also the one connection point of its container: Word's application
// events.
class HostApplication final : public HostObject, public IConnectionPointContainer, public IConnectionPoint {
public:
    HostApplication(std::shared_ptr<AutomationObject> served, std::shared_ptr<AutomationEvents> events,
                    std::shared_ptr<HostCounters> counters);
    ~HostApplication() override { detach(); }

    // IUnknown is answered once, through the IDispatch side.
    HRESULT STDMETHODCALLTYPE QueryInterface(REFIID riid, void** object) noexcept override {
        return HostObject::QueryInterface(riid, object);
    }
    ULONG STDMETHODCALLTYPE AddRef() noexcept override { return HostObject::AddRef(); }
    ULONG STDMETHODCALLTYPE Release() noexcept override { return HostObject::Release(); }

    HRESULT STDMETHODCALLTYPE EnumConnectionPoints(IEnumConnectionPoints** points) noexcept override {
        if (points) *points = nullptr;
        return E_NOTIMPL;
    }
    HRESULT STDMETHODCALLTYPE FindConnectionPoint(REFIID riid, IConnectionPoint** point) noexcept override {
        if (!point) return E_POINTER;
        *point = riid == kDiidApplicationEvents2 ? static_cast<IConnectionPoint*>(this) : nullptr;
        if (!*point) return CONNECT_E_NOCONNECTION;
        AddRef();
        return S_OK;
    }

    HRESULT STDMETHODCALLTYPE GetConnectionInterface(IID* iid) noexcept override {
        if (!iid) return E_POINTER;
        *iid = kDiidApplicationEvents2;
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE GetConnectionPointContainer(IConnectionPointContainer** container) noexcept override {
        if (!container) return E_POINTER;
        *container = this;
        AddRef();
        return S_OK;
    }
    HRESULT STDMETHODCALLTYPE Advise(IUnknown* sink, DWORD* cookie) noexcept override;
    HRESULT STDMETHODCALLTYPE Unadvise(DWORD cookie) noexcept override;
    HRESULT STDMETHODCALLTYPE EnumConnections(IEnumConnections** connections) noexcept override {
        if (connections) *connections = nullptr;
        return E_NOTIMPL;
    }

    std::size_t sinks() const noexcept { return sinks_.size(); }
    void detach() noexcept {
        if (events_) events_->unsubscribe();
        events_.reset();
        sinks_.clear();
    }

protected:
    void* answer(REFIID riid) noexcept override {
        if (riid == IID_IConnectionPointContainer) return static_cast<IConnectionPointContainer*>(this);
        if (riid == IID_IConnectionPoint) return static_cast<IConnectionPoint*>(this);
        return HostObject::answer(riid);
    }

private:
    // Raises an event to every sink advised, as Word does: by DISPID, the arguments last first.
    void raise(MemberId event, const Args& args);

    std::shared_ptr<AutomationEvents> events_;
    std::map<DWORD, ComPtr<IDispatch>> sinks_;
    DWORD nextCookie_ = 1;
};

HostApplication::HostApplication(std::shared_ptr<AutomationObject> served, std::shared_ptr<AutomationEvents> events,
                                 std::shared_ptr<HostCounters> counters)
    : HostObject(std::move(served), std::move(counters)), events_(std::move(events)) {
    events_->subscribe([this](MemberId event, const Args& args) { raise(event, args); });
}

HRESULT HostApplication::Advise(IUnknown* sink, DWORD* cookie) noexcept {
    if (!sink || !cookie) return E_POINTER;
    *cookie = 0;
    // Word asks the sink for the event interface it sources; it is called as IDispatch.
    ComPtr<IDispatch> dispatch;
    if (FAILED(sink->QueryInterface(kDiidApplicationEvents2, dispatch.putVoid())) || !dispatch)
        return CONNECT_E_CANNOTCONNECT;
    ++counters().advises;
    *cookie = nextCookie_++;
    sinks_.emplace(*cookie, std::move(dispatch));
    return S_OK;
}

HRESULT HostApplication::Unadvise(DWORD cookie) noexcept {
    const auto it = sinks_.find(cookie);
    if (it == sinks_.end()) return CONNECT_E_NOCONNECTION;
    ++counters().unadvises;
    // The sink's reference goes after the entry: its release may call back into the host.
    auto sink = std::move(it->second);
    sinks_.erase(it);
    return S_OK;
}

void HostApplication::raise(MemberId event, const Args& args) {
    std::vector<ComPtr<IDispatch>> targets;
    for (const auto& [cookie, sink] : sinks_) targets.push_back(sink.copy());
    VariantArray argv(args.size());
    for (std::size_t i = 0; i < args.size(); ++i) toHostVariant(args[i], sharedCounters()).releaseTo(&argv[args.size() - 1 - i]);
    DISPPARAMS params{};
    params.rgvarg = argv.data();
    params.cArgs = static_cast<UINT>(args.size());
    for (const auto& sink : targets) {
        UniqueVariant result;
        (void)sink->Invoke(event, IID_NULL, LOCALE_USER_DEFAULT, DISPATCH_METHOD, &params, result.get(), nullptr, nullptr);
    }
}

ComPtr<IDispatch> makeHostApplication(std::shared_ptr<AutomationObject> application,
                                      std::shared_ptr<AutomationEvents> events, std::shared_ptr<HostCounters> counters) {
    return ComPtr<IDispatch>::attach(new HostApplication(std::move(application), std::move(events), std::move(counters)));
}

namespace {
HostApplication* hostApplication(IDispatch* application) noexcept {
    return static_cast<HostApplication*>(static_cast<HostObject*>(application));
}
}  // namespace

void detach(IDispatch* application) noexcept {
    if (application) hostApplication(application)->detach();
}

std::size_t sinkCount(IDispatch* application) noexcept {
    return application ? hostApplication(application)->sinks() : 0;
}

}  // namespace telvora::win32::host
