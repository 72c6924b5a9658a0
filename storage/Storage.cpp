#include "CaseTable.h"
