/* A plug-in with only two of the four entry points. */
#include "plugin/SkylogPlugin.h"

unsigned char* GetORMAPlugMenuCaption(unsigned char* buffer) {
    buffer[0] = 0;
    return buffer;
}

uint8_t Initialize(const THostInitRecord* record) {
    (void)record;
    return 1;
}
