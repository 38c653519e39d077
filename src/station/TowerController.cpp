#include "station/TowerController.h"

#include <algorithm>

#include "nav/Geometry.h"
#include "shared/Text.h"
#include "station/RunwayOccupancy.h"
#include "station/StationState.h"

namespace corvane::station {

namespace {

constexpr const char* kTower = "Choose one of the following options for the Tower frequency: ";

// One call's view of the pilot and the airport, with the message pieces.
class Tower {
  public:
    Tower(StationContext& context, TrafficRecord& pilot)
        : a_(context.airport),
          t_(context.tables),
          p_(pilot),
          occupied_(RunwayOccupied(context, pilot)) {}

    void Run() {
        const int distance = t_.AirportDistanceNm;
        if (distance > 15) {
            Far();
        } else if (distance < 15) {
            if (p_.flightType == 0) {
                Vfr();
            } else if (p_.flightType == 1) {
                Ifr();
            }
        }
    }

  private:
    // Heights: above / below / not above 300 ft over the field.
    bool Above() const { return p_.altitudeFt > a_.FieldElevation + 300; }
    bool Below() const { return p_.altitudeFt < a_.FieldElevation + 300; }
    bool NotAbove() const { return p_.altitudeFt <= a_.FieldElevation + 300; }

    bool Chosen(const std::string& option) const { return OptionChosen(p_, option); }

    // Sets the message (callsign first) and spends the answer.
    void Say(const std::string& piece) {
        p_.pendingMenu = p_.callsign + piece;
        p_.choice = 0;
    }
    // Sets the message and leaves `choice` as it is.
    void Show(const std::string& piece) { p_.pendingMenu = p_.callsign + piece; }

    void Close() {
        if (Chosen("Close ATC Services")) {
            ClosePilotServices(t_, p_);
        }
    }

    // A termination that applies at the given height, for the rows whose message stands.
    struct Termination {
        const char* text = nullptr;
        bool whenAbove = false;  // else when below
    };
    void TerminateIf(Termination t) {
        if (t.text != nullptr && (t.whenAbove ? Above() : Below())) {
            Terminate(t.text);
        }
    }

    void Terminate(const char* text) {
        p_.pendingMenu = p_.callsign + text;
        p_.choice = 0;
        p_.flightType = 0;
        p_.frequency.clear();
        p_.status.clear();
    }

    std::string Menu(const std::string& options) const {
        return ". " + std::string(kTower) + options;
    }
    std::string AckMenu(const std::string& body) const {
        return body + ". " + kTower + "1-Acknowledge 2-Close ATC Services";
    }
    std::string CloseOnly() const { return Menu("1-Close ATC Services"); }
    std::string OnFrequency(const char* service) const {
        return ". Choose one of the following options for the " + std::string(service) +
               " frequency: 1-Close ATC Services";
    }
    std::string Cleared() const {
        return AckMenu(", " + a_.AirportIdent + " Tower, Cleared for takeoff on runway " +
                       a_.RunwayName);
    }
    std::string HoldShort() const {
        return AckMenu(", " + a_.AirportIdent + " Tower, Hold short on runway " + a_.RunwayName);
    }
    std::string Departure() const {
        return AckMenu(", Contact Departure on " + a_.ApproachFreq + ". Good day");
    }
    std::string Artcc() const {
        return AckMenu(", Contact ARTCC (" + a_.CenterFreq + "). Good day");
    }
    std::string TuneGround() const {
        return Menu("1-Tune " + a_.AirportIdent + " Ground Frequency 2-Close ATC Services");
    }
    std::string ContactGround() const {
        return AckMenu(", Contact Ground on " + a_.GroundFreq + ". Good day");
    }
    std::string PatternMenu() const { return Menu("1-Cancel Landing 2-Close ATC Services"); }
    std::string Cancelled() const {
        return ", Roger landing cancel received. " + std::string(kTower) + "1-Close ATC Services";
    }
    std::string TuneArtcc() const { return Menu("1-Tune ARTCC Frequency 2-Close ATC Services"); }
    std::string TuneApproach() const {
        return Menu("1-Tune Approach Frequency 2-Close ATC Services");
    }
    std::string TuneDeparture() const {
        return Menu("1-Tune Departure Frequency 2-Close ATC Services");
    }

    // Take-off request: cleared when nobody is queued either way and the runway is free.
    void TakeoffRequest() {
        const bool free =
            TakeoffQueueHead(t_).empty() && LandingQueueHead(t_).empty() && !occupied_;
        EnqueueTakeoff(t_, p_.callsign);
        if (free) {
            Say(Cleared());
            p_.status = "Acknowledge Takeoff";
        } else {
            Say(HoldShort());
            p_.status = "Acknowledge Hold short";
        }
    }

    void ReleaseFromHoldingShort() {
        if (TakeoffQueueHead(t_) == p_.callsign && LandingQueueHead(t_).empty() && !occupied_) {
            Say(Cleared());
            p_.status = "Acknowledge Takeoff";
        }
    }

    void PatternEntry() {
        const std::string& w = p_.compassWord;
        const char* piece = nullptr;
        if (w == "north" || w == "northwest" || w == "west") {
            piece = " Tower, Enter left downwind runway ";
        } else if (w == "northeast" || w == "east") {
            piece = " Tower, Enter right downwind runway ";
        } else if (w == "southeast" || w == "southwest") {
            piece = " Tower, Fly on base to runway ";
        } else if (w == "south") {
            piece = " Tower, Fly straight in runway ";
        }
        if (piece == nullptr) {
            return;  // the request waits for a word the table knows
        }
        Say(", " + a_.AirportIdent + piece + a_.RunwayName + ". " + kTower +
            "1-Acknowledge 2-Close ATC Services");
        p_.status = "Acknowledge enter traffic pattern";
    }

    void LandingClearance() {
        if (p_.compassWord == "south" && t_.RefDistanceNm < 9) {
            EnqueueLanding(t_, p_.callsign);
            Say(AckMenu(", You are cleared to land on runway " + a_.RunwayName + ". Number " +
                        std::to_string(t_.LandingQueue.size()) + " for landing"));
            p_.status = "Acknowledge Landing";
        }
    }

    // Within 2 NM of the runway start: another aircraft taking off, one landing ahead in the
    // sequence, or one standing on the runway sends the pilot around. An aircraft landing behind
    // him in the sequence does not: it would send every first arrival around.
    bool GoAroundDue() const {
        if (t_.RefDistanceNm >= 2) {
            return false;
        }
        const auto place = [&](const std::string& cs) {
            const auto it = std::find(t_.LandingQueue.begin(), t_.LandingQueue.end(), cs);
            return it == t_.LandingQueue.end() ? -1
                                               : static_cast<int>(it - t_.LandingQueue.begin());
        };
        const int mine = place(p_.callsign);
        for (const TrafficRecord& other : t_.Traffic) {
            if (other.callsign == p_.callsign) {
                continue;
            }
            if (other.status == "Takingoff" || occupied_) {
                return true;
            }
            if (other.status == "Landing") {
                const int theirs = place(other.callsign);
                if (theirs >= 0 && (mine < 0 || theirs < mine)) {
                    return true;
                }
            }
        }
        return false;
    }

    void RunwayExit() {
        if (NotAbove()) {
            Say(", Exit runway when able. " + std::string(kTower) + "1-Close ATC Services");
        }
        const int16_t lo = nav::NormalizeHeading(static_cast<int16_t>(t_.CompassCentre[0] - 10));
        const int16_t hi = nav::NormalizeHeading(static_cast<int16_t>(t_.CompassCentre[0] + 10));
        if (NotAbove() && !nav::HeadingInSweep(p_.heading, lo, hi)) {
            Say(ContactGround());
            p_.status = "Acknowledge contact ground";
            DequeueLanding(t_, p_.callsign);
        }
    }

    void Far() {
        if (p_.flightType == 0) {
            p_.pendingMenu.clear();
            p_.choice = 0;
            p_.flightType = 0;
            p_.frequency.clear();
            p_.status.clear();
            return;
        }
        if (p_.flightType != 1) {
            return;
        }
        const std::string status = AsciiLower(p_.status);
        if (status.find("contact") == std::string::npos && p_.status != "Landing" &&
            p_.status != "Takingoff") {
            ClosePilotServices(t_, p_);
        } else if (status.find("ground") != std::string::npos) {
            ClosePilotServices(t_, p_);
        } else if (p_.status == "Acknowledge contact departure" ||
                   p_.status == "Contact Departure") {
            Say(OnFrequency("Departure"));
            p_.status = "Contact Departure";
            p_.frequency = a_.ApproachFreq;
        } else if (p_.status == "Acknowledge contact ARTCC (DEPARTURE)" ||
                   p_.status == "Contact ARTCC (DEPARTURE)") {
            p_.pendingMenu.clear();
            p_.choice = 0;
            p_.status = "Departure";
            p_.frequency = a_.CenterFreq;
        } else if (p_.status == "Acknowledge contact approach" || p_.status == "Contact Approach") {
            Say(OnFrequency("Approach"));
            p_.status = "Contact Approach";
            p_.frequency = a_.ApproachFreq;
        } else if (p_.status == "Acknowledge contact ARTCC (GO AROUND)" ||
                   p_.status == "Contact ARTCC (GO AROUND)") {
            p_.pendingMenu.clear();
            p_.choice = 0;
            p_.status = "Missed Approach";
            p_.frequency = a_.CenterFreq;
        }
    }

    // The rows VFR and IFR share, apart from the termination text. Returns false for a status
    // neither has in common.
    // A departure still queued for take-off that climbs above the field without clearance.
    void LeaveQueueIfAirborne(const char* takeoffTermination) {
        if (Above()) {
            Terminate(takeoffTermination);
            DequeueTakeoff(t_, p_.callsign);
        }
    }

    bool SharedRow(const char* takeoffTermination) {
        const bool answer = p_.choice != 0;
        const std::string& s = p_.status;
        if (s == "Taxiing to runway") {
            if (!answer) {
                Say(Menu("1-Tune " + a_.AirportIdent + " Ground Frequency 2-Request " +
                         (p_.flightType == 0 ? "VFR" : "IFR") +
                         " Takeoff Clearance 3-Close ATC Services"));
                if (Above()) {
                    Terminate(takeoffTermination);
                }
                return true;
            }
            if (Chosen("Tune " + a_.AirportIdent + " Ground Frequency")) {
                Say(OnFrequency("Ground"));
                p_.status = "Taxiing to runway";
                p_.frequency = a_.GroundFreq;
            } else if (Chosen(std::string("Request ") + (p_.flightType == 0 ? "VFR" : "IFR") +
                              " Takeoff Clearance")) {
                TakeoffRequest();
            }
            Close();
            return true;
        }
        if (s == "Acknowledge Hold short") {
            if (!answer) {
                Say(HoldShort());
                LeaveQueueIfAirborne(takeoffTermination);
                return true;
            }
            if (Chosen("Acknowledge")) {
                Say(CloseOnly());
                p_.status = "Holding short in runway";
            }
            Close();
            return true;
        }
        if (s == "Holding short in runway") {
            if (!answer) {
                Say(CloseOnly());
                LeaveQueueIfAirborne(takeoffTermination);
                ReleaseFromHoldingShort();
                return true;
            }
            Close();
            return true;
        }
        if (s == "Acknowledge Takeoff") {
            if (!answer) {
                Show(Cleared());
                return true;
            }
            if (Chosen("Acknowledge")) {
                Say(CloseOnly());
                p_.status = "Takingoff";
            }
            Close();
            return true;
        }
        if (s == "Acknowledge Landing") {
            if (answer && Chosen("Acknowledge")) {
                Say(p_.flightType == 0
                        ? Menu("1-Cancel Landing 2-Report Go Around 3-Close ATC Services")
                        : Menu("1-Declare Missed Approach 2-Close ATC Services"));
                p_.status = "Landing";
            }
            Close();
            return true;
        }
        if (s == "Acknowledge contact ground") {
            AcknowledgeRow(ContactGround(), TuneGround(), "Contact Ground",
                           {takeoffTermination, true});
            return true;
        }
        if (s == "Contact Ground") {
            TuneRow(TuneGround(), "Tune " + a_.AirportIdent + " Ground Frequency",
                    {takeoffTermination, true}, [&] {
                        Say(OnFrequency("Ground"));
                        p_.status = "Contact Ground";
                        p_.frequency = a_.GroundFreq;
                    });
            return true;
        }
        return false;
    }

    void CancelLanding() {
        Say(Cancelled());
        p_.status.clear();
        DequeueLanding(t_, p_.callsign);
    }

    void Vfr() {
        constexpr const char* kTakeoffTermination =
            ", You were not cleared for take off. Tower Services terminated.";
        constexpr const char* kLandTermination =
            ", You were not cleared for land. Tower Services terminated.";
        if (SharedRow(kTakeoffTermination)) {
            return;
        }
        const bool answer = p_.choice != 0;
        const std::string& s = p_.status;
        if (s.empty()) {
            if (!answer) {
                if (Above()) {
                    Show(a_.ApproachFreq.empty() ? Menu("1-Request Full Stop Landing 2-Tune ARTCC "
                                                        "Frequency 3-Close ATC Services")
                                                 : Menu("1-Request Full Stop Landing 2-Tune "
                                                        "Approach Frequency 3-Close ATC Services"));
                } else if (Below()) {
                    p_.pendingMenu.clear();
                    p_.choice = 0;
                    p_.flightType = 0;
                    p_.frequency.clear();
                    p_.status.clear();
                }
                return;
            }
            if (Chosen("Request Full Stop Landing")) {
                PatternEntry();
            } else if (Chosen("Tune Approach Frequency")) {
                Say(OnFrequency("Approach"));
                p_.status.clear();
                p_.frequency = a_.ApproachFreq;
            } else if (Chosen("Tune ARTCC Frequency")) {
                Say(OnFrequency("ARTCC"));
                p_.status.clear();
                p_.frequency = a_.CenterFreq;
            }
            Close();
        } else if (s == "Takingoff") {
            if (!answer) {
                Show(CloseOnly());
                if (Above()) {
                    Say(CloseOnly());
                    p_.status.clear();
                    DequeueTakeoff(t_, p_.callsign);
                }
                return;
            }
            Close();
        } else if (s == "Acknowledge enter traffic pattern") {
            if (!answer) {
                if (Below()) {
                    Terminate(kLandTermination);
                }
                return;
            }
            if (Chosen("Acknowledge")) {
                Say(PatternMenu());
                p_.status = "Flying traffic pattern";
            }
            Close();
        } else if (s == "Flying traffic pattern") {
            if (!answer) {
                Show(PatternMenu());
                if (Below()) {
                    Terminate(kLandTermination);
                }
                LandingClearance();
                return;
            }
            if (Chosen("Cancel Landing")) {
                CancelLanding();
            }
            Close();
        } else if (s == "Landing") {
            if (!answer) {
                if (GoAroundDue()) {
                    Say(AckMenu(", Go around"));
                    p_.status = "Acknowledge going around";
                    DequeueLanding(t_, p_.callsign);
                } else {
                    RunwayExit();
                }
                return;
            }
            if (Chosen("Cancel Landing")) {
                CancelLanding();
            } else if (Chosen("Report Go Around")) {
                Say(", Roger. " + std::string(kTower) + "1-Cancel Landing 2-Close ATC Services");
                p_.status = "Going Around";
                DequeueLanding(t_, p_.callsign);
            }
            Close();
        } else if (s == "Acknowledge going around") {
            if (answer && Chosen("Acknowledge")) {
                Say(PatternMenu());
                p_.status = "Going Around";
            }
            Close();
        } else if (s == "Going Around") {
            if (!answer) {
                LandingClearance();
                return;
            }
            if (Chosen("Cancel Landing")) {
                CancelLanding();
            }
            Close();
        }
    }

    void Ifr() {
        constexpr const char* kTakeoffTermination =
            ", You were not cleared for take off. Canceling IFR and turning to VFR. Tower Services "
            "terminated.";
        constexpr const char* kLandTermination =
            ", You were not cleared for land. Canceling IFR and turning to VFR. Tower Services "
            "terminated.";
        if (SharedRow(kTakeoffTermination)) {
            return;
        }
        const bool answer = p_.choice != 0;
        const std::string& s = p_.status;
        const bool approach = !a_.ApproachFreq.empty();
        if (s == "Takingoff") {
            if (!answer) {
                Show(CloseOnly());
                if (Above()) {
                    Say(approach ? Departure() : Artcc());
                    p_.status = approach ? "Acknowledge contact departure"
                                         : "Acknowledge contact ARTCC (DEPARTURE)";
                    DequeueTakeoff(t_, p_.callsign);
                }
                return;
            }
            Close();
        } else if (s == "Acknowledge contact departure") {
            AcknowledgeRow(Departure(), TuneDeparture(), "Contact Departure", {});
        } else if (s == "Contact Departure") {
            TuneRow(TuneDeparture(), "Tune Departure Frequency", {}, [&] {
                Say(OnFrequency("Departure"));
                p_.status = "Contact Departure";
                p_.frequency = a_.ApproachFreq;
            });
        } else if (s == "Acknowledge contact ARTCC (DEPARTURE)") {
            AcknowledgeRow(Artcc(), TuneArtcc(), "Contact ARTCC (DEPARTURE)", {});
        } else if (s == "Contact ARTCC (DEPARTURE)") {
            TuneRow(TuneArtcc(), "Tune ARTCC Frequency", {}, [&] {
                p_.pendingMenu.clear();
                p_.choice = 0;
                p_.status = "Departure";
                p_.frequency = a_.CenterFreq;
            });
        } else if (s == "Approach") {
            if (!answer) {
                Show(CloseOnly());
                if (Below()) {
                    Terminate(kLandTermination);
                }
                LandingClearance();
                return;
            }
            Close();
        } else if (s == "Landing") {
            if (!answer) {
                if (GoAroundDue()) {
                    Say(approach ? AckMenu(", Go around. Contact Approach on " + a_.ApproachFreq +
                                           ". Good day")
                                 : AckMenu(", Go around. Contact ARTCC (" + a_.CenterFreq +
                                           "). Good day"));
                    p_.status = approach ? "Acknowledge contact approach"
                                         : "Acknowledge contact ARTCC (GO AROUND)";
                    DequeueLanding(t_, p_.callsign);
                } else {
                    RunwayExit();
                }
                return;
            }
            if (Chosen("Declare Missed Approach")) {
                Say(approach
                        ? AckMenu(", Roger. Contact Approach on " + a_.ApproachFreq + ". Good day")
                        : AckMenu(", Roger. Contact ARTCC (" + a_.CenterFreq + "). Good day"));
                p_.status = approach ? "Acknowledge contact approach"
                                     : "Acknowledge contact ARTCC (GO AROUND)";
                DequeueLanding(t_, p_.callsign);
            }
            Close();
        } else if (s == "Acknowledge contact approach") {
            AcknowledgeRow(AckMenu(", Contact Approach on " + a_.ApproachFreq + ". Good day"),
                           TuneApproach(), "Contact Approach", {kLandTermination, false});
        } else if (s == "Contact Approach") {
            TuneRow(TuneApproach(), "Tune Approach Frequency", {kLandTermination, false}, [&] {
                Say(OnFrequency("Approach"));
                p_.status = "Contact Approach";
                p_.frequency = a_.ApproachFreq;
            });
        } else if (s == "Acknowledge contact ARTCC (GO AROUND)") {
            AcknowledgeRow(Artcc(), TuneArtcc(), "Contact ARTCC (GO AROUND)",
                           {kLandTermination, false});
        } else if (s == "Contact ARTCC (GO AROUND)") {
            TuneRow(TuneArtcc(), "Tune ARTCC Frequency", {kLandTermination, false}, [&] {
                p_.pendingMenu.clear();
                p_.choice = 0;
                p_.status = "Missed Approach";
                p_.frequency = a_.CenterFreq;
            });
        }
    }

    // "Acknowledge ..." rows of the hand-offs: the message stands until acknowledged; a pilot who
    // comes below 300 ft meanwhile is terminated when `lowTermination` is given.
    void AcknowledgeRow(const std::string& message, const std::string& next, const char* nextStatus,
                        Termination termination) {
        if (p_.choice == 0) {
            Show(message);
            TerminateIf(termination);
            return;
        }
        if (Chosen("Acknowledge")) {
            Say(next);
            p_.status = nextStatus;
        }
        Close();
    }

    template <typename Tune>
    void TuneRow(const std::string& menu, const std::string& option, Termination termination,
                 Tune tune) {
        if (p_.choice == 0) {
            Show(menu);
            TerminateIf(termination);
            return;
        }
        if (Chosen(option)) {
            tune();
        }
        Close();
    }

    const ChosenAirport& a_;
    StationTables& t_;
    TrafficRecord& p_;
    bool occupied_;
};

}  // namespace

void RunTowerController(StationContext& context, TrafficRecord& pilot) {
    Tower(context, pilot).Run();
}

}  // namespace corvane::station
