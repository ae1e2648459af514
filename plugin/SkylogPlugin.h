/* The binary interface between an ORMA host and the Skylog plug-in (libskylog.so).
 * Plain C: the host and the plug-in may be built apart. Records use the platform's
 * natural alignment (pointers are 8 bytes on x86-64); the offsets are checked below
 * and listed in docs/formats/plugin-interface.md. */
#ifndef SKYLOG_PLUGIN_H
#define SKYLOG_PLUGIN_H

#include <stddef.h>
#include <stdint.h>

#ifdef __cplusplus
extern "C" {
#endif

/* A host string: NUL-terminated 8-bit text in Windows-1252, or null for the empty
 * string. File names are the file system's own bytes. Whoever writes one keeps it
 * alive: the host for its records, the plug-in (static text) for its answers. */
typedef const char* THostString;

/* What the host application lends the plug-in while it runs. */
typedef struct THostApplication {
    void* Context;    /* the host's own pointer, handed back to the two calls */
    void* MainWindow; /* the host's main window (a QWidget*): owner of the plug-in's
                         windows; null when the host shows none */
    /* Sets the host's title (Windows-1252 text). */
    void (*SetTitle)(void* context, THostString title);
    /* Gives the host an icon (a const QIcon*, valid during the call only: the host
       keeps a copy). */
    void (*SetIcon)(void* context, const void* icon);
    /* The host's version, "major.minor.release.build"; null when it has none. */
    THostString Version;
} THostApplication;

/* The host's description, handed once to Initialize and kept by the plug-in. */
typedef struct THostInitRecord {
    int32_t Reserved;                    /* the host's own; not read */
    uint8_t Debug;                       /* non-zero: debug panels and rows */
    const void* EventDictionary;         /* the host's event dictionary */
    const void* InstrumentTypes;         /* the host's instrument types */
    THostString HostFileName;            /* a file in the host's installation folder */
    const THostApplication* Application; /* the host application */
} THostInitRecord;

/* Answer to query 1. */
typedef struct TPlugInfoRecord {
    int32_t PlacementCount; /* menu placements that query 2 answers */
    int32_t Identifier;
    uint8_t Flag1;
    uint8_t Flag2;
    uint8_t Flag3;
    uint8_t Reserved; /* not written */
    int32_t Value;
} TPlugInfoRecord;

/* Query 2: Index is read, the rest written. */
typedef struct TMenuPlacementRecord {
    int32_t Index;
    uint8_t Options[3];
    THostString FormName;       /* the host form that carries the entry */
    THostString MenuButtonName; /* the menu button under which it goes */
    THostString Caption;        /* the entry's caption */
} TMenuPlacementRecord;

enum {
    SKYLOG_QUERY_PLUG_INFO = 1,
    SKYLOG_QUERY_MENU_PLACEMENT = 2,
    SKYLOG_PLACEMENT_OUT_OF_RANGE = -1,
    SKYLOG_UNKNOWN_QUERY = -2
};

/* The layout both sides rely on, where pointers are 8 bytes. */
#if UINTPTR_MAX == 0xFFFFFFFFFFFFFFFFu
#ifdef __cplusplus
#define SKYLOG_LAYOUT(what, value) static_assert(what == value, #what)
#else
#define SKYLOG_LAYOUT(what, value) _Static_assert(what == value, #what)
#endif
SKYLOG_LAYOUT(offsetof(THostApplication, Context), 0);
SKYLOG_LAYOUT(offsetof(THostApplication, MainWindow), 8);
SKYLOG_LAYOUT(offsetof(THostApplication, SetTitle), 16);
SKYLOG_LAYOUT(offsetof(THostApplication, SetIcon), 24);
SKYLOG_LAYOUT(offsetof(THostApplication, Version), 32);
SKYLOG_LAYOUT(sizeof(THostApplication), 40);
SKYLOG_LAYOUT(offsetof(THostInitRecord, Debug), 4);
SKYLOG_LAYOUT(offsetof(THostInitRecord, EventDictionary), 8);
SKYLOG_LAYOUT(offsetof(THostInitRecord, InstrumentTypes), 16);
SKYLOG_LAYOUT(offsetof(THostInitRecord, HostFileName), 24);
SKYLOG_LAYOUT(offsetof(THostInitRecord, Application), 32);
SKYLOG_LAYOUT(sizeof(THostInitRecord), 40);
SKYLOG_LAYOUT(offsetof(TPlugInfoRecord, Identifier), 4);
SKYLOG_LAYOUT(offsetof(TPlugInfoRecord, Flag1), 8);
SKYLOG_LAYOUT(offsetof(TPlugInfoRecord, Value), 12);
SKYLOG_LAYOUT(sizeof(TPlugInfoRecord), 16);
SKYLOG_LAYOUT(offsetof(TMenuPlacementRecord, Options), 4);
SKYLOG_LAYOUT(offsetof(TMenuPlacementRecord, FormName), 8);
SKYLOG_LAYOUT(offsetof(TMenuPlacementRecord, MenuButtonName), 16);
SKYLOG_LAYOUT(offsetof(TMenuPlacementRecord, Caption), 24);
SKYLOG_LAYOUT(sizeof(TMenuPlacementRecord), 32);
#undef SKYLOG_LAYOUT
#endif

#if defined(__GNUC__)
#define SKYLOG_PLUGIN_EXPORT __attribute__((visibility("default")))
#else
#define SKYLOG_PLUGIN_EXPORT
#endif

/* Writes the menu caption into buffer (at least 256 bytes) as a length byte followed
 * by the Windows-1252 characters, without NUL; returns buffer. */
SKYLOG_PLUGIN_EXPORT unsigned char* GetORMAPlugMenuCaption(unsigned char* buffer);
/* Keeps the record (which must outlive the plug-in's use); returns 1. */
SKYLOG_PLUGIN_EXPORT uint8_t Initialize(const THostInitRecord* record);
/* Runs the plug-in's main window modally in the host's QApplication; returns 0. */
SKYLOG_PLUGIN_EXPORT int32_t Execute(void);
/* Query 1 fills a TPlugInfoRecord, query 2 a TMenuPlacementRecord; see the enum. */
SKYLOG_PLUGIN_EXPORT int32_t ExtendedPlugInsFunc(int32_t query, void* data);

typedef unsigned char* (*TGetORMAPlugMenuCaptionFunc)(unsigned char* buffer);
typedef uint8_t (*TInitializeFunc)(const THostInitRecord* record);
typedef int32_t (*TExecuteFunc)(void);
typedef int32_t (*TExtendedPlugInsFunc)(int32_t query, void* data);

#ifdef __cplusplus
}
#endif

#endif /* SKYLOG_PLUGIN_H */
