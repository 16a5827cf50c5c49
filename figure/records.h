// The figure's records: part images, the figure and its slots, hit boxes and the
// animation frames with their key lists. Chief header of the figure data files.
#pragma once
#include <d3d8.h>

const int TILE_GRID = 5;        // tiles per row and per column of a part image
const int MAX_FRAME_KEYS = 10;  // key lists per frame, current keys (and slots) per figure
const int MAX_PART_LIST = 5;    // entries of each visibility list of a key
const int MAXKEYS = 6;          // animated slots of the player figure
const int MAX_DATA_LINE = 1000; // line buffer of the data-file reader

// One joint point of a part image, pixels from the image centre, y up.
struct PartPoint {
    int x;
    int y;
};

// The one vertex format: position, ARGB colour, texture coordinates (FVF 0x142).
struct QuadVertex {
    float x, y, z;
    DWORD colour;
    float u, v;
};
const DWORD QUAD_FVF = D3DFVF_XYZ | D3DFVF_DIFFUSE | D3DFVF_TEX1;

// One image of the figure, cut into at most 5 x 5 texture tiles.
class VectorPart {
public:
    VectorPart();
    ~VectorPart();
    VectorPart(const VectorPart&) = delete;
    VectorPart& operator=(const VectorPart&) = delete;

    // Loads the image and builds its tiles; returns tile [0][0]'s buffer or null.
    IDirect3DVertexBuffer8* InitPart(const char* fileName);
    // Draws every tile under the device's current world transform.
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
    float xoffset;
    float yoffset;
    int numpoints;
    PartPoint* points;
    unsigned int width;
    unsigned int height;
};

// One slot of a figure, and also one piece of the level.
struct ManPart {
    unsigned char visible;
    float x, y;
    float z;
    float xVelocity, yVelocity;
    float yMin, yMax;
    unsigned char yBounce;
    int rootpart;
    int rootpoint;
    int layer;
    float angle;
    float angularVelocity;
    int vecpartnum;
    unsigned char tracked;
    float worldX, worldY;
    unsigned char solid;
    unsigned char movable;
    unsigned char pushable;
};

// A collision box relative to the figure's position, not turned with it.
struct HitBox {
    float centerX;
    float centerY;
    float halfWidth;
    float halfHeight;
};

// One key of a key list; a list is one contiguous array of these.
struct AnimKey {
    unsigned char useStartAngle;
    float startAngle;
    float destAngle;
    float rotSpeed;
    float turned;
    unsigned char moveX;
    unsigned char moveY;
    float xMin, yMin;
    float xMax, yMax;
    float xVel, yVel;
    unsigned char xLoop, yLoop;
    unsigned char useChangePart;
    int changePartSlot;
    int changePartVecPart;
    unsigned char hasVisibleList;
    int visibleParts[MAX_PART_LIST];
    unsigned char hasInvisibleList;
    int invisibleParts[MAX_PART_LIST];
    unsigned char loopKeys;
    AnimKey* next;
    AnimKey* prev;
    AnimKey* first;
};

// One movement of the figure: a key list per animated slot.
struct AnimFrame {
    int numparts;
    AnimKey* keys[MAX_FRAME_KEYS];
};

// The figure on screen.
struct VectorMan {
    int numparts;
    ManPart* parts;
    float x, y, z;
    float xVelocity, yVelocity, zVelocity;
    float yAngle;
    float zAngle;
    float zAngularVelocity;
    int maxKeys;
    AnimKey* currentKeys[MAX_FRAME_KEYS];
    int numHitBoxes;
    HitBox* hitBoxes;

    // Advances every slot by the elapsed seconds; returns 0.
    int StepAnimation(float seconds);
    // Poses and draws the figure with the editor overlays; returns 0.
    int DrawFigure();
};

// A new array of n zero-filled keys, linked through next, prev and first.
AnimKey* NewKeyList(int n);

extern VectorPart* g_parts;
extern int g_numParts;
extern VectorMan* g_vectorMan;
extern AnimFrame* g_frames;
extern int g_numFrames;
extern DWORD g_maxTextureWidth;
extern DWORD g_maxTextureHeight;

// The part at index, or null when the index does not name a loaded part.
VectorPart* PartAt(int index);
