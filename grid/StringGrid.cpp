#include "StringGrid.h"
