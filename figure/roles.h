// The numbers the game gives fixed roles: slots of the player figure, animation frames
// and part images. The data files must put the right thing at each of these numbers;
// the checker tests that they do. Changing a value here changes what the data means.
#pragma once

// Slots of the player figure.
const int BODY_SLOT = 1;       // its bob is reset when a walk stops
const int BACK_ARM_SLOT = 2;
const int HOLDING_SLOT = 3;    // the front arm: holds the item while it shows GRIP_IMAGE
const int BACK_LEG_SLOT = 4;
const int FRONT_LEG_SLOT = 5;  // kicks
const int ITEM_SLOT = 6;       // the held item, which the thrust moves
const int FLASH_SLOT = 7;      // shown by the punch's keys
// Slots turned by the keys and straightened by a reset: both arms and both legs.
const int FIRST_LIMB_SLOT = BACK_ARM_SLOT;
const int LAST_LIMB_SLOT = FRONT_LEG_SLOT;
// Slots hidden at start until the animation shows them.
const int FIRST_HIDDEN_SLOT = ITEM_SLOT;
const int LAST_HIDDEN_SLOT = FLASH_SLOT;
const int MIN_FIGURE_SLOTS = LAST_HIDDEN_SLOT + 1;

// Frames of the animation file, started by number.
const int PUNCH_FRAME = 0;
const int KICK_FRAME = 1;
const int WALK_FRAME = 2;
const int JUMP_FRAME = 3;
const int TAKE_ITEM_FRAME = 4;
const int PUT_AWAY_FRAME = 5;
const int MIN_FRAMES = PUT_AWAY_FRAME + 1;

// Part images.
const int EMPTY_HAND_IMAGE = 3;  // the holding slot without the item
const int GRIP_IMAGE = 6;        // the holding slot gripping the item
const int FLOOR_IMAGE = 9;       // level pieces
const int BLOCK_IMAGE = 10;
const int SCENERY_IMAGE = 11;
const int CURSOR_IMAGE = 12;     // the game cursor
const int MIN_IMAGES = CURSOR_IMAGE + 1;

// Drawing layers: the back one is drawn first, so what is in front covers it.
const int FRONT_LAYER = 1;
const int BACK_LAYER = 6;
const int DEFAULT_LAYER = 3;  // of a slot the figure file gives no layer, and of most pieces

// The layer one further back, round to the front (a layer not drawn comes to the front).
inline int LayerBehind(int layer)
{
    return layer >= BACK_LAYER || layer < FRONT_LAYER ? FRONT_LAYER : layer + 1;
}
