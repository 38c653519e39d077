#include "StationFixture.h"

namespace corvane::station::testing {
namespace {

using Queue = std::vector<std::string>;

TEST_F(StationTest, QueuesKeepOrderAndDequeueTheLastOccurrence) {
    EXPECT_EQ(TakeoffQueueHead(tables), "");
    EnqueueTakeoff(tables, "A");
    EnqueueTakeoff(tables, "B");
    EnqueueTakeoff(tables, "A");  // no check for an entry already present
    EXPECT_EQ(tables.TakeoffQueue, (Queue{"A", "B", "A"}));
    DequeueTakeoff(tables, "A");
    EXPECT_EQ(tables.TakeoffQueue, (Queue{"A", "B"}));
    DequeueTakeoff(tables, "C");  // not queued: nothing changes
    EXPECT_EQ(tables.TakeoffQueue, (Queue{"A", "B"}));
    DequeueTakeoff(tables, "A");
    EXPECT_EQ(TakeoffQueueHead(tables), "B");

    EnqueueLanding(tables, "X");
    EnqueueLanding(tables, "Y");
    DequeueLanding(tables, "X");
    EXPECT_EQ(LandingQueueHead(tables), "Y");
    EXPECT_EQ(tables.TakeoffQueue, (Queue{"B"}));  // the queues are separate
}

TEST_F(StationTest, ClosePilotServicesResetsTheAtcStateOnly) {
    TrafficRecord& p = AddPilot("N123", 7, 90, 3, 1500);
    p.aircraftType = "Cessna 172";
    p.atcActive = 1;
    p.frequency = "120.6";
    p.pendingMenu = "menu";
    p.choice = 2;
    p.text1 = p.text2 = p.text3 = "t";
    p.vectorTarget = {"Final Approach", "Waypoint", 47.0, -122.0, 1200};
    p.flightType = 1;
    p.compassWord = "south";
    p.status = "Landing";
    EnqueueTakeoff(tables, "N123");
    EnqueueTakeoff(tables, "OTHER");
    EnqueueTakeoff(tables, "N123");
    EnqueueLanding(tables, "N123");
    tables.TaxiReservations.push_back({"N123", 0, {}, "13R", "Runway", 0, 0});
    tables.TaxiReservations.push_back({"OTHER", 1, {}, "13R", "Runway", 0, 0});

    const TrafficRecord before = p;
    ClosePilotServices(tables, p);
    TrafficRecord expected = BlankTrafficRecord();
    expected.callsign = "N123";
    expected.playerId = 7;
    expected.latitude = before.latitude;
    expected.longitude = before.longitude;
    expected.altitudeFt = 1500;
    expected.present = kTrue;
    expected.aircraftType = "Cessna 172";
    EXPECT_EQ(p, expected);
    EXPECT_EQ(tables.TakeoffQueue, (Queue{"OTHER"}));
    EXPECT_TRUE(tables.LandingQueue.empty());
    ASSERT_EQ(tables.TaxiReservations.size(), 1u);
    EXPECT_EQ(tables.TaxiReservations[0].callsign, "OTHER");
}

TEST_F(StationTest, PurgeRemovesOnlyAbsentRecordsInOrder) {
    AddPilot("A", 1).present = kFalse;
    AddPilot("B", 2);
    AddPilot("C", 3);
    PurgeAbsentTraffic(tables);
    ASSERT_EQ(tables.TrafficCount(), 2);
    EXPECT_EQ(tables.Traffic[0].callsign, "B");
    EXPECT_EQ(tables.Traffic[1].callsign, "C");
}

TEST_F(StationTest, PurgeExaminesTheRecordThatMovedUpAndCleansQueues) {
    AddPilot("A", 1);
    AddPilot("B", 2).present = kFalse;
    AddPilot("C", 3).present = kFalse;  // moves into B's place and must go too
    AddPilot("D", 4);
    AddPilot("E", 5).present = kFalse;  // the last one
    EnqueueTakeoff(tables, "C");
    EnqueueTakeoff(tables, "D");
    EnqueueLanding(tables, "B");
    tables.TaxiReservations.push_back({"E", 4, {}, "GATE A 1", "Gate or parking", 0, 0});
    PurgeAbsentTraffic(tables);
    ASSERT_EQ(tables.TrafficCount(), 2);
    EXPECT_EQ(tables.Traffic[0].callsign, "A");
    EXPECT_EQ(tables.Traffic[1].callsign, "D");
    EXPECT_EQ(tables.TakeoffQueue, (Queue{"D"}));
    EXPECT_TRUE(tables.LandingQueue.empty());
    EXPECT_TRUE(tables.TaxiReservations.empty());
    EXPECT_EQ(FindTraffic(tables, "D"), 1);
    EXPECT_EQ(FindTraffic(tables, "E"), -1);
}

TEST_F(StationTest, ReleaseTaxiReservationsKeepsTheOthersInOrder) {
    tables.TaxiReservations.push_back({"A", 0, {}, "13R", "Runway", 0, 0});
    tables.TaxiReservations.push_back({"B", 1, {}, "13R", "Runway", 0, 0});
    tables.TaxiReservations.push_back({"C", 2, {}, "13R", "Runway", 0, 0});
    tables.TaxiReservations.push_back({"B", 1, {}, "GATE A 1", "Gate or parking", 0, 0});
    ReleaseTaxiReservations(tables, "B");
    ReleaseTaxiReservations(tables, "Z");
    ASSERT_EQ(tables.TaxiReservations.size(), 2u);
    EXPECT_EQ(tables.TaxiReservations[0].callsign, "A");
    EXPECT_EQ(tables.TaxiReservations[1].callsign, "C");
}

}  // namespace
}  // namespace corvane::station::testing
