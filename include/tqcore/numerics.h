#pragma once

#include "tqcore/types.h"
