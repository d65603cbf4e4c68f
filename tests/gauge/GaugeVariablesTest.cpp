#include "pages/gauge/expression/GaugeVariables.h"

#include "pages/gauge/expression/ExpressionEngine.h"
#include "tests/support/SimConnectStandin.h"
#include "tests/support/TraceCapture.h"

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <string>
#include <vector>

namespace {

constexpr DWORD kDefinition = 7;
const std::wstring kAddLabel = L"  GaugeVariables - SimConnect::AddToDataDefinition returned ";

class GaugeVariablesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(sim.IsLoaded());
        store.SetDataDefinitionId(kDefinition);
    }
    void TearDown() override { sim.Reset(); }

    CTraceCapture trace;
    CSimConnectStandin sim;
    CSimConnectLibrary simConnect; // a fresh binding on the stand-in
    GaugeVariables store{simConnect};
};

TEST_F(GaugeVariablesTest, SimulatorVariablesAreAddedOnceInTheOrderRead) {
    store.RegisterExpression(L"(A:Airspeed select indicated or true,knots) (G:Var1) "
                             L"(P:Local time,hours) 0 if{ (E:Time,seconds) } els{ "
                             L"(a:AIRSPEED SELECT INDICATED OR TRUE, KNOTS) (A:Altitude,feet) } "
                             L"(&gt;A:Assigned,feet)");

    struct Expected {
        const char* name;
        const char* units;
    };
    const Expected expected[] = {{"Airspeed select indicated or true", "knots"},
                                 {"Local time", "hours"},
                                 {"Time", "seconds"},
                                 {"Altitude", "feet"}};
    std::vector<standin::Datum> datums = sim.Datums();
    ASSERT_EQ(datums.size(), std::size(expected));
    for (DWORD i = 0; i < datums.size(); ++i) {
        EXPECT_EQ(datums[i].defineId, kDefinition);
        EXPECT_STREQ(datums[i].datumName, expected[i].name);
        EXPECT_STREQ(datums[i].unitsName, expected[i].units);
        EXPECT_EQ(datums[i].datumType, simconnect::DataTypeFloat32);
        EXPECT_EQ(std::bit_cast<std::uint32_t>(datums[i].epsilon), 0x3C23D70Au);
        EXPECT_EQ(datums[i].datumId, i);
    }
    EXPECT_EQ(store.Count(), 4);
    EXPECT_EQ(trace.Count(kAddLabel + L"00000000\n"), 4u);
    EXPECT_EQ(store.ReceivedValues().size(), 4u);
    EXPECT_EQ(store.CurrentValues().size(), 4u);
}

TEST_F(GaugeVariablesTest, AFailedAddStillTakesItsDatumId) {
    sim.FailDatum("Refused");
    store.RegisterExpression(L"(A:Refused,feet) (A:Accepted,feet)");

    std::vector<standin::Datum> datums = sim.Datums();
    ASSERT_EQ(datums.size(), 2u);
    EXPECT_EQ(datums[0].datumId, 0u);
    EXPECT_EQ(datums[1].datumId, 1u);
    EXPECT_EQ(store.Count(), 2);
    EXPECT_EQ(trace.Lines(),
              (std::vector<std::wstring>{kAddLabel + L"80004005\n", kAddLabel + L"00000000\n"}));

    // The refused variable keeps its slot and reads like any other.
    store.ReceivedValues()[0] = 12.5f;
    store.CopyReceivedToCurrent();
    EXPECT_EQ(Evaluate(store, L"(A:Refused,feet)"), 12.5f);
}

TEST_F(GaugeVariablesTest, WithoutTheLibraryEveryAddTracesNotImplemented) {
    CSimConnectLibrary missing(L"NoSuchSimConnect.dll");
    GaugeVariables unbound(missing);
    unbound.RegisterExpression(L"(A:Airspeed,knots) (E:Time,seconds)");
    EXPECT_EQ(unbound.Count(), 2);
    EXPECT_EQ(trace.Count(kAddLabel + L"80004001\n"), 2u);
    EXPECT_EQ(Evaluate(unbound, L"(A:Airspeed,knots)"), 0.0f);
    EXPECT_TRUE(sim.Datums().empty());
}

TEST_F(GaugeVariablesTest, ExpressionsReadAndAssignCurrentValues) {
    store.RegisterExpression(L"(A:Airspeed select indicated or true,knots) (A:Heading,degrees)");
    store.ReceivedValues()[0] = 120.0f;
    store.ReceivedValues()[1] = 270.0f;
    EXPECT_EQ(Evaluate(store, L"(A:Airspeed select indicated or true,knots)"), 0.0f);
    store.CopyReceivedToCurrent();
    EXPECT_EQ(Evaluate(store, L"(A:Airspeed select indicated or true,knots)"), 120.0f);
    EXPECT_EQ(Evaluate(store, L"(A:AIRSPEED SELECT INDICATED OR TRUE, Knots)"), 120.0f);
    EXPECT_EQ(Evaluate(store, L"(A:Heading,radians)"), 0.0f); // another key

    // An assignment writes the current value only; the next copy overwrites it.
    EXPECT_EQ(Evaluate(store, L"90 (&gt;A:Heading,degrees) (A:Heading,degrees)"), 90.0f);
    EXPECT_EQ(store.ReceivedValues()[1], 270.0f);
    store.CopyReceivedToCurrent();
    EXPECT_EQ(store.CurrentValues()[1], 270.0f);

    // Never registered: reads 0, assignments do nothing.
    EXPECT_EQ(Evaluate(store, L"5 (&gt;A:Flaps,percent) b (A:Flaps,percent)"), 0.0f);
    EXPECT_EQ(store.Count(), 2);
}

TEST_F(GaugeVariablesTest, RegisteringReplacesTheValueArraysWithZeros) {
    store.RegisterExpression(L"(A:First,feet)");
    store.CurrentValues()[0] = 3.0f;
    store.RegisterExpression(L"(A:First,feet) (A:Second,feet)");
    ASSERT_EQ(store.CurrentValues().size(), 2u);
    EXPECT_EQ(store.CurrentValues()[0], 0.0f);
    EXPECT_EQ(store.ReceivedValues()[1], 0.0f);
}

TEST_F(GaugeVariablesTest, AVariableAddedAfterRegistrationHasNoSlotUntilTheNext) {
    store.RegisterExpression(L"(A:First,feet)");
    store.AddVariable(L'A', L"Late", L"feet");
    EXPECT_EQ(store.Count(), 2);
    EXPECT_EQ(store.CurrentValues().size(), 1u);
    EXPECT_EQ(Evaluate(store, L"4 (&gt;A:Late,feet) b (A:Late,feet)"), 0.0f);
    store.RegisterExpression(L"");
    EXPECT_EQ(Evaluate(store, L"4 (&gt;A:Late,feet) b (A:Late,feet)"), 4.0f);
}

TEST_F(GaugeVariablesTest, LocalVariablesShareOneNameSpaceFoldingOnlyAToZ) {
    EXPECT_EQ(Evaluate(store, L"5 (&gt;G:Speed) b (G:SPEED) (L:speed) (K:sPeEd) + +"), 15.0f);
    EXPECT_EQ(Evaluate(store, L"2 (&gt;G:\u00C4) b (G:\u00E4)"), 0.0f);
    // The units of a local variable play no part.
    EXPECT_EQ(Evaluate(store, L"(G:Speed,knots)"), 5.0f);

    // Registration sets a local variable read by the expression back to 0.
    store.RegisterExpression(L"(G:Speed) 2 *");
    EXPECT_EQ(store.GetValue(L'G', L"Speed", L""), 0.0f);
    EXPECT_EQ(store.Count(), 0);
    EXPECT_TRUE(sim.Datums().empty());
}

} // namespace
