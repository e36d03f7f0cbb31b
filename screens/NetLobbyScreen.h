#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "engine/input/KeySet.h"
#include "ui/MenuScreen.h"

class EditField;
class FacePicture;
class GameState;
class ListBox;
class TextBox;

// The front menu and the whole network lobby: one screen of twelve panels,
// one current and others kept open beneath it. Each panel brings its own
// event-map page, loaded when the panel has finished opening. The front
// menu leads to a single-player career, to multiplayer or out; the pilot
// panels list, show, load and create multiplayer pilots.
class NetLobbyScreen : public MenuScreen {
public:
    static constexpr const char* kScreenName = "NETOPT";
    // Kept lines of the chat box: remote chat would grow it without bound.
    static constexpr int32_t kChatLineLimit = 200;
    static constexpr int32_t kMaxPlayers = 8;
    static constexpr int32_t kWaitRows = 8;
    // Bytes of the typed text for a pilot's name or callsign, and for the
    // screen at large.
    static constexpr int32_t kPilotTextBytes = 24;
    static constexpr int32_t kScreenTextBytes = 48;
    static constexpr const char* kSessionNameFormat = "%s's game";
    static constexpr const char* kDefaultProvider = "IPX";

    // Events of the front menu's page.
    enum MenuEvent : uint32_t { kMenuQuit = 1, kMenuSingle = 2, kMenuMulti = 3, kMenuExit = 4, kMenuHelp = 6,
                                kMenuFocusNext = 7, kMenuFocusPrevious = 8, kMenuClick = 9 };
    // Events of the pilot selection's page.
    enum SelectEvent : uint32_t { kSelLoad = 0, kSelCreate = 1, kSelExit = 2, kSelList = 3, kSelHelp = 5,
                                  kSelFocusNext = 6, kSelFocusPrevious = 7, kSelClick = 8, kSelClear = 9,
                                  kSelLineUp = 10, kSelLineDown = 11, kSelPageBack = 12, kSelPageForward = 13,
                                  kSelUp = 14, kSelDown = 15 };
    // Events of the pilot creation's page.
    enum CreateEvent : uint32_t { kCreName = 0, kCreCallsign = 1, kCreFaceLeft = 2, kCreFaceRight = 3,
                                  kCreLogoLeft = 4, kCreLogoRight = 5, kCreAccept = 6, kCreExit = 7, kCreHelp = 10,
                                  kCreFocusNext = 11, kCreFocusPrevious = 12, kCreClick = 13 };
    // Events of the create-or-join page.
    enum MultiEvent : uint32_t { kMultiCreate = 0, kMultiJoin = 1, kMultiCancel = 2, kMultiHelp = 4,
                                 kMultiFocusNext = 5, kMultiFocusPrevious = 6, kMultiClick = 7 };
    // Events of the connection page: the four providers, then Cancel.
    enum ConnectEvent : uint32_t { kConnIpx = 0, kConnTcp = 1, kConnModem = 2, kConnSerial = 3, kConnCancel = 4,
                                   kConnHelp = 6, kConnFocusNext = 7, kConnFocusPrevious = 8, kConnClick = 9 };
    // Events of the session list's page.
    enum SessionEvent : uint32_t { kSesAccept = 0, kSesCancel = 1, kSesList = 2, kSesHelp = 4, kSesFocusNext = 5,
                                   kSesFocusPrevious = 6, kSesClick = 7, kSesClear = 8, kSesLineUp = 9,
                                   kSesLineDown = 10, kSesPageBack = 11, kSesPageForward = 12, kSesUp = 13,
                                   kSesDown = 14 };
    enum CreateGameEvent : uint32_t { kGameCoop = 0, kGameDeath = 1, kGameCancel = 2, kGameHelp = 4,
                                      kGameFocusNext = 5, kGameFocusPrevious = 6, kGameClick = 7 };
    enum CoopEvent : uint32_t { kCoopScout = 0, kCoopCapture = 3, kCoopTeams = 4, kCoopOk = 5, kCoopCancel = 6,
                                kCoopNew = 7, kCoopDifficulty = 8, kCoopHelp = 10, kCoopFocusNext = 11,
                                kCoopFocusPrevious = 12, kCoopStepLeft = 13, kCoopStepRight = 14, kCoopClick = 15,
                                kCoopArrowUp = 17, kCoopArrowDown = 18 };
    enum DeathEvent : uint32_t { kDeathNormal = 0, kDeathTag = 1, kDeathAsteroids = 3, kDeathAsterSlide = 4,
                                 kDeathMines = 5, kDeathMineSlide = 6, kDeathEnemies = 7, kDeathEnemySlide = 8,
                                 kDeathBase = 9, kDeathTeams = 10, kDeathOk = 11, kDeathCancel = 12, kDeathHelp = 14,
                                 kDeathFocusNext = 15, kDeathFocusPrevious = 16, kDeathStepLeft = 17,
                                 kDeathStepRight = 18, kDeathClick = 19, kDeathArrowUp = 21, kDeathArrowDown = 22 };
    // How a panel's strip follows the pointer: the inputs that step it, the
    // step in pixels and the pointer's x range for a step, both ends excluded.
    struct StripSteps {
        uint32_t click, left, right;
        int32_t pixels, leftEdge, rightEdge;
    };
    static constexpr StripSteps kDifficultySteps{kCoopClick, kCoopStepLeft, kCoopStepRight, 40, 369, 545};
    static constexpr StripSteps kAmountSteps{kDeathClick, kDeathStepLeft, kDeathStepRight, 20, 438, 575};
    enum TeamEvent : uint32_t { kTeamJoin = 0, kTeamCancel = 1, kTeamCreate = 2, kTeamLines = 3, kTeamHelp = 5,
                                kTeamFocusNext = 6, kTeamFocusPrevious = 7, kTeamClick = 8, kTeamForward = 14,
                                kTeamBack = 15 };
    enum TeamCreateEvent : uint32_t { kTcLogoLeft = 0, kTcLogoRight = 1, kTcName = 2, kTcAccept = 3, kTcCancel = 4,
                                      kTcHelp = 7, kTcFocusNext = 8, kTcFocusPrevious = 9, kTcClick = 10 };
    enum WaitEvent : uint32_t { kWaitCancel = 0, kWaitStart = 1, kWaitFirstSlot = 2, kWaitLastSlot = 9,
                                kWaitHelp = 11, kWaitFocusNext = 12, kWaitFocusPrevious = 13, kWaitClick = 14,
                                kWaitClearReady = 15, kWaitChatUp = 16, kWaitChatDown = 17, kWaitSendChat = 18 };
    static constexpr int32_t kMaxTeams = 2;
    static constexpr int32_t kTeamNameBytes = 16;
    static constexpr int32_t kChatTextBytes = 28;
    static constexpr const char* kTeamRecordName = "NONE.";
    static constexpr const char* kTwoTeamsOnly = "Only two teams are allowed, can't create.";
    // Another's team took the place first: the pilot is in no team until it picks one.
    static constexpr const char* kTeamNotMade = "Your team could not be made, join one of the teams.";
    // The join waits this long, pumping the network, between asks for the game's settings.
    static constexpr uint32_t kGameInfoWaitMs = 750;
    // Waits before the player is asked whether to go on waiting.
    static constexpr int32_t kGameInfoWaits = 4;
    static constexpr const char* kHostedMission = "Rnd 0";

    explicit NetLobbyScreen(const char* screenName = kScreenName);
    ~NetLobbyScreen() override;

    void Open() override;
    void Close() override;
    void Update() override;
    int32_t HandleEvent(uint16_t code) override;
    // The host's world waits while the waiting room shows.
    bool HoldsSimulation() const override { return currentPanel == waitPanel; }
    bool EndsGame(uint16_t code) const override { return currentPanel == mainPanel && code == EventKey(kMenuExit); }

    // A member's team is the host's to make: the lobby waits on "Accept"
    // for its word. The team the host holds the pilot in, each time a
    // record says, takes it on once the host made the team asked for;
    // a team not made brings it back to the team list, told so.
    void HearOwnTeam(int32_t team);
    void HearTeamNotMade();
    // The name this machine's pilot flies under in the session (the host
    // may have given it a number), else the career's.
    const char* OwnPilotName() const;

    // A session the enumeration found: one line of the session list, its
    // name exactly; the counts are not shown.
    void AddGame(uint32_t maxPlayers, uint32_t currentPlayers, const char* sessionName);
    // One line at the end of the chat box, shown at its bottom.
    void AddChatLine(const char* text);
    // Cooperative games only: every player in the table ready (an empty table is).
    bool AllTeamPlayersReady() const;
    // Lists emptied, pictures back to face 0 and logo 83.
    void ResetControls();
    // After a game: the front menu, no panels beneath, no game settings.
    void ResetAfterGame();
    // Leaving the network game from the option pages (New Session, New
    // Game): the lobby as after a game, and the session closed.
    static void LeaveSession(GameState& game);
    // The multiplayer start opens on the pilot selection.
    void ShowPilotSelect();
    // The briefing arrows of the cooperative and death-match panels: a page of the description up or down.
    void ScrollBriefing(ArtObject* panel, bool up);
    void ShowCoopBriefing();
    void ShowDeathMatchBriefing();
    void LoadPageEventMap(const ArtObject* panel);
    // The pilot files beside the configuration file, sorted by file name,
    // each listed under its stored name.
    void FillPilotList();
    // The multiplayer catalogue: every player hull and every item but two.
    void FillRequisitionCatalogue();
    // A panel switch, carried out by the passes' transition steps: `anchor`
    // (null or the current panel) stays open beneath the target.
    void SwitchTo(ArtObject* target, ArtObject* anchor = nullptr);

    // The page of a panel's event map; null for a panel not of this screen.
    const char* PageOf(const ArtObject* panel) const;
    // The file a pilot-list line came from; empty when none.
    std::string PilotFileOf(int32_t line) const;

    // True while the display wants no message boxes over it; null: boxes
    // are shown. A box not shown counts as cancelled.
    static inline bool (*messageBoxesOff)() = nullptr;
    // Told of each line the chat box takes; null: nobody.
    static inline void (*chatLineAdded)(const char* text) = nullptr;
    // Told of each notice the lobby puts before the player (a refusal); null: nobody.
    static inline void (*noticeShown)(const char* text) = nullptr;
    // Told as a row of a team game's waiting room comes to show a pilot in
    // a team; null: nobody.
    static inline void (*teamRowShown)(const char* pilot, const char* team) = nullptr;

    std::string pendingMission;   // empty: none
    std::string chatLine;
    std::string provider = kDefaultProvider;
    int32_t createFlag = 0;
    ArtObject* savedPanel = nullptr;

    ArtObject* mainPanel = nullptr;   // the twelve are owned through artObjects
    ArtObject* multiPanel = nullptr;
    ArtObject* teamPanel = nullptr;
    ArtObject* teamCreatePanel = nullptr;
    ArtObject* sessionPanel = nullptr;
    ArtObject* joinPanel = nullptr;
    ArtObject* createPanel = nullptr;
    ArtObject* deathPanel = nullptr;
    ArtObject* coopPanel = nullptr;
    ArtObject* pilotCreatePanel = nullptr;
    ArtObject* pilotSelectPanel = nullptr;
    ArtObject* waitPanel = nullptr;

protected:
    void PanelShown() override;

private:
    template <typename T>
    T* Find(const ArtObject* panel, const char* controlName) const;
    // The common pattern of a hot spot: true when its click is new (sound
    // and pressed look done); else help or hover look.
    bool Hotspot(uint16_t code, ArtObject* panel, const char* buttonName, const char* topic, uint32_t click,
                 uint32_t help, int32_t clickSound);
    int32_t HandleFrontMenu(uint16_t code, uint32_t event);
    void HandleSelect(uint16_t code, uint32_t event);
    void HandleCreate(uint16_t code, uint32_t event);
    void ShowPilot(const char* fileName);
    void ToggleEntry(const char* boxName, const char* buttonName, const char* otherBox, const char* otherButton);
    void AcceptPilot();
    void StartSession();
    void LoadBackground();
    int32_t HandleMulti(uint16_t code, uint32_t event);
    void HandleConnect(uint16_t code, uint32_t event);
    int32_t HandleSessions(uint16_t code, uint32_t event);
    void ChooseProvider(const char* keyword, const char* failure);
    // 0 when the join leads straight into the game.
    int32_t JoinSelected();
    // False when the player gave up waiting for the host's settings.
    bool AwaitGameInfo();
    // The link is closed and the provider made again, so the list can be used anew.
    void DropLink();
    // The sessions on the chosen connection, looked for and listed.
    void ListGames();
    // A game hosted or joined is one of the career's missions; one left
    // from the lobby before it began is none, and its settings go.
    void CountGame();
    void ForgetGame();
    void HostPending();
    int32_t HandleCreateGame(uint16_t code, uint32_t event);
    void HandleCoop(uint16_t code, uint32_t event);
    int32_t HandleDeath(uint16_t code, uint32_t event);
    int32_t HandleTeam(uint16_t code, uint32_t event);
    int32_t HandleTeamCreate(uint16_t code, uint32_t event);
    bool Latched(const ArtObject* panel, const char* buttonName) const;
    void Toggle(ArtObject* panel, const char* buttonName);
    void SetUpCoop();
    // A click picks the strip's segment under the pointer; a step moves the
    // pointer within the range and picks the segment it lands on.
    void FollowPointer(const ArtObject* panel, const char* stripName, const StripSteps& steps);
    void ConfirmedGame();
    // What follows a team chosen or made: the waiting room, or (0) the hangar.
    int32_t EnterTeamGame();
    int32_t CreateTeam();
    void LeaveTeamCreation();
    // The team list as the game's settings hold the teams, the selection kept.
    void FillTeamList();
    // The refusal of a team, shown while the team list is.
    void ShowTeamNotice();
    void TellTeamNotice(const char* text);
    int32_t HandleWait(uint16_t code, uint32_t event);
    void ToggleReady(uint32_t event, bool clear);
    void SendChat();
    void LeaveRoom();
    void UpdateRoom();
    // A team game's row as it shows now: told when it comes to show a pilot in a team.
    void TellRow(int32_t row, const char* pilot, const char* team);
    void SendUpdateTeam(const char* playerName, const char* teamName, int32_t team, int32_t logo, int32_t ready);
    void EmptyBox(const ArtObject* panel, const char* controlName);

    std::vector<std::string> pilotFiles_;   // the file of each pilot-list line
    bool gameCounted_ = false;              // the game now set up or joined is counted
    std::string teamNotice_;                // empty: none
    int32_t askedTeam_ = -1;                // a member's: the team it asked the host to make; -1 none
    std::string shownRows_[kWaitRows];      // each waiting-room row's pilot and team as last told
};
