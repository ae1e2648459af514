#include "k7/UScnElement.h"
