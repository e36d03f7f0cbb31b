#include "tools/mkdata/ShipMeshes.h"

#include <cmath>
#include <cstdint>
#include <cstring>
#include <string>
#include <vector>

namespace {

using Axis = MeshShape::Axis;
using Section = MeshShape::Section;

// The sphere through the unit box's corners.
constexpr float kPartReach = 1.7320508f;
constexpr float kTau = 6.2831853f;

// The player's side.
constexpr uint32_t kPaleHull = Rgb(0xB4, 0xBC, 0xC8);
constexpr uint32_t kPaleShadow = Rgb(0x84, 0x8C, 0x9C);
constexpr uint32_t kBlue = Rgb(0x28, 0x58, 0xC8);
constexpr uint32_t kCanopy = Rgb(0x66, 0xCC, 0xFF);
// The raiders' side.
constexpr uint32_t kDarkRed = Rgb(0x98, 0x20, 0x18);
constexpr uint32_t kRedShadow = Rgb(0x5C, 0x14, 0x10);
constexpr uint32_t kGunmetal = Rgb(0x48, 0x48, 0x50);
constexpr uint32_t kAmber = Rgb(0xFF, 0xB0, 0x30);
// Everyone's.
constexpr uint32_t kNozzle = Rgb(0x30, 0x30, 0x34);
constexpr uint32_t kSteel = Rgb(0x8C, 0x90, 0x94);
constexpr uint32_t kDarkSteel = Rgb(0x5C, 0x60, 0x64);
constexpr uint32_t kFlame = Rgb(0xFF, 0x90, 0x20);
constexpr uint32_t kWindow = Rgb(0xFF, 0xE8, 0x90);
constexpr uint32_t kWarning = Rgb(0xE8, 0xC0, 0x20);

Section Ring(float along, int sides, float ru, float rv, float cu = 0.0f, float cv = 0.0f, float turn = 0.0f) {
    return {along, Ellipse(sides, ru, rv, cu, cv, turn)};
}

// A flat panel in the x-z plane at height y, `thick` through: a wing or a deck.
void Panel(MeshShape& m, const std::vector<SectionPoint>& xz, float y, float thick, uint32_t colour) {
    std::vector<SectionPoint> outline;
    // Along y, u is z and v is x.
    for (const SectionPoint& p : xz) outline.push_back({p.v, p.u});
    m.Prism(Axis::kY, outline, y - thick / 2, y + thick / 2, colour);
}

// A fin in the y-z plane at x: points (z, y).
void Fin(MeshShape& m, const std::vector<SectionPoint>& zy, float x, float thick, uint32_t colour) {
    std::vector<SectionPoint> outline;
    // Along x, u is y and v is z.
    for (const SectionPoint& p : zy) outline.push_back({p.v, p.u});
    m.Prism(Axis::kX, outline, x - thick / 2, x + thick / 2, colour);
}

// A round nozzle at the rear, open end dark.
void Nozzle(MeshShape& m, float x, float y, float z0, float z1, float r, uint32_t colour) {
    m.Loft(Axis::kZ, {Ring(z1, 8, r * 0.8f, r * 0.8f, x, y), Ring((z0 + z1) / 2, 8, r, r, x, y), Ring(z0, 8, r * 0.9f, r * 0.9f, x, y)},
           [=](int band, int) { return band == 2 ? kNozzle : colour; });
}

// The player's fighter: a pointed fuselage with a canopy, stub wings that
// meet the wing parts, a tail fin.
MeshShape FighterHull() {
    MeshShape m;
    const int s = 8;
    m.Loft(Axis::kZ,
           {Ring(1.65f, s, 0.02f, 0.02f), Ring(1.1f, s, 0.4f, 0.3f), Ring(0.3f, s, 0.8f, 0.5f, 0, 0.02f),
            Ring(-0.7f, s, 0.78f, 0.48f), Ring(-1.35f, s, 0.45f, 0.34f)},
           [](int band, int j) { return band == 0 ? kBlue : j < 4 ? kPaleHull : kPaleShadow; });
    const size_t canopy = m.faces.size();
    m.Loft(Axis::kZ, {Ring(1.05f, 6, 0.02f, 0.02f, 0, 0.34f), Ring(0.55f, 6, 0.3f, 0.26f, 0, 0.46f),
                      Ring(-0.25f, 6, 0.26f, 0.2f, 0, 0.44f)},
           kCanopy);
    m.Translucent(canopy, 160);
    // Stub wings out to the wing parts' roots.
    Panel(m, {{0.5f, 0.5f}, {1.25f, -0.4f}, {1.25f, -1.0f}, {0.5f, -0.95f}}, -0.05f, 0.12f, kBlue);
    Panel(m, {{-0.5f, 0.5f}, {-0.5f, -0.95f}, {-1.25f, -1.0f}, {-1.25f, -0.4f}}, -0.05f, 0.12f, kBlue);
    Fin(m, {{-0.4f, 0.4f}, {-0.95f, 1.15f}, {-1.25f, 1.15f}, {-1.3f, 0.3f}}, 0.0f, 0.1f, kBlue);
    return m;
}

// A swept wing on the right (x > 0) of its part's box; the root reaches over
// the box to the hull. A gun pod at the tip.
MeshShape SweptWing(bool left, uint32_t colour, uint32_t edge, bool forwardSwept) {
    MeshShape m;
    if (forwardSwept) {
        Panel(m, {{-1.6f, 0.2f}, {1.0f, 0.9f}, {1.0f, 0.3f}, {-1.6f, -0.9f}}, 0.0f, 0.16f, colour);
        Fin(m, {{0.9f, -0.5f}, {0.4f, 0.7f}, {-0.2f, 0.7f}, {0.2f, -0.5f}}, 0.95f, 0.1f, edge);
    } else {
        Panel(m, {{-1.6f, 0.5f}, {1.0f, -0.4f}, {1.0f, -0.95f}, {-1.6f, -0.8f}}, 0.0f, 0.16f, colour);
        m.Loft(Axis::kZ, {Ring(1.0f, 6, 0.02f, 0.02f, 0.95f, 0), Ring(0.6f, 6, 0.12f, 0.12f, 0.95f, 0),
                          Ring(-0.9f, 6, 0.12f, 0.12f, 0.95f, 0)},
               edge);
    }
    if (left) m.MirrorX(0, 0);
    return m;
}

// The engine behind the hull: a housing and its nozzle.
MeshShape Engine(uint32_t housing) {
    MeshShape m;
    m.Loft(Axis::kZ, {Ring(1.45f, 8, 0.55f, 0.5f), Ring(0.6f, 8, 0.8f, 0.7f), Ring(-0.6f, 8, 0.8f, 0.7f)}, housing);
    Nozzle(m, 0.0f, 0.0f, -1.0f, -0.6f, 0.6f, kDarkSteel);
    return m;
}

// The engine's flame, a cone pointing back.
MeshShape Glow() {
    MeshShape m;
    m.Loft(Axis::kZ, {Ring(1.0f, 8, 0.8f, 0.8f), Ring(-1.0f, 8, 0.02f, 0.02f)}, kFlame);
    m.Translucent(0, 140);
    return m;
}

MeshShape Globe(int segments, int rings, float radius, uint32_t colour) {
    MeshShape m;
    std::vector<Section> sections;
    sections.push_back(Ring(radius, segments, 0.01f, 0.01f));
    for (int r = 1; r < rings; ++r) {
        const float polar = kTau / 2 * float(r) / float(rings);
        sections.push_back(Ring(radius * std::cos(polar), segments, radius * std::sin(polar), radius * std::sin(polar)));
    }
    sections.push_back(Ring(-radius, segments, 0.01f, 0.01f));
    m.Loft(Axis::kZ, sections, colour);
    return m;
}

// The shield bubble, seen through.
MeshShape ShieldBubble() {
    MeshShape m = Globe(10, 6, 1.0f, Rgb(0x80, 0xC0, 0xFF));
    m.Translucent(0, 70);
    return m;
}

// The raider: a flat dark-red dart, its cockpit a part of its own.
MeshShape RaiderHull() {
    MeshShape m;
    m.Loft(Axis::kZ,
           {Ring(1.7f, 6, 0.02f, 0.02f), Ring(0.8f, 6, 0.42f, 0.22f), Ring(-0.2f, 6, 0.7f, 0.32f),
            Ring(-1.0f, 6, 0.62f, 0.3f), Ring(-1.4f, 6, 0.4f, 0.22f)},
           [](int band, int j) { return band == 0 ? kGunmetal : j < 3 ? kDarkRed : kRedShadow; });
    Panel(m, {{0.5f, 0.3f}, {1.3f, -0.3f}, {1.3f, -0.9f}, {0.5f, -1.0f}}, -0.05f, 0.1f, kRedShadow);
    Panel(m, {{-0.5f, 0.3f}, {-0.5f, -1.0f}, {-1.3f, -0.9f}, {-1.3f, -0.3f}}, -0.05f, 0.1f, kRedShadow);
    Fin(m, {{-0.3f, -0.25f}, {-1.0f, -0.8f}, {-1.3f, -0.8f}, {-1.3f, -0.2f}}, 0.0f, 0.08f, kGunmetal);
    return m;
}

MeshShape RaiderCockpit() {
    MeshShape m;
    m.Loft(Axis::kZ, {Ring(0.9f, 6, 0.02f, 0.02f, 0, 0.3f), Ring(0.2f, 6, 0.3f, 0.3f, 0, 0.42f),
                      Ring(-0.6f, 6, 0.28f, 0.22f, 0, 0.36f)},
           kAmber);
    m.Translucent(0, 180);
    return m;
}

// A long hull with a raised deck the turrets stand on, a bridge at the rear
// and three engines.
MeshShape CapitalHull() {
    MeshShape m;
    m.Loft(Axis::kZ,
           {Ring(1.6f, 8, 0.1f, 0.08f, 0, -0.1f), Ring(1.1f, 8, 0.5f, 0.4f), Ring(0.0f, 8, 0.7f, 0.55f),
            Ring(-0.9f, 8, 0.7f, 0.55f), Ring(-1.2f, 8, 0.55f, 0.45f)},
           [](int band, int j) { return band == 0 ? kDarkRed : j == 5 || j == 6 ? kDarkRed : j < 4 ? kSteel : kDarkSteel; });
    // The deck: plated, on a sloped block up to the turrets' feet.
    const size_t deck = m.faces.size();
    m.Loft(Axis::kY, {{0.3f, {{1.1f, -0.4f}, {1.1f, 0.4f}, {-0.9f, 0.6f}, {-0.9f, -0.6f}}},
                      {1.0f, {{0.7f, -0.6f}, {0.7f, 0.6f}, {-0.7f, 0.6f}, {-0.7f, -0.6f}}}},
           kSteel);
    m.Texture(deck, "Metal");
    // The bridge tower behind the deck, lit windows across its front.
    m.Box({-0.25f, 0.3f, -1.0f}, {0.25f, 1.2f, -0.72f}, kDarkSteel);
    m.Box({-0.2f, 1.0f, -0.725f}, {0.2f, 1.08f, -0.715f}, kWindow);
    // Side sponsons with red bands.
    m.Box({0.6f, -0.2f, -0.8f}, {0.9f, 0.1f, 0.5f}, kDarkRed);
    m.Box({-0.9f, -0.2f, -0.8f}, {-0.6f, 0.1f, 0.5f}, kDarkRed);
    Nozzle(m, 0.0f, 0.0f, -1.45f, -1.15f, 0.32f, kDarkSteel);
    Nozzle(m, 0.75f, -0.05f, -1.15f, -0.8f, 0.14f, kDarkSteel);
    Nozzle(m, -0.75f, -0.05f, -1.15f, -0.8f, 0.14f, kDarkSteel);
    return m;
}

// A turret: a round foot and a domed head; its barrel is a part of its own.
MeshShape Turret(uint32_t colour) {
    MeshShape m;
    m.Prism(Axis::kY, Ellipse(8, 0.9f, 0.9f), -1.0f, -0.4f, kDarkSteel);
    m.Loft(Axis::kY, {Ring(-0.4f, 8, 0.8f, 0.8f), Ring(0.3f, 8, 0.7f, 0.7f), Ring(0.9f, 8, 0.3f, 0.3f)}, colour);
    return m;
}

MeshShape Barrel() {
    MeshShape m;
    m.Prism(Axis::kZ, Ellipse(6, 0.22f, 0.22f), -0.8f, 1.5f, kGunmetal);
    m.Prism(Axis::kZ, Ellipse(6, 0.35f, 0.35f), -1.0f, -0.5f, kDarkSteel);
    return m;
}

// A rock: a globe pushed in and out by a seeded ripple, its faces in
// shades of grey-brown and plated with the "Rock" material.
MeshShape Rock(uint32_t seed) {
    MeshShape m;
    uint32_t state = seed * 2654435761u + 1u;
    const auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return float(state >> 8) / 16777216.0f;
    };
    const int segments = 9, rings = 6;
    float bumps[rings + 1][segments];
    for (auto& ring : bumps) {
        for (float& b : ring) b = 0.72f + 0.28f * next();
    }
    // A flattened, stretched lump; the caps nudged off the axis.
    const float sx = 1.0f, sy = 0.75f + 0.2f * next(), sz = 0.9f;
    std::vector<uint16_t> index((rings + 1) * segments);
    for (int r = 0; r <= rings; ++r) {
        const float polar = kTau / 2 * float(r) / float(rings);
        for (int s = 0; s < segments; ++s) {
            const float around = kTau * float(s) / float(segments);
            const float k = bumps[r][s];
            const float ring = std::sin(polar);
            index[size_t(r * segments + s)] =
                m.Add({sx * k * ring * std::cos(around), sy * k * std::cos(polar), sz * k * ring * std::sin(around)});
            if (r == 0 || r == rings) break;
        }
    }
    const auto at = [&](int r, int s) { return index[size_t(r * segments + ((r == 0 || r == rings) ? 0 : s % segments))]; };
    const MeshPoint middle{0, 0, 0};
    for (int r = 0; r < rings; ++r) {
        for (int s = 0; s < segments; ++s) {
            const uint32_t grey = 0x60 + uint32_t(next() * 0x38);
            const uint32_t colour = Rgb(grey + 0x10, grey, grey - 0x18);
            m.Triangle(at(r, s), at(r, s + 1), at(r + 1, s + 1), middle, colour);
            m.Triangle(at(r, s), at(r + 1, s + 1), at(r + 1, s), middle, colour);
        }
    }
    m.Texture(0, "Rock");
    return m;
}

// A mine: a dark ball with six spikes and a warning band.
MeshShape Mine() {
    MeshShape m = Globe(8, 5, 0.65f, Rgb(0x40, 0x38, 0x38));
    const float spike = 1.0f, foot = 0.18f;
    m.Loft(Axis::kY, {Ring(0.5f, 4, foot, foot), Ring(spike, 4, 0.02f, 0.02f)}, kWarning);
    m.Loft(Axis::kY, {Ring(-0.5f, 4, foot, foot), Ring(-spike, 4, 0.02f, 0.02f)}, kWarning);
    m.Loft(Axis::kX, {Ring(0.5f, 4, foot, foot), Ring(spike, 4, 0.02f, 0.02f)}, kWarning);
    m.Loft(Axis::kX, {Ring(-0.5f, 4, foot, foot), Ring(-spike, 4, 0.02f, 0.02f)}, kWarning);
    m.Loft(Axis::kZ, {Ring(0.5f, 4, foot, foot), Ring(spike, 4, 0.02f, 0.02f)}, kWarning);
    m.Loft(Axis::kZ, {Ring(-0.5f, 4, foot, foot), Ring(-spike, 4, 0.02f, 0.02f)}, kWarning);
    return m;
}

// A missile: a slim white body, a red nose, four fins.
MeshShape Missile() {
    MeshShape m;
    m.Loft(Axis::kZ, {Ring(1.6f, 6, 0.02f, 0.02f), Ring(1.0f, 6, 0.22f, 0.22f), Ring(-1.2f, 6, 0.22f, 0.22f)},
           [](int band, int) { return band == 0 ? Rgb(0xE0, 0x30, 0x20) : Rgb(0xE8, 0xE8, 0xE8); });
    Fin(m, {{-0.6f, 0.2f}, {-1.2f, 0.7f}, {-1.3f, 0.7f}, {-1.3f, 0.2f}}, 0.0f, 0.05f, kGunmetal);
    Fin(m, {{-0.6f, -0.2f}, {-1.3f, -0.2f}, {-1.3f, -0.7f}, {-1.2f, -0.7f}}, 0.0f, 0.05f, kGunmetal);
    Panel(m, {{0.2f, -0.6f}, {0.7f, -1.2f}, {0.7f, -1.3f}, {0.2f, -1.3f}}, 0.0f, 0.05f, kGunmetal);
    Panel(m, {{-0.2f, -0.6f}, {-0.2f, -1.3f}, {-0.7f, -1.3f}, {-0.7f, -1.2f}}, 0.0f, 0.05f, kGunmetal);
    return m;
}

// A carrier: a broad hull under a flight deck, an island at the side.
MeshShape Carrier() {
    MeshShape m;
    m.Loft(Axis::kZ, {Ring(1.2f, 6, 0.3f, 0.2f, 0, -0.1f), Ring(0.8f, 6, 0.7f, 0.4f, 0, -0.1f), Ring(-1.0f, 6, 0.7f, 0.4f, 0, -0.1f)},
           [](int, int j) { return j < 3 ? kDarkSteel : kSteel; });
    const size_t deck = m.faces.size();
    Panel(m, {{-0.9f, 1.1f}, {0.9f, 1.1f}, {0.9f, -1.0f}, {-0.9f, -1.0f}}, 0.35f, 0.1f, kSteel);
    m.Texture(deck, "Metal");
    m.Box({0.55f, 0.4f, -0.5f}, {0.8f, 0.9f, 0.1f}, kDarkSteel);
    m.Box({0.54f, 0.75f, -0.2f}, {0.81f, 0.82f, 0.11f}, kWindow);
    Nozzle(m, 0.35f, -0.1f, -1.3f, -1.0f, 0.22f, kDarkSteel);
    Nozzle(m, -0.35f, -0.1f, -1.3f, -1.0f, 0.22f, kDarkSteel);
    return m;
}

// A jump gate: eight blocks in a ring facing along z, lamps between them.
MeshShape Gate() {
    MeshShape m;
    const int blocks = 8;
    for (int i = 0; i < blocks; ++i) {
        const float a0 = kTau * (float(i) + 0.1f) / blocks, a1 = kTau * (float(i) + 0.9f) / blocks;
        const float inner = 0.8f, outer = 1.0f;
        const std::vector<SectionPoint> block{{inner * std::cos(a0), inner * std::sin(a0)},
                                              {outer * std::cos(a0), outer * std::sin(a0)},
                                              {outer * std::cos(a1), outer * std::sin(a1)},
                                              {inner * std::cos(a1), inner * std::sin(a1)}};
        m.Prism(Axis::kZ, block, -0.15f, 0.15f, i % 2 == 0 ? kSteel : kDarkSteel);
        const float a = kTau * float(i) / blocks;
        m.Box({0.9f * std::cos(a) - 0.05f, 0.9f * std::sin(a) - 0.05f, -0.1f},
              {0.9f * std::cos(a) + 0.05f, 0.9f * std::sin(a) + 0.05f, 0.1f}, kAmber);
    }
    return m;
}

// Wreckage: a few bent plates.
MeshShape Debris() {
    MeshShape m;
    Panel(m, {{-0.9f, 0.7f}, {0.3f, 0.9f}, {0.8f, -0.2f}, {-0.4f, -0.8f}}, 0.0f, 0.15f, kDarkSteel);
    Fin(m, {{-0.5f, 0.1f}, {0.6f, 0.2f}, {0.4f, 0.9f}, {-0.3f, 0.7f}}, 0.3f, 0.12f, kSteel);
    m.Box({-0.8f, -0.6f, -0.5f}, {-0.3f, -0.1f, 0.2f}, kRedShadow);
    return m;
}

// A nav buoy: a lamp on a mast over a ribbed body.
MeshShape Buoy() {
    MeshShape m;
    m.Loft(Axis::kY, {Ring(-0.9f, 8, 0.2f, 0.2f), Ring(-0.4f, 8, 0.6f, 0.6f), Ring(0.1f, 8, 0.6f, 0.6f), Ring(0.3f, 8, 0.3f, 0.3f)},
           [](int band, int) { return band == 1 ? kWarning : kSteel; });
    m.Prism(Axis::kY, Ellipse(4, 0.06f, 0.06f), 0.3f, 0.8f, kDarkSteel);
    m.Loft(Axis::kY, {Ring(0.75f, 6, 0.01f, 0.01f), Ring(0.87f, 6, 0.14f, 0.14f), Ring(1.0f, 6, 0.01f, 0.01f)}, kWindow);
    return m;
}

// A gun platform: a square foot, a turret head, a barrel forward.
MeshShape GunPlatform() {
    MeshShape m;
    m.Box({-0.9f, -1.0f, -0.9f}, {0.9f, -0.6f, 0.9f}, kDarkSteel);
    m.Loft(Axis::kY, {Ring(-0.6f, 8, 0.7f, 0.7f), Ring(0.1f, 8, 0.6f, 0.6f), Ring(0.5f, 8, 0.25f, 0.25f)}, kSteel);
    m.Prism(Axis::kZ, Ellipse(6, 0.12f, 0.12f, 0.0f, -0.05f), 0.0f, 1.5f, kGunmetal);
    return m;
}

// A station: a hub, a ring around it on four spokes, a docking arm with
// lit bays and an antenna mast.
MeshShape Station() {
    MeshShape m;
    m.Loft(Axis::kY, {Ring(-0.6f, 8, 0.15f, 0.15f), Ring(-0.4f, 8, 0.32f, 0.32f), Ring(0.4f, 8, 0.32f, 0.32f), Ring(0.6f, 8, 0.15f, 0.15f)},
           kSteel);
    const int blocks = 12;
    const size_t ring = m.faces.size();
    for (int i = 0; i < blocks; ++i) {
        const float a0 = kTau * float(i) / blocks, a1 = kTau * float(i + 1) / blocks;
        const float inner = 0.82f, outer = 1.0f;
        // Around y: u is z and v is x.
        const std::vector<SectionPoint> block{{inner * std::sin(a0), inner * std::cos(a0)},
                                              {outer * std::sin(a0), outer * std::cos(a0)},
                                              {outer * std::sin(a1), outer * std::cos(a1)},
                                              {inner * std::sin(a1), inner * std::cos(a1)}};
        m.Prism(Axis::kY, block, -0.12f, 0.12f, i % 3 == 0 ? kWindow : kSteel);
    }
    m.Texture(ring, "Metal");
    for (int i = 0; i < 4; ++i) {
        const float a = kTau * float(i) / 4 + kTau / 8;
        const float c = std::cos(a), s = std::sin(a);
        std::vector<SectionPoint> spoke{{-0.05f, -0.05f}, {0.05f, -0.05f}, {0.05f, 0.05f}, {-0.05f, 0.05f}};
        const size_t first = m.points.size();
        m.Prism(Axis::kX, spoke, 0.3f, 0.84f, kDarkSteel);
        // Turned about y to its angle.
        for (size_t p = first; p < m.points.size(); ++p) {
            const MeshPoint q = m.points[p];
            m.points[p] = {q.x * c - q.z * s, q.y, q.x * s + q.z * c};
        }
    }
    m.Box({-0.1f, -0.1f, 0.3f}, {0.1f, 0.1f, 1.3f}, kDarkSteel);
    m.Box({-0.2f, -0.2f, 1.1f}, {0.2f, 0.2f, 1.4f}, kBlue);
    m.Prism(Axis::kY, Ellipse(4, 0.03f, 0.03f), 0.6f, 1.45f, kDarkSteel);
    m.Box({-0.08f, 1.3f, -0.08f}, {0.08f, 1.42f, 0.08f}, kWindow);
    return m;
}

// A depot: tanks and containers on a spine.
MeshShape Depot() {
    MeshShape m;
    m.Box({-0.1f, -0.1f, -1.0f}, {0.1f, 0.1f, 1.0f}, kDarkSteel);
    for (int i = 0; i < 3; ++i) {
        const float z = -0.65f + 0.65f * float(i);
        m.Loft(Axis::kX, {Ring(-0.9f, 8, 0.15f, 0.15f, 0, z), Ring(-0.75f, 8, 0.28f, 0.28f, 0, z),
                          Ring(-0.25f, 8, 0.28f, 0.28f, 0, z), Ring(-0.1f, 8, 0.15f, 0.15f, 0, z)},
               i == 1 ? kWarning : kSteel);
        m.Box({0.1f, -0.25f, z - 0.25f}, {0.8f, 0.25f, z + 0.25f}, i % 2 == 0 ? kBlue : kDarkSteel);
    }
    m.Texture(0, "Metal");
    return m;
}

bool Named(const char* node, const char* name) { return std::strcmp(node, name) == 0; }
bool Leads(const char* node, const char* prefix) { return std::strncmp(node, prefix, std::strlen(prefix)) == 0; }

}  // namespace

MeshShape ShipPartShape(const char* node) {
    MeshShape m;
    if (Named(node, "FIGHT0000")) {
        m = FighterHull();
    } else if (Named(node, "WING0FLHW") || Named(node, "WING0FRHW")) {
        m = SweptWing(node[5] == 'F' && node[6] == 'L', kPaleHull, kBlue, false);
    } else if (Named(node, "RWNG0FLHW") || Named(node, "RWNG0FRHW")) {
        m = SweptWing(node[6] == 'L', kRedShadow, kGunmetal, true);
    } else if (Named(node, "ENGN0RR0E")) {
        m = Engine(kPaleShadow);
    } else if (Named(node, "RENG0RR0E")) {
        m = Engine(kGunmetal);
    } else if (Named(node, "SHLD0S00S") || Named(node, "RSHL0S00S")) {
        m = ShieldBubble();
    } else if (Named(node, "GLOW0R00A")) {
        m = Glow();
    } else if (Named(node, "2305RAIDR")) {
        m = RaiderHull();
    } else if (Named(node, "RCKP0F00C")) {
        m = RaiderCockpit();
    } else if (Named(node, "CAPIT0000")) {
        m = CapitalHull();
    } else if (Leads(node, "TURR0")) {
        m = Turret(kDarkRed);
    } else if (Leads(node, "BARL0")) {
        m = Barrel();
    } else if (Leads(node, "ROCK")) {
        m = Rock(uint32_t(node[std::strlen(node) - 1]));
    } else if (Named(node, "MINE00000")) {
        m = Mine();
    } else if (Named(node, "MISSL0000")) {
        m = Missile();
    } else if (Named(node, "CARRI0000")) {
        m = Carrier();
    } else if (Named(node, "GATE00000")) {
        m = Gate();
    } else if (Named(node, "DEBRI0000")) {
        m = Debris();
    } else if (Named(node, "BUOY00000")) {
        m = Buoy();
    } else if (Named(node, "TURRT0000")) {
        m = GunPlatform();
    } else if (Leads(node, "BASE-")) {
        m = Station();
    } else if (Leads(node, "MULT-")) {
        m = Depot();
    } else {
        m.Box({-1, -1, -1}, {1, 1, 1}, kSteel);
    }
    m.ShrinkWithin(kPartReach);
    return m;
}
