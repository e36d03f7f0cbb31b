#pragma once
#include <cstdint>
#include <string>

#include "engine/DynArray.h"
#include "engine/EngineAllocation.h"
#include "net/DirectPlayLink.h"
#include "net/NetPilotBounds.h"
#include "objects/space/ObjectLink.h"

class EquipmentItem;
class NetPacket;
class SpaceObject;

// A share of something a peer may ask for, counted in windows of the
// engine's clock (the window's number: ms / its length).
struct NetRation {
    uint32_t window = 0;
    int32_t taken = 0;
    // One more in the window of `now`: false, and nothing counted, once `share` were taken in it.
    bool Take(uint32_t now, uint32_t windowMs, int32_t share);
    // Whether the window of `now` has no share left.
    bool Spent(uint32_t now, uint32_t windowMs, int32_t share) const;
};

// One player of the session's table.
struct NetPlayer {
    char* name = nullptr;   // owned; null while free
    uint32_t inUse = 0;
    uint32_t dpid = 0;
    int32_t shipUoid = -1;
    uint32_t idAcked = 0;
    int32_t score = 0;
    uint32_t isIt = 0;
    int32_t kills = 0;
    int32_t careerKills = 0;
    int32_t careerMissions = 0;
    int32_t careerAccuracy = 0;
    int32_t face = 0;
    uint32_t ready = 0;
    int32_t team = -1;
    bool madeTeam = false;   // the host's: this player has made its one team
    int32_t salvaged = 0;   // salvage items taken in; never more than `kills`
    // Ships and objects made at this player's request, each counted in a
    // window of the engine's clock (the window's number: ms / its length).
    uint32_t shipWindow = 0;
    uint32_t objectWindow = 0;
    int32_t shipsMade = 0;
    int32_t objectsMade = 0;
    // The host's: what this player's machine sent, each packet of a
    // MEGAPACKET counted, and the costly things it asked for.
    NetRation packets;
    NetRation projectiles;
    NetRation chatLines;
    NetRation gameInfoRequests;
    // The host's watch on the player's ship, by its copy: the hits it saw
    // land (the latest of each of the last attackers), how far its reports
    // may still move it, and what each weapon of the copy (by its place in
    // the weapon list) has left to fire. A copy made anew for the same
    // flight keeps them.
    static constexpr int32_t kSeenAttackers = 4;
    static constexpr int32_t kTrackedWeapons = 16;
    NetSeenHit seenHits[kSeenAttackers];
    NetMoveTrack moves;
    int32_t fireShip = -1;   // the copy the allowances are for
    NetWeaponAllowance fire[kTrackedWeapons];
    // The goals its pilot reported met before the copy stood there (or
    // before they were switched on here), each waiting on its own, for this
    // copy only. One frame's flight meets a few at most (a leg, a
    // reload, the jump); a report with every place taken is refused, so a
    // member cannot make the host hold more.
    static constexpr int32_t kReportedGoals = 4;
    NetReportedGoal reportedGoals[kReportedGoals];
    // The stations (uoids) whose reload rearmed the copy: each once a
    // flight, as its pilot's own reload goal there rearms the pilot's ship;
    // and whether the copy rests, for a rearm, by its pilot's reports.
    DynArray<int32_t> rearmedAt;
    NetRestTrack rest;
};


// One session found by enumeration.
struct SessionEntry {
    char* name = nullptr;   // owned
    platform::SessionGuid instance;
};

// The game's one network session: the provider chosen by name, the
// sessions found, hosting and joining under the pilot's name, the player
// table and the send queues. A client sends every packet at once; the host
// sorts them by their header's delivery bits into three queues that each
// pass packs into one MEGAPACKET for every player.
class NetSession : public DirectPlayLink {
public:
    static constexpr int32_t kDefaultCapacity = 8;
    static constexpr const char* kStartupName = "Network Vorn Game";
    // Every machine of the game carries the same one; only its sessions are found.
    static constexpr platform::SessionGuid kApplication{
        {0x56, 0x6f, 0x72, 0x6e, 0x54, 0x65, 0x73, 0x73, 0x65, 0x6c, 0x2d, 0x4e, 0x65, 0x74, 0x01, 0x00}};
    static constexpr uint32_t kEnumSessionsMs = 500;
    // Packing stops once this much is packed; the buffer holds the rest of
    // the packet that crosses it.
    static constexpr int32_t kMegapacketLimit = 32000;
    static constexpr uint32_t kServerSilenceMs = 5000;
    // Objects a client makes for itself (its ship before the host names it,
    // its chase object, its effects) are numbered from here up, a range the
    // host, counting from 0, never reaches: no number the host gives ever
    // meets one of them.
    static constexpr int32_t kClientUoidBase = 0x40000000;
    // How often the host repeats an identity nobody has confirmed yet.
    static constexpr uint32_t kIdInfoResendMs = 250;
    static constexpr int32_t kMaxUpdateRate = 15;
    // Packets (a MEGAPACKET's each counted) after which the host's receive
    // pass takes no further message; the rest wait for the next pass. Seven clients
    // send a few dozen a second each: at 20 frames a second this is three
    // times what they need.
    static constexpr int32_t kPacketsPerPass = 64;
    // The host's share for each peer, every packet counted, also those
    // inside a MEGAPACKET (which no client needs to send): a client sends
    // its ship's state each frame and a packet for each shot, at 60
    // frames a second with its guns firing well below this. Beyond it a
    // peer's packets are dropped unread.
    static constexpr int32_t kPacketsPerPeerSecond = 150;
    // Projectiles asked for by one peer: a projectile weapon fires a few
    // times a second, and its shots burn out within seconds.
    static constexpr int32_t kProjectilesPerSecond = 12;
    static constexpr int32_t kProjectilesAlive = 40;
    static constexpr int32_t kLongestProjectileMs = 10000;
    // Items one player takes in as salvage in a session, however many kills a host reports.
    static constexpr int32_t kMostSalvage = 256;
    // A client's: the projectiles a host can have it keep at once.
    static constexpr int32_t kMostProjectiles = 2048;
    // Chat a peer may have the host pass to every machine, and how long a
    // line may be (as long as a pilot can type one).
    static constexpr int32_t kChatLinesPerSecond = 3;
    static constexpr uint32_t kLongestChatLine = 255;
    // A late joiner asks for the whole game once; each answer goes to every machine.
    static constexpr uint32_t kGameInfoWindowMs = 2000;

    // The lobby's list of games, told of each session found.
    using GameFoundListener = void (*)(uint32_t maxPlayers, uint32_t currentPlayers, const char* name);
    // Told when hosting or joining succeeded.
    using ConnectedListener = void (*)(bool hosting, const char* sessionName, uint32_t ownId);
    static void SetGameFoundListener(GameFoundListener listener);
    static void SetConnectedListener(ConnectedListener listener);

    explicit NetSession(const char* name = kStartupName, int32_t maxPlayers = kDefaultCapacity);
    ~NetSession() override;

    // The first provider whose description holds `wanted` (case-sensitive),
    // its interface made: 1, else 0.
    int32_t SelectServiceProvider(const char* wanted);
    uint32_t EnumSessions(uint32_t unused = 0);
    // 1 once this machine hosts and has its player; 0 when the session could not be opened.
    int32_t HostGame(uint32_t unused = 0);
    // 1 once joined with a player, 0 for a name not found or a session that
    // would not take us or our player (it is then left).
    int32_t JoinGame(const char* name, uint32_t unused = 0);
    bool IsActive() const { return HasInterface() && connected != 0; }
    bool IsHost() const { return isHost != 0; }

    // A client sends Send(ownDpid, serverDpid, ...), the host SendToAll(serverDpid, ...).
    // Packets are classed by their flags; 0 once queued or not sent.
    uint32_t Send(uint32_t from, uint32_t to, const void* data, uint32_t size) override;
    uint32_t SendToAll(uint32_t from, const void* data, uint32_t size) override;
    // A game packet the way this machine sends: a client to the server, the
    // host to all. The send's result.
    uint32_t SendGamePacket(const uint8_t* data, uint32_t size);
    // The end of each network pass: the host's MEGAPACKET, the rate, the
    // client's watch on a silent server.
    virtual void FlushFrame();
    // A client acts only on its server's packets, the server being the
    // sender of the first one it hears in a session; the host takes a
    // peer's packets up to the peer's share.
    int32_t HandleMessage(uint32_t from, uint32_t to, const uint8_t* data, uint32_t size) override;
    // Hands each packet of a MEGAPACKET to HandleMessage. A MEGAPACKET is
    // refused (-1) unless 12 <= its size <= `size`; the walk stops at an
    // inner packet below 8 bytes or beyond what is left, and at a nested
    // MEGAPACKET. The packets handed on.
    int32_t WalkMegapacket(uint32_t from, uint32_t to, const uint8_t* data, uint32_t size);
    // Keep the table in step with who is in the session. The host announces
    // a newcomer and sends it the whole game (sky, settings, objects, goals,
    // teams); a leaver is announced and its ship taken out. A client that
    // loses its server is told so on the cockpit.
    int32_t OnCreatePlayer(uint32_t id, const char* shortName, const char* longName) override;
    int32_t OnDestroyPlayer(uint32_t id) override;
    // A client that loses its server, whether told that the server left, that
    // the session is lost, or by the server's silence, is told once and
    // leaves the session: from then on it neither sends nor receives.
    int32_t HandleSystemMessage(const uint8_t* data, uint32_t size) override;
    int32_t OnSessionLost() override;
    // A kill (or, with the victim twice, a death without a killer).
    virtual void AnnounceKill(int32_t killerUoid, int32_t victimUoid);
    // One line for every machine: shown here and, while active, sent as a MESSAGE
    // from "network" (the host's to all, a client's to the server).
    void BroadcastText(const char* text);
    // The host's: its world saw `attacker` hit the ship `victimUoid`; kept
    // when the ship is a player's.
    void NoteHit(int32_t victimUoid, const SpaceObject* attacker);
    // The sender of the network's own lines; no pilot takes it.
    static constexpr const char* kNetworkSender = "network";

    // The player table.
    int32_t AddPlayer(uint32_t dpid, const char* name, int32_t shipUoid);
    // `wanted` as no other entry than `except` is named (letter case aside),
    // nor the network's sender: with the lowest number from 2 on added, the
    // name cut so that it stays within a team record's 15 characters.
    std::string UniqueName(const char* wanted, int32_t except) const;
    int32_t ClearPlayer(int32_t index);
    int32_t GetPlayerSlotCount() const;
    int32_t CountPlayers() const;
    int32_t FindPlayerByDpid(uint32_t dpid) const;
    int32_t FindPlayerByUoid(int32_t uoid) const;
    int32_t FindItPlayer() const;
    const char* GetPlayerName(int32_t index) const;
    int32_t GetPlayerUoid(int32_t index) const;
    uint32_t GetPlayerDpid(int32_t index) const;
    uint32_t IsPlayerAcked(int32_t index) const;
    int32_t GetPlayerKills(int32_t index) const;
    uint32_t IsPlayerIt(int32_t index) const;
    void SetPlayerUoid(int32_t index, int32_t uoid);
    void SetPlayerName(int32_t index, const char* name);
    void SetPlayerAcked(int32_t index, uint32_t flag);
    void SetPlayerScore(int32_t index, int32_t value);
    void SetPlayerKills(int32_t index, int32_t value);
    void AddPlayerScore(int32_t index, int32_t amount);
    void AddPlayerKills(int32_t index, int32_t amount);
    void SetPlayerIt(int32_t index);
    // The player's team (-1 none), and with it the side of its ship on this
    // machine (this machine's own ship for its own entry): the table and the
    // side never disagree, in the lobby or in flight.
    void SetPlayerTeam(int32_t index, int32_t team);
    // `ship`, flown by the player of entry `index` (none: a pilot of no
    // team), takes the side the game gives it (NetGameSettings::PilotSide);
    // without the game's settings it keeps its own.
    void GivePilotSide(int32_t index, SpaceObject& ship) const;
    // Counts one ship (NEW_PLAYER) or launched object (CREATION_REQUEST)
    // made at this player's request: false, and nothing counted, once it
    // has had its share of the current window of the engine's clock, for
    // an object also while kObjectsAlive made at its request are still in
    // the world (or when it has no entry). A player flies one ship and
    // announces it once a mission.
    bool TakeCreation(int32_t index, bool ship);
    // The object made for a request TakeCreation let through: it counts
    // against the player until it leaves the world.
    void KeepCreation(int32_t index, SpaceObject* made);
    // Those of the player's objects still in the world.
    int32_t CreationsAlive(int32_t index) const;
    // A leaver's objects go with its ship; whoever takes the entry next
    // starts with none.
    void EndCreations(int32_t index);
    // Whether `object` is the player's ship or was made at its request and is still in the world.
    bool Owns(int32_t index, const SpaceObject* object) const;
    // The host's: counts a packet of `from` against its share; false when
    // it has none left (or no entry).
    bool TakePacket(uint32_t from);
    static constexpr uint32_t kShipWindowMs = 5000;     // one ship in each
    static constexpr uint32_t kObjectWindowMs = 1000;   // kObjectsPerWindow in each
    static constexpr int32_t kObjectsPerWindow = 4;
    // Every object in flight costs the host its step, its picture and an
    // update to every machine; the rate alone would let a peer keep 4 a
    // second times a 32 s missile, or mines without end, alive. A launcher
    // fires once a second or slower and its missiles mostly strike within
    // seconds, so a pilot rarely has more than a handful of missiles,
    // mines and decoys out at once. Six peers keeping their share of
    // missiles and trails in flight in one view cost the host about as much
    // again as its own quiet frame, which is as far as it lets them go.
    static constexpr int32_t kObjectsAlive = 8;
    // Mines, and decoys asked for without an end, would otherwise stay for
    // the rest of the mission, holding their player's share for good.
    static constexpr int32_t kLongestStayMs = 120000;
    // The entry takes this machine's career figures: kills, missions, accuracy, face.
    void CopyCareerFigures(int32_t index) const;
    const NetPlayer* Player(int32_t index) const { return InRange(index) ? &players_[index] : nullptr; }
    // For the control packets, which write several figures of one entry at once.
    NetPlayer* EditPlayer(int32_t index) { return InRange(index) ? &players_[index] : nullptr; }

    uint32_t serverDpid = 0;
    uint32_t ownDpid = 0;
    // The items of ships that arrive over the network; owned.
    DynArray<EquipmentItem*> equipmentTemplates;
    const int32_t playerCapacity;
    uint32_t spaceDust = 0;
    DynArray<SessionEntry*> sessionList;   // owned, in the order found
    uint32_t creationTime = 0;             // the engine's milliseconds
    int32_t lastServerPacketTime = -1;     // ms after creationTime; -1 none
    int32_t queueBudget = 1000;            // bytes up to which queues 2 and 3 are packed
    int32_t updateRate = 12;               // object-update passes a second, 1 to 15
    int32_t updateInterval = 83;           // ms, 1000 / updateRate when last lowered
    int32_t batching = 1;
    int32_t megapacketMode = 1;
    int32_t frameCount = 0;
    // The host's object-update passes so far: an object's full update comes
    // every updateRate-th of them, whatever number of frames a pass spans.
    int32_t updatePasses = 0;
    uint32_t lastUpdatePass = 0;   // the engine's ms at the host's last object-update pass
    uint32_t lastIdInfoPass = 0;   // the engine's ms at the host's last resend of identities
    int32_t skippedMin = 0;   // fewest packets left out of one MEGAPACKET since the last drop
    int32_t skippedSum = 0;
    // Owned packets waiting for the next MEGAPACKET; carryList holds queue 1's that did not fit.
    DynArray<NetPacket*> queue1;
    DynArray<NetPacket*> queue2;
    DynArray<NetPacket*> queue3;
    DynArray<NetPacket*> carryList;
    // The host's packets for one player each (its addressee), in the order
    // sent; each player's go out in a MEGAPACKET of its own at the end of
    // the pass, queue 1's that do not fit wait for the next.
    DynArray<NetPacket*> addressed;
    // More than a pass ever sends one player (the whole world, its goals
    // and sky for a newcomer): beyond it a packet for one player is dropped.
    static constexpr int32_t kMostAddressed = 8192;
    // Packets handed to HandleMessage since the receive pass began.
    int32_t packetsThisPass = 0;
    // Set by the last MEGAPACKET built: it holds a packet that must arrive.
    bool megapacketMustArrive = false;
    // A client's: the projectiles the host's PROJ_CREATEs made here.
    int32_t projectilesCreated = 0;
    // A client's: the uoids whose OBJECT_CREATE named no definition (the
    // host's chase object, a wreck's chips). Nothing here can build them;
    // their updates ask for them no more.
    DynArray<int32_t> unbuildableUoids;
    static constexpr int32_t kMaxUnbuildableUoids = 4096;
    // A client's: the sky records of each kind (star fields, dust, wallpapers, lights) a host can have it hold.
    static constexpr int32_t kMostSkyRecords = 64;

private:
    bool InRange(int32_t index) const { return index >= 0 && index < playerCapacity; }
    // Each player's own packets, in its own MEGAPACKET.
    void FlushAddressed();
    uint32_t Route(uint32_t from, uint32_t to, bool toAll, const void* data, uint32_t size);
    bool ShareSpent(uint32_t from) const;
    void ClearSessionList();
    uint32_t ElapsedMs() const;
    // The client's side of a lost server: the line once, then the session left.
    void LeaveLostServer();
    // A client numbers its own objects from kClientUoidBase; hosting or
    // ending the session gives the process its own numbering back.
    void TakeClientNumbering();
    void GiveBackNumbering();

    NetPlayer* players_;
    // kObjectsAlive links an entry, to the objects made at its player's
    // request; each lets go when its object leaves the world.
    ObjectLink* creations_;
    int32_t savedUoidCounter_ = -1;   // the process's counter before it took the client's range; -1 none
};
