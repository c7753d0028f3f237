// World generation and light scattering: the carved cells, the actor marks,
// the number of draws each world takes, and where scattered lights may go.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <vector>

#include "sys/Random.h"
#include "tests/support/TestState.h"
#include "tests/support/TestWorld.h"
#include "world/Generation.h"
#include "world/WorldState.h"

namespace {

size_t CountCells(const uint8_t* volume, uint8_t value) {
    return static_cast<size_t>(std::count(volume, volume + VolumeCells(), value));
}

uint8_t Dungeon(int x, int y, int z) { return DungeonMap[CellIndex(x, y, z)]; }

bool InBox(const Box& b, int x, int y, int z) {
    return x >= b.x && x < b.x + b.w && y >= b.y && y < b.y + b.h && z >= b.z && z < b.z + b.d;
}

bool InInterior(int x, int y, int z) {
    return x > 0 && y > 0 && z > 0 && x < worldSide - 1 && y < worldSide - 1 && z < worldLevels - 1;
}

// Checks that exactly the interior cells of box are open: every cell of the
// box and of a one-cell margin around it, and the total count of open cells.
void ExpectOnlyBoxCarved(const Box& b) {
    size_t expected = 0;
    for (int z = std::max(b.z - 1, 0); z <= std::min(b.z + b.d, worldLevels - 1); z++)
        for (int y = std::max(b.y - 1, 0); y <= std::min(b.y + b.h, worldSide - 1); y++)
            for (int x = std::max(b.x - 1, 0); x <= std::min(b.x + b.w, worldSide - 1); x++) {
                bool carved = InBox(b, x, y, z) && InInterior(x, y, z);
                expected += carved;
                ASSERT_EQ(Dungeon(x, y, z), carved ? CellEmpty : CellSolid)
                    << "cell (" << x << "," << y << "," << z << ") of box at (" << b.x << "," << b.y << "," << b.z
                    << ") size (" << b.w << "," << b.h << "," << b.d << ")";
            }
    EXPECT_EQ(CountCells(DungeonMap, CellEmpty), expected);
}

// The box that the six draws following the given seed describe.
Box BoxAfterSeed(uint32_t seed) { return ReplayBox(&seed); }

// The first seed whose box satisfies wanted.
uint32_t FindSeed(const std::function<bool(const Box&)>& wanted) {
    for (uint32_t seed = 1; seed < 50000000u; seed++)
        if (wanted(BoxAfterSeed(seed))) return seed;
    ADD_FAILURE() << "no seed gives the wanted box";
    return 0;
}

std::vector<uint8_t> Snapshot(const uint8_t* volume) { return std::vector<uint8_t>(volume, volume + VolumeCells()); }

}  // namespace

// ---------------------------------------------------------------- carving

TEST(Generation, FirstBoxCarvesExactlyItsCellsAndSecondBoxNothing) {
    ResetProgramState();
    actorTries = 0;
    SeedRandom(24);
    GenerateWorld(1, 0);
    ExpectOnlyBoxCarved(Box{116, 149, 54, 2, 3, 5});

    // The second box lies wholly at y = 255 and beyond, in the shell.
    uint32_t replay = 24;
    ReplayBox(&replay);
    const Box second = ReplayBox(&replay);
    ASSERT_EQ((std::array<int, 3>{second.x, second.y, second.z}), (std::array<int, 3>{50, 255, 230}));

    std::memset(DungeonMap, CellSolid, static_cast<size_t>(VolumeCells()));
    SeedRandom(24);
    GenerateWorld(2, 0);
    ExpectOnlyBoxCarved(Box{116, 149, 54, 2, 3, 5});
}

TEST(Generation, BoxesCrossingTheShellAreClippedCellByCell) {
    ResetProgramState();
    actorTries = 0;
    const std::function<bool(const Box&)> cases[] = {
        [](const Box& b) { return b.x == 0 && b.w >= 3 && b.y > 0 && b.z > 0 && b.y < 250 && b.z < 250; },
        [](const Box& b) { return b.y < 255 && b.y + b.h > 256 && b.h >= 3 && b.x > 0 && b.z > 0 && b.z < 250; },
        [](const Box& b) { return b.z == 0 && b.d >= 2 && b.x < 255 && b.x + b.w > 256 && b.y > 0 && b.y < 250; },
    };
    for (const auto& wanted : cases) {
        uint32_t seed = FindSeed(wanted);
        Box box = BoxAfterSeed(seed);
        std::memset(DungeonMap, CellSolid, static_cast<size_t>(VolumeCells()));
        SeedRandom(seed);
        GenerateWorld(1, 0);
        ExpectOnlyBoxCarved(box);
    }
}

TEST(Generation, Mode1FirstCorridorsAndShaftsFollowTheBoxes) {
    ResetProgramState();
    actorTries = 0;
    // Start each run from the generator state that RegenerateWorld(1) has
    // when it reaches that run: 66,666 boxes of 6 draws, then 7 per run.
    const Box runs[] = {{239, 146, 224, 1, 18, 1}, {127, 50, 102, 18, 1, 1}, {233, 194, 220, 1, 1, 18}};
    for (int k = 0; k < 3; k++) {
        std::memset(DungeonMap, CellSolid, static_cast<size_t>(VolumeCells()));
        randomState = StateAfter(24, 66666ull * 6 + 7ull * k);
        GenerateWorld(1, 1);  // one run and no boxes: (1 / 3) * 2 is 0
        SCOPED_TRACE(k);
        ExpectOnlyBoxCarved(runs[k]);
    }

    // And the full world has them open.
    actorTries = 10000;
    DungeonMap[CellIndex(7, 1, 1)] = CellEmpty;
    MarkCellSeen(7, 1, 1);
    MarkPlayerCellWalked();
    RegenerateWorld(1);
    EXPECT_FALSE(CellSeen(7, 1, 1)) << "a new world starts unseen";
    EXPECT_FALSE(CellWalked(CellIndex(SX, SY, SZ))) << "a new world starts without a trail";
    for (const Box& r : runs)
        for (int i = 0; i < 18; i++)
            EXPECT_EQ(Dungeon(r.x + (r.w > 1 ? i : 0), r.y + (r.h > 1 ? i : 0), r.z + (r.d > 1 ? i : 0)), CellEmpty);
}

TEST(Generation, OtherModesCarveNothingButStillMarkActors) {
    ResetProgramState();
    RegenerateWorld(2);
    EXPECT_EQ(CountCells(DungeonMap, CellSolid), static_cast<size_t>(VolumeCells()));
    // Every draw hits rock here; the same cell drawn twice is marked once.
    size_t marks = CountCells(FlagMap, FlagActor);
    EXPECT_GT(marks, 9900u);
    EXPECT_LE(marks, 10000u);
    EXPECT_EQ(CountCells(FlagMap, FlagNone) + marks, static_cast<size_t>(VolumeCells()));
}

// ---------------------------------------------------------------- worlds

TEST(Generation, GeneratedWorldsAreClosedStartInRockAndFlagOnlyActorsInRock) {
    ResetProgramState();
    for (int mode = 0; mode <= 1; mode++) {
        SCOPED_TRACE(mode);
        RegenerateWorld(mode);
        EXPECT_EQ(Dungeon(100, 100, 100), CellSolid);
        EXPECT_GT(CountCells(DungeonMap, CellEmpty), 1000000u);

        size_t shellMarks = 0, marks = 0, openShellCells = 0;
        for (int z = 0; z < worldLevels; z++)
            for (int y = 0; y < worldSide; y++)
                for (int x = 0; x < worldSide; x++) {
                    int32_t cell = CellIndex(x, y, z);
                    uint8_t flag = FlagMap[cell];
                    ASSERT_TRUE(flag == FlagNone || flag == FlagActor) << int(flag);
                    bool shell = !InInterior(x, y, z);
                    if (shell && DungeonMap[cell] != CellSolid) openShellCells++;
                    if (flag == FlagActor) {
                        marks++;
                        shellMarks += shell;
                        ASSERT_NE(DungeonMap[cell], CellEmpty) << "actor in open cell " << x << "," << y << "," << z;
                    }
                }
        EXPECT_EQ(openShellCells, 0u);
        // Fewer marks than draws: some hit open space or a marked cell.
        EXPECT_GT(marks, 5000u);
        EXPECT_LT(marks, 10000u);
        // Marking has no range test beyond the modulo, so the shell gets some.
        EXPECT_GT(shellMarks, 0u);
    }
}

TEST(Generation, FirstActorMarkOfMode0) {
    ResetProgramState();
    // Grow the number of actor draws until the first mark appears.
    int tries = 1;
    for (; tries <= 50; tries++) {
        actorTries = tries;
        RegenerateWorld(0);
        if (CountCells(FlagMap, FlagNone) != static_cast<size_t>(VolumeCells())) break;
    }
    ASSERT_LE(tries, 50);
    EXPECT_EQ(CountCells(FlagMap, FlagActor), 1u);
    EXPECT_EQ(FlagMap[CellIndex(212, 125, 85)], FlagActor);

    actorTries = 10000;
    RegenerateWorld(0);
    EXPECT_EQ(FlagMap[CellIndex(212, 125, 85)], FlagActor);
}

TEST(Generation, RegeneratingGivesByteIdenticalWorlds) {
    ResetProgramState();
    RegenerateWorld(0);
    std::vector<uint8_t> dungeon0 = Snapshot(DungeonMap), flags0 = Snapshot(FlagMap);
    RegenerateWorld(1);
    std::vector<uint8_t> dungeon1 = Snapshot(DungeonMap), flags1 = Snapshot(FlagMap);
    EXPECT_NE(dungeon0, dungeon1);
    EXPECT_NE(flags0, flags1);

    // Whatever happened in between, the seed is set again.
    SX = SY = SZ = 128;
    ScatterLights();
    SeedRandom(999);
    RegenerateWorld(0);
    EXPECT_TRUE(Snapshot(DungeonMap) == dungeon0);
    EXPECT_TRUE(Snapshot(FlagMap) == flags0);
    RegenerateWorld(1);
    EXPECT_TRUE(Snapshot(DungeonMap) == dungeon1);
    EXPECT_TRUE(Snapshot(FlagMap) == flags1);
}

TEST(Generation, RegenerationLeavesLightsAndPlayerAlone) {
    ResetProgramState();
    Lights[7] = Light{1, 2, 3, 4, 5, 6, 7};
    SX = 42;
    px = 0.25f;
    RegenerateWorld(1);
    EXPECT_EQ(Lights[7].x, 1);
    EXPECT_EQ(Lights[7].radius, 7);
    EXPECT_EQ(Lights[8].x, LightUnsetCell);
    EXPECT_EQ(SX, 42);
    EXPECT_EQ(px, 0.25f);
}

TEST(Generation, DrawCountsPerMode) {
    ResetProgramState();
    RegenerateWorld(0);
    EXPECT_EQ(randomState, StateAfter(24, 630000));
    RegenerateWorld(1);
    EXPECT_EQ(randomState, StateAfter(24, 1129996));
    RegenerateWorld(2);
    EXPECT_EQ(randomState, StateAfter(24, 30000));
    // The number of actor draws is read from actorTries.
    actorTries = 5;
    RegenerateWorld(0);
    EXPECT_EQ(randomState, StateAfter(24, 600015));
}

// ---------------------------------------------------------------- lights

namespace {

// Slots 128.. get a pattern the scatter must leave alone.
void FillUpperSlots() {
    for (int i = 128; i < lightCapacity; i++)
        Lights[i] = Light{i, -i, 2 * i, uint8_t(i), uint8_t(i + 1), uint8_t(i + 2), i % 7};
}

void ExpectUpperSlotsUntouched() {
    for (int i = 128; i < lightCapacity; i++) {
        const Light& l = Lights[i];
        ASSERT_TRUE(l.x == i && l.y == -i && l.z == 2 * i && l.red == uint8_t(i) && l.green == uint8_t(i + 1) &&
                    l.blue == uint8_t(i + 2) && l.radius == i % 7)
            << "slot " << i;
    }
}

void ExpectScatterColours() {
    for (int i = 0; i < 128; i++) {
        const Light& l = Lights[i];
        EXPECT_GE(l.red, 100);
        EXPECT_GE(l.green, 100);
        EXPECT_GE(l.blue, 100);
        EXPECT_EQ(l.radius, 5);
    }
}

}  // namespace

TEST(ScatterLights, PlacesLightsOnlyInEmptyCellsNearThePlayer) {
    ResetProgramState();
    // Half the cells open, half code 2, which counts as not empty.
    for (int z = 0; z < worldLevels; z++)
        for (int y = 0; y < worldSide; y++)
            for (int x = 0; x < worldSide; x++) DungeonMap[CellIndex(x, y, z)] = (x + y + z) % 2 ? 2 : CellEmpty;
    SX = 60, SY = 70, SZ = 80;
    FillUpperSlots();
    ScatterLights();
    for (int i = 0; i < 128; i++) {
        const Light& l = Lights[i];
        ASSERT_NE(l.x, LightUnsetCell) << "slot " << i;
        EXPECT_EQ(Dungeon(l.x, l.y, l.z), CellEmpty) << "slot " << i;
        EXPECT_TRUE(l.x >= 50 && l.x <= 69 && l.y >= 60 && l.y <= 79 && l.z >= 70 && l.z <= 89) << "slot " << i;
    }
    ExpectScatterColours();
    ExpectUpperSlotsUntouched();
}

TEST(ScatterLights, KeepsTheOldCellWhenEveryTryFails) {
    ResetProgramState();  // all rock
    for (int i = 0; i < 128; i++) Lights[i] = Light{i, 2 * i, 3 * i, 1, 2, 3, 9};
    Lights[5] = Light{LightUnsetCell, LightUnsetCell, LightUnsetCell, 0, 0, 0, 0};
    FillUpperSlots();
    uint32_t before = randomState;
    ScatterLights();
    // 100 tries of three draws and three colour draws per slot.
    EXPECT_EQ(randomState, StateAfter(before, 128 * 303));
    for (int i = 0; i < 128; i++) {
        if (i == 5) continue;
        EXPECT_TRUE(Lights[i].x == i && Lights[i].y == 2 * i && Lights[i].z == 3 * i) << "slot " << i;
    }
    EXPECT_EQ(Lights[5].x, LightUnsetCell);
    ExpectScatterColours();
    // Each slot's colour comes from the three draws after its 300 tries.
    for (int i : {0, 5, 77, 127}) {
        uint8_t channels[3];
        uint32_t replay = StateAfter(before, 303ull * i + 300);
        for (uint8_t& channel : channels) channel = uint8_t(ReplayDraw(&replay) % 156 + 100);
        EXPECT_EQ(Lights[i].red, channels[0]) << "slot " << i;
        EXPECT_EQ(Lights[i].green, channels[1]) << "slot " << i;
        EXPECT_EQ(Lights[i].blue, channels[2]) << "slot " << i;
    }
    ExpectUpperSlotsUntouched();
}

TEST(ScatterLights, NeverLooksOutsideTheVolume) {
    ResetProgramState();
    // An all-open world: any cell looked up outside the volume would be
    // taken for an open one (a wrapped index lands on an open cell).
    std::memset(DungeonMap, CellEmpty, static_cast<size_t>(VolumeCells()));
    const int players[][3] = {{0, 0, 0}, {255, 255, 255}, {0, 255, 128}, {3, 128, 254}};
    for (const auto& p : players) {
        SCOPED_TRACE(testing::Message() << p[0] << "," << p[1] << "," << p[2]);
        ClearLights();
        SX = p[0], SY = p[1], SZ = p[2];
        ScatterLights();
        int placed = 0;
        for (int i = 0; i < 128; i++) {
            const Light& l = Lights[i];
            if (l.x == LightUnsetCell) continue;
            placed++;
            ASSERT_TRUE(CellInVolume(l.x, l.y, l.z)) << "slot " << i << " at " << l.x << "," << l.y << "," << l.z;
            EXPECT_TRUE(l.x - SX >= -10 && l.x - SX <= 9 && l.y - SY >= -10 && l.y - SY <= 9 && l.z - SZ >= -10 &&
                        l.z - SZ <= 9);
        }
        EXPECT_GT(placed, 100);
        ExpectScatterColours();
    }

    // Wholly outside: nothing can be placed.
    const int outside[][3] = {{300, 300, 300}, {-11, 100, 100}, {100, 266, 100}, {100, 100, 1000}};
    for (const auto& p : outside) {
        SCOPED_TRACE(testing::Message() << p[0] << "," << p[1] << "," << p[2]);
        ClearLights();
        SX = p[0], SY = p[1], SZ = p[2];
        ScatterLights();
        for (int i = 0; i < 128; i++) ASSERT_EQ(Lights[i].x, LightUnsetCell) << "slot " << i;
        ExpectScatterColours();
    }
}
