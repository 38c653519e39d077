#include "fsim/FlightModel.h"

#include <algorithm>
#include <cmath>

namespace corvane::fsim {

namespace {

constexpr double kMaxSubStep = 0.25;         // seconds
constexpr double kGroundTurnDegPerS = 30.0;  // nose-wheel steering
constexpr double kInterceptGainDegPerNm = 100.0;
constexpr double kMaxInterceptDeg = 30.0;
constexpr double kGlideMaxDescentFpm = 1500.0;

double NmPerSecond(double knots) {
    return knots / 3600.0;
}

}  // namespace

Performance LightPiston() {
    return Performance{};
}

Performance Airliner() {
    Performance p;
    p.taxiKt = 18.0;
    p.rotateKt = 145.0;
    p.climbKt = 210.0;
    p.cruiseKt = 250.0;
    p.patternKt = 180.0;
    p.approachKt = 140.0;
    p.climbFpm = 2500.0;
    p.descentFpm = 1800.0;
    p.accelKtPerSecond = 4.0;
    p.brakeKtPerSecond = 5.0;
    p.engineCode = 1;
    return p;
}

FlightModel::FlightModel(Performance performance, AircraftState state, double groundElevationFt)
    : perf_(performance), state_(state), groundFt_(groundElevationFt) {
    state_.trueHeading = WrapCourse(state_.trueHeading);
    if (state_.onGround) {
        state_.altitudeFt = groundFt_;
    }
    targetHeading_ = state_.trueHeading;
    targetAltitudeFt_ = state_.altitudeFt;
    targetSpeedKt_ = state_.speedKt;
}

void FlightModel::HoldHeading() {
    lateral_ = Lateral::Hold;
    arrived_ = false;
}

void FlightModel::TurnTo(double trueHeading, TurnDirection direction) {
    lateral_ = Lateral::Heading;
    targetHeading_ = WrapCourse(trueHeading);
    turnDirection_ = direction;
    arrived_ = false;
}

void FlightModel::FlyDirect(LatLon point) {
    lateral_ = Lateral::Direct;
    target_ = point;
    arrived_ = false;
    lastDirectDistance_ = DistanceNmExact(state_.position, point);
}

void FlightModel::TrackLine(LatLon origin, double course) {
    lateral_ = Lateral::Track;
    lineOrigin_ = origin;
    lineCourse_ = WrapCourse(course);
    arrived_ = false;
}

void FlightModel::Taxi(std::vector<LatLon> points) {
    lateral_ = Lateral::Taxi;
    taxi_ = std::move(points);
    arrived_ = taxi_.empty();
    targetSpeedKt_ = arrived_ ? 0.0 : perf_.taxiKt;
}

void FlightModel::ChangeAltitude(double altitudeFt, double rateFpm) {
    vertical_ = Vertical::Altitude;
    targetAltitudeFt_ = std::max(altitudeFt, groundFt_);
    rateFpm_ = std::max(rateFpm, 1.0);
}

void FlightModel::FollowGlidePath(double aimFeetPastOrigin) {
    vertical_ = Vertical::Glide;
    aimFeet_ = aimFeetPastOrigin;
}

TrackOffset FlightModel::OffsetFromLine() const {
    return OffsetFromTrack(lineOrigin_, lineCourse_, state_.position);
}

bool FlightModel::TakeTouchdown() {
    const bool t = touchedDown_;
    touchedDown_ = false;
    return t;
}

void FlightModel::Step(double seconds) {
    while (seconds > 1e-9) {
        const double dt = std::min(seconds, kMaxSubStep);
        SubStep(dt);
        seconds -= dt;
    }
}

void FlightModel::SubStep(double dt) {
    // Speed first: the aircraft speeds up or brakes toward its target.
    const double dv = targetSpeedKt_ - state_.speedKt;
    const double rate = dv > 0 ? perf_.accelKtPerSecond : perf_.brakeKtPerSecond;
    state_.speedKt += std::clamp(dv, -rate * dt, rate * dt);

    if (state_.onGround) {
        SteerGround(dt);
    } else {
        SteerAir(dt);
    }
    if (lateral_ == Lateral::Taxi) {
        return;  // SteerGround moved the aircraft point to point
    }
    const double before = state_.altitudeFt;
    state_.position =
        Destination(state_.position, state_.trueHeading, NmPerSecond(state_.speedKt) * dt);
    Climb(dt);
    state_.verticalFpm = (state_.altitudeFt - before) / dt * 60.0;
}

void FlightModel::TurnToward(double heading, TurnDirection direction, double dt) {
    const double maxTurn = (state_.onGround ? kGroundTurnDegPerS : perf_.turnDegPerSecond) * dt;
    double turn = TurnAngle(state_.trueHeading, heading);
    if (direction == TurnDirection::Left && turn > 0) {
        turn -= 360.0;
    } else if (direction == TurnDirection::Right && turn < 0) {
        turn += 360.0;
    }
    if (std::fabs(turn) <= maxTurn) {
        state_.trueHeading = WrapCourse(heading);
        return;
    }
    state_.trueHeading = WrapCourse(state_.trueHeading + (turn > 0 ? maxTurn : -maxTurn));
}

void FlightModel::SteerAir(double dt) {
    switch (lateral_) {
        case Lateral::Hold:
        case Lateral::Taxi:
            break;
        case Lateral::Heading:
            TurnToward(targetHeading_, turnDirection_, dt);
            // Once on the heading, later steps keep it the short way.
            if (std::fabs(TurnAngle(state_.trueHeading, targetHeading_)) < 1e-6) {
                turnDirection_ = TurnDirection::Shortest;
            }
            break;
        case Lateral::Direct: {
            const double distance = DistanceNmExact(state_.position, target_);
            const double radiusNm =
                NmPerSecond(state_.speedKt) / Radians(perf_.turnDegPerSecond);  // turn radius
            if (distance < std::max(0.1, 0.5 * radiusNm) ||
                (distance > lastDirectDistance_ && distance < 2.0 * radiusNm + 0.2)) {
                arrived_ = true;
            }
            lastDirectDistance_ = distance;
            TurnToward(TrueCourse(state_.position, target_), TurnDirection::Shortest, dt);
            break;
        }
        case Lateral::Track: {
            const TrackOffset off = OffsetFromLine();
            const double cut =
                std::clamp(off.cross * kInterceptGainDegPerNm, -kMaxInterceptDeg, kMaxInterceptDeg);
            TurnToward(WrapCourse(lineCourse_ - cut), TurnDirection::Shortest, dt);
            break;
        }
    }
}

void FlightModel::SteerGround(double dt) {
    state_.altitudeFt = groundFt_;
    switch (lateral_) {
        case Lateral::Taxi: {
            double travel = NmPerSecond(state_.speedKt) * dt;
            while (!taxi_.empty()) {
                const double distance = DistanceNmExact(state_.position, taxi_.front());
                if (distance > 1e-6) {
                    state_.trueHeading = TrueCourse(state_.position, taxi_.front());
                }
                if (travel < distance) {
                    state_.position = Destination(state_.position, state_.trueHeading, travel);
                    break;
                }
                // Reached this point: go on to the next one with what is left of the step.
                travel -= distance;
                state_.position = taxi_.front();
                taxi_.erase(taxi_.begin());
            }
            if (taxi_.empty()) {
                state_.speedKt = 0.0;
                targetSpeedKt_ = 0.0;
                arrived_ = true;
            }
            state_.verticalFpm = 0.0;
            break;
        }
        case Lateral::Heading:
            TurnToward(targetHeading_, turnDirection_, dt);
            break;
        case Lateral::Track: {
            const TrackOffset off = OffsetFromLine();
            const double cut = std::clamp(off.cross * 600.0, -20.0, 20.0);
            TurnToward(WrapCourse(lineCourse_ - cut), TurnDirection::Shortest, dt);
            break;
        }
        case Lateral::Direct:
            TurnToward(TrueCourse(state_.position, target_), TurnDirection::Shortest, dt);
            if (DistanceNmExact(state_.position, target_) < 0.01) {
                arrived_ = true;
            }
            break;
        case Lateral::Hold:
            break;
    }
}

void FlightModel::Climb(double dt) {
    switch (vertical_) {
        case Vertical::Hold:
            break;
        case Vertical::Altitude: {
            if (state_.onGround) {
                if (targetAltitudeFt_ > groundFt_ + 1.0 && state_.speedKt >= perf_.rotateKt) {
                    state_.onGround = false;  // rotate and lift off
                } else {
                    break;
                }
            }
            const double step = rateFpm_ / 60.0 * dt;
            const double diff = targetAltitudeFt_ - state_.altitudeFt;
            state_.altitudeFt += std::clamp(diff, -step, step);
            break;
        }
        case Vertical::Glide: {
            if (state_.onGround) {
                break;
            }
            const double along = OffsetFromLine().along;
            const double toAimNm = aimFeet_ / kFeetPerNm - along;
            const double path = groundFt_ + std::max(0.0, toAimNm) * kGlidePathFeetPerNm;
            // Never climb onto the path: below it, the aircraft flies level until it meets it.
            const double floor = state_.altitudeFt - kGlideMaxDescentFpm / 60.0 * dt;
            state_.altitudeFt = std::max(floor, std::min(state_.altitudeFt, path));
            if (state_.altitudeFt <= groundFt_ + 0.5) {
                state_.altitudeFt = groundFt_;
                state_.onGround = true;
                touchedDown_ = true;
                vertical_ = Vertical::Hold;
            }
            break;
        }
    }
    if (state_.onGround) {
        state_.altitudeFt = groundFt_;
    }
}

}  // namespace corvane::fsim
