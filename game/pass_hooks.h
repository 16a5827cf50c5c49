// What the layers above the game add to each pass, without the game including them: the
// input layer reads the devices and runs their commands, the editor steps pose mode,
// hears of new records and forgets itself for a new game. Each of those layers puts its
// own functions in place when it is linked in; an empty hook does nothing, so a program
// made of the game alone (a benchmark, the exporter) plays without them.
#pragma once

struct PlayPass;

struct PassHooks {
    // Reads keyboard and mouse and runs the key and button commands, before anything moves.
    void (*pollInput)(float seconds) = nullptr;
    // In place of the figure's physics and animation step; true when it took the pass.
    bool (*stepInstead)(float seconds) = nullptr;
    // After the step, with the figure standing as the pass will draw it: what is under the
    // cursor is picked and dragged here, never in the drawing.
    void (*afterStep)() = nullptr;
    // The live reload put new records in place; sameEditedFiles: the files the editor
    // writes are still the ones its history applies to.
    void (*recordsReplaced)(bool sameEditedFiles) = nullptr;
    // Runs a recorded pass's keys through the key table and applies its aim (a replay,
    // game/play_record.h).
    void (*replayPass)(const PlayPass& pass) = nullptr;
    // A new game in the same process: each upper layer back to its start.
    void (*forgetInput)() = nullptr;
    void (*forgetEditor)() = nullptr;
};

// The hooks in force; the layers above fill in their own fields.
PassHooks& Hooks();
