#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <initializer_list>
#include <string>
#include <vector>

#include "engine/IffFile.h"
#include "game/CareerRecord.h"
#include "game/MessageEntry.h"
#include "mission/FlightGoals.h"
#include "mission/Goal.h"
#include "mission/MissionFile.h"
#include "mission/MissionSetUp.h"
#include "screens/rooms/MissionsScreen.h"
#include "shell/LaunchOptions.h"
#include "shell/Startup.h"
#include "tests/shell/SampleScriptRun.h"
#include "tests/support/GoldenImage.h"
#include "tools/mkdata/CampaignData.h"
#include "tools/mkdata/MissionRecords.h"
#include "tools/mkdata/RandomData.h"

namespace {

// The training's goals as the run tells them at launch: id, kind, text.
const char* const kTrainingGoals[] = {"goal 1 5 \"Fly to the Outer Beacon\"", "goal 2 6 \"Back within 90 seconds\"",
                                      "goal 3 5 \"Return home\""};

// The line the run prints at its end about the career.
std::string CareerLine(int32_t missions, int32_t credits, uint32_t trophies, const char* offers) {
    char line[256];
    std::snprintf(line, sizeof line, "Career: missions flown %d, credits %d, trophies 0x%04X, accepted row -1, offers %s\n",
                  missions, credits, unsigned(trophies), offers);
    return line;
}

// A committed script played whole on the sample tree: the run's status and
// standard output, or why it could not start.
struct PlayedScript {
    int status = -1;
    std::string out;
    std::string error;
};

PlayedScript Play(SampleScriptRun& run, const char* script) {
    PlayedScript played;
    LaunchOptions options;
    if (!run.Prepare(script, &options, &played.error)) return played;
    testing::internal::CaptureStdout();
    played.status = RunGame(options);
    played.out = testing::internal::GetCapturedStdout();
    return played;
}

// The committed script on the sample tree, as a person runs it with
// `./run.sh --headless --script tests/scripts/campaign.txt`: a new career,
// the training offer accepted in the war room's computer, launched, flown
// by the flight keys out to the beacon and home until its goals are met,
// landed, its debriefing read, and the game left through the quit dialog.
// The career is read from the line the run prints at its end.
TEST(CampaignPath, ANewCareerFliesTheTrainingAndComesBackPaid) {
    SampleScriptRun run;
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(run.Prepare("campaign.txt", &options, &error)) << error;
    const std::string flight = run.dir.Str() + "/flight.png";
    options.shots.push_back({250, flight});
    options.seed = 7;
    testing::internal::CaptureStdout();
    const int status = RunGame(options);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(run.boxes.Boxes().empty());
    // The goals told at launch; the beacon, then home within the time
    // limit, which meets the limit too; the flight over a few seconds after
    // the outcome, then the landing.
    const std::vector<int64_t> over = FlightsOver(out);
    ASSERT_EQ(over.size(), 1u) << out;
    EXPECT_GT(over[0], int64_t(flight_goals::kEndDelayMs)) << out;
    EXPECT_LT(over[0], int64_t(kTrainingTimeMs)) << out;
    const std::string overLine = FlightOverLine(over[0]);
    EXPECT_TRUE(InOrder(out, {"mode 2", kTrainingGoals[0], kTrainingGoals[1], kTrainingGoals[2], "goal 1 met", "goal 3 met",
                              "goal 2 met", "outcome won", overLine.c_str(), "mode 4", "screen HANGAR"}))
        << out;
    EXPECT_EQ(out.find("\noutcome failed\n"), std::string::npos) << out;
    // The command line's dice fly the career's flight, not the clock's.
    EXPECT_TRUE(InOrder(out, {"mode 2", "Flight 1: dice seeded with 7", kTrainingGoals[0]})) << out;
    // The quit dialog's Yes ended the game, not the script's closing quit.
    EXPECT_NE(out.find("Main loop ended in mode 7\n"), std::string::npos) << out;
    EXPECT_NE(out.find(CareerLine(1, CareerRecord::kStartingFunds + kTrainingAward, kTrainingTrophy, "\"Raider Strike\"")),
              std::string::npos)
        << out;

    // The flight's ship has its systems as a mission flown alone has them:
    // its radar starts active, and the HUD's "ACTIVE" is lit green.
    RgbImage picture;
    ASSERT_TRUE(ReadStoredPng(flight, &picture));
    ASSERT_EQ(picture.width, 640);
    int32_t lit = 0;
    for (int32_t y = 8; y < 20; ++y) {
        for (int32_t x = 72; x < 120; ++x) {
            const uint8_t* const rgb = &picture.rgb[size_t(y * picture.width + x) * 3];
            lit += rgb[1] > 200 && rgb[0] < 100 ? 1 : 0;
        }
    }
    EXPECT_GT(lit, 0) << "no lit pixel in the radar's ACTIVE label";
}

// The same career with the ship left idle: the flight keys and the wait
// for the beacon are taken out of the committed script, which waits for
// the landing either way. The time limit runs out, the flight ends
// failed, and the career has flown a mission that paid nothing and offers
// the training again.
TEST(CampaignPath, AnIdleTrainingFlightFailsAndPaysNothing) {
    SampleScriptRun run;
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(run.Prepare("campaign.txt", &options, &error)) << error;
    std::ifstream committed(options.script);
    ASSERT_TRUE(committed) << options.script;
    std::string idle;
    int32_t dropped = 0;
    for (std::string line; std::getline(committed, line);) {
        if (line.find(" press ") != std::string::npos || line.find(" release ") != std::string::npos ||
            line.find(" wait goal ") != std::string::npos) {
            ++dropped;
            continue;
        }
        idle += line + "\n";
    }
    ASSERT_GT(dropped, 0) << "the committed script flies no more by its keys";
    run.dir.WriteFile("campaign-idle.txt", idle);
    options.script = run.dir.Str() + "/campaign-idle.txt";
    testing::internal::CaptureStdout();
    const int status = RunGame(options);
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 0);
    EXPECT_TRUE(run.boxes.Boxes().empty());
    // The flight runs out its time limit, and ends a few seconds after.
    const std::vector<int64_t> over = FlightsOver(out);
    ASSERT_EQ(over.size(), 1u) << out;
    EXPECT_GE(over[0], int64_t(kTrainingTimeMs + flight_goals::kEndDelayMs)) << out;
    const std::string overLine = FlightOverLine(over[0]);
    EXPECT_TRUE(InOrder(out, {"mode 2", kTrainingGoals[0], "goal 2 failed", "outcome failed", overLine.c_str(), "mode 4",
                              "screen HANGAR"}))
        << out;
    for (const char* met : {"\ngoal 1 met\n", "\ngoal 2 met\n", "\ngoal 3 met\n"}) {
        EXPECT_EQ(out.find(met), std::string::npos) << out;
    }
    EXPECT_NE(out.find("Main loop ended in mode 7\n"), std::string::npos) << out;
    EXPECT_NE(out.find(CareerLine(1, CareerRecord::kStartingFunds, 0, "\"Training Flight\"")), std::string::npos) << out;
}

// The committed script that plays the sample campaign from a new career
// to its end: four missions won by their keys, the strike's salvage taken
// from the page its landing shows, the Lancer repaired
// between the fights, each debriefing read and, last, the e-mail that
// tells the campaign's end; every award paid and no offer left.
TEST(CampaignPath, ANewCareerFliesTheSampleCampaignToItsEnd) {
    SampleScriptRun run;
    const PlayedScript played = Play(run, "campaign-end.txt");
    ASSERT_TRUE(played.error.empty()) << played.error;
    const std::string& out = played.out;
    EXPECT_EQ(played.status, 0);
    EXPECT_TRUE(run.boxes.Boxes().empty());
    std::vector<std::string> road;
    for (const char* mission : {"Training", "Raider Strike", "Beacon Patrol", "Raider Sweep"}) {
        road.push_back("outcome won");
        // The strike's kill brings salvage, whose page the landing shows.
        if (std::string(mission) == "Raider Strike") road.push_back("screen SALVAGE");
        road.push_back(std::string("read \"") + mission + " Debriefing\": ");
    }
    size_t at = 0;
    for (const std::string& line : road) {
        at = out.find("\n" + line, at);
        ASSERT_NE(at, std::string::npos) << line << "\n" << out;
        ++at;
    }
    EXPECT_NE(out.find(std::string("\nread \"") + kCampaignEndTitle + "\": ", at), std::string::npos) << out;
    EXPECT_EQ(out.find("\noutcome failed\n"), std::string::npos) << out;
    EXPECT_NE(out.find("Main loop ended in mode 7\n"), std::string::npos) << out;
    const uint32_t trophies = kTrainingTrophy | kStrikeTrophy | kPatrolTrophy | kSweepTrophy;
    EXPECT_NE(out.find("Career: missions flown 4, "), std::string::npos) << out;
    char tail[96];
    std::snprintf(tail, sizeof tail, ", trophies 0x%04X, accepted row -1, offers none\n", unsigned(trophies));
    EXPECT_NE(out.find(tail), std::string::npos) << out;
}

// The committed script that loses the training by leaving the ship idle,
// reads why, is offered the training again and flies it home in time.
TEST(CampaignPath, ALostMissionIsOfferedAgainAndWon) {
    SampleScriptRun run;
    const PlayedScript played = Play(run, "campaign-retry.txt");
    ASSERT_TRUE(played.error.empty()) << played.error;
    const std::string& out = played.out;
    EXPECT_EQ(played.status, 0);
    const std::string incomplete = "read \"Training Incomplete\": ";
    const std::string debriefing = "read \"Training Debriefing\": ";
    const size_t lost = out.find("\noutcome failed\n");
    const size_t told = out.find("\n" + incomplete, lost);
    const size_t won = out.find("\noutcome won\n", told);
    ASSERT_NE(lost, std::string::npos) << out;
    ASSERT_NE(told, std::string::npos) << out;
    ASSERT_NE(won, std::string::npos) << out;
    EXPECT_NE(out.find("\n" + debriefing, won), std::string::npos) << out;
    // Then shot down in the strike: Y on the restart page flies it again, won; the lost flight counts for nothing.
    EXPECT_TRUE(InOrder(out.substr(won), {"outcome failed", "screen RESTART", "mode 2", "goal 1 1 \"Destroy the raiders\"",
                                          "outcome won"})) << out;
    EXPECT_NE(out.find(CareerLine(3, CareerRecord::kStartingFunds + kTrainingAward + kStrikeAward,
                                  kTrainingTrophy | kStrikeTrophy, "\"Beacon Patrol\"")),
              std::string::npos)
        << out;
}

// The training's goals with the beacon misspelt, so that the leg out
// flies to a beacon the mission does not have, with the offer of itself
// that a new career's first load brings.
Status WriteTrainingToNowhere(const std::string& path) {
    IffFile iff(0);
    Status status = iff.OpenFile(path.c_str(), kOpenWrite | kOpenCreate);
    if (status == kStatusOk) status = iff.BeginForm(mission_file::kForm);
    status = PutRecord(iff, mission_file::kHeader, MissionHeader(1000.0f), status);
    status = PutRecord(iff, mission_file::kPlayer, PlayerRecord("P101", "Alpha"), status);
    status = PutRecord(iff, mission_file::kWayPoint, NavPointRecord("Home", 0.0f, 0.0f, 0.0f), status);
    status = PutRecord(iff, mission_file::kGoal, GoalRecord(1, Goal::kTravel, "", "Nowhere", "Fly to Nowhere", 300.0f, 3), status);
    status = PutRecord(iff, mission_file::kGoal,
                       GoalRecord(2, Goal::kFinishIn, "", "", "Back within 90 seconds", 0.0f, 3, {.timeMs = kTrainingTimeMs}),
                       status);
    status = PutRecord(iff, mission_file::kGoal, GoalRecord(3, Goal::kTravel, "", "Home", "Return home", 400.0f, -1, {.active = 0}),
                       status);
    MessageEntry offer;
    std::strncpy(offer.missionName, kTrainingMissionFile, MessageEntry::kNameBytes);
    offer.list = MessageEntry::kEmail;
    offer.kind = MessageEntry::kKindOffer;
    offer.active = MessageEntry::kShown;
    offer.conditions[MessageEntry::kOutcome] = MessageEntry::kFirstLoad;
    offer.title = "Training Flight";
    offer.launchFile = kTrainingMissionFile;
    status = PutBytes(iff, MessageEntry::kChunk, offer.Encode(), status);
    if (status == kStatusOk) status = iff.Ascend();
    const Status closed = iff.CloseFile();
    return status != kStatusOk ? status : closed;
}

// A new career's training offer that cannot be flown, accepted in the
// missions reader as the committed script does it: the reader says so and
// why, the first reason (the misspelt leg the others follow from) first,
// in lines a script can wait for; the refusal is on standard error and in
// the log, and nothing is launched.
TEST(CampaignPath, AnOfferThatCannotBeFlownIsToldInTheMissionsReader) {
    SampleScriptRun run;
    LaunchOptions options;
    std::string error;
    ASSERT_TRUE(run.Prepare("campaign.txt", &options, &error)) << error;
    ASSERT_EQ(WriteTrainingToNowhere(run.dir.Str() + "/missions/" + kTrainingMissionFile), kStatusOk);
    std::ifstream committed(options.script);
    std::string script;
    for (std::string line; std::getline(committed, line) && script.find("at 170 click 405 452\n") == std::string::npos;) {
        script += line + "\n";   // up to the offer accepted
    }
    const std::string cannotFly = std::string("message \"") + MissionsScreen::kCannotFlyText + "\"";
    run.dir.WriteFile("accept-nowhere.txt", script + "at 171 wait " + cannotFly + "\nat 180 quit\n");
    options.script = run.dir.Str() + "/accept-nowhere.txt";
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const int status = RunGame(options);
    const std::string err = testing::internal::GetCapturedStderr();
    const std::string out = testing::internal::GetCapturedStdout();
    EXPECT_EQ(status, 0) << err;
    const std::string refusal = std::string("goal 1 \"Fly to Nowhere\": ") + set_up_refusal::kNoDestination;
    const std::string told = "message \"" + refusal + "\"";
    const std::string then = std::string("message \"goal 2 \"Back within 90 seconds\": ") + set_up_refusal::kNothingToFinish + "\"";
    EXPECT_TRUE(InOrder(out, {"screen FRAME", cannotFly.c_str(), told.c_str(), then.c_str()})) << out;
    EXPECT_NE(out.find("\nMission training.uli: " + refusal + "\n"), std::string::npos) << out;
    EXPECT_NE(err.find("vorn: training.uli: " + refusal + "\n"), std::string::npos) << err;
    EXPECT_EQ(out.find("\nmode 2\n"), std::string::npos) << out;
}

}  // namespace
