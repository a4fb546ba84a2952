// The COM core every object of the server stands on: reference counting and the module's count
// (which decides when Word may unload the DLL), the class factory, the barrier that keeps C++
// exceptions from crossing into Word, and run-time errors and HRESULTs mapped both ways.
#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>

#include "support.h"
#include "win32/class_ids.h"
#include "win32/com_errors.h"
#include "win32/com_object.h"
#include "win32/handles.h"
#include "win32/module.h"
#include "win32/server.h"

namespace telvora::win32 {
namespace {

ComPtr<IClassFactory> factoryOf(const CLSID& clsid) {
    ComPtr<IClassFactory> factory;
    EXPECT_EQ(S_OK, getClassObject(clsid, IID_IClassFactory, factory.putVoid()));
    return factory;
}

class ComCore : public ::testing::Test {
protected:
    test::Apartment apartment;
};

TEST_F(ComCore, TheDllStaysLoadedWhileAnObjectFactoryOrLockLives) {
    // Nothing left from earlier tests: a leaked reference would keep Word from unloading the DLL.
    ASSERT_TRUE(module::canUnload());
    {
        auto factory = factoryOf(kClsidFax);
        EXPECT_FALSE(module::canUnload());
        ComPtr<IDispatch> fax;
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, fax.putVoid()));
        factory.reset();
        EXPECT_FALSE(module::canUnload());
        // A second reference through another interface of the same object.
        auto unknown = fax.try_query<IUnknown>();
        fax.reset();
        EXPECT_FALSE(module::canUnload());
        unknown.reset();
        EXPECT_TRUE(module::canUnload());
    }
    EXPECT_EQ(S_OK, factoryOf(kClsidButtons)->LockServer(TRUE));
    EXPECT_FALSE(module::canUnload());
    EXPECT_EQ(S_OK, factoryOf(kClsidButtons)->LockServer(FALSE));
    EXPECT_TRUE(module::canUnload());
}

TEST_F(ComCore, AnObjectAnswersItsInterfacesWithOneIdentity) {
    ComPtr<IDispatch> object;
    ASSERT_EQ(S_OK, factoryOf(kClsidWinFax)->CreateInstance(nullptr, IID_IDispatch, object.putVoid()));
    auto unknown1 = object.try_query<IUnknown>();
    auto unknown2 = object.try_query<IDispatch>().try_query<IUnknown>();
    ASSERT_TRUE(unknown1);
    EXPECT_EQ(unknown1.get(), unknown2.get());
    EXPECT_EQ(E_POINTER, object->QueryInterface(IID_IDispatch, nullptr));
}

TEST_F(ComCore, TheClassFactoryMakesEachClassOfTheTableAndRefusesWhatItCannot) {
    for (const CLSID* clsid : {&kClsidButtons, &kClsidPagewire, &kClsidFax, &kClsidFaxSBS, &kClsidWinFax}) {
        auto factory = factoryOf(*clsid);
        ASSERT_TRUE(factory);
        ComPtr<IDispatch> object;
        EXPECT_EQ(S_OK, factory->CreateInstance(nullptr, IID_IDispatch, object.putVoid()));
        EXPECT_TRUE(object);
        // No aggregation, and no interface the classes do not have.
        void* out = reinterpret_cast<void*>(1);
        EXPECT_EQ(CLASS_E_NOAGGREGATION, factory->CreateInstance(object.get(), IID_IUnknown, &out));
        EXPECT_EQ(nullptr, out);
        EXPECT_EQ(E_NOINTERFACE, factory->CreateInstance(nullptr, IID_IClassFactory, &out));
        EXPECT_EQ(nullptr, out);
    }
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(CLASS_E_CLASSNOTAVAILABLE, getClassObject(IID_IDispatch, IID_IClassFactory, &out));
    EXPECT_EQ(nullptr, out);
    EXPECT_EQ(E_POINTER, getClassObject(kClsidFax, IID_IClassFactory, nullptr));
}

// What the caller of a COM method receives for each kind of failure inside it.
TEST(Barrier, TurnsEveryExceptionIntoTheHresultOrExceptionInfoAMacroReads) {
    EXPECT_EQ(S_FALSE, barrier([] { return S_FALSE; }));
    EXPECT_EQ(S_OK, barrier([] {}));

    // Without exception information: the error's own HRESULT.
    EXPECT_EQ(E_OUTOFMEMORY, barrier([] { throw std::bad_alloc(); }));
    EXPECT_EQ(static_cast<HRESULT>(0x800A01BD), barrier([] { throw RuntimeError::standard(err::ActionNotSupported); }));
    const HRESULT unsupported = static_cast<HRESULT>(0x8007065E);
    EXPECT_EQ(unsupported, barrier([&] { throw errorFromHresult(unsupported); }));
    EXPECT_TRUE(FAILED(barrier([] { throw 42; })));

    // With it: number, source and description as the macro's Err object shows them.
    struct Case {
        std::function<void()> body;
        SCODE scode;
        const wchar_t* source;
        const wchar_t* description;
    };
    const Case cases[] = {
        {[] { throw RuntimeError(2103, "Invalid ReportName", "WinFax.SDKSend"); }, static_cast<SCODE>(0x800A0837),
         L"WinFax.SDKSend", L"Invalid ReportName"},
        {[] { throw std::bad_alloc(); }, static_cast<SCODE>(0x800A0007), L"Telvora", L"Out of memory"},
        {[] { throw std::runtime_error("bad index"); }, static_cast<SCODE>(0x800A0033), L"Telvora",
         L"Internal error: bad index"},
        {[] { throw 42; }, static_cast<SCODE>(0x800A0033), L"Telvora", L"Internal error"},
    };
    for (const auto& c : cases) {
        EXCEPINFO info{};
        EXPECT_EQ(DISP_E_EXCEPTION, barrier(c.body, &info));
        Bstr source(info.bstrSource), description(info.bstrDescription);
        EXPECT_EQ(c.scode, info.scode);
        EXPECT_EQ(c.source, bstrText(source.get()));
        EXPECT_EQ(c.description, bstrText(description.get()));
    }
}

TEST(ErrorMapping, ANumberSurvivesTheTripThroughAnHresultAndBack) {
    for (std::int32_t n : {5, 13, 94, 438, 445, 2103, 65535, -2147023266, -2147221500})
        EXPECT_EQ(n, errorNumberOf(hresultOfErrorNumber(n))) << n;
    // An error is never answered as success.
    EXPECT_TRUE(FAILED(hresultOfErrorNumber(0)));
    EXPECT_TRUE(FAILED(hresultOfErrorNumber(70000)));
}

HRESULT STDAPICALLTYPE fillInLater(EXCEPINFO* info) {
    info->scode = static_cast<SCODE>(0x80070483);
    info->bstrDescription = ::SysAllocString(L"No association");
    return S_OK;
}

// What servers leave out of their exception information still gives a complete run-time error.
TEST(ErrorMapping, AServersSparseExceptionInfoBecomesACompleteRuntimeError) {
    {
        // A server's own error code, no source and no text: the caller's object and a text still.
        ExcepInfo info;
        info.get()->wCode = 1001;
        const RuntimeError e = errorFromInvoke(DISP_E_EXCEPTION, info, "WinFax.SDKSend");
        EXPECT_EQ(1001, e.number());
        EXPECT_EQ("WinFax.SDKSend", e.source());
        EXPECT_FALSE(e.description().empty());
    }
    {
        // Details a server fills in only when asked.
        ExcepInfo info;
        info.get()->pfnDeferredFillIn = &fillInLater;
        const RuntimeError e = errorFromInvoke(DISP_E_EXCEPTION, info, "Fax");
        EXPECT_EQ(-2147023741, e.number());
        EXPECT_EQ("No association", e.description());
    }
    // Failures of late binding itself and plain ones are the automation binding's test's.
}

}  // namespace
}  // namespace telvora::win32
