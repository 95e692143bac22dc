#include "models.h"

#include <cmath>

#include "solids.h"

// Model coordinates are the ones the scenes move: the eye sits at the origin looking down -Z, the
// near plane is 100 units away and the view is 65 degrees high and 16:9 wide.
namespace {

// One repeat of the hexagon tiles (texture1) and of the plates (textureOr, textureHr) in model
// units.
const double TILE_UNITS = 150.0;
const double PLATE_UNITS = 120.0;

const MeshMaterial COPPER = {"copper", {0.85f, 0.45f, 0.2f}, {0.8f, 0.6f, 0.4f}, 120.0f};
const MeshMaterial BRASS = {"brass", {0.8f, 0.62f, 0.3f}, {0.8f, 0.6f, 0.4f}, 120.0f};
const MeshMaterial PATINA = {"patina", {0.35f, 0.6f, 0.5f}, {0.4f, 0.4f, 0.4f}, 60.0f};
const MeshMaterial TILE = {"tile", {0.2f, 0.5f, 0.6f}, {0.6f, 0.6f, 0.6f}, 90.0f};
const MeshMaterial STONE = {"stone", {0.3f, 0.45f, 0.55f}, {0.3f, 0.3f, 0.3f}, 30.0f};
const MeshMaterial LACQUER = {"lacquer", {0.55f, 0.08f, 0.12f}, {0.8f, 0.6f, 0.4f}, 200.0f};
const MeshMaterial GOLD = {"gold", {0.85f, 0.65f, 0.25f}, {0.9f, 0.8f, 0.5f}, 250.0f};

// A (p, q) torus knot: p turns about the local Z axis while winding q times round a torus of
// radii `major` and `minor` lying in the XY plane, so it faces the eye.
std::vector<Vec3> torusKnot(int p, int q, double major, double minor, int points) {
    std::vector<Vec3> path;
    for (int i = 0; i < points; ++i) {
        double phi = 2.0 * M_PI * i / points;
        double r = major + minor * std::cos(q * phi);
        path.push_back({r * std::cos(p * phi), r * std::sin(p * phi), minor * std::sin(q * phi)});
    }
    return path;
}

// Torus helper for rings that face the eye: the torus is built about local Y, so tip it up.
Placement facingEye(Vec3 at) { return turned(placeAt(at), {1, 0, 0}, 90.0); }

// Scene 1: turns about the vertical axis 400 units ahead; every part stays within 195 units of
// its centre, so its near side never comes closer than 205.
void buildTurningKnot(Mesh* mesh) {
    const Placement centre = scaled(placeAt({0, 0, 0}), 1.1);
    useMaterial(mesh, addMaterial(mesh, COPPER));
    addTube(mesh, centre, torusKnot(2, 5, 108.0, 48.0, 320), 15.0, 14, PLATE_UNITS);
    useMaterial(mesh, addMaterial(mesh, PATINA));
    addDodecahedron(mesh, turned(centre, {1, 1, 0}, 30.0), 40.0, PLATE_UNITS / 2.0);
    useMaterial(mesh, addMaterial(mesh, BRASS));
    addTorus(mesh, turned(turned(centre, {1, 0, 0}, 22.0), {0, 0, 1}, -12.0), 172.0, 5.0, 120, 6,
             PLATE_UNITS);
}

// Scene 2 slides this frame 600 units to the left, 140 below and 100 ahead of the eye: a terrace
// with two rows of columns whose heights rise and fall, so the skyline changes as it passes. It
// reaches far enough both ways to fill the view for the whole slide.
const double TERRACE_LEFT = -1150.0;
const double TERRACE_RIGHT = 1750.0;
const double TERRACE_TOP = -130.0;
const double COLUMN_SPACING = 150.0;

struct ColumnRow {
    double z, firstX, lastX;
    double radius;
    double meanHeight, heightSwing, wavePhase;  // top = mean + swing * sin(x / 220 + phase)
};

const ColumnRow COLUMN_ROWS[2] = {
    {-520.0, -800.0, 1400.0, 26.0, 150.0, 100.0, 0.7},
    {-820.0, -1025.0, 1675.0, 32.0, 330.0, 110.0, 2.0},
};

double columnTop(const ColumnRow& row, double x) {
    return row.meanHeight + row.heightSwing * std::sin(x / 220.0 + row.wavePhase);
}

void buildColonnade(Mesh* mesh) {
    const double middle = (TERRACE_LEFT + TERRACE_RIGHT) / 2.0;
    const double halfLength = (TERRACE_RIGHT - TERRACE_LEFT) / 2.0;
    useMaterial(mesh, addMaterial(mesh, STONE));
    addBox(mesh, placeAt({middle, TERRACE_TOP - 75.0, -690.0}), {halfLength + 40.0, 25.0, 330.0},
           TILE_UNITS);
    addBox(mesh, placeAt({middle, TERRACE_TOP - 25.0, -690.0}), {halfLength, 25.0, 290.0},
           TILE_UNITS);
    useMaterial(mesh, addMaterial(mesh, TILE));
    for (const ColumnRow& row : COLUMN_ROWS) {
        const double r = row.radius;
        for (double x = row.firstX; x <= row.lastX; x += COLUMN_SPACING) {
            const double top = columnTop(row, x);
            const std::vector<ProfilePoint> column = {
                {r * 1.3, TERRACE_TOP, 1},      {r * 1.3, TERRACE_TOP + 12, 1},
                {r * 1.1, TERRACE_TOP + 17, 0}, {r * 0.9, TERRACE_TOP + 24, 1},
                {r * 0.85, top - 26, 1},        {r * 1.0, top - 16, 0},
                {r * 1.3, top - 8, 1},          {r * 1.3, top, 1},
            };
            addLathe(mesh, placeAt({x, 0, row.z}), column, 16, TILE_UNITS);
        }
    }
}

// Scene 2's copper: an ornament on every column, orb, ring and gem in turn.
void buildColonnadeOrnaments(Mesh* mesh) {
    const int32_t copper = addMaterial(mesh, COPPER);
    const int32_t brass = addMaterial(mesh, BRASS);
    int turn = 0;
    for (const ColumnRow& row : COLUMN_ROWS) {
        const double size = row.radius * 1.1;
        for (double x = row.firstX; x <= row.lastX; x += COLUMN_SPACING, ++turn) {
            const double top = columnTop(row, x);
            switch (turn % 3) {
            case 0:
                useMaterial(mesh, copper);
                addSphere(mesh, placeAt({x, top + size, row.z}), size, 18, 10, PLATE_UNITS / 2.0);
                break;
            case 1:
                useMaterial(mesh, brass);
                addTorus(mesh, facingEye({x, top + size * 1.25, row.z}), size, size * 0.25, 32, 8,
                         PLATE_UNITS / 2.0);
                break;
            default:
                useMaterial(mesh, copper);
                addDodecahedron(mesh,
                                turned(placeAt({x, top + size, row.z}), {1, 0, 0}, 20.0 * turn),
                                size * 1.1, PLATE_UNITS / 3.0);
                break;
            }
        }
    }
}

// Scene 3 brings the frame 1260 units towards the eye: a tunnel of gates along -Z. Inner apothems
// of 230 keep every gate outside the view where it crosses the near plane (whose corners are
// 130 units off the axis), so gates leave the picture at its edges instead of being cut.
const double TUNNEL_START = -400.0;
const double TUNNEL_END = -4200.0;
const double GATE_SPACING = 220.0;

void buildTunnel(Mesh* mesh) {
    useMaterial(mesh, addMaterial(mesh, TILE));
    for (double z = TUNNEL_START; z >= TUNNEL_END; z -= GATE_SPACING) {
        addPrismRing(mesh, placeAt({0, 0, z}), 8, 230.0, 266.0, 14.0, TILE_UNITS);
    }
    useMaterial(mesh, addMaterial(mesh, STONE));
    const double corner = 276.0 / std::cos(M_PI / 8.0);
    const double halfLength = (TUNNEL_START - TUNNEL_END) / 2.0 + 100.0;
    for (int k = 0; k < 8; ++k) {
        double angle = 45.0 * k + 22.5;
        Placement rail =
            turned(placeAt({0, 0, (TUNNEL_START + TUNNEL_END) / 2.0}), {0, 0, 1}, angle);
        rail.origin = add(rail.origin, scale(rail.axisX, corner));
        addBox(mesh, rail, {10.0, 10.0, halfLength}, TILE_UNITS);
    }
}

// Scene 3's copper: a double helix of orbs winding through the gates, and at its far end an atom
// of three rings round a core, which the flight brings from 2100 to about 840 units away.
void buildTunnelHelixAndAtom(Mesh* mesh) {
    useMaterial(mesh, addMaterial(mesh, COPPER));
    for (int strand = 0; strand < 2; ++strand) {
        for (double z = TUNNEL_START + 100.0; z >= TUNNEL_END; z -= 110.0) {
            double angle = z * 0.35 * M_PI / 180.0 + strand * M_PI;
            addSphere(mesh, placeAt({175.0 * std::cos(angle), 175.0 * std::sin(angle), z}), 16.0,
                      12, 7, PLATE_UNITS / 4.0);
        }
    }
    const Vec3 atom = {0, 0, -2100.0};
    useMaterial(mesh, addMaterial(mesh, BRASS));
    // Rings tipped 20 degrees out of the horizontal read as thin ellipses from the eye; turned by
    // 60 degrees about the line of sight they draw the atom.
    for (int k = 0; k < 3; ++k) {
        Placement ring = turned(turned(placeAt(atom), {0, 0, 1}, 60.0 * k), {1, 0, 0}, 20.0);
        addTorus(mesh, ring, 128.0, 9.0, 80, 10, PLATE_UNITS);
    }
    useMaterial(mesh, addMaterial(mesh, PATINA));
    addDodecahedron(mesh, turned(placeAt(atom), {0, 1, 0}, 20.0), 58.0, PLATE_UNITS / 2.0);
}

// Scene 4 brings its frame from 700 to 460 units away: a portal of rings behind a stepped dais.
const double DAIS_TOP = -190.0;

void buildPortal(Mesh* mesh) {
    useMaterial(mesh, addMaterial(mesh, STONE));
    const std::vector<ProfilePoint> dais = {
        {300, -262, 1}, {300, -240, 1}, {250, -240, 1},
        {250, -215, 1}, {200, -215, 1}, {200, DAIS_TOP, 1},
    };
    addLathe(mesh, placeAt({0, 0, 0}), dais, 48, TILE_UNITS);
    useMaterial(mesh, addMaterial(mesh, TILE));
    addTorus(mesh, facingEye({0, 100, -200}), 262.0, 24.0, 120, 16, TILE_UNITS);
    addPrismRing(mesh, placeAt({0, 100, -200}), 32, 200.0, 226.0, 8.0, TILE_UNITS);
}

// Scene 4's lacquer: an urn on the dais with four gems round its foot, and two obelisks on the
// lowest step that frame the portal.
void buildUrn(Mesh* mesh) {
    const int32_t lacquer = addMaterial(mesh, LACQUER);
    useMaterial(mesh, lacquer);
    const std::vector<ProfilePoint> urn = {
        {70, DAIS_TOP, 1},       {70, DAIS_TOP + 12, 1},  {48, DAIS_TOP + 26, 0},
        {44, DAIS_TOP + 50, 0},  {66, DAIS_TOP + 110, 0}, {82, DAIS_TOP + 170, 0},
        {66, DAIS_TOP + 220, 0}, {34, DAIS_TOP + 250, 0}, {28, DAIS_TOP + 268, 1},
        {40, DAIS_TOP + 276, 1}, {40, DAIS_TOP + 284, 1},
    };
    addLathe(mesh, placeAt({0, 0, 0}), urn, 48, PLATE_UNITS);
    useMaterial(mesh, addMaterial(mesh, GOLD));
    for (int k = 0; k < 4; ++k) {
        double angle = (45.0 + 90.0 * k) * M_PI / 180.0;
        Vec3 at = {150.0 * std::sin(angle), DAIS_TOP + 22.0, 150.0 * std::cos(angle)};
        addDodecahedron(mesh, turned(placeAt(at), {0, 1, 0}, 37.0 * k), 26.0, PLATE_UNITS / 3.0);
    }
    useMaterial(mesh, lacquer);
    for (double side = -1.0; side <= 1.0; side += 2.0) {
        addObelisk(mesh, placeAt({250.0 * side, -240.0, -120.0}), 20.0, 13.0, 470.0, 36.0,
                   PLATE_UNITS);
    }
}

// Scene 4's swaying piece: a ringed orb floating above the urn; it sways 100 units each way and
// stays inside the portal's inner ring.
void buildRingedOrb(Mesh* mesh) {
    const Vec3 centre = {0, 190, 40};
    useMaterial(mesh, addMaterial(mesh, COPPER));
    addSphere(mesh, placeAt(centre), 42.0, 40, 20, PLATE_UNITS);
    useMaterial(mesh, addMaterial(mesh, BRASS));
    addTorus(mesh, turned(turned(placeAt(centre), {1, 0, 0}, 25.0), {0, 0, 1}, 15.0), 76.0, 6.0, 96,
             10, PLATE_UNITS);
}

}  // namespace

const ModelDesign MODEL_DESIGNS[MODEL_DESIGN_COUNT] = {
    {&SceneResources::list2, "2.MTL", "portal of rings behind a stepped dais", buildPortal},
    {&SceneResources::list2b, "2b.MTL", "urn with gems, between obelisks", buildUrn},
    {&SceneResources::list2c, "2c.MTL", "ringed orb", buildRingedOrb},
    {&SceneResources::list3, "3.MTL", "colonnade on a stepped plinth", buildColonnade},
    {&SceneResources::list3c, "3c.MTL", "rings and orbs of the colonnade", buildColonnadeOrnaments},
    {&SceneResources::list4, "4.MTL", "tunnel of gates", buildTunnel},
    {&SceneResources::list4b, "4b.MTL", "helix of orbs and a ringed atom", buildTunnelHelixAndAtom},
    {&SceneResources::list5, "5.MTL", "torus knot round a gem", buildTurningKnot},
};
