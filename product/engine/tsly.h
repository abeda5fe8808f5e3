/* tsly: the tiling engine of Tessaly, a shared library with a C interface.
 *
 * The engine knows a numbered list of periodic tilings of the plane with unit edges.
 * It answers which tiles of a tiling meet a rectangle, each as a convex polygon with
 * its shape (which kind of polygon) and colour class (tiles sharing an edge never share
 * one). Coordinates: x to the right, y up; a program drawing on a screen may mirror y.
 *
 * Every function is safe to call with any argument: bad ones give an error code or a
 * null pointer, never a crash. Results are owned by the caller until freed. The engine
 * keeps no state between calls and may be used from several threads at once.
 */
#ifndef TSLY_H
#define TSLY_H

#include <stddef.h>

#ifdef __cplusplus
extern "C" {
#endif

#if defined(TSLY_BUILDING)
#define TSLY_API __attribute__((visibility("default")))
#else
#define TSLY_API
#endif

/* Bumped whenever a declaration below changes meaning. */
#define TSLY_ABI_VERSION 1

enum {
    TSLY_OK = 0,
    TSLY_E_ARGUMENT = 1, /* a null pointer, or a rectangle not finite, inverted or too far out */
    TSLY_E_TILING = 2,   /* no tiling has that number */
    TSLY_E_TOO_MANY = 3, /* more tiles than the caller allowed */
    TSLY_E_MEMORY = 4,
    TSLY_E_INTERNAL = 5
};

typedef struct tsly_point {
    double x, y;
} tsly_point;

typedef struct tsly_tile {
    int shape;                  /* 0 .. tsly_shape_count(tiling) - 1 */
    int colour;                 /* 0 .. tsly_colour_count(tiling) - 1 */
    int vertex_count;           /* 3 or more */
    const tsly_point* vertices; /* counter-clockwise; valid until the list is freed */
} tsly_tile;

typedef struct tsly_tiles tsly_tiles;

TSLY_API int tsly_abi_version(void);
/* "1.1" */
TSLY_API const char* tsly_version(void);

TSLY_API int tsly_tiling_count(void);
/* Name and vertex configuration ("Octagons and squares", "4.8.8"); NULL for an unknown
 * tiling. The strings live as long as the library is loaded. */
TSLY_API const char* tsly_tiling_name(int tiling);
TSLY_API const char* tsly_tiling_symbol(int tiling);
/* -1 for an unknown tiling. */
TSLY_API int tsly_shape_count(int tiling);
TSLY_API int tsly_colour_count(int tiling);
/* "octagon"; NULL for an unknown tiling or shape. */
TSLY_API const char* tsly_shape_name(int tiling, int shape);

/* The tiles of a tiling with a point in the rectangle [x0, x1] x [y0, y1]; tiles that
 * only touch it may be listed too. At most max_tiles tiles: a rectangle meeting more
 * gives TSLY_E_TOO_MANY and no list. Coordinates beyond 1e9 are refused. On success
 * *out receives a list to free with tsly_tiles_free; on failure it is set to NULL. */
TSLY_API int tsly_tiles_in_rect(int tiling, double x0, double y0, double x1, double y1, size_t max_tiles,
                                tsly_tiles** out);
TSLY_API size_t tsly_tiles_count(const tsly_tiles* tiles);
/* Fills *tile with tile number index of the list; TSLY_E_ARGUMENT when out of range. */
TSLY_API int tsly_tiles_get(const tsly_tiles* tiles, size_t index, tsly_tile* tile);
/* Accepts NULL. */
TSLY_API void tsly_tiles_free(tsly_tiles* tiles);

/* A sentence for an error code ("The rectangle is not valid."). */
TSLY_API const char* tsly_error_text(int code);

#ifdef __cplusplus
}
#endif

#endif
