#include "CustomGrid.h"
