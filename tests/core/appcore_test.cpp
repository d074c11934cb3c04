#include "core_harness.h"

#include "datamodel/model.h"

TEST_F(CoreTest, SampleInstallationTalksToTheSimulatedPanel) {
    ASSERT_TRUE(LoadSample());
    ASSERT_TRUE(ConnectForTest());
    CProtocol& proto = core->GetProtocol();
    ASSERT_TRUE(proto.BuildReadClock(core->GetInstalacio().GetCentral().GetBusDir()));
    ASSERT_TRUE(proto.Send()) << proto.GetError();
    ASSERT_TRUE(proto.WaitAnswer(0xB1, 0xB0, 0xFF)) << proto.GetError();
    int length = 0;
    ASSERT_NE(proto.GetAnswer(length), nullptr);
    EXPECT_GE(length, 9);
    EXPECT_TRUE(ui.messages.empty());
}
