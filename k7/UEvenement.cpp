#include "k7/UEvenement.h"
