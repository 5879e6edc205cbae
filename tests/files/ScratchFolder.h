// Kept for test files written against the old place of the shared scratch folder.
#pragma once

#include "support/ScratchFolder.h"
