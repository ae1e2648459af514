#include "k7/FloatFormat.h"
