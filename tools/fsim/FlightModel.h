#pragma once
// A kinematic flight model: no forces, only rates. The aircraft turns at a fixed rate, climbs and
// descends at the rates it is given, speeds up and slows down at fixed accelerations, and moves
// along its heading at its speed. On the ground it rolls at the field's elevation and steers
// straight at the next taxi point. That is all the station can see of an aircraft (a position, an
// altitude and a heading once a second), and all a pilot needs to fly the circuits it is told to.
//
// Guidance is one lateral mode and one vertical mode at a time; Step() moves the aircraft on by a
// slice of time, in sub-steps of at most a quarter second so a large time factor does not make it
// overshoot a turn or a taxi point.

#include <string>
#include <vector>

#include "fsim/FlightMath.h"

namespace corvane::fsim {

struct Performance {
    double taxiKt = 15.0;
    double rotateKt = 55.0;
    double climbKt = 75.0;
    double cruiseKt = 110.0;
    double patternKt = 85.0;
    double approachKt = 70.0;
    double climbFpm = 700.0;
    double descentFpm = 600.0;
    double accelKtPerSecond = 3.0;
    double brakeKtPerSecond = 4.0;
    double turnDegPerSecond = 3.0;  // a standard-rate turn
    int16_t engineCode = 0;         // 0 piston, 1 jet (for the aircraft information message)
};

// A single-engine trainer and a twin-jet airliner.
Performance LightPiston();
Performance Airliner();

enum class TurnDirection { Shortest, Left, Right };

struct AircraftState {
    LatLon position;
    double altitudeFt = 0.0;
    double trueHeading = 0.0;  // [0, 360)
    double speedKt = 0.0;      // over the ground; there is no wind
    double verticalFpm = 0.0;
    bool onGround = true;
};

class FlightModel {
  public:
    enum class Lateral { Hold, Heading, Direct, Track, Taxi };
    enum class Vertical { Hold, Altitude, Glide };

    FlightModel(Performance performance, AircraftState state, double groundElevationFt);

    // ---- lateral guidance ----
    // Keep the present heading.
    void HoldHeading();
    // Turn to a true heading in the given direction at the turn rate.
    void TurnTo(double trueHeading, TurnDirection direction);
    // Steer straight at a point, re-aimed every sub-step; Arrived() once within the turn radius
    // or once the point falls behind.
    void FlyDirect(LatLon point);
    // Intercept and follow the line through `origin` on the true `course` (a final approach
    // course, a runway centre line), cutting in at up to 30 degrees.
    void TrackLine(LatLon origin, double course);
    // Ground only: roll at taxi speed from point to point and stop at the last one.
    void Taxi(std::vector<LatLon> points);
    bool Arrived() const { return arrived_; }

    // ---- vertical guidance ----
    // Climb or descend at `rateFpm` to `altitudeFt` and level off there. On the ground, a target
    // above the field lifts the aircraft off once it reaches its rotation speed.
    void ChangeAltitude(double altitudeFt, double rateFpm);
    // Descend on a 3-degree path to the aim point, `aimFeetPastOrigin` down the line set by
    // TrackLine; a path above the aircraft is met level. Touches down at the field's elevation.
    void FollowGlidePath(double aimFeetPastOrigin);

    // ---- speed ----
    void SetSpeed(double knots) { targetSpeedKt_ = knots; }

    // Move on by `seconds` of simulated time.
    void Step(double seconds);

    const AircraftState& State() const { return state_; }
    const Performance& Perf() const { return perf_; }
    Lateral LateralMode() const { return lateral_; }
    Vertical VerticalMode() const { return vertical_; }
    double GroundElevation() const { return groundFt_; }
    double TargetAltitude() const { return targetAltitudeFt_; }
    // The line TrackLine follows: where the aircraft stands across and along it.
    TrackOffset OffsetFromLine() const;
    // True once, for the step in which the wheels touched the ground.
    bool TakeTouchdown();
    // The remaining taxi points.
    const std::vector<LatLon>& TaxiPoints() const { return taxi_; }

    // Put the aircraft somewhere (a new flight, a test).
    void Place(const AircraftState& state) { state_ = state; }

  private:
    void SubStep(double dt);
    void SteerAir(double dt);
    void SteerGround(double dt);
    void Climb(double dt);
    void TurnToward(double heading, TurnDirection direction, double dt);

    Performance perf_;
    AircraftState state_;
    double groundFt_;
    Lateral lateral_ = Lateral::Hold;
    Vertical vertical_ = Vertical::Hold;
    double targetHeading_ = 0.0;
    TurnDirection turnDirection_ = TurnDirection::Shortest;
    LatLon target_;
    LatLon lineOrigin_;
    double lineCourse_ = 0.0;
    std::vector<LatLon> taxi_;
    bool arrived_ = false;
    double lastDirectDistance_ = 0.0;
    double targetAltitudeFt_ = 0.0;
    double rateFpm_ = 0.0;
    double aimFeet_ = 0.0;
    double targetSpeedKt_ = 0.0;
    bool touchedDown_ = false;
};

}  // namespace corvane::fsim
