// The figure's records: part images, the figure and its slots, hit boxes and the
// animation frames with their key lists. Chief header of the figure data files. Records
// are plain data, built by the readers and kept until the process ends; what moves or
// draws them lives in the layers above.
#pragma once
#include <d3d8.h>

const int TILE_GRID = 5;        // tiles per row and per column of a part image
// Key lists per frame, current keys per figure and so slots per figure: a list drives the
// slot of its number. Data sets written for the old bound of 10 read as they did.
const int MAX_FRAME_KEYS = 32;
const int MAX_PART_LIST = 5;    // entries of each visibility list of a key
const int MAXKEYS = 6;          // animated slots of the player figure
const int MAX_DATA_LINE = 1000; // line buffer of the data-file reader

// One joint point of a part image, pixels from the image centre, y up.
struct PartPoint {
    int x;
    int y;
};

// One image of the figure, cut into at most 5 x 5 texture tiles.
class VectorPart {
public:
    VectorPart();
    ~VectorPart();
    VectorPart(const VectorPart&) = delete;
    VectorPart& operator=(const VectorPart&) = delete;

    // Loads the image and builds its tiles; returns tile [0][0]'s buffer or null.
    IDirect3DVertexBuffer8* InitPart(const char* fileName);
    // Draws every tile under the device's current world transform. Beside InitPart in
    // the parts file: what builds the tiles also knows how to draw them.
    void Draw();

    int tilesAcross;
    int tilesDown;
    IDirect3DTexture8* tileTextures[TILE_GRID][TILE_GRID];          // [column][row]
    IDirect3DVertexBuffer8* tileVertexBuffers[TILE_GRID][TILE_GRID];
    int tileWidths[TILE_GRID][TILE_GRID];
    int tileHeights[TILE_GRID][TILE_GRID];
    unsigned int imageHeight;
    unsigned int imageWidth;
    char* textureFile;
    IDirect3DVertexBuffer8* primaryVertexBuffer;  // not owned: tile [0][0]'s buffer
    int index;
    float xoffset;  // image centre relative to the pivot; the editor nudges it
    float yoffset;
    int numpoints;
    PartPoint* points;    // joints where child slots hang
    unsigned int width;   // copies of the image size that the collisions read
    unsigned int height;
};

// One slot of a figure, and also one piece of the level.
struct ManPart {
    unsigned char visible;
    float x, y;  // slot: extra offset moved by its velocity; piece: place in its cell
    float z;     // pieces only
    float xVelocity, yVelocity;
    float yMin, yMax;       // y stays between these; a frame start sets them
    unsigned char yBounce;  // at yMax: reverse (set) or stop (clear)
    int rootpart;   // parent slot, -1: hangs from the figure's origin
    int rootpoint;  // joint of image number rootpart the slot hangs from
    int layer;      // 1 front .. 6 back; others are not drawn
    float angle;    // degrees, kept in [0, 360)
    float angularVelocity;  // turn while no key drives the slot
    int vecpartnum;         // image shown, index into g_parts
    // Set for the slots that strike (the held item): each pose then leaves the world
    // position of the image centre in worldX, worldY for the next frame's collisions.
    unsigned char tracked;
    float worldX, worldY;
    unsigned char solid;     // pieces: the figure stands on and bumps into it
    unsigned char movable;   // pieces: collides, and may be pushed
    unsigned char pushable;  // pieces: a strike pushes it, if it also collides
    // Pieces: which piece this is in every copy of the level (the editor's history keeps
    // whole copies), so a save finds the line it came from; 0 for none.
    int id;
};

// A collision box relative to the figure's position, not turned with it.
struct HitBox {
    float centerX;
    float centerY;
    float halfWidth;
    float halfHeight;
};

// How a key's turn runs along the way. The key lasts as long whatever it is (its angles and
// speed give the time); only where the slot stands in between follows the curve.
enum KeyEase : unsigned char {
    EASE_LINEAR,  // the same speed all the way
    EASE_IN,      // starts slow
    EASE_OUT,     // ends slow
    EASE_IN_OUT,  // starts and ends slow
    EASE_STEP,    // holds the start, then jumps to the destination as the key ends
    EASE_COUNT
};

// One key of a key list; a list is one contiguous array of these. A key holds what the
// file says and nothing more: playing it changes the figure's KeyPlayback, never the key.
struct AnimKey {
    unsigned char useStartAngle;  // clear: the turn starts from wherever the slot is
    float startAngle;
    float destAngle;
    float rotSpeed;  // degrees per second; the sign gives the direction
    unsigned char moveX;  // the key has a movement line; only the vertical one is applied
    unsigned char moveY;
    float xMin, yMin;
    float xMax, yMax;
    float xVel, yVel;
    unsigned char xLoop, yLoop;  // bounce at the upper bound
    unsigned char useChangePart;  // at the end: slot changePartSlot shows changePartVecPart
    int changePartSlot;
    int changePartVecPart;
    unsigned char hasVisibleList;  // at the end: these slots are shown (-1: empty entry)
    int visibleParts[MAX_PART_LIST];
    unsigned char hasInvisibleList;  // at the end: these slots are hidden
    int invisibleParts[MAX_PART_LIST];
    unsigned char loopKeys;  // after this key the list starts again
    unsigned char ease;      // a KeyEase
    AnimKey* next;
    AnimKey* prev;
    AnimKey* first;
    // Names the key for the editor's history and the saver, which must find it again after
    // keys before it were inserted or deleted: unique among loaded keys, never 0.
    int id;
};

// One movement of the figure: a key list per animated slot.
struct AnimFrame {
    int numparts;
    AnimKey* keys[MAX_FRAME_KEYS];
};

// Where one driven slot stands in its current key while a frame plays.
struct KeyPlayback {
    float startAngle;  // the angle the key turns from: its own, or the slot's when it began
    // Degrees turned so far in the key: the key ends when it has turned the whole way,
    // which works across the 360 wrap where comparing angles would not.
    float turned;
};

// The figure on screen.
struct VectorMan {
    int numparts;
    ManPart* parts;
    float x, y, z;
    float xVelocity, yVelocity, zVelocity;
    float yAngle;  // 0 faces right, 180 left
    float zAngle;  // turn in the screen plane
    float zAngularVelocity;
    int maxKeys;   // slots 0 .. maxKeys - 1 are driven by key lists
    AnimKey* currentKeys[MAX_FRAME_KEYS];  // per slot, null: turns freely
    KeyPlayback playback[MAX_FRAME_KEYS];  // per slot, how far into its current key
    int numHitBoxes;
    HitBox* hitBoxes;
    // The boxes stand mirrored (facing left) against the file's: the facing mirrors them,
    // and the editor saves them as the file gives them.
    unsigned char hitBoxesMirrored;

    // Defined by the animation layer (animation/step.cpp, animation/pose.cpp); they stay
    // members because the frame and the renderer call them on the figure.
    // Advances every slot by the elapsed seconds; returns 0.
    int StepAnimation(float seconds);
    // Poses and draws the figure with the editor overlays; returns 0.
    int DrawFigure();
};

// A new array of n zero-filled keys, linked through next, prev and first, each with a fresh id.
AnimKey* NewKeyList(int n);
// An id no key has had since the process started.
int NewKeyId();

extern VectorPart* g_parts;
extern int g_numParts;
extern VectorMan* g_vectorMan;
extern AnimFrame* g_frames;
extern int g_numFrames;

// The part at index, or null when the index does not name a loaded part.
VectorPart* PartAt(int index);

// Key `key` of list `list` of frame `frame`, or null when any of them does not exist.
AnimKey* KeyAt(int frame, int list, int key);
// The keys of a list, following next from its first.
int KeyCount(const AnimKey* list);

// Where a key is: frame, key list, index in the list.
struct KeyPlace {
    int frame;
    int list;
    int index;
};
// The loaded key with this id, its place in place when given; null for an unknown id.
AnimKey* KeyById(int id, KeyPlace* place = nullptr);

// Free what the readers built: a figure with its slots and boxes, frames with their key
// lists (the part array is freed with delete[], which releases its textures and buffers).
void FreeFigure(VectorMan* man);
void FreeFrames(AnimFrame* frames, int count);
