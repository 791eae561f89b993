// The program's version, in one place: the version resource (Quorvane.rc) states it from these
// numbers, and scripts/package names the release archives after them.
#pragma once

#define QUORVANE_VERSION_MAJOR 1
#define QUORVANE_VERSION_MINOR 0
#define QUORVANE_VERSION_PATCH 0
#define QUORVANE_VERSION_BUILD 1

// The numbers as the version strings show them: "1, 0, 0, 1".
#define QUORVANE_VERSION_TEXT_OF(a, b, c, d) #a ", " #b ", " #c ", " #d
#define QUORVANE_VERSION_TEXT_FROM(a, b, c, d) QUORVANE_VERSION_TEXT_OF(a, b, c, d)
#define QUORVANE_VERSION_TEXT                                                  \
    QUORVANE_VERSION_TEXT_FROM(QUORVANE_VERSION_MAJOR, QUORVANE_VERSION_MINOR, \
                               QUORVANE_VERSION_PATCH, QUORVANE_VERSION_BUILD)
