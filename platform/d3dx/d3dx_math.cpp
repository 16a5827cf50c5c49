// Matrix, vector and picking math of the extension library (row-vector convention).
#include <d3dx8.h>

#include <cmath>
#include <cstring>

D3DXMATRIX::D3DXMATRIX(FLOAT f11, FLOAT f12, FLOAT f13, FLOAT f14, FLOAT f21, FLOAT f22, FLOAT f23, FLOAT f24,
                       FLOAT f31, FLOAT f32, FLOAT f33, FLOAT f34, FLOAT f41, FLOAT f42, FLOAT f43, FLOAT f44)
{
    _11 = f11; _12 = f12; _13 = f13; _14 = f14;
    _21 = f21; _22 = f22; _23 = f23; _24 = f24;
    _31 = f31; _32 = f32; _33 = f33; _34 = f34;
    _41 = f41; _42 = f42; _43 = f43; _44 = f44;
}

D3DXMATRIX D3DXMATRIX::operator*(const D3DXMATRIX& other) const
{
    D3DXMATRIX result;
    D3DXMatrixMultiply(&result, this, &other);
    return result;
}

static void FillMatrix(D3DXMATRIX* out, const float values[16])
{
    // One block copy: the rows are contiguous, and element by element was a fifth of a frame update.
    std::memcpy(out->m, values, sizeof out->m);
}

D3DXMATRIX* WINAPI D3DXMatrixIdentity(D3DXMATRIX* out)
{
    if (!out) return out;
    const float values[16] = {1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    FillMatrix(out, values);
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixTranslation(D3DXMATRIX* out, FLOAT x, FLOAT y, FLOAT z)
{
    if (!out) return out;
    D3DXMatrixIdentity(out);
    out->_41 = x;
    out->_42 = y;
    out->_43 = z;
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationX(D3DXMATRIX* out, FLOAT angle)
{
    if (!out) return out;
    const float c = std::cos(angle), s = std::sin(angle);
    const float values[16] = {1, 0, 0, 0, 0, c, s, 0, 0, -s, c, 0, 0, 0, 0, 1};
    FillMatrix(out, values);
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationY(D3DXMATRIX* out, FLOAT angle)
{
    if (!out) return out;
    const float c = std::cos(angle), s = std::sin(angle);
    const float values[16] = {c, 0, -s, 0, 0, 1, 0, 0, s, 0, c, 0, 0, 0, 0, 1};
    FillMatrix(out, values);
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixRotationZ(D3DXMATRIX* out, FLOAT angle)
{
    if (!out) return out;
    const float c = std::cos(angle), s = std::sin(angle);
    const float values[16] = {c, s, 0, 0, -s, c, 0, 0, 0, 0, 1, 0, 0, 0, 0, 1};
    FillMatrix(out, values);
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixMultiply(D3DXMATRIX* out, CONST D3DXMATRIX* m1, CONST D3DXMATRIX* m2)
{
    if (!out || !m1 || !m2) return out;
    // Computed into a temporary so that out may alias either operand.
    // Whole rows of m2 at a time, which the compiler does four wide; each element still sums
    // its products in the same order, so the results are bit for bit the same.
    float result[16] = {};
    for (int r = 0; r < 4; ++r)
        for (int k = 0; k < 4; ++k) {
            const float a = m1->m[r][k];
            for (int c = 0; c < 4; ++c) result[r * 4 + c] += a * m2->m[k][c];
        }
    FillMatrix(out, result);
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixInverse(D3DXMATRIX* out, FLOAT* determinant, CONST D3DXMATRIX* m)
{
    if (!out || !m) return nullptr;
    // Gauss-Jordan with partial pivoting in double precision.
    double a[4][8];
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 8; ++c) a[r][c] = c < 4 ? m->m[r][c] : (c - 4 == r ? 1.0 : 0.0);
    double det = 1.0;
    for (int col = 0; col < 4; ++col) {
        int pivot = col;
        for (int r = col + 1; r < 4; ++r)
            if (std::fabs(a[r][col]) > std::fabs(a[pivot][col])) pivot = r;
        if (a[pivot][col] == 0.0) {
            if (determinant) *determinant = 0.0f;
            return nullptr;
        }
        if (pivot != col) {
            for (int c = 0; c < 8; ++c) std::swap(a[pivot][c], a[col][c]);
            det = -det;
        }
        const double p = a[col][col];
        det *= p;
        for (int c = 0; c < 8; ++c) a[col][c] /= p;
        for (int r = 0; r < 4; ++r) {
            if (r == col) continue;
            const double f = a[r][col];
            if (f == 0.0) continue;
            for (int c = 0; c < 8; ++c) a[r][c] -= f * a[col][c];
        }
    }
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) out->m[r][c] = static_cast<float>(a[r][c + 4]);
    if (determinant) *determinant = static_cast<float>(det);
    return out;
}

D3DXMATRIX* WINAPI D3DXMatrixPerspectiveFovLH(D3DXMATRIX* out, FLOAT fovy, FLOAT aspect, FLOAT zn, FLOAT zf)
{
    if (!out) return out;
    const float h = 1.0f / std::tan(fovy / 2.0f);
    const float w = h / aspect;
    const float q = zf / (zf - zn);
    const float values[16] = {w, 0, 0, 0, 0, h, 0, 0, 0, 0, q, 1, 0, 0, -zn * q, 0};
    FillMatrix(out, values);
    return out;
}

static D3DXVECTOR3 Sub(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
static float Dot(const D3DXVECTOR3& a, const D3DXVECTOR3& b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
static D3DXVECTOR3 Cross(const D3DXVECTOR3& a, const D3DXVECTOR3& b)
{
    return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
}
static D3DXVECTOR3 Normalize(const D3DXVECTOR3& v)
{
    const float length = std::sqrt(Dot(v, v));
    if (length == 0.0f) return v;
    return {v.x / length, v.y / length, v.z / length};
}

D3DXMATRIX* WINAPI D3DXMatrixLookAtLH(D3DXMATRIX* out, CONST D3DXVECTOR3* eye, CONST D3DXVECTOR3* at,
                                      CONST D3DXVECTOR3* up)
{
    if (!out || !eye || !at || !up) return out;
    const D3DXVECTOR3 z = Normalize(Sub(*at, *eye));
    const D3DXVECTOR3 x = Normalize(Cross(*up, z));
    const D3DXVECTOR3 y = Cross(z, x);
    const float values[16] = {x.x, y.x, z.x, 0, x.y, y.y, z.y, 0, x.z, y.z, z.z, 0,
                              -Dot(x, *eye), -Dot(y, *eye), -Dot(z, *eye), 1};
    FillMatrix(out, values);
    return out;
}

static void TransformPoint(float out[4], const float in[4], const D3DMATRIX& m)
{
    for (int c = 0; c < 4; ++c)
        out[c] = in[0] * m.m[0][c] + in[1] * m.m[1][c] + in[2] * m.m[2][c] + in[3] * m.m[3][c];
}

// A point through the matrix and back out of homogeneous space; a point at w = 0 (at
// infinity) is left undivided rather than turned into infinities.
static void TransformProjected(float out[4], const float in[4], const D3DMATRIX& m)
{
    TransformPoint(out, in, m);
    if (out[3] != 0.0f) {
        out[0] /= out[3];
        out[1] /= out[3];
        out[2] /= out[3];
    }
}

D3DXVECTOR4* WINAPI D3DXVec3Transform(D3DXVECTOR4* out, CONST D3DXVECTOR3* v, CONST D3DXMATRIX* m)
{
    if (!out || !v || !m) return out;
    const float in[4] = {v->x, v->y, v->z, 1.0f};
    float r[4];
    TransformPoint(r, in, *m);
    *out = D3DXVECTOR4(r[0], r[1], r[2], r[3]);
    return out;
}

// world * view * projection, with any missing matrix taken as the identity.
static D3DXMATRIX CombinedTransform(CONST D3DXMATRIX* projection, CONST D3DXMATRIX* view, CONST D3DXMATRIX* world)
{
    D3DXMATRIX result;
    D3DXMatrixIdentity(&result);
    if (world) result = *world;
    if (view) D3DXMatrixMultiply(&result, &result, view);
    if (projection) D3DXMatrixMultiply(&result, &result, projection);
    return result;
}

D3DXVECTOR3* WINAPI D3DXVec3Project(D3DXVECTOR3* out, CONST D3DXVECTOR3* v, CONST D3DVIEWPORT8* viewport,
                                    CONST D3DXMATRIX* projection, CONST D3DXMATRIX* view, CONST D3DXMATRIX* world)
{
    if (!out || !v) return out;
    const D3DXMATRIX m = CombinedTransform(projection, view, world);
    const float in[4] = {v->x, v->y, v->z, 1.0f};
    float p[4];
    TransformProjected(p, in, m);
    if (viewport) {
        p[0] = viewport->X + (1.0f + p[0]) * viewport->Width / 2.0f;
        p[1] = viewport->Y + (1.0f - p[1]) * viewport->Height / 2.0f;
        p[2] = viewport->MinZ + p[2] * (viewport->MaxZ - viewport->MinZ);
    }
    *out = D3DXVECTOR3(p[0], p[1], p[2]);
    return out;
}

D3DXVECTOR3* WINAPI D3DXVec3Unproject(D3DXVECTOR3* out, CONST D3DXVECTOR3* v, CONST D3DVIEWPORT8* viewport,
                                      CONST D3DXMATRIX* projection, CONST D3DXMATRIX* view, CONST D3DXMATRIX* world)
{
    if (!out || !v) return out;
    const D3DXMATRIX m = CombinedTransform(projection, view, world);
    D3DXMATRIX inverse;
    if (!D3DXMatrixInverse(&inverse, nullptr, &m)) return nullptr;
    float p[4] = {v->x, v->y, v->z, 1.0f};
    if (viewport) {
        const float depthRange = viewport->MaxZ - viewport->MinZ;
        p[0] = viewport->Width ? (p[0] - viewport->X) * 2.0f / viewport->Width - 1.0f : 0.0f;
        p[1] = viewport->Height ? 1.0f - (p[1] - viewport->Y) * 2.0f / viewport->Height : 0.0f;
        p[2] = depthRange != 0.0f ? (p[2] - viewport->MinZ) / depthRange : 0.0f;
    }
    float r[4];
    TransformProjected(r, p, inverse);
    *out = D3DXVECTOR3(r[0], r[1], r[2]);
    return out;
}

BOOL WINAPI D3DXIntersectTri(CONST D3DXVECTOR3* p0, CONST D3DXVECTOR3* p1, CONST D3DXVECTOR3* p2,
                             CONST D3DXVECTOR3* rayPos, CONST D3DXVECTOR3* rayDir, FLOAT* u, FLOAT* v, FLOAT* dist)
{
    if (!p0 || !p1 || !p2 || !rayPos || !rayDir) return FALSE;
    const D3DXVECTOR3 edge1 = Sub(*p1, *p0);
    const D3DXVECTOR3 edge2 = Sub(*p2, *p0);
    const D3DXVECTOR3 pvec = Cross(*rayDir, edge2);
    const float det = Dot(edge1, pvec);
    if (std::fabs(det) < 1e-12f) return FALSE;
    const float invDet = 1.0f / det;
    const D3DXVECTOR3 tvec = Sub(*rayPos, *p0);
    const float bu = Dot(tvec, pvec) * invDet;
    if (bu < 0.0f || bu > 1.0f) return FALSE;
    const D3DXVECTOR3 qvec = Cross(tvec, edge1);
    const float bv = Dot(*rayDir, qvec) * invDet;
    if (bv < 0.0f || bu + bv > 1.0f) return FALSE;
    const float t = Dot(edge2, qvec) * invDet;
    if (t < 0.0f) return FALSE;
    if (u) *u = bu;
    if (v) *v = bv;
    if (dist) *dist = t;
    return TRUE;
}
