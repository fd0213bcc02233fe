// See aeffect.h beside this file.
#pragma once
#include <pluginterfaces/fst/aeffectx.h>
