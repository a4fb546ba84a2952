// Pagewire as Word finds it: the Office add-in connection interface, also reachable by name, whose
// moments the add-in has no work for succeed without touching anything.
#include <gtest/gtest.h>

#include "support.h"
#include "win32/class_ids.h"
#include "win32/handles.h"
#include "win32/office_interfaces.h"
#include "win32/server.h"

namespace telvora::win32 {
namespace {

class PagewireTest : public ::testing::Test {
protected:
    void SetUp() override {
        ComPtr<IClassFactory> factory;
        ASSERT_EQ(S_OK, getClassObject(kClsidPagewire, IID_IClassFactory, factory.putVoid()));
        ASSERT_EQ(S_OK, factory->CreateInstance(nullptr, __uuidof(IDTExtensibility2), connection.putVoid()));
    }

    test::Apartment apartment;
    ComPtr<IDTExtensibility2> connection;
};

TEST_F(PagewireTest, TheConnectionInterfaceIsDualWithOneIdentity) {
    const auto dispatch = connection.try_query<IDispatch>();
    ASSERT_TRUE(dispatch);
    const auto viaConnection = connection.try_query<IUnknown>();
    const auto viaDispatch = dispatch.try_query<IUnknown>();
    EXPECT_EQ(viaConnection.get(), viaDispatch.get());
    EXPECT_TRUE(dispatch.try_query<IDTExtensibility2>());

    const wchar_t* const members[] = {L"OnConnection", L"OnDisconnection", L"OnAddInsUpdate", L"OnStartupComplete",
                                      L"OnBeginShutdown"};
    for (DISPID expected = 1; expected <= 5; ++expected)
        EXPECT_EQ(expected, test::idOf(dispatch.get(), members[expected - 1]));
}

TEST_F(PagewireTest, TheMomentsWithoutWorkSucceedAndAConnectionNeedsWord) {
    SAFEARRAY* custom = ::SafeArrayCreateVector(VT_VARIANT, 0, 0);
    EXPECT_EQ(S_OK, connection->OnAddInsUpdate(&custom));
    EXPECT_EQ(S_OK, connection->OnStartupComplete(&custom));
    EXPECT_EQ(S_OK, connection->OnBeginShutdown(&custom));
    EXPECT_EQ(E_INVALIDARG, connection->OnConnection(nullptr, ext_cm_Startup, nullptr, &custom));
    ::SafeArrayDestroy(custom);
}

}  // namespace
}  // namespace telvora::win32
