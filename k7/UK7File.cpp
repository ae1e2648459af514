#include "k7/UK7File.h"
