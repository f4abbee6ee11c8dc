#include "common/MemoryTable.h"
#include "protocol/BankPolicy.h"
#include "protocol/FunctionCodes.h"

#include <gtest/gtest.h>

namespace vantrel {
namespace {

class BankPolicyTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(params.defineFields({{"OrderCode"}, {"Param"}, {"ProRet"}}));
    }
    void row(std::string bank, std::string param, std::string value) {
        ASSERT_TRUE(params.appendRow({std::move(bank), std::move(param), std::move(value)}));
    }
    MemoryTable params;
};

TEST_F(BankPolicyTest, ASwitchIsOnWhenItsLastRowSaysZero) {
    row("005", "50005", "1");
    row(" 005 ", "50005", " 0 ");
    row("005", "ifrate", "0");
    row("005", "50017", "00");
    row("007", "50006", "0");
    const BankPolicy policy(params);
    struct Case {
        const char* param;
        const char* bank;
        bool fallback;
        bool on;
    };
    const Case cases[] = {
        {"50005", "005", false, true},   // the last of two rows, trimmed
        {"IFRATE", "005", false, true},  // the code ignores case
        {"50017", "005", true, false},   // only "0" is on
        {"50006", "005", true, false},   // no row: off whatever the default
        {"50006", "007", false, true},
    };
    for (const auto& c : cases)
        EXPECT_EQ(policy.SwitchOn(c.param, c.bank, c.fallback), c.on) << c.param << " at " << c.bank;
}

TEST_F(BankPolicyTest, WithoutRowsEverySwitchKeepsItsValue) {
    const BankPolicy fetched(params), none;
    for (const BankPolicy* policy : {&fetched, &none}) {
        EXPECT_TRUE(policy->SwitchOn(ParamCode::Deposit, "005", true));
        EXPECT_FALSE(policy->SwitchOn(ParamCode::Deposit, "005", false));
        BankOffer offer;
        policy->UpdateTransfer(offer, "005");
        policy->UpdateQueries(offer, "005");
        policy->UpdateForex(offer, "005");
        EXPECT_FALSE(offer.Deposit);
        EXPECT_TRUE(offer.Withdraw);
        EXPECT_FALSE(offer.MarketFunds);
    }
}

TEST_F(BankPolicyTest, EachPageUpdatesOnlyItsOwnSwitches) {
    for (const auto code : {ParamCode::Deposit, ParamCode::Withdraw, ParamCode::Commission,
                            ParamCode::SupervisedBalance, ParamCode::CardBalance, ParamCode::MarketFunds,
                            ParamCode::BuyForex, ParamCode::SettleForex})
        row("003", std::string(code), "0");
    const BankPolicy policy(params);
    BankOffer offer;
    policy.UpdateTransfer(offer, "003");
    EXPECT_TRUE(offer.Deposit && offer.Withdraw && offer.Commission);
    EXPECT_FALSE(offer.SupervisedBalance || offer.CardBalance || offer.MarketFunds || offer.BuyForex);
    policy.UpdateQueries(offer, "003");
    EXPECT_TRUE(offer.SupervisedBalance && offer.CardBalance && offer.MarketFunds);
    EXPECT_FALSE(offer.BuyForex || offer.SettleForex);
    policy.UpdateForex(offer, "003");
    EXPECT_TRUE(offer.BuyForex && offer.SettleForex);
    // Another bank without rows turns every switch off.
    policy.UpdateTransfer(offer, "005");
    EXPECT_FALSE(offer.Deposit || offer.Withdraw || offer.Commission);
}

TEST_F(BankPolicyTest, TheFirstPasswordListNamesTheOperationsThatNeedTheBankPassword) {
    row("007", "PASSWORD", "50006,90009");
    row("007", "PASSWORD", "50005");
    row("005", "PASSWORD", "");
    const BankPolicy policy(params);
    EXPECT_TRUE(policy.TransferNeedsBankPassword(false, "007"));
    EXPECT_FALSE(policy.TransferNeedsBankPassword(true, "007"));
    EXPECT_TRUE(policy.ForexNeedsBankPassword(false, "007"));
    EXPECT_FALSE(policy.ForexNeedsBankPassword(true, "007"));
    EXPECT_TRUE(policy.BankPasswordRequired("5000", "007"));  // matched as text
    EXPECT_FALSE(policy.BankPasswordRequired("", "007"));
    EXPECT_FALSE(policy.TransferNeedsBankPassword(false, "005"));
    EXPECT_FALSE(policy.TransferNeedsBankPassword(false, "003"));
}

TEST(BankDirections, TheCustomerChoosesOnlyWhenBothAreOn) {
    EXPECT_EQ(DirectionsOf(true, true), OnlyDirection::Both);
    EXPECT_EQ(DirectionsOf(true, false), OnlyDirection::First);
    EXPECT_EQ(DirectionsOf(false, true), OnlyDirection::Second);
    EXPECT_EQ(DirectionsOf(false, false), OnlyDirection::Neither);
}

}  // namespace
}  // namespace vantrel
