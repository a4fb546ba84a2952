// Late binding through IDispatch.
#include "win32/automation.h"

#include <memory>
#include <vector>

#include "base/errors.h"
#include "win32/com_errors.h"
#include "win32/com_variant.h"
#include "win32/event_sink.h"
#include "win32/text.h"

namespace telvora::win32 {

DispatchObject::DispatchObject(ComPtr<IDispatch> dispatch, std::string source)
    : dispatch_(std::move(dispatch)), source_(std::move(source)) {}

std::shared_ptr<AutomationEvents> DispatchObject::events(const std::string& eventInterface) {
    IID events{};
    std::wstring text = widen(eventInterface);
    if (FAILED(::IIDFromString(text.data(), &events))) throw errorFromHresult(E_NOINTERFACE, source_);
    return std::make_shared<ConnectionPointEvents>(dispatch_.copy(), events, source_);
}

namespace {

constexpr WORD kCallOrRead = DISPATCH_METHOD | DISPATCH_PROPERTYGET;

std::vector<std::string> namesOf(const NamedArgs& named) {
    std::vector<std::string> names;
    for (const auto& n : named) names.push_back(n.name);
    return names;
}

}  // namespace

Variant DispatchObject::get(const std::string& member, const Args& args) { return call(member, args, {}); }

void DispatchObject::put(const std::string& member, const Variant& value) {
    // An object is assigned by reference (a macro's Set); a server that knows no such assignment
    // gets the plain one.
    if (value.is<Variant::Object>()) {
        try {
            invokeByName(member, DISPATCH_PROPERTYPUTREF, {value}, {}, nullptr);
            return;
        } catch (const RuntimeError& e) {
            if (e.number() != err::MemberNotFound) throw;
        }
    }
    invokeByName(member, DISPATCH_PROPERTYPUT, {value}, {}, nullptr);
}

Variant DispatchObject::call(const std::string& member, const Args& args, const NamedArgs& named) {
    const auto ids = identify(member, namesOf(named));
    std::vector<NamedValue> values;
    for (std::size_t i = 0; i < named.size(); ++i) values.push_back({ids[i + 1], named[i].value});
    return answerOf(ids.front(), args, values);
}

void DispatchObject::perform(const std::string& member, const Args& args, const NamedArgs& named) {
    UniqueVariant ignored;
    invokeByName(member, kCallOrRead, args, named, ignored.get());
}

std::vector<MemberId> DispatchObject::identify(const std::string& member,
                                               const std::vector<std::string>& argumentNames) {
    if (!dispatch_) throw RuntimeError::objectNotSet(source_);
    // One lookup for the member and every named argument, as a macro's late-bound call does.
    std::vector<std::wstring> names;
    names.push_back(widen(member));
    for (const auto& n : argumentNames) names.push_back(widen(n));
    std::vector<LPOLESTR> namePointers;
    for (auto& n : names) namePointers.push_back(n.data());
    std::vector<DISPID> ids(names.size(), DISPID_UNKNOWN);
    const HRESULT hr = dispatch_->GetIDsOfNames(IID_NULL, namePointers.data(), static_cast<UINT>(namePointers.size()),
                                                LOCALE_USER_DEFAULT, ids.data());
    if (FAILED(hr)) {
        if (hr == DISP_E_UNKNOWNNAME && ids[0] != DISPID_UNKNOWN)
            throw RuntimeError::standard(err::NamedArgumentNotFound, source_);
        ExcepInfo none;
        throw errorFromInvoke(hr, none, source_);
    }
    return {ids.begin(), ids.end()};
}

Variant DispatchObject::invoke(MemberId member, const Args& args, const std::vector<NamedValue>& named) {
    return answerOf(member, args, named);
}

void DispatchObject::perform(MemberId member, const Args& args, const std::vector<NamedValue>& named) {
    UniqueVariant ignored;
    invokeById(member, kCallOrRead, args, named, ignored.get());
}

void DispatchObject::assign(MemberId member, const Variant& value) {
    invokeById(member, DISPATCH_PROPERTYPUT, {value}, {}, nullptr);
}

Variant DispatchObject::answerOf(DISPID id, const Args& args, const std::vector<NamedValue>& named) {
    UniqueVariant result;
    invokeById(id, kCallOrRead, args, named, result.get());
    return fromVariant(*result.get(), source_);
}

void DispatchObject::invokeByName(const std::string& member, WORD flags, const Args& args, const NamedArgs& named,
                                  VARIANT* result) {
    const auto ids = identify(member, namesOf(named));
    std::vector<NamedValue> values;
    for (std::size_t i = 0; i < named.size(); ++i) values.push_back({ids[i + 1], named[i].value});
    invokeById(ids.front(), flags, args, values, result);
}

void DispatchObject::invokeById(DISPID id, WORD flags, const Args& args, const std::vector<NamedValue>& named,
                                VARIANT* result) {
    if (!dispatch_) throw RuntimeError::objectNotSet(source_);
    const bool isPut = (flags & (DISPATCH_PROPERTYPUT | DISPATCH_PROPERTYPUTREF)) != 0;

    // Named arguments come first in rgvarg, paired with their DISPIDs; positional ones follow in
    // reverse order (the last argument first).
    const std::size_t total = named.size() + args.size();
    VariantArray argv(total);
    std::vector<DISPID> namedIds;
    for (std::size_t i = 0; i < named.size(); ++i) {
        toVariant(named[i].value).releaseTo(&argv[i]);
        namedIds.push_back(named[i].id);
    }
    for (std::size_t j = 0; j < args.size(); ++j) toVariant(args[j]).releaseTo(&argv[total - 1 - j]);
    DISPID putId = DISPID_PROPERTYPUT;
    DISPPARAMS params{};
    params.rgvarg = argv.data();
    params.cArgs = static_cast<UINT>(total);
    if (isPut) {
        params.rgdispidNamedArgs = &putId;
        params.cNamedArgs = 1;
    } else {
        params.rgdispidNamedArgs = namedIds.empty() ? nullptr : namedIds.data();
        params.cNamedArgs = static_cast<UINT>(namedIds.size());
    }

    ExcepInfo info;
    UINT argError = 0;
    const HRESULT hr =
        dispatch_->Invoke(id, IID_NULL, LOCALE_USER_DEFAULT, flags, &params, isPut ? nullptr : result, info.get(), &argError);
    if (FAILED(hr)) throw errorFromInvoke(hr, info, source_);
}

std::shared_ptr<AutomationObject> Win32Automation::create(const std::string& progId) {
    CLSID clsid{};
    ComPtr<IDispatch> dispatch;
    if (FAILED(::CLSIDFromProgID(widen(progId).c_str(), &clsid)) ||
        FAILED(::CoCreateInstance(clsid, nullptr, CLSCTX_SERVER, IID_IDispatch, dispatch.putVoid())) || !dispatch)
        throw RuntimeError::standard(err::CannotCreateObject, progId);
    return std::make_shared<DispatchObject>(std::move(dispatch), progId);
}

std::shared_ptr<AutomationObject> Win32Automation::running(const std::string& progId) {
    CLSID clsid{};
    ComPtr<IUnknown> unknown;
    if (FAILED(::CLSIDFromProgID(widen(progId).c_str(), &clsid)) ||
        FAILED(::GetActiveObject(clsid, nullptr, unknown.put())) || !unknown)
        throw RuntimeError::standard(err::CannotCreateObject, progId);
    auto dispatch = unknown.try_query<IDispatch>();
    if (!dispatch) throw RuntimeError::standard(err::CannotCreateObject, progId);
    return std::make_shared<DispatchObject>(std::move(dispatch), progId);
}

}  // namespace telvora::win32
