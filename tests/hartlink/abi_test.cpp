// The C interface as the program sees it: libhartlink.so loaded at run time
// and bound by name.

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <string>

#include "hartlink/hartlink.h"

namespace {

class AbiTest : public ::testing::Test {
  protected:
    void SetUp() override {
        handle = dlopen(HARTLINK_LIBRARY_PATH, RTLD_NOW | RTLD_LOCAL);
        ASSERT_NE(handle, nullptr) << dlerror();
        bind(configure, "BaTinHrtCPr_Configure");
        bind(open, "BaTinHrtCPr_Open");
        bind(close, "BaTinHrtCPr_Close");
        bind(connect, "BaTinHrtCPr_Connect");
        bind(sendRequest, "BaTinHrtCPr_SendRequest");
        bind(comPortStatus, "BaTinHrtCPr_GetComPortStatus");
        bind(connectionStatus, "BaTinHrtCPr_GetConnectionStatus");
        bind(setPortName, "BaTinHrtCPr_SetPortName");
        bind(lastErrorText, "BaTinHrtCPr_GetLastErrorText");
        for (const char* name :
             {"BaTinHrtCPr_Disconnect", "BaTinHrtCPr_GetDevInfo", "BaTinHrtCPr_ReadCurrPerc"}) {
            EXPECT_NE(dlsym(handle, name), nullptr) << name;
        }
        // The library lives on between tests of one run: start from scratch.
        close();
        setPortName(0, "");
        ASSERT_EQ(configure(0, 2, 5, 2, 1, 0, 0, 10, 0), HARTLINK_ERR_OK);
    }
    void TearDown() override {
        if (close) close();
        if (handle) dlclose(handle);
    }
    template <typename F>
    void bind(F& f, const char* name) {
        f = reinterpret_cast<F>(dlsym(handle, name));
        ASSERT_NE(f, nullptr) << name << " is not exported";
    }
    std::string error() { return lastErrorText(); }

    void* handle = nullptr;
    BaTinHrtCPr_Configure_t configure = nullptr;
    BaTinHrtCPr_Open_t open = nullptr;
    BaTinHrtCPr_Close_t close = nullptr;
    BaTinHrtCPr_Connect_t connect = nullptr;
    BaTinHrtCPr_SendRequest_t sendRequest = nullptr;
    BaTinHrtCPr_GetComPortStatus_t comPortStatus = nullptr;
    BaTinHrtCPr_GetConnectionStatus_t connectionStatus = nullptr;
    BaTinHrtCPr_SetPortName_t setPortName = nullptr;
    BaTinHrtCPr_GetLastErrorText_t lastErrorText = nullptr;
};

TEST_F(AbiTest, ArgumentsAndStateAreCheckedAndFailuresWriteNothing) {
    // Only the C entry points are exported, none of the C++ inside.
    EXPECT_EQ(dlsym(handle, "_ZN8hartlink10resultTextENS_6ResultE"), nullptr);

    std::uint8_t length = 7, response[4] = {9, 9, 9, 9}, s1 = 5, s2 = 6;
    EXPECT_EQ(configure(64, 2, 5, 2, 1, 0, 0, 10, 0), HARTLINK_ERR_INVALID_ARGUMENT);
    EXPECT_NE(error().find("polling address 64"), std::string::npos);
    EXPECT_EQ(setPortName(0, nullptr), HARTLINK_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(sendRequest(1, 2, nullptr, &length, response, &s1, &s2),
              HARTLINK_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(sendRequest(1, 0, nullptr, &length, response, nullptr, &s2),
              HARTLINK_ERR_INVALID_ARGUMENT);
    EXPECT_EQ(connect(nullptr), HARTLINK_ERR_INVALID_HANDLE);
    EXPECT_EQ(sendRequest(1, 0, nullptr, &length, response, &s1, &s2), HARTLINK_ERR_INVALID_HANDLE);
    EXPECT_EQ(length, 7);
    EXPECT_EQ(response[0], 9);
    EXPECT_EQ(s1, 5);
    EXPECT_EQ(s2, 6);
    EXPECT_EQ(open(0), HARTLINK_ERR_RESOURCE);  // port 0 was never named
    EXPECT_EQ(comPortStatus(), HARTLINK_ERR_INVALID_HANDLE);
}

#ifdef ZH_HARTLINK_WITH_SIM

TEST_F(AbiTest, SessionWithTheSimulator) {
    ASSERT_EQ(setPortName(0, "Sim:"),
              HARTLINK_ERR_OK);  // no options, whatever the environment says
    ASSERT_EQ(open(0), HARTLINK_ERR_OK) << error();
    std::uint8_t arg = 0;
    ASSERT_EQ(connect(&arg), HARTLINK_ERR_OK) << error();
    EXPECT_EQ(connectionStatus(), HARTLINK_ERR_OK);

    // Command 0 with 12 bytes expected: the identity, expansion code 254 first.
    std::uint8_t response[1024] = {};
    std::uint8_t length = 12, s1 = 0xEE, s2 = 0xEE;
    ASSERT_EQ(sendRequest(0, 0, nullptr, &length, response, &s1, &s2), HARTLINK_ERR_OK) << error();
    EXPECT_GE(length, 12);
    EXPECT_EQ(response[0], 254);
    EXPECT_EQ(s1, 0);
    // The same identity, kept from Connect without a frame of its own.
    BaTinHrtCPr_GetIdentity_t getIdentity = nullptr;
    bind(getIdentity, "BaTinHrtCPr_GetIdentity");
    std::uint8_t identity[255] = {}, room = sizeof identity;
    ASSERT_EQ(getIdentity(&room, identity), HARTLINK_ERR_OK);
    EXPECT_EQ(std::string(identity, identity + room), std::string(response, response + length));
    EXPECT_EQ(getIdentity(nullptr, identity), HARTLINK_ERR_INVALID_ARGUMENT);

    // Expecting fewer bytes than come: only those are copied, and the length
    // byte tells the truth for the caller to judge.
    std::uint8_t small[3] = {};
    std::uint8_t expected = 2;
    ASSERT_EQ(sendRequest(0, 0, nullptr, &expected, small, &s1, &s2), HARTLINK_ERR_OK);
    EXPECT_EQ(expected, length);
    EXPECT_EQ(small[2], 0);

    // A device that stays silent: no response after the retries.
    ASSERT_EQ(setPortName(3, "Sim:fault=noanswer*20"), HARTLINK_ERR_OK);
    ASSERT_EQ(open(3), HARTLINK_ERR_OK) << error();
    EXPECT_EQ(connect(nullptr), HARTLINK_ERR_NO_RESPONSE);
    EXPECT_NE(error().find("try 3"), std::string::npos) << error();
    room = sizeof identity;
    EXPECT_EQ(getIdentity(&room, identity), HARTLINK_ERR_INVALID_HANDLE);

    ASSERT_EQ(setPortName(0, "Sim:colour=blue"), HARTLINK_ERR_OK);
    EXPECT_EQ(open(0), HARTLINK_ERR_RESOURCE);
    EXPECT_NE(error().find("colour"), std::string::npos) << error();
}

// While an exchange waits on the line the library calls back, every few ms;
// a call into the library from there is refused and the exchange goes on.
TEST_F(AbiTest, WaitCallbackRunsDuringTheExchangeAndCannotStartAnother) {
    BaTinHrtCPr_SetWaitCallback_t setWaitCallback = nullptr;
    bind(setWaitCallback, "BaTinHrtCPr_SetWaitCallback");
    struct Seen {
        BaTinHrtCPr_SendRequest_t sendRequest;
        int calls = 0;
        int refused = 0;
    } seen{sendRequest};
    const auto callback = [](void* context) {
        auto* s = static_cast<Seen*>(context);
        ++s->calls;
        std::uint8_t length = 0, response[255] = {}, s1 = 0, s2 = 0;
        if (s->sendRequest(0, 0, nullptr, &length, response, &s1, &s2) ==
            HARTLINK_ERR_INVALID_HANDLE)
            ++s->refused;
    };
    EXPECT_EQ(setWaitCallback(callback, &seen, 0), HARTLINK_ERR_INVALID_ARGUMENT);
    ASSERT_EQ(setWaitCallback(callback, &seen, 10), HARTLINK_ERR_OK);
    ASSERT_EQ(setPortName(0, "Sim:realtime"), HARTLINK_ERR_OK);  // a wire that takes its time
    ASSERT_EQ(open(0), HARTLINK_ERR_OK) << error();
    ASSERT_EQ(connect(nullptr), HARTLINK_ERR_OK) << error();
    // Command 0 takes about 40 characters on the wire, 370 ms.
    EXPECT_GE(seen.calls, 20);
    EXPECT_EQ(seen.refused, seen.calls);

    ASSERT_EQ(setWaitCallback(nullptr, nullptr, 0), HARTLINK_ERR_OK);
    const int before = seen.calls;
    ASSERT_EQ(connect(nullptr), HARTLINK_ERR_OK) << error();
    EXPECT_EQ(seen.calls, before);
}

#endif

}  // namespace
