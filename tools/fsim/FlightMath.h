#pragma once
// Unrounded great-circle arithmetic for the simulated aircraft. The station works in whole miles
// and degrees; an aircraft that moves a few hundred feet a second needs the fractions. One
// nautical mile is one minute of arc, as the station counts it, so the two agree on distances.
// Courses here are true degrees in [0, 360).

#include <cmath>

namespace corvane::fsim {

inline constexpr double kFeetPerNm = 6076.12;
inline constexpr double kFeetPerMetre = 1.0 / 0.3048;
// Height lost per mile on a 3-degree glide path: tan(3 degrees) * 6076 ft, about 318 ft.
inline constexpr double kGlidePathFeetPerNm = 318.44;

struct LatLon {
    double lat = 0.0;
    double lon = 0.0;
};

inline double Radians(double degrees) {
    return degrees * 3.14159265358979323846 / 180.0;
}
inline double Degrees(double radians) {
    return radians * 180.0 / 3.14159265358979323846;
}

// Into [0, 360).
inline double WrapCourse(double degrees) {
    double c = std::fmod(degrees, 360.0);
    if (c < 0) {
        c += 360.0;
    }
    return c;
}

// Signed smallest turn from `from` to `to`, in (-180, 180]; positive is to the right.
inline double TurnAngle(double from, double to) {
    double d = WrapCourse(to - from);
    if (d > 180.0) {
        d -= 360.0;
    }
    return d;
}

inline double CentralAngleExact(LatLon a, LatLon b) {
    const double dLat = Radians(b.lat - a.lat);
    const double dLon = Radians(b.lon - a.lon);
    const double h = std::sin(dLat / 2) * std::sin(dLat / 2) +
                     std::cos(Radians(a.lat)) * std::cos(Radians(b.lat)) * std::sin(dLon / 2) *
                         std::sin(dLon / 2);
    return 2.0 * std::asin(std::sqrt(std::fmin(1.0, h)));
}

inline double DistanceNmExact(LatLon a, LatLon b) {
    return Degrees(CentralAngleExact(a, b)) * 60.0;
}

inline double DistanceFeetExact(LatLon a, LatLon b) {
    return DistanceNmExact(a, b) * kFeetPerNm;
}

// Initial true course from a to b; 0 for identical points.
inline double TrueCourse(LatLon a, LatLon b) {
    const double lat1 = Radians(a.lat);
    const double lat2 = Radians(b.lat);
    const double dLon = Radians(b.lon - a.lon);
    const double y = std::sin(dLon) * std::cos(lat2);
    const double x =
        std::cos(lat1) * std::sin(lat2) - std::sin(lat1) * std::cos(lat2) * std::cos(dLon);
    if (x == 0.0 && y == 0.0) {
        return 0.0;
    }
    return WrapCourse(Degrees(std::atan2(y, x)));
}

// The point `distanceNm` from `from` on the true course.
inline LatLon Destination(LatLon from, double course, double distanceNm) {
    const double d = Radians(distanceNm / 60.0);
    const double tc = Radians(course);
    const double lat1 = Radians(from.lat);
    const double lon1 = Radians(from.lon);
    const double lat2 =
        std::asin(std::sin(lat1) * std::cos(d) + std::cos(lat1) * std::sin(d) * std::cos(tc));
    const double lon2 = lon1 + std::atan2(std::sin(tc) * std::sin(d) * std::cos(lat1),
                                          std::cos(d) - std::sin(lat1) * std::sin(lat2));
    double lon = Degrees(lon2);
    lon = std::fmod(lon + 540.0, 360.0) - 180.0;
    return {Degrees(lat2), lon};
}

// Where a point lies relative to a line through `origin` on the true `course`: along the course
// (negative behind the origin) and across it (positive to the right), in nautical miles unless a
// function says feet. Flat earth around the origin: good to a few feet within the 20 miles it is
// used for.
struct TrackOffset {
    double along = 0.0;
    double cross = 0.0;
};

inline TrackOffset OffsetFromTrack(LatLon origin, double course, LatLon point) {
    const double distance = DistanceNmExact(origin, point);
    const double bearing = TrueCourse(origin, point);
    const double angle = Radians(bearing - course);
    return {distance * std::cos(angle), distance * std::sin(angle)};
}

}  // namespace corvane::fsim
