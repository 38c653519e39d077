#include <gtest/gtest.h>

#include "station/PilotAnswers.h"

namespace corvane::station {
namespace {

constexpr const char* kName = "BOEING FLD";

TEST(PilotAnswers, BeforeServiceTheAirportNameMustComeFirst) {
    TrafficRecord p;
    EXPECT_EQ(ApplyPilotAnswer(p, "1", kName), AnswerResult::Ignored);
    EXPECT_EQ(p.choice, 0);
    EXPECT_EQ(ApplyPilotAnswer(p, "boeing fld,1", kName), AnswerResult::Applied);
    EXPECT_EQ(p.choice, 1);
    EXPECT_EQ(ApplyPilotAnswer(p, "Boeing Fld 2", kName), AnswerResult::Applied);  // any separator
    EXPECT_EQ(p.choice, 2);
    EXPECT_EQ(ApplyPilotAnswer(p, "BOEING FLD,10", kName), AnswerResult::Applied);  // "10" < "9"
    EXPECT_EQ(p.choice, 10);
    EXPECT_EQ(ApplyPilotAnswer(p, "BOEING FLD,9", kName), AnswerResult::Ignored);  // not below "9"
    EXPECT_EQ(ApplyPilotAnswer(p, "BOEING FLD,yes", kName), AnswerResult::Ignored);
    EXPECT_EQ(ApplyPilotAnswer(p, "RENTON,1", kName), AnswerResult::Ignored);
    EXPECT_EQ(ApplyPilotAnswer(p, "BOEING", kName), AnswerResult::Ignored);
    EXPECT_EQ(p.choice, 10);
}

TEST(PilotAnswers, BelowNineButNotANumberFailsAndKeepsTheChoice) {
    TrafficRecord p;
    p.choice = 3;
    EXPECT_EQ(ApplyPilotAnswer(p, "boeing fld,#", kName), AnswerResult::ConversionFailed);
    EXPECT_EQ(ApplyPilotAnswer(p, "boeing fld,", kName), AnswerResult::ConversionFailed);
    EXPECT_EQ(ApplyPilotAnswer(p, "boeing fld", kName), AnswerResult::ConversionFailed);
    p.atcActive = 1;
    EXPECT_EQ(ApplyPilotAnswer(p, "1.5", kName), AnswerResult::ConversionFailed);
    EXPECT_EQ(ApplyPilotAnswer(p, "300", kName), AnswerResult::ConversionFailed);  // not a Byte
    EXPECT_EQ(ApplyPilotAnswer(p, "-1", kName), AnswerResult::ConversionFailed);
    EXPECT_EQ(ApplyPilotAnswer(p, "", kName), AnswerResult::ConversionFailed);
    EXPECT_EQ(p.choice, 3);
    EXPECT_EQ(ApplyPilotAnswer(p, "255", kName), AnswerResult::Applied);
    EXPECT_EQ(p.choice, 255);
}

TEST(PilotAnswers, InServiceTheNumberStandsAlone) {
    TrafficRecord p;
    p.atcActive = 1;
    EXPECT_EQ(ApplyPilotAnswer(p, "2", kName), AnswerResult::Applied);
    EXPECT_EQ(p.choice, 2);
    EXPECT_EQ(ApplyPilotAnswer(p, "boeing fld,1", kName), AnswerResult::Ignored);  // 'b' > '9'
    EXPECT_EQ(p.choice, 2);
    p.atcActive = 2;  // neither state: ignored
    EXPECT_EQ(ApplyPilotAnswer(p, "1", kName), AnswerResult::Ignored);
    EXPECT_EQ(p.choice, 2);
}

TEST(PilotAnswers, SayAgainMarksTheMessageOnce) {
    TrafficRecord p;
    p.atcActive = 1;
    p.pendingMenu = "N1. Cleared. 1-Acknowledge";
    p.choice = 1;
    EXPECT_EQ(ApplyPilotAnswer(p, "r", kName), AnswerResult::Applied);
    EXPECT_EQ(p.pendingMenu, "N1. Cleared. 1-Acknowledge (Say Again)");
    EXPECT_EQ(p.choice, 0);
    p.choice = 1;
    EXPECT_EQ(ApplyPilotAnswer(p, "R", kName), AnswerResult::Ignored);
    EXPECT_EQ(p.pendingMenu, "N1. Cleared. 1-Acknowledge (Say Again)");
    EXPECT_EQ(p.choice, 1);
    TrafficRecord notInService;
    notInService.pendingMenu = "welcome";
    EXPECT_EQ(ApplyPilotAnswer(notInService, "r", kName), AnswerResult::Ignored);
    EXPECT_EQ(notInService.pendingMenu, "welcome");
}

}  // namespace
}  // namespace corvane::station
