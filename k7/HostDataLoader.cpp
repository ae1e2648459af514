#include "k7/HostDataLoader.h"
