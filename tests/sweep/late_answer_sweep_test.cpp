#include <cstdlib>
#include <set>

#include "fault_fixture.h"

namespace {

using namespace faultcases;

class LateAnswerSweep : public FaultFixture<SweepParam> {};

struct SweepKind {
    const char* name;
    int kind;
    int timeOut;
};
const SweepKind kSweepKinds[] = {{"Cable", ConexioLocal, 2000}, {"Pstn", ConexioModem, 2000}, {"Gsm", ConexioGsm, 5000},
                                 {"TcpIp", ConexioTcpIp, 4000}, {"Gprs", ConexioGprs, 4000}, {"Cra", ConexioCraLink, 4000}};

// Late answers over the whole window in which one may come, on every link kind: 100 ms to twice
// the kind's answer time-out and 2 s more after the request, one to three answers late, or the
// operation cancelled as the panel carries it out. The panel's bytes take 0, 20 or 40 ms on the
// line, so a late answer may cross the next request. Each operation is followed at once, on new
// panel values, by the same operation and a packed read. The window is walked in 500 ms steps,
// and in 40 ms steps where the drain of an unanswered exchange ends (twice the time-out);
// ORVANE_SWEEP_STEP_MS=20 walks all of it in 20 ms steps.
TEST_P(LateAnswerSweep, LateAnswersOverTheWholeWindowNeverTearValues) {
    const SweepKind& k = kSweepKinds[std::get<1>(GetParam())];
    const char* even = std::getenv("ORVANE_SWEEP_STEP_MS");
    const int step = even ? std::max(1, std::atoi(even)) : 500;
    int generation = 0;
    ASSERT_TRUE(ConnectForTest(k.kind));
    std::set<int> delays;
    for (int d = 100; d <= 2 * k.timeOut + 2000; d += step) delays.insert(d);
    for (int d = 2 * k.timeOut - 800; !even && d <= 2 * k.timeOut + 300; d += 40) delays.insert(d);
    std::vector<Operation> ops = Operations();
    ops.push_back({"status read", kStatus, [this](FaultFixture&) { return core->ReceiveStatus(false); }});
    for (const Operation& op : ops) {
        for (int late = 0; late <= 3; ++late) {  // 0: cancelled
            for (int delay : delays) {
                SCOPED_TRACE(std::string(k.name) + ", " + op.name + ", " + (late ? std::to_string(late) + " late " : "cancelled, ") +
                             std::to_string(delay) + " ms");
                FillPanel();
                ResetValues();
                sim.Faults().lateAnswers = std::max(late, 1);
                sim.Faults().lateAnswerMs = delay;
                service.transitMs = delay / 20 % 3 * 20;
                const int executed = sim.ExecutedCount();
                if (!late) ui.cancelIf = [&] { return sim.ExecutedCount() > executed; };
                const bool ok = op.run(*this);
                ui.cancelIf = nullptr;
                EXPECT_FALSE(core->IsBusy());
                ExpectOnlyPanelValues(ok ? op.reads : kNone);
                EXPECT_EQ(core->GetLastError().find("Diferencias"), std::string::npos) << core->GetLastError();
                // At once, new values: the same operation, then a packed read, take only them.
                sim.Faults() = Form();
                ++generation;
                FillUsers(static_cast<std::uint8_t>(0x30 + generation % 64));
                FillTable(static_cast<std::uint8_t>(generation));
                SetPanelStatus(static_cast<std::uint8_t>(generation), 0x41);
                ResetValues();
                EXPECT_TRUE(op.run(*this)) << core->GetLastError();
                ExpectOnlyPanelValues(op.reads);
                FillUsers(static_cast<std::uint8_t>(0x80 + generation % 64));
                EXPECT_TRUE(Operations()[1].run(*this)) << core->GetLastError();
                ExpectOnlyPanelValues(kUsers);
                // A fresh connection for the next case.
                core->GetProtocol().Disconnect();
                sim.Reconnect();
                service.Clear();
                ASSERT_TRUE(ConnectForTest(k.kind));
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(AnswerFormsAndKinds, LateAnswerSweep,
                         ::testing::Combine(::testing::ValuesIn(AnswerForms()), ::testing::Range(0, 6)),
                         [](const ::testing::TestParamInfo<SweepParam>& info) {
                             return std::string(std::get<0>(info.param).name) + kSweepKinds[std::get<1>(info.param)].name;
                         });

}  // namespace
