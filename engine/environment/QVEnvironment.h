#pragma once

// The engine environment in one include: the engine's start and stop, its
// start options, the standard folders and the localisation hooks.

#include "QVLibBasicOptions.h"
#include "QVLibEnv.h"
#include "QVLocale.h"
#include "QVMathFormula.h"
#include "QVStandardFolders.h"
