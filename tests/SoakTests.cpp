// A long seeded random session through the real main loop with real GL
// drawing: every command key, the polled keys and mouse buttons, mouse moves
// across and beyond the window, minimising and restoring, rescales, close
// requests, saves and loads, and window events with odd parameters, for
// many thousands of frames. After every buffer swap the player's state must
// still make sense; at the end the loop must still answer Escape.
//
// TALVOX_SOAK_FRAMES sets the length (default 2500; the hardening run asks for
// tens of thousands under the sanitizers), TALVOX_SOAK_SEED the stream.
#include <gtest/gtest.h>

#include <unistd.h>
#include <chrono>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>

#include "app/Explorer.h"
#include "app/Input.h"
#include "app/KeyCodes.h"
#include "app/Window.h"
#include "render/Blocks.h"
#include "render/Textures.h"
#include "screen/Font.h"
#include "screen/Screen.h"
#include "tests/support/ScriptedPlatform.h"
#include "tests/support/TestFiles.h"
#include "tests/support/TestState.h"
#include "world/WorldState.h"

namespace fs = std::filesystem;

namespace {

// The soak's own generator (the program's shared one must not be disturbed
// from outside): splitmix64.
struct SoakRandom {
    uint64_t state;
    uint64_t Next() {
        uint64_t z = (state += 0x9E3779B97F4A7C15ull);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
        return z ^ (z >> 31);
    }
    // 0..n-1.
    int32_t Below(int32_t n) { return static_cast<int32_t>(Next() % static_cast<uint64_t>(n)); }
    int32_t Between(int32_t low, int32_t high) { return low + Below(high - low + 1); }
    bool Chance(int32_t percent) { return Below(100) < percent; }
};

int64_t EnvironmentNumber(const char* name, int64_t fallback) {
    const char* text = std::getenv(name);
    if (!text || !*text) return fallback;
    return std::strtoll(text, nullptr, 10);
}

// The keys a person may hold that the program polls; Ctrl is held only for
// the planned save and load chords.
const int32_t HeldKeys[] = {
    'M', '1', '2',           KeyOpenBracket, KeyCloseBracket, 'L',      '3', '4', '5', '6', '7', '8',
    'T', 'Z', KeyLeftButton, KeyRightButton, KeyMiddleButton, KeySpace, 'Q', 'W'};
constexpr int HeldKeyCount = sizeof HeldKeys / sizeof HeldKeys[0];

// A 16-bit window coordinate: inside the largest window, negative (as the
// two's-complement word Windows sends), or beyond 1280.
uint32_t CoordinateWord(SoakRandom& random) {
    int32_t value;
    switch (random.Below(4)) {
    case 0: value = random.Between(-3000, -1); break;
    case 1: value = random.Between(1280, 9000); break;
    default: value = random.Between(0, 1279); break;
    }
    return static_cast<uint32_t>(value) & 0xFFFF;
}

struct SoakCounts {
    int64_t swaps = 0, keyHolds = 0, functionKeys = 0, mouseMoves = 0, minimises = 0, restores = 0;
    int64_t oddEvents = 0, unfocused = 0, saves = 0, loads = 0, failedLoads = 0, missingFolderSaves = 0;
    int64_t closes = 0, closesMidSave = 0, regenerations = 0, wideFrames = 0;
};

// Everything the driver keeps between swaps.
struct Soak {
    SoakRandom random{0};
    int64_t targetFrames = 0;
    SoakCounts counts;
    int32_t releaseAt[256] = {};  // swap at which a held key is let go; 0 when not held
    int32_t focusBackAt = 0;
    int32_t radiusTarget = 3;
    int32_t wideUntil = 0;  // a large radius is allowed until this swap
    int32_t nextChordAt = 0;
    bool chordHeld = false;
    int64_t maxSaves = 0, maxLoads = 0;
    int64_t closeFrames[3] = {};
    int nextClose = 0;
    bool closeQueued = false;
    bool closeAfterChord = false;  // the next close comes while a save runs
    bool closedMidSave = false;
    int32_t swapsAfterClose = 0;
    bool ending = false;
    int32_t swapsAfterEscape = 0;
    // Player state at the last swap, to bound how far it may move per frame.
    int32_t lastFrame = 0, lastSX = 100, lastSY = 100, lastSZ = 100;
    bool teleportHeldSince = false;
    std::string failure;
};

Soak* soak = nullptr;

// Records the first broken rule; the driver then ends the run with Escape.
void Fail(const std::string& what) {
    if (soak->failure.empty())
        soak->failure =
            what + " at swap " + std::to_string(soak->counts.swaps) + ", frame " + std::to_string(frameCounter);
}

// What must hold after every frame, whatever was pressed.
void CheckPlayer() {
    for (float offset : {px, py, pz})
        if (!std::isfinite(offset) || offset < 0.0f || offset > 1.0f)
            return Fail("offset out of 0..1: px=" + std::to_string(px) + " py=" + std::to_string(py) +
                        " pz=" + std::to_string(pz));
    if (viewRadius < 1 || viewRadius > 60) return Fail("view radius " + std::to_string(viewRadius));
    if (screenScale < 1 || screenScale > 4) return Fail("screen scale " + std::to_string(screenScale));
    if (wallTexture < 0 || wallTexture > 4) return Fail("wall texture " + std::to_string(wallTexture));
    if (activeLightCount < 0 || activeLightCount > ActiveLightSlots) return Fail("active lights");
    // Each frame carries the player at most one cell along each axis; a
    // teleport lands in an open cell of 0..199 first.
    int32_t frames = frameCounter - soak->lastFrame;
    auto fits = [&](int32_t now, int32_t before) {
        if (std::abs(now - before) <= frames) return true;
        return soak->teleportHeldSince && now >= -frames && now <= 199 + frames;
    };
    if (!fits(SX, soak->lastSX) || !fits(SY, soak->lastSY) || !fits(SZ, soak->lastSZ))
        return Fail("player jumped from (" + std::to_string(soak->lastSX) + "," + std::to_string(soak->lastSY) + "," +
                    std::to_string(soak->lastSZ) + ") to (" + std::to_string(SX) + "," + std::to_string(SY) + "," +
                    std::to_string(SZ) + ") in " + std::to_string(frames) + " frames");
    if (std::abs(static_cast<int64_t>(SX)) > 1000000 || std::abs(static_cast<int64_t>(SY)) > 1000000 ||
        std::abs(static_cast<int64_t>(SZ)) > 1000000)
        return Fail("player cell far out of bounds");
    soak->lastFrame = frameCounter;
    soak->lastSX = SX;
    soak->lastSY = SY;
    soak->lastSZ = SZ;
}

void HoldKey(int32_t key, int32_t swaps) {
    scriptedKeys[key] = true;
    soak->releaseAt[key] = static_cast<int32_t>(soak->counts.swaps) + swaps;
    soak->counts.keyHolds++;
}

// One odd window event: key codes beyond the table, sizes and buttons with
// garbage in them, system keys and screen-saver requests. Never Escape or
// close.
void QueueOddEvent(SoakRandom& random) {
    soak->counts.oddEvents++;
    const int32_t wide = static_cast<int32_t>(random.Next());
    switch (random.Below(6)) {
    case 0: QueueEvent({WindowSystemKey, wide, 0, 0, false, false}); break;
    case 1: QueueEvent(KeyEvent(256 + random.Below(100000), true)); break;
    case 2: QueueEvent(KeyEvent(wide, false)); break;
    case 3: QueueEvent({WindowResize, wide, wide, static_cast<int32_t>(random.Next()), false, false}); break;
    case 4: QueueEvent({WindowScreenSaver, wide, 0, 0, false, false}); break;
    default: QueueEvent({random.Chance(50) ? WindowButtonDown : WindowButtonUp, wide, wide, wide, false, false}); break;
    }
}

// The planned save or load chord, held for one pass of the loop.
void StartChord(SoakRandom& random) {
    Soak& s = *soak;
    bool save = s.counts.saves + s.counts.missingFolderSaves < s.maxSaves &&
                (s.counts.loads + s.counts.failedLoads >= s.maxLoads || random.Chance(50));
    if (save) {
        if (random.Chance(20) && fs::exists("map")) {
            // Someone removed the map folder: the save must change nothing
            // and say so.
            fs::remove_all("map");
            s.counts.missingFolderSaves++;
        } else {
            fs::create_directories("map");
            s.counts.saves++;
        }
        scriptedKeys['S'] = true;
    } else {
        fs::create_directories("map");
        if (!fs::exists("map/0.map") || random.Chance(25)) {
            // A map cut short by another program: refused whole.
            std::ofstream("map/0.map", std::ios::binary | std::ios::trunc) << "short map";
            s.counts.failedLoads++;
        } else {
            s.counts.loads++;
        }
        scriptedKeys['L'] = true;
    }
    scriptedKeys[KeyControl] = true;
    s.chordHeld = true;
}

// Lets every held key go and empties the message queue.
void ReleaseEverything() {
    for (bool& key : scriptedKeys) key = false;
    for (int32_t& at : soak->releaseAt) at = 0;
    scriptedFocus = true;
}

// The person: presses, holds and lets go, moves the mouse, minimises...
void Drive() {
    Soak& s = *soak;
    SoakRandom& random = s.random;
    const int32_t swap = static_cast<int32_t>(s.counts.swaps);
    if (s.ending) {
        s.swapsAfterEscape++;
        return;
    }
    if (s.closeQueued) {
        s.swapsAfterClose++;
        return;
    }
    // While a save or load shows its progress, the person waits.
    const bool transferring =
        std::strncmp(TextLine, "Saving dungeon", 14) == 0 || std::strncmp(TextLine, "Loading dungeon", 15) == 0;
    if (s.closeAfterChord) {
        // The save started by the chord is running: close the window now.
        scriptedKeys[KeyControl] = scriptedKeys['S'] = false;
        s.chordHeld = s.closeAfterChord = false;
        if (!transferring) Fail("the save did not start");
        QueueEvent(CloseEvent());
        s.closeQueued = s.closedMidSave = true;
        s.counts.closesMidSave++;
        return;
    }
    if (transferring) return;
    if (!s.failure.empty() || frameCounter >= s.targetFrames) {
        // The end: nothing held, windows restored, then Escape.
        ReleaseEverything();
        ForgetEvents();
        QueueEvent(ActivateEvent(false, false));
        QueueEvent(KeyEvent(KeyEscape, true));
        s.ending = true;
        return;
    }
    if (s.nextClose < 3 && frameCounter >= s.closeFrames[s.nextClose]) {
        // A close request ends the loop before any further frame; the test
        // opens the window again and goes on. The second one comes while a
        // save is running: the save finishes first.
        ReleaseEverything();
        ForgetEvents();
        if (s.nextClose == 1) {
            fs::create_directories("map");
            scriptedKeys[KeyControl] = scriptedKeys['S'] = true;
            s.closeAfterChord = true;
        } else {
            QueueEvent(CloseEvent());
            s.closeQueued = true;
            s.counts.closes++;
        }
        s.nextClose++;
        return;
    }

    // Let go of what has been held long enough, and of the chord at once
    // (the save or load it started is running now, or has already run).
    for (int key = 0; key < 256; key++)
        if (s.releaseAt[key] != 0 && s.releaseAt[key] <= swap) {
            scriptedKeys[key] = false;
            s.releaseAt[key] = 0;
        }
    if (s.chordHeld) {
        scriptedKeys[KeyControl] = scriptedKeys['S'] = scriptedKeys['L'] = false;
        s.chordHeld = false;
        if (!fs::exists("map")) fs::create_directories("map");
    }
    if (s.focusBackAt != 0 && s.focusBackAt <= swap) {
        scriptedFocus = true;
        s.focusBackAt = 0;
    }

    // Keep the view distance moderate most of the time: the plain drawing
    // costs grow with the cube of the radius.
    if (swap >= s.wideUntil && random.Chance(2)) {
        int32_t roll = random.Below(1000);
        if (roll < 3) {
            s.radiusTarget = random.Between(30, 60);
            s.wideUntil = swap + random.Between(1, 3);
            s.counts.wideFrames++;
        } else if (roll < 100) {
            s.radiusTarget = random.Between(6, 14);
            s.wideUntil = swap + random.Between(10, 60);
        } else {
            s.radiusTarget = random.Between(1, 4);
        }
    }
    if (swap >= s.wideUntil && s.radiusTarget > 4) s.radiusTarget = random.Between(1, 4);
    scriptedKeys[KeyOpenBracket] = viewRadius > s.radiusTarget;
    scriptedKeys[KeyCloseBracket] = viewRadius < s.radiusTarget;

    // Nothing else while a load or save chord is about to act.
    if (frameCounter >= s.nextChordAt && (s.counts.saves + s.counts.missingFolderSaves < s.maxSaves ||
                                          s.counts.loads + s.counts.failedLoads < s.maxLoads)) {
        StartChord(random);
        s.nextChordAt = frameCounter + static_cast<int32_t>(s.targetFrames / (s.maxSaves + s.maxLoads + 1));
        return;
    }

    int32_t actions = random.Below(3);
    for (int32_t a = 0; a < actions; a++) {
        int32_t roll = random.Below(1000);
        if (roll < 300) {
            int32_t key = HeldKeys[random.Below(HeldKeyCount)];
            if (key == KeyOpenBracket || key == KeyCloseBracket) continue;  // the radius keeper has them
            int32_t swaps = random.Between(1, 40);
            if (key == '1' || key == '2') {
                // A regeneration on every pass while held: short holds only.
                if (!random.Chance(10)) continue;
                swaps = 1;
                s.counts.regenerations++;
            }
            if (key == 'L' || key == 'T') swaps = random.Between(1, 4);
            HoldKey(key, swaps);
        } else if (roll < 500) {
            QueueEvent(MouseMoveEvent(static_cast<int32_t>(CoordinateWord(random)),
                                      static_cast<int32_t>(CoordinateWord(random))));
            s.counts.mouseMoves++;
        } else if (roll < 560) {
            // F1..F9 as key messages; F5..F9 stay down until their key-up.
            int32_t n = random.Below(9);
            if (n < 4 && !random.Chance(40)) n += 4;  // rescales are slower than the rest
            QueueEvent(KeyEvent(static_cast<uintptr_t>(KeyF1 + n), true));
            if (random.Chance(60)) QueueEvent(KeyEvent(static_cast<uintptr_t>(KeyF1 + n), false));
            s.counts.functionKeys++;
        } else if (roll < 600) {
            QueueEvent(ActivateEvent(true, random.Chance(50)));
            s.counts.minimises++;
        } else if (roll < 680) {
            QueueEvent(ActivateEvent(false, random.Chance(50)));
            s.counts.restores++;
        } else if (roll < 800) {
            QueueOddEvent(random);
        } else if (roll < 830) {
            // Keys typed into another program: held while the focus is away.
            scriptedFocus = false;
            s.focusBackAt = swap + random.Between(1, 30);
            for (int k = 0; k < 3; k++) HoldKey(HeldKeys[random.Below(HeldKeyCount)], random.Between(1, 30));
            s.counts.unfocused++;
        } else if (roll < 900) {
            scriptedCursorX = static_cast<int32_t>(random.Between(-5000, 5000));
            scriptedCursorY = static_cast<int32_t>(random.Between(-5000, 5000));
        } else if (roll < 920) {  // the map on or off
            QueueEvent(KeyEvent('N', true));
            QueueEvent(KeyEvent('N', false));
        } else {
            // Quiet: the person just looks.
        }
    }
}

// Called after every swap (main loop, save and load progress, failure
// messages): checks the player, then lets the person act.
void OnSwap(int) {
    soak->counts.swaps++;
    CheckPlayer();
    Drive();
    soak->teleportHeldSince = scriptedKeys['T'];
}

class Soaking : public ::testing::Test {
protected:
    void SetUp() override {
        ResetProgramState();
        ASSERT_TRUE(EnterScratchFolder("talvox-soak"));
        // The bitmaps the build made, so that real textures are drawn.
        fs::copy(folderBeforeScratch / ".." / "run" / "bmp_cube", scratchFolder / "bmp_cube",
                 fs::copy_options::recursive);
    }
    void TearDown() override {
        LeaveScratchFolder();
        soak = nullptr;
    }
};

}  // namespace

TEST_F(Soaking, ALongRandomSessionNeverBreaksTheProgram) {
    Soak state;
    soak = &state;
    const uint64_t seed = static_cast<uint64_t>(EnvironmentNumber("TALVOX_SOAK_SEED", 20260311));
    state.random.state = seed;
    state.targetFrames = EnvironmentNumber("TALVOX_SOAK_FRAMES", 2500);
    state.maxSaves = state.targetFrames >= 20000 ? 4 : 1;
    state.maxLoads = state.maxSaves;
    state.nextChordAt = static_cast<int32_t>(state.targetFrames / (state.maxSaves + state.maxLoads + 1));
    for (int i = 0; i < 3; i++) state.closeFrames[i] = state.targetFrames * (i + 1) / 4 + 7;
    std::printf("soak: seed %llu, %lld frames\n", static_cast<unsigned long long>(seed),
                static_cast<long long>(state.targetFrames));

    const auto started = std::chrono::steady_clock::now();
    UseRealContext();
    ASSERT_TRUE(StartExplorer());
    scriptedOnSwap = OnSwap;
    int runs = 0;
    for (;;) {
        int code = RunMainLoop();
        runs++;
        ASSERT_EQ(code, 0) << "the loop ended with " << code;
        ASSERT_TRUE(state.failure.empty()) << state.failure;
        if (state.ending) break;
        // The loop ended on the close request, before any further swap.
        ASSERT_TRUE(state.closeQueued) << "the loop ended by itself at frame " << frameCounter;
        if (state.closedMidSave) {
            // The save ran to its end (its progress swaps and its "Map saved"
            // line) and left a whole map.
            EXPECT_LE(state.swapsAfterClose, 16 + 1) << "frames ran after the save and the close request";
            EXPECT_EQ(fs::file_size("map/0.map"), 2u * (16777216u - 1u)) << "the map is not whole";
            state.closedMidSave = false;
        } else {
            EXPECT_EQ(state.swapsAfterClose, 0) << "frames ran after the close request";
        }
        state.closeQueued = false;
        state.swapsAfterClose = 0;
        ASSERT_TRUE(OpenRenderWindow(WindowTitle, 320 * screenScale, 240 * screenScale, 16));
    }
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();

    EXPECT_EQ(state.swapsAfterEscape, 0) << "frames ran after Escape";
    EXPECT_GE(frameCounter, state.targetFrames);
    EXPECT_EQ(runs, 4);
    EXPECT_EQ(state.counts.saves + state.counts.missingFolderSaves, state.maxSaves);
    EXPECT_EQ(state.counts.loads + state.counts.failedLoads, state.maxLoads);
    WindowEvent left;
    EXPECT_FALSE(PlatformTakeEvent(&left)) << "an event was left in the queue";
    const SoakCounts& c = state.counts;
    std::printf(
        "soak: %d frames, %lld swaps in %.1f s (%.0f frames/s); %lld key holds, %lld F-keys, %lld mouse moves, "
        "%lld minimises, %lld restores, %lld odd events, %lld unfocused spells, %lld saves "
        "(+%lld into a missing folder), %lld loads (+%lld of a short map), %lld closes (%lld mid-save), "
        "%lld regenerations, %lld wide-radius spells; fake clock %.0f s\n",
        frameCounter, static_cast<long long>(c.swaps), seconds, frameCounter / seconds,
        static_cast<long long>(c.keyHolds), static_cast<long long>(c.functionKeys),
        static_cast<long long>(c.mouseMoves), static_cast<long long>(c.minimises), static_cast<long long>(c.restores),
        static_cast<long long>(c.oddEvents), static_cast<long long>(c.unfocused), static_cast<long long>(c.saves),
        static_cast<long long>(c.missingFolderSaves), static_cast<long long>(c.loads),
        static_cast<long long>(c.failedLoads), static_cast<long long>(c.closes + c.closesMidSave),
        static_cast<long long>(c.closesMidSave), static_cast<long long>(c.regenerations),
        static_cast<long long>(c.wideFrames), scriptedClock / 1000.0);
}
