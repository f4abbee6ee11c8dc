#include "protocol/TlsSettings.h"

#include <gtest/gtest.h>

#include "common/Profile.h"

namespace vantrel {
namespace {

const std::string kPin = "0123456789abcdef0123456789abcdef0123456789abcdef0123456789abcdef";

// The application folder and an absolute CA file as each system writes them;
// the names come back in the system's own form.
#ifdef _WIN32
const std::string kApp = "C:\\app\\";
const std::string kAppCa = "C:\\app\\certs\\ca.pem";
const std::string kAbsoluteCa = "D:\\market\\roots.pem";
#else
const std::string kApp = "/opt/app/";
const std::string kAppCa = "/opt/app/certs/ca.pem";
const std::string kAbsoluteCa = "/etc/market/roots.pem";
#endif

TEST(TlsSettings, PinIsSixtyFourHexDigitsWithColonsAndCaseIgnored) {
    struct Case {
        std::string text;
        bool ok;
    };
    const Case cases[] = {
        {kPin, true},
        {"01:23:45:67:89:AB:CD:EF:01:23:45:67:89:ab:cd:ef:01:23:45:67:89:ab:cd:ef:01:23:45:67:89:ab:cd:ef", true},
        {kPin.substr(2), false},             // 62 digits
        {kPin + "00", false},                // 66 digits
        {"zz" + kPin.substr(2), false},      // not hex
        {"sha256/" + kPin, false},           // other notations are not guessed at
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        const auto pin = NormalisePin(c.text);
        ASSERT_EQ(pin.ok(), c.ok) << pin.error();
        if (c.ok) {
            EXPECT_EQ(pin.value(), kPin);
        }
    }
}

TEST(TlsSettings, ServerSectionOverridesSystemKeyByKey) {
    const auto ini = Profile::Parse(
        "[system]\nTls=1\nTlsCaFile=certs/ca.pem\nTlsPin=" + kPin + "\n"
        "[MoneyServer1]\nTlsServerName=mw.example\n"
        "[MoneyServer2]\nTls=0\n"
        "[MoneyServer3]\nTlsCaFile=" + kAbsoluteCa + "\nTlsPin=\n");
    const auto system = ReadServerTls(ini, "", kApp);
    EXPECT_TRUE(system.Enabled);
    EXPECT_EQ(system.CaFile, kAppCa);  // relative to the application folder
    EXPECT_EQ(system.Pin, kPin);
    EXPECT_EQ(system.ServerName, "");

    const auto first = ReadServerTls(ini, "MoneyServer1", kApp);
    EXPECT_EQ(first.ServerName, "mw.example");
    EXPECT_EQ(first.Pin, kPin);
    EXPECT_FALSE(ReadServerTls(ini, "MoneyServer2", kApp).Enabled);
    const auto third = ReadServerTls(ini, "MoneyServer3", kApp);
    EXPECT_EQ(third.CaFile, kAbsoluteCa);
    EXPECT_EQ(third.Pin, "");  // an empty key clears the inherited pin
    EXPECT_TRUE(third.Problem.empty());

    // No key at all: today's plain connection.
    EXPECT_EQ(ReadServerTls(Profile::Parse("[system]\nHost=1.2.3.4\n"), "MoneyServer1", kApp), TlsSettings{});
}

TEST(TlsSettings, UnreadableSwitchOrPinFailsClosedWithTheReason) {
    const auto badSwitch = ReadServerTls(Profile::Parse("[system]\nTls=yes\n"), "", "/app/");
    EXPECT_TRUE(badSwitch.Enabled);
    EXPECT_NE(badSwitch.Problem.find("Tls=yes"), std::string::npos) << badSwitch.Problem;

    const auto badPin = ReadServerTls(Profile::Parse("[MoneyServer1]\nTls=1\nTlsPin=12:34\n"), "MoneyServer1", "/app/");
    EXPECT_TRUE(badPin.Enabled);
    EXPECT_NE(badPin.Problem.find("[MoneyServer1] TlsPin"), std::string::npos) << badPin.Problem;
}

}  // namespace
}  // namespace vantrel
