#include "k7/UInstrument.h"
