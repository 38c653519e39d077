#include "station/RadarControllers.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cstdlib>

#include "nav/Geometry.h"
#include "shared/Rounding.h"
#include "shared/Text.h"
#include "station/StationState.h"

namespace corvane::station {

namespace {

enum class Mode { Approach, Center };

int16_t H16(int value) {
    return static_cast<int16_t>(value);
}

// One call of the approach or the centre controller for one pilot.
class Radar {
  public:
    Radar(StationContext& context, TrafficRecord& pilot, Mode mode)
        : a_(context.airport),
          terrain_(context.terrain),
          t_(context.tables),
          p_(pilot),
          mode_(mode),
          e_(context.airport.FieldElevation) {}

    void Run() {
        const int distance = t_.AirportDistanceNm;
        if (mode_ == Mode::Approach) {
            if (!InsideApproachAirspace()) {
                LeaveAirspace();
                return;
            }
        } else if (distance >= 200) {
            ClosePilotServices(t_, p_);
            return;
        }
        TrafficAdvisories();
        if (!p_.vectorTarget.name.empty()) {
            MonitorVectors();
        }
        if (p_.flightType == 0) {
            VfrDialogue();
        } else if (p_.flightType == 1) {
            IfrDialogue();
        }
    }

  private:
    bool InsideApproachAirspace() const {
        return p_.altitudeFt > e_ + 300 && p_.altitudeFt < e_ + 10000 && t_.AirportDistanceNm < 20;
    }
    const char* Service() const { return mode_ == Mode::Approach ? "Approach" : "ARTCC"; }
    std::string Options(const char* service) const {
        return ". Choose one of the following options for the " + std::string(service) +
               " frequency: ";
    }
    std::string AckMenu() const {
        return " Choose one of the following options for the " + std::string(Service()) +
               " frequency: 1-Acknowledge 2-Close ATC Services";
    }
    std::string TowerOffer() const {
        return p_.callsign + Options(Service()) + "1-Tune " + a_.AirportIdent +
               " Tower Frequency 2-Close ATC Services";
    }
    std::string TowerEntry() const {
        return p_.callsign + Options("Tower") + "1-Close ATC Services";
    }
    std::string CloseOnly(const char* service) const {
        return p_.callsign + Options(service) + "1-Close ATC Services";
    }
    std::string TuneArtcc(const char* service) const {
        return p_.callsign + Options(service) + "1-Tune ARTCC Frequency 2-Close ATC Services";
    }
    std::string ArtccHandOff(const char* service) const {
        return p_.callsign + ", Contact ARTCC (" + a_.CenterFreq + ")" + Options(service) +
               "1-Acknowledge 2-Close ATC Services";
    }
    std::string ApproachHandOff() const {
        return p_.callsign + ", Contact approach frequency on " + a_.ApproachFreq +
               Options("ARTCC") + "1-Acknowledge 2-Close ATC Services";
    }
    std::string ApproachOffer() const {
        return p_.callsign + Options("ARTCC") + "1-Tune Approach Frequency 2-Close ATC Services";
    }
    std::string DestinationQuestion() const {
        return p_.callsign + ". What is your destination airport?: 1-" + a_.AirportIdent +
               " 2-Another Airport 3-Close ATC Services";
    }

    bool Chosen(const std::string& option) const { return OptionChosen(p_, option); }
    bool AcknowledgedOrTraffic() const {
        return Chosen("Acknowledge") || Chosen("Report traffic in sight") ||
               Chosen("Report traffic not in sight");
    }
    void CloseTest() {
        if (Chosen("Close ATC Services")) {
            ClosePilotServices(t_, p_);
        }
    }
    void ClearVectorTarget() { p_.vectorTarget = GeoPoint{}; }
    void ClearWorkingFields() {
        p_.text1.clear();
        p_.text2.clear();
        p_.text3.clear();
        ClearVectorTarget();
    }
    // A new message that ends the state: the message, the answer spent, the working fields cleared.
    void HandOver(std::string message, const char* status) {
        p_.pendingMenu = std::move(message);
        p_.choice = 0;
        ClearWorkingFields();
        p_.status = status;
    }

    // The destination question, asked again whenever another message took its place. The list
    // of traffic already reported stays: forgetting it would report the same traffic on the next
    // tick, and that report (spending the answer) and this question would follow each other for as
    // long as the traffic stays near, so that no answer to the question ever counts.
    void AskDestination() {
        p_.pendingMenu = DestinationQuestion();
        p_.choice = 0;
        p_.text2.clear();
        p_.text3.clear();
        ClearVectorTarget();
    }

    // Leg points lie on magnetic courses from the runway start.
    GeoPoint FromRunway(int centreIndex, int nm, const std::string& name) const {
        GeoPoint point =
            nav::PointAtMagneticNm(terrain_.MagVarGrid, a_.RunwayLat, a_.RunwayLon,
                                   t_.CompassCentre[static_cast<size_t>(centreIndex)], H16(nm));
        point.name = name;
        point.label = "Waypoint";
        return point;
    }
    GeoPoint Aircraft() const { return {"", "", p_.latitude, p_.longitude, 0}; }
    int32_t TerrainFloor(int32_t floor, const GeoPoint& from, const GeoPoint& to) const {
        return nav::HighestTerrainOnPath(terrain_, floor, from, to);
    }
    int16_t BearingTo(const GeoPoint& point) const {
        return nav::MagneticBearing(terrain_.MagVarGrid, p_.latitude, p_.longitude, point.latitude,
                                    point.longitude);
    }

    // --- Traffic advisories -------------------------------------------------------------------

    void TrafficAdvisories() {
        const char* service =
            mode_ == Mode::Center ? "ARTCC" : (p_.status == "Departure" ? "Departure" : "Approach");
        for (const TrafficRecord& other : t_.Traffic) {
            // Cheap tests first: a change of latitude of more than 4.6 NM rules out a distance
            // that rounds below 5.
            if (std::abs(p_.altitudeFt - other.altitudeFt) >= 3000 ||
                !(std::abs(p_.latitude - other.latitude) * 60.0 <= 4.6) ||
                other.callsign == p_.callsign) {
                continue;
            }
            const int d =
                nav::DistanceNm(p_.latitude, p_.longitude, other.latitude, other.longitude);
            if (d >= 5 || ContainsIgnoreCase(p_.text1, other.callsign)) {
                continue;
            }
            const int16_t bearing = nav::MagneticBearing(
                terrain_.MagVarGrid, p_.latitude, p_.longitude, other.latitude, other.longitude);
            const std::string clock(nav::ClockPositionWord(p_.heading, bearing));
            const std::string where = std::to_string(d) + " miles, " + clock + ", " +
                                      std::to_string(other.altitudeFt) + " ft, type " +
                                      other.aircraftType;
            const std::string options =
                Options(service) +
                "1-Report traffic in sight 2-Report traffic not in sight 3-Close ATC Services";
            p_.pendingMenu =
                d < 2 ? p_.callsign + ", TRAFFIC ALERT!, " + where +
                            ". Avoid traffic and report them" + options
                      : p_.callsign + ", Traffic is " + where + ". Report them in sight" + options;
            p_.choice = 0;
            p_.text1 += other.callsign + ", ";
        }
    }

    // --- Vector monitoring --------------------------------------------------------------------

    void MonitorVectors() {
        const GeoPoint target = p_.vectorTarget;
        const int16_t reversed = nav::NormalizeHeading(H16(TextNumber(p_.text2) - 180));
        const int16_t dT =
            nav::DistanceNm(target.latitude, target.longitude, p_.latitude, p_.longitude);
        const int16_t bT = nav::MagneticBearing(terrain_.MagVarGrid, target.latitude,
                                                target.longitude, p_.latitude, p_.longitude);
        if (dT < 1 || !nav::HeadingInSector(bT, reversed, 90)) {
            ClearVectorTarget();
            if (p_.status == "Missed Approach") {
                p_.status = "Approach";
            }
            return;
        }
        const std::string start = p_.callsign + ",";
        std::string message = start;
        const bool offLine = !nav::HeadingInSector(bT, reversed, 10);
        const bool onHeading = ContainsIgnoreCase(p_.pendingMenu, "heading " + p_.text2 + ".");
        if (offLine && onHeading) {
            // Intercept the inbound course two thirds of the way back from the target.
            const int back = dT - ToInteger32(dT / 3.0);
            const GeoPoint q = nav::PointAtMagneticNm(terrain_.MagVarGrid, target.latitude,
                                                      target.longitude, reversed, H16(back));
            message += TurnPhrase(p_.heading, BearingTo(q));
        } else if (!offLine && !onHeading) {
            const int16_t heading = BearingTo(target);
            p_.text2 = std::to_string(heading);
            message += TurnPhrase(p_.heading, heading);
        }

        std::string leg = target.name;
        const std::string suffix = " - " + p_.compassWord;
        for (size_t at = leg.find(suffix); !suffix.empty() && at != std::string::npos;
             at = leg.find(suffix)) {
            leg.erase(at, suffix.size());
        }
        const int d2 =
            nav::DistanceNm(target.latitude, target.longitude, a_.RunwayLat, a_.RunwayLon);
        const GeoPoint aircraft = Aircraft();
        int32_t minimum = 0;
        const auto downwind = [&](GeoPoint& downwindPoint, GeoPoint& basePoint,
                                  const char* baseName) {
            downwindPoint = target;
            basePoint = FromRunway(5, ToInteger32(d2 / 2.0), baseName);
            t_.FinalPoint = FromRunway(5, 7, "Final Approach");
            t_.FinalPoint.elevationFt = TerrainFloor(e_, t_.FinalPoint, basePoint);
            basePoint.elevationFt =
                TerrainFloor(t_.FinalPoint.elevationFt, basePoint, downwindPoint);
            minimum = TerrainFloor(basePoint.elevationFt, downwindPoint, aircraft) + 2000;
        };
        const auto base = [&](GeoPoint& basePoint) {
            basePoint = target;
            t_.FinalPoint = FromRunway(5, 7, "Final Approach");
            t_.FinalPoint.elevationFt = TerrainFloor(e_, t_.FinalPoint, basePoint);
            minimum = TerrainFloor(t_.FinalPoint.elevationFt, basePoint, aircraft) + 2000;
        };
        if (leg == "Left Downwind Leg") {
            downwind(t_.LeftDownwindPoint, t_.LeftBasePoint, "Left Base Leg");
        } else if (leg == "Right Downwind Leg") {
            downwind(t_.RightDownwindPoint, t_.RightBasePoint, "Right Base Leg");
        } else if (leg == "Left Base Leg") {
            base(t_.LeftBasePoint);
        } else if (leg == "Right Base Leg") {
            base(t_.RightBasePoint);
        } else if (leg == "Final Approach") {
            t_.FinalPoint = target;
            minimum = TerrainFloor(e_, t_.FinalPoint, aircraft) + 2000;
        }

        if (std::abs(TextNumber(p_.text3) - minimum) > 2000 && minimum > 0) {
            p_.text3 = std::to_string(minimum);
            message += AltitudePhrase(p_.altitudeFt, minimum);
        } else if (message.size() > start.size()) {
            message += AltitudePhrase(p_.altitudeFt, TextNumber(p_.text3));
        }
        if (message.size() > start.size()) {
            p_.pendingMenu = message + AckMenu();
            p_.choice = 0;
        }
    }

    // --- Plans --------------------------------------------------------------------------------

    // A new plan when the expected first leg for the aircraft's sector is not its target yet.
    void VectorPlan() {
        const std::string& word = p_.compassWord;
        const std::string tag = " - " + word;
        const int16_t ref = t_.RefDistanceNm;
        const int half = ToInteger32(ref / 2.0);
        GeoPoint* target = nullptr;
        int32_t nextFloor = e_;
        std::string expected;
        if (word == "north" || word == "northwest" || word == "west") {
            expected = "Left Downwind Leg" + tag;
        } else if (word == "northeast" || word == "east") {
            expected = "Right Downwind Leg" + tag;
        } else if (word == "southwest") {
            expected = "Left Base Leg" + tag;
        } else if (word == "southeast") {
            expected = "Right Base Leg" + tag;
        } else if (word == "south") {
            expected = "Final Approach" + tag;
        } else {
            return;
        }
        if (p_.vectorTarget.name == expected) {
            return;
        }
        t_.FinalPoint = FromRunway(5, 7, "Final Approach" + tag);
        if (word == "south") {
            target = &t_.FinalPoint;
        } else {
            const bool left =
                word == "north" || word == "northwest" || word == "west" || word == "southwest";
            GeoPoint& basePoint = left ? t_.LeftBasePoint : t_.RightBasePoint;
            basePoint = FromRunway(5, half, (left ? "Left Base Leg" : "Right Base Leg") + tag);
            t_.FinalPoint.elevationFt = TerrainFloor(e_, t_.FinalPoint, basePoint);
            target = &basePoint;
            nextFloor = t_.FinalPoint.elevationFt;
            if (word != "southwest" && word != "southeast") {
                GeoPoint& downwindPoint = left ? t_.LeftDownwindPoint : t_.RightDownwindPoint;
                downwindPoint = FromRunway(
                    left ? 7 : 6, ref, (left ? "Left Downwind Leg" : "Right Downwind Leg") + tag);
                basePoint.elevationFt =
                    TerrainFloor(t_.FinalPoint.elevationFt, basePoint, downwindPoint);
                target = &downwindPoint;
                nextFloor = basePoint.elevationFt;
            }
        }
        p_.vectorTarget = *target;
        std::string message = p_.callsign + ",";
        if (p_.pendingMenu.empty()) {
            message = p_.callsign + ", You are " + std::to_string(ref) + " miles, " + word +
                      ", expect vectors for runway " + a_.RunwayName + " approach.";
        }
        SteerTo(message, nextFloor);
    }

    // Heading and altitude to the vector target, with the acknowledge menu.
    void SteerTo(std::string message, int32_t floorAfterTarget) {
        const int16_t heading = BearingTo(p_.vectorTarget);
        p_.text2 = std::to_string(heading);
        message += TurnPhrase(p_.heading, heading);
        p_.choice = 0;
        const int32_t altitude = TerrainFloor(floorAfterTarget, p_.vectorTarget, Aircraft()) + 2000;
        p_.text3 = std::to_string(altitude);
        message += AltitudePhrase(p_.altitudeFt, altitude);
        p_.pendingMenu = message + AckMenu();
    }

    // A go-around flies a right-hand circuit: a downwind point 30 NM out, base 15 NM, final 7 NM.
    void MissedApproachPlan() {
        const std::string tag = " - " + p_.compassWord;
        t_.RightDownwindPoint = FromRunway(6, 30, "Right Downwind Leg" + tag);
        t_.RightBasePoint = FromRunway(5, 15, "Right Base Leg" + tag);
        t_.FinalPoint = FromRunway(5, 7, "Final Approach" + tag);
        t_.FinalPoint.elevationFt = TerrainFloor(e_, t_.FinalPoint, t_.RightBasePoint);
        t_.RightBasePoint.elevationFt =
            TerrainFloor(t_.FinalPoint.elevationFt, t_.RightBasePoint, t_.RightDownwindPoint);
        p_.vectorTarget = t_.RightDownwindPoint;
        SteerTo(p_.callsign + ",", t_.RightBasePoint.elevationFt);
    }

    std::string Clearance() const {
        const bool ils = a_.RunwayHasIls == kTrue;
        return p_.callsign + (ils ? ", Cleared for the ILS runway " : ", Cleared for the runway ") +
               a_.RunwayName + " approach. Maintain heading " + p_.text2 + " and " + p_.text3 +
               (ils ? " ft until established localizer. Contact Tower on "
                    : " ft until you have runway in sight. Contact Tower on ") +
               a_.TowerFreq + ". Good day." + AckMenu();
    }
    bool ClearanceGiven() const { return a_.RunwayHasIls == kTrue || a_.RunwayHasIls == kFalse; }

    void ClearanceIfOnFinal() {
        if (p_.compassWord == "south" && t_.AirportDistanceNm < 15 && ClearanceGiven()) {
            p_.pendingMenu = Clearance();
            p_.choice = 0;
            p_.status = "Acknowledge contact tower";
            ClearVectorTarget();
        }
    }

    // Approach: a plan leaving the terminal area goes back to the centre.
    void CentreCheck(bool missed) {
        if (p_.vectorTarget.name.empty()) {
            return;
        }
        const int dV = nav::DistanceNm(p_.vectorTarget.latitude, p_.vectorTarget.longitude,
                                       a_.AirportLat, a_.AirportLon);
        if (TextNumber(p_.text3) > e_ + 10000 || dV > 20) {
            HandOver(ArtccHandOff("Approach"), missed
                                                   ? "Acknowledge contact ARTCC (MISSED APPROACH)"
                                                   : "Acknowledge contact ARTCC (APPROACH)");
        }
    }

    // Centre: a plan that has brought the arrival into the terminal area goes to approach.
    void ApproachCheck(bool missed) {
        if (p_.vectorTarget.name.empty()) {
            return;
        }
        const int dV = nav::DistanceNm(p_.vectorTarget.latitude, p_.vectorTarget.longitude,
                                       a_.AirportLat, a_.AirportLon);
        if (TextNumber(p_.text3) < e_ + 10000 && dV < 20 && InsideApproachAirspace()) {
            HandOver(ApproachHandOff(), missed ? "Acknowledge contact approach (MISSED APPROACH)"
                                               : "Acknowledge contact approach");
        }
    }

    // --- Dialogues ----------------------------------------------------------------------------

    void VfrDialogue() {
        if (!p_.status.empty()) {
            return;
        }
        if (p_.choice != 0) {
            if (Chosen("Tune " + a_.AirportIdent + " Tower Frequency")) {
                p_.pendingMenu = TowerEntry();
                p_.choice = 0;
                ClearWorkingFields();
                p_.status.clear();
                p_.frequency = a_.TowerFreq;
            } else if (Chosen("Report traffic in sight") || Chosen("Report traffic not in sight")) {
                p_.pendingMenu.clear();
                p_.choice = 0;
            }
            CloseTest();
        } else {
            const int distance = t_.AirportDistanceNm;
            const std::string closeOnly = CloseOnly(Service());
            const std::string offer = TowerOffer();
            bool set = false;
            if (distance > 15 && (p_.pendingMenu.empty() || p_.pendingMenu == offer)) {
                p_.pendingMenu = closeOnly;
                set = true;
            }
            if (distance < 15 && (p_.pendingMenu.empty() || p_.pendingMenu == closeOnly)) {
                p_.pendingMenu = offer;
                set = true;
            }
            if (set) {
                p_.choice = 0;
                p_.text2.clear();
                p_.text3.clear();
                ClearVectorTarget();
            }
        }
        if (mode_ == Mode::Center && p_.atcActive == 1 && !a_.ApproachFreq.empty() &&
            InsideApproachAirspace()) {
            // Inside the approach airspace the dispatcher offers him the right frequency.
            p_.pendingMenu.clear();
            p_.choice = 0;
            p_.flightType = 0;
            ClearWorkingFields();
            p_.frequency.clear();
            p_.status.clear();
        }
    }

    void IfrDialogue() {
        const bool answer = p_.choice != 0;
        const std::string& s = p_.status;
        if (mode_ == Mode::Approach ? ApproachOnlyRow(answer) : CenterOnlyRow(answer)) {
            return;
        }
        if (s == "Approach") {
            if (answer) {
                if (AcknowledgedOrTraffic()) {
                    p_.choice = 0;
                }
                CloseTest();
                return;
            }
            if (t_.AirportDistanceNm < (mode_ == Mode::Approach ? 20 : 100)) {
                VectorPlan();
                if (p_.compassWord == "south") {
                    ClearanceIfOnFinal();
                }
            }
            mode_ == Mode::Approach ? CentreCheck(false) : ApproachCheck(false);
        } else if (s == "Missed Approach") {
            if (answer) {
                if (AcknowledgedOrTraffic()) {
                    p_.choice = 0;
                }
                CloseTest();
                return;
            }
            if (p_.vectorTarget.name.empty()) {
                MissedApproachPlan();
            } else if (mode_ == Mode::Approach) {
                CentreCheck(true);
            } else {
                if (t_.AirportDistanceNm > 30) {
                    ClearVectorTarget();
                    p_.status = "Approach";
                }
                ApproachCheck(p_.status == "Missed Approach");
            }
        } else if (s == "Acknowledge contact tower") {
            if (answer) {
                if (Chosen("Acknowledge")) {
                    p_.pendingMenu = TowerOffer();
                    p_.choice = 0;
                    p_.status = "Contact tower";
                }
                CloseTest();
                return;
            }
            if (ClearanceGiven()) {
                p_.pendingMenu = Clearance();
            }
            p_.choice = 0;
            ClearVectorTarget();
        } else if (s == "Contact tower") {
            if (answer) {
                if (Chosen("Tune " + a_.AirportIdent + " Tower Frequency")) {
                    HandOver(TowerEntry(), "Approach");
                    p_.frequency = a_.TowerFreq;
                }
                CloseTest();
                return;
            }
            p_.pendingMenu = TowerOffer();
            p_.choice = 0;
        }
    }

    // A hand-off in two rows: "Acknowledge contact ..." repeats the hand-off until acknowledged,
    // then "Contact ..." offers the new frequency until tuned. Returns false for other statuses.
    bool HandOffRow(bool answer, const char* acknowledge, const char* contact, const char* next,
                    const std::string& handOff, const std::string& offer, const char* tuneOption,
                    const std::string& frequency) {
        const std::string& s = p_.status;
        if (s != acknowledge && s != contact) {
            return false;
        }
        const bool acknowledging = s == acknowledge;
        if (!answer) {
            p_.pendingMenu = acknowledging ? handOff : offer;
            p_.choice = 0;
            return true;
        }
        if (acknowledging && Chosen("Acknowledge")) {
            p_.pendingMenu = offer;
            p_.choice = 0;
            p_.status = contact;
        } else if (!acknowledging && Chosen(tuneOption)) {
            HandOver("", next);
            p_.frequency = frequency;
        }
        CloseTest();
        return true;
    }

    // Rows of the approach controller alone. Returns true when the status was one of them.
    bool ApproachOnlyRow(bool answer) {
        const std::string& s = p_.status;
        const int distance = t_.AirportDistanceNm;
        if (s.empty()) {
            if (answer) {
                if (Chosen(a_.AirportIdent)) {
                    HandOver("", "Approach");
                } else if (Chosen("Another Airport")) {
                    HandOver("", "Departure");
                }
                CloseTest();
            } else if (p_.pendingMenu != DestinationQuestion()) {
                AskDestination();
            }
            return true;
        }
        if (s == "Contact Departure") {
            HandOver("", "Departure");
            return true;
        }
        if (s == "Contact Approach") {
            HandOver("", distance < 15 ? "Missed Approach" : "Approach");
            return true;
        }
        if (s == "Departure") {
            if (answer) {
                if (AcknowledgedOrTraffic()) {
                    p_.pendingMenu = CloseOnly("Departure");
                    p_.choice = 0;
                }
                CloseTest();
                return true;
            }
            if (p_.pendingMenu.empty()) {
                p_.pendingMenu = p_.callsign +
                                 ", Climb and maintain cruise altitude and assume own navigation" +
                                 Options("Departure") + "1-Acknowledge 2-Close ATC Services";
            }
            p_.choice = 0;
            if (!(p_.altitudeFt <= e_ + 5000 && distance < 11)) {
                p_.pendingMenu = ArtccHandOff("Departure");
                p_.status = "Acknowledge contact ARTCC (EN ROUTE)";
            }
            return true;
        }
        struct HandOffRows {
            const char* acknowledge;
            const char* contact;
            const char* service;
            const char* next;
        };
        static constexpr std::array<HandOffRows, 3> kRows = {{
            {"Acknowledge contact ARTCC (EN ROUTE)", "Contact ARTCC (EN ROUTE)", "Departure",
             "En Route"},
            {"Acknowledge contact ARTCC (APPROACH)", "Contact ARTCC (APPROACH)", "Approach",
             "Approach"},
            {"Acknowledge contact ARTCC (MISSED APPROACH)", "Contact ARTCC (MISSED APPROACH)",
             "Approach", "Missed Approach"},
        }};
        for (const HandOffRows& row : kRows) {
            if (HandOffRow(answer, row.acknowledge, row.contact, row.next,
                           ArtccHandOff(row.service), TuneArtcc(row.service),
                           "Tune ARTCC Frequency", a_.CenterFreq)) {
                return true;
            }
        }
        return false;
    }

    // Rows of the centre alone. Returns true when the status was one of them.
    bool CenterOnlyRow(bool answer) {
        const std::string& s = p_.status;
        const int distance = t_.AirportDistanceNm;
        if (s.empty()) {
            if (p_.altitudeFt <= e_ + 300) {
                return true;
            }
            if (answer) {
                if (Chosen(a_.AirportIdent)) {
                    HandOver("", "Descent");
                } else if (Chosen("Another Airport")) {
                    HandOver("", "En Route");
                }
                CloseTest();
            } else if (p_.pendingMenu != DestinationQuestion()) {
                AskDestination();
            }
            return true;
        }
        if (s == "Departure" || s == "En Route") {
            if (answer) {
                if (AcknowledgedOrTraffic()) {
                    p_.pendingMenu = CloseOnly("ARTCC");
                    p_.choice = 0;
                }
                CloseTest();
            } else if (p_.pendingMenu.empty()) {
                p_.pendingMenu =
                    p_.callsign +
                    (s == "Departure"
                         ? ", Climb and maintain cruise altitude and assume own navigation"
                         : ", Maintain cruise altitude and assume own navigation") +
                    Options("ARTCC") + "1-Acknowledge 2-Close ATC Services";
            }
            return true;
        }
        if (s == "Descent") {
            if (answer) {
                if (AcknowledgedOrTraffic()) {
                    p_.choice = 0;
                }
                CloseTest();
                return true;
            }
            if (p_.text3.empty()) {
                p_.text3 = std::to_string(terrain_.MinSafeAltitude);
                p_.pendingMenu = p_.callsign + "," +
                                 AltitudePhrase(p_.altitudeFt, terrain_.MinSafeAltitude) +
                                 AckMenu();
                p_.choice = 0;
            }
            if (distance < 100) {
                HandOver("", "Approach");
            }
            return true;
        }
        struct HandOffRows {
            const char* acknowledge;
            const char* contact;
            const char* next;
        };
        static constexpr std::array<HandOffRows, 2> kRows = {{
            {"Acknowledge contact approach", "Contact approach", "Approach"},
            {"Acknowledge contact approach (MISSED APPROACH)", "Contact approach (MISSED APPROACH)",
             "Missed Approach"},
        }};
        for (const HandOffRows& row : kRows) {
            if (HandOffRow(answer, row.acknowledge, row.contact, row.next, ApproachHandOff(),
                           ApproachOffer(), "Tune Approach Frequency", a_.ApproachFreq)) {
                return true;
            }
        }
        return false;
    }

    // Approach only: outside 300..10,000 ft above the field or 20 NM from it.
    void LeaveAirspace() {
        if (p_.flightType == 0) {
            p_.pendingMenu.clear();
            p_.choice = 0;
            p_.flightType = 0;
            ClearWorkingFields();
            p_.frequency.clear();
            p_.status.clear();
            return;
        }
        if (p_.flightType != 1) {
            return;
        }
        const std::string& s = p_.status;
        const std::string lower = AsciiLower(s);
        if (lower.find("contact") == std::string::npos && s != "Approach" &&
            s != "Missed Approach" && s != "Departure") {
            ClosePilotServices(t_, p_);
            return;
        }
        if (lower.find("tower") != std::string::npos) {
            ClosePilotServices(t_, p_);
            return;
        }
        const char* next = nullptr;
        if (s == "Departure" || s.find("(EN ROUTE)") != std::string::npos) {
            next = "En Route";
        } else if (s == "Approach" || s.find("(APPROACH)") != std::string::npos) {
            next = "Approach";
        } else if (s == "Missed Approach" || s.find("(MISSED APPROACH)") != std::string::npos) {
            next = "Missed Approach";
        }
        if (next == nullptr) {
            return;  // "Contact Departure" and "Contact Approach" stay as they are
        }
        HandOver("", next);
        p_.frequency = a_.CenterFreq;
    }

    const ChosenAirport& a_;
    const corvane::Terrain& terrain_;
    StationTables& t_;
    TrafficRecord& p_;
    Mode mode_;
    int32_t e_;
};

}  // namespace

std::string TurnPhrase(int16_t heading, int16_t assigned) {
    int16_t h = assigned;
    const bool left = nav::HeadingInSweep(h, nav::NormalizeHeading(H16(heading - 180)),
                                          nav::NormalizeHeading(heading));
    return (left ? " Turn left heading " : " Turn right heading ") + std::to_string(assigned) + ".";
}

std::string AltitudePhrase(int32_t altitudeFt, int32_t assigned) {
    if (altitudeFt < assigned) {
        return " Climb and Maintain " + std::to_string(assigned) + " ft.";
    }
    if (altitudeFt > assigned) {
        return " Descent and Maintain " + std::to_string(assigned) + " ft.";
    }
    return "";
}

int32_t TextNumber(const std::string& text) {
    const std::string_view t = TrimBlanks(text);
    int64_t value = 0;
    const char* begin = t.data();
    const char* end = t.data() + t.size();
    if (begin != end && *begin == '+') {
        ++begin;
    }
    const auto [stop, ec] = std::from_chars(begin, end, value);
    if (ec == std::errc::result_out_of_range) {
        return *begin == '-' ? INT32_MIN : INT32_MAX;
    }
    (void)stop;
    if (ec != std::errc()) {
        return 0;
    }
    return static_cast<int32_t>(std::clamp<int64_t>(value, INT32_MIN, INT32_MAX));
}

void RunApproachController(StationContext& context, TrafficRecord& pilot) {
    Radar(context, pilot, Mode::Approach).Run();
}

void RunCenterController(StationContext& context, TrafficRecord& pilot) {
    Radar(context, pilot, Mode::Center).Run();
}

}  // namespace corvane::station
