/* The plug-in through its C header and dlopen: the caption, query 1, query 2 for
 * every index kind, and unknown queries. */
#include <dlfcn.h>
#include <stdio.h>
#include <string.h>

#include "plugin/SkylogPlugin.h"

static int failures = 0, passes = 0;

static void check(int ok, const char* what) {
    if (ok) {
        ++passes;
    } else {
        ++failures;
        fprintf(stderr, "FAILED: %s\n", what);
    }
}

static const char kCaption[] = "D\xE9" "codage des donn\xE9" "es des balises...";

int main(int argc, char** argv) {
    if (argc < 2) return 2;
    void* library = dlopen(argv[1], RTLD_NOW | RTLD_LOCAL);
    if (!library) {
        fprintf(stderr, "%s\n", dlerror());
        return 1;
    }
    TGetORMAPlugMenuCaptionFunc caption = (TGetORMAPlugMenuCaptionFunc)dlsym(library, "GetORMAPlugMenuCaption");
    TExtendedPlugInsFunc query = (TExtendedPlugInsFunc)dlsym(library, "ExtendedPlugInsFunc");
    check(caption && query && dlsym(library, "Initialize") && dlsym(library, "Execute"), "four entry points");
    if (!caption || !query) return 1;

    unsigned char buffer[256];
    memset(buffer, 0xAA, sizeof buffer);
    check(caption(buffer) == buffer, "caption returns its buffer");
    check(buffer[0] == 35, "caption length byte 35");
    check(memcmp(buffer + 1, kCaption, 35) == 0, "caption text in Windows-1252");
    check(buffer[36] == 0xAA, "no NUL after the caption");

    TPlugInfoRecord info;
    memset(&info, 0xAA, sizeof info);
    check(query(SKYLOG_QUERY_PLUG_INFO, &info) == 0, "query 1 answers 0");
    check(info.PlacementCount == 1 && info.Identifier == 0x00990001 && info.Flag1 == 1 && info.Flag2 == 1 &&
              info.Flag3 == 0 && info.Reserved == 0xAA && info.Value == 1,
          "query 1 record");

    TMenuPlacementRecord placement;
    memset(&placement, 0xAA, sizeof placement);
    placement.Index = 0;
    check(query(SKYLOG_QUERY_MENU_PLACEMENT, &placement) == 0, "query 2 index 0 answers 0");
    check(placement.Options[0] == 0 && placement.Options[1] == 0 && placement.Options[2] == 0, "three zero bytes");
    check(placement.FormName && strcmp(placement.FormName, "ORMAFrm") == 0, "form name");
    check(placement.MenuButtonName && strcmp(placement.MenuButtonName, "TraitementsMnuBtn") == 0, "menu button");
    check(placement.Caption && strcmp(placement.Caption, kCaption) == 0, "entry caption");

    const int32_t outside[] = {1, -1, 2};
    for (size_t i = 0; i < sizeof outside / sizeof outside[0]; ++i) {
        TMenuPlacementRecord untouched, before;
        memset(&untouched, 0xAA, sizeof untouched);
        untouched.Index = outside[i];
        before = untouched;
        check(query(SKYLOG_QUERY_MENU_PLACEMENT, &untouched) == SKYLOG_PLACEMENT_OUT_OF_RANGE, "index out of range");
        check(memcmp(&untouched, &before, sizeof before) == 0, "record untouched");
    }

    const int32_t unknown[] = {0, 3, -7};
    for (size_t i = 0; i < sizeof unknown / sizeof unknown[0]; ++i) {
        unsigned char memory[64], before[64];
        memset(memory, 0x55, sizeof memory);
        memcpy(before, memory, sizeof memory);
        check(query(unknown[i], memory) == SKYLOG_UNKNOWN_QUERY, "unknown query answers -2");
        check(memcmp(memory, before, sizeof memory) == 0, "unknown query touches nothing");
    }

    /* Left loaded, as a host keeps its plug-ins: what the library keeps for its whole
       life is not a leak. */
    printf("%d passed, %d failed\n", passes, failures);
    return failures == 0 ? 0 : 1;
}
