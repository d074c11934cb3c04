// The event list after reading the panel's event memory.
#include <string>

#include <gtest/gtest.h>

#include "core/appcore.h"
#include "screens.h"

namespace {
class EventScreenTest : public ScreenTest {
protected:
    // Connects, reads the events node of the sample's component and photographs it.
    void ReadAndShoot(const std::string& component, const std::string& name) {
        ASSERT_TRUE(OpenSample());
        ASSERT_TRUE(ConnectTcp());
        ASSERT_TRUE(Select({"Chalet Pérez", component, "Eventos"}));
        ASSERT_TRUE(Run(ID_MENU_RECEIVE));
        Shot(name);
    }
};
}  // namespace

// The central: the three events the installation kept, then the new records of the sample day,
// with zone, area and user names; the alarms painted.
TEST_F(EventScreenTest, EventListAfterARead) { ReadAndShoot("Central VX16 (16 zonas)", "events-after-read"); }

// The keypad's extended records: numbers only, account and receiver columns, the account filter.
TEST_F(EventScreenTest, ExtendedEventListAfterARead) {
    ReadAndShoot("Teclado TK40 con lector de proximidad", "events-extended-after-read");
}
