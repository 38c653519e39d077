// The kinematic flight model: glide path, climb and turn rates, taxiing, take-off and touchdown.
#include <gtest/gtest.h>

#include <cmath>

#include "fsim/FlightModel.h"

namespace corvane::fsim {
namespace {

const LatLon kThreshold{47.53, -122.30};
constexpr double kCourse = 130.0;
constexpr double kField = 18.0;

AircraftState Airborne(LatLon at, double altitude, double heading, double speed) {
    AircraftState s;
    s.position = at;
    s.altitudeFt = altitude;
    s.trueHeading = heading;
    s.speedKt = speed;
    s.onGround = false;
    return s;
}

double Along(const FlightModel& m) {
    return OffsetFromTrack(kThreshold, kCourse, m.State().position).along;
}

// Steps in quarter seconds until `done` holds (at most `limit` seconds); the seconds it took.
template <typename Done>
double StepUntil(FlightModel& m, Done done, double limit = 3600.0) {
    double t = 0.0;
    while (!done() && t < limit) {
        m.Step(0.25);
        t += 0.25;
    }
    return t;
}

TEST(GlidePath, AThreeDegreeFinalLosesAbout318FeetPerMile) {
    // 4 NM out on the centre line, on the path to an aim point at the threshold.
    const LatLon start = Destination(kThreshold, kCourse + 180.0, 4.0);
    FlightModel m(LightPiston(), Airborne(start, kField + 4.0 * 318.44, kCourse, 70.0), kField);
    m.TrackLine(kThreshold, kCourse);
    m.FollowGlidePath(0.0);
    m.SetSpeed(70.0);
    StepUntil(m, [&] { return Along(m) >= -3.0; });
    const double at3 = m.State().altitudeFt;
    StepUntil(m, [&] { return Along(m) >= -2.0; });
    const double at2 = m.State().altitudeFt;
    StepUntil(m, [&] { return Along(m) >= -1.0; });
    const double at1 = m.State().altitudeFt;
    // tan(3 degrees) * 6076 ft = 318.4 ft a mile; a quarter-second step at 70 kt is 30 ft.
    EXPECT_NEAR(at3 - at2, 318.0, 3.0);
    EXPECT_NEAR(at2 - at1, 318.0, 3.0);
    EXPECT_NEAR(at1 - kField, 318.0, 3.0);
    // About 371 ft a minute at 70 kt.
    EXPECT_NEAR(m.State().verticalFpm, -371.0, 5.0);
}

TEST(GlidePath, AboveThePathItDescendsToItBelowItFliesLevel) {
    const LatLon start = Destination(kThreshold, kCourse + 180.0, 5.0);
    // 1000 ft above the path: down at 1500 ft a minute at most until on it.
    FlightModel high(LightPiston(), Airborne(start, kField + 5 * 318.44 + 1000, kCourse, 70.0),
                     kField);
    high.TrackLine(kThreshold, kCourse);
    high.FollowGlidePath(0.0);
    high.Step(10.0);
    EXPECT_NEAR(high.State().altitudeFt, kField + 5 * 318.44 + 1000 - 250.0, 1.0);
    StepUntil(high, [&] { return Along(high) >= -2.0; });
    EXPECT_NEAR(high.State().altitudeFt, kField + 2 * 318.44, 3.0);

    // 500 ft below: level until the path comes down to it (at 5 - 500 / 318 = 3.43 NM).
    FlightModel low(LightPiston(), Airborne(start, kField + 5 * 318.44 - 500, kCourse, 70.0),
                    kField);
    low.TrackLine(kThreshold, kCourse);
    low.FollowGlidePath(0.0);
    StepUntil(low, [&] { return Along(low) >= -3.6; });
    EXPECT_DOUBLE_EQ(low.State().altitudeFt, kField + 5 * 318.44 - 500);
    StepUntil(low, [&] { return Along(low) >= -3.0; });
    EXPECT_NEAR(low.State().altitudeFt, kField + 3 * 318.44, 3.0);
}

TEST(GlidePath, TheWheelsTouchAtTheAimPoint) {
    const LatLon start = Destination(kThreshold, kCourse + 180.0, 1.0);
    FlightModel m(LightPiston(),
                  Airborne(start, kField + 318.44 + 800.0 / 6076.12 * 318.44, kCourse, 70.0),
                  kField);
    m.TrackLine(kThreshold, kCourse);
    m.FollowGlidePath(800.0);
    StepUntil(m, [&] { return m.State().onGround; });
    EXPECT_TRUE(m.TakeTouchdown());
    EXPECT_FALSE(m.TakeTouchdown());  // told once
    EXPECT_NEAR(Along(m) * 6076.12, 800.0, 40.0);
    EXPECT_DOUBLE_EQ(m.State().altitudeFt, kField);
}

TEST(Climb, AtTheGivenRateThenLevel) {
    FlightModel m(LightPiston(), Airborne(kThreshold, 1018.0, kCourse, 80.0), kField);
    m.ChangeAltitude(2018.0, 700.0);
    m.Step(60.0);
    EXPECT_NEAR(m.State().altitudeFt, 1718.0, 0.01);
    EXPECT_NEAR(m.State().verticalFpm, 700.0, 0.01);
    m.Step(60.0);
    EXPECT_DOUBLE_EQ(m.State().altitudeFt, 2018.0);
    EXPECT_DOUBLE_EQ(m.State().verticalFpm, 0.0);
    m.ChangeAltitude(1518.0, 500.0);
    m.Step(30.0);
    EXPECT_NEAR(m.State().altitudeFt, 1768.0, 0.01);
}

TEST(Turns, TakeTheShortWayUnlessToldASide) {
    FlightModel shortWay(LightPiston(), Airborne(kThreshold, 2000, 350.0, 90.0), kField);
    shortWay.TurnTo(10.0, TurnDirection::Shortest);
    shortWay.Step(1.0);
    EXPECT_NEAR(shortWay.State().trueHeading, 353.0, 1e-9);  // right, through north
    shortWay.Step(6.0);
    EXPECT_NEAR(shortWay.State().trueHeading, 10.0, 1e-9);  // 20 degrees in 6.7 s, then held
    shortWay.Step(10.0);
    EXPECT_NEAR(shortWay.State().trueHeading, 10.0, 1e-9);

    FlightModel leftWay(LightPiston(), Airborne(kThreshold, 2000, 350.0, 90.0), kField);
    leftWay.TurnTo(10.0, TurnDirection::Left);
    leftWay.Step(1.0);
    EXPECT_NEAR(leftWay.State().trueHeading, 347.0, 1e-9);  // the long way, as told
    leftWay.Step(113.0);  // 340 degrees at 3 a second take 113.3 s
    EXPECT_NEAR(leftWay.State().trueHeading, 10.0, 1e-9);

    FlightModel back(LightPiston(), Airborne(kThreshold, 2000, 90.0, 90.0), kField);
    back.TurnTo(300.0, TurnDirection::Shortest);  // 150 degrees to the left
    back.Step(1.0);
    EXPECT_NEAR(back.State().trueHeading, 87.0, 1e-9);
}

TEST(Turns, FlyingDirectToAPointArrivesThere) {
    const LatLon target = Destination(kThreshold, 200.0, 3.0);
    FlightModel m(LightPiston(), Airborne(kThreshold, 2000, 20.0, 90.0), kField);
    m.FlyDirect(target);
    const double t = StepUntil(m, [&] { return m.Arrived(); });
    EXPECT_LT(t, 300.0);
    EXPECT_LT(DistanceNmExact(m.State().position, target), 0.5);
}

TEST(Tracking, InterceptsALineAndFollowsIt) {
    // 1 NM right of the final course, heading along it.
    const LatLon start =
        Destination(Destination(kThreshold, kCourse + 180.0, 8.0), kCourse + 90.0, 1.0);
    FlightModel m(LightPiston(), Airborne(start, 2000, kCourse, 90.0), kField);
    m.TrackLine(kThreshold, kCourse);
    m.Step(180.0);
    EXPECT_LT(std::fabs(m.OffsetFromLine().cross), 0.02);
    EXPECT_NEAR(m.State().trueHeading, kCourse, 1.0);
}

TEST(Ground, TaxiesAtTaxiSpeedThroughItsPointsAndStops) {
    AircraftState parked;
    parked.position = kThreshold;
    FlightModel m(LightPiston(), parked, kField);
    const LatLon a = Destination(kThreshold, 90.0, 500.0 / 6076.12);
    const LatLon b = Destination(a, 0.0, 500.0 / 6076.12);
    m.Taxi({a, b});
    // Taxi speed is reached at 3 kt a second; 1000 ft at 15 kt take about 40 s plus 2.5 s.
    const double t = StepUntil(m, [&] { return m.Arrived(); });
    EXPECT_NEAR(t, 1000.0 / (15.0 * 6076.12 / 3600.0) + 2.5, 1.0);
    EXPECT_LT(DistanceFeetExact(m.State().position, b), 1.0);
    EXPECT_DOUBLE_EQ(m.State().speedKt, 0.0);
    EXPECT_NEAR(m.State().trueHeading, 0.0, 0.5);  // last driven northward
    EXPECT_DOUBLE_EQ(m.State().altitudeFt, kField);
}

TEST(Ground, LiftsOffAtRotationSpeedOnly) {
    AircraftState lined;
    lined.position = kThreshold;
    lined.trueHeading = kCourse;
    FlightModel m(LightPiston(), lined, kField);
    m.TrackLine(kThreshold, kCourse);
    m.SetSpeed(75.0);
    m.ChangeAltitude(1018.0, 700.0);
    m.Step(18.0);  // 54 kt: not yet
    EXPECT_TRUE(m.State().onGround);
    EXPECT_DOUBLE_EQ(m.State().altitudeFt, kField);
    m.Step(1.0);
    EXPECT_FALSE(m.State().onGround);
    m.Step(60.0);
    EXPECT_GT(m.State().altitudeFt, kField + 600.0);
    EXPECT_LT(std::fabs(m.OffsetFromLine().cross), 0.01);  // straight down the runway
}

}  // namespace
}  // namespace corvane::fsim
