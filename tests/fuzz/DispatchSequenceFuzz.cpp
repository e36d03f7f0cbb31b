// One world per input and a sequence of steps played into it: packets from
// several peers (their header made to fit a type, their words from the
// input, some words pointed at objects that exist), to this machine or to
// every player as a member relaying through the host would send them, and
// MEGAPACKETs packing one of them hundreds of times over (past any peer's
// share), the world's own pass
// between them (which deletes what was destroyed or given up), the host's
// update pass and the clock moving on. Faults that need two packets (an
// object made by one and deleted before the next names it) are reached
// here; the sanitizers abort on any of them.
#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "game/DataDirectories.h"
#include "game/EffectTypes.h"
#include "game/GameState.h"
#include "mission/ObjectLoader.h"
#include "net/NetGameSettings.h"
#include "net/NetPacket.h"
#include "net/NetPacketType.h"
#include "net/NetworkHooks.h"
#include "net/PacketBytes.h"
#include "objects/ships/Craft.h"
#include "objects/space/WorldPass.h"
#include "objects/systems/ShieldSystem.h"
#include "objects/weapons/Projectile.h"
#include "platform/DebugOutput.h"
#include "platform/MessageBox.h"
#include "platform/SessionRecords.h"
#include "tests/support/RecordingMessageBox.h"
#include "tests/support/TempDir.h"
#include "tests/support/world/RecordingNetSession.h"
#include "tests/support/world/WorldBuilder.h"
#include "tools/mkdata/SampleTree.h"

namespace {

// The peers that send; on the host each is a player flying one of the ships.
constexpr uint32_t kPeers[] = {2, 3, 4, 5};
constexpr int kMaxSteps = 64;

// The smallest size of each type (as the dispatcher knows them) and
// whether it may be longer; 0 for types outside the table.
struct Shape {
    uint16_t size;
    bool variable;
};
constexpr Shape kShapes[kNetPacketTypes + 1] = {
    {0, false},   {12, true},  {49, true},  {20, false}, {12, false}, {108, false}, {16, false}, {161, true},
    {20, false},  {84, false}, {121, true}, {20, false}, {104, false}, {108, false}, {20, false}, {12, false},
    {24, false},  {64, true},  {144, false}, {8, false}, {16, false}, {84, false},  {20, false}, {64, false},
    {16, false},  {44, false}, {52, false}, {32, false}, {8, false}, {8, false},   {12, false}, {40, true},
    {20, false},  {32, false}, {40, false}, {60, false}, {48, false}, {56, false},
};

// The input, read a byte at a time; zeros once it runs out.
class Input {
public:
    Input(const uint8_t* data, size_t size) : data_(data), size_(size) {}
    bool Left() const { return at_ < size_; }
    uint8_t Byte() { return at_ < size_ ? data_[at_++] : 0; }

private:
    const uint8_t* data_;
    size_t size_;
    size_t at_ = 0;
};

// What stays for the whole run: the sample definitions on disk.
struct Definitions {
    Definitions() {
        platform::SetDebugSink([](const char*) {});
        std::string error;
        if (!WriteSampleTree(dir.Str(), &error)) std::fprintf(stderr, "sample tree: %s\n", error.c_str());
        g_dataDirs.Find(dir.Str());
        DefinitionLibrary::RegisterCoreBuilders();
    }
    TempDir dir;
};

// The game state's new career would read the whole catalogue from the
// definitions, once per input: it is made while the data is not found.
std::unique_ptr<WorldBuilder> MakeBuilder(const Definitions& definitions) {
    g_dataDirs.Clear();
    auto builder = std::make_unique<WorldBuilder>();
    g_dataDirs.Find(definitions.dir.Str());
    return builder;
}

class World {
public:
    World(const Definitions& definitions, bool host)
        : owned_(MakeBuilder(definitions)), builder_(*owned_), session_(new RecordingNetSession(host)) {
        previousBox_ = platform::MessageBox::Install(&boxes_);
        RegisterSpaceObjects();
        RegisterProjectilePass();
        InstallNetworkHooks();
        GameState& game = builder_.Game();
        game.netSettings = &settings_;
        game.netSession = session_;
        game.mode = GameState::kModeFlight;
        SpaceObject* const rock = builder_.Spawn(builder_.Template("ROCK0"), 1);
        rock->uoid = 1;
        rock->active = 1;
        int32_t uoid = 2;
        for (const uint32_t peer : kPeers) {
            auto* const ship = builder_.SpawnAs<Craft>(builder_.Template("SHIP0", {{"WING0", {}}}), 3);
            ship->uoid = uoid;
            ship->active = 1;
            ship->mass = 10.0f;
            ship->type = SpaceObject::kTypeAiShip;
            ship->AddSystem(0, new ShieldSystem(ship, 0, 100, 40, 100, 10, 100));
            if (host) session_->AddPlayer(peer, "Peer", uoid);
            ++uoid;
        }
        auto* const own = builder_.SpawnAs<Craft>(builder_.Template("SHIP1"), 3);
        own->uoid = uoid;
        own->active = 1;
        own->mass = 10.0f;
        own->type = SpaceObject::kTypePlayerShip;
        game.playerShip = own;
        session_->AddPlayer(session_->ownDpid, "Own", uoid);
        std::snprintf(shell_.name, sizeof shell_.name, "Flak Shell");
        std::snprintf(shell_.explosionName, sizeof shell_.explosionName, "Explosion");
        previousTypes_ = g_projectileTypes;
        g_projectileTypes = &shell_;
    }
    ~World() {
        GameState& game = builder_.Game();
        game.ClearFlight();
        g_projectileTypes = previousTypes_;
        game.playerShip = nullptr;
        game.netSession = nullptr;
        game.netSettings = nullptr;
        delete session_;
        GameState::SetNetworkHooks(GameState::NetworkHooks{});
        for (SpaceObject* object : builder_.World()) builder_.Remove(object);
        platform::MessageBox::Install(previousBox_);
    }

    void Step(Input& in) {
        const uint8_t op = in.Byte();
        const uint32_t peer = kPeers[(op >> 3) % 4];
        // Data for every player, as a member sends it for the host to pass on.
        const uint32_t to = (op & 0x80) != 0 ? platform::kAllPlayers : session_->ownDpid;
        const uint32_t speaker = session_->IsHost() ? peer : session_->serverDpid;
        switch (op % 8) {
            case 0: case 1: case 2: Deliver(peer, to, Build(in)); break;
            case 3: Deliver((op & 0x40) != 0 ? speaker : peer, to, Megapacket(in)); break;
            case 4: builder_.Game().Simulate(); break;
            case 5: builder_.Game().NetSend(); break;
            case 6: builder_.Clock().Advance(uint32_t(in.Byte()) * 20); break;
            default: Deliver(speaker, to, Build(in)); break;
        }
        session_->sent.clear();
    }

private:
    // A live uoid, or any number now and then.
    int32_t PickUoid(uint8_t choice) {
        std::vector<int32_t> live;
        for (SpaceObject* object : builder_.World()) {
            if (object->uoid >= 0) live.push_back(object->uoid);
        }
        if (live.empty() || choice >= 0xF0) return int32_t(choice) - 0xF8;
        return live[choice % live.size()];
    }

    void Deliver(uint32_t from, uint32_t to, const std::vector<uint8_t>& bytes) {
        session_->HandleMessage(from, to, bytes.data(), uint32_t(bytes.size()));
    }

    // One packet packed over and over, up to a session message's size.
    std::vector<uint8_t> Megapacket(Input& in) {
        const std::vector<uint8_t> inner = Build(in);
        const uint32_t copies = 1 + uint32_t(in.Byte()) * 4;
        std::vector<uint8_t> bytes(NetPacket::kMegapacketHeaderBytes, 0);
        uint32_t packed = 0;
        while (packed < copies && bytes.size() + inner.size() <= NetPacket::kMaxPacketBytes) {
            bytes.insert(bytes.end(), inner.begin(), inner.end());
            ++packed;
        }
        PacketWriter out(bytes.data(), uint32_t(bytes.size()));
        out.U16(0, kMegapacket);
        out.U16(2, uint16_t(bytes.size()));
        out.U32(4, PF_IMMEDIATE);
        out.U32(8, packed);
        return bytes;
    }

    std::vector<uint8_t> Build(Input& in) {
        const uint16_t type = uint16_t(in.Byte() % (kNetPacketTypes + 2));
        const Shape shape = type <= kNetPacketTypes ? kShapes[type] : Shape{8, true};
        uint32_t size = shape.size < 8 ? 8 : shape.size;
        if (shape.variable) size += in.Byte() % 48;
        if (type == kObjectUpdate && (in.Byte() & 1) != 0) size = NetPacket::kObjectUpdateFullBytes;
        std::vector<uint8_t> bytes(size, 0);
        PacketWriter out(bytes.data(), size);
        out.U16(0, type);
        out.U16(2, uint16_t(size));
        out.U32(4, PF_QUEUE_1 | (in.Byte() & PF_TRACE));
        // The body: a count of words from the input, then words aimed at
        // objects, then texts ended where the packet ends.
        const uint32_t words = (size - 8) / 4;
        const uint32_t given = in.Byte() % (words + 1);
        for (uint32_t i = 0; i < given * 4 && 8 + i < size; ++i) bytes[8 + i] = in.Byte();
        for (uint8_t aims = in.Byte() % 4; aims > 0 && words > 0; --aims) {
            const uint32_t word = in.Byte() % words;
            out.I32(8 + 4 * word, PickUoid(in.Byte()));
        }
        if ((in.Byte() & 1) != 0) bytes[size - 1] = 0;
        return bytes;
    }

    std::unique_ptr<WorldBuilder> owned_;
    WorldBuilder& builder_;
    NetGameSettings settings_;
    RecordingNetSession* session_;
    ProjectileType shell_;
    ProjectileType* previousTypes_ = nullptr;
    RecordingMessageBox boxes_;
    platform::MessageBox* previousBox_ = nullptr;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static auto definitions = std::make_unique<Definitions>();
    if (size < 1) return 0;
    Input in(data, size);
    World world(*definitions, (in.Byte() & 1) != 0);
    for (int step = 0; step < kMaxSteps && in.Left(); ++step) world.Step(in);
    return 0;
}
